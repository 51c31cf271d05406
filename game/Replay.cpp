#include "game/Replay.h"

#include "core/Log.h"
#include "game/SavedGame.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <cmath>
#include <cstring>

namespace {
constexpr uint8_t kMagic[4] = {'P', 'R', 'P', 'L'};
constexpr uint32_t kFlagFinished = 1;
constexpr uint32_t kFlagFromSave = 2;
constexpr uint32_t kKnownFlags = kFlagFinished | kFlagFromSave;
constexpr size_t kNameOffset = 56;
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

class CWriter {
public:
    explicit CWriter(std::vector<uint8_t>& out) : m_out(out) {}
    void Byte(uint32_t value) { m_out.push_back(static_cast<uint8_t>(value)); }
    void U16(uint32_t value) {
        Byte(value);
        Byte(value >> 8);
    }
    void U32(uint32_t value) {
        U16(value);
        U16(value >> 16);
    }
    void Float(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        U32(bits);
    }
    void Varint(uint32_t value) {
        while (value >= 0x80) {
            Byte((value & 0x7F) | 0x80);
            value >>= 7;
        }
        Byte(value);
    }

private:
    std::vector<uint8_t>& m_out;
};

class CReader {
public:
    CReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Failed() const { return m_failed; }
    bool AtEnd() const { return m_pos >= m_size; }
    uint32_t Byte() {
        if (m_pos >= m_size) {
            m_failed = true;
            return 0;
        }
        return m_data[m_pos++];
    }
    uint32_t U16() {
        const uint32_t low = Byte();
        return low | (Byte() << 8);
    }
    uint32_t U32() {
        const uint32_t low = U16();
        return low | (U16() << 16);
    }
    float Float() {
        const uint32_t bits = U32();
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    uint32_t Varint() {
        uint32_t value = 0;
        for (int32_t shift = 0; shift < 35; shift += 7) {
            const uint32_t part = Byte();
            value |= (part & 0x7F) << shift;
            if ((part & 0x80) == 0) {
                return value;
            }
        }
        m_failed = true;
        return 0;
    }
    bool Bytes(std::vector<uint8_t>& out, size_t count) {
        if (count > m_size - m_pos) {
            m_failed = true;
            return false;
        }
        out.assign(m_data + m_pos, m_data + m_pos + count);
        m_pos += count;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_failed = false;
};

// A glance near the last aim, and the quiet steps after it when they fit into its tag.
bool EncodeGlance(CWriter& writer, const ReplayRun& run, const ReplayStep& previous, uint32_t quietAfter) {
    const float dx = run.step.aimX - std::round(previous.aimX);
    const float dy = run.step.aimY - std::round(previous.aimY);
    if (run.count != 1 || !IsGlance(run.step) || std::fabs(dx) > 127.0f || std::fabs(dy) > 127.0f ||
        quietAfter > static_cast<uint32_t>(kTagGlanceLast - kTagGlance)) {
        return false;
    }
    writer.Byte(kTagGlance + quietAfter);
    writer.Byte(static_cast<uint32_t>(static_cast<int32_t>(dx)) & 0xFF);
    writer.Byte(static_cast<uint32_t>(static_cast<int32_t>(dy)) & 0xFF);
    return true;
}

void EncodeRun(CWriter& writer, const ReplayRun& run, const ReplayStep& previous) {
    if (IsQuiet(run.step, previous)) {
        if (run.count <= kTagQuietMax + 1u) {
            writer.Byte(run.count - 1);
        } else {
            writer.Byte(kTagQuietLong);
            writer.Varint(run.count);
        }
        return;
    }
    if (EncodeGlance(writer, run, previous, 0)) {
        return;
    }
    if (run.count == 1 && IsGlance(run.step)) {
        writer.Byte(kTagGlanceFar);
        writer.U16(static_cast<uint32_t>(static_cast<int32_t>(run.step.aimX)) & 0xFFFF);
        writer.U16(static_cast<uint32_t>(static_cast<int32_t>(run.step.aimY)) & 0xFFFF);
        return;
    }
    const bool aimChanged = run.step.aimX != previous.aimX || run.step.aimY != previous.aimY;
    const bool shortInput = run.step.input <= 0xFF;
    writer.Byte(kTagInput + (aimChanged ? 1u : 0u) + (shortInput ? 2u : 0u));
    if (shortInput) {
        writer.Byte(run.step.input);
    } else {
        writer.U16(run.step.input);
    }
    if (aimChanged) {
        writer.Float(run.step.aimX);
        writer.Float(run.step.aimY);
    }
    writer.Varint(run.count);
}

void EncodeEvent(CWriter& writer, const ReplayEvent& event) {
    writer.Byte(kTagEvent + static_cast<uint32_t>(event.kind));
    switch (event.kind) {
        case EReplayEvent::LoadLevel:
        case EReplayEvent::Panel:
            writer.Byte(static_cast<uint32_t>(event.number));
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
                writer.Byte(byte);
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

bool DecodeEvent(CReader& reader, uint32_t tag, uint32_t step, ReplayEvent& event, std::string& why) {
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
            event.number = static_cast<int32_t>(reader.Byte());
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
bool DecodeRun(CReader& reader, uint32_t tag, const ReplayStep& previous, ReplayRun& run, uint32_t& quietAfter,
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
        const auto dx = static_cast<int8_t>(reader.Byte());
        const auto dy = static_cast<int8_t>(reader.Byte());
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
        run.step.input = static_cast<uint16_t>((form & 2) != 0 ? reader.Byte() : reader.U16());
        if ((run.step.input & ~ReplayInput::AllGame) != 0) {
            why = "unknown input";
            return false;
        }
        if ((form & 1) != 0) {
            run.step.aimX = reader.Float();
            run.step.aimY = reader.Float();
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

bool DecodeStream(const uint8_t* data, size_t size, ReplayData& out, std::string& why) {
    CReader reader(data, size);
    ReplayStep previous;
    uint32_t steps = 0;
    while (!reader.AtEnd()) {
        const uint32_t tag = reader.Byte();
        if (tag >= kTagEvent) {
            if (out.events.size() >= kMaxEvents) {
                why = "too many events";
                return false;
            }
            ReplayEvent event;
            if (!DecodeEvent(reader, tag, steps, event, why)) {
                return false;
            }
            out.events.push_back(std::move(event));
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
            out.runs.push_back(run);
            if (quietAfter > 0) {
                ReplayRun quiet{run.step, quietAfter};
                quiet.step.input = 0;
                out.runs.push_back(quiet);
                previous = quiet.step;
            }
        }
        if (reader.Failed()) {
            why = "cut short";
            return false;
        }
    }
    if (steps != out.header.steps) {
        why = "step count does not match";
        return false;
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

// ---------------------------------------------------------------- the file

void EncodeReplay(const ReplayData& replay, std::vector<uint8_t>& out) {
    const ReplayHeader& header = replay.header;
    out.assign(kReplayHeaderBytes, 0);
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    WriteLe32(&out[4], kReplayVersion);
    WriteLe32(&out[8], (header.finished ? kFlagFinished : 0) | (header.fromSave ? kFlagFromSave : 0));
    const int32_t numbers[] = {header.difficulty, header.firstLevel, header.lastLevel, header.levelNumber,
                               header.lives,      header.score,      static_cast<int32_t>(header.seed),
                               static_cast<int32_t>(header.levelCrc), static_cast<int32_t>(header.steps),
                               static_cast<int32_t>(header.finalScore), header.levelsFinished};
    for (size_t i = 0; i < std::size(numbers); ++i) {
        WriteLe32(&out[12 + 4 * i], static_cast<uint32_t>(numbers[i]));
    }
    const size_t nameLength = std::min(header.playerName.size(), kReplayNameBytes - 1);
    std::memcpy(&out[kNameOffset], header.playerName.data(), nameLength);

    CWriter writer(out);
    ReplayStep previous;
    uint32_t step = 0;
    size_t event = 0;
    const std::vector<ReplayRun>& runs = replay.runs;
    for (size_t i = 0; i < runs.size(); ++i) {
        const ReplayRun& run = runs[i];
        while (event < replay.events.size() && replay.events[event].step <= step) {
            EncodeEvent(writer, replay.events[event++]);
        }
        // A glance takes the quiet steps after it into its own record, unless an event
        // falls between them.
        const bool quietNext = i + 1 < runs.size() && IsQuiet(runs[i + 1].step, run.step) &&
                               (event >= replay.events.size() || replay.events[event].step > step + 1);
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
    while (event < replay.events.size()) {
        EncodeEvent(writer, replay.events[event++]);
    }
    WriteLe32(&out[kReplayStreamLengthOffset], static_cast<uint32_t>(out.size() - kReplayHeaderBytes));
    const uint32_t crc = Crc32(out.data(), out.size());
    out.resize(out.size() + 4);
    WriteLe32(&out[out.size() - 4], crc);
}

bool DecodeReplay(const std::vector<uint8_t>& bytes, ReplayData& out, std::string& why) {
    if (bytes.size() < kReplayHeaderBytes + 4 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        why = "not a replay";
        return false;
    }
    if (bytes.size() > kReplayMaxBytes) {
        why = "too large";
        return false;
    }
    const uint32_t version = ReadLe32(&bytes[4]);
    if (version != kReplayVersion) {
        why = version > kReplayVersion ? "made by a newer Pellora" : "unknown version";
        return false;
    }
    const size_t crcOffset = bytes.size() - 4;
    if (Crc32(bytes.data(), crcOffset) != ReadLe32(&bytes[crcOffset])) {
        why = "damaged (CRC)";
        return false;
    }
    if (ReadLe32(&bytes[kReplayStreamLengthOffset]) != crcOffset - kReplayHeaderBytes) {
        why = "length does not match";
        return false;
    }
    const uint32_t flags = ReadLe32(&bytes[8]);
    if ((flags & ~kKnownFlags) != 0) {
        why = "unknown flags";
        return false;
    }
    ReplayData replay;
    ReplayHeader& header = replay.header;
    header.finished = (flags & kFlagFinished) != 0;
    header.fromSave = (flags & kFlagFromSave) != 0;
    int32_t numbers[11];
    for (size_t i = 0; i < std::size(numbers); ++i) {
        numbers[i] = static_cast<int32_t>(ReadLe32(&bytes[12 + 4 * i]));
    }
    header.difficulty = numbers[0];
    header.firstLevel = numbers[1];
    header.lastLevel = numbers[2];
    header.levelNumber = numbers[3];
    header.lives = numbers[4];
    header.score = numbers[5];
    header.seed = static_cast<uint32_t>(numbers[6]);
    header.levelCrc = static_cast<uint32_t>(numbers[7]);
    header.steps = static_cast<uint32_t>(numbers[8]);
    header.finalScore = static_cast<uint32_t>(numbers[9]);
    header.levelsFinished = numbers[10];
    const char* name = reinterpret_cast<const char*>(&bytes[kNameOffset]);
    const size_t nameLength = strnlen(name, kReplayNameBytes);
    if (nameLength == kReplayNameBytes) {
        why = "player name not terminated";
        return false;
    }
    header.playerName.assign(name, nameLength);
    if (!CheckHeader(header, why) ||
        !DecodeStream(bytes.data() + kReplayHeaderBytes, crcOffset - kReplayHeaderBytes, replay, why)) {
        return false;
    }
    out = std::move(replay);
    return true;
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

bool ChecksumAgrees(uint32_t recorded, const CPlayfield& playfield) {
    return recorded == FieldChecksum(playfield, false) || recorded == FieldChecksum(playfield, true);
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
    const ReplayStep start;
    m_glances.Reset(start.aimX, start.aimY);
}

void CReplayRecorder::Resume(ReplayData&& replay) {
    m_data = std::move(replay);
    m_recording = true;
    m_stopAfterStep = false;
    m_steps = m_data.header.steps;
    const ReplayStep last = m_data.runs.empty() ? ReplayStep() : m_data.runs.back().step;
    m_glances.Reset(last.aimX, last.aimY);
}

void CReplayRecorder::Step(const ReplayStep& step, const CPlayfield& playfield) {
    if (!m_recording || m_steps >= kReplayMaxSteps) {
        return;
    }
    Append(m_glances.Keep(step));
    ++m_steps;
    m_data.header.steps = m_steps;
    if (m_steps % kReplayCheckSteps == 0) {
        Event(EReplayEvent::Check, 0, PlayfieldChecksum(playfield));
    }
    if (m_stopAfterStep) {
        m_recording = false;
    }
}

void CReplayRecorder::Append(const ReplayStep& step) {
    std::vector<ReplayRun>& runs = m_data.runs;
    // A run never spans an event: the stream puts each event between the steps it fell in.
    const bool eventSince = !m_data.events.empty() && m_data.events.back().step == m_steps;
    if (!runs.empty() && !eventSince && runs.back().step == step) {
        ++runs.back().count;
        return;
    }
    runs.push_back(ReplayRun{step, 1});
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
    if (kind == EReplayEvent::Seed && m_data.header.seed == 0 && m_data.header.levelCrc == 0) {
        m_data.header.seed = value;
        m_data.header.levelCrc = extra;
    }
    m_data.events.push_back(std::move(event));
}

void CReplayRecorder::Continued(const std::vector<uint8_t>& packedSave, uint32_t randomState) {
    if (!m_recording) {
        return;
    }
    Event(EReplayEvent::Continue, 0, 0, randomState);
    m_data.events.back().save = packedSave;
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
    return ChecksumAgrees(expected, playfield);
}
