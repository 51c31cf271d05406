#pragma once
// The two screens that start a network match, reached from the versus menu (10100):
// 10120 hosts one (this machine's addresses, the port, the match offered, then waiting for
// a player) and 10130 joins one (the host's address, typed or picked on on-screen keys).
// Each opens a session of its own and services it every step without waiting; once the
// match plays it builds the match screen (10110) on the session and hands it over. Escape
// or Cancel closes the session and goes back to the versus menu. With a pellora-server set
// (the options, or --server), the host also announces its match there; the join screen lists
// the matches found on the local network and on that server above the typed address's keys.
#include "gui/GuiScreen.h"
#include "gui/KeyGrid.h"
#include "gui/MatchFinder.h"
#include "net/NetAddresses.h"
#include "net/NetSession.h"

#include <memory>
#include <string>
#include <vector>

class CGuiHostGame final : public CGuiScreen {
public:
    static constexpr int32_t kCommandStart = 2040;
    static constexpr int32_t kCommandPort = 2041;
    static constexpr int32_t kCommandRoundLength = 2042;
    static constexpr int32_t kCommandRoundsToWin = 2043;
    static constexpr int32_t kMaxShownAddresses = 4;
    // The round lengths offered, in seconds, stepped through by a click.
    static constexpr uint16_t kRoundLengths[] = {60, 120, 300};

    enum class EPhase {
        Choosing,    // the port and the match can be changed; Start listens
        Listening,   // waiting for a player; the session is serviced every step
        Started,     // the match has the session
    };

    const char* GetName() const override { return "CGuiHostGame"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    void OnChar(int32_t code) override;
    bool InitScreen() override;
    void ShutdownScreen() override;
    void UpdateScreen(float dt) override;

    EPhase Phase() const { return m_phase; }
    // The session while listening, or null.
    const CNetSession* Session() const { return m_session.get(); }
    // The port Start listens on (0: any free one, as the tests ask).
    uint16_t ChosenPort() const;
    const CGuiLabel& Status() const { return m_status; }
    const CGuiButton& PortItem() const { return m_port; }
    const CGuiButton& StartItem() const { return m_start; }
    int32_t ShownAddresses() const { return m_shownAddresses; }
    const CGuiLabel& Address(int32_t index) const { return m_addresses[index]; }

    const CGuiLabel& ServerStatus() const { return m_serverStatus; }

private:
    void StartListening();
    // With a server set: its name looked up, then the match announced; the line kept current.
    void UpdateAnnouncement();
    void Leave();
    // The session ended while waiting: its reason, and the settings open again.
    void ShowEnd(ENetEndReason reason);
    void SetPhase(EPhase phase);
    void RefreshItems();

    EPhase m_phase = EPhase::Choosing;
    std::string m_portDigits;
    bool m_portTyped = false;       // the first digit typed replaces the shown port
    CGuiLabel m_title;
    CGuiLabel m_addressCaption;
    CGuiLabel m_addresses[kMaxShownAddresses];
    int32_t m_shownAddresses = 0;
    CGuiButton m_port;
    CGuiLabel m_portHint;
    CGuiButton m_roundLength;
    CGuiButton m_roundsToWin;
    CGuiLabel m_status;
    CGuiLabel m_serverStatus;
    CGuiButton m_cancel;
    CGuiButton m_start;
    std::vector<std::string> m_ownAddresses;
    CNetLookup m_serverLookup;
    bool m_announcing = false;
    ENetServerLink m_shownLink = ENetServerLink::None;
    std::unique_ptr<CNetSession> m_session;   // while listening, until the match has it
};

class CGuiJoinGame final : public CGuiScreen {
public:
    static constexpr int32_t kCommandConnect = 2050;
    static constexpr int32_t kCommandKeys = 2051;
    static constexpr int32_t kCommandOffer = 2060;     // + the row's number
    static constexpr int32_t kCommandGridKey = 4200;   // + the key's number
    static constexpr int32_t kMaxAddressLength = 64;
    static constexpr int32_t kShownOffers = 5;

    enum class EPhase {
        Typing,       // the address is typed; the status line may say why the last try failed
        LookingUp,    // a name is being looked up off the frame loop
        Connecting,   // the session waits for the host's answer and the handshake
        Started,      // the match has the session
    };

    const char* GetName() const override { return "CGuiJoinGame"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    void OnChar(int32_t code) override;
    bool InitScreen() override;
    void ShutdownScreen() override;
    void UpdateScreen(float dt) override;
    void RenderForeground() override;

    EPhase Phase() const { return m_phase; }
    // The session while connecting, or null.
    const CNetSession* Session() const { return m_session.get(); }
    const std::string& TypedAddress() const { return m_address; }
    const CGuiLabel& Status() const { return m_status; }
    const CGuiKeyGrid& Grid() const { return m_grid; }
    const CMatchFinder& Finder() const { return m_finder; }
    const CGuiButton& OfferRow(int32_t row) const { return m_offerRows[row]; }
    const CGuiLabel& LanStatus() const { return m_lanStatus; }
    const CGuiLabel& ServerStatus() const { return m_serverStatus; }
    // Joins the match of an offered row (directly, or through the server that listed it).
    void PickOffer(int32_t row);

    // The on-screen keys of an address (digits, small letters, '.', '-', ':', Delete), hidden.
    static void BuildAddressKeys(CGuiState& screen, CGuiKeyGrid& grid, int32_t firstCommand);
    // Shows a typed address on label: smaller when long, its end when even the smallest
    // letters are too wide. The width it takes.
    static int32_t ShowTypedAddress(CGuiLabel& label, const std::string& address);

protected:
    // Typing needs no focus; the on-screen keys take the pad's.
    bool TakesKeyFocus() const override { return CInput::Get().LastDevice() == EInputDevice::Pad; }

private:
    void Connect();
    void UpdateLookup();
    void UpdateSession();
    void Leave();
    // Back to typing with the reason on the status line.
    void Fail(const char* reason);
    void SetStatus(const char* text, bool fault);
    void RefreshAddress();
    // The offered matches' rows and the sources' lines, when what was found has changed.
    void RefreshOffers();
    // The on-screen keys or the offered matches in their place.
    void ShowKeys(bool keys);

    EPhase m_phase = EPhase::Typing;
    std::string m_address;
    int32_t m_addressWidth = 0;
    CTextCaret m_caret;
    CNetLookup m_lookup;
    CGuiLabel m_title;
    CGuiLabel m_caption;
    CGuiLabel m_addressLabel;
    CGuiLabel m_status;
    CGuiKeyGrid m_grid;
    CGuiButton m_cancel;
    CGuiButton m_connect;
    CGuiLabel m_hint;
    CGuiButton m_offerRows[kShownOffers];
    CGuiLabel m_lanStatus;
    CGuiLabel m_serverStatus;
    CGuiButton m_keys;
    CMatchFinder m_finder;
    std::vector<MatchOffer> m_shownOffers;
    std::string m_shownServerText;
    bool m_keysShown = false;
    std::unique_ptr<CNetSession> m_session;   // while connecting, until the match has it
};
