// CGame's keeping of the game's recording and its watching of a recorded one.
#include "gui/Game.h"

#include "core/Log.h"
#include "engine/Engine.h"
#include "gui/ReplayWatch.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ReplayLibrary.h"
#include "profile/ReplayStore.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

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

// The end of a game: the last game, the replay of its high-score entry, and the replays list.
void CGame::OnRecordingFinished(const ReplayData& recording) {
    std::vector<uint8_t> bytes;
    EncodeReplay(recording, bytes);
    WriteReplayFile(kLastReplayName, bytes);
    DeleteReplayFile(SavedGameReplayName(CurrentPlayerSaveFile()));
    std::string linked;
    if (m_enteredList) {
        linked = KeepHighScoreReplay(recording, bytes);
    }
    if (g_editorTestPlay) {
        return;
    }
    CReplayLibrary library;
    library.Load();
    const LibraryEntry entry = GameLibraryEntry(recording, static_cast<uint32_t>(std::time(nullptr)));
    if (!linked.empty()) {
        library.AddLinked(entry, linked);
    } else {
        library.Add(entry, bytes);
    }
}

// The replay of the game's new high-score entry; its file name, or "" when it was not kept.
std::string CGame::KeepHighScoreReplay(const ReplayData& recording, const std::vector<uint8_t>& bytes) const {
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
    if (!index.Keep(kept, bytes, listEntries)) {
        return std::string();
    }
    return CReplayIndex::FileFor(index.Entries().back().sequence);
}

// A game left unfinished is still the last game, and goes into the replays list.
void CGame::KeepLastReplay() {
    const CReplayRecorder& recorder = m_session.Recorder();
    if (recorder.Steps() == 0 || recorder.Data().header.finished) {
        return;
    }
    std::vector<uint8_t> bytes;
    EncodeReplay(recorder.Data(), bytes);
    WriteReplayFile(kLastReplayName, bytes);
    if (g_editorTestPlay) {
        return;
    }
    LibraryEntry entry = GameLibraryEntry(recorder.Data(), static_cast<uint32_t>(std::time(nullptr)));
    entry.score = static_cast<uint32_t>(std::max(0, Playfield().Progress().score));
    CReplayLibrary library;
    library.Load();
    library.Add(entry, bytes);
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
    PrepareReplayBannerShade(m_watchShade);
    CLog::Get().Write("CGame::BeginWatching, %u steps", header.steps);
    m_session.StartWatching(m_watched);
}

void CGame::UpdateWatching(float dt) {
    const CInput& input = CInput::Get();
    ReadReplayWatchKeys(m_watchPaused, m_watchSpeed);
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
    GoToScreen(m_watchReturn);
}

// "REPLAY x2" at the top of the field, the keys below it; the end or a difference when
// there is one.
void CGame::RenderWatchBanner() const {
    const CLanguage& texts = CLanguage::Get();
    std::string banner = ReplayBannerText(m_watchPaused, m_watchSpeed);
    if (HasWatchDiverged()) {
        banner = texts.TxtReplayDiverged();
    } else if (IsWatchEnded()) {
        banner = texts.TxtReplayEnded();
    }
    DrawReplayBanner(m_watchShade, banner, HasWatchDiverged() ? 18 : 24);
}
