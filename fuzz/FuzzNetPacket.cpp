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

// Reads data as one kind of message; taken, it must write back to the same bytes.
template <typename Message>
void CheckMessage(const uint8_t* data, size_t size, Message& message,
                  bool (*decode)(const uint8_t*, size_t, Message&, const char*&),
                  bool (*encode)(const Message&, NetPacket&)) {
    NetPacket packet;
    const char* why = "";
    const bool taken = decode(data, size, message, why);
    CheckSame(taken, taken && encode(message, packet), packet, data, size, why);
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
    CheckMessage(data, size, hello, &DecodeHello, &EncodeHello);
    NetWelcome welcome;
    CheckMessage(data, size, welcome, &DecodeWelcome, &EncodeWelcome);
    NetRefuse refuse;
    CheckMessage(data, size, refuse, &DecodeRefuse, &EncodeRefuse);
    static NetInputs inputs;
    CheckMessage(data, size, inputs, &DecodeInputs, &EncodeInputs);
    NetAttack attack;
    CheckMessage(data, size, attack, &DecodeAttack, &EncodeAttack);
    NetChecksum checksum;
    CheckMessage(data, size, checksum, &DecodeChecksum, &EncodeChecksum);

    // The two whose messages are no more than their kind and a reason.
    why = "";
    const bool keepAliveTaken = DecodeKeepAlive(data, size, why);
    CheckSame(keepAliveTaken, keepAliveTaken && EncodeKeepAlive(packet), packet, data, size, why);
    ENetGoodbye goodbye;
    why = "";
    const bool goodbyeTaken = DecodeGoodbye(data, size, goodbye, why);
    CheckSame(goodbyeTaken, goodbyeTaken && EncodeGoodbye(goodbye, packet), packet, data, size, why);
    return 0;
}
