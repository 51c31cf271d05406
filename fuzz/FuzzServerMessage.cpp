// pellora-server's reader: the first byte chooses.
//   Below 0x80: the rest is one message to the server, read by every lobby decoder; one that
//   a decoder takes must write back to exactly the same bytes, a refused one must say why.
//   0x80 and up: the rest is a script of peers (few slots, tight limits) connecting, sending
//   what follows, leaving and letting time pass, played into the lobby. After every step the
//   lobby's counts stay within its limits, everything it sends fits a packet, and every peer
//   it names is one of its slots.
#include "core/Log.h"
#include "net/LobbyProtocol.h"
#include "server/Lobby.h"
#include "server/ServerLog.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    SetServerLogStream(nullptr);
    return 0;
}

namespace {

constexpr uint32_t kSlots = 8;

struct CheckingLink final : ILobbyLink {
    void Send(uint32_t peer, const uint8_t* data, size_t size) override {
        if (peer >= kSlots || size == 0 || size > kMaxNetPacketSize || data == nullptr) {
            __builtin_trap();
        }
    }
    void Close(uint32_t peer, bool) override {
        // A connect to a slot the lobby does not have is closed by its number, as given.
        (void)peer;
    }
    size_t Backlog(uint32_t peer) const override { return peer < kSlots ? backlog[peer] : 0; }
    size_t backlog[kSlots] = {};
};

void Expect(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

template <typename Message, typename Encode>
void CheckRoundTrip(bool taken, const char* why, const Message& message, Encode encode, const uint8_t* data, size_t size) {
    if (!taken) {
        Expect(why != nullptr && why[0] != '\0');
        return;
    }
    NetPacket packet;
    Expect(encode(message, packet) && packet.size == size && std::memcmp(packet.bytes, data, size) == 0);
}

void ReadMessage(const uint8_t* data, size_t size) {
    const char* why = "";
    NetListing listing;
    bool taken = DecodeAnnounce(data, size, listing, why);
    CheckRoundTrip(taken, why, listing, EncodeAnnounce, data, size);
    why = "";
    NetMatchList list;
    taken = DecodeMatchList(data, size, list, why);
    CheckRoundTrip(taken, why, list, EncodeMatchList, data, size);
    why = "";
    uint16_t version = 0;
    uint32_t id = 0;
    taken = DecodeJoinRelay(data, size, version, id, why);
    CheckRoundTrip(taken, why, id, [version](uint32_t i, NetPacket& p) { return EncodeJoinRelay(version, i, p); }, data,
                   size);
    why = "";
    taken = DecodeAskList(data, size, version, why);
    CheckRoundTrip(taken, why, version, EncodeAskList, data, size);
    why = "";
    ELobbyRefusal reason = ELobbyRefusal::BadMessage;
    taken = DecodeLobbyRefuse(data, size, reason, why);
    CheckRoundTrip(taken, why, reason, EncodeLobbyRefuse, data, size);
    why = "";
    taken = DecodeDiscoveryAnswer(data, size, listing, why);
    CheckRoundTrip(taken, why, listing, EncodeDiscoveryAnswer, data, size);
    why = "";
    taken = DecodeDiscoveryAsk(data, size, version, why);
    CheckRoundTrip(taken, why, version, EncodeDiscoveryAsk, data, size);
}

void PlayScript(const uint8_t* data, size_t size) {
    LobbyLimits limits;
    limits.maxPeers = kSlots;
    limits.maxPeersPerAddress = 3;
    limits.maxListings = 4;
    limits.maxListingsPerAddress = 2;
    limits.messageBurst = 6;
    limits.relayBurstBytes = 4096;
    limits.relayBacklogBytes = 2048;
    CheckingLink link;
    CLobby lobby(limits, link);
    uint64_t now = 1;
    size_t at = 0;
    const auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const uint8_t op = next();
        // Slot numbers past the lobby's own too, now and then.
        const uint32_t peer = op >> 4 == 0xF ? 200u : (op >> 4) % (kSlots + 1);
        switch (op & 3) {
            case 0: {
                const uint8_t address[4] = {10, 0, 0, static_cast<uint8_t>(next() % 3)};
                lobby.OnConnect(peer, address, now);
                break;
            }
            case 1: {
                const size_t length = next() * 4u + next() % 4u;
                const size_t available = size - at < length ? size - at : length;
                uint32_t partner = kSlots;
                if (lobby.OnReceive(peer, data + at, available, now, partner) == ELobbyVerdict::Forward) {
                    Expect(partner < kSlots && partner != peer);
                    link.backlog[partner] += available;
                }
                at += available;
                break;
            }
            case 2: lobby.OnDisconnect(peer, now); break;
            default:
                now += next() * 50u;
                lobby.Tick(now);
                for (size_t& waiting : link.backlog) {
                    waiting /= 2;   // acknowledged meanwhile
                }
                break;
        }
        const LobbyCounts& counts = lobby.Counts();
        Expect(counts.peers <= kSlots && counts.listings <= limits.maxListings && 2 * counts.relays <= counts.peers);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    if (data[0] < 0x80) {
        ReadMessage(data + 1, size - 1);
    } else {
        PlayScript(data + 1, size - 1);
    }
    return 0;
}
