#pragma once
// CGame (state 10004): a game of Pellora from its first level to its end. It owns the
// playfield, the HUD and the two message panels (the main panel for the level start, the
// level's results, game over and a completed game; the side panel for the pause and
// "GAME SAVED"), turns the playfield's events into engine messages, saves the game at
// every level start and on the way out, continues a saved game, and enters the score in
// the high-score list at the end. Every game is recorded as it is played (game/Replay.h),
// and a recorded game can be watched again: the same state then takes its inputs from
// the replay, saves and enters nothing, and checks the field as it goes.
#include "engine/EngineState.h"
#include "game/GameFlow.h"
#include "game/Playfield.h"
#include "game/Replay.h"
#include "gui/GameMessages.h"
#include "gui/GameSprites.h"
#include "gui/GuiCutscene.h"
#include "gui/GuiHud.h"
#include "gui/PlayerAim.h"
#include "gui/MenuBackdrop.h"

struct SavedGame;


// The next game state created plays this replay back instead of a game; false (nothing
// kept) when it cannot be played.
void WatchReplayNext(ReplayData&& replay);

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
    // Watching a replay: its speed (1, 2 or 4 steps per step), the viewer's pause, the end
    // reached, and a difference from the recording found.
    bool IsWatching() const { return m_watching; }
    int32_t WatchSpeed() const { return m_watchSpeed; }
    bool IsWatchPaused() const { return m_watchPaused; }
    bool IsWatchEnded() const { return m_watchEnded; }
    bool HasWatchDiverged() const { return m_watchDiverged; }
    const CReplayRecorder& Recorder() const { return m_recorder; }
    // Where the score ends on the right (it grows to the left).
    static constexpr float kScoreRight = kPlayScoreRight;

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
    void PublishLevel() const;
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

    // One fixed step of the game, from what m_stepInput holds or gathers.
    void StepGame(float dt);
    // The HUD's pause button: pauses, or resumes a pause.
    void TogglePauseByHud();
    // Recording: each move of the game's flow as it happens; while watching, the same
    // move must come next in the replay.
    void Note(EReplayEvent kind, int32_t number = 0, uint32_t value = 0, uint32_t extra = 0);
    uint32_t LevelSeed(int32_t number, uint32_t cellsCrc);
    void BeginRecording(bool fromSave);
    // A click or Return that ends a panel, as the step took it.
    bool DismissHit();
    void RecordSave(const SavedGame& game);
    void RecordContinue(const SavedGame& game);
    void ContinueGame(const SavedGame& game);
    void KeepFinishedReplay();
    void KeepLastReplay();
    // Watching.
    bool BeginWatching();
    void UpdateWatching(float dt);
    void ContinueWatchedSave(const ReplayEvent& event);
    void WatchDiverged(const char* why);
    void EndWatching();
    void RenderWatchBanner() const;

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
    // The mouse, or the keys and the pad, whichever moved last, aim.
    CPlayerAim m_aim;
    // A pad pulled out pauses the game as soon as a pause can be shown.
    bool m_pauseForUnplug = false;

    // The step's input as the game took it (live) or as the replay gives it (watching).
    ReplayStep m_stepInput;
    bool m_panelNoted = false;
    // The last level read, for a recording that begins after it (a refused save).
    struct LevelLoad {
        int32_t number;
        uint32_t seed, cellsCrc;
    } m_lastLoad{};
    CReplayRecorder m_recorder;
    bool m_keepReplayAfterStep = false;
    bool m_enteredList = false;
    ReplayData m_watched;
    CReplayReader m_reader;
    bool m_watching = false;
    bool m_watchPaused = false;
    bool m_watchEnded = false;
    bool m_watchDiverged = false;
    int32_t m_watchSpeed = 1;
    CSprite m_watchShade;   // behind the banner
    // The process-wide values a replay borrows while it plays.
    struct BorrowedValues {
        int32_t difficulty, levelNumber, firstLevel, lastLevel;
        std::string levelFileName;
    } m_borrowed{};
};
