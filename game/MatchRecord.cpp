#include "game/MatchRecord.h"

#include "game/BotPlayer.h"
#include "game/ReplayFile.h"
#include "resources/ByteRecord.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
constexpr char kRecordMagic[4] = {'P', 'R', 'N', 'M'};
// Version 1 kept only network matches, whose attacks travelled this many steps.
constexpr int32_t kVersionOneTravelSteps = 300;
constexpr size_t kVersionOneHead = 4 + 4 + 1 + 1 + 1 + 2 + 2 + 1 + 4 + 1;
constexpr size_t kVersionOneRunSize = 4 + 4 + 4 + 2;   // steps, aim x, aim y, input bits
constexpr uint32_t kMaxVersionOneRuns = 4u * 1024u * 1024u;
constexpr uint32_t kMaxNetStep = 1u << 30;
constexpr int32_t kMaxTravelSteps = 3000;
constexpr uint8_t kNoWinner = 0xFF;

// The head of both versions: the magic, the version, the match's settings.
struct RecordStart {
    char magic[4] = {kRecordMagic[0], kRecordMagic[1], kRecordMagic[2], kRecordMagic[3]};
    uint32_t version = kMatchRecordVersion;
};

template <typename Fields, typename Start>
void TransferStart(Fields& fields, Start& start) {
    fields.Chars(start.magic);
    fields.U32(start.version);
}

// The rest of a version 2 head, as whole numbers.
struct RecordHead {
    uint8_t mode = 0;
    MatchSettings settings;
    uint16_t travel = 0;
    uint32_t seed = 1;
    uint8_t ownSide = 0;
    uint32_t date = 0;
    uint8_t kinds[kVersusSides] = {};
    uint8_t strengths[kVersusSides] = {};
    std::string names[kVersusSides];
    bool hasOutcome = false;
    bool finished = false;
    uint8_t winner = kNoWinner;
    uint8_t round = 0;
    uint8_t roundsWon[kVersusSides] = {};
    uint32_t steps[kVersusSides] = {};
    uint32_t checkedSteps[kVersusSides] = {};
    uint32_t checksums[kVersusSides] = {};
};

template <typename Fields, typename Head>
void TransferHead(Fields& fields, Head& head) {
    fields.U8(head.mode);
    TransferMatchSettings(fields, head.settings);
    fields.U16(head.travel);
    fields.U32(head.seed);
    fields.U8(head.ownSide);
    fields.U32(head.date);
    fields.ExactFlag(head.hasOutcome);
    fields.ExactFlag(head.finished);
    fields.U8(head.winner);
    fields.U8(head.round);
    // Each side: who played it, and how it stood at the end.
    for (int32_t side = 0; side < kVersusSides; ++side) {
        fields.U8(head.kinds[side]);
        fields.U8(head.strengths[side]);
        fields.Text(head.names[side], kMatchNameBytes);
        fields.U8(head.roundsWon[side]);
        fields.U32(head.steps[side]);
        fields.U32(head.checkedSteps[side]);
        fields.U32(head.checksums[side]);
    }
}

bool Refuse(std::string& why, const char* text) {
    why = text;
    return false;
}

bool SettingsInRange(const MatchSettings& settings) {
    return settings.difficulty >= 1 && settings.difficulty <= 5 && settings.roundsToWin >= 1 &&
           settings.roundsToWin <= 9 && settings.maxRounds >= settings.roundsToWin && settings.maxRounds <= 20 &&
           settings.incomingMs <= 10000 && settings.roundSeconds >= 10 && settings.roundSeconds <= 3600;
}

uint32_t RunSteps(const std::vector<ReplayRun>& runs) {
    uint64_t steps = 0;
    for (const ReplayRun& run : runs) {
        steps += run.count;
    }
    return steps > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(steps);
}

// The first record: the network's bug report, each run as steps, aim x, aim y, input bits.
bool DecodeVersionOne(CByteReader& reader, MatchRecord& read, std::string& why) {
    CFieldReader fields(reader);
    uint8_t ownSide = 0;
    TransferMatchSettings(fields, read.settings);
    fields.U32(read.seed);
    fields.U8(ownSide);
    if (reader.Failed() || ownSide >= kVersusSides) {
        return Refuse(why, "values out of range");
    }
    read.mode = EMatchMode::Network;
    read.attackTravelSteps = kVersionOneTravelSteps;
    read.ownSide = ownSide;
    read.sides[ownSide].kind = EMatchSideKind::Player;
    read.sides[1 - ownSide].kind = EMatchSideKind::Remote;
    for (MatchRecordSide& side : read.sides) {
        const uint32_t count = reader.U32();
        if (reader.Failed() || count > kMaxVersionOneRuns || reader.Left() / kVersionOneRunSize < count) {
            return Refuse(why, "cut short");
        }
        side.runs.resize(count);
        for (ReplayRun& run : side.runs) {
            fields.U32(run.count);
            fields.F32(run.step.aimX);
            fields.F32(run.step.aimY);
            fields.U16(run.step.input);
            if (run.count == 0 || run.count > kMaxNetStep || (run.step.input & ~ReplayInput::All) != 0) {
                return Refuse(why, "a run out of range");
            }
        }
    }
    return reader.AtEnd() || Refuse(why, "bytes after the runs");
}

bool DecodeVersionTwo(const uint8_t* base, CByteReader& reader, MatchRecord& read, std::string& why) {
    CFieldReader fields(reader);
    RecordHead head;
    TransferHead(fields, head);
    if (reader.Failed()) {
        return Refuse(why, "cut short");
    }
    if (head.mode < static_cast<uint8_t>(EMatchMode::Computer) || head.mode > static_cast<uint8_t>(EMatchMode::TwoPlayers) ||
        !SettingsInRange(head.settings) || head.travel > kMaxTravelSteps || head.ownSide >= kVersusSides ||
        head.round > 20 || (head.winner != kNoWinner && head.winner >= kVersusSides)) {
        return Refuse(why, "values out of range");
    }
    read.mode = static_cast<EMatchMode>(head.mode);
    read.settings = head.settings;
    read.attackTravelSteps = head.travel;
    read.seed = head.seed;
    read.ownSide = head.ownSide;
    read.date = head.date;
    read.hasOutcome = head.hasOutcome;
    read.outcome.finished = head.finished;
    read.outcome.winner = head.winner == kNoWinner ? -1 : head.winner;
    read.outcome.round = head.round;
    for (int32_t index = 0; index < kVersusSides; ++index) {
        MatchRecordSide& side = read.sides[index];
        if (head.kinds[index] < static_cast<uint8_t>(EMatchSideKind::Player) ||
            head.kinds[index] > static_cast<uint8_t>(EMatchSideKind::Remote) || head.strengths[index] >= kBotStrengthCount ||
            head.names[index].size() >= kMatchNameBytes || head.roundsWon[index] > 20) {
            return Refuse(why, "a side out of range");
        }
        side.kind = static_cast<EMatchSideKind>(head.kinds[index]);
        side.strength = head.strengths[index];
        side.name = head.names[index];
        read.outcome.roundsWon[index] = head.roundsWon[index];
        read.outcome.steps[index] = head.steps[index];
        read.outcome.checkedSteps[index] = head.checkedSteps[index];
        read.outcome.checksum[index] = head.checksums[index];
    }
    for (MatchRecordSide& side : read.sides) {
        const uint32_t steps = reader.U32();
        const uint32_t length = reader.U32();
        if (reader.Failed() || length > reader.Left() || steps > kReplayMaxSteps) {
            return Refuse(why, "cut short");
        }
        uint32_t held = 0;
        if (!DecodeReplayRuns(base + reader.Position(), length, side.runs, held, why)) {
            return false;
        }
        reader.Skip(length);
        if (held != steps) {
            return Refuse(why, "a side's step count does not match");
        }
        for (const ReplayRun& run : side.runs) {
            if ((run.step.input & ~ReplayInput::All) != 0) {
                return Refuse(why, "a step a side cannot take");
            }
        }
    }
    return reader.AtEnd() || Refuse(why, "bytes after the steps");
}
}  // namespace

// ---------------------------------------------------------------- settings

MatchSettings MatchSettingsFromRules(const VersusRules& rules) {
    MatchSettings settings;
    settings.difficulty = static_cast<uint8_t>(rules.difficulty);
    settings.roundsToWin = static_cast<uint8_t>(rules.roundsToWin);
    settings.maxRounds = static_cast<uint8_t>(rules.maxRounds);
    settings.incomingMs = static_cast<uint16_t>(std::lround(rules.incomingSeconds * 1000.0f));
    settings.roundSeconds = static_cast<uint16_t>(std::lround(rules.roundSeconds));
    settings.attacks = rules.attacks;
    return settings;
}

VersusRules RulesFromMatchSettings(const MatchSettings& settings, int32_t attackTravelSteps) {
    VersusRules rules;
    rules.difficulty = settings.difficulty;
    rules.roundsToWin = settings.roundsToWin;
    rules.maxRounds = settings.maxRounds;
    rules.incomingSeconds = static_cast<float>(settings.incomingMs) / 1000.0f;
    rules.roundSeconds = static_cast<float>(settings.roundSeconds);
    rules.attacks = settings.attacks;
    rules.attackTravelSteps = attackTravelSteps;
    return rules;
}

uint32_t VersusSideChecksum(const CVersusMatch& match, int32_t side) {
    uint8_t more[16];
    WriteLe32(&more[0], PlayfieldChecksum(match.Field(side)));
    WriteLe32(&more[4], static_cast<uint32_t>(match.Incoming(side)));
    WriteLe32(&more[8], static_cast<uint32_t>(match.SideSteps(side)));
    WriteLe32(&more[12], static_cast<uint32_t>(match.RoundNumber()));
    return Crc32(more, sizeof more);
}

// ---------------------------------------------------------------- the file

uint32_t MatchRecord::SideSteps(int32_t side) const {
    return RunSteps(sides[side].runs);
}

uint32_t MatchRecord::LengthSteps() const {
    return std::max(SideSteps(0), SideSteps(1));
}

void EncodeMatchRecord(const MatchRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    CByteWriter writer(out);
    CFieldWriter fields(writer);
    const RecordStart start;
    TransferStart(fields, start);
    RecordHead head;
    head.mode = static_cast<uint8_t>(record.mode);
    head.settings = record.settings;
    head.travel = static_cast<uint16_t>(record.attackTravelSteps);
    head.seed = record.seed;
    head.ownSide = static_cast<uint8_t>(record.ownSide);
    head.date = record.date;
    head.hasOutcome = record.hasOutcome;
    head.finished = record.outcome.finished;
    head.winner = record.outcome.winner < 0 ? kNoWinner : static_cast<uint8_t>(record.outcome.winner);
    head.round = static_cast<uint8_t>(record.outcome.round);
    for (int32_t side = 0; side < kVersusSides; ++side) {
        head.kinds[side] = static_cast<uint8_t>(record.sides[side].kind);
        head.strengths[side] = record.sides[side].strength;
        head.names[side] = record.sides[side].name;
        head.roundsWon[side] = static_cast<uint8_t>(record.outcome.roundsWon[side]);
        head.steps[side] = record.outcome.steps[side];
        head.checkedSteps[side] = record.outcome.checkedSteps[side];
        head.checksums[side] = record.outcome.checksum[side];
    }
    TransferHead(fields, std::as_const(head));
    for (const MatchRecordSide& side : record.sides) {
        writer.U32(RunSteps(side.runs));
        const size_t lengthAt = writer.Size();
        writer.U32(0);
        EncodeReplayRuns(writer, side.runs);
        writer.PatchU32(lengthAt, static_cast<uint32_t>(writer.Size() - lengthAt - 4));
    }
    writer.U32(Crc32(out.data(), out.size()));
}

bool LooksLikeMatchRecord(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), kRecordMagic, 4) == 0;
}

bool DecodeMatchRecord(const std::vector<uint8_t>& bytes, MatchRecord& record, std::string& why) {
    if (bytes.size() < kVersionOneHead + 4 + 4 + 4 || !LooksLikeMatchRecord(bytes)) {
        return Refuse(why, "not a match record");
    }
    if (bytes.size() > kMatchRecordMaxBytes) {
        return Refuse(why, "too large for a match record");
    }
    const size_t body = bytes.size() - 4;
    if (Crc32(bytes.data(), body) != CByteReader(bytes.data() + body, 4).U32()) {
        return Refuse(why, "damaged (CRC differs)");
    }
    CByteReader reader(bytes.data(), body);
    CFieldReader fields(reader);
    RecordStart start;
    TransferStart(fields, start);
    MatchRecord read;
    if (start.version == 1) {
        if (!DecodeVersionOne(reader, read, why)) {
            return false;
        }
    } else if (start.version == kMatchRecordVersion) {
        if (!DecodeVersionTwo(bytes.data(), reader, read, why)) {
            return false;
        }
    } else {
        return Refuse(why, start.version > kMatchRecordVersion ? "made by a newer Pellora" : "another version");
    }
    record = std::move(read);
    return true;
}

// ---------------------------------------------------------------- playing a record

void CRecordMatchSide::Start(const std::vector<ReplayRun>* runs, uint32_t stepsPerFixedStep) {
    m_runs = runs;
    m_run = 0;
    m_inRun = 0;
    m_played = 0;
    m_limit = stepsPerFixedStep;
    m_takenNow = 0;
}

bool CRecordMatchSide::AtEnd() const {
    return m_runs == nullptr || m_run >= m_runs->size();
}

void CRecordMatchSide::BeginStep(const CVersusMatch&, int32_t) {
    m_takenNow = 0;
}

bool CRecordMatchSide::HasStep(const CVersusMatch& match, int32_t) {
    if (AtEnd() || (m_limit > 0 && m_takenNow >= m_limit)) {
        return false;
    }
    // A side was ready for the next round only once the round was decided.
    return !((*m_runs)[m_run].step.Has(ReplayInput::Dismiss) && match.Phase() == EVersusPhase::Playing);
}

ReplayStep CRecordMatchSide::TakeStep(const CVersusMatch&, int32_t) {
    const ReplayStep step = (*m_runs)[m_run].step;
    if (++m_inRun >= (*m_runs)[m_run].count) {
        ++m_run;
        m_inRun = 0;
    }
    ++m_takenNow;
    return step;
}

void CRecordMatchSide::StepDone(const CVersusMatch&, int32_t side, const MatchSideStep&) {
    ++m_played;
    if (m_watcher) {
        m_watcher(side, m_played);
    }
}

uint32_t PlayMatchRecord(const MatchRecord& record, CVersusMatch& match, const MatchStepWatcher& afterStep) {
    match.Start(record.Rules(), record.seed);
    CRecordMatchSide sides[kVersusSides];
    CMatchSides driven;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        sides[side].Start(&record.sides[side].runs, 0);
        sides[side].SetWatcher(afterStep);
        driven.Set(side, &sides[side]);
    }
    driven.SetFirst(record.ownSide);
    uint32_t played = 0;
    for (int32_t taken = 1; taken > 0;) {
        taken = driven.Step(match);
        played += static_cast<uint32_t>(taken);
    }
    return played;
}

MatchOutcome OutcomeOf(const CVersusMatch& match, const uint32_t steps[kVersusSides],
                       const uint32_t checkedSteps[kVersusSides], const uint32_t checksums[kVersusSides]) {
    MatchOutcome outcome;
    outcome.finished = match.Phase() == EVersusPhase::MatchOver;
    outcome.winner = match.MatchWinner();
    outcome.round = match.RoundNumber();
    for (int32_t side = 0; side < kVersusSides; ++side) {
        outcome.roundsWon[side] = match.RoundsWon(side);
        outcome.steps[side] = steps[side];
        outcome.checkedSteps[side] = checkedSteps[side];
        outcome.checksum[side] = checksums[side];
    }
    return outcome;
}

MatchRecordVerdict VerifyMatchRecord(const MatchRecord& record) {
    MatchRecordVerdict verdict;
    CVersusMatch match;
    uint32_t steps[kVersusSides] = {};
    uint32_t checked[kVersusSides] = {};
    uint32_t sums[kVersusSides] = {};
    verdict.stepsPlayed = PlayMatchRecord(record, match, [&](int32_t side, uint32_t sideSteps) {
        steps[side] = sideSteps;
        // Only while the round is played: behind a round's panel the screen sweeps the
        // fields between the steps, which a record does not keep.
        if (sideSteps % kMatchCheckSteps == 0 && match.Phase() == EVersusPhase::Playing) {
            checked[side] = sideSteps;
            sums[side] = VersusSideChecksum(match, side);
        }
    });
    verdict.played = OutcomeOf(match, steps, checked, sums);
    for (int32_t side = 0; side < kVersusSides; ++side) {
        if (steps[side] != record.SideSteps(side)) {
            verdict.why = "side " + std::to_string(side) + " could play " + std::to_string(steps[side]) + " of its " +
                          std::to_string(record.SideSteps(side)) + " steps";
            return verdict;
        }
    }
    if (!record.hasOutcome) {
        verdict.agrees = true;
        return verdict;
    }
    const MatchOutcome& kept = record.outcome;
    const MatchOutcome& now = verdict.played;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        if (now.checkedSteps[side] != kept.checkedSteps[side] || now.checksum[side] != kept.checksum[side]) {
            char text[160];
            std::snprintf(text, sizeof text, "side %d: checksum %08X at step %u, the record says %08X at step %u",
                          side, now.checksum[side], now.checkedSteps[side], kept.checksum[side],
                          kept.checkedSteps[side]);
            verdict.why = text;
            return verdict;
        }
    }
    if (now.finished != kept.finished || now.winner != kept.winner || now.round != kept.round ||
        now.roundsWon[0] != kept.roundsWon[0] || now.roundsWon[1] != kept.roundsWon[1] ||
        now.steps[0] != kept.steps[0] || now.steps[1] != kept.steps[1]) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "it ends in round %d, rounds %d - %d%s; the record says round %d, rounds %d - %d%s", now.round,
                      now.roundsWon[0], now.roundsWon[1], now.finished ? ", the match over" : "", kept.round,
                      kept.roundsWon[0], kept.roundsWon[1], kept.finished ? ", the match over" : "");
        verdict.why = text;
        return verdict;
    }
    verdict.agrees = true;
    return verdict;
}

// ---------------------------------------------------------------- keeping a match

void CMatchRecorder::Begin(CVersusMatch& match, CMatchSides& sides) {
    m_match = &match;
    m_record = MatchRecord();
    m_record.settings = MatchSettingsFromRules(match.Rules());
    m_record.attackTravelSteps = match.Rules().attackTravelSteps;
    m_record.seed = match.Seed();
    m_record.ownSide = sides.First();
    const ReplayStep start;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        // Room for the runs of a long match, so that keeping them does not allocate as it plays.
        m_record.sides[side].runs.reserve(kRecordRunsReserved);
        m_steps[side] = m_checkedSteps[side] = m_checksums[side] = 0;
        // A match started again keeps its sides: the recorder is not set between itself.
        IMatchSide* driver = sides.Driver(side);
        for (CKeptSide& kept : m_sides) {
            if (driver == &kept) {
                driver = kept.m_driver;
            }
        }
        m_sides[side].m_driver = driver;
        m_sides[side].m_glances.Reset(start.aimX, start.aimY);
        sides.Set(side, &m_sides[side]);
    }
}

const MatchRecord& CMatchRecorder::Finish() {
    if (m_match != nullptr) {
        m_record.hasOutcome = true;
        m_record.outcome = OutcomeOf(*m_match, m_steps, m_checkedSteps, m_checksums);
        m_match = nullptr;
    }
    return m_record;
}

void CMatchRecorder::Keep(int32_t side, const ReplayStep& step) {
    std::vector<ReplayRun>& runs = m_record.sides[side].runs;
    if (!runs.empty() && runs.back().step == step) {
        ++runs.back().count;
    } else if (runs.size() < kRecordRunsKept) {
        runs.push_back(ReplayRun{step, 1});
    } else {
        return;   // the record keeps the match up to here
    }
    ++m_steps[side];
}

ReplayStep CMatchRecorder::CKeptSide::TakeStep(const CVersusMatch& match, int32_t side) {
    const ReplayStep step = m_driver->TakeStep(match, side);
    // What a replay keeps plays the same, since only a fired shot's aim reaches the rules.
    // A ready step counts only once the round is decided.
    m_kept = m_glances.Keep(step);
    if (match.Phase() == EVersusPhase::Playing) {
        m_kept.input &= static_cast<uint16_t>(~ReplayInput::Dismiss);
    }
    return step;
}

void CMatchRecorder::CKeptSide::StepPlayed(const CVersusMatch& match, int32_t side, const MatchSideStep& played) {
    m_driver->StepPlayed(match, side, played);
}

void CMatchRecorder::CKeptSide::StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) {
    if (m_recorder.m_match != nullptr) {
        m_recorder.Keep(m_index, m_kept);
        const uint32_t steps = m_recorder.m_steps[m_index];
        if (steps % kMatchCheckSteps == 0 && match.Phase() == EVersusPhase::Playing) {
            m_recorder.m_checkedSteps[m_index] = steps;
            m_recorder.m_checksums[m_index] = VersusSideChecksum(match, side);
        }
    }
    m_driver->StepDone(match, side, played);
}
