#pragma once
// CGameSession: one game of Pellora from its first level to its end, without a screen. It
// owns the playfield, the flow from level to level, the panels' clocks and the recording,
// and takes one ReplayStep per fixed step: the player's aim and buttons, the pause keys, a
// click that ends a panel, and the requests the player made between steps (leave, the
// HUD's pause button, the program losing the focus). Whoever drives it (the game screen
// from the devices, the screen's replay watcher, the headless replay check, the
// simulator) plays the same game: the rules see nothing else.
//
// What the game does outside the rules (drawing panels, writing saves, entering the high
// score, changing screens) the session asks of its owner through IGameSessionListener.
#include "game/GameFlow.h"
#include "game/PanelClock.h"
#include "game/Playfield.h"
#include "game/Replay.h"
#include "game/SavedGame.h"
#include "game/Scoring.h"

#include <cstdint>
#include <string>

// The playfield's events as the session passed them on, for the owner to tell others.
enum class EGameEvent {
    LevelFinished,      // the level is done; the level-done panel follows
    MulticolorArrived,  // a multicolour ball is at the launcher
    ReplayLevel,        // a life was lost and the level starts again
    LifeLost,
    RowBonus,           // the parameter is the points paid
    ExtraLife,          // the score passed its mark: one life more
};

// Which panel: the main one (the level's start and end, game over, a completed game) or
// the side one (the pause, "GAME SAVED").
enum class EPanelSlot { Main, Side };

// What a panel that has just come shows; the owner turns it into lines.
struct SessionPanel {
    EPanelMode mode = EPanelMode::None;
    int32_t levelNumber = 0;
    bool continuing = false;                    // LevelStart of a continued saved game
    const LevelDoneSummary* levelDone = nullptr;
    const GameDoneSummary* gameDone = nullptr;
};

class IGameSessionListener {
public:
    // Each answer does nothing unless the owner overrides it.
    virtual ~IGameSessionListener() = default;
    virtual void OnPanelShown(EPanelSlot slot, const SessionPanel& panel);
    virtual void OnGameEvent(EGameEvent event, int32_t parameter);
    // A level begins after its panel was dismissed (the game's own pointer clip and the
    // other screens' GUI come back).
    virtual void OnLevelBegins();
    // The level-start panel is up: the level line, the HUD's level.
    virtual void OnLevelStarted(int32_t levelNumber);
    // The flow moved to another level (loaded, reloaded or the next one behind a panel).
    virtual void OnLevelChanged(int32_t levelNumber, int32_t lastLevel);
    // Writes a save; true when both files were written.
    virtual bool WriteSave(const SavedGame& game);
    // The recording up to a save, to be kept beside it.
    virtual void KeepRecordingAtSave(const ReplayData& recording);
    // The game is over: its score for the high-score list (never while watching).
    virtual void OnGameEnded(uint32_t score, int32_t levelsFinished);
    // After the step in which the game ended: the whole recording.
    virtual void OnRecordingFinished(const ReplayData& recording);
    // The game-over panel has gone.
    virtual void OnGameOverDismissed();
    // Editor test play: the level was cleared, or the game is over.
    virtual void OnBackToEditor();
    // "GAME SAVED" has gone, or nothing could be saved: to the main menu, or out.
    virtual void OnLeave(bool quit);
};

// Where the levels come from, and the seeds of new levels while a game is played.
class ISessionLevels {
public:
    virtual ~ISessionLevels() = default;
    // Reads level `number` into the playfield; false when it cannot be read.
    virtual bool ReadLevel(int32_t number, CPlayfield& playfield) = 0;
    // A seed for a level being loaded in a game being played (not watched).
    virtual uint32_t NewSeed() = 0;
};

// The game a session begins with.
struct SessionStart {
    int32_t difficulty = kNormalDifficulty;
    int32_t levelNumber = 1;
    int32_t firstLevel = 1;
    int32_t lastLevel = 1;
    std::string playerName;
    bool record = true;            // keep a recording of the game
    bool editorTestPlay = false;   // a level tried from the editor: nothing saved or entered
};

// The steps of a watched replay: how far it went, and where it first differed.
struct WatchProgress {
    bool ended = false;
    bool diverged = false;
    uint32_t divergedAt = 0;
    std::string why;
    uint32_t checksAgreed = 0;
    bool endReached = false;       // the recording's end event was met and agreed
    uint32_t finalScore = 0;
    int32_t levelsFinished = 0;
};

class CGameSession final : private IPlayfieldListener, private ILevelSource {
public:
    CGameSession(ISessionLevels& levels, IGameSessionListener& listener);
    ~CGameSession() override;
    CGameSession(const CGameSession&) = delete;
    CGameSession& operator=(const CGameSession&) = delete;

    // A new game: its first level loaded and its start panel up.
    void StartNew(const SessionStart& start);
    // A saved game continued (game null: it could not be read, and a new game starts from
    // the level loaded). A kept recording that ends at this very save goes on; otherwise
    // the recording starts from the save.
    void StartContinued(const SessionStart& start, const SavedGame* game, ReplayData* kept);
    // A recorded game played again from its steps: every move of the flow and every field
    // checksum must come as recorded. The replay must outlive the session.
    void StartWatching(const ReplayData& replay);

    // One fixed step.
    void Step(const ReplayStep& input);
    // Watching: the next recorded step; false once the replay ended or differed.
    bool StepWatched();

    // The player asks to leave (Escape, the menu or exit button): a save with its panel,
    // or leaving at once when nothing is saved; deferred while a panel shows.
    void AskToLeave(bool quit);
    // The HUD's pause button: pauses, or resumes a pause.
    void TogglePauseByHud();
    // The program lost the focus: the game pauses.
    void PauseForFocus();
    // A second chance that the simulator's pack check gives a lost game: the panel goes,
    // and the same level (or with next the one after it) starts at once. False when there
    // is no such level: the pack is done.
    bool RestartLevel(bool next);
    // Writes the save now; false (nothing written) when refused: in editor test play, before
    // the first shot, once the game is over, while watching, or when it cannot be written.
    bool SaveGame(bool showPanel, bool quitAfterwards);

    CPlayfield& Playfield() { return m_playfield; }
    const CPlayfield& Playfield() const { return m_playfield; }
    const CGameFlow& Flow() const { return m_flow; }
    const CPanelClock& MainPanel() const { return m_mainPanel; }
    const CPanelClock& SidePanel() const { return m_sidePanel; }
    const CReplayRecorder& Recorder() const { return m_recorder; }
    const WatchProgress& Watch() const { return m_watch; }
    const CReplayReader& Reader() const { return m_reader; }
    bool IsWatching() const { return m_watching; }
    bool IsPaused() const { return m_sidePanel.IsShown() && m_sidePanel.IsPause(); }
    bool IsGameOver() const { return m_flow.IsGameOver(); }
    bool AnyPanelShown() const { return m_mainPanel.IsShown() || m_sidePanel.IsShown(); }
    // Game over, game done and "GAME SAVED" cover the field and the HUD.
    bool BlockingPanelShown() const;
    bool IsSaveRequested() const { return m_saveRequested; }
    int32_t FirstLevel() const { return m_firstLevel; }

private:
    // IPlayfieldListener: what the game does at once when the field tells it.
    void OnLevelFinished() override;
    void OnMulticolorArrived() override;
    void OnReplayLevel() override;
    void OnLifeLost() override;
    void OnRowBonus(int32_t points, float x, float y) override;
    void OnGameOver() override;
    // ILevelSource: the level read, seeded with a new seed or the recorded one.
    bool LoadLevel(int32_t number, CPlayfield& playfield) override;

    void Begin(const SessionStart& start);
    void BeginRecording(bool fromSave);
    bool LoadFlowLevel(bool advance);
    bool ReloadFlowLevel();
    void TellLevel();
    void StartLevel(bool continuing);
    void Proceed();
    void EndGame();
    void ContinueGame(const SavedGame& game);
    void ContinueWatchedSave(const ReplayEvent& event);
    void RecordContinue(const SavedGame& game, ReplayData* kept);
    void RecordSave(const SavedGame& game);
    void ShowPanel(EPanelSlot slot, const SessionPanel& panel);
    void ShowPause();
    void ShowLevelDone();
    void ShowGameDone();
    void ShowGameOver();
    void LeaveGame(bool quit);
    void RequestLeave(bool quit);
    // The requests a watched step carries, as the player made them between steps.
    void ApplyWatchedRequests(const ReplayStep& input);
    void UpdatePlayfield(float dt);
    void UpdatePanels(float dt);
    void LaunchFirework();
    bool PauseAsked() const;
    bool DismissHit();
    // Recording: each move of the flow as it happens; while watching, the same move must
    // come next in the replay.
    void Note(EReplayEvent kind, int32_t number = 0, uint32_t value = 0, uint32_t extra = 0);
    uint32_t LevelSeed(int32_t number, uint32_t cellsCrc);
    void Diverge(const char* why);

    ISessionLevels& m_levels;
    IGameSessionListener& m_listener;
    CPlayfield m_playfield;
    CGameFlow m_flow;
    CPanelClock m_mainPanel;
    CPanelClock m_sidePanel;
    CReplayRecorder m_recorder;
    CReplayReader m_reader;
    SessionStart m_start;
    int32_t m_firstLevel = 1;

    // The step being played: what came in, and what the recording keeps of it.
    ReplayStep m_input;
    ReplayStep m_kept;
    uint16_t m_requests = 0;        // requests made since the last step (live play)
    bool m_saveRequested = false;
    bool m_quitAfterSave = false;
    bool m_leaving = false;
    bool m_panelNoted = false;
    bool m_gameEnded = false;
    // The last level read, for a recording that begins after it (a refused save).
    struct LevelLoad {
        int32_t number;
        uint32_t seed, cellsCrc;
    } m_lastLoad{};

    bool m_watching = false;
    const ReplayData* m_watched = nullptr;
    WatchProgress m_watch;
};
