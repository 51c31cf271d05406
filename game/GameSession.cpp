#include "game/GameSession.h"

#include "core/Random.h"
#include "game/GameSounds.h"
#include "game/LevelFile.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr int32_t kFireworkParticles = 20;
// The bits of a step the recording keeps whatever the step did.
constexpr uint16_t kPauseBits = ReplayInput::PauseKey | ReplayInput::PauseAsk;
}  // namespace

// ---------------------------------------------------------------- the owner's answers

void IGameSessionListener::OnPanelShown(EPanelSlot slot, const SessionPanel& panel) {}
void IGameSessionListener::OnGameEvent(EGameEvent event, int32_t parameter) {}
void IGameSessionListener::OnLevelBegins() {}
void IGameSessionListener::OnLevelStarted(int32_t levelNumber) {}
void IGameSessionListener::OnLevelChanged(int32_t levelNumber, int32_t lastLevel) {}
bool IGameSessionListener::WriteSave(const SavedGame& game) {
    return false;
}
void IGameSessionListener::KeepRecordingAtSave(const ReplayData& recording) {}
void IGameSessionListener::OnGameEnded(uint32_t score, int32_t levelsFinished) {}
void IGameSessionListener::OnRecordingFinished(const ReplayData& recording) {}
void IGameSessionListener::OnGameOverDismissed() {}
void IGameSessionListener::OnBackToEditor() {}
void IGameSessionListener::OnLeave(bool quit) {}

// ---------------------------------------------------------------- the session

CGameSession::CGameSession(ISessionLevels& levels, IGameSessionListener& listener)
    : m_levels(levels), m_listener(listener), m_flow(m_playfield, *this) {
    m_playfield.SetListener(this);
}

CGameSession::~CGameSession() {
    m_playfield.SetListener(nullptr);
}

// ---------------------------------------------------------------- starting

void CGameSession::Begin(const SessionStart& start) {
    m_start = start;
    m_firstLevel = start.firstLevel;
    m_saveRequested = false;
    m_quitAfterSave = false;
    m_leaving = false;
    m_panelNoted = false;
    m_gameEnded = false;
    m_requests = 0;
    m_mainPanel = CPanelClock();
    m_sidePanel = CPanelClock();
    m_playfield.SetDifficulty(start.difficulty);
    m_flow.BeginGame(start.levelNumber, start.lastLevel);
}

void CGameSession::StartNew(const SessionStart& start) {
    Begin(start);
    BeginRecording(false);
    LoadFlowLevel(false);
    m_flow.ResetProgress();
    m_recorder.SetStartProgress(m_playfield.Progress().lives, m_playfield.Progress().score);
    Proceed();
}

void CGameSession::StartContinued(const SessionStart& start, const SavedGame* game, ReplayData* kept) {
    Begin(start);
    LoadFlowLevel(false);
    if (game == nullptr) {
        // A new game from the level loaded: the recording begins with that load.
        BeginRecording(false);
        Note(EReplayEvent::LoadLevel, 0);
        m_recorder.Event(EReplayEvent::Seed, m_lastLoad.number, m_lastLoad.seed, m_lastLoad.cellsCrc);
        m_flow.ResetProgress();
        m_recorder.SetStartProgress(m_playfield.Progress().lives, m_playfield.Progress().score);
        Proceed();
        return;
    }
    ContinueGame(*game);
    RecordContinue(*game, kept);
}

void CGameSession::StartWatching(const ReplayData& replay) {
    m_watched = &replay;
    m_watching = true;
    m_watch = WatchProgress();
    m_reader.Start(&replay);
    m_recorder.Stop();
    SessionStart start;
    start.difficulty = replay.header.difficulty;
    start.levelNumber = replay.header.levelNumber;
    start.firstLevel = replay.header.firstLevel;
    start.lastLevel = replay.header.lastLevel;
    start.playerName = replay.header.playerName;
    start.record = false;
    Begin(start);
    if (!replay.header.fromSave) {
        LoadFlowLevel(false);
        m_flow.ResetProgress();
        Proceed();
        return;
    }
    const ReplayEvent* event = m_reader.TakeEvent(EReplayEvent::Continue);
    if (event != nullptr) {
        ContinueWatchedSave(*event);
    } else {
        Diverge("the replay does not begin with its saved game");
    }
}

void CGameSession::BeginRecording(bool fromSave) {
    if (!m_start.record || m_start.editorTestPlay || m_watching) {
        m_recorder.Stop();
        return;
    }
    ReplayHeader header;
    header.difficulty = m_playfield.Difficulty();
    header.firstLevel = m_firstLevel;
    header.lastLevel = m_flow.LastLevel();
    header.levelNumber = m_flow.LevelNumber();
    header.fromSave = fromSave;
    header.playerName = m_start.playerName;
    m_recorder.Begin(header);
}

// What a continued game takes from its save, whether it is played or watched.
void CGameSession::ContinueGame(const SavedGame& game) {
    const SavedGameValues& values = game.values;
    m_firstLevel = values.firstLevel;
    m_flow.ContinueGame(values.levelNumber, values.lastLevel, values.allLevelsDone);
    TellLevel();
    m_playfield.SetDifficulty(values.difficulty);
    ApplySavedGame(game, m_playfield);
    m_playfield.SetSeenShot(false);
    StartLevel(true);
}

void CGameSession::ContinueWatchedSave(const ReplayEvent& event) {
    std::vector<uint8_t> save, field;
    SavedGame game;
    std::string why;
    if (!UnpackSaveBytes(event.save, save, field) || !DecodeSavedGame(save, field, game, why)) {
        Diverge("the replay's saved game is damaged");
        return;
    }
    // As a game that has just been started continues it.
    m_mainPanel.Clear();
    m_sidePanel.Clear();
    m_panelNoted = false;
    m_playfield.SetPanelShown(false);
    m_playfield.Progress() = PlayerProgress();
    m_flow.BeginGame(game.values.levelNumber, game.values.lastLevel);
    ContinueGame(game);
    m_playfield.Random().Seed(event.extra);
}

// A continued game goes on recording the game it continues when the recording kept at its
// save ends with that very save; otherwise it records from the save, which it carries.
void CGameSession::RecordContinue(const SavedGame& game, ReplayData* kept) {
    if (!m_start.record || m_start.editorTestPlay) {
        return;
    }
    std::vector<uint8_t> save, field, packed;
    const uint32_t crc = SavedGameCrc(game, save, field);
    const bool resumable = kept != nullptr && !kept->header.finished && !kept->events.empty() &&
                           kept->events.back().kind == EReplayEvent::Saved && kept->events.back().value == crc;
    if (resumable) {
        m_recorder.Resume(std::move(*kept));
    } else {
        BeginRecording(true);
        m_recorder.SetStartProgress(game.progress.lives, game.progress.score);
    }
    PackSaveBytes(save, field, packed);
    m_recorder.Continued(packed, m_playfield.Random().State());
}

// ---------------------------------------------------------------- levels

bool CGameSession::LoadLevel(int32_t number, CPlayfield& playfield) {
    const bool loaded = m_levels.ReadLevel(number, playfield);
    playfield.Random().Seed(LevelSeed(number, loaded ? LevelCellsCrc(playfield.Board()) : kRefusedLevelCrc));
    return loaded;
}

// A new seed, kept in the recording with the level's cells; while watching, the recorded
// seed of the same level.
uint32_t CGameSession::LevelSeed(int32_t number, uint32_t cellsCrc) {
    if (!m_watching) {
        const uint32_t seed = m_levels.NewSeed();
        m_lastLoad = LevelLoad{number, seed, cellsCrc};
        m_recorder.Event(EReplayEvent::Seed, number, seed, cellsCrc);
        return seed;
    }
    const ReplayEvent* recorded = m_reader.TakeEvent(EReplayEvent::Seed);
    if (recorded == nullptr || recorded->number != number) {
        Diverge("the replay loads another level here");
        return 0;
    }
    if (recorded->extra != cellsCrc) {
        Diverge("a level differs from the one recorded");
    }
    return recorded->value;
}

void CGameSession::TellLevel() {
    m_listener.OnLevelChanged(m_flow.LevelNumber(), m_flow.LastLevel());
}

bool CGameSession::LoadFlowLevel(bool advance) {
    Note(EReplayEvent::LoadLevel, advance ? 1 : 0);
    const bool loaded = m_flow.LoadLevel(advance);
    TellLevel();
    return loaded;
}

bool CGameSession::ReloadFlowLevel() {
    Note(EReplayEvent::ReloadLevel);
    const bool loaded = m_flow.ReloadLevel();
    TellLevel();
    return loaded;
}

// The level-start panel and the silent save. A continued game keeps the placement, the
// shot counter and the balls it was saved with.
void CGameSession::StartLevel(bool continuing) {
    if (!continuing) {
        Note(EReplayEvent::StartLevel);
        m_flow.StartLevel();
    }
    m_mainPanel.Clear();
    SessionPanel panel;
    panel.mode = EPanelMode::LevelStart;
    panel.levelNumber = m_flow.LevelNumber();
    panel.continuing = continuing;
    // A player who asked to leave is not held up by the level's title: the save follows
    // in the next step.
    if (!m_saveRequested) {
        m_mainPanel.Show(EPanelMode::LevelStart);
    }
    m_listener.OnPanelShown(EPanelSlot::Main, panel);
    if (!continuing) {
        SaveGame(false, false);
    }
    m_listener.OnLevelStarted(m_flow.LevelNumber());
}

void CGameSession::Proceed() {
    if (m_flow.Proceed() == EFlowNext::StartLevel) {
        m_listener.OnLevelBegins();
        StartLevel(false);
        return;
    }
    if (m_start.editorTestPlay) {
        m_listener.OnBackToEditor();
        return;
    }
    if (m_watching) {
        // The watched game ends here; its score was entered when it was played.
        const ReplayEvent* end = m_reader.TakeEvent(EReplayEvent::End);
        m_watch.finalScore = m_flow.FinalScore();
        m_watch.levelsFinished = m_flow.LevelsFinished();
        if (end == nullptr || end->value != m_watch.finalScore || end->number != m_watch.levelsFinished) {
            Diverge("the final score differs from the recording");
        } else {
            m_watch.endReached = true;
        }
        m_watch.ended = true;
        return;
    }
    EndGame();
}

void CGameSession::EndGame() {
    const uint32_t score = m_flow.FinalScore();
    m_recorder.Ended(score, m_flow.LevelsFinished());
    m_gameEnded = true;
    m_listener.OnGameEnded(score, m_flow.LevelsFinished());
}

bool CGameSession::RestartLevel(bool next) {
    m_mainPanel.Clear();
    const bool loaded = next ? LoadFlowLevel(true) : ReloadFlowLevel();
    if (loaded) {
        StartLevel(false);
    }
    return loaded;
}

// ---------------------------------------------------------------- the playfield's events

void CGameSession::OnLevelFinished() {
    // A tried level goes back to the editor as soon as it is cleared.
    if (m_start.editorTestPlay) {
        m_listener.OnBackToEditor();
        return;
    }
    ShowLevelDone();
    m_listener.OnGameEvent(EGameEvent::LevelFinished, 0);
}

void CGameSession::OnMulticolorArrived() {
    m_flow.GiveMulticolorBall();
    m_listener.OnGameEvent(EGameEvent::MulticolorArrived, 0);
}

void CGameSession::OnReplayLevel() {
    if (ReloadFlowLevel()) {
        StartLevel(false);
    } else {
        Proceed();
    }
    m_listener.OnGameEvent(EGameEvent::ReplayLevel, 0);
}

void CGameSession::OnLifeLost() {
    m_listener.OnGameEvent(EGameEvent::LifeLost, 0);
}

// The game pays the row bonus at once.
void CGameSession::OnRowBonus(int32_t points, float x, float y) {
    m_flow.PayRowBonus(points, x, y);
    m_listener.OnGameEvent(EGameEvent::RowBonus, points);
}

void CGameSession::OnGameOver() {
    ShowGameOver();
}

// ---------------------------------------------------------------- panels

bool CGameSession::BlockingPanelShown() const {
    return (m_mainPanel.IsShown() && (m_mainPanel.IsGameOver() || m_mainPanel.IsGameDone())) ||
           (m_sidePanel.IsShown() && m_sidePanel.IsGameSaved());
}

void CGameSession::ShowPanel(EPanelSlot slot, const SessionPanel& panel) {
    CPanelClock& clock = slot == EPanelSlot::Main ? m_mainPanel : m_sidePanel;
    clock.Show(panel.mode);
    m_listener.OnPanelShown(slot, panel);
}

void CGameSession::ShowPause() {
    SessionPanel panel;
    panel.mode = EPanelMode::Pause;
    ShowPanel(EPanelSlot::Side, panel);
}

// The level's results; the next level is loaded behind the panel.
void CGameSession::ShowLevelDone() {
    Note(EReplayEvent::FinishLevel);
    const LevelDoneSummary summary = m_flow.FinishLevel();
    TellLevel();
    SessionPanel panel;
    panel.mode = EPanelMode::LevelDone;
    panel.levelDone = &summary;
    ShowPanel(EPanelSlot::Main, panel);
}

void CGameSession::ShowGameDone() {
    const GameDoneSummary summary = BuildGameDoneSummary(m_playfield.Stats());
    PlayGameSound(EGameSound::GameDone);
    SessionPanel panel;
    panel.mode = EPanelMode::GameDone;
    panel.gameDone = &summary;
    ShowPanel(EPanelSlot::Main, panel);
}

void CGameSession::ShowGameOver() {
    SessionPanel panel;
    panel.mode = EPanelMode::GameOver;
    ShowPanel(EPanelSlot::Main, panel);
}

void CGameSession::TogglePauseByHud() {
    if (!m_watching) {
        m_requests |= ReplayInput::HudPause;
    }
    if (IsPaused()) {
        m_sidePanel.Clear();   // the pause button chosen by keys while paused resumes
    } else if (!IsGameOver()) {
        ShowPause();
    }
}

void CGameSession::PauseForFocus() {
    if (!m_watching) {
        m_requests |= ReplayInput::FocusPause;
    }
    if (!IsGameOver() && !m_sidePanel.IsShown()) {
        ShowPause();
    }
}

// ---------------------------------------------------------------- leaving and saving

void CGameSession::AskToLeave(bool quit) {
    if (!m_watching) {
        m_requests |= ReplayInput::LeaveAsk;
    }
    if (AnyPanelShown()) {
        m_saveRequested = true;
        m_quitAfterSave = m_quitAfterSave || quit;
    } else {
        RequestLeave(quit);
    }
}

void CGameSession::RequestLeave(bool quit) {
    if (!SaveGame(true, quit)) {
        LeaveGame(quit);
    }
}

void CGameSession::LeaveGame(bool quit) {
    if (m_leaving) {
        return;
    }
    m_leaving = true;
    m_listener.OnLeave(quit);
}

bool CGameSession::SaveGame(bool showPanel, bool quitAfterwards) {
    if (m_start.editorTestPlay || !m_playfield.HasSeenShot() || IsGameOver()) {
        return false;
    }
    SavedGameValues values;
    values.allLevelsDone = m_flow.IsAllLevelsDone();
    values.firstLevel = m_firstLevel;
    values.levelNumber = m_flow.LevelNumber();
    values.lastLevel = m_flow.LastLevel();
    values.difficulty = m_playfield.Difficulty();
    values.levelFileName = LevelFileName(m_flow.LevelNumber()).substr(0, kSavedLevelNameBytes - 1);
    // A watched game saves where the game it watches saved, and writes nothing.
    if (m_watching) {
        if (m_reader.TakeSaved() == nullptr) {
            return false;
        }
    } else {
        const SavedGame game = CaptureSavedGame(values, m_playfield);
        if (!m_listener.WriteSave(game)) {
            return false;
        }
        RecordSave(game);
    }
    if (showPanel) {
        SessionPanel panel;
        panel.mode = EPanelMode::GameSaved;
        m_sidePanel.Clear();
        ShowPanel(EPanelSlot::Side, panel);
        m_quitAfterSave = quitAfterwards;
    }
    return true;
}

// Each save marks the recording, and the recording up to it is kept beside the save, so
// that continuing the save goes on recording the same game.
void CGameSession::RecordSave(const SavedGame& game) {
    if (!m_recorder.IsRecording()) {
        return;
    }
    std::vector<uint8_t> save, field;
    m_recorder.Event(EReplayEvent::Saved, 0, SavedGameCrc(game, save, field));
    m_listener.KeepRecordingAtSave(m_recorder.Data());
}

// ---------------------------------------------------------------- the step

void CGameSession::Step(const ReplayStep& input) {
    m_input = input;
    m_kept = ReplayStep();
    m_kept.input = static_cast<uint16_t>(m_requests | (input.input & kPauseBits));
    m_requests = 0;
    if (m_watching) {
        ApplyWatchedRequests(input);
    }
    if (!IsPaused() && !AnyPanelShown() && m_saveRequested) {
        m_saveRequested = false;
        RequestLeave(m_quitAfterSave);
    }
    UpdatePlayfield(CPlayfield::kStepLength);
    if (m_flow.CheckExtraLife()) {
        m_listener.OnGameEvent(EGameEvent::ExtraLife, 0);
    }
    if (m_watching) {
        return;
    }
    m_recorder.Step(m_kept, m_playfield);
    if (m_gameEnded) {
        m_gameEnded = false;
        m_listener.OnRecordingFinished(m_recorder.Data());
    }
}

void CGameSession::ApplyWatchedRequests(const ReplayStep& input) {
    if (input.Has(ReplayInput::FocusPause)) {
        PauseForFocus();
    }
    if (input.Has(ReplayInput::LeaveAsk)) {
        AskToLeave(false);
    }
    if (input.Has(ReplayInput::HudPause)) {
        TogglePauseByHud();
    }
}

bool CGameSession::PauseAsked() const {
    return m_input.Has(ReplayInput::PauseKey) || m_input.Has(ReplayInput::PauseAsk);
}

// A click or Return that ends a panel, as the step took it.
bool CGameSession::DismissHit() {
    if (!m_input.Has(ReplayInput::Dismiss)) {
        return false;
    }
    m_kept.input |= ReplayInput::Dismiss;
    return true;
}

void CGameSession::UpdatePlayfield(float dt) {
    const bool panelShown = AnyPanelShown();
    if (panelShown != m_panelNoted) {
        m_panelNoted = panelShown;
        Note(EReplayEvent::Panel, panelShown ? 1 : 0);
    }
    m_playfield.SetPanelShown(panelShown);
    const EPlayPhase phase = m_playfield.Phase();
    const bool inTurn = phase == EPlayPhase::Aiming || phase == EPlayPhase::Landed || phase == EPlayPhase::TurnEnding ||
                        phase == EPlayPhase::FieldCleared;
    if (PauseAsked() && !AnyPanelShown() && inTurn) {
        m_kept.input |= ReplayInput::Held;
        ShowPause();
        return;
    }
    // What the field takes of the step is kept: the aim and the buttons.
    const uint16_t played = ReplayInput::Moved | ReplayInput::Fire | ReplayInput::Swap | ReplayInput::Skip;
    m_kept.aimX = m_input.aimX;
    m_kept.aimY = m_input.aimY;
    m_kept.input |= static_cast<uint16_t>(m_input.input & played);
    m_playfield.Update(dt, m_input.ToPlayInput());
    UpdatePanels(dt);
}

void CGameSession::UpdatePanels(float dt) {
    if (m_sidePanel.IsShown()) {
        const bool saved = m_sidePanel.IsGameSaved();
        if (m_sidePanel.Step(dt, m_saveRequested, m_flow.IsAllLevelsDone(), DismissHit(),
                             m_input.Has(ReplayInput::PauseKey))) {
            m_sidePanel.Clear();
            if (saved) {
                LeaveGame(m_quitAfterSave);
            }
        }
        return;
    }
    if (!m_mainPanel.IsShown()) {
        return;
    }
    while (m_mainPanel.IsGameDone() && m_mainPanel.TakeEffect()) {
        LaunchFirework();
    }
    const EPanelMode mode = m_mainPanel.Mode();
    if (!m_mainPanel.Step(dt, m_saveRequested, m_flow.IsAllLevelsDone(), DismissHit(),
                          m_input.Has(ReplayInput::PauseKey))) {
        return;
    }
    switch (mode) {
        case EPanelMode::LevelDone:
            if (m_flow.AfterLevelDone() == EFlowNext::GameDone) {
                ShowGameDone();
            } else {
                Proceed();
            }
            break;
        case EPanelMode::GameDone:
            Proceed();
            break;
        case EPanelMode::GameOver:
            m_listener.OnGameOverDismissed();
            Proceed();
            break;
        default:
            break;
    }
}

// The completed game's fireworks: for the eye, from the effects' own generator.
void CGameSession::LaunchFirework() {
    CBoard& board = m_playfield.Board();
    const int32_t rows = std::max(board.BottomRow(), 1);
    const int32_t column = RandomNext() % kBoardColumns;
    const int32_t row = RandomNext() % rows;
    board.Burst(column, row, kFireworkParticles);
    PlayGameSound(EGameSound::PowerupExplosionSmall);
}

// ---------------------------------------------------------------- watching

void CGameSession::Note(EReplayEvent kind, int32_t number, uint32_t value, uint32_t extra) {
    if (!m_watching) {
        m_recorder.Event(kind, number, value, extra);
        return;
    }
    const ReplayEvent* recorded = m_reader.TakeEvent(kind);
    if (recorded == nullptr || recorded->number != number) {
        Diverge("the game went another way than recorded");
    }
}

void CGameSession::Diverge(const char* why) {
    if (m_watch.diverged) {
        return;
    }
    m_watch.diverged = true;
    m_watch.divergedAt = m_reader.StepNumber();
    m_watch.why = why;
}

bool CGameSession::StepWatched() {
    if (!m_watching || m_watch.ended || m_watch.diverged) {
        return false;
    }
    if (m_reader.AtEnd()) {
        m_watch.ended = true;
        return false;
    }
    // A game left and continued later goes on from its save.
    if (m_reader.ContinueFollowsSaved()) {
        m_reader.TakeSaved();
    }
    if (const ReplayEvent* event = m_reader.TakeEvent(EReplayEvent::Continue)) {
        ContinueWatchedSave(*event);
    }
    ReplayStep step = m_reader.NextStep();
    // Recordings made before leaving was kept as a request: the save that begins a step
    // before anything else happened in it is the player's leave.
    if (!step.Has(ReplayInput::LeaveAsk) && !m_saveRequested && m_reader.SavedIsNext()) {
        step.input |= ReplayInput::LeaveAsk;
    }
    Step(step);
    uint32_t expected = 0, actual = 0;
    if (!m_reader.CheckField(m_playfield, expected, actual)) {
        char line[96];
        std::snprintf(line, sizeof line, "the field differs (checksum %08x, recorded %08x)", actual, expected);
        if (expected == 0 && actual == 0) {
            Diverge("the game went another way than recorded");
        } else {
            Diverge(line);
        }
        m_watch.divergedAt = m_reader.StepNumber();
    } else if (expected != 0 || actual != 0) {
        ++m_watch.checksAgreed;
    }
    return !m_watch.ended && !m_watch.diverged;
}
