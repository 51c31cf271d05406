#pragma once
// CGuiHud: the panel over a running game: the exit, menu and pause buttons in the top
// right corner, the lives in the top left corner (blinking after a lost life), the level
// and the player's name along the bottom, the "EXTRA LIFE" banner. It lives inside the
// game, which calls its state operations itself; it reads the running values of the game
// it is given.
#include "game/Scoring.h"
#include "gui/GuiState.h"

// The HUD buttons' commands.
constexpr int32_t kCommandPauseGame = 1016;
constexpr int32_t kCommandExitGame = kCommandLeave;

class CGuiHud final : public CGuiState {
public:
    explicit CGuiHud(PlayerProgress& progress) : m_progress(progress) {}

    const char* GetName() const override { return "CGuiHud"; }
    bool OnEscape() override { return false; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool InitScreen() override;
    void ShutdownScreen() override {}
    void UpdateScreen(float dt) override;

    // "LEVEL " and the level number along the bottom.
    void RefreshLevel(int32_t levelNumber);
    // The life icon, the banner and the hovered button's tooltip; after Render.
    void RenderHud();

    // The buttons take the keys' and the pad's focus only while the game lets them (paused).
    void SetKeyFocus(bool on) { m_keyFocus = on; }

    bool IsBlinking() const { return m_blinking; }
    bool LivesShown() const { return m_livesLabel.IsVisible(); }
    float BannerTime() const { return m_bannerTime; }
    const CGuiLabel& LevelLabel() const { return m_levelLabel; }
    const CGuiLabel& NameLabel() const { return m_nameLabel; }
    const CGuiLabel& LivesLabel() const { return m_livesLabel; }

protected:
    bool TakesKeyFocus() const override { return m_keyFocus; }

private:
    void ShowLives();
    void PrintTooltip(const char* text, float y) const;

    PlayerProgress& m_progress;
    CGuiImageButton m_exitButton;
    CGuiImageButton m_menuButton;
    CGuiImageButton m_pauseButton;
    CGuiLabel m_levelLabel;
    CGuiLabel m_nameLabel;
    CGuiLabel m_livesMark;
    CGuiLabel m_livesLabel;
    CSprite m_lifeIcon;
    bool m_blinking = false;
    bool m_blinkPhase = false;
    float m_blinkTime = 0.0f;
    int32_t m_blinkCount = 0;
    float m_bannerTime = -1.0f;
    bool m_keyFocus = false;
};
