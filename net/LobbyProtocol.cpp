#include "net/LobbyProtocol.h"

#include "net/NetCodec.h"
#include "resources/ByteRecord.h"

#ifndef PELLORA_VERSION
#define PELLORA_VERSION "unknown"
#endif

namespace {

constexpr size_t kLobbyHead = 1 + 4 + 2;                 // kind, magic, version
constexpr size_t kSettingsSize = 1 + 1 + 1 + 2 + 2 + 1;
// port, three texts of a length byte and their letters, settings
constexpr size_t kMaxListingSize = 2 + (1 + kMaxHostNameLength) + (1 + kMaxNetNameLength) + (1 + kMaxGameVersionLength) +
                                   kSettingsSize;
constexpr size_t kMaxEntrySize = 4 + 4 + 2 + kMaxListingSize;   // id, address, version, listing
static_assert(1 + 2 + 1 + kMaxListEntries * kMaxEntrySize <= kMaxNetPacketSize);
static_assert(kLobbyHead + kMaxListingSize <= kMaxNetPacketSize);

void WriteHead(CByteWriter& writer, uint8_t kind, uint32_t magic, uint16_t version) {
    writer.U8(kind);
    writer.U32(magic);
    writer.U16(version);
}

void WriteText(CByteWriter& writer, const std::string& text) {
    writer.U8(static_cast<uint32_t>(text.size()));
    writer.Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// A length byte and at most limit letters; the letters are checked by the caller.
bool ReadText(CByteReader& reader, size_t limit, std::string& text) {
    const size_t length = reader.U8();
    if (reader.Failed() || length < 1 || length > limit || reader.Left() < length) {
        reader.Fail();
        return false;
    }
    char letters[kMaxHostNameLength];
    reader.Bytes(reinterpret_cast<uint8_t*>(letters), length);
    text.assign(letters, length);
    return true;
}

// The listing after the version: port, host name, player name, game version, settings.
void WriteListing(CByteWriter& writer, const NetListing& listing) {
    writer.U16(listing.port);
    WriteText(writer, listing.hostName);
    WriteText(writer, listing.playerName);
    WriteText(writer, listing.gameVersion);
    CFieldWriter fields(writer);
    TransferNetSettings(fields, listing.settings);
}

bool ReadListing(CByteReader& reader, NetListing& listing, const char*& why) {
    listing.port = reader.U16();
    if (!ReadText(reader, kMaxHostNameLength, listing.hostName) ||
        !ReadText(reader, kMaxNetNameLength, listing.playerName) ||
        !ReadText(reader, kMaxGameVersionLength, listing.gameVersion)) {
        return RefuseWith(why, "listing text length out of range");
    }
    CFieldReader fields(reader);
    TransferNetSettings(fields, listing.settings);
    if (reader.Failed()) {
        return RefuseWith(why, "listing cut short or attacks flag out of range");
    }
    if (listing.port == 0) {
        return RefuseWith(why, "listing port 0");
    }
    if (!IsValidListingText(listing.hostName, kMaxHostNameLength) ||
        !IsValidListingText(listing.gameVersion, kMaxGameVersionLength)) {
        return RefuseWith(why, "listing text has a letter outside printable ASCII");
    }
    if (!IsValidNetName(listing.playerName)) {
        return RefuseWith(why, "listing player name has a control code");
    }
    if (!IsValidNetSettings(listing.settings)) {
        return RefuseWith(why, "listing match settings out of range");
    }
    return true;
}

// The kind, the magic and the version; false (with why) when they are not of kind.
bool ReadHead(CByteReader& reader, uint8_t kind, uint32_t magic, uint16_t& version, const char*& why) {
    if (reader.Left() < kLobbyHead) {
        return RefuseWith(why, "too short");
    }
    if (reader.U8() != kind) {
        return RefuseWith(why, "wrong kind");
    }
    if (reader.U32() != magic) {
        return RefuseWith(why, "not a Pellora message");
    }
    version = reader.U16();
    return true;
}

bool ExpectEnd(const CByteReader& reader, const char*& why) {
    return reader.Failed() || !reader.AtEnd() ? RefuseWith(why, "wrong size") : true;
}

}  // namespace

const char* LobbyRefusalName(ELobbyRefusal reason) {
    switch (reason) {
        case ELobbyRefusal::VersionMismatch: return "version mismatch";
        case ELobbyRefusal::NotFound: return "no such match";
        case ELobbyRefusal::Busy: return "host busy";
        case ELobbyRefusal::Full: return "server full";
        case ELobbyRefusal::TooMany: return "too many from this address";
        case ELobbyRefusal::BadMessage: return "bad message";
    }
    return "?";
}

bool IsValidListingText(const std::string& text, size_t limit) {
    if (text.empty() || text.size() > limit) {
        return false;
    }
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

bool IsValidListing(const NetListing& listing) {
    return IsValidListingText(listing.hostName, kMaxHostNameLength) && IsValidNetName(listing.playerName) &&
           IsValidListingText(listing.gameVersion, kMaxGameVersionLength) && listing.port != 0 &&
           IsValidNetSettings(listing.settings);
}

std::string ListingHostName(const char* name) {
    std::string out;
    for (const char* c = name; c != nullptr && *c != '\0' && out.size() < kMaxHostNameLength; ++c) {
        out.push_back(*c >= 0x20 && *c <= 0x7E ? *c : '?');
    }
    return out.empty() ? std::string("?") : out;
}

const char* PelloraGameVersion() { return PELLORA_VERSION; }

bool IsLobbyKind(uint8_t kind) {
    return kind >= static_cast<uint8_t>(ELobbyKind::Announce) && kind <= static_cast<uint8_t>(ELobbyKind::Refuse);
}

bool EncodeAnnounce(const NetListing& listing, NetPacket& packet) {
    if (!IsValidListing(listing)) {
        return false;
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        WriteHead(writer, static_cast<uint8_t>(ELobbyKind::Announce), kLobbyMagic, listing.version);
        WriteListing(writer, listing);
    });
}

bool EncodeAnnounced(uint32_t id, NetPacket& packet) {
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        writer.U8(static_cast<uint8_t>(ELobbyKind::Announced));
        writer.U32(id);
    });
}

bool EncodeAskList(uint16_t version, NetPacket& packet) {
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        WriteHead(writer, static_cast<uint8_t>(ELobbyKind::AskList), kLobbyMagic, version);
    });
}

bool EncodeMatchList(const NetMatchList& list, NetPacket& packet) {
    if (list.count > kMaxListEntries || list.count > list.total) {
        return false;
    }
    for (uint32_t i = 0; i < list.count; ++i) {
        if (!IsValidListing(list.entries[i].listing)) {
            return false;
        }
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        writer.U8(static_cast<uint8_t>(ELobbyKind::List));
        writer.U16(list.total);
        writer.U8(list.count);
        for (uint32_t i = 0; i < list.count; ++i) {
            const NetListedMatch& entry = list.entries[i];
            writer.U32(entry.id);
            writer.Bytes(entry.address, sizeof entry.address);
            writer.U16(entry.listing.version);
            WriteListing(writer, entry.listing);
        }
    });
}

bool EncodeJoinRelay(uint16_t version, uint32_t id, NetPacket& packet) {
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        WriteHead(writer, static_cast<uint8_t>(ELobbyKind::JoinRelay), kLobbyMagic, version);
        writer.U32(id);
    });
}

bool EncodePaired(NetPacket& packet) {
    return WriteNetPacket(packet, [](CByteWriter& writer) { writer.U8(static_cast<uint8_t>(ELobbyKind::Paired)); });
}

bool EncodeLobbyRefuse(ELobbyRefusal reason, NetPacket& packet) {
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        writer.U8(static_cast<uint8_t>(ELobbyKind::Refuse));
        writer.U8(static_cast<uint8_t>(reason));
    });
}

bool PeekLobbyVersion(const uint8_t* data, size_t size, uint16_t& version, const char*& why) {
    if (size < kLobbyHead) {
        return RefuseWith(why, "too short");
    }
    const uint8_t kind = data[0];
    if (kind != static_cast<uint8_t>(ELobbyKind::Announce) && kind != static_cast<uint8_t>(ELobbyKind::AskList) &&
        kind != static_cast<uint8_t>(ELobbyKind::JoinRelay)) {
        return RefuseWith(why, "no version in this kind");
    }
    CByteReader reader(data, size);
    return ReadHead(reader, kind, kLobbyMagic, version, why);
}

bool DecodeAnnounce(const uint8_t* data, size_t size, NetListing& listing, const char*& why) {
    CByteReader reader(data, size);
    if (!ReadHead(reader, static_cast<uint8_t>(ELobbyKind::Announce), kLobbyMagic, listing.version, why)) {
        return false;
    }
    return ReadListing(reader, listing, why) && ExpectEnd(reader, why);
}

bool DecodeAnnounced(const uint8_t* data, size_t size, uint32_t& id, const char*& why) {
    if (size != 5 || data[0] != static_cast<uint8_t>(ELobbyKind::Announced)) {
        return RefuseWith(why, "wrong size or kind");
    }
    CByteReader reader(data + 1, size - 1);
    id = reader.U32();
    return true;
}

bool DecodeAskList(const uint8_t* data, size_t size, uint16_t& version, const char*& why) {
    CByteReader reader(data, size);
    return ReadHead(reader, static_cast<uint8_t>(ELobbyKind::AskList), kLobbyMagic, version, why) &&
           ExpectEnd(reader, why);
}

bool DecodeMatchList(const uint8_t* data, size_t size, NetMatchList& list, const char*& why) {
    CByteReader reader(data, size);
    if (reader.U8() != static_cast<uint8_t>(ELobbyKind::List)) {
        return RefuseWith(why, "wrong kind");
    }
    list.total = reader.U16();
    list.count = reader.U8();
    if (reader.Failed()) {
        return RefuseWith(why, "too short");
    }
    if (list.count > kMaxListEntries || list.count > list.total) {
        return RefuseWith(why, "entry count out of range");
    }
    for (uint32_t i = 0; i < list.count; ++i) {
        NetListedMatch& entry = list.entries[i];
        entry.id = reader.U32();
        reader.Bytes(entry.address, sizeof entry.address);
        entry.listing.version = reader.U16();
        if (!ReadListing(reader, entry.listing, why)) {
            return false;
        }
    }
    return ExpectEnd(reader, why);
}

bool DecodeJoinRelay(const uint8_t* data, size_t size, uint16_t& version, uint32_t& id, const char*& why) {
    CByteReader reader(data, size);
    if (!ReadHead(reader, static_cast<uint8_t>(ELobbyKind::JoinRelay), kLobbyMagic, version, why)) {
        return false;
    }
    id = reader.U32();
    return ExpectEnd(reader, why);
}

bool DecodePaired(const uint8_t* data, size_t size, const char*& why) {
    return size == 1 && data[0] == static_cast<uint8_t>(ELobbyKind::Paired) ? true : RefuseWith(why, "wrong size or kind");
}

bool DecodeLobbyRefuse(const uint8_t* data, size_t size, ELobbyRefusal& reason, const char*& why) {
    if (size != 2 || data[0] != static_cast<uint8_t>(ELobbyKind::Refuse)) {
        return RefuseWith(why, "wrong size or kind");
    }
    if (data[1] < static_cast<uint8_t>(ELobbyRefusal::VersionMismatch) ||
        data[1] > static_cast<uint8_t>(ELobbyRefusal::BadMessage)) {
        return RefuseWith(why, "refusal reason out of range");
    }
    reason = static_cast<ELobbyRefusal>(data[1]);
    return true;
}

namespace {
constexpr uint8_t kDiscoveryAsk = 1;
constexpr uint8_t kDiscoveryAnswer = 2;

// A datagram's head: the magic first (it is no ENet command then), the kind, the version.
bool ReadDiscoveryHead(CByteReader& reader, uint8_t kind, uint16_t& version, const char*& why) {
    if (reader.Left() < kDiscoveryAskSize) {
        return RefuseWith(why, "too short");
    }
    if (reader.U32() != kDiscoveryMagic) {
        return RefuseWith(why, "not a Pellora datagram");
    }
    if (reader.U8() != kind) {
        return RefuseWith(why, "wrong kind");
    }
    version = reader.U16();
    return true;
}

void WriteDiscoveryHead(CByteWriter& writer, uint8_t kind, uint16_t version) {
    writer.U32(kDiscoveryMagic);
    writer.U8(kind);
    writer.U16(version);
}
}  // namespace

bool EncodeDiscoveryAsk(uint16_t version, NetPacket& packet) {
    return WriteNetPacket(packet, [&](CByteWriter& writer) { WriteDiscoveryHead(writer, kDiscoveryAsk, version); });
}

bool EncodeDiscoveryAnswer(const NetListing& listing, NetPacket& packet) {
    if (!IsValidListing(listing)) {
        return false;
    }
    return WriteNetPacket(packet, [&](CByteWriter& writer) {
        WriteDiscoveryHead(writer, kDiscoveryAnswer, listing.version);
        WriteListing(writer, listing);
    });
}

bool IsDiscoveryDatagram(const uint8_t* data, size_t size) {
    CByteReader reader(data, size);
    return size >= kDiscoveryAskSize && reader.U32() == kDiscoveryMagic;
}

bool DecodeDiscoveryAsk(const uint8_t* data, size_t size, uint16_t& version, const char*& why) {
    CByteReader reader(data, size);
    return ReadDiscoveryHead(reader, kDiscoveryAsk, version, why) && ExpectEnd(reader, why);
}

bool DecodeDiscoveryAnswer(const uint8_t* data, size_t size, NetListing& listing, const char*& why) {
    CByteReader reader(data, size);
    return ReadDiscoveryHead(reader, kDiscoveryAnswer, listing.version, why) && ReadListing(reader, listing, why) &&
           ExpectEnd(reader, why);
}
