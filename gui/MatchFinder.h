#pragma once
// What "Join a server" offers besides a typed address: the matches hosted on the local
// network (found by discovery, net/NetDiscovery.h) and those listed by the configured
// pellora-server (net/LobbyClient.h), in one list, the local ones first. Looks the server's
// name up off the frame loop; Update() never waits.
#include "net/LobbyClient.h"
#include "net/NetAddresses.h"
#include "net/NetDiscovery.h"

#include <memory>
#include <string>
#include <vector>

struct MatchOffer {
    bool local = false;       // found on the local network; else listed by the server
    std::string address;      // local: the host's; listed: the server's (numeric IPv4)
    uint16_t port = 0;
    uint32_t id = 0;          // listed: the listing's id at the server
    NetListing listing;

    bool operator==(const MatchOffer&) const = default;
};

enum class EServerListState {
    None,        // no server is set
    LookingUp,   // its name is being looked up
    Asking,      // connecting and asking for the list
    Listed,
    Failed,      // ServerText() says why
};

class CMatchFinder {
public:
    static constexpr size_t kMaxOffers = 16;

    // Starts looking on the local network and, when serverText is not empty, asking that server.
    void Start(const std::string& serverText);
    void Update();
    void Stop();

    const std::vector<MatchOffer>& Offers() const { return m_offers; }
    bool LanLooking() const { return m_discovery != nullptr && m_discovery->IsRunning(); }
    EServerListState ServerState() const { return m_serverState; }
    // The player's words for the server's part ("Server: open matches: 3").
    std::string ServerText() const;
    // Counts every change of the offers or of the server's state, for a screen to redraw.
    uint32_t Changes() const { return m_changes; }

private:
    void StartLobby();
    void Collect();

    std::unique_ptr<CNetDiscovery> m_discovery;
    CNetLookup m_lookup;
    std::unique_ptr<CLobbyClient> m_lobby;
    EServerListState m_serverState = EServerListState::None;
    ENetAddressFault m_lookupFault = ENetAddressFault::None;
    std::vector<MatchOffer> m_offers;
    size_t m_seenFound = 0;
    uint32_t m_seenLists = 0;
    uint64_t m_seenFirst = 0;
    uint32_t m_changes = 0;
};
