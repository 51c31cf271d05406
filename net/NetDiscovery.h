#pragma once
// Finding matches on the local network without typing anything: a finder sends a small
// datagram to the network's broadcast address on the game's port every so often, and each
// Pellora hosting there answers with its listing (CNetSession answers while it listens).
// The answers are kept, with the address they came from, until a host stops answering.
// Never waits: Service() runs once a frame.
#include "net/LobbyProtocol.h"
#include "net/NetSession.h"

#include <string>
#include <vector>

struct _ENetHost;

// This machine's IPv4 broadcast addresses (one per interface that is up and has one), in
// dotted form; empty when the interfaces cannot be read (logged).
void ListBroadcastAddresses(std::vector<std::string>& out);

struct NetFoundMatch {
    std::string address;     // the host's, dotted
    NetListing listing;
    uint64_t lastSeenMs = 0;
};

class CNetDiscovery {
public:
    static constexpr uint64_t kAskMs = 1500;        // a new ask this often
    static constexpr uint64_t kForgetMs = 5000;     // a host that has not answered for this long has gone
    static constexpr size_t kMaxFound = 32;         // answers past this many are dropped

    explicit CNetDiscovery(NetClock clock = NetClock());
    ~CNetDiscovery();
    CNetDiscovery(const CNetDiscovery&) = delete;
    CNetDiscovery& operator=(const CNetDiscovery&) = delete;

    // Asks at each of the broadcast addresses (dotted IPv4) on port, now and every kAskMs;
    // false (logged) when no socket could be opened or no address is usable.
    bool Start(const std::vector<std::string>& broadcastAddresses, uint16_t port);
    void Service();
    void Stop();
    bool IsRunning() const { return m_host != nullptr; }

    // The hosts of this protocol version that answered lately, in the order they first did.
    const std::vector<NetFoundMatch>& Found() const { return m_found; }
    uint32_t AsksSent() const { return m_asks; }

private:
    uint64_t Now() const;
    void Ask();
    void Answered(uint32_t host, uint16_t port, const uint8_t* data, size_t size);

    NetClock m_clock;
    _ENetHost* m_host = nullptr;
    std::vector<uint32_t> m_targets;   // ENet's host order of the broadcast addresses
    uint16_t m_port = 0;
    uint64_t m_lastAskMs = 0;
    uint32_t m_asks = 0;
    std::vector<NetFoundMatch> m_found;
};
