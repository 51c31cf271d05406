#pragma once
// The messages two Pellora programs send each other in a network match, and their byte
// layout: little-endian, one message per packet, the kind in the first byte. Every decoder
// checks the size exactly, every range and every name, and refuses with a reason; nothing
// a peer sends can make it read past the packet or allocate.
#include "game/MatchRecord.h"
#include "game/Replay.h"
#include "game/VersusMatch.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Milliseconds from any fixed start; the tests drive their own.
using NetClock = std::function<uint64_t()>;
// The steady clock in milliseconds: what an empty NetClock stands for.
uint64_t NetSteadyMs();
// clock's time, or the steady clock's when clock is empty.
inline uint64_t NetNow(const NetClock& clock) { return clock ? clock() : NetSteadyMs(); }

constexpr uint16_t kDefaultNetPort = 27960;
constexpr uint32_t kNetMagic = 0x4E4C4C50;          // "PLLN"
constexpr uint16_t kNetProtocolVersion = 1;
constexpr size_t kMaxNetPacketSize = 1024;
constexpr size_t kMaxNetNameLength = 12;            // Windows-1252 letters
constexpr uint32_t kMaxNetInputSteps = 64;          // steps in one inputs message
constexpr uint32_t kMaxNetStep = 1u << 30;          // no match runs this long (about 170 days)

enum class ENetKind : uint8_t {
    Hello = 1,      // joiner to host: who I am, which protocol I speak
    Welcome,        // host to joiner: who I am, the match settings and the seed
    Refuse,         // either way: the handshake is refused, and why
    Inputs,         // the sender's inputs for a run of steps
    Attack,         // attack balls the sender's field sent on a step
    Checksum,       // the sender's field checksum after a step
    KeepAlive,      // nothing to say, but still here
    Goodbye,        // the sender leaves the match
};

enum class ENetRefusal : uint8_t {
    VersionMismatch = 1,   // the peers speak different protocol versions
    Busy,                  // the host already has its opponent
    BadHandshake,          // the handshake message was broken
};

enum class ENetGoodbye : uint8_t {
    Quit = 1,       // the player left the match
    MatchOver,      // the match ended normally
    OutOfStep,      // the sender found the two programs' fields no longer agree
};

// The settings of a match as they travel: whole numbers, so both sides get exactly the same.
using NetMatchSettings = MatchSettings;
// Attack balls of a match between two programs reach the other side two seconds after the
// step that sent them (they land at the first turn after that); a side may run that far
// ahead of the other before it waits, which covers a datagram lost twice on its way. The
// same for every match of this version, so it does not travel.
constexpr int32_t kNetAttackTravelSteps = 300;
NetMatchSettings NetSettingsFromRules(const VersusRules& rules);
// The settings' fields as they travel (game/MatchRecord.h).
template <typename Fields, typename Settings>
void TransferNetSettings(Fields& fields, Settings& settings) {
    TransferMatchSettings(fields, settings);
}
// A step's fields in a message: aim x, aim y, input bits.
template <typename Fields, typename Step>
void TransferNetStep(Fields& fields, Step& step) {
    fields.F32(step.aimX);
    fields.F32(step.aimY);
    fields.U16(step.input);
}
// The rules of a match between two programs: the settings, and the attack travel above.
VersusRules RulesFromNetSettings(const NetMatchSettings& settings);
// Whether every setting is in its range (above).
bool IsValidNetSettings(const NetMatchSettings& settings);

struct NetHello {
    uint16_t version = kNetProtocolVersion;
    std::string name;   // 1..12 printable Windows-1252 letters
};

struct NetWelcome {
    uint16_t version = kNetProtocolVersion;
    std::string name;
    NetMatchSettings settings;
    uint32_t seed = 1;
};

struct NetRefuse {
    uint16_t version = kNetProtocolVersion;   // the refusing side's version
    ENetRefusal reason = ENetRefusal::BadHandshake;
};

// On the wire a run of equal steps travels once with its length.
struct NetInputs {
    uint32_t firstStep = 0;
    uint32_t count = 0;                        // 1..kMaxNetInputSteps
    ReplayStep steps[kMaxNetInputSteps];
};

struct NetAttack {
    uint32_t step = 0;
    uint8_t balls = 1;                          // 1..kMaxAttackBalls
};

struct NetChecksum {
    uint32_t step = 0;
    uint32_t checksum = 0;
};

// One encoded message, ready to send.
struct NetPacket {
    uint8_t bytes[kMaxNetPacketSize];
    size_t size = 0;
};

// Whether a name may travel: 1..12 letters of Windows-1252, none a control code (below
// 0x20, or 0x7F to 0x9F).
bool IsValidNetName(const std::string& name);

// The encoders return false only for a message that breaks its own ranges (a caller's bug).
bool EncodeHello(const NetHello& hello, NetPacket& packet);
bool EncodeWelcome(const NetWelcome& welcome, NetPacket& packet);
bool EncodeRefuse(const NetRefuse& refuse, NetPacket& packet);
bool EncodeInputs(const NetInputs& inputs, NetPacket& packet);
bool EncodeAttack(const NetAttack& attack, NetPacket& packet);
bool EncodeChecksum(const NetChecksum& checksum, NetPacket& packet);
bool EncodeKeepAlive(NetPacket& packet);
bool EncodeGoodbye(ENetGoodbye reason, NetPacket& packet);

// The kind of a packet, or false for an empty packet or an unknown kind.
bool PeekNetKind(const uint8_t* data, size_t size, ENetKind& kind);
// The protocol version a Hello, Welcome or Refuse carries, read before the rest so that a
// peer of another version can be told so even if its layout differs from ours.
bool PeekNetVersion(const uint8_t* data, size_t size, uint16_t& version, const char*& why);

// Each decoder takes the whole packet (kind byte included); why names the first fault.
bool DecodeHello(const uint8_t* data, size_t size, NetHello& hello, const char*& why);
bool DecodeWelcome(const uint8_t* data, size_t size, NetWelcome& welcome, const char*& why);
bool DecodeRefuse(const uint8_t* data, size_t size, NetRefuse& refuse, const char*& why);
bool DecodeInputs(const uint8_t* data, size_t size, NetInputs& inputs, const char*& why);
bool DecodeAttack(const uint8_t* data, size_t size, NetAttack& attack, const char*& why);
bool DecodeChecksum(const uint8_t* data, size_t size, NetChecksum& checksum, const char*& why);
bool DecodeKeepAlive(const uint8_t* data, size_t size, const char*& why);
bool DecodeGoodbye(const uint8_t* data, size_t size, ENetGoodbye& reason, const char*& why);
