#pragma once
// What the message codecs of the net room share (NetProtocol, LobbyProtocol): one message
// written into a packet, and a refusal with its reason.
#include "net/NetProtocol.h"
#include "resources/ByteRecord.h"

// Writes one message into packet; false when it would not fit (never, by the codecs' sizes).
template <typename Write>
bool WriteNetPacket(NetPacket& packet, Write write) {
    CByteWriter writer(packet.bytes, sizeof packet.bytes);
    write(writer);
    packet.size = writer.Size();
    return !writer.Failed();
}

// Refuses: why is the reason, the answer false.
inline bool RefuseWith(const char*& why, const char* reason) {
    why = reason;
    return false;
}
