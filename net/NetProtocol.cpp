#include "net/NetProtocol.h"

#include "net/NetCodec.h"
#include "resources/ByteRecord.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace {

// Sizes of the fixed parts: kind byte, then the fields in order.
constexpr size_t kHandshakeHead = 1 + 4 + 2;                  // kind, magic, version
constexpr size_t kSettingsSize = 1 + 1 + 1 + 2 + 2 + 1;
constexpr size_t kInputsHead = 1 + 4 + 1 + 1;                 // kind, first step, steps, runs
constexpr size_t kInputRecordSize = 1 + 4 + 4 + 2;            // steps in the run, aim x, aim y, input bits
constexpr size_t kAttackSize = 1 + 4 + 1;
constexpr size_t kChecksumSize = 1 + 4 + 4;
constexpr size_t kGoodbyeSize = 1 + 1;
constexpr float kMaxAim = 1.0e6f;
static_assert(kInputsHead + kMaxNetInputSteps * kInputRecordSize <= kMaxNetPacketSize);
static_assert(kHandshakeHead + 1 + kMaxNetNameLength + kSettingsSize + 4 <= kMaxNetPacketSize);

bool IsValidAim(float value) { return std::isfinite(value) && std::fabs(value) <= kMaxAim; }

bool IsValidStep(const ReplayStep& step) {
    return (step.input & ~ReplayInput::All) == 0 && IsValidAim(step.aimX) && IsValidAim(step.aimY);
}

void WriteHandshakeHead(CByteWriter& writer, ENetKind kind, uint16_t version) {
    writer.U8(static_cast<uint8_t>(kind));
    writer.U32(kNetMagic);
    writer.U16(version);
}

void WriteName(CByteWriter& writer, const std::string& name) {
    writer.U8(static_cast<uint32_t>(name.size()));
    writer.Bytes(reinterpret_cast<const uint8_t*>(name.data()), name.size());
}

// The kind byte and the version of a handshake message of this protocol.
bool ReadHandshakeHead(CByteReader& reader, ENetKind kind, size_t size, uint16_t& version, const char*& why) {
    if (size < kHandshakeHead) {
        return RefuseWith(why, "handshake too short");
    }
    if (reader.U8() != static_cast<uint8_t>(kind)) {
        return RefuseWith(why, "wrong kind");
    }
    if (reader.U32() != kNetMagic) {
        return RefuseWith(why, "not a Pellora handshake");
    }
    version = reader.U16();
    if (version != kNetProtocolVersion) {
        return RefuseWith(why, "another protocol version");
    }
    return true;
}

// A name's length byte, then the name; the caller knows how many bytes follow it.
bool ReadName(CByteReader& reader, size_t after, std::string& name, const char*& why) {
    if (reader.Left() < 1) {
        return RefuseWith(why, "name missing");
    }
    const size_t length = reader.U8();
    if (length < 1 || length > kMaxNetNameLength) {
        return RefuseWith(why, "name length out of range");
    }
    if (reader.Left() != length + after) {
        return RefuseWith(why, "wrong size");
    }
    char letters[kMaxNetNameLength];
    reader.Bytes(reinterpret_cast<uint8_t*>(letters), length);
    name.assign(letters, length);
    if (!IsValidNetName(name)) {
        return RefuseWith(why, "name has a control code or an unassigned letter");
    }
    return true;
}

bool ExpectKind(const uint8_t* data, size_t size, size_t expected, ENetKind kind, const char*& why) {
    if (size != expected) {
        return RefuseWith(why, "wrong size");
    }
    if (data[0] != static_cast<uint8_t>(kind)) {
        return RefuseWith(why, "wrong kind");
    }
    return true;
}

}  // namespace

NetMatchSettings NetSettingsFromRules(const VersusRules& rules) {
    return MatchSettingsFromRules(rules);
}

VersusRules RulesFromNetSettings(const NetMatchSettings& settings) {
    return RulesFromMatchSettings(settings, kNetAttackTravelSteps);
}

uint64_t NetSteadyMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

bool IsValidNetSettings(const NetMatchSettings& s) {
    return s.difficulty >= 1 && s.difficulty <= 5 && s.roundsToWin >= 1 && s.roundsToWin <= 9 &&
           s.maxRounds >= s.roundsToWin && s.maxRounds <= 20 && s.incomingMs <= 10000 && s.roundSeconds >= 10 &&
           s.roundSeconds <= 3600;
}

bool IsValidNetName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNetNameLength) {
        return false;
    }
    for (const char c : name) {
        // Control codes of both ranges: C0 and DEL, and 0x80-0x9F, which a terminal or any
        // reader that takes the bytes as Latin-1 sees as the C1 controls.
        const uint8_t letter = static_cast<uint8_t>(c);
        if (letter < 0x20 || (letter >= 0x7F && letter <= 0x9F)) {
            return false;
        }
    }
    return true;
}

bool EncodeHello(const NetHello& hello, NetPacket& packet) {
    if (!IsValidNetName(hello.name)) {
        return false;
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        WriteHandshakeHead(writer, ENetKind::Hello, hello.version);
        WriteName(writer, hello.name);
    });
}

bool EncodeWelcome(const NetWelcome& welcome, NetPacket& packet) {
    if (!IsValidNetName(welcome.name) || !IsValidNetSettings(welcome.settings)) {
        return false;
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        WriteHandshakeHead(writer, ENetKind::Welcome, welcome.version);
        WriteName(writer, welcome.name);
        CFieldWriter fields(writer);
        TransferNetSettings(fields, welcome.settings);
        writer.U32(welcome.seed);
    });
}

bool EncodeRefuse(const NetRefuse& refuse, NetPacket& packet) {
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        WriteHandshakeHead(writer, ENetKind::Refuse, refuse.version);
        writer.U8(static_cast<uint8_t>(refuse.reason));
    });
}

// The runs of equal steps in inputs; between shots most steps repeat the one before.
uint32_t CountInputRuns(const NetInputs& inputs) {
    uint32_t runs = 0;
    for (uint32_t i = 0; i < inputs.count; ++i) {
        if (i == 0 || !(inputs.steps[i] == inputs.steps[i - 1])) {
            ++runs;
        }
    }
    return runs;
}

bool EncodeInputs(const NetInputs& inputs, NetPacket& packet) {
    if (inputs.count < 1 || inputs.count > kMaxNetInputSteps || inputs.firstStep > kMaxNetStep - inputs.count) {
        return false;
    }
    for (uint32_t i = 0; i < inputs.count; ++i) {
        if (!IsValidStep(inputs.steps[i])) {
            return false;
        }
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        writer.U8(static_cast<uint8_t>(ENetKind::Inputs));
        writer.U32(inputs.firstStep);
        writer.U8(inputs.count);
        writer.U8(CountInputRuns(inputs));
        CFieldWriter fields(writer);
        for (uint32_t first = 0; first < inputs.count;) {
            uint32_t next = first + 1;
            while (next < inputs.count && inputs.steps[next] == inputs.steps[first]) {
                ++next;
            }
            writer.U8(next - first);
            TransferNetStep(fields, inputs.steps[first]);
            first = next;
        }
    });
}

bool EncodeAttack(const NetAttack& attack, NetPacket& packet) {
    if (attack.balls < 1 || attack.balls > kMaxAttackBalls || attack.step > kMaxNetStep) {
        return false;
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        writer.U8(static_cast<uint8_t>(ENetKind::Attack));
        writer.U32(attack.step);
        writer.U8(attack.balls);
    });
}

bool EncodeChecksum(const NetChecksum& checksum, NetPacket& packet) {
    if (checksum.step > kMaxNetStep) {
        return false;
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        writer.U8(static_cast<uint8_t>(ENetKind::Checksum));
        writer.U32(checksum.step);
        writer.U32(checksum.checksum);
    });
}

bool EncodeKeepAlive(NetPacket& packet) {
    return WriteNetPacket(packet, [](CByteWriter& writer) { writer.U8(static_cast<uint8_t>(ENetKind::KeepAlive)); });
}

bool EncodeGoodbye(ENetGoodbye reason, NetPacket& packet) {
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        writer.U8(static_cast<uint8_t>(ENetKind::Goodbye));
        writer.U8(static_cast<uint8_t>(reason));
    });
}

bool PeekNetKind(const uint8_t* data, size_t size, ENetKind& kind) {
    if (size < 1 || data[0] < static_cast<uint8_t>(ENetKind::Hello) || data[0] > static_cast<uint8_t>(ENetKind::Goodbye)) {
        return false;
    }
    kind = static_cast<ENetKind>(data[0]);
    return true;
}

bool PeekNetVersion(const uint8_t* data, size_t size, uint16_t& version, const char*& why) {
    ENetKind kind;
    if (!PeekNetKind(data, size, kind) ||
        (kind != ENetKind::Hello && kind != ENetKind::Welcome && kind != ENetKind::Refuse)) {
        return RefuseWith(why, "not a handshake message");
    }
    if (size < kHandshakeHead) {
        return RefuseWith(why, "handshake too short");
    }
    CByteReader reader(data, size);
    reader.U8();
    if (reader.U32() != kNetMagic) {
        return RefuseWith(why, "not a Pellora handshake");
    }
    version = reader.U16();
    return true;
}

bool DecodeHello(const uint8_t* data, size_t size, NetHello& hello, const char*& why) {
    CByteReader reader(data, size);
    return ReadHandshakeHead(reader, ENetKind::Hello, size, hello.version, why) &&
           ReadName(reader, 0, hello.name, why);
}

bool DecodeWelcome(const uint8_t* data, size_t size, NetWelcome& welcome, const char*& why) {
    CByteReader reader(data, size);
    if (!ReadHandshakeHead(reader, ENetKind::Welcome, size, welcome.version, why) ||
        !ReadName(reader, kSettingsSize + 4, welcome.name, why)) {
        return false;
    }
    // The size is known whole: a failed read is the attacks flag's.
    NetMatchSettings& settings = welcome.settings;
    CFieldReader fields(reader);
    TransferNetSettings(fields, settings);
    welcome.seed = reader.U32();
    if (reader.Failed()) {
        return RefuseWith(why, "attacks flag out of range");
    }
    if (!IsValidNetSettings(settings)) {
        return RefuseWith(why, "match settings out of range");
    }
    return true;
}

bool DecodeRefuse(const uint8_t* data, size_t size, NetRefuse& refuse, const char*& why) {
    // A refusal is read whatever version sent it: its head and reason are the same in all.
    if (size != kHandshakeHead + 1) {
        return RefuseWith(why, "wrong size");
    }
    if (!PeekNetVersion(data, size, refuse.version, why)) {
        return false;
    }
    if (data[0] != static_cast<uint8_t>(ENetKind::Refuse)) {
        return RefuseWith(why, "wrong kind");
    }
    const uint8_t reason = data[kHandshakeHead];
    if (reason < static_cast<uint8_t>(ENetRefusal::VersionMismatch) ||
        reason > static_cast<uint8_t>(ENetRefusal::BadHandshake)) {
        return RefuseWith(why, "refusal reason out of range");
    }
    refuse.reason = static_cast<ENetRefusal>(reason);
    return true;
}

bool DecodeInputs(const uint8_t* data, size_t size, NetInputs& inputs, const char*& why) {
    if (size < kInputsHead) {
        return RefuseWith(why, "wrong size");
    }
    if (data[0] != static_cast<uint8_t>(ENetKind::Inputs)) {
        return RefuseWith(why, "wrong kind");
    }
    CByteReader reader(data, size);
    reader.U8();
    inputs.firstStep = reader.U32();
    inputs.count = reader.U8();
    const uint32_t runs = reader.U8();
    if (inputs.count < 1 || inputs.count > kMaxNetInputSteps) {
        return RefuseWith(why, "step count out of range");
    }
    if (runs < 1 || runs > inputs.count) {
        return RefuseWith(why, "run count out of range");
    }
    if (size != kInputsHead + runs * kInputRecordSize) {
        return RefuseWith(why, "wrong size");
    }
    if (inputs.firstStep > kMaxNetStep - inputs.count) {
        return RefuseWith(why, "step number out of range");
    }
    uint32_t filled = 0;
    CFieldReader fields(reader);
    for (uint32_t run = 0; run < runs; ++run) {
        const uint32_t length = reader.U8();
        ReplayStep step;
        TransferNetStep(fields, step);
        if (length < 1 || length > inputs.count - filled) {
            return RefuseWith(why, "run length out of range");
        }
        if (!IsValidStep(step)) {
            return RefuseWith(why, "step aim or input bits out of range");
        }
        if (filled > 0 && step == inputs.steps[filled - 1]) {
            return RefuseWith(why, "two runs of the same step");
        }
        for (uint32_t i = 0; i < length; ++i) {
            inputs.steps[filled++] = step;
        }
    }
    if (filled != inputs.count) {
        return RefuseWith(why, "runs shorter than the step count");
    }
    return true;
}

bool DecodeAttack(const uint8_t* data, size_t size, NetAttack& attack, const char*& why) {
    if (!ExpectKind(data, size, kAttackSize, ENetKind::Attack, why)) {
        return false;
    }
    CByteReader reader(data + 1, size - 1);
    attack.step = reader.U32();
    attack.balls = reader.U8();
    if (attack.step > kMaxNetStep) {
        return RefuseWith(why, "step number out of range");
    }
    if (attack.balls < 1 || attack.balls > kMaxAttackBalls) {
        return RefuseWith(why, "attack balls out of range");
    }
    return true;
}

bool DecodeChecksum(const uint8_t* data, size_t size, NetChecksum& checksum, const char*& why) {
    if (!ExpectKind(data, size, kChecksumSize, ENetKind::Checksum, why)) {
        return false;
    }
    CByteReader reader(data + 1, size - 1);
    checksum.step = reader.U32();
    checksum.checksum = reader.U32();
    if (checksum.step > kMaxNetStep) {
        return RefuseWith(why, "step number out of range");
    }
    return true;
}

bool DecodeKeepAlive(const uint8_t* data, size_t size, const char*& why) {
    return ExpectKind(data, size, 1, ENetKind::KeepAlive, why);
}

bool DecodeGoodbye(const uint8_t* data, size_t size, ENetGoodbye& reason, const char*& why) {
    if (!ExpectKind(data, size, kGoodbyeSize, ENetKind::Goodbye, why)) {
        return false;
    }
    if (data[1] < static_cast<uint8_t>(ENetGoodbye::Quit) || data[1] > static_cast<uint8_t>(ENetGoodbye::OutOfStep)) {
        return RefuseWith(why, "goodbye reason out of range");
    }
    reason = static_cast<ENetGoodbye>(data[1]);
    return true;
}
