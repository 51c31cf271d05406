#include "gui/GuiNetGame.h"

#include "core/Log.h"
#include "gui/GuiVersus.h"
#include "gui/NetPlay.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "profile/Language.h"
#include "profile/Players.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

namespace {
constexpr int32_t kTitleY = 40;
constexpr int32_t kSmallSize = 16;
constexpr int32_t kSettingSize = 24;
constexpr uint32_t kMaxPort = 65535;
// A port stepped past the top starts again at the first one outside the system's range.
constexpr uint16_t kFirstUserPort = 1024;
// The deck under the field, where the join screen's hint sits.
constexpr int32_t kDeckTextY = 418;
constexpr int32_t kCommandCancel = 2044;

constexpr GuiColour kCaptionColour{0.8f, 0.87f, 0.95f, 1.0f};
constexpr GuiColour kFaultColour{1.0f, 0.6f, 0.2f, 1.0f};
constexpr GuiColour kWaitColour{0.6f, 1.0f, 0.6f, 1.0f};
constexpr GuiColour kGreyColour{0.55f, 0.58f, 0.62f, 1.0f};
constexpr GuiColour kItemColour{1.0f, 1.0f, 1.0f, 1.0f};
constexpr GuiColour kHoverColour{1.0f, 1.0f, 0.0f, 1.0f};

void Paint(CGuiWidget& widget, const GuiColour& colour) { widget.SetColour(colour.r, colour.g, colour.b, colour.a); }

// An item that can be chosen, or grey and passed over by the mouse and the keys.
void SetItemEnabled(CGuiButton& item, bool enabled) {
    item.SetSelectable(enabled);
    const GuiColour& colour = enabled ? kItemColour : kGreyColour;
    const GuiColour& hover = enabled ? kHoverColour : kGreyColour;
    Paint(item, colour);
    item.SetHoverColour(hover.r, hover.g, hover.b, hover.a);
}

// The match the host offers: the player's own difficulty, the chosen rounds, a draw
// replayed up to twice the rounds to win and one more.
NetMatchSettings HostSettings() {
    NetMatchSettings settings = g_netHostSettings;
    settings.difficulty = static_cast<uint8_t>(std::clamp(CurrentPlayerDifficulty(), 1, 5));
    settings.maxRounds = static_cast<uint8_t>(2 * settings.roundsToWin + 1);
    return settings;
}

// The match screen is built on the session, which it owns from now on; the menu music stops.
void GoToMatch(std::unique_ptr<CNetSession> session) {
    StopMenuMusic();
    GoToLowerScreen(kStateVersusGame, std::unique_ptr<CEngineState>(new (std::nothrow) CGuiVersus(std::move(session))));
}
}  // namespace

// ---------------------------------------------------------------- hosting

uint16_t CGuiHostGame::ChosenPort() const {
    return m_portDigits.empty() ? kDefaultNetPort : static_cast<uint16_t>(std::stoul(m_portDigits));
}

bool CGuiHostGame::InitScreen() {
    StartMenu(kStateHostGame);
    m_phase = EPhase::Choosing;
    m_portDigits = std::to_string(g_netHostPort);
    m_portTyped = false;
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_title, texts.TxtHostAServer(), kCentreX, kTitleY);

    StyleFittedItem(m_addressCaption, texts.TxtYourAddresses(), kCentreX, 92, kFieldTextWidth, kSmallSize);
    Paint(m_addressCaption, kCaptionColour);
    ListOwnAddresses(m_ownAddresses);
    m_shownAddresses = std::min(static_cast<int32_t>(m_ownAddresses.size()), kMaxShownAddresses);
    for (int32_t i = 0; i < kMaxShownAddresses; ++i) {
        const char* address = i < m_shownAddresses ? m_ownAddresses[static_cast<size_t>(i)].c_str() : "";
        StyleFittedItem(m_addresses[i], address, kCentreX, 112 + 18 * i, kFieldTextWidth, kSmallSize);
    }

    StyleFittedItem(m_port, "", kCentreX, 192, kFieldTextWidth, kSettingSize);
    m_port.SetCommand(kCommandPort);
    StyleFittedItem(m_portHint, texts.TxtPortHint(), kCentreX, 220, kFieldTextWidth, kSmallSize);
    Paint(m_portHint, kCaptionColour);
    StyleFittedItem(m_roundLength, "", kCentreX, 246, kFieldTextWidth, kSettingSize);
    m_roundLength.SetCommand(kCommandRoundLength);
    StyleFittedItem(m_roundsToWin, "", kCentreX, 278, kFieldTextWidth, kSettingSize);
    m_roundsToWin.SetCommand(kCommandRoundsToWin);
    StyleFittedItem(m_status, "", kCentreX, 320, kFieldTextWidth, kSmallSize);
    Paint(m_status, kWaitColour);
    // Where the port's hint stands while the port can be changed.
    StyleFittedItem(m_serverStatus, "", kCentreX, 220, kFieldTextWidth, kSmallSize);
    Paint(m_serverStatus, kCaptionColour);

    StyleFittedItem(m_cancel, texts.TxtCancel(), kLeftItemX, kBottomItemY, kPairItemWidth);
    m_cancel.SetCommand(kCommandCancel);
    StyleFittedItem(m_start, texts.TxtStart(), kRightItemX, kBottomItemY, kPairItemWidth);
    m_start.SetCommand(kCommandStart);

    AddWidget(&m_title)->SlideIn(0.0f, -150.0f, 0.3f);
    AddSlidingColumn({&m_addressCaption, &m_addresses[0], &m_addresses[1], &m_addresses[2], &m_addresses[3], &m_port,
                      &m_portHint, &m_roundLength, &m_roundsToWin, &m_status});
    AddWidget(&m_serverStatus);
    AddWidget(&m_cancel)->SlideIn(0.0f, 200.0f, 0.4f);
    AddWidget(&m_start)->SlideIn(0.0f, 200.0f, 0.6f);
    SetPhase(EPhase::Choosing);
    // Digits typed on the keyboard change the port.
    CInput::Get().SetTextEntry(true);
    return true;
}

void CGuiHostGame::ShutdownScreen() {
    CInput::Get().SetTextEntry(false);
    m_serverLookup.Cancel();
    // A session handed to the match is the match's; one still here is closed.
    CloseNetSession(m_session);
}

void CGuiHostGame::SetPhase(EPhase phase) {
    m_phase = phase;
    const bool choosing = phase == EPhase::Choosing;
    for (CGuiButton* item : {&m_port, &m_roundLength, &m_roundsToWin, &m_start}) {
        SetItemEnabled(*item, choosing);
    }
    m_start.SetVisible(choosing);
    // Cancel alone stands in the middle while waiting.
    m_cancel.SetPos(choosing ? kLeftItemX : kCentreX, kBottomItemY);
    m_portHint.SetVisible(choosing);
    m_serverStatus.SetVisible(!choosing);
    if (choosing) {
        m_serverLookup.Cancel();
        m_announcing = false;
    }
    RefreshItems();
}

void CGuiHostGame::RefreshItems() {
    const CLanguage& texts = CLanguage::Get();
    const CNetSession* session = m_session.get();
    // While listening, the port the session really has (the one picked for a 0).
    const uint16_t port = m_phase != EPhase::Choosing && session != nullptr ? session->Port() : ChosenPort();
    FitCaption(m_port, (texts.TxtNetPort() + std::to_string(port)).c_str(), kSettingSize, kFieldTextWidth);
    const std::string minutes = std::to_string(g_netHostSettings.roundSeconds / 60);
    FitCaption(m_roundLength, (texts.TxtRoundLength() + minutes + texts.TxtMinutesShort()).c_str(), kSettingSize,
               kFieldTextWidth);
    FitCaption(m_roundsToWin, (texts.TxtRoundsToWin() + std::to_string(g_netHostSettings.roundsToWin)).c_str(),
               kSettingSize, kFieldTextWidth);
}

void CGuiHostGame::StartListening() {
    if (m_phase != EPhase::Choosing) {
        return;
    }
    g_netHostPort = ChosenPort();
    CloseNetSession(m_session);
    m_session = std::make_unique<CNetSession>(NetPlayOptions(HostSettings()));
    CNetSession& session = *m_session;
    if (!session.Host(g_netHostPort)) {
        ShowEnd(session.EndReason());
        return;
    }
    CLog::Get().Write("CGuiHostGame::StartListening port %u", static_cast<unsigned>(session.Port()));
    SetPhase(EPhase::Listening);
    FitCaption(m_status, CLanguage::Get().TxtWaitingForPlayer(), kSmallSize, kFieldTextWidth);
    Paint(m_status, kWaitColour);
    // Discovery on the local network is answered whatever; a server is told when one is set.
    m_serverStatus.SetText("");
    m_shownLink = ENetServerLink::None;
    const std::string server = ConfiguredServer();
    if (!server.empty()) {
        m_serverLookup.Start(server, kDefaultNetPort);
        m_announcing = true;
        const CLanguage& texts = CLanguage::Get();
        FitCaption(m_serverStatus, (std::string(texts.TxtServerColon()) + texts.TxtServerAsking()).c_str(), kSmallSize,
                   kFieldTextWidth);
        UpdateAnnouncement();
    }
}

void CGuiHostGame::UpdateAnnouncement() {
    CNetSession* session = m_session.get();
    if (session == nullptr) {
        return;
    }
    const CLanguage& texts = CLanguage::Get();
    const std::string prefix = texts.TxtServerColon();
    if (m_announcing) {
        const ENetLookupState state = m_serverLookup.Poll();
        if (state == ENetLookupState::Pending) {
            return;
        }
        m_announcing = false;
        if (state != ENetLookupState::Found) {
            FitCaption(m_serverStatus, (prefix + NetAddressFaultText(m_serverLookup.Fault())).c_str(), kSmallSize,
                       kFieldTextWidth);
            return;
        }
        CLog::Get().Write("CGuiHostGame: announcing the match to %s port %u", m_serverLookup.Address().c_str(),
                          static_cast<unsigned>(m_serverLookup.Port()));
        session->Announce(m_serverLookup.Address(), m_serverLookup.Port());
    }
    const ENetServerLink link = session->ServerLink();
    if (link == m_shownLink) {
        return;
    }
    m_shownLink = link;
    const bool full = session->ServerRefusal() == ELobbyRefusal::Full || session->ServerRefusal() == ELobbyRefusal::TooMany;
    const char* words = link == ENetServerLink::Connecting ? texts.TxtServerAsking()
                        : link == ENetServerLink::Listed   ? texts.TxtServerListed()
                        : link == ENetServerLink::Refused  ? (full ? texts.TxtServerIsFull() : texts.TxtServerRefusedUs())
                        : link == ENetServerLink::Lost     ? texts.TxtServerNoAnswer()
                                                           : "";
    CLog::Get().Write("CGuiHostGame: the link to the server is %s", NetServerLinkName(link));
    FitCaption(m_serverStatus, (prefix + words).c_str(), kSmallSize, kFieldTextWidth);
}

void CGuiHostGame::ShowEnd(ENetEndReason reason) {
    CLog::Get().Write("CGuiHostGame: the session ended, %s", NetEndReasonName(reason));
    CloseNetSession(m_session);
    SetPhase(EPhase::Choosing);
    FitCaption(m_status, NetEndReasonText(reason), kSmallSize, kFieldTextWidth);
    Paint(m_status, kFaultColour);
}

void CGuiHostGame::UpdateScreen(float dt) {
    if (m_phase != EPhase::Listening) {
        return;
    }
    CNetSession* session = m_session.get();
    if (session == nullptr) {
        ShowEnd(ENetEndReason::None);
        return;
    }
    session->Service();
    UpdateAnnouncement();
    if (session->State() == ENetSessionState::Playing) {
        CLog::Get().Write("CGuiHostGame: %s joined%s", session->OpponentName().c_str(),
                          session->IsRelayed() ? " through the server" : "");
        m_phase = EPhase::Started;
        GoToMatch(std::move(m_session));
    } else if (session->State() == ENetSessionState::Ended) {
        ShowEnd(session->EndReason());
    }
}

void CGuiHostGame::OnChar(int32_t code) {
    if (m_phase != EPhase::Choosing) {
        return;
    }
    if (code >= '0' && code <= '9') {
        std::string digits = m_portTyped ? m_portDigits : std::string();
        digits.push_back(static_cast<char>(code));
        // "0" then "8" is port 8; a port has at most five digits and ends at 65535.
        const unsigned long value = std::stoul(digits);
        if (digits.size() <= 5 && value <= kMaxPort) {
            m_portDigits = std::to_string(value);
            m_portTyped = true;
        }
    } else if (code == 8) {
        if (!m_portDigits.empty()) {
            m_portDigits.pop_back();
        }
        m_portTyped = true;
    } else {
        return;
    }
    m_status.SetText("");
    RefreshItems();
}

void CGuiHostGame::OnMessage(int32_t messageId, int32_t parameter) {
    const bool choosing = m_phase == EPhase::Choosing;
    switch (messageId) {
        case kCommandStart:
            StartListening();
            break;
        case kCommandCancel:
            Leave();
            break;
        case kCommandPort:
            // A click (or the pad's A) steps the port, for players without a keyboard.
            if (choosing) {
                const uint32_t next = ChosenPort() + 1u;
                m_portDigits = std::to_string(next > kMaxPort ? kFirstUserPort : next);
                m_portTyped = false;
                RefreshItems();
            }
            break;
        case kCommandRoundLength:
            if (choosing) {
                const uint16_t* length = std::find(std::begin(kRoundLengths), std::end(kRoundLengths),
                                                   g_netHostSettings.roundSeconds);
                const bool last = length == std::end(kRoundLengths) || length + 1 == std::end(kRoundLengths);
                g_netHostSettings.roundSeconds = last ? kRoundLengths[0] : *(length + 1);
                RefreshItems();
            }
            break;
        case kCommandRoundsToWin:
            if (choosing) {
                g_netHostSettings.roundsToWin = g_netHostSettings.roundsToWin == 1 ? 2 : 1;
                RefreshItems();
            }
            break;
        default:
            CGuiState::OnMessage(messageId, parameter);
            break;
    }
}

void CGuiHostGame::Leave() {
    CloseNetSession(m_session);
    m_phase = EPhase::Choosing;
    GoToScreen(kStateHostJoinMenu);
}

bool CGuiHostGame::OnEscape() {
    Leave();
    return true;
}

// ---------------------------------------------------------------- joining

namespace {
// The on-screen keys: the digits, the letters (shown small, as host names are written) and
// what an address holds besides them; Delete under them.
constexpr char kAddressKeys[] = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ.-:";
constexpr int32_t kAddressY = 104;
constexpr int32_t kOfferTop = 176;
constexpr int32_t kOfferStep = 26;
constexpr int32_t kOfferSize = 20;
constexpr int32_t kSourcesY = 308;
constexpr int32_t kKeysY = 338;
}  // namespace

bool CGuiJoinGame::InitScreen() {
    StartMenu(kStateJoinGame);
    m_phase = EPhase::Typing;
    m_address = g_netJoinAddress.substr(0, kMaxAddressLength);
    m_caret.Reset();
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_title, texts.TxtJoinAServer(), kCentreX, kTitleY);
    AddWidget(&m_title)->SlideIn(0.0f, -150.0f, 0.3f);
    StyleFittedItem(m_caption, texts.TxtHostAddress(), kCentreX, 84, kFieldTextWidth, kSmallSize);
    Paint(m_caption, kCaptionColour);
    AddWidget(&m_caption)->SlideIn(0.0f, -150.0f, 0.3f);
    StyleItem(m_addressLabel, "", kCentreX, kAddressY);
    AddWidget(&m_addressLabel);
    StyleFittedItem(m_status, "", kCentreX, 144, kFieldTextWidth, kSmallSize);
    Paint(m_status, kWaitColour);
    AddWidget(&m_status);

    BuildAddressKeys(*this, m_grid, kCommandGridKey);

    // In the keys' place until they are asked for: the matches found, and where they came from.
    for (int32_t i = 0; i < kShownOffers; ++i) {
        StyleFittedItem(m_offerRows[i], "", kCentreX, kOfferTop + kOfferStep * i, kFieldTextWidth, kOfferSize);
        m_offerRows[i].SetCommand(kCommandOffer + i);
        AddWidget(&m_offerRows[i]);
    }
    StyleFittedItem(m_lanStatus, "", kCentreX, kSourcesY, kFieldTextWidth, kSmallSize);
    Paint(m_lanStatus, kCaptionColour);
    AddWidget(&m_lanStatus);
    StyleFittedItem(m_serverStatus, "", kCentreX, kSourcesY + 16, kFieldTextWidth, kSmallSize);
    Paint(m_serverStatus, kCaptionColour);
    AddWidget(&m_serverStatus);
    StyleFittedItem(m_keys, texts.TxtOnScreenKeys(), kCentreX, kKeysY, kFieldTextWidth, kSmallSize);
    m_keys.SetCommand(kCommandKeys);
    AddWidget(&m_keys);
    m_shownOffers.clear();
    m_shownServerText.clear();
    m_finder.Start(ConfiguredServer());
    RefreshOffers();
    ShowKeys(false);

    StyleFittedItem(m_cancel, texts.TxtCancel(), kLeftItemX, kBottomItemY, kPairItemWidth);
    m_cancel.SetCommand(kCommandCancel);
    AddWidget(&m_cancel)->SlideIn(0.0f, 200.0f, 0.4f);
    StyleFittedItem(m_connect, texts.TxtConnect(), kRightItemX, kBottomItemY, kPairItemWidth);
    m_connect.SetCommand(kCommandConnect);
    AddWidget(&m_connect)->SlideIn(0.0f, 200.0f, 0.6f);
    StyleFittedItem(m_hint, texts.TxtAddressHint(), kCentreX, kDeckTextY, kFieldTextWidth, kSmallSize);
    Paint(m_hint, kItemColour);
    AddWidget(&m_hint)->SlideIn(0.0f, 100.0f, 0.8f);
    RefreshAddress();
    CInput::Get().SetTextEntry(true);
    return true;
}

void CGuiJoinGame::ShutdownScreen() {
    // The address typed is there again the next time, connected to or not.
    g_netJoinAddress = m_address;
    CInput::Get().SetTextEntry(false);
    m_lookup.Cancel();
    m_finder.Stop();
    CloseNetSession(m_session);
}

void CGuiJoinGame::ShowKeys(bool keys) {
    m_keysShown = keys;
    if (keys) {
        m_grid.Show();
    } else {
        m_grid.Hide();
    }
    for (CGuiButton& row : m_offerRows) {
        row.SetVisible(!keys);
    }
    m_lanStatus.SetVisible(!keys);
    m_serverStatus.SetVisible(!keys);
}

void CGuiJoinGame::RefreshOffers() {
    const std::vector<MatchOffer>& offers = m_finder.Offers();
    const std::string serverText = m_finder.ServerText();
    if (offers == m_shownOffers && serverText == m_shownServerText && !m_shownServerText.empty()) {
        return;
    }
    if (offers.size() != m_shownOffers.size()) {
        CLog::Get().Write("CGuiJoinGame: the list offers %zu match%s", offers.size(), offers.size() == 1 ? "" : "es");
    }
    m_shownOffers = offers;
    m_shownServerText = serverText;
    const CLanguage& texts = CLanguage::Get();
    for (int32_t i = 0; i < kShownOffers; ++i) {
        CGuiButton& row = m_offerRows[i];
        if (i < static_cast<int32_t>(offers.size())) {
            const MatchOffer& offer = offers[static_cast<size_t>(i)];
            const std::string label = offer.listing.playerName + " (" + offer.listing.hostName + ") - " +
                                      (offer.local ? texts.TxtLocalNetwork() : texts.TxtOnServer());
            FitCaption(row, label.c_str(), kOfferSize, kFieldTextWidth);
            SetItemEnabled(row, true);
        } else {
            FitCaption(row, i == 0 ? texts.TxtNoMatchesYet() : "", kOfferSize, kFieldTextWidth);
            SetItemEnabled(row, false);
        }
    }
    FitCaption(m_lanStatus, m_finder.LanLooking() ? texts.TxtLanLooking() : texts.TxtLanCannotLook(), kSmallSize,
               kFieldTextWidth);
    FitCaption(m_serverStatus, serverText.c_str(), kSmallSize, kFieldTextWidth);
}

void CGuiJoinGame::PickOffer(int32_t row) {
    if (m_phase != EPhase::Typing || row < 0 || row >= static_cast<int32_t>(m_shownOffers.size())) {
        return;
    }
    const MatchOffer offer = m_shownOffers[static_cast<size_t>(row)];
    CloseNetSession(m_session);
    m_session = std::make_unique<CNetSession>(NetPlayOptions(NetMatchSettings()));
    CNetSession& session = *m_session;
    const bool started = offer.local ? session.Join(offer.address, offer.port)
                                     : session.JoinRelay(offer.address, offer.port, offer.id);
    if (!started) {
        Fail(NetEndReasonText(session.EndReason()));
        return;
    }
    CLog::Get().Write("CGuiJoinGame: joining %s's match %s %s port %u", offer.listing.playerName.c_str(),
                      offer.local ? "on the local network at" : "through the server", offer.address.c_str(),
                      static_cast<unsigned>(offer.port));
    m_phase = EPhase::Connecting;
    SetStatus(CLanguage::Get().TxtConnecting(), false);
}

void CGuiJoinGame::BuildAddressKeys(CGuiState& screen, CGuiKeyGrid& grid, int32_t firstCommand) {
    KeyGridLayout layout;
    layout.characters = kAddressKeys;
    layout.columns = 10;
    layout.top = 172;
    layout.rowStep = 34;
    layout.columnStep = 32;
    layout.letterSize = 24;
    layout.spaceKey = false;
    layout.firstCommand = firstCommand;
    grid.Build(screen, kCentreX, layout);
    grid.SetCapitals(false);
}

int32_t CGuiJoinGame::ShowTypedAddress(CGuiLabel& label, const std::string& address) {
    // A long address is shown smaller rather than over the pillars, and when even the
    // smallest letters are too wide, its end, where the typing goes on.
    const int32_t room = kFieldTextWidth - CTextCaret::kSpace;
    size_t first = 0;
    FitCaption(label, address.c_str(), kItemCharSize, room);
    while (label.TextWidth() > room && first + 1 < address.size()) {
        ++first;
        FitCaption(label, address.c_str() + first, kItemCharSize, room);
    }
    return label.TextWidth();
}

void CGuiJoinGame::RefreshAddress() { m_addressWidth = ShowTypedAddress(m_addressLabel, m_address); }

void CGuiJoinGame::SetStatus(const char* text, bool fault) {
    FitCaption(m_status, text, kSmallSize, kFieldTextWidth);
    Paint(m_status, fault ? kFaultColour : kWaitColour);
}

void CGuiJoinGame::OnChar(int32_t code) {
    if (m_phase != EPhase::Typing) {
        return;
    }
    if (code == 13) {
        Connect();
        return;
    }
    if (!TypeAddressCharacter(m_address, code, static_cast<size_t>(kMaxAddressLength))) {
        return;
    }
    m_status.SetText("");
    RefreshAddress();
}

void CGuiJoinGame::Connect() {
    if (m_phase != EPhase::Typing) {
        return;
    }
    g_netJoinAddress = m_address;
    m_lookup.Start(m_address, kDefaultNetPort);
    m_phase = EPhase::LookingUp;
    SetStatus(CLanguage::Get().TxtLookingUp(), false);
    UpdateLookup();
}

void CGuiJoinGame::UpdateLookup() {
    const ENetLookupState state = m_lookup.Poll();
    if (state == ENetLookupState::Pending) {
        return;
    }
    if (state != ENetLookupState::Found) {
        Fail(NetAddressFaultText(m_lookup.Fault()));
        return;
    }
    CloseNetSession(m_session);
    m_session = std::make_unique<CNetSession>(NetPlayOptions(NetMatchSettings()));
    CNetSession& session = *m_session;
    if (!session.Join(m_lookup.Address(), m_lookup.Port())) {
        Fail(NetEndReasonText(session.EndReason()));
        return;
    }
    CLog::Get().Write("CGuiJoinGame::Connect %s port %u", m_lookup.Address().c_str(),
                      static_cast<unsigned>(m_lookup.Port()));
    m_phase = EPhase::Connecting;
    SetStatus(CLanguage::Get().TxtConnecting(), false);
}

void CGuiJoinGame::UpdateSession() {
    CNetSession* session = m_session.get();
    if (session == nullptr) {
        Fail(NetEndReasonText(ENetEndReason::CouldNotConnect));
        return;
    }
    session->Service();
    if (session->State() == ENetSessionState::Playing) {
        CLog::Get().Write("CGuiJoinGame: playing %s", session->OpponentName().c_str());
        m_phase = EPhase::Started;
        GoToMatch(std::move(m_session));
    } else if (session->State() == ENetSessionState::Ended) {
        CLog::Get().Write("CGuiJoinGame: the session ended, %s", NetEndReasonName(session->EndReason()));
        Fail(NetEndReasonText(session->EndReason()));
    }
}

void CGuiJoinGame::Fail(const char* reason) {
    m_lookup.Cancel();
    CloseNetSession(m_session);
    m_phase = EPhase::Typing;
    SetStatus(reason, true);
}

void CGuiJoinGame::UpdateScreen(float dt) {
    const uint32_t changes = m_finder.Changes();
    m_finder.Update();
    if (m_finder.Changes() != changes) {
        RefreshOffers();
    }
    switch (m_phase) {
        case EPhase::LookingUp: UpdateLookup(); break;
        case EPhase::Connecting: UpdateSession(); break;
        case EPhase::Typing:
        case EPhase::Started: break;
    }
    m_caret.Update(dt);
}

void CGuiJoinGame::RenderForeground() {
    if (m_phase == EPhase::Typing) {
        m_caret.Draw(kCentreX, m_addressWidth, m_addressLabel.Y());
    }
}

void CGuiJoinGame::OnMessage(int32_t messageId, int32_t parameter) {
    const int32_t typed = m_grid.TypedBy(messageId);
    if (typed != CGuiKeyGrid::kNotAKey) {
        OnChar(typed);
        return;
    }
    if (messageId >= kCommandOffer && messageId < kCommandOffer + kShownOffers) {
        PickOffer(messageId - kCommandOffer);
        return;
    }
    switch (messageId) {
        case kCommandConnect:
            Connect();
            break;
        case kCommandKeys:
            ShowKeys(!m_keysShown);
            break;
        case kCommandCancel:
            Leave();
            break;
        default:
            CGuiState::OnMessage(messageId, parameter);
            break;
    }
}

void CGuiJoinGame::Leave() {
    m_lookup.Cancel();
    CloseNetSession(m_session);
    m_phase = EPhase::Typing;
    GoToScreen(kStateHostJoinMenu);
}

bool CGuiJoinGame::OnEscape() {
    Leave();
    return true;
}
