#include "net/MatchRecord.h"

#include "net/NetVersus.h"
#include "resources/ByteRecord.h"
#include "resources/Crc32.h"

#include <cstring>
#include <utility>

namespace {
constexpr char kRecordMagic[4] = {'P', 'R', 'N', 'M'};
constexpr uint32_t kRecordVersion = 1;
constexpr size_t kRecordHead = 4 + 4 + 1 + 1 + 1 + 2 + 2 + 1 + 4 + 1;
constexpr size_t kRecordRunSize = 4 + 4 + 4 + 2;        // steps, aim x, aim y, input bits
constexpr uint32_t kMaxRecordRuns = 4u * 1024u * 1024u;  // far more than any match

// The record's head: what the match was, and whose side this program played.
struct RecordHead {
    char magic[4] = {kRecordMagic[0], kRecordMagic[1], kRecordMagic[2], kRecordMagic[3]};
    uint32_t version = kRecordVersion;
    NetMatchSettings settings;
    uint32_t seed = 1;
    uint8_t ownSide = 0;
};

template <typename Fields, typename Head>
void TransferHead(Fields& fields, Head& head) {
    fields.Chars(head.magic);
    fields.U32(head.version);
    TransferNetSettings(fields, head.settings);
    fields.U32(head.seed);
    fields.U8(head.ownSide);
}

// A run of one step: how many steps, then the step.
template <typename Fields, typename Run>
void TransferRun(Fields& fields, Run& run) {
    fields.U32(run.count);
    TransferNetStep(fields, run.step);
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
    CByteWriter writer(out);
    CFieldWriter fields(writer);
    RecordHead head;
    head.settings = record.settings;
    head.seed = record.seed;
    head.ownSide = static_cast<uint8_t>(record.ownSide);
    TransferHead(fields, std::as_const(head));
    for (const std::vector<ReplayRun>& runs : record.sides) {
        writer.U32(static_cast<uint32_t>(runs.size()));
        for (const ReplayRun& run : runs) {
            TransferRun(fields, run);
        }
    }
    writer.U32(Crc32(out.data(), out.size()));
}

bool DecodeMatchRecord(const std::vector<uint8_t>& bytes, NetMatchRecord& record, std::string& why) {
    if (bytes.size() < kRecordHead + 4 + 4 + 4 || std::memcmp(bytes.data(), kRecordMagic, 4) != 0) {
        return Refuse(why, "not a match record");
    }
    const size_t body = bytes.size() - 4;
    if (Crc32(bytes.data(), body) != CByteReader(bytes.data() + body, 4).U32()) {
        return Refuse(why, "damaged (CRC differs)");
    }
    CByteReader reader(bytes.data(), body);
    CFieldReader fields(reader);
    RecordHead head;
    TransferHead(fields, head);
    if (head.version != kRecordVersion) {
        return Refuse(why, "another version");
    }
    // The head is there whole: a failed read is an attacks flag other than 1 or 0.
    if (reader.Failed() || head.ownSide >= kVersusSides) {
        return Refuse(why, "values out of range");
    }
    NetMatchRecord read;
    read.settings = head.settings;
    read.seed = head.seed;
    read.ownSide = head.ownSide;
    for (std::vector<ReplayRun>& runs : read.sides) {
        const uint32_t count = reader.U32();
        if (reader.Failed() || count > kMaxRecordRuns || reader.Left() / kRecordRunSize < count) {
            return Refuse(why, "cut short");
        }
        runs.resize(count);
        for (ReplayRun& run : runs) {
            TransferRun(fields, run);
            if (run.count == 0 || run.count > kMaxNetStep || (run.step.input & ~ReplayInput::All) != 0) {
                return Refuse(why, "a run out of range");
            }
        }
    }
    if (!reader.AtEnd()) {
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
