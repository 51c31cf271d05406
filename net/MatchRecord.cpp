#include "net/MatchRecord.h"

#include "net/NetVersus.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <cstring>

namespace {
constexpr uint8_t kRecordMagic[4] = {'P', 'R', 'N', 'M'};
constexpr uint32_t kRecordVersion = 1;
constexpr size_t kRecordHead = 4 + 4 + 1 + 1 + 1 + 2 + 2 + 1 + 4 + 1;
constexpr size_t kRecordRunSize = 4 + 4 + 4 + 2;        // steps, aim x, aim y, input bits
constexpr uint32_t kMaxRecordRuns = 4u * 1024u * 1024u;  // far more than any match

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    const size_t at = out.size();
    out.resize(at + 4);
    WriteLe32(out.data() + at, value);
}

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
    const size_t at = out.size();
    out.resize(at + 2);
    WriteLe16(out.data() + at, value);
}

void PutFloat(std::vector<uint8_t>& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

float GetFloat(const uint8_t* at) {
    const uint32_t bits = ReadLe32(at);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool Refuse(std::string& why, const char* text) {
    why = text;
    return false;
}

// Plays one recorded or received step of a side: Dismiss after it makes the side ready.
bool PlaySideStep(CVersusMatch& match, int32_t side, const ReplayStep& step) {
    match.StepSide(side, step.ToPlayInput());
    return !step.Has(ReplayInput::Dismiss) || match.SetSideReady(side);
}
}  // namespace

void EncodeMatchRecord(const NetMatchRecord& record, std::vector<uint8_t>& out) {
    out.clear();
    PutU32(out, ReadLe32(kRecordMagic));
    PutU32(out, kRecordVersion);
    out.push_back(record.settings.difficulty);
    out.push_back(record.settings.roundsToWin);
    out.push_back(record.settings.maxRounds);
    PutU16(out, record.settings.incomingMs);
    PutU16(out, record.settings.roundSeconds);
    out.push_back(record.settings.attacks ? 1 : 0);
    PutU32(out, record.seed);
    out.push_back(static_cast<uint8_t>(record.ownSide));
    for (const std::vector<ReplayRun>& runs : record.sides) {
        PutU32(out, static_cast<uint32_t>(runs.size()));
        for (const ReplayRun& run : runs) {
            PutU32(out, run.count);
            PutFloat(out, run.step.aimX);
            PutFloat(out, run.step.aimY);
            PutU16(out, run.step.input);
        }
    }
    PutU32(out, Crc32(out.data(), out.size()));
}

bool DecodeMatchRecord(const std::vector<uint8_t>& bytes, NetMatchRecord& record, std::string& why) {
    if (bytes.size() < kRecordHead + 4 + 4 + 4 || std::memcmp(bytes.data(), kRecordMagic, 4) != 0) {
        return Refuse(why, "not a match record");
    }
    const size_t body = bytes.size() - 4;
    if (Crc32(bytes.data(), body) != ReadLe32(bytes.data() + body)) {
        return Refuse(why, "damaged (CRC differs)");
    }
    const uint8_t* at = bytes.data() + 4;
    if (ReadLe32(at) != kRecordVersion) {
        return Refuse(why, "another version");
    }
    NetMatchRecord read;
    read.settings.difficulty = at[4];
    read.settings.roundsToWin = at[5];
    read.settings.maxRounds = at[6];
    read.settings.incomingMs = ReadLe16(at + 7);
    read.settings.roundSeconds = ReadLe16(at + 9);
    read.settings.attacks = at[11] != 0;
    read.seed = ReadLe32(at + 12);
    read.ownSide = at[16];
    if (read.ownSide >= kVersusSides || at[11] > 1) {
        return Refuse(why, "values out of range");
    }
    size_t offset = kRecordHead;
    for (std::vector<ReplayRun>& runs : read.sides) {
        if (body - offset < 4) {
            return Refuse(why, "cut short");
        }
        const uint32_t count = ReadLe32(bytes.data() + offset);
        offset += 4;
        if (count > kMaxRecordRuns || (body - offset) / kRecordRunSize < count) {
            return Refuse(why, "cut short");
        }
        runs.resize(count);
        for (ReplayRun& run : runs) {
            const uint8_t* r = bytes.data() + offset;
            run.count = ReadLe32(r);
            run.step.aimX = GetFloat(r + 4);
            run.step.aimY = GetFloat(r + 8);
            run.step.input = ReadLe16(r + 12);
            offset += kRecordRunSize;
            if (run.count == 0 || run.count > kMaxNetStep || (run.step.input & ~ReplayInput::All) != 0) {
                return Refuse(why, "a run out of range");
            }
        }
    }
    if (offset != body) {
        return Refuse(why, "bytes after the runs");
    }
    record = std::move(read);
    return true;
}

uint32_t PlayMatchRecord(const NetMatchRecord& record, CVersusMatch& match, const MatchStepWatcher& afterStep) {
    match.Start(RulesFromNetSettings(record.settings), record.seed);
    size_t run[kVersusSides] = {};
    uint32_t inRun[kVersusSides] = {};
    uint32_t sideSteps[kVersusSides] = {};
    uint32_t played = 0;
    for (bool moved = true; moved;) {
        moved = false;
        for (int32_t side = 0; side < kVersusSides; ++side) {
            const std::vector<ReplayRun>& runs = record.sides[side];
            while (run[side] < runs.size() && match.CanStepSide(side)) {
                // A side was ready for the next round only once the round was decided.
                const ReplayStep& step = runs[run[side]].step;
                if (step.Has(ReplayInput::Dismiss) && match.Phase() == EVersusPhase::Playing) {
                    break;
                }
                if (!PlaySideStep(match, side, step)) {
                    return played;
                }
                ++played;
                ++sideSteps[side];
                if (afterStep) {
                    afterStep(side, sideSteps[side]);
                }
                moved = true;
                if (++inRun[side] == runs[run[side]].count) {
                    ++run[side];
                    inRun[side] = 0;
                }
            }
        }
    }
    return played;
}
