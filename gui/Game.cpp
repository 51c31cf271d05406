#include "gui/Game.h"

#include "core/Log.h"
#include "core/Random.h"
#include "engine/Engine.h"
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

void Broadcast(int32_t messageId, int32_t parameter = 0) {
    CEngine::Get().BroadcastMessage(messageId, parameter);
}
}  // namespace

CGame::CGame() : m_session(*this, *this), m_hud(m_session.Playfield().Progress()) {}

CGame::CGame(ReplayData replay, int32_t returnState)
    : m_session(*this, *this),
      m_hud(m_session.Playfield().Progress()),
      m_watched(std::move(replay)),
      m_watching(true),
      m_watchReturn(returnState) {}

// ---------------------------------------------------------------- set-up

bool CGame::Init() {
    m_leaving = false;
    m_enteredList = false;
    m_pauseForUnplug = false;
    RandomSeedWithTime();
    m_hud.Init();
    m_mainPanel.Init();
    m_sidePanel.Init();
    m_mainPanel.Follow(&m_session.MainPanel());
    m_sidePanel.Follow(&m_session.SidePanel());
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kPlayCursorBottom);
    m_sprites.Build();
    m_scene.Load();
    SetPopUpFont(Playfield(), &CFont::Third());
    Playfield().PopUps().SetColour(1.0f, 0.92f, 0.45f);
    if (m_watching) {
        BeginWatching();
    } else {
        StartPlaying();
    }
    m_hud.RefreshLevel(m_session.Flow().LevelNumber());
    m_hud.OnMessage(kMessageLevelStart, 0);
    return true;
}

// A new game of the current player, or the saved one continued.
void CGame::StartPlaying() {
    SessionStart start;
    start.difficulty = g_difficulty;
    start.levelNumber = g_levelNumber;
    start.firstLevel = g_firstLevel;
    start.lastLevel = g_lastLevel;
    start.playerName = CurrentPlayerName();
    start.editorTestPlay = g_editorTestPlay;
    if (!g_continueSavedGame) {
        m_session.StartNew(start);
        return;
    }
    g_continueSavedGame = false;
    SavedGame game;
    if (!ReadSavedGame(CurrentPlayerSaveFile(), CurrentPlayerLevelFile(), game)) {
        if (CFileManager::Get().Exists(CurrentPlayerSaveFile())) {
            ReportUnreadable(&CTextTable::TxtSavedGameUnreadable, &CTextTable::TxtNewGameStarts,
                             CurrentPlayerSaveFile());
        }
        m_session.StartContinued(start, nullptr, nullptr);
        return;
    }
    g_firstLevel = game.values.firstLevel;
    SelectDifficulty(game.values.difficulty);
    ReplayData kept;
    const bool haveKept = ReadKeptRecording(kept);
    m_session.StartContinued(start, &game, haveKept ? &kept : nullptr);
}

void CGame::Shutdown() {
    if (m_watching) {
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
    SetPopUpFont(Playfield(), nullptr);
    m_sprites.Clear();
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
}

// ---------------------------------------------------------------- levels

bool CGame::ReadLevel(int32_t number, CPlayfield& playfield) {
    const std::string fileName = LevelFileName(number);
    // An edited level that cannot be read gives way to the shipped one, and the player
    // hears of it.
    const CBoard::ELevelRead read = playfield.Board().ReadLevel(fileName);
    if (read == CBoard::ELevelRead::FellBack) {
        ReportUnreadable(&CTextTable::TxtEditedLevelUnreadable, &CTextTable::TxtShippedLevelPlayed, fileName);
    } else if (read == CBoard::ELevelRead::Refused && CFileManager::Get().Exists(fileName)) {
        ReportUnreadable(&CTextTable::TxtEditedLevelUnreadable, nullptr, fileName);
    }
    return read != CBoard::ELevelRead::Refused;
}

uint32_t CGame::NewSeed() {
    return TimeSeed();
}

// The session owns the level during a game; the program's level values follow it for the
// screens that come after.
void CGame::OnLevelChanged(int32_t levelNumber, int32_t lastLevel) {
    g_levelNumber = levelNumber;
    g_lastLevel = lastLevel;
    g_levelFileName = LevelFileName(levelNumber);
}

void CGame::OnLevelBegins() {
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kPlayCursorBottom);
    Broadcast(kMessageGuiOn);
}

void CGame::OnLevelStarted(int32_t) {
    Broadcast(kMessageLevelStart);
}

// The session's events are the game's messages for the other screens (the HUD's lives).
void CGame::OnGameEvent(EGameEvent event, int32_t parameter) {
    switch (event) {
        case EGameEvent::LevelFinished:
            Broadcast(kMessageLevelFinished);
            break;
        case EGameEvent::MulticolorArrived:
            Broadcast(kMessageMulticolorArrived);
            break;
        case EGameEvent::ReplayLevel:
            Broadcast(kMessageReplayLevel);
            break;
        case EGameEvent::LifeLost:
            Broadcast(kMessageLifeLost);
            break;
        case EGameEvent::RowBonus:
            Broadcast(kMessageRowBonus, parameter);
            break;
        case EGameEvent::ExtraLife:
            break;   // the HUD shows it from the player's values
    }
}

void CGame::OnGameOverDismissed() {
    Broadcast(kMessageGuiOff);
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
}

void CGame::OnBackToEditor() {
    Broadcast(kMessageBackToEditor);
}

void CGame::OnGameEnded(uint32_t score, int32_t levelsFinished) {
    CHighscore& highscore = CHighscore::Get();
    m_enteredList = highscore.FindRank(score) >= 0 && highscore.AddEntry(score, levelsFinished, CurrentPlayerName());
    g_highscoreNewEntry = true;
    m_leaving = true;
    GoToScreen(kStateHighscore);
}

void CGame::OnLeave(bool quit) {
    if (m_watching || m_leaving) {
        return;
    }
    m_leaving = true;
    if (quit) {
        LeaveProgram();
    } else {
        BackToMainMenu();
    }
}

// ---------------------------------------------------------------- messages

void CGame::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kCommandPauseGame:
            // While watching, the replay says when its player pressed the button.
            if (!m_watching) {
                m_session.TogglePauseByHud();
            }
            break;
        case kMessageLevelStart:
            m_hud.RefreshLevel(m_session.Flow().LevelNumber());
            break;
        case kCommandExitGame:
            if (m_watching) {
                LeaveProgram();
            } else {
                m_session.AskToLeave(true);
            }
            break;
        case kStateMainMenu:
            if (m_watching) {
                EndWatching();
            } else {
                m_session.AskToLeave(false);
            }
            break;
        default:
            break;
    }
    m_hud.OnMessage(messageId, parameter);
}

void CGame::Deactivate() {
    if (m_watching) {
        m_watchPaused = true;
    } else {
        m_session.PauseForFocus();
    }
}

bool CGame::OnEscape() {
    if (m_watching) {
        EndWatching();
    } else {
        m_session.AskToLeave(false);
    }
    return true;
}

// ---------------------------------------------------------------- saved games

bool CGame::WriteSave(const SavedGame& game) {
    const std::string saveName = CurrentPlayerSaveFile();
    const std::string fieldName = CurrentPlayerLevelFile();
    if (saveName.empty() || fieldName.empty()) {
        CLog::Get().Write("CGame::SaveGame FAILED, no current player");
        return false;
    }
    return WriteSavedGame(game, saveName, fieldName);
}

// ---------------------------------------------------------------- panels

void CGame::OnPanelShown(EPanelSlot slot, const SessionPanel& panel) {
    switch (panel.mode) {
        case EPanelMode::LevelStart:
            WriteLevelStartLines(panel);
            break;
        case EPanelMode::LevelDone:
            WriteLevelDoneLines(*panel.levelDone);
            break;
        case EPanelMode::GameDone:
            WriteGameDoneLines(*panel.gameDone);
            break;
        case EPanelMode::GameOver:
            WriteGameOverLines();
            break;
        case EPanelMode::Pause:
            WritePauseLines();
            break;
        case EPanelMode::GameSaved:
            WriteGameSavedLines();
            break;
        case EPanelMode::None:
            break;
    }
    (slot == EPanelSlot::Main ? m_mainPanel : m_sidePanel).StartSlide();
}

void CGame::WriteLevelStartLines(const SessionPanel& panel) {
    m_mainPanel.Clear();
    const CLanguage& texts = CLanguage::Get();
    const std::string levelLine = std::string(texts.TxtLevelBanner()) + std::to_string(panel.levelNumber);
    if (panel.continuing) {
        m_mainPanel.AddLine(texts.TxtLoadGame(), kLoadLineY, kTitleSize, false);
        m_mainPanel.AddLine(levelLine, kLevelLineBelowLoadY, kTitleSize, false);
    } else {
        m_mainPanel.AddLine(levelLine, kLevelLineY, kTitleSize, false);
    }
    for (int32_t i = 0; i < m_mainPanel.LineCount(); ++i) {
        m_mainPanel.SlideLine(i, 0.0f, -400.0f, kPanelSlideTime);
    }
}

void CGame::WritePauseLines() {
    const CLanguage& texts = CLanguage::Get();
    m_sidePanel.Clear();
    m_sidePanel.AddLine(texts.TxtPaused(), kPausedLineY, kTitleSize, false);
    // Keys and pad players are told their own way back.
    const bool byMouse = CInput::Get().UsesMouse();
    m_sidePanel.AddLine(byMouse ? texts.TxtPressToResume() : texts.TxtKeysResume(), kResumeLineY, kHintSize, true);
    m_sidePanel.SlideLine(0, -500.0f, 0.0f, kPanelSlideTime);
    m_sidePanel.SlideLine(1, 700.0f, 0.0f, kPanelSlideTime);
}

void CGame::WriteLevelDoneLines(const LevelDoneSummary& summary) {
    m_mainPanel.Clear();
    for (int32_t i = 0; i < summary.lineCount; ++i) {
        m_mainPanel.AddLine(summary.lines[i].text, summary.lines[i].y, i == 0 ? kTitleSize : kLineSize, i != 0);
        m_mainPanel.SlideLine(i, i % 2 == 0 ? -500.0f : 700.0f, 0.0f, kPanelSlideTime);
    }
}

void CGame::WriteGameDoneLines(const GameDoneSummary& summary) {
    m_mainPanel.Clear();
    for (int32_t i = 0; i < summary.lineCount; ++i) {
        m_mainPanel.AddLine(summary.lines[i].text, summary.lines[i].y, kLineSize, i != 0);
        m_mainPanel.SlideLine(i, 0.0f, -400.0f, kPanelSlideTime);
    }
}

void CGame::WriteGameOverLines() {
    m_mainPanel.Clear();
    m_mainPanel.AddLine(CLanguage::Get().TxtGameOver(), kGameOverLineY, kTitleSize + 8, false);
}

void CGame::WriteGameSavedLines() {
    m_sidePanel.Clear();
    m_sidePanel.AddLine(CLanguage::Get().TxtGameSaved(), kSavedLineY, kTitleSize, false);
}

// ---------------------------------------------------------------- the step

void CGame::Update(float dt) {
    if (m_watching) {
        UpdateWatching(dt);
        return;
    }
    UpdateHud(dt);
    m_session.Step(ReadStep(dt));
    if (m_session.IsPaused()) {
        m_pauseForUnplug = false;
    }
    m_mainPanel.Animate(dt);
    m_sidePanel.Animate(dt);
    SyncPlayerRecord();
}

void CGame::UpdateHud(float dt) {
    const bool paused = IsPaused();
    m_hud.SetKeyFocus(paused && !m_watching);
    if (paused) {
        // Paused, the keys and the pad reach the HUD's buttons.
        if (!m_watching) {
            m_hud.UpdateKeyFocus();
        }
        m_hud.UpdateScreen(dt);
    } else if (!m_session.BlockingPanelShown()) {
        m_hud.Update(dt);
    }
}

ReplayStep CGame::ReadStep(float dt) {
    const CInput& input = CInput::Get();
    ReplayStep step;
    if (input.PadUnplugged() && !IsGameOver()) {
        m_pauseForUnplug = true;
    }
    if (input.KeyHit(DIK_P) || input.KeyHit(DIK_PAUSE) || input.PadHit(EPadButton::Start)) {
        step.input |= ReplayInput::PauseKey;
    }
    if (m_pauseForUnplug || input.MouseButtonHit(kMouseMiddle)) {
        step.input |= ReplayInput::PauseAsk;
    }
    if (CGuiCutscene::DismissInput()) {
        step.input |= ReplayInput::Dismiss;
    }
    // Paused, the arrows move the HUD's focus instead; a press a focused HUD button took
    // (resuming from the pause) fires nothing.
    PlayInput play = m_aim.Read(Playfield(), !IsPaused(), !input.IsNavConsumed(), dt);
    play.skipHit = play.fireHit || input.MouseButtonHit(kMouseMiddle) || input.KeyHit(DIK_D) ||
                   input.KeyHit(DIK_RETURN);
    const ReplayStep taken = ReplayStep::FromPlayInput(play);
    step.aimX = taken.aimX;
    step.aimY = taken.aimY;
    step.input |= taken.input;
    return step;
}

// The current player's record carries the running values of the game.
void CGame::SyncPlayerRecord() const {
    PlayerRecord* player = GetCurrentPlayer();
    if (player == nullptr) {
        return;
    }
    const PlayerProgress& progress = Playfield().Progress();
    player->lives = progress.lives;
    player->score = progress.score;
    player->extraLifeBase = progress.extraLifeBase;
}

// ---------------------------------------------------------------- drawing

void CGame::Render() {
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 1.0f);
    m_scene.Draw(Playfield());
    RenderPlayfield();
    if (!IsPaused()) {
        RenderScore();
    }
    if (!m_session.BlockingPanelShown()) {
        m_hud.Render();
        m_hud.RenderHud();
    }
    if (m_watching) {
        RenderWatchBanner();
    }
}

void CGame::RenderPlayfield() {
    const PlayfieldSprites& sprites = m_sprites.Sprites();
    if (!m_session.AnyPanelShown()) {
        DrawPlayfield(Playfield(), sprites);
        return;
    }
    const bool gameOverPanel = m_mainPanel.IsShown() && m_mainPanel.IsGameOver();
    const bool gameDonePanel = m_mainPanel.IsShown() && m_mainPanel.IsGameDone();
    if (gameDonePanel && sprites.balls != nullptr) {
        // The field is empty: the launcher and the fireworks.
        DrawPlayfield(Playfield(), sprites);
    } else {
        if (gameOverPanel && sprites.balls != nullptr) {
            DrawBoardField(Playfield().Board(), *sprites.balls, 0.0f, 0.0f);
        }
        CSprite& launcher = m_sprites.Launcher();
        launcher.SetPos(Playfield().LauncherPosition().x, Playfield().LauncherPosition().y);
        launcher.SetRotation(Playfield().LauncherRotation());
        launcher.Draw();
    }
    if (m_sidePanel.IsShown()) {
        m_sidePanel.Render();
    } else {
        m_mainPanel.Render();
    }
}

void CGame::RenderScore() const {
    DrawPlayScore(Playfield().Progress().score);
}
