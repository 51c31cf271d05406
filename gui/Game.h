#pragma once
// CGame (state 10004): the screen of a game of Pellora. The game itself is a game session
// (game/GameSession.h): this screen turns the mouse, the keys and the pad into the
// session's steps, draws the playfield, the HUD and the two message panels (the main
// panel for the level start, the level's results, game over and a completed game; the
// side panel for the pause and "GAME SAVED"), and does what the session asks of it:
// writing saves, entering the score in the high-score list, telling the other screens
// the game's messages, and leaving. A recorded game can be watched again: the screen is
// then built with its replay, feeds the session from it, and saves and enters nothing.
#include "engine/EngineState.h"
#include "game/GameSession.h"
#include "game/Replay.h"
#include "gui/GameMessages.h"
#include "gui/GameSprites.h"
#include "gui/GuiCutscene.h"
#include "gui/GuiHud.h"
#include "gui/PlayerAim.h"
#include "gui/StateNumbers.h"
#include "gui/MenuBackdrop.h"

#include <string>
#include <vector>

class CGame final : public CEngineState, private IGameSessionListener, private ISessionLevels {
public:
    // A game of the current player: a new one, or the saved one when the program's
    // continue flag is set.
    CGame();
    // Watches a recorded game; its end leads back to the screen it was opened from (the
    // high-score list or the replays list).
    explicit CGame(ReplayData replay, int32_t returnState = kStateHighscore);

    void OnMessage(int32_t messageId, int32_t parameter) override;
    void Deactivate() override;
    bool OnEscape() override;
    bool Init() override;
    void Shutdown() override;
    const char* GetName() const override { return "CGame"; }
    void Render() override;
    void Update(float dt) override;

    // Writes the current player's saved game. Refused (false, nothing written) in editor
    // test play, while watching, before the first shot of the game and once the game is
    // over; false too when the files cannot be written. With showPanel, "GAME SAVED" is
    // shown and its end leads to the main menu, or out of the program with quitAfterwards.
    bool SaveGame(bool showPanel, bool quitAfterwards) { return m_session.SaveGame(showPanel, quitAfterwards); }

    CPlayfield& Playfield() { return m_session.Playfield(); }
    const CPlayfield& Playfield() const { return m_session.Playfield(); }
    const CGameSession& Session() const { return m_session; }
    const CGuiCutscene& MainPanel() const { return m_mainPanel; }
    const CGuiCutscene& SidePanel() const { return m_sidePanel; }
    const CGuiHud& Hud() const { return m_hud; }
    bool IsPaused() const { return m_session.IsPaused(); }
    bool IsGameOver() const { return m_session.IsGameOver(); }
    bool IsAllLevelsDone() const { return m_session.Flow().IsAllLevelsDone(); }
    bool IsSaveRequested() const { return m_session.IsSaveRequested(); }
    // Watching a replay: its speed (1, 2 or 4 steps per step), the viewer's pause, the end
    // reached, and a difference from the recording found.
    bool IsWatching() const { return m_watching; }
    int32_t WatchSpeed() const { return m_watchSpeed; }
    bool IsWatchPaused() const { return m_watchPaused; }
    bool IsWatchEnded() const { return m_session.Watch().ended; }
    bool HasWatchDiverged() const { return m_session.Watch().diverged; }
    const CReplayRecorder& Recorder() const { return m_session.Recorder(); }
    // Where the score ends on the right (it grows to the left).
    static constexpr float kScoreRight = kPlayScoreRight;

private:
    // IGameSessionListener: what the session asks of the screen.
    void OnPanelShown(EPanelSlot slot, const SessionPanel& panel) override;
    void OnGameEvent(EGameEvent event, int32_t parameter) override;
    void OnLevelBegins() override;
    void OnLevelStarted(int32_t levelNumber) override;
    void OnLevelChanged(int32_t levelNumber, int32_t lastLevel) override;
    bool WriteSave(const SavedGame& game) override;
    void KeepRecordingAtSave(const ReplayData& recording) override;
    void OnGameEnded(uint32_t score, int32_t levelsFinished) override;
    void OnRecordingFinished(const ReplayData& recording) override;
    void OnGameOverDismissed() override;
    void OnBackToEditor() override;
    void OnLeave(bool quit) override;
    // ISessionLevels: the level files of the mounted data, "1.lvl", "2.lvl", ...; new
    // seeds from the clock.
    bool ReadLevel(int32_t number, CPlayfield& playfield) override;
    uint32_t NewSeed() override;

    void StartPlaying();
    void WriteLevelStartLines(const SessionPanel& panel);
    void WritePauseLines();
    void WriteLevelDoneLines(const LevelDoneSummary& summary);
    void WriteGameDoneLines(const GameDoneSummary& summary);
    void WriteGameOverLines();
    void WriteGameSavedLines();
    void UpdateHud(float dt);
    // The step's input from the devices: the mouse, or the keys and the pad, whichever
    // moved last, aim; the buttons of all three; the pause keys; a click that ends a panel.
    ReplayStep ReadStep(float dt);
    void SyncPlayerRecord() const;
    // The recording kept beside the current player's save; false when there is none fit.
    bool ReadKeptRecording(ReplayData& kept) const;
    void KeepLastReplay();
    std::string KeepHighScoreReplay(const ReplayData& recording, const std::vector<uint8_t>& bytes) const;
    void RenderPlayfield();
    void RenderScore() const;
    // Watching.
    void BeginWatching();
    void UpdateWatching(float dt);
    void EndWatching();
    void RenderWatchBanner() const;

    CGameSession m_session;
    CGuiHud m_hud;
    CGuiCutscene m_mainPanel;
    CGuiCutscene m_sidePanel;
    CGameSprites m_sprites;
    CPlayfieldScene m_scene;

    bool m_leaving = false;
    // The mouse, or the keys and the pad, whichever moved last, aim.
    CPlayerAim m_aim;
    // A pad pulled out pauses the game as soon as a pause can be shown.
    bool m_pauseForUnplug = false;
    bool m_enteredList = false;

    ReplayData m_watched;
    bool m_watching = false;
    int32_t m_watchReturn = kStateHighscore;
    bool m_watchPaused = false;
    int32_t m_watchSpeed = 1;
    CSprite m_watchShade;   // behind the banner
    // The process-wide values a replay borrows while it plays.
    struct BorrowedValues {
        int32_t difficulty, levelNumber, firstLevel, lastLevel;
        std::string levelFileName;
    } m_borrowed{};
};
