#pragma once
// CGame (state 10004): a game of Pellora from its first level to its end. It owns the
// playfield, the HUD and the two message panels (the main panel for the level start, the
// level's results, game over and a completed game; the side panel for the pause and
// "GAME SAVED"), turns the playfield's events into engine messages, saves the game at
// every level start and on the way out, continues a saved game, and enters the score in
// the high-score list at the end.
#include "engine/EngineState.h"
#include "game/GameFlow.h"
#include "game/Playfield.h"
#include "gui/GameSprites.h"
#include "gui/GuiCutscene.h"
#include "gui/GuiHud.h"
#include "gui/LauncherSteering.h"
#include "gui/MenuBackdrop.h"

// Messages of the game's flow.
constexpr int32_t kMessageLevelFinished = 3001;
constexpr int32_t kMessageMulticolorArrived = 3002;
constexpr int32_t kMessageLevelStart = 3003;
constexpr int32_t kMessageReplayLevel = 3004;
constexpr int32_t kMessageLifeLost = 3005;
constexpr int32_t kMessageRowBonus = 3006;
constexpr int32_t kMessageBackToEditor = 10006;

class CGame final : public CEngineState, private IPlayfieldListener, private ILevelSource {
public:
    CGame();

    void OnMessage(int32_t messageId, int32_t parameter) override;
    void Deactivate() override;
    bool OnEscape() override;
    bool Init() override;
    void Shutdown() override;
    const char* GetName() const override { return "CGame"; }
    void Render() override;
    void Update(float dt) override;

    // Writes the current player's saved game. Refused (false, nothing written) in editor
    // test play, while a saved game is being continued, before the first shot of the game
    // and once the game is over; false too when the files cannot be written. With
    // showPanel, "GAME SAVED" is shown and its end leads to the main menu, or out of the
    // program with quitAfterwards.
    bool SaveGame(bool showPanel, bool quitAfterwards);
    // Continues the current player's saved game; a missing or refused save starts the
    // current level as a new attempt. False when the save was not taken.
    bool LoadSavedGame();

    CPlayfield& Playfield() { return m_playfield; }
    const CPlayfield& Playfield() const { return m_playfield; }
    const CGuiCutscene& MainPanel() const { return m_mainPanel; }
    const CGuiCutscene& SidePanel() const { return m_sidePanel; }
    const CGuiHud& Hud() const { return m_hud; }
    bool IsPaused() const { return m_sidePanel.IsShown() && m_sidePanel.IsPause(); }
    bool IsGameOver() const { return m_flow.IsGameOver(); }
    bool IsAllLevelsDone() const { return m_flow.IsAllLevelsDone(); }
    bool IsSaveRequested() const { return m_saveRequested; }
    // Where the score ends on the right (it grows to the left) and its baseline's top.
    static constexpr float kScoreRight = 474.0f;
    static constexpr float kScoreTop = 417.0f;

private:
    // IPlayfieldListener: the playfield's events become the game's messages.
    void OnLevelFinished() override;
    void OnMulticolorArrived() override;
    void OnReplayLevel() override;
    void OnLifeLost() override;
    void OnRowBonus(int32_t points, float x, float y) override;
    void OnGameOver() override;
    // ILevelSource: the level files of the mounted data, "1.lvl", "2.lvl", ...
    bool LoadLevel(int32_t number, CPlayfield& playfield) override;

    bool AnyPanelShown() const { return m_mainPanel.IsShown() || m_sidePanel.IsShown(); }
    // Game over, game done and "GAME SAVED" hide the HUD.
    bool BlockingPanelShown() const;
    // The flow's level loads; the level number reached is the program's current level.
    bool LoadFlowLevel(bool advance);
    bool ReloadFlowLevel();
    void StartLevel(bool continuing);
    void Proceed();
    void EnterHighscore();
    void ShowPause();
    void ShowLevelDone();
    void ShowGameDone();
    void ShowGameOver();
    void UpdatePlayfield(float dt);
    void UpdatePanels(float dt);
    void LaunchFirework();
    void LeaveGame(bool quit);
    // Escape, the menu button and the exit button: a save with its panel, or leaving at
    // once when nothing is saved; deferred while a panel shows.
    void RequestLeave(bool quit);
    // The step's input for the rules: the mouse, or the keys and the pad, whichever moved
    // last, aim; the fire and swap buttons of all three.
    PlayInput ReadPlayInput(float dt);
    // P, Pause, the pad's Start, the middle button, or a pad pulled out in this game.
    bool PauseAsked();
    void SyncPlayerRecord() const;
    void RenderPlayfield();
    void RenderScore() const;

    CPlayfield m_playfield;
    CGameFlow m_flow;
    CGuiHud m_hud;
    CGuiCutscene m_mainPanel;
    CGuiCutscene m_sidePanel;
    CGameSprites m_sprites;
    CPlayfieldScene m_scene;

    bool m_saveRequested = false;
    bool m_quitAfterSave = false;
    bool m_leaving = false;
    // Keys and pad turn the launcher; while they aimed last, they also give the fire's aim.
    CLauncherSteering m_steering;
    bool m_aimByKeys = false;
    float m_keyAimX = 0.0f, m_keyAimY = 0.0f;
    // A pad pulled out pauses the game as soon as a pause can be shown.
    bool m_pauseForUnplug = false;
    // The row bonus waiting for its message (3006 carries the points).
    float m_rowBonusX = 0.0f, m_rowBonusY = 0.0f;
};
