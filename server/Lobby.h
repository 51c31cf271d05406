#pragma once
// The lobby and the relay of pellora-server, without the network: peers (numbered slots)
// connect, send messages and leave, and the lobby answers through an ILobbyLink. Hosts
// announce their match and are listed until they leave, fall silent or are paired; joiners
// ask for the list and pick a match; a picked host and its joiner are paired and from then
// on their match traffic passes from one to the other unchanged and in order, neither read
// nor changed: the two programs check each other as they do over a direct link.
//
// Nothing a peer says about itself is trusted beyond the listing's fields, each bounded in
// size and checked. Every peer has its limits: connections and listings per address, a
// message rate, a byte rate and a backlog while relayed, a time to say what it wants and a
// time it may idle. A peer that breaks them is told why and closed; the lobby holds a fixed
// number of slots and listings, allocated when it is made.
#include "net/LobbyProtocol.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

struct LobbyLimits {
    size_t maxPeers = 4000;                 // connections at once (ENet holds at most 4095)
    size_t maxPeersPerAddress = 32;         // connections from one IPv4 address
    size_t maxListings = 2000;              // open matches (at most 4096)
    size_t maxListingsPerAddress = 4;       // open matches from one address
    uint32_t announcesPerMinute = 20;       // listings one address may make or change
    uint32_t messagesPerSecond = 4;         // lobby messages one peer may send, sustained...
    uint32_t messageBurst = 8;              // ...and at once
    uint32_t relayBytesPerSecond = 32768;   // match traffic one relayed side may send, sustained...
    uint32_t relayBurstBytes = 65536;       // ...and at once
    size_t relayBacklogBytes = 65536;       // unacknowledged bytes that may wait for one side
    uint64_t greetMs = 5000;                // a new peer says what it wants within this
    uint64_t idleMs = 30000;                // a joiner that asks nothing for this long is closed
    uint64_t closingMs = 3000;              // a closed peer's last words have this long to arrive
    uint64_t silenceMs = 10000;             // a peer not heard for this long has gone (the link's own timer)
};

// What the lobby asks of the network.
class ILobbyLink {
public:
    virtual ~ILobbyLink() = default;
    virtual void Send(uint32_t peer, const uint8_t* data, size_t size) = 0;
    // Closes a peer: after what is queued for it, or at once.
    virtual void Close(uint32_t peer, bool now) = 0;
    // Bytes sent to the peer and not yet acknowledged, relayed traffic included.
    virtual size_t Backlog(uint32_t peer) const = 0;
};

enum class ELobbyVerdict {
    Consumed,   // the lobby read it (or dropped it)
    Forward,    // pass the packet as it is to the partner given
};

struct LobbyCounts {
    size_t peers = 0;
    size_t listings = 0;
    size_t relays = 0;              // pairs relayed now
    uint64_t paired = 0;            // pairs made since the start
    uint64_t refused = 0;           // peers refused (limits, broken messages, unknown matches)
    uint64_t broken = 0;            // broken messages among them
    uint64_t forwardedPackets = 0;
    uint64_t forwardedBytes = 0;
};

class CLobby {
public:
    CLobby(const LobbyLimits& limits, ILobbyLink& link);
    CLobby(const CLobby&) = delete;
    CLobby& operator=(const CLobby&) = delete;

    // address is IPv4, most significant byte first. A peer number past maxPeers is closed.
    void OnConnect(uint32_t peer, const uint8_t address[4], uint64_t nowMs);
    // For Forward, partner names the peer to pass the packet to.
    ELobbyVerdict OnReceive(uint32_t peer, const uint8_t* data, size_t size, uint64_t nowMs, uint32_t& partner);
    void OnDisconnect(uint32_t peer, uint64_t nowMs);
    // The timers: greeting, idle and closing peers past their time.
    void Tick(uint64_t nowMs);

    const LobbyCounts& Counts() const { return m_counts; }
    const LobbyLimits& Limits() const { return m_limits; }

private:
    enum class ERole : uint8_t {
        Free,
        Greeting,   // connected, nothing said yet
        Host,       // its match is listed
        Lister,     // has asked for the list
        Relaying,   // paired: its traffic goes to its partner
        Closing,    // told why, waiting to go
    };
    // A rate: rate in every periodMs, at most burst at once; the level is in thousandths.
    struct Bucket {
        uint64_t level = 0;
        uint64_t lastMs = 0;
        bool full = true;
        bool Take(uint64_t cost, uint64_t rate, uint64_t burst, uint64_t nowMs, uint64_t periodMs = 1000);
    };
    struct Peer {
        ERole role = ERole::Free;
        uint32_t address = 0;
        uint8_t addressBytes[4] = {};
        uint64_t sinceMs = 0;           // in this role since
        uint64_t lastAskMs = 0;
        uint32_t listing = 0;           // Host: its listing's slot
        uint32_t partner = 0;           // Relaying
        Bucket messages;
        Bucket bytes;
    };
    struct Listing {
        bool used = false;
        uint32_t id = 0;
        uint32_t host = 0;
        uint64_t sinceMs = 0;
        NetListedMatch match;
    };
    struct Address {
        size_t peers = 0;
        size_t listings = 0;
        Bucket announces;
    };

    Peer* PeerAt(uint32_t peer);
    ELobbyVerdict Relay(uint32_t index, Peer& peer, const uint8_t* data, size_t size, uint32_t& partner);
    void ReceiveLobby(uint32_t index, Peer& peer, const uint8_t* data, size_t size, uint64_t nowMs);
    void Announce(uint32_t index, Peer& peer, const NetListing& listing, uint64_t nowMs);
    void SendList(uint32_t index, uint16_t version);
    void JoinRelay(uint32_t index, Peer& peer, uint16_t version, uint32_t id, uint64_t nowMs);
    void Refuse(uint32_t index, ELobbyRefusal reason, const char* why);
    // Closes a peer (after its queue); a relayed one's partner goes with it.
    void Close(uint32_t index, uint64_t nowMs);
    void Unlist(Peer& peer);
    void SetRole(Peer& peer, ERole role, uint64_t nowMs);
    void Send(uint32_t index, const NetPacket& packet);

    LobbyLimits m_limits;
    ILobbyLink& m_link;
    std::vector<Peer> m_peers;
    std::vector<Listing> m_listings;
    std::vector<uint32_t> m_freeListings;
    std::vector<uint32_t> m_newest;      // the list being built
    std::unordered_map<uint32_t, Address> m_addresses;
    uint32_t m_serial = 0;
    uint64_t m_nowMs = 0;
    LobbyCounts m_counts;
    NetPacket m_packet;
    NetMatchList m_list;
};
