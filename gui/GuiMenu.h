#pragma once
// The main menu (state 10005) and the three further menu screens: 10100, the versus menu
// that the main menu's "Versus" leads to (play the computer, host a network match (10120)
// or join one (10130), the replays list (10150)), and 10101 host and 10102 join, which no
// item leads to.
#include "gui/GuiScreen.h"

class CGuiMenu final : public CGuiScreen {
public:
    const char* GetName() const override { return "CGuiMenu"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override {}
    void UpdateScreen(float dt) override;

    const CGuiButton& ChildModeItem() const { return m_childMode; }

private:
    void Play();

    CGuiImage m_logo;
    CGuiButton m_play;
    CGuiButton m_changePlayer;
    CGuiButton m_childMode;
    CGuiButton m_highscore;
    CGuiButton m_options;
    CGuiButton m_exit;
    CGuiButton m_versus;
    CGuiLabel m_playerCaption;
    CGuiButton m_playerName;
    CGuiLabel m_noticeShadow;
    CGuiLabel m_notice;
};

// One class for the three further screens: they share one layout and differ in the
// state they go back to.
class CGuiNetMenu final : public CGuiScreen {
public:
    explicit CGuiNetMenu(int32_t stateId) : m_stateId(stateId) {}
    const char* GetName() const override { return "CGuiMenu"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override {}

private:
    int32_t BackState() const;
    bool InitVersusScreen();
    // An item at y that sends command, with a line in small letters under it.
    static void BuildNetworkItem(CGuiButton& item, CGuiLabel& info, const char* text, const char* infoText,
                                 int32_t command, int32_t y);
    void PlayTheComputer();

    int32_t m_stateId;
    CGuiImage m_logo;
    CGuiButton m_playComputer;
    CGuiButton m_strength;
    CGuiButton m_twoPlayers;
    CGuiButton m_host;
    CGuiLabel m_hostInfo;
    CGuiButton m_join;
    CGuiLabel m_joinInfo;
    CGuiButton m_replays;
    CGuiButton m_back;
    CGuiLabel m_playerCaption;
    CGuiButton m_playerName;
};
