// Reads the input as a packet from a network opponent, with every decoder in turn. A packet
// that one of them takes must write back to exactly the same bytes, and a refused one must
// say why.
#include "core/Log.h"
#include "net/NetProtocol.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    return 0;
}

namespace {
void CheckSame(bool taken, bool encoded, const NetPacket& packet, const uint8_t* data, size_t size, const char* why) {
    if (!taken) {
        if (why == nullptr || why[0] == '\0') {
            __builtin_trap();
        }
        return;
    }
    if (!encoded || packet.size != size || std::memcmp(packet.bytes, data, size) != 0) {
        __builtin_trap();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxNetPacketSize) {
        return 0;   // ENet drops larger packets before they reach the decoders
    }
    NetPacket packet;
    const char* why = "";
    ENetKind kind;
    PeekNetKind(data, size, kind);
    uint16_t version = 0;
    PeekNetVersion(data, size, version, why);

    NetHello hello;
    why = "";
    const bool helloTaken = DecodeHello(data, size, hello, why);
    CheckSame(helloTaken, helloTaken && EncodeHello(hello, packet), packet, data, size, why);

    NetWelcome welcome;
    why = "";
    const bool welcomeTaken = DecodeWelcome(data, size, welcome, why);
    CheckSame(welcomeTaken, welcomeTaken && EncodeWelcome(welcome, packet), packet, data, size, why);

    NetRefuse refuse;
    why = "";
    const bool refuseTaken = DecodeRefuse(data, size, refuse, why);
    CheckSame(refuseTaken, refuseTaken && EncodeRefuse(refuse, packet), packet, data, size, why);

    static NetInputs inputs;
    why = "";
    const bool inputsTaken = DecodeInputs(data, size, inputs, why);
    CheckSame(inputsTaken, inputsTaken && EncodeInputs(inputs, packet), packet, data, size, why);

    NetAttack attack;
    why = "";
    const bool attackTaken = DecodeAttack(data, size, attack, why);
    CheckSame(attackTaken, attackTaken && EncodeAttack(attack, packet), packet, data, size, why);

    NetChecksum checksum;
    why = "";
    const bool checksumTaken = DecodeChecksum(data, size, checksum, why);
    CheckSame(checksumTaken, checksumTaken && EncodeChecksum(checksum, packet), packet, data, size, why);

    why = "";
    const bool keepAliveTaken = DecodeKeepAlive(data, size, why);
    CheckSame(keepAliveTaken, keepAliveTaken && EncodeKeepAlive(packet), packet, data, size, why);

    ENetGoodbye goodbye;
    why = "";
    const bool goodbyeTaken = DecodeGoodbye(data, size, goodbye, why);
    CheckSame(goodbyeTaken, goodbyeTaken && EncodeGoodbye(goodbye, packet), packet, data, size, why);
    return 0;
}
