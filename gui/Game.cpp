#include "gui/Game.h"

#include "core/Log.h"
#include "core/Random.h"
#include "engine/Engine.h"
#include "game/GameSounds.h"
#include "game/LevelFile.h"
#include "game/SavedGame.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <string>

namespace {
constexpr float kLevelLineY = 180.0f;
constexpr float kLoadLineY = 180.0f;
constexpr float kLevelLineBelowLoadY = 210.0f;
constexpr float kGameOverLineY = 210.0f;
constexpr float kSavedLineY = 210.0f;
constexpr float kPausedLineY = 180.0f;
constexpr float kResumeLineY = 232.0f;
constexpr float kPanelSlideTime = 0.4f;
constexpr int32_t kTitleSize = 36;
constexpr int32_t kLineSize = 28;
constexpr int32_t kHintSize = 20;
constexpr int32_t kFireworkParticles = 20;
void Broadcast(int32_t messageId, int32_t parameter = 0) {
    CEngine::Get().BroadcastMessage(messageId, parameter);
}

}  // namespace

CGame::CGame() : m_flow(m_playfield, *this), m_hud(m_playfield.Progress()) {}

// ---------------------------------------------------------------- set-up

bool CGame::Init() {
    m_watching = BeginWatching();
    m_flow.BeginGame(g_levelNumber, g_lastLevel);
    m_saveRequested = false;
    m_quitAfterSave = false;
    m_leaving = false;
    m_stepInput = ReplayStep();
    m_panelNoted = false;
    m_keepReplayAfterStep = false;
    RandomSeedWithTime();
    m_hud.Init();
    m_mainPanel.Init();
    m_sidePanel.Init();
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kPlayCursorBottom);
    m_sprites.Build();
    m_scene.Load();
    m_playfield.SetListener(this);
    m_playfield.SetDifficulty(g_difficulty);
    SetPopUpFont(m_playfield, &CFont::Third());
    m_playfield.PopUps().SetColour(1.0f, 0.92f, 0.45f);

    if (m_watching && m_watched.header.fromSave) {
        const ReplayEvent* event = m_reader.TakeEvent(EReplayEvent::Continue);
        if (event != nullptr) {
            ContinueWatchedSave(*event);
        } else {
            WatchDiverged("the replay does not begin with its saved game");
        }
    } else if (!g_continueSavedGame) {
        BeginRecording(false);
        LoadFlowLevel(false);
        m_flow.ResetProgress();
        m_recorder.SetStartProgress(m_playfield.Progress().lives, m_playfield.Progress().score);
        Proceed();
    } else {
        LoadFlowLevel(false);
        LoadSavedGame();
    }
    m_hud.RefreshLevel(m_flow.LevelNumber());
    m_hud.OnMessage(kMessageLevelStart, 0);
    m_quitAfterSave = false;
    return true;
}

void CGame::Shutdown() {
    if (m_watching) {
        m_watching = false;
        g_difficulty = m_borrowed.difficulty;
        g_levelNumber = m_borrowed.levelNumber;
        g_firstLevel = m_borrowed.firstLevel;
        g_lastLevel = m_borrowed.lastLevel;
        g_levelFileName = m_borrowed.levelFileName;
    } else {
        KeepLastReplay();
    }
    m_hud.Shutdown();
    m_mainPanel.Shutdown();
    m_sidePanel.Shutdown();
    SetPopUpFont(m_playfield, nullptr);
    m_playfield.SetListener(nullptr);
    m_sprites.Clear();
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
}

// ---------------------------------------------------------------- levels

bool CGame::LoadLevel(int32_t number, CPlayfield& playfield) {
    const std::string fileName = LevelFileName(number);
    // An edited level that cannot be read gives way to the shipped one, and the player
    // hears of it.
    const CBoard::ELevelRead read = playfield.Board().ReadLevel(fileName);
    if (read == CBoard::ELevelRead::FellBack) {
        ReportUnreadable(&CTextTable::TxtEditedLevelUnreadable, &CTextTable::TxtShippedLevelPlayed, fileName);
    } else if (read == CBoard::ELevelRead::Refused && CFileManager::Get().Exists(fileName)) {
        ReportUnreadable(&CTextTable::TxtEditedLevelUnreadable, nullptr, fileName);
    }
    const bool loaded = read != CBoard::ELevelRead::Refused;
    playfield.Random().Seed(LevelSeed(number, loaded ? LevelCellsCrc(playfield.Board()) : kRefusedLevelCrc));
    return loaded;
}

// The flow owns the level during a game; the program's level values follow it for the
// screens that come after.
void CGame::PublishLevel() const {
    g_levelNumber = m_flow.LevelNumber();
    g_lastLevel = m_flow.LastLevel();
    g_levelFileName = LevelFileName(g_levelNumber);
}

bool CGame::LoadFlowLevel(bool advance) {
    Note(EReplayEvent::LoadLevel, advance ? 1 : 0);
    const bool loaded = m_flow.LoadLevel(advance);
    PublishLevel();
    return loaded;
}

bool CGame::ReloadFlowLevel() {
    Note(EReplayEvent::ReloadLevel);
    const bool loaded = m_flow.ReloadLevel();
    PublishLevel();
    return loaded;
}

// The level-start panel and the silent save. A continued game keeps the placement, the
// shot counter and the balls it was saved with.
void CGame::StartLevel(bool continuing) {
    if (!continuing) {
        Note(EReplayEvent::StartLevel);
        m_flow.StartLevel();
    }
    m_mainPanel.Clear();
    const CLanguage& texts = CLanguage::Get();
    const std::string levelLine = std::string(texts.TxtLevelBanner()) + std::to_string(m_flow.LevelNumber());
    if (continuing) {
        m_mainPanel.AddLine(texts.TxtLoadGame(), kLoadLineY, kTitleSize, false);
        m_mainPanel.AddLine(levelLine, kLevelLineBelowLoadY, kTitleSize, false);
    } else {
        m_mainPanel.AddLine(levelLine, kLevelLineY, kTitleSize, false);
    }
    for (int32_t i = 0; i < m_mainPanel.LineCount(); ++i) {
        m_mainPanel.SlideLine(i, 0.0f, -400.0f, kPanelSlideTime);
    }
    // A player who asked to leave is not held up by the level's title: the save follows
    // in the next step.
    if (!m_saveRequested) {
        m_mainPanel.Show(EPanelMode::LevelStart);
    }
    Broadcast(kMessageLevelStart);
}

void CGame::Proceed() {
    if (m_flow.Proceed() == EFlowNext::StartLevel) {
        CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kPlayCursorBottom);
        Broadcast(kMessageGuiOn);
        StartLevel(false);
        return;
    }
    if (g_editorTestPlay) {
        Broadcast(kMessageBackToEditor);
        return;
    }
    if (m_watching) {
        // The watched game ends here; its score was entered when it was played.
        const ReplayEvent* end = m_reader.TakeEvent(EReplayEvent::End);
        if (end == nullptr || end->value != m_flow.FinalScore() || end->number != m_flow.LevelsFinished()) {
            WatchDiverged("the final score differs from the recording");
        }
        m_watchEnded = true;
        return;
    }
    EnterHighscore();
    g_highscoreNewEntry = true;
    m_leaving = true;
    GoToScreen(kStateHighscore);
}

void CGame::EnterHighscore() {
    CHighscore& highscore = CHighscore::Get();
    const uint32_t score = m_flow.FinalScore();
    m_enteredList = highscore.FindRank(score) >= 0 &&
                    highscore.AddEntry(score, m_flow.LevelsFinished(), CurrentPlayerName());
    m_recorder.Ended(score, m_flow.LevelsFinished());
    m_keepReplayAfterStep = true;
}

// ---------------------------------------------------------------- messages

void CGame::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kCommandPauseGame:
            // While watching, the replay says when its player pressed the button.
            if (!m_watching) {
                m_stepInput.input |= ReplayInput::HudPause;
                TogglePauseByHud();
            }
            break;
        case kMessageLevelFinished:
            ShowLevelDone();
            break;
        case kMessageMulticolorArrived:
            m_flow.GiveMulticolorBall();
            break;
        case kMessageLevelStart:
            m_hud.RefreshLevel(m_flow.LevelNumber());
            SaveGame(false, false);
            break;
        case kMessageReplayLevel:
            if (ReloadFlowLevel()) {
                StartLevel(false);
            } else {
                Proceed();
            }
            break;
        case kCommandExitGame:
            if (m_watching) {
                LeaveProgram();
            } else if (AnyPanelShown()) {
                m_saveRequested = true;
                m_quitAfterSave = true;
            } else {
                RequestLeave(true);
            }
            break;
        case kStateMainMenu:
            if (m_watching) {
                EndWatching();
            } else if (AnyPanelShown()) {
                m_saveRequested = true;
            } else {
                RequestLeave(false);
            }
            break;
        default:
            break;
    }
    m_hud.OnMessage(messageId, parameter);
}

void CGame::TogglePauseByHud() {
    if (IsPaused()) {
        m_sidePanel.Clear();   // the pause button chosen by keys while paused resumes
    } else if (!IsGameOver()) {
        ShowPause();
    }
}

void CGame::OnLevelFinished() {
    // A tried level goes back to the editor as soon as it is cleared.
    Broadcast(g_editorTestPlay ? kMessageBackToEditor : kMessageLevelFinished);
}

void CGame::OnMulticolorArrived() {
    Broadcast(kMessageMulticolorArrived);
}

void CGame::OnReplayLevel() {
    Broadcast(kMessageReplayLevel);
}

void CGame::OnLifeLost() {
    Broadcast(kMessageLifeLost);
}

// The game pays the row bonus at once; the message tells the other states.
void CGame::OnRowBonus(int32_t points, float x, float y) {
    m_flow.PayRowBonus(points, x, y);
    Broadcast(kMessageRowBonus, points);
}

void CGame::OnGameOver() {
    ShowGameOver();
}

void CGame::Deactivate() {
    if (m_watching) {
        m_watchPaused = true;
    } else if (!IsGameOver() && !m_sidePanel.IsShown()) {
        ShowPause();
    }
}

bool CGame::OnEscape() {
    if (m_watching) {
        EndWatching();
    } else if (AnyPanelShown()) {
        m_saveRequested = true;
    } else {
        RequestLeave(false);
    }
    return true;
}

void CGame::RequestLeave(bool quit) {
    if (!SaveGame(true, quit)) {
        LeaveGame(quit);
    }
}

void CGame::LeaveGame(bool quit) {
    if (m_leaving) {
        return;
    }
    m_leaving = true;
    if (quit) {
        LeaveProgram();
    } else {
        BackToMainMenu();
    }
}

// ---------------------------------------------------------------- saved games

bool CGame::SaveGame(bool showPanel, bool quitAfterwards) {
    if (m_watching || g_editorTestPlay || g_continueSavedGame || !m_playfield.HasSeenShot() || IsGameOver()) {
        return false;
    }
    const std::string saveName = CurrentPlayerSaveFile();
    const std::string fieldName = CurrentPlayerLevelFile();
    if (saveName.empty() || fieldName.empty()) {
        CLog::Get().Write("CGame::SaveGame FAILED, no current player");
        return false;
    }
    SavedGameValues values;
    values.allLevelsDone = m_flow.IsAllLevelsDone();
    values.firstLevel = g_firstLevel;
    values.levelNumber = m_flow.LevelNumber();
    values.lastLevel = m_flow.LastLevel();
    values.difficulty = m_playfield.Difficulty();
    values.levelFileName = LevelFileName(m_flow.LevelNumber()).substr(0, kSavedLevelNameBytes - 1);
    const SavedGame game = CaptureSavedGame(values, m_playfield);
    if (!WriteSavedGame(game, saveName, fieldName)) {
        return false;
    }
    RecordSave(game);
    if (showPanel) {
        m_sidePanel.Clear();
        m_sidePanel.AddLine(CLanguage::Get().TxtGameSaved(), kSavedLineY, kTitleSize, false);
        m_sidePanel.Show(EPanelMode::GameSaved);
        m_quitAfterSave = quitAfterwards;
    }
    return true;
}

bool CGame::LoadSavedGame() {
    SavedGame game;
    if (!ReadSavedGame(CurrentPlayerSaveFile(), CurrentPlayerLevelFile(), game)) {
        if (CFileManager::Get().Exists(CurrentPlayerSaveFile())) {
            ReportUnreadable(&CTextTable::TxtSavedGameUnreadable, &CTextTable::TxtNewGameStarts,
                             CurrentPlayerSaveFile());
        }
        g_continueSavedGame = false;
        // A new game from the level loaded: the recording begins with that load.
        BeginRecording(false);
        Note(EReplayEvent::LoadLevel, 0);
        m_recorder.Event(EReplayEvent::Seed, m_lastLoad.number, m_lastLoad.seed, m_lastLoad.cellsCrc);
        m_flow.ResetProgress();
        m_recorder.SetStartProgress(m_playfield.Progress().lives, m_playfield.Progress().score);
        Proceed();
        return false;
    }
    ContinueGame(game);
    g_continueSavedGame = false;
    RecordContinue(game);
    return true;
}

// What a continued game takes from its save, whether it is played or watched.
void CGame::ContinueGame(const SavedGame& game) {
    const SavedGameValues& values = game.values;
    g_firstLevel = values.firstLevel;
    m_flow.ContinueGame(values.levelNumber, values.lastLevel, values.allLevelsDone);
    PublishLevel();
    if (!m_watching) {
        SelectDifficulty(values.difficulty);
    }
    m_playfield.SetDifficulty(values.difficulty);
    ApplySavedGame(game, m_playfield);
    m_playfield.SetSeenShot(false);
    StartLevel(true);
}

// ---------------------------------------------------------------- panels

bool CGame::BlockingPanelShown() const {
    return (m_mainPanel.IsShown() && (m_mainPanel.IsGameOver() || m_mainPanel.IsGameDone())) ||
           (m_sidePanel.IsShown() && m_sidePanel.IsGameSaved());
}

void CGame::ShowPause() {
    const CLanguage& texts = CLanguage::Get();
    m_sidePanel.Clear();
    m_sidePanel.AddLine(texts.TxtPaused(), kPausedLineY, kTitleSize, false);
    // Keys and pad players are told their own way back.
    const bool byMouse = CInput::Get().UsesMouse();
    m_sidePanel.AddLine(byMouse ? texts.TxtPressToResume() : texts.TxtKeysResume(), kResumeLineY, kHintSize, true);
    m_sidePanel.SlideLine(0, -500.0f, 0.0f, kPanelSlideTime);
    m_sidePanel.SlideLine(1, 700.0f, 0.0f, kPanelSlideTime);
    m_sidePanel.Show(EPanelMode::Pause);
}

// The level's results; the next level is loaded behind the panel.
void CGame::ShowLevelDone() {
    Note(EReplayEvent::FinishLevel);
    const LevelDoneSummary summary = m_flow.FinishLevel();
    PublishLevel();
    m_mainPanel.Clear();
    for (int32_t i = 0; i < summary.lineCount; ++i) {
        m_mainPanel.AddLine(summary.lines[i].text, summary.lines[i].y, i == 0 ? kTitleSize : kLineSize, i != 0);
        m_mainPanel.SlideLine(i, i % 2 == 0 ? -500.0f : 700.0f, 0.0f, kPanelSlideTime);
    }
    m_mainPanel.Show(EPanelMode::LevelDone);
}

void CGame::ShowGameDone() {
    const GameDoneSummary summary = BuildGameDoneSummary(m_playfield.Stats());
    m_mainPanel.Clear();
    for (int32_t i = 0; i < summary.lineCount; ++i) {
        m_mainPanel.AddLine(summary.lines[i].text, summary.lines[i].y, i == 0 ? kLineSize : kLineSize, i != 0);
        m_mainPanel.SlideLine(i, 0.0f, -400.0f, kPanelSlideTime);
    }
    PlayGameSound(EGameSound::GameDone);
    m_mainPanel.Show(EPanelMode::GameDone);
}

void CGame::ShowGameOver() {
    m_mainPanel.Clear();
    m_mainPanel.AddLine(CLanguage::Get().TxtGameOver(), kGameOverLineY, kTitleSize + 8, false);
    m_mainPanel.Show(EPanelMode::GameOver);
}

// ---------------------------------------------------------------- the step

void CGame::Update(float dt) {
    if (m_watching) {
        UpdateWatching(dt);
        return;
    }
    m_stepInput = ReplayStep();
    StepGame(dt);
    m_recorder.Step(m_stepInput, m_playfield);
    if (m_keepReplayAfterStep) {
        m_keepReplayAfterStep = false;
        KeepFinishedReplay();
    }
}

void CGame::StepGame(float dt) {
    m_hud.SetKeyFocus(IsPaused() && !m_watching);
    if (IsPaused()) {
        // Paused, the keys and the pad reach the HUD's buttons.
        if (!m_watching) {
            m_hud.UpdateKeyFocus();
        }
        m_hud.UpdateScreen(dt);
        if (m_watching && m_stepInput.Has(ReplayInput::HudPause)) {
            TogglePauseByHud();
        }
    } else {
        if (!AnyPanelShown() && m_saveRequested) {
            m_saveRequested = false;
            RequestLeave(m_quitAfterSave);
        }
        if (!BlockingPanelShown()) {
            m_hud.Update(dt);
        }
        if (m_watching && m_stepInput.Has(ReplayInput::HudPause)) {
            TogglePauseByHud();
        }
    }
    UpdatePlayfield(dt);
    m_flow.CheckExtraLife();
    if (!m_watching) {
        SyncPlayerRecord();
    }
}

void CGame::UpdatePlayfield(float dt) {
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
        m_pauseForUnplug = false;
        m_stepInput.input |= ReplayInput::Held;
        ShowPause();
        return;
    }
    m_playfield.Update(dt, ReadPlayInput(dt));
    UpdatePanels(dt);
}

void CGame::UpdatePanels(float dt) {
    if (m_sidePanel.IsShown()) {
        const bool saved = m_sidePanel.IsGameSaved();
        if (m_sidePanel.Step(dt, m_saveRequested, m_flow.IsAllLevelsDone(), DismissHit(),
                             m_stepInput.Has(ReplayInput::PauseKey))) {
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
                          m_stepInput.Has(ReplayInput::PauseKey))) {
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
            Broadcast(kMessageGuiOff);
            CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
            Proceed();
            break;
        default:
            break;
    }
}

void CGame::LaunchFirework() {
    CBoard& board = m_playfield.Board();
    const int32_t rows = std::max(board.BottomRow(), 1);
    const int32_t column = RandomNext() % kBoardColumns;
    const int32_t row = RandomNext() % rows;
    board.Burst(column, row, kFireworkParticles);
    PlayGameSound(EGameSound::PowerupExplosionSmall);
}

bool CGame::PauseAsked() {
    if (!m_watching) {
        const CInput& input = CInput::Get();
        if (input.PadUnplugged() && !IsGameOver()) {
            m_pauseForUnplug = true;
        }
        if (input.KeyHit(DIK_P) || input.KeyHit(DIK_PAUSE) || input.PadHit(EPadButton::Start)) {
            m_stepInput.input |= ReplayInput::PauseKey;
        }
        if (m_pauseForUnplug || input.MouseButtonHit(kMouseMiddle)) {
            m_stepInput.input |= ReplayInput::PauseAsk;
        }
    }
    return m_stepInput.Has(ReplayInput::PauseKey) || m_stepInput.Has(ReplayInput::PauseAsk);
}

bool CGame::DismissHit() {
    if (!m_watching && CGuiCutscene::DismissInput()) {
        m_stepInput.input |= ReplayInput::Dismiss;
    }
    return m_stepInput.Has(ReplayInput::Dismiss);
}

PlayInput CGame::ReadPlayInput(float dt) {
    if (m_watching) {
        return m_stepInput.ToPlayInput();
    }
    const CInput& input = CInput::Get();
    // Paused, the arrows move the HUD's focus instead; a press a focused HUD button took
    // (resuming from the pause) fires nothing.
    PlayInput play = m_aim.Read(m_playfield, !IsPaused(), !input.IsNavConsumed(), dt);
    play.skipHit = play.fireHit || input.MouseButtonHit(kMouseMiddle) || input.KeyHit(DIK_D) ||
                   input.KeyHit(DIK_RETURN);
    const ReplayStep taken = ReplayStep::FromPlayInput(play);
    m_stepInput.aimX = taken.aimX;
    m_stepInput.aimY = taken.aimY;
    m_stepInput.input |= taken.input;
    return play;
}

// The current player's record carries the running values of the game.
void CGame::SyncPlayerRecord() const {
    PlayerRecord* player = GetCurrentPlayer();
    if (player == nullptr) {
        return;
    }
    const PlayerProgress& progress = m_playfield.Progress();
    player->lives = progress.lives;
    player->score = progress.score;
    player->extraLifeBase = progress.extraLifeBase;
}

// ---------------------------------------------------------------- drawing

void CGame::Render() {
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 1.0f);
    m_scene.Draw(m_playfield);
    RenderPlayfield();
    if (!IsPaused()) {
        RenderScore();
    }
    if (!BlockingPanelShown()) {
        m_hud.Render();
        m_hud.RenderHud();
    }
    if (m_watching) {
        RenderWatchBanner();
    }
}

void CGame::RenderPlayfield() {
    const PlayfieldSprites& sprites = m_sprites.Sprites();
    if (!AnyPanelShown()) {
        DrawPlayfield(m_playfield, sprites);
        return;
    }
    const bool gameOverPanel = m_mainPanel.IsShown() && m_mainPanel.IsGameOver();
    const bool gameDonePanel = m_mainPanel.IsShown() && m_mainPanel.IsGameDone();
    if (gameDonePanel && sprites.balls != nullptr) {
        // The field is empty: the launcher and the fireworks.
        DrawPlayfield(m_playfield, sprites);
    } else {
        if (gameOverPanel && sprites.balls != nullptr) {
            DrawBoardField(m_playfield.Board(), *sprites.balls, 0.0f, 0.0f);
        }
        CSprite& launcher = m_sprites.Launcher();
        launcher.SetPos(m_playfield.LauncherPosition().x, m_playfield.LauncherPosition().y);
        launcher.SetRotation(m_playfield.LauncherRotation());
        launcher.Draw();
    }
    if (m_sidePanel.IsShown()) {
        m_sidePanel.Render();
    } else {
        m_mainPanel.Render();
    }
}

void CGame::RenderScore() const {
    DrawPlayScore(m_playfield.Progress().score);
}
