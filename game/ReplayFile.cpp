#include "game/ReplayFile.h"

#include "game/SavedGame.h"
#include "resources/ByteRecord.h"
#include "resources/Crc32.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace {
constexpr char kMagic[4] = {'P', 'R', 'P', 'L'};
constexpr uint32_t kFlagFinished = 1;
constexpr uint32_t kFlagFromSave = 2;
constexpr uint32_t kKnownFlags = kFlagFinished | kFlagFromSave;
// A continued save's packed bytes are never larger than this.
constexpr size_t kMaxPackedSave = 2 * (kSaveFileBytes + kFieldFileBytes);
// Events per replay at most: a level's events are a handful, checksums one a second.
constexpr size_t kMaxEvents = kReplayMaxSteps / kReplayCheckSteps + 200000;

// The record stream. A quiet step (no input, the aim where it was) is the common case.
constexpr uint8_t kTagQuietMax = 0x3F;    // 0x00..0x3F: tag + 1 quiet steps
constexpr uint8_t kTagGlance = 0x40;      // 0x40..0x7F: one step, the aim moved by int8 dx, dy
                                          // whole pixels, then tag - 0x40 quiet steps
constexpr uint8_t kTagGlanceLast = 0x7F;
constexpr uint8_t kTagQuietLong = 0x80;   // varint: that many quiet steps
constexpr uint8_t kTagGlanceFar = 0x82;   // the same with int16 x, y
// 0x83..0x86: an input, varint count after it. Bit 0 of (tag - 0x83): a new aim (f32 x, f32 y)
// follows the input; bit 1: the input is one byte instead of two.
constexpr uint8_t kTagInput = 0x83;
constexpr uint8_t kTagInputLast = 0x86;
constexpr uint8_t kTagEvent = 0xC0;       // 0xC0 + event kind

bool IsQuiet(const ReplayStep& step, const ReplayStep& previous) {
    return step.input == 0 && step.aimX == previous.aimX && step.aimY == previous.aimY;
}

bool IsWholePixel(float value, float low, float high) {
    return value == std::floor(value) && value >= low && value <= high;
}

// An aim glance: a moved aim in whole pixels, nothing else.
bool IsGlance(const ReplayStep& step) {
    return step.input == ReplayInput::Moved && IsWholePixel(step.aimX, -32768.0f, 32767.0f) &&
           IsWholePixel(step.aimY, -32768.0f, 32767.0f);
}

// A glance near the last aim, and the quiet steps after it when they fit into its tag.
bool EncodeGlance(CByteWriter& writer, const ReplayRun& run, const ReplayStep& previous, uint32_t quietAfter) {
    const float dx = run.step.aimX - std::round(previous.aimX);
    const float dy = run.step.aimY - std::round(previous.aimY);
    if (run.count != 1 || !IsGlance(run.step) || std::fabs(dx) > 127.0f || std::fabs(dy) > 127.0f ||
        quietAfter > static_cast<uint32_t>(kTagGlanceLast - kTagGlance)) {
        return false;
    }
    writer.U8(kTagGlance + quietAfter);
    writer.U8(static_cast<uint32_t>(static_cast<int32_t>(dx)) & 0xFF);
    writer.U8(static_cast<uint32_t>(static_cast<int32_t>(dy)) & 0xFF);
    return true;
}

void EncodeRun(CByteWriter& writer, const ReplayRun& run, const ReplayStep& previous) {
    if (IsQuiet(run.step, previous)) {
        if (run.count <= kTagQuietMax + 1u) {
            writer.U8(run.count - 1);
        } else {
            writer.U8(kTagQuietLong);
            writer.Varint(run.count);
        }
        return;
    }
    if (EncodeGlance(writer, run, previous, 0)) {
        return;
    }
    if (run.count == 1 && IsGlance(run.step)) {
        writer.U8(kTagGlanceFar);
        writer.U16(static_cast<uint32_t>(static_cast<int32_t>(run.step.aimX)) & 0xFFFF);
        writer.U16(static_cast<uint32_t>(static_cast<int32_t>(run.step.aimY)) & 0xFFFF);
        return;
    }
    const bool aimChanged = run.step.aimX != previous.aimX || run.step.aimY != previous.aimY;
    const bool shortInput = run.step.input <= 0xFF;
    writer.U8(kTagInput + (aimChanged ? 1u : 0u) + (shortInput ? 2u : 0u));
    if (shortInput) {
        writer.U8(run.step.input);
    } else {
        writer.U16(run.step.input);
    }
    if (aimChanged) {
        writer.F32(run.step.aimX);
        writer.F32(run.step.aimY);
    }
    writer.Varint(run.count);
}

void EncodeEvent(CByteWriter& writer, const ReplayEvent& event) {
    writer.U8(kTagEvent + static_cast<uint32_t>(event.kind));
    switch (event.kind) {
        case EReplayEvent::LoadLevel:
        case EReplayEvent::Panel:
            writer.U8(static_cast<uint32_t>(event.number));
            break;
        case EReplayEvent::Seed:
            writer.Varint(static_cast<uint32_t>(event.number));
            writer.U32(event.value);
            writer.U32(event.extra);
            break;
        case EReplayEvent::Continue:
            writer.U32(event.extra);
            writer.Varint(static_cast<uint32_t>(event.save.size()));
            for (const uint8_t byte : event.save) {
                writer.U8(byte);
            }
            break;
        case EReplayEvent::Saved:
        case EReplayEvent::Check:
            writer.U32(event.value);
            break;
        case EReplayEvent::End:
            writer.U32(event.value);
            writer.Varint(static_cast<uint32_t>(event.number));
            break;
        default:
            break;
    }
}

bool DecodeEvent(CByteReader& reader, uint32_t tag, uint32_t step, ReplayEvent& event, std::string& why) {
    const uint32_t kind = tag - kTagEvent;
    if (kind < static_cast<uint32_t>(EReplayEvent::LoadLevel) || kind > static_cast<uint32_t>(EReplayEvent::End)) {
        why = "unknown record";
        return false;
    }
    event.kind = static_cast<EReplayEvent>(kind);
    event.step = step;
    switch (event.kind) {
        case EReplayEvent::LoadLevel:
        case EReplayEvent::Panel:
            event.number = static_cast<int32_t>(reader.U8());
            if (event.number > 1) {
                why = "flag out of range";
                return false;
            }
            break;
        case EReplayEvent::Seed: {
            const uint32_t number = reader.Varint();
            if (number < 1 || number > static_cast<uint32_t>(kMaxLevelNumber)) {
                why = "level number out of range";
                return false;
            }
            event.number = static_cast<int32_t>(number);
            event.value = reader.U32();
            event.extra = reader.U32();
            break;
        }
        case EReplayEvent::Continue: {
            event.extra = reader.U32();
            const uint32_t size = reader.Varint();
            if (size > kMaxPackedSave) {
                why = "saved game too large";
                return false;
            }
            reader.Bytes(event.save, size);
            break;
        }
        case EReplayEvent::Saved:
        case EReplayEvent::Check:
            event.value = reader.U32();
            break;
        case EReplayEvent::End: {
            event.value = reader.U32();
            const uint32_t levels = reader.Varint();
            if (levels > static_cast<uint32_t>(kMaxLevelNumber)) {
                why = "levels finished out of range";
                return false;
            }
            event.number = static_cast<int32_t>(levels);
            break;
        }
        default:
            break;
    }
    return true;
}

// Decodes one run; a glance with quiet steps after it gives those in quietAfter.
bool DecodeRun(CByteReader& reader, uint32_t tag, const ReplayStep& previous, ReplayRun& run, uint32_t& quietAfter,
               std::string& why) {
    run.step = previous;
    run.step.input = 0;
    run.count = 1;
    quietAfter = 0;
    if (tag <= kTagQuietMax) {
        run.count = tag + 1;
    } else if (tag == kTagQuietLong) {
        run.count = reader.Varint();
    } else if (tag >= kTagGlance && tag <= kTagGlanceLast) {
        const auto dx = static_cast<int8_t>(reader.U8());
        const auto dy = static_cast<int8_t>(reader.U8());
        run.step.input = ReplayInput::Moved;
        run.step.aimX = std::round(previous.aimX) + static_cast<float>(dx);
        run.step.aimY = std::round(previous.aimY) + static_cast<float>(dy);
        quietAfter = tag - kTagGlance;
    } else if (tag == kTagGlanceFar) {
        run.step.input = ReplayInput::Moved;
        run.step.aimX = static_cast<float>(static_cast<int16_t>(reader.U16()));
        run.step.aimY = static_cast<float>(static_cast<int16_t>(reader.U16()));
    } else if (tag >= kTagInput && tag <= kTagInputLast) {
        const uint32_t form = tag - kTagInput;
        run.step.input = static_cast<uint16_t>((form & 2) != 0 ? reader.U8() : reader.U16());
        if ((run.step.input & ~ReplayInput::AllGame) != 0) {
            why = "unknown input";
            return false;
        }
        if ((form & 1) != 0) {
            run.step.aimX = reader.F32();
            run.step.aimY = reader.F32();
            if (!std::isfinite(run.step.aimX) || !std::isfinite(run.step.aimY) || std::fabs(run.step.aimX) > 1.0e6f ||
                std::fabs(run.step.aimY) > 1.0e6f) {
                why = "aim out of range";
                return false;
            }
        }
        run.count = reader.Varint();
    } else {
        why = "unknown record";
        return false;
    }
    if (run.count == 0) {
        why = "empty run";
        return false;
    }
    return true;
}

// The runs and (when events is given) the events of a stream; steps gives the steps the
// runs hold.
bool DecodeStream(const uint8_t* data, size_t size, std::vector<ReplayRun>& runs, std::vector<ReplayEvent>* events,
                  uint32_t& steps, std::string& why) {
    CByteReader reader(data, size);
    ReplayStep previous;
    steps = 0;
    while (!reader.AtEnd()) {
        const uint32_t tag = reader.U8();
        if (tag >= kTagEvent && events == nullptr) {
            why = "an event among a side's steps";
            return false;
        }
        if (tag >= kTagEvent) {
            if (events->size() >= kMaxEvents) {
                why = "too many events";
                return false;
            }
            ReplayEvent event;
            if (!DecodeEvent(reader, tag, steps, event, why)) {
                return false;
            }
            events->push_back(std::move(event));
        } else {
            ReplayRun run;
            uint32_t quietAfter = 0;
            if (!DecodeRun(reader, tag, previous, run, quietAfter, why)) {
                return false;
            }
            if (run.count > kReplayMaxSteps - steps - quietAfter) {
                why = "too many steps";
                return false;
            }
            steps += run.count + quietAfter;
            previous = run.step;
            runs.push_back(run);
            if (quietAfter > 0) {
                ReplayRun quiet{run.step, quietAfter};
                quiet.step.input = 0;
                runs.push_back(quiet);
                previous = quiet.step;
            }
        }
        if (reader.Failed()) {
            why = "cut short";
            return false;
        }
    }
    return true;
}

bool CheckHeader(const ReplayHeader& header, std::string& why) {
    if (header.difficulty < 1 || header.difficulty > 5) {
        why = "difficulty out of range";
    } else if (header.firstLevel < 1 || header.firstLevel > kMaxLevelNumber || header.levelNumber < 1 ||
               header.levelNumber > kMaxLevelNumber || header.lastLevel < 1) {
        why = "level out of range";
    } else if (header.lives < 0 || header.lives > kMaxLives || header.score < 0) {
        why = "lives or score out of range";
    } else if (header.steps > kReplayMaxSteps || header.levelsFinished < 0 || header.levelsFinished > kMaxLevelNumber) {
        why = "counts out of range";
    } else {
        return true;
    }
    return false;
}
}  // namespace

// ---------------------------------------------------------------- the file

namespace {
// The fixed header as it is stored: the recording's header between the file's own fields.
struct ReplayFileHead {
    char magic[4] = {kMagic[0], kMagic[1], kMagic[2], kMagic[3]};
    uint32_t version = kReplayVersion;
    uint32_t flags = 0;
    ReplayHeader header;
    uint32_t streamLength = 0;   // filled in once the stream is written
    uint32_t reserved = 0;
};

template <typename Fields, typename Head>
void TransferHead(Fields& fields, Head& head) {
    auto& header = head.header;
    fields.Chars(head.magic);
    fields.U32(head.version);
    fields.U32(head.flags);
    fields.I32(header.difficulty);
    fields.I32(header.firstLevel);
    fields.I32(header.lastLevel);
    fields.I32(header.levelNumber);
    fields.I32(header.lives);
    fields.I32(header.score);
    fields.U32(header.seed);
    fields.U32(header.levelCrc);
    fields.U32(header.steps);
    fields.U32(header.finalScore);
    fields.I32(header.levelsFinished);
    fields.Text(header.playerName, kReplayNameBytes);
    fields.U32(head.streamLength);
    fields.U32(head.reserved);
}

// The runs and the events between them.
void EncodeStream(CByteWriter& writer, const std::vector<ReplayRun>& runs, const std::vector<ReplayEvent>& events) {
    ReplayStep previous;
    uint32_t step = 0;
    size_t event = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        const ReplayRun& run = runs[i];
        while (event < events.size() && events[event].step <= step) {
            EncodeEvent(writer, events[event++]);
        }
        // A glance takes the quiet steps after it into its own record, unless an event
        // falls between them.
        const bool quietNext = i + 1 < runs.size() && IsQuiet(runs[i + 1].step, run.step) &&
                               (event >= events.size() || events[event].step > step + 1);
        if (quietNext && EncodeGlance(writer, run, previous, runs[i + 1].count)) {
            previous = runs[i + 1].step;
            step += run.count + runs[i + 1].count;
            ++i;
            continue;
        }
        EncodeRun(writer, run, previous);
        previous = run.step;
        step += run.count;
    }
    while (event < events.size()) {
        EncodeEvent(writer, events[event++]);
    }
}
}  // namespace

void EncodeReplay(const ReplayData& replay, std::vector<uint8_t>& out) {
    out.clear();
    CByteWriter writer(out);
    CFieldWriter fields(writer);
    ReplayFileHead head;
    head.header = replay.header;
    head.flags = (replay.header.finished ? kFlagFinished : 0) | (replay.header.fromSave ? kFlagFromSave : 0);
    TransferHead(fields, std::as_const(head));
    EncodeStream(writer, replay.runs, replay.events);
    writer.PatchU32(kReplayStreamLengthOffset, static_cast<uint32_t>(writer.Size() - kReplayHeaderBytes));
    writer.U32(Crc32(out.data(), out.size()));
}

bool DecodeReplay(const std::vector<uint8_t>& bytes, ReplayData& out, std::string& why) {
    if (bytes.size() < kReplayHeaderBytes + 4 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        why = "not a replay";
        return false;
    }
    if (bytes.size() > kReplayMaxBytes) {
        why = "too large for a replay";
        return false;
    }
    ReplayFileHead head;
    CByteReader reader(bytes);
    CFieldReader fields(reader);
    TransferHead(fields, head);
    if (head.version != kReplayVersion) {
        why = head.version > kReplayVersion ? "made by a newer Pellora" : "unknown version";
        return false;
    }
    const size_t crcOffset = bytes.size() - 4;
    if (Crc32(bytes.data(), crcOffset) != CByteReader(bytes.data() + crcOffset, 4).U32()) {
        why = "damaged (CRC)";
        return false;
    }
    if (head.streamLength != crcOffset - kReplayHeaderBytes) {
        why = "length does not match";
        return false;
    }
    if ((head.flags & ~kKnownFlags) != 0) {
        why = "unknown flags";
        return false;
    }
    if (head.header.playerName.size() == kReplayNameBytes) {
        why = "player name not terminated";
        return false;
    }
    ReplayData replay;
    uint32_t steps = 0;
    replay.header = std::move(head.header);
    replay.header.finished = (head.flags & kFlagFinished) != 0;
    replay.header.fromSave = (head.flags & kFlagFromSave) != 0;
    if (!CheckHeader(replay.header, why) ||
        !DecodeStream(bytes.data() + kReplayHeaderBytes, crcOffset - kReplayHeaderBytes, replay.runs, &replay.events,
                      steps, why)) {
        return false;
    }
    if (steps != replay.header.steps) {
        why = "step count does not match";
        return false;
    }
    out = std::move(replay);
    return true;
}

size_t ReplayRunBytes(const ReplayRun& run, const ReplayStep& previous) {
    CByteWriter counter;
    EncodeRun(counter, run, previous);
    return counter.Size();
}

size_t ReplayEventBytes(const ReplayEvent& event) {
    CByteWriter counter;
    EncodeEvent(counter, event);
    return counter.Size();
}

namespace {
// The bytes a saved game is mostly made of (empty cells, unused fields): one of them is
// followed by how many of it it stands for (1..255).
bool IsPackedByte(uint8_t byte) {
    return byte == 0x00 || byte == 0xFF;
}

}  // namespace

void PackSaveBytes(const std::vector<uint8_t>& save, const std::vector<uint8_t>& field, std::vector<uint8_t>& out) {
    std::vector<uint8_t> both(save);
    both.insert(both.end(), field.begin(), field.end());
    out.clear();
    for (size_t i = 0; i < both.size();) {
        const uint8_t byte = both[i];
        if (!IsPackedByte(byte)) {
            out.push_back(both[i++]);
            continue;
        }
        size_t run = 0;
        while (i < both.size() && both[i] == byte && run < 255) {
            ++i;
            ++run;
        }
        out.push_back(byte);
        out.push_back(static_cast<uint8_t>(run));
    }
}

bool UnpackSaveBytes(const std::vector<uint8_t>& packed, std::vector<uint8_t>& save, std::vector<uint8_t>& field) {
    std::vector<uint8_t> both;
    const size_t total = kSaveFileBytes + kFieldFileBytes;
    for (size_t i = 0; i < packed.size(); ++i) {
        if (!IsPackedByte(packed[i])) {
            both.push_back(packed[i]);
        } else if (i + 1 < packed.size() && packed[i + 1] != 0 && packed[i + 1] <= total - both.size()) {
            both.insert(both.end(), packed[i + 1], packed[i]);
            ++i;
        } else {
            return false;
        }
        if (both.size() > total) {
            return false;
        }
    }
    if (both.size() != total) {
        return false;
    }
    save.assign(both.begin(), both.begin() + kSaveFileBytes);
    field.assign(both.begin() + kSaveFileBytes, both.end());
    return true;
}

void EncodeReplayRuns(CByteWriter& writer, const std::vector<ReplayRun>& runs) {
    EncodeStream(writer, runs, {});
}

bool DecodeReplayRuns(const uint8_t* data, size_t size, std::vector<ReplayRun>& runs, uint32_t& steps,
                      std::string& why) {
    runs.clear();
    return DecodeStream(data, size, runs, nullptr, steps, why);
}
