#include "game/Replay.h"

#include "core/Log.h"
#include "game/ReplayFile.h"
#include "game/SavedGame.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <cmath>

PlayInput ReplayStep::ToPlayInput() const {
    PlayInput play;
    play.mouseX = aimX;
    play.mouseY = aimY;
    play.mouseMoved = Has(ReplayInput::Moved);
    play.fireHit = Has(ReplayInput::Fire);
    play.swapHit = Has(ReplayInput::Swap);
    play.skipHit = Has(ReplayInput::Skip);
    return play;
}

ReplayStep ReplayStep::FromPlayInput(const PlayInput& play) {
    ReplayStep step;
    step.aimX = play.mouseX;
    step.aimY = play.mouseY;
    step.input = static_cast<uint16_t>((play.mouseMoved ? ReplayInput::Moved : 0) | (play.fireHit ? ReplayInput::Fire : 0) |
                                       (play.swapHit ? ReplayInput::Swap : 0) | (play.skipHit ? ReplayInput::Skip : 0));
    return step;
}

bool ReplayStep::operator==(const ReplayStep& other) const {
    return input == other.input && aimX == other.aimX && aimY == other.aimY;
}

// ---------------------------------------------------------------- checksums and saves

uint32_t SavedGameCrc(const SavedGame& game, std::vector<uint8_t>& save, std::vector<uint8_t>& field) {
    EncodeSavedGame(game, save, field);
    const uint32_t reg = Crc32Register(save.data(), save.size());
    return ~Crc32Update(reg, field.data(), field.size());
}

namespace {
// The checksum with the second particles' flag as given: that flag is for the eye only
// (the particles' lifetimes come from the effects' own generator).
uint32_t FieldChecksum(const CPlayfield& playfield, bool secondParticlesActive) {
    // Once a second while a game is recorded: the buffers keep their room between calls.
    static std::vector<uint8_t> save, field;
    SavedGame game = CaptureSavedGame(SavedGameValues(), playfield);
    game.playfield.secondParticlesActive = secondParticlesActive;
    uint32_t reg = ~SavedGameCrc(game, save, field);
    uint8_t more[12];
    WriteLe32(&more[0], playfield.Random().State());
    WriteLe32(&more[4], static_cast<uint32_t>(playfield.Phase()));
    WriteLe32(&more[8], static_cast<uint32_t>(playfield.Board().BottomRow()));
    return ~Crc32Update(reg, more, sizeof more);
}
}  // namespace

uint32_t PlayfieldChecksum(const CPlayfield& playfield) {
    return FieldChecksum(playfield, false);
}

bool ChecksumAgrees(uint32_t recorded, uint32_t checksum, const CPlayfield& playfield) {
    return recorded == checksum || recorded == FieldChecksum(playfield, true);
}

uint32_t LevelCellsCrc(const CBoard& board) {
    uint8_t cells[kBoardRows * kBoardColumns];
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            cells[row * kBoardColumns + column] = static_cast<uint8_t>(board.CellAt(column, row).colour);
        }
    }
    return Crc32(cells, sizeof cells);
}

// ---------------------------------------------------------------- recording

void CAimGlances::Reset(float aimX, float aimY) {
    m_aimX = aimX;
    m_aimY = aimY;
    m_sinceGlance = kReplayAimGlanceSteps;
    m_glancePending = false;
}

ReplayStep CAimGlances::Keep(const ReplayStep& step) {
    ReplayStep kept = step;
    if (kept.Has(ReplayInput::Fire)) {
        m_glancePending = false;
        m_sinceGlance = 0;
    } else {
        if (kept.Has(ReplayInput::Moved)) {
            m_pendingX = std::round(kept.aimX);
            m_pendingY = std::round(kept.aimY);
            m_glancePending = true;
            kept.input &= static_cast<uint16_t>(~ReplayInput::Moved);
        }
        if (m_glancePending && m_sinceGlance >= kReplayAimGlanceSteps) {
            kept.input |= ReplayInput::Moved;
            m_aimX = m_pendingX;
            m_aimY = m_pendingY;
            m_glancePending = false;
            m_sinceGlance = 0;
        }
        kept.aimX = m_aimX;
        kept.aimY = m_aimY;
    }
    ++m_sinceGlance;
    m_aimX = kept.aimX;
    m_aimY = kept.aimY;
    return kept;
}

void CReplayRecorder::Begin(const ReplayHeader& header) {
    m_data = ReplayData();
    m_data.header = header;
    m_recording = true;
    m_stopAfterStep = false;
    m_steps = 0;
    m_settledBytes = kReplayFrameBytes;
    m_lastRunBytes = 0;
    const ReplayStep start;
    m_glances.Reset(start.aimX, start.aimY);
}

void CReplayRecorder::Resume(ReplayData&& replay) {
    m_data = std::move(replay);
    m_recording = true;
    m_stopAfterStep = false;
    m_steps = m_data.header.steps;
    m_settledBytes = kReplayFrameBytes;
    m_lastRunBytes = 0;
    for (const ReplayEvent& event : m_data.events) {
        m_settledBytes += ReplayEventBytes(event);
    }
    ReplayStep previous;
    for (const ReplayRun& run : m_data.runs) {
        m_settledBytes += m_lastRunBytes;
        m_lastRunBytes = ReplayRunBytes(run, previous);
        previous = run.step;
    }
    const ReplayStep last = m_data.runs.empty() ? ReplayStep() : m_data.runs.back().step;
    m_glances.Reset(last.aimX, last.aimY);
}

void CReplayRecorder::Step(const ReplayStep& step, const CPlayfield& playfield) {
    if (!m_recording || m_steps >= kReplayMaxSteps) {
        return;
    }
    if (!Append(m_glances.Keep(step))) {
        return;
    }
    ++m_steps;
    m_data.header.steps = m_steps;
    if (m_steps % kReplayCheckSteps == 0) {
        Event(EReplayEvent::Check, 0, PlayfieldChecksum(playfield));
    }
    if (m_stopAfterStep) {
        m_recording = false;
    }
}

bool CReplayRecorder::Append(const ReplayStep& step) {
    std::vector<ReplayRun>& runs = m_data.runs;
    // A run never spans an event: the stream puts each event between the steps it fell in.
    const bool eventSince = !m_data.events.empty() && m_data.events.back().step == m_steps;
    const bool extends = !runs.empty() && !eventSince && runs.back().step == step;
    ReplayRun run = extends ? runs.back() : ReplayRun{step, 0};
    ++run.count;
    const size_t before = runs.size() - (extends ? 1 : 0);
    const ReplayStep previous = before > 0 ? runs[before - 1].step : ReplayStep();
    const size_t runBytes = ReplayRunBytes(run, previous);
    const size_t settled = m_settledBytes + (extends ? 0 : m_lastRunBytes);
    // A step leaves room for the closing events (a checksum, a save's mark, the end).
    if (settled + runBytes > kReplayMaxBytes - kReplayClosingBytes) {
        StopAtLimit();
        return false;
    }
    m_settledBytes = settled;
    m_lastRunBytes = runBytes;
    if (extends) {
        runs.back() = run;
    } else {
        runs.push_back(run);
    }
    return true;
}

void CReplayRecorder::Add(ReplayEvent&& event) {
    const size_t eventBytes = ReplayEventBytes(event);
    if (m_settledBytes + m_lastRunBytes + eventBytes > kReplayMaxBytes) {
        StopAtLimit();
        return;
    }
    m_settledBytes += eventBytes;
    if (event.kind == EReplayEvent::Seed && m_data.header.seed == 0 && m_data.header.levelCrc == 0) {
        m_data.header.seed = event.value;
        m_data.header.levelCrc = event.extra;
    }
    m_data.events.push_back(std::move(event));
}

void CReplayRecorder::StopAtLimit() {
    CLog::Get().Write("CReplayRecorder: the recording has reached %zu bytes, the most a replay keeps; the game is "
                      "recorded up to step %u only",
                      m_settledBytes + m_lastRunBytes, m_steps);
    m_recording = false;
}

void CReplayRecorder::Event(EReplayEvent kind, int32_t number, uint32_t value, uint32_t extra) {
    if (!m_recording) {
        return;
    }
    ReplayEvent event;
    event.kind = kind;
    event.step = m_steps;
    event.number = number;
    event.value = value;
    event.extra = extra;
    Add(std::move(event));
}

void CReplayRecorder::Continued(const std::vector<uint8_t>& packedSave, uint32_t randomState) {
    if (!m_recording) {
        return;
    }
    ReplayEvent event;
    event.kind = EReplayEvent::Continue;
    event.step = m_steps;
    event.extra = randomState;
    event.save = packedSave;
    Add(std::move(event));
}

void CReplayRecorder::Ended(uint32_t finalScore, int32_t levelsFinished) {
    Event(EReplayEvent::End, levelsFinished, finalScore);
    m_data.header.finished = true;
    m_data.header.finalScore = finalScore;
    m_data.header.levelsFinished = levelsFinished;
    m_stopAfterStep = true;
}

// ---------------------------------------------------------------- reading back

void CReplayReader::Start(const ReplayData* replay) {
    m_replay = replay;
    m_run = 0;
    m_inRun = 0;
    m_event = 0;
    m_step = 0;
    m_aimX = 320.0f;
    m_aimY = 200.0f;
}

bool CReplayReader::AtEnd() const {
    return m_replay == nullptr || m_run >= m_replay->runs.size();
}

ReplayStep CReplayReader::NextStep() {
    if (AtEnd()) {
        return ReplayStep();
    }
    const ReplayRun& run = m_replay->runs[m_run];
    ReplayStep step = run.step;
    if (++m_inRun >= run.count) {
        ++m_run;
        m_inRun = 0;
    }
    if (!step.Has(ReplayInput::Moved) && !step.Has(ReplayInput::Fire)) {
        GlideTowardsGlance(step);
    }
    if (step.Has(ReplayInput::Moved) || step.Has(ReplayInput::Fire)) {
        m_aimX = step.aimX;
        m_aimY = step.aimY;
    }
    return step;
}

// Between two glances the launcher turns a step at a time, as it did for the player.
void CReplayReader::GlideTowardsGlance(ReplayStep& step) const {
    uint32_t distance = 0;
    size_t run = m_run;
    uint32_t inRun = m_inRun;
    while (run < m_replay->runs.size() && distance < kReplayAimGlanceSteps) {
        const ReplayRun& ahead = m_replay->runs[run];
        if (ahead.step.Has(ReplayInput::Moved) || ahead.step.Has(ReplayInput::Fire)) {
            if (ahead.step.input != ReplayInput::Moved) {
                return;   // the next aim is a shot's: it is taken as it comes
            }
            const float share = 1.0f / static_cast<float>(distance + 2);
            step.aimX = m_aimX + (ahead.step.aimX - m_aimX) * share;
            step.aimY = m_aimY + (ahead.step.aimY - m_aimY) * share;
            step.input |= ReplayInput::Moved;
            return;
        }
        distance += ahead.count - inRun;
        inRun = 0;
        ++run;
    }
}

const ReplayEvent* CReplayReader::PeekEvent() {
    while (m_replay != nullptr && m_event < m_replay->events.size() &&
           m_replay->events[m_event].kind == EReplayEvent::Saved && m_replay->events[m_event].step < m_step) {
        ++m_event;
    }
    if (m_replay == nullptr || m_event >= m_replay->events.size()) {
        return nullptr;
    }
    const ReplayEvent& event = m_replay->events[m_event];
    return event.step == m_step ? &event : nullptr;
}

bool CReplayReader::SavedIsNext() const {
    if (m_replay == nullptr || m_event >= m_replay->events.size()) {
        return false;
    }
    const ReplayEvent& event = m_replay->events[m_event];
    return event.kind == EReplayEvent::Saved && event.step == m_step;
}

bool CReplayReader::ContinueFollowsSaved() const {
    if (!SavedIsNext() || m_event + 1 >= m_replay->events.size()) {
        return false;
    }
    const ReplayEvent& next = m_replay->events[m_event + 1];
    return next.kind == EReplayEvent::Continue && next.step == m_step;
}

const ReplayEvent* CReplayReader::TakeSaved() {
    if (!SavedIsNext()) {
        return nullptr;
    }
    return &m_replay->events[m_event++];
}

const ReplayEvent* CReplayReader::TakeEvent(EReplayEvent kind) {
    const ReplayEvent* event = PeekEvent();
    if (event == nullptr || event->kind != kind) {
        return nullptr;
    }
    ++m_event;
    return event;
}

bool CReplayReader::CheckField(const CPlayfield& playfield, uint32_t& expected, uint32_t& actual) {
    const ReplayEvent* missed = PeekEvent();
    ++m_step;
    if (missed != nullptr) {
        expected = 0;
        actual = 0;
        return false;
    }
    const ReplayEvent* check = TakeEvent(EReplayEvent::Check);
    if (check == nullptr) {
        return true;
    }
    expected = check->value;
    actual = PlayfieldChecksum(playfield);
    return ChecksumAgrees(expected, actual, playfield);
}
