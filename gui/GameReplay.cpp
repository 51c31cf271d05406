// CGame's recording of the game being played and its playing back of a recorded one.
#include "gui/Game.h"

#include "core/Log.h"
#include "core/Random.h"
#include "engine/Engine.h"
#include "game/SavedGame.h"
#include "gui/GuiArt.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ReplayStore.h"
#include "resources/Crc32.h"

#include <cstring>
#include <string>
#include <vector>

namespace {
// The banner of a replay being watched: a shaded box at the top of the field.
constexpr float kWatchBannerTop = 6.0f;
constexpr float kWatchBannerWidth = 310.0f;
constexpr float kWatchBannerHeight = 52.0f;

// The replay the next game state plays back.
ReplayData g_replayToWatch;
bool g_replayWaiting = false;

}  // namespace

void WatchReplayNext(ReplayData&& replay) {
    g_replayToWatch = std::move(replay);
    g_replayWaiting = true;
}

// A new seed from the clock, kept in the recording with the level's cells; while
// watching, the recorded seed of the same level.
uint32_t CGame::LevelSeed(int32_t number, uint32_t cellsCrc) {
    if (!m_watching) {
        const uint32_t seed = TimeSeed();
        m_lastLoad = LevelLoad{number, seed, cellsCrc};
        m_recorder.Event(EReplayEvent::Seed, number, seed, cellsCrc);
        return seed;
    }
    const ReplayEvent* recorded = m_reader.TakeEvent(EReplayEvent::Seed);
    if (recorded == nullptr || recorded->number != number) {
        WatchDiverged("the replay loads another level here");
        return 0;
    }
    if (recorded->extra != cellsCrc) {
        WatchDiverged("a level differs from the one recorded");
    }
    return recorded->value;
}

// ---------------------------------------------------------------- recording

void CGame::BeginRecording(bool fromSave) {
    if (g_editorTestPlay) {
        m_recorder.Stop();
        return;
    }
    ReplayHeader header;
    header.difficulty = m_playfield.Difficulty();
    header.firstLevel = g_firstLevel;
    header.lastLevel = m_flow.LastLevel();
    header.levelNumber = m_flow.LevelNumber();
    header.fromSave = fromSave;
    header.playerName = CurrentPlayerName();
    m_recorder.Begin(header);
}

void CGame::Note(EReplayEvent kind, int32_t number, uint32_t value, uint32_t extra) {
    if (!m_watching) {
        m_recorder.Event(kind, number, value, extra);
        return;
    }
    const ReplayEvent* recorded = m_reader.TakeEvent(kind);
    if (recorded == nullptr || recorded->number != number) {
        WatchDiverged("the game went another way than recorded");
    }
}

// Each save marks the recording, and the recording up to it is kept beside the save, so
// that continuing the save goes on recording the same game.
void CGame::RecordSave(const SavedGame& game) {
    if (!m_recorder.IsRecording()) {
        return;
    }
    std::vector<uint8_t> save, field, bytes;
    m_recorder.Event(EReplayEvent::Saved, 0, SavedGameCrc(game, save, field));
    EncodeReplay(m_recorder.Data(), bytes);
    WriteReplayFile(SavedGameReplayName(CurrentPlayerSaveFile()), bytes);
}

void CGame::RecordContinue(const SavedGame& game) {
    if (g_editorTestPlay) {
        return;
    }
    std::vector<uint8_t> save, field, bytes, packed;
    const uint32_t crc = SavedGameCrc(game, save, field);
    ReplayData kept;
    std::string why;
    const std::string keptName = SavedGameReplayName(CurrentPlayerSaveFile());
    const bool resumable = ReadReplayFile(keptName, bytes) && DecodeReplay(bytes, kept, why) && !kept.header.finished &&
                           !kept.events.empty() && kept.events.back().kind == EReplayEvent::Saved &&
                           kept.events.back().value == crc;
    if (resumable) {
        m_recorder.Resume(std::move(kept));
    } else {
        if (!why.empty()) {
            CLog::Get().Write("CGame::RecordContinue FAILED, %s: %s", keptName.c_str(), why.c_str());
        }
        // The game goes on recording from its save, which the replay carries.
        BeginRecording(true);
        m_recorder.SetStartProgress(game.progress.lives, game.progress.score);
    }
    PackSaveBytes(save, field, packed);
    m_recorder.Continued(packed, m_playfield.Random().State());
}

// The end of a game: the last game, and the replay of its high-score entry.
void CGame::KeepFinishedReplay() {
    std::vector<uint8_t> bytes;
    EncodeReplay(m_recorder.Data(), bytes);
    WriteReplayFile(kLastReplayName, bytes);
    DeleteReplayFile(SavedGameReplayName(CurrentPlayerSaveFile()));
    if (!m_enteredList) {
        return;
    }
    const CHighscore& highscore = CHighscore::Get();
    std::vector<ReplayIndexEntry> listEntries;
    for (int32_t rank = 0; rank < kHighscoreEntries; ++rank) {
        const HighscoreEntry& entry = highscore.Entry(rank);
        ReplayIndexEntry listed;
        listed.listFile = highscore.GetFileName();
        listed.playerName.assign(entry.name, strnlen(entry.name, sizeof entry.name));
        listed.score = entry.score;
        listed.levels = entry.levels;
        listEntries.push_back(listed);
    }
    ReplayIndexEntry kept;
    kept.listFile = highscore.GetFileName();
    kept.playerName = CurrentPlayerName();
    kept.score = m_recorder.Data().header.finalScore;
    kept.levels = m_recorder.Data().header.levelsFinished;
    CReplayIndex index;
    index.Load();
    index.Keep(kept, bytes, listEntries);
}

// A game left unfinished is still the last game.
void CGame::KeepLastReplay() {
    if (m_recorder.Steps() == 0 || m_recorder.Data().header.finished) {
        return;
    }
    std::vector<uint8_t> bytes;
    EncodeReplay(m_recorder.Data(), bytes);
    WriteReplayFile(kLastReplayName, bytes);
}

// ---------------------------------------------------------------- watching

bool CGame::BeginWatching() {
    m_watchPaused = false;
    m_watchEnded = false;
    m_watchDiverged = false;
    m_watchSpeed = 1;
    if (!g_replayWaiting) {
        return false;
    }
    g_replayWaiting = false;
    m_watched = std::move(g_replayToWatch);
    g_replayToWatch = ReplayData();
    m_borrowed = BorrowedValues{g_difficulty, g_levelNumber, g_firstLevel, g_lastLevel, g_levelFileName};
    const ReplayHeader& header = m_watched.header;
    g_difficulty = header.difficulty;
    g_levelNumber = header.levelNumber;
    g_firstLevel = header.firstLevel;
    g_lastLevel = header.lastLevel;
    g_continueSavedGame = false;
    m_reader.Start(&m_watched);
    m_recorder.Stop();
    if (m_watchShade.Load(kShadingPicture.name)) {
        m_watchShade.SetBlend(true);
        m_watchShade.SetSize(kWatchBannerWidth, kWatchBannerHeight);
        m_watchShade.SetPos(320.0f - kWatchBannerWidth / 2.0f, kWatchBannerTop);
    }
    CLog::Get().Write("CGame::BeginWatching, %u steps", header.steps);
    return true;
}

void CGame::UpdateWatching(float dt) {
    const CInput& input = CInput::Get();
    if (input.KeyHit(DIK_P) || input.KeyHit(DIK_SPACE) || input.KeyHit(DIK_PAUSE) || input.PadHit(EPadButton::Start) ||
        input.PadHit(EPadButton::A)) {
        m_watchPaused = !m_watchPaused;
    }
    if ((input.KeyHit(DIK_RIGHT) || input.PadHit(EPadButton::DpadRight)) && m_watchSpeed < 4) {
        m_watchSpeed *= 2;
    }
    if ((input.KeyHit(DIK_LEFT) || input.PadHit(EPadButton::DpadLeft)) && m_watchSpeed > 1) {
        m_watchSpeed /= 2;
    }
    if ((input.KeyHit(DIK_RETURN) || input.MouseButtonHit(kMouseLeft)) && (m_watchEnded || m_watchDiverged)) {
        EndWatching();
        return;
    }
    const bool stopped = m_watchPaused || m_watchEnded || m_watchDiverged;
    const int32_t steps = stopped ? 0 : m_watchSpeed;
    for (int32_t i = 0; i < steps && !m_watchEnded && !m_watchDiverged; ++i) {
        if (m_reader.AtEnd()) {
            m_watchEnded = true;
            break;
        }
        // A game left and continued later goes on from its save.
        if (const ReplayEvent* event = m_reader.TakeEvent(EReplayEvent::Continue)) {
            ContinueWatchedSave(*event);
        }
        m_stepInput = m_reader.NextStep();
        StepGame(dt);
        uint32_t expected = 0, actual = 0;
        if (!m_reader.CheckField(m_playfield, expected, actual)) {
            CLog::Get().Write("CGame::UpdateWatching FAILED, field %08x, recorded %08x at step %u", actual, expected,
                              m_reader.StepNumber());
            WatchDiverged("the field differs from the recording");
        }
    }
    if (stopped) {
        // The picture stays as it is; pop-ups and effects hold still too.
        m_hud.UpdateScreen(0.0f);
    }
}

void CGame::ContinueWatchedSave(const ReplayEvent& event) {
    std::vector<uint8_t> save, field;
    SavedGame game;
    std::string why;
    if (!UnpackSaveBytes(event.save, save, field) || !DecodeSavedGame(save, field, game, why)) {
        WatchDiverged("the replay's saved game is damaged");
        return;
    }
    // As a game state that has just been made continues it.
    m_mainPanel.Clear();
    m_sidePanel.Clear();
    m_panelNoted = false;
    m_playfield.SetPanelShown(false);
    m_playfield.Progress() = PlayerProgress();
    m_flow.BeginGame(game.values.levelNumber, game.values.lastLevel);
    ContinueGame(game);
    m_playfield.Random().Seed(event.extra);
}

void CGame::WatchDiverged(const char* why) {
    if (m_watchDiverged) {
        return;
    }
    m_watchDiverged = true;
    CLog::Get().Write("CGame::WatchDiverged, step %u: %s", m_reader.StepNumber(), why);
}

void CGame::EndWatching() {
    if (m_leaving) {
        return;
    }
    m_leaving = true;
    // Back to the list the replay was opened from.
    if (m_borrowed.difficulty == kDifficultyNormal) {
        g_highscoreFromMenu = false;
    }
    g_highscoreNewEntry = false;
    CEngine::Get().BroadcastMessage(kMessageGuiOff, 0);
    GoToScreen(kStateHighscore);
}

// "REPLAY x2" at the top of the field, the keys below it; the end or a difference when
// there is one.
void CGame::RenderWatchBanner() const {
    CGfxOGL& gfx = CGfxOGL::Get();
    const CLanguage& texts = CLanguage::Get();
    CFont& font = CFont::Main();
    CFont& small = CFont::Small();
    std::string banner = texts.TxtReplayBanner();
    if (m_watchDiverged) {
        banner = texts.TxtReplayDiverged();
    } else if (m_watchEnded) {
        banner = texts.TxtReplayEnded();
    } else if (m_watchPaused) {
        banner += std::string("   ") + texts.TxtPaused();
    } else {
        banner += "   x" + std::to_string(m_watchSpeed);
    }
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    m_watchShade.Draw();
    m_watchShade.Draw();
    const int32_t size = m_watchDiverged ? 18 : 24;
    font.SetCharSize(size, size);
    gfx.Color(0.0f, 0.0f, 0.0f, 0.6f);
    font.PrintCentered(banner.c_str(), 322.0f, kWatchBannerTop + 6.0f);
    gfx.Color(1.0f, 0.85f, 0.3f, 1.0f);
    font.PrintCentered(banner.c_str(), 320.0f, kWatchBannerTop + 4.0f);
    font.ResetCharSize();
    small.SetCharSize(16, 16);
    gfx.Color(1.0f, 1.0f, 1.0f, 0.9f);
    small.PrintCentered(texts.TxtReplayKeys(), 320.0f, kWatchBannerTop + 32.0f);
    small.ResetCharSize();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
}

