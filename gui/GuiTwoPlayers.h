#pragma once
// CGuiTwoPlayers (state 10140): two players at one machine get ready for a match. Each
// device claims a side by pressing its fire button (the two halves of the keyboard, the
// mouse, every controller); a side shows its device and its player's name, picked from
// the player list or "Guest" by turning left and right (the mouse's right button). The
// rules are chosen here too: rounds to win and the round's length. Once both sides are
// held, fire again says ready, and the match starts when both are.
#include "gui/GuiScreen.h"
#include "gui/SideDevice.h"
#include "game/VersusMatch.h"

#include <string>

// What the two-player match is handed by its set-up.
struct TwoPlayerSetup {
    SideDevice devices[kVersusSides];
    std::string names[kVersusSides];
    int32_t roundsToWin = 2;
    int32_t roundSeconds = 300;
};

// The choices of the set-up screen, kept for the run.
constexpr int32_t kRoundsToWinChoices[] = {1, 2, 3};
constexpr int32_t kRoundSecondsChoices[] = {60, 120, 180, 300};
extern int32_t g_twoPlayerRoundsToWin;
extern int32_t g_twoPlayerRoundSeconds;
// The next choice after value in choices, round at the end.
int32_t NextChoice(const int32_t* choices, int32_t count, int32_t value);

// The match's rules from a set-up: the rules against the computer, with its rounds and
// length (drawn rounds replay, up to twice the rounds to win and one more).
VersusRules TwoPlayerRules(const TwoPlayerSetup& setup, int32_t difficulty);

class CGuiTwoPlayers final : public CGuiScreen {
public:
    const char* GetName() const override { return "CGuiTwoPlayers"; }
    bool InitScreen() override;
    void ShutdownScreen() override {}
    void UpdateScreen(float dt) override;
    void RenderForeground() override;
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;

    // What a side shows: who holds it, and whether its player is ready.
    const SideDevice& SideHolder(int32_t side) const { return m_sides[side].device; }
    const std::string& SideName(int32_t side) const { return m_sides[side].name; }
    bool IsSideReady(int32_t side) const { return m_sides[side].ready; }

protected:
    // The devices play here: the keys and the pad move no focus.
    bool TakesKeyFocus() const override { return false; }

private:
    struct Side {
        SideDevice device;
        std::string name;
        int32_t nameIndex = 0;   // in the player list; the list's length is "Guest"
        bool ready = false;
    };

    void ReadDevice(const SideDevice& device);
    // The side the device holds, -1 when none.
    int32_t SideOf(const SideDevice& device) const;
    void Claim(int32_t side, const SideDevice& device);
    void StepName(int32_t side, int32_t direction);
    void SetName(int32_t side, int32_t nameIndex);
    void ReadRuleKeys();
    void StepRoundsToWin();
    void StepRoundLength();
    void UpdateRuleItems();
    void ReleaseUnplugged();
    void StartMatch();
    void RenderSide(int32_t side) const;

    CGuiLabel m_title;
    CGuiButton m_roundsToWin;
    CGuiButton m_roundLength;
    CGuiLabel m_nameHint;
    CGuiLabel m_ruleHint;
    CGuiButton m_back;
    Side m_sides[kVersusSides];
    bool m_starting = false;
};
