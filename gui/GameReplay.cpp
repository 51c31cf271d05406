// CGame's keeping of the game's recording and its watching of a recorded one.
#include "gui/Game.h"

#include "core/Log.h"
#include "engine/Engine.h"
#include "gui/GuiArt.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ReplayStore.h"

#include <cstring>
#include <string>
#include <vector>

namespace {
// The banner of a replay being watched: a shaded box at the top of the field.
constexpr float kWatchBannerTop = 6.0f;
constexpr float kWatchBannerWidth = 310.0f;
constexpr float kWatchBannerHeight = 52.0f;
}  // namespace

// ---------------------------------------------------------------- recording

// Each save is marked in the recording, and the recording up to it is kept beside the
// save, so that continuing the save goes on recording the same game.
void CGame::KeepRecordingAtSave(const ReplayData& recording) {
    std::vector<uint8_t> bytes;
    EncodeReplay(recording, bytes);
    WriteReplayFile(SavedGameReplayName(CurrentPlayerSaveFile()), bytes);
}

bool CGame::ReadKeptRecording(ReplayData& kept) const {
    if (g_editorTestPlay) {
        return false;
    }
    std::vector<uint8_t> bytes;
    std::string why;
    const std::string keptName = SavedGameReplayName(CurrentPlayerSaveFile());
    if (!ReadReplayFile(keptName, bytes)) {
        return false;
    }
    if (!DecodeReplay(bytes, kept, why)) {
        CLog::Get().Write("CGame::RecordContinue FAILED, %s: %s", keptName.c_str(), why.c_str());
        return false;
    }
    return true;
}

// The end of a game: the last game, and the replay of its high-score entry.
void CGame::OnRecordingFinished(const ReplayData& recording) {
    std::vector<uint8_t> bytes;
    EncodeReplay(recording, bytes);
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
    kept.score = recording.header.finalScore;
    kept.levels = recording.header.levelsFinished;
    CReplayIndex index;
    index.Load();
    index.Keep(kept, bytes, listEntries);
}

// A game left unfinished is still the last game.
void CGame::KeepLastReplay() {
    const CReplayRecorder& recorder = m_session.Recorder();
    if (recorder.Steps() == 0 || recorder.Data().header.finished) {
        return;
    }
    std::vector<uint8_t> bytes;
    EncodeReplay(recorder.Data(), bytes);
    WriteReplayFile(kLastReplayName, bytes);
}

// ---------------------------------------------------------------- watching

void CGame::BeginWatching() {
    m_watchPaused = false;
    m_watchSpeed = 1;
    m_borrowed = BorrowedValues{g_difficulty, g_levelNumber, g_firstLevel, g_lastLevel, g_levelFileName};
    const ReplayHeader& header = m_watched.header;
    g_difficulty = header.difficulty;
    g_levelNumber = header.levelNumber;
    g_firstLevel = header.firstLevel;
    g_lastLevel = header.lastLevel;
    g_continueSavedGame = false;
    if (m_watchShade.Load(kShadingPicture.name)) {
        m_watchShade.SetBlend(true);
        m_watchShade.SetSize(kWatchBannerWidth, kWatchBannerHeight);
        m_watchShade.SetPos(320.0f - kWatchBannerWidth / 2.0f, kWatchBannerTop);
    }
    CLog::Get().Write("CGame::BeginWatching, %u steps", header.steps);
    m_session.StartWatching(m_watched);
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
    if ((input.KeyHit(DIK_RETURN) || input.MouseButtonHit(kMouseLeft)) && (IsWatchEnded() || HasWatchDiverged())) {
        EndWatching();
        return;
    }
    const bool stopped = m_watchPaused || IsWatchEnded() || HasWatchDiverged();
    const int32_t steps = stopped ? 0 : m_watchSpeed;
    for (int32_t i = 0; i < steps; ++i) {
        UpdateHud(dt);
        const bool more = m_session.StepWatched();
        m_mainPanel.Animate(dt);
        m_sidePanel.Animate(dt);
        if (!more) {
            break;
        }
    }
    const WatchProgress& watch = m_session.Watch();
    if (watch.diverged && !stopped) {
        CLog::Get().Write("CGame::WatchDiverged, step %u: %s", watch.divergedAt, watch.why.c_str());
    }
    if (stopped) {
        // The picture stays as it is; pop-ups and effects hold still too.
        m_hud.UpdateScreen(0.0f);
    }
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
    if (HasWatchDiverged()) {
        banner = texts.TxtReplayDiverged();
    } else if (IsWatchEnded()) {
        banner = texts.TxtReplayEnded();
    } else if (m_watchPaused) {
        banner += std::string("   ") + texts.TxtPaused();
    } else {
        banner += "   x" + std::to_string(m_watchSpeed);
    }
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    m_watchShade.Draw();
    m_watchShade.Draw();
    const int32_t size = HasWatchDiverged() ? 18 : 24;
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

