#pragma once
// One side of a network match over ENet: the host listens for exactly one opponent, the
// joiner connects to a host by its numeric IPv4 address. Service() runs once a frame and
// never waits; it does the handshake, reads and checks every packet, and ends the session
// with a reason when the opponent leaves, goes silent or breaks the protocol.
//
// Anyone who reaches the host's port can send it connects and packets. Until a real
// opponent has joined (a peer whose hello is whole and of our version) the host keeps
// listening: a connect that never completes, a peer that says nothing, a broken or foreign
// hello, or a peer that leaves again is refused or dropped, and its ENet slot freed in good
// time, so that strays never keep a real player out.
//
// A host may also announce its match to a pellora-server over a link from its own port; the
// server lists it and, when a joiner picks it there, relays the joiner's traffic over that
// link, which then becomes the opponent like a direct joiner's peer: the handshake, the
// checks and the end are the same whichever way the opponent came. A joiner reaches a
// listed host through the server with JoinRelay. A listening host also answers the local
// network's discovery datagrams on its port with its listing.
//
// Addresses are numeric only: looking a name up could stall the frame loop, and the ENet
// we build on speaks IPv4 only, so "::1" or a host name is refused with BadAddress.
#include "net/LobbyProtocol.h"
#include "net/NetProtocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct _ENetHost;
struct _ENetPeer;
struct _ENetPacket;

enum class ENetSessionState {
    Idle,          // neither hosting nor joining
    Listening,     // host: waiting for an opponent (peers may be connected and greeting)
    Connecting,    // joiner: waiting for the host to answer
    Handshaking,   // joiner: connected, the names, versions and settings not yet agreed
    Playing,       // the match runs: inputs, attacks and checksums flow
    Ended,         // EndReason() says why
};

enum class ENetEndReason {
    None,
    Left,               // this side left
    OpponentLeft,       // the opponent said goodbye or disconnected
    OpponentSilent,     // nothing heard from the opponent for kNetSilenceMs
    VersionMismatch,    // the other side speaks another protocol version
    HostBusy,           // the host already has its opponent
    HandshakeRefused,   // the other side found our handshake broken
    ProtocolError,      // the opponent sent a broken or out-of-order packet
    CouldNotListen,     // the port could not be opened
    BadAddress,         // not a numeric IPv4 address
    CouldNotConnect,    // no answer from the host
    MatchGone,          // relayed: the server has no such open match any more
    ServerFull,         // relayed: the server refused, at its limits
};
const char* NetEndReasonName(ENetEndReason reason);

// A host's link to the server it announces its match to.
enum class ENetServerLink {
    None,         // no server asked
    Connecting,   // connecting and announcing
    Listed,       // the server lists the match (ListingId())
    Refused,      // the server refused the listing (ServerRefusal() says why)
    Lost,         // the server could not be reached, or the link broke
    Relaying,     // a joiner came through the server: the link is the opponent's
};
const char* NetServerLinkName(ENetServerLink link);


constexpr uint64_t kNetSilenceMs = 5000;       // an opponent silent this long has left
constexpr uint64_t kNetKeepAliveMs = 1000;     // a side with nothing to send says so this often
constexpr uint64_t kNetConnectMs = 10000;      // a host that does not answer in this time is not there
constexpr size_t kNetStepQueue = 4096;         // received steps waiting to be taken
constexpr size_t kNetSmallQueue = 256;         // received attacks or checksums waiting
constexpr uint32_t kNetStepWindow = 600;       // how far ahead of the received inputs an attack or checksum may be

struct NetSessionOptions {
    std::string name;                          // this player's name, as IsValidNetName
    NetMatchSettings settings;                 // host only: the match it offers
    uint32_t seed = 1;                         // host only
    NetClock clock;                            // empty: the steady clock
    uint16_t version = kNetProtocolVersion;    // only the tests speak another version
};

// A fixed ring of received messages; full means the opponent floods us.
template <typename T, size_t N>
class TNetQueue {
public:
    bool Push(const T& item) {
        if (m_count == N) {
            return false;
        }
        m_items[(m_first + m_count) % N] = item;
        ++m_count;
        return true;
    }
    bool Pop(T& item) {
        if (m_count == 0) {
            return false;
        }
        item = m_items[m_first];
        m_first = (m_first + 1) % N;
        --m_count;
        return true;
    }
    size_t Count() const { return m_count; }
    size_t Free() const { return N - m_count; }
    void Clear() { m_first = m_count = 0; }

private:
    std::array<T, N> m_items{};
    size_t m_first = 0;
    size_t m_count = 0;
};

class CNetSession {
public:
    explicit CNetSession(NetSessionOptions options);
    ~CNetSession();
    CNetSession(const CNetSession&) = delete;
    CNetSession& operator=(const CNetSession&) = delete;

    // Listens on all IPv4 addresses at port (0: any free port, see Port()).
    bool Host(uint16_t port);
    // Connects to a host at a numeric IPv4 address.
    bool Join(const std::string& address, uint16_t port);
    // Host, while listening: announces the match to the server at a numeric IPv4 address;
    // hosting goes on directly whatever the server says.
    bool Announce(const std::string& address, uint16_t port);
    // Connects to the server at a numeric IPv4 address and through its relay to the host
    // of the listing.
    bool JoinRelay(const std::string& address, uint16_t port, uint32_t listingId);
    // Once a frame: sends and receives whatever is waiting, never blocks.
    void Service();
    // Says goodbye to the opponent and ends the session.
    void Leave(ENetGoodbye reason = ENetGoodbye::Quit);

    // This side's steps, in order from step 0 without gaps; false if not playing or out of order.
    bool SendInputs(uint32_t firstStep, const ReplayStep* steps, uint32_t count);
    bool SendAttack(const NetAttack& attack);
    bool SendChecksum(uint32_t step, uint32_t checksum);

    // The opponent's next step (its number is NextReceivedStep() before the call).
    bool TakeStep(ReplayStep& step);
    uint32_t NextReceivedStep() const { return m_takenSteps; }
    size_t ReceivedStepsWaiting() const { return m_steps.Count(); }
    bool TakeAttack(NetAttack& attack) { return m_attacks.Pop(attack); }
    bool TakeChecksum(NetChecksum& checksum) { return m_checksums.Pop(checksum); }

    ENetSessionState State() const { return m_state; }
    ENetEndReason EndReason() const { return m_endReason; }
    bool IsHost() const { return m_isHost; }
    uint16_t Port() const;
    // After the handshake: the opponent's name, and the match both sides play.
    const std::string& OpponentName() const { return m_opponentName; }
    const NetMatchSettings& Settings() const { return m_options.settings; }
    uint32_t Seed() const { return m_options.seed; }
    // Why the opponent said goodbye (OpponentLeft); Quit if it vanished without a word.
    ENetGoodbye OpponentGoodbye() const { return m_opponentGoodbye; }
    // The other side's protocol version after a VersionMismatch (0 if it never said).
    uint16_t OtherVersion() const { return m_otherVersion; }
    // UDP payload bytes ENet put on the wire and took off it for this side, handshake,
    // acknowledgements, resends and refused peers included.
    uint64_t BytesSent() const;
    uint64_t BytesReceived() const;
    // Host: the ENet peers held besides the opponent (connecting, greeting, being refused).
    size_t PeersHeld() const;
    // Host: what it announces and answers discovery with (valid once it listens).
    const NetListing& Listing() const { return m_listing; }
    ENetServerLink ServerLink() const { return m_link; }
    ELobbyRefusal ServerRefusal() const { return m_linkRefusal; }
    uint32_t ListingId() const { return m_listingId; }
    // Whether the opponent's traffic passes through a server.
    bool IsRelayed() const { return m_relayed; }
    // Host: discovery datagrams answered.
    uint32_t DiscoveryAnswers() const { return m_discoveryAnswers; }

    static constexpr size_t kHostPeers = 32;        // the opponent, and room for strays and the refused
    static constexpr size_t kSpareHostPeers = 8;    // kept free for a real player whatever strays arrive
    static constexpr uint64_t kHalfOpenMs = 2000;   // a connect not completed in this time is dropped
    static constexpr uint64_t kHalfOpenGraceMs = 500;   // before it may be dropped to make room
    static constexpr uint64_t kHelloMs = 3000;      // a connected peer without a hello in this time is dropped
    static constexpr uint64_t kRefusedMs = 2000;    // a refused peer's refusal has this long to arrive
    static constexpr uint32_t kDiscoveryAnswersPerSecond = 20;   // a flood of asks is not answered in full

private:
    // What the host knows of each ENet peer that is not its opponent.
    enum class EPeerPhase : uint8_t {
        None,
        HalfOpen,   // its connect is not completed
        Greeting,   // connected, its hello not yet here
        Refused,    // told why it is refused; disconnects once that has arrived
    };
    struct PeerWatch {
        EPeerPhase phase = EPeerPhase::None;
        uint64_t sinceMs = 0;
    };

    uint64_t Now() const;
    bool CreateHost(const void* address, size_t peers);
    void HandleConnect(_ENetPeer* peer);
    void HandleReceive(_ENetPeer* peer, const _ENetPacket* packet);
    void HandleDisconnect(_ENetPeer* peer);
    void ReceiveHandshake(const uint8_t* data, size_t size);
    // Joiner through a relay: the server's answer to the pairing.
    void ReceivePairing(const uint8_t* data, size_t size);
    // Host: a packet on the server link, the server's or a relayed joiner's first.
    void ReceiveFromServer(_ENetPeer* peer, const uint8_t* data, size_t size);
    void DropServerLink(ENetServerLink state);
    void AnswerDiscovery(const void* from, const uint8_t* data, size_t size);
    void SendHello();
    // Host: a greeting peer's first packet; a whole hello of our version makes it the opponent.
    void ReceiveHello(_ENetPeer* peer, const uint8_t* data, size_t size);
    void RefuseStray(_ENetPeer* peer, const char* why);
    void Watch(_ENetPeer* peer, EPeerPhase phase);
    PeerWatch* WatchOf(const _ENetPeer* peer);
    // Host: drops the peers past their time, and while fewer than kSpareHostPeers slots are
    // free, the oldest half-open ones past their grace.
    void WatchPeers();
    void DropPeer(size_t index);
    void ReceivePlay(const uint8_t* data, size_t size);
    void ReceiveInputs(const uint8_t* data, size_t size);
    void CheckTimers();
    bool Send(const NetPacket& packet);
    void SendTo(_ENetPeer* peer, const NetPacket& packet);
    void Refuse(_ENetPeer* peer, ENetRefusal reason);
    void StartPlaying();
    void End(ENetEndReason reason);
    void Refused(const char* why);
    void CountTraffic();

    NetSessionOptions m_options;
    _ENetHost* m_host = nullptr;
    _ENetPeer* m_opponent = nullptr;
    ENetSessionState m_state = ENetSessionState::Idle;
    ENetEndReason m_endReason = ENetEndReason::None;
    bool m_isHost = false;
    std::string m_opponentName;
    uint16_t m_otherVersion = 0;
    ENetGoodbye m_opponentGoodbye = ENetGoodbye::Quit;
    uint64_t m_lastHeardMs = 0;
    uint64_t m_lastSentMs = 0;
    uint64_t m_connectStartMs = 0;
    uint32_t m_nextSendStep = 0;
    uint32_t m_receivedSteps = 0;       // steps received so far (the next one's number)
    uint32_t m_takenSteps = 0;          // steps taken by the game so far
    uint32_t m_lastAttackStep = 0;
    bool m_checksumSeen = false;
    uint32_t m_lastChecksumStep = 0;
    TNetQueue<ReplayStep, kNetStepQueue> m_steps;
    TNetQueue<NetAttack, kNetSmallQueue> m_attacks;
    TNetQueue<NetChecksum, kNetSmallQueue> m_checksums;
    std::array<PeerWatch, kHostPeers> m_watch{};
    NetListing m_listing;
    _ENetPeer* m_serverLink = nullptr;  // host: the link to the server while it announces
    ENetServerLink m_link = ENetServerLink::None;
    ELobbyRefusal m_linkRefusal = ELobbyRefusal::BadMessage;
    uint32_t m_listingId = 0;
    uint64_t m_linkStartMs = 0;
    uint32_t m_relayListing = 0;        // joiner through a relay: the listing asked for
    bool m_pairing = false;             // joiner through a relay: waiting for the server's pairing
    bool m_relayed = false;
    uint64_t m_answerWindowMs = 0;
    uint32_t m_answersInWindow = 0;
    uint32_t m_discoveryAnswers = 0;
    NetPacket m_packet;                 // the one being built, so sending allocates only ENet's copy
    NetInputs m_inputs;                 // the one being read or written
    uint64_t m_bytesSent = 0;           // ENet's 32-bit counters, folded in every Service()
    uint64_t m_bytesReceived = 0;
};
