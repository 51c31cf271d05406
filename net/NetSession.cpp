#include "net/NetSession.h"

#include "core/Log.h"
#include "net/EnetShared.h"

#include <enet/enet.h>

#include <unistd.h>

#include <algorithm>

namespace {

constexpr size_t kMaxWaitingBytes = 64 * 1024;    // what one peer may keep ENet holding for it
constexpr uint32_t kEnetTimeoutMinMs = 5000;      // ENet's own backstop for a vanished peer
constexpr uint32_t kEnetTimeoutMaxMs = 10000;

// enet_address_set_host_ip reads numbers only and never asks a name server.
bool NumericAddress(const std::string& text, uint16_t port, ENetAddress& address) {
    address = ENetAddress{};
    address.port = port;
    return !text.empty() && text.size() <= 15 && enet_address_set_host_ip(&address, text.c_str()) == 0;
}

ENetEndReason EndOfRefusal(ELobbyRefusal reason) {
    switch (reason) {
        case ELobbyRefusal::VersionMismatch: return ENetEndReason::VersionMismatch;
        case ELobbyRefusal::NotFound: return ENetEndReason::MatchGone;
        case ELobbyRefusal::Busy: return ENetEndReason::HostBusy;
        case ELobbyRefusal::Full:
        case ELobbyRefusal::TooMany: return ENetEndReason::ServerFull;
        case ELobbyRefusal::BadMessage: return ENetEndReason::HandshakeRefused;
    }
    return ENetEndReason::HandshakeRefused;
}

std::string ThisMachinesName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return "?";
    }
    return ListingHostName(name);
}

}  // namespace

const char* NetServerLinkName(ENetServerLink link) {
    switch (link) {
        case ENetServerLink::None: return "none";
        case ENetServerLink::Connecting: return "connecting";
        case ENetServerLink::Listed: return "listed";
        case ENetServerLink::Refused: return "refused";
        case ENetServerLink::Lost: return "lost";
        case ENetServerLink::Relaying: return "relaying";
    }
    return "?";
}

const char* NetEndReasonName(ENetEndReason reason) {
    switch (reason) {
        case ENetEndReason::None: return "none";
        case ENetEndReason::Left: return "left";
        case ENetEndReason::OpponentLeft: return "opponent left";
        case ENetEndReason::OpponentSilent: return "opponent silent";
        case ENetEndReason::VersionMismatch: return "version mismatch";
        case ENetEndReason::HostBusy: return "host busy";
        case ENetEndReason::HandshakeRefused: return "handshake refused";
        case ENetEndReason::ProtocolError: return "protocol error";
        case ENetEndReason::CouldNotListen: return "could not listen";
        case ENetEndReason::BadAddress: return "bad address";
        case ENetEndReason::CouldNotConnect: return "could not connect";
        case ENetEndReason::MatchGone: return "match gone";
        case ENetEndReason::ServerFull: return "server full";
    }
    return "?";
}

CNetSession::CNetSession(NetSessionOptions options) : m_options(std::move(options)) {}

CNetSession::~CNetSession() {
    if (m_host == nullptr) {
        return;
    }
    if (m_state == ENetSessionState::Handshaking || m_state == ENetSessionState::Playing) {
        Leave();
    }
    // What is queued (a refusal, a goodbye) goes out first. A peer that has one is left to
    // end on reading it: a disconnect sent now could overtake it, and ENet drops what it has
    // received from a peer that disconnects. Every other peer is told at once; one that
    // misses it notices the silence instead.
    enet_host_flush(m_host);
    SetDatagramHandler(m_host, DatagramHandler());
    for (size_t i = 0; i < m_host->peerCount; ++i) {
        ENetPeer* peer = &m_host->peers[i];
        if (peer->state != ENET_PEER_STATE_DISCONNECTED && peer->state != ENET_PEER_STATE_DISCONNECT_LATER) {
            enet_peer_disconnect_now(peer, 0);
        }
    }
    enet_host_destroy(m_host);
    ReleaseEnet();
}

uint64_t CNetSession::Now() const { return NetNow(m_options.clock); }

bool CNetSession::CreateHost(const void* address, size_t peers) {
    if (m_host != nullptr || m_state != ENetSessionState::Idle) {
        CLog::Get().Write("CNetSession::Start FAILED, the session is already in use");
        return false;
    }
    if (!IsValidNetName(m_options.name)) {
        CLog::Get().Write("CNetSession::Start FAILED, invalid player name");
        return false;
    }
    if (!AcquireEnet()) {
        return false;
    }
    m_host = enet_host_create(static_cast<const ENetAddress*>(address), peers, 1, 0, 0);
    if (m_host == nullptr) {
        ReleaseEnet();
        return false;
    }
    m_host->maximumPacketSize = kMaxNetPacketSize;
    m_host->maximumWaitingData = kMaxWaitingBytes;
    return true;
}

bool CNetSession::Host(uint16_t port) {
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    if (!CreateHost(&address, kHostPeers)) {
        CLog::Get().Write("CNetSession::Host FAILED, port %u", port);
        End(ENetEndReason::CouldNotListen);
        return false;
    }
    m_isHost = true;
    m_state = ENetSessionState::Listening;
    m_listing.hostName = ThisMachinesName();
    m_listing.playerName = m_options.name;
    m_listing.gameVersion = PelloraGameVersion();
    m_listing.version = m_options.version;
    m_listing.port = Port();
    m_listing.settings = m_options.settings;
    SetDatagramHandler(m_host, [this](const ENetAddress& from, const uint8_t* data, size_t size) {
        AnswerDiscovery(&from, data, size);
    });
    return true;
}

bool CNetSession::Announce(const std::string& address, uint16_t port) {
    ENetAddress target;
    if (!m_isHost || m_state != ENetSessionState::Listening || m_serverLink != nullptr) {
        CLog::Get().Write("CNetSession::Announce FAILED, not listening");
        return false;
    }
    if (!NumericAddress(address, port, target)) {
        CLog::Get().Write("CNetSession::Announce FAILED, not a numeric IPv4 address: %.64s", address.c_str());
        m_link = ENetServerLink::Lost;
        return false;
    }
    m_serverLink = enet_host_connect(m_host, &target, 1, 0);
    if (m_serverLink == nullptr) {
        CLog::Get().Write("CNetSession::Announce FAILED, enet_host_connect");
        m_link = ENetServerLink::Lost;
        return false;
    }
    m_link = ENetServerLink::Connecting;
    m_linkStartMs = Now();
    return true;
}

bool CNetSession::JoinRelay(const std::string& address, uint16_t port, uint32_t listingId) {
    m_relayListing = listingId;
    m_pairing = true;
    m_relayed = true;
    return Join(address, port);
}

// A finder's ask on the local network: the listing while a player may still join, and at
// most so many a second, so that a flood of asks (with a forged sender, say) cannot turn
// this port into a loudspeaker.
void CNetSession::AnswerDiscovery(const void* from, const uint8_t* data, size_t size) {
    const char* why = "";
    uint16_t version = 0;
    if (m_state != ENetSessionState::Listening || !DecodeDiscoveryAsk(data, size, version, why)) {
        return;
    }
    const uint64_t now = Now();
    if (now - m_answerWindowMs >= 1000) {
        m_answerWindowMs = now;
        m_answersInWindow = 0;
    }
    if (m_answersInWindow >= kDiscoveryAnswersPerSecond) {
        return;
    }
    ++m_answersInWindow;
    NetPacket answer;
    if (EncodeDiscoveryAnswer(m_listing, answer) &&
        SendDatagram(m_host, *static_cast<const ENetAddress*>(from), answer.bytes, answer.size)) {
        ++m_discoveryAnswers;
    }
}

bool CNetSession::Join(const std::string& address, uint16_t port) {
    ENetAddress target;
    if (!NumericAddress(address, port, target)) {
        CLog::Get().Write("CNetSession::Join FAILED, not a numeric IPv4 address: %.64s", address.c_str());
        End(ENetEndReason::BadAddress);
        return false;
    }
    if (!CreateHost(nullptr, 1)) {
        CLog::Get().Write("CNetSession::Join FAILED, no ENet host");
        End(ENetEndReason::CouldNotConnect);
        return false;
    }
    m_opponent = enet_host_connect(m_host, &target, 1, 0);
    if (m_opponent == nullptr) {
        CLog::Get().Write("CNetSession::Join FAILED, enet_host_connect");
        End(ENetEndReason::CouldNotConnect);
        return false;
    }
    m_isHost = false;
    m_state = ENetSessionState::Connecting;
    m_connectStartMs = Now();
    return true;
}

uint16_t CNetSession::Port() const { return m_host != nullptr ? m_host->address.port : 0; }

void CNetSession::Service() {
    if (m_host == nullptr) {
        return;
    }
    ENetEvent event;
    while (m_host != nullptr && enet_host_service(m_host, &event, 0) > 0) {
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT: HandleConnect(event.peer); break;
            case ENET_EVENT_TYPE_RECEIVE:
                HandleReceive(event.peer, event.packet);
                enet_packet_destroy(event.packet);
                break;
            case ENET_EVENT_TYPE_DISCONNECT: HandleDisconnect(event.peer); break;
            case ENET_EVENT_TYPE_NONE: break;
        }
    }
    CheckTimers();
    enet_host_flush(m_host);
    CountTraffic();
}

// ENet's totals are 32 bits wide and meant to be reset by their user.
void CNetSession::CountTraffic() {
    m_bytesSent += m_host->totalSentData;
    m_bytesReceived += m_host->totalReceivedData;
    m_host->totalSentData = 0;
    m_host->totalReceivedData = 0;
}

uint64_t CNetSession::BytesSent() const { return m_bytesSent + (m_host != nullptr ? m_host->totalSentData : 0); }

uint64_t CNetSession::BytesReceived() const {
    return m_bytesReceived + (m_host != nullptr ? m_host->totalReceivedData : 0);
}

size_t CNetSession::PeersHeld() const {
    size_t held = 0;
    for (size_t i = 0; m_host != nullptr && i < m_host->peerCount; ++i) {
        const ENetPeer* peer = &m_host->peers[i];
        held += peer != m_opponent && peer->state != ENET_PEER_STATE_DISCONNECTED ? 1 : 0;
    }
    return held;
}

void CNetSession::HandleConnect(ENetPeer* peer) {
    if (m_isHost && peer == m_serverLink) {
        enet_peer_timeout(peer, 0, kEnetTimeoutMinMs, kEnetTimeoutMaxMs);
        NetPacket announce;
        if (EncodeAnnounce(m_listing, announce)) {
            SendTo(peer, announce);
        }
        return;
    }
    if (m_isHost) {
        // Every connected peer may greet while the host listens; once it plays, it is busy.
        if (m_state == ENetSessionState::Listening) {
            enet_peer_timeout(peer, 0, kEnetTimeoutMinMs, kEnetTimeoutMaxMs);
            Watch(peer, EPeerPhase::Greeting);
        } else {
            Refuse(peer, ENetRefusal::Busy);
        }
        return;
    }
    if (peer != m_opponent || m_state != ENetSessionState::Connecting) {
        return;
    }
    enet_peer_timeout(peer, 0, kEnetTimeoutMinMs, kEnetTimeoutMaxMs);
    m_state = ENetSessionState::Handshaking;
    m_lastHeardMs = Now();
    if (m_pairing) {
        // Through a relay the server pairs us with the host first; the hello follows.
        EncodeJoinRelay(m_options.version, m_relayListing, m_packet);
        Send(m_packet);
        return;
    }
    SendHello();
}

void CNetSession::SendHello() {
    NetHello hello;
    hello.version = m_options.version;
    hello.name = m_options.name;
    EncodeHello(hello, m_packet);
    Send(m_packet);
}

void CNetSession::ReceivePairing(const uint8_t* data, size_t size) {
    const char* why = "";
    ELobbyRefusal reason = ELobbyRefusal::BadMessage;
    if (DecodePaired(data, size, why)) {
        CLog::Get().Write("CNetSession: the server paired us with the host of match %u", m_relayListing);
        m_pairing = false;
        SendHello();
    } else if (DecodeLobbyRefuse(data, size, reason, why)) {
        CLog::Get().Write("CNetSession: the server refused to relay us to match %u (%s)", m_relayListing,
                          LobbyRefusalName(reason));
        End(EndOfRefusal(reason));
    } else {
        CLog::Get().Write("CNetSession FAILED, broken answer from the server (%zu bytes)", size);
        End(ENetEndReason::ProtocolError);
    }
}

void CNetSession::ReceiveFromServer(ENetPeer* peer, const uint8_t* data, size_t size) {
    const char* why = "";
    if (size > 0 && IsLobbyKind(data[0])) {
        uint32_t id = 0;
        ELobbyRefusal reason = ELobbyRefusal::BadMessage;
        if (DecodeAnnounced(data, size, id, why)) {
            m_listingId = id;
            m_link = ENetServerLink::Listed;
            CLog::Get().Write("CNetSession: the server lists the match as %u", id);
        } else if (DecodeLobbyRefuse(data, size, reason, why)) {
            CLog::Get().Write("CNetSession: the server refused the listing (%s); hosting goes on", LobbyRefusalName(reason));
            m_linkRefusal = reason;
            DropServerLink(ENetServerLink::Refused);
        } else {
            CLog::Get().Write("CNetSession: a broken message from the server (%s); hosting goes on without it", why);
            DropServerLink(ENetServerLink::Lost);
        }
        return;
    }
    if (m_state != ENetSessionState::Listening) {
        return;
    }
    // Anything else is a relayed joiner's first packet: greeted as a direct joiner's would be.
    m_serverLink = nullptr;
    m_link = ENetServerLink::Relaying;
    m_relayed = true;
    ReceiveHello(peer, data, size);
    if (m_opponent != peer) {
        m_relayed = false;
        m_link = ENetServerLink::Lost;
    }
}

void CNetSession::DropServerLink(ENetServerLink state) {
    if (m_serverLink != nullptr) {
        enet_peer_disconnect_later(m_serverLink, 0);
        m_serverLink = nullptr;
    }
    m_link = state;
}

void CNetSession::HandleReceive(ENetPeer* peer, const ENetPacket* packet) {
    if (peer == m_serverLink && m_serverLink != nullptr) {
        ReceiveFromServer(peer, packet->data, packet->dataLength);
        return;
    }
    if (peer == m_opponent) {
        m_lastHeardMs = Now();
        if (m_state == ENetSessionState::Handshaking) {
            ReceiveHandshake(packet->data, packet->dataLength);
        } else if (m_state == ENetSessionState::Playing) {
            ReceivePlay(packet->data, packet->dataLength);
        }
        return;
    }
    const PeerWatch* watch = WatchOf(peer);
    if (m_isHost && m_state == ENetSessionState::Listening && watch != nullptr && watch->phase == EPeerPhase::Greeting) {
        ReceiveHello(peer, packet->data, packet->dataLength);
    }
    // Packets from peers being refused, or after the end, are dropped unread.
}

void CNetSession::HandleDisconnect(ENetPeer* peer) {
    if (peer == m_serverLink && m_serverLink != nullptr) {
        CLog::Get().Write("CNetSession: the link to the server broke; hosting goes on");
        m_serverLink = nullptr;
        m_link = ENetServerLink::Lost;
        return;
    }
    if (peer != m_opponent) {
        Watch(peer, EPeerPhase::None);
        return;
    }
    m_opponent = nullptr;
    if (m_state == ENetSessionState::Connecting) {
        End(ENetEndReason::CouldNotConnect);
    } else if (m_state == ENetSessionState::Handshaking || m_state == ENetSessionState::Playing) {
        End(ENetEndReason::OpponentLeft);
    }
}

void CNetSession::ReceiveHandshake(const uint8_t* data, size_t size) {
    if (m_pairing) {
        ReceivePairing(data, size);
        return;
    }
    const char* why = "";
    uint16_t version = 0;
    ENetKind kind;
    if (!PeekNetKind(data, size, kind) || !PeekNetVersion(data, size, version, why)) {
        Refused(why[0] != '\0' ? why : "unknown kind");
        return;
    }
    if (kind == ENetKind::Refuse) {
        NetRefuse refuse;
        if (!DecodeRefuse(data, size, refuse, why)) {
            Refused(why);
            return;
        }
        m_otherVersion = refuse.version;
        CLog::Get().Write("CNetSession: refused by the other side (%u), its version %u", static_cast<unsigned>(refuse.reason),
                          refuse.version);
        End(refuse.reason == ENetRefusal::VersionMismatch ? ENetEndReason::VersionMismatch
            : refuse.reason == ENetRefusal::Busy          ? ENetEndReason::HostBusy
                                                          : ENetEndReason::HandshakeRefused);
        return;
    }
    if (kind != ENetKind::Welcome) {
        Refused("unexpected handshake kind");
        return;
    }
    if (version != m_options.version) {
        m_otherVersion = version;
        CLog::Get().Write("CNetSession: the other side speaks version %u, we speak %u", version, m_options.version);
        Refuse(m_opponent, ENetRefusal::VersionMismatch);
        End(ENetEndReason::VersionMismatch);
        return;
    }
    NetWelcome welcome;
    if (!DecodeWelcome(data, size, welcome, why)) {
        Refused(why);
        return;
    }
    m_opponentName = welcome.name;
    m_options.settings = welcome.settings;
    m_options.seed = welcome.seed;
    StartPlaying();
}

void CNetSession::ReceiveHello(ENetPeer* peer, const uint8_t* data, size_t size) {
    const char* why = "";
    uint16_t version = 0;
    ENetKind kind;
    if (!PeekNetKind(data, size, kind) || !PeekNetVersion(data, size, version, why)) {
        RefuseStray(peer, why[0] != '\0' ? why : "unknown kind");
        return;
    }
    if (kind != ENetKind::Hello) {
        RefuseStray(peer, "unexpected handshake kind");
        return;
    }
    if (version != m_options.version) {
        m_otherVersion = version;
        CLog::Get().Write("CNetSession: a player of version %u tried to join, we speak %u; hosting goes on", version,
                          m_options.version);
        Refuse(peer, ENetRefusal::VersionMismatch);
        return;
    }
    NetHello hello;
    if (!DecodeHello(data, size, hello, why)) {
        RefuseStray(peer, why);
        return;
    }
    NetWelcome welcome;
    welcome.version = m_options.version;
    welcome.name = m_options.name;
    welcome.settings = m_options.settings;
    welcome.seed = m_options.seed;
    if (!EncodeWelcome(welcome, m_packet)) {
        CLog::Get().Write("CNetSession FAILED, the match settings are out of range");
        Refuse(peer, ENetRefusal::BadHandshake);
        End(ENetEndReason::ProtocolError);
        return;
    }
    Watch(peer, EPeerPhase::None);
    m_opponent = peer;
    m_opponentName = hello.name;
    // A direct opponent: the listing on the server is withdrawn.
    if (m_serverLink != nullptr) {
        DropServerLink(ENetServerLink::None);
    }
    m_lastHeardMs = Now();
    Send(m_packet);
    StartPlaying();
    // Whoever else is still greeting hears that the host plays now.
    for (size_t i = 0; i < m_host->peerCount; ++i) {
        if (m_watch[i].phase == EPeerPhase::Greeting) {
            Refuse(&m_host->peers[i], ENetRefusal::Busy);
        }
    }
}

// A peer whose first packet is no hello of any use: it is told and dropped; hosting goes on.
void CNetSession::RefuseStray(ENetPeer* peer, const char* why) {
    CLog::Get().Write("CNetSession: a joining peer's handshake is broken (%s); it is refused and hosting goes on", why);
    Refuse(peer, ENetRefusal::BadHandshake);
}

void CNetSession::Watch(ENetPeer* peer, EPeerPhase phase) {
    if (PeerWatch* watch = WatchOf(peer)) {
        *watch = PeerWatch{phase, Now()};
    }
}

CNetSession::PeerWatch* CNetSession::WatchOf(const ENetPeer* peer) {
    if (m_host == nullptr || peer < m_host->peers || peer >= m_host->peers + m_host->peerCount) {
        return nullptr;
    }
    const auto index = static_cast<size_t>(peer - m_host->peers);
    return index < m_watch.size() ? &m_watch[index] : nullptr;
}

void CNetSession::WatchPeers() {
    const uint64_t now = Now();
    size_t free = 0;
    for (size_t i = 0; i < m_host->peerCount && i < m_watch.size(); ++i) {
        const ENetPeer* peer = &m_host->peers[i];
        PeerWatch& watch = m_watch[i];
        if (peer == m_opponent || peer == m_serverLink) {
            continue;
        }
        if (peer->state == ENET_PEER_STATE_DISCONNECTED) {
            watch = PeerWatch{};
            ++free;
            continue;
        }
        if (peer->state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT && watch.phase == EPeerPhase::None) {
            watch = PeerWatch{EPeerPhase::HalfOpen, now};
        }
        const uint64_t limit = watch.phase == EPeerPhase::HalfOpen   ? kHalfOpenMs
                               : watch.phase == EPeerPhase::Greeting ? kHelloMs
                               : watch.phase == EPeerPhase::Refused  ? kRefusedMs
                                                                     : 0;
        if (limit != 0 && now - watch.sinceMs > limit) {
            if (watch.phase == EPeerPhase::Greeting) {
                CLog::Get().Write("CNetSession: a joining peer sent no hello in %llu ms; dropped",
                                  static_cast<unsigned long long>(now - watch.sinceMs));
            }
            DropPeer(i);
            ++free;
        }
    }
    // A burst of connects that never complete may fill the slots faster than they age: the
    // oldest make room, so that a real player's connect (sent again by ENet) finds one. A
    // real player's connect completes in a round trip, well within its grace.
    while (free < kSpareHostPeers) {
        size_t oldest = m_watch.size();
        for (size_t i = 0; i < m_host->peerCount && i < m_watch.size(); ++i) {
            if (m_watch[i].phase == EPeerPhase::HalfOpen && now - m_watch[i].sinceMs >= kHalfOpenGraceMs &&
                (oldest == m_watch.size() || m_watch[i].sinceMs < m_watch[oldest].sinceMs)) {
                oldest = i;
            }
        }
        if (oldest == m_watch.size()) {
            break;
        }
        DropPeer(oldest);
        ++free;
    }
}

void CNetSession::DropPeer(size_t index) {
    ENetPeer* peer = &m_host->peers[index];
    if (m_watch[index].phase == EPeerPhase::Greeting) {
        enet_peer_disconnect_now(peer, 0);
    } else {
        enet_peer_reset(peer);
    }
    m_watch[index] = PeerWatch{};
}

// A broken handshake: the other side is told, and the session ends.
void CNetSession::Refused(const char* why) {
    CLog::Get().Write("CNetSession FAILED, broken handshake: %s", why);
    Refuse(m_opponent, ENetRefusal::BadHandshake);
    End(ENetEndReason::ProtocolError);
}

void CNetSession::StartPlaying() {
    m_state = ENetSessionState::Playing;
    m_lastSentMs = Now();
}

void CNetSession::ReceivePlay(const uint8_t* data, size_t size) {
    const char* why = "";
    ENetKind kind;
    bool good = PeekNetKind(data, size, kind);
    if (!good) {
        why = "unknown kind";
    } else if (kind == ENetKind::Inputs) {
        ReceiveInputs(data, size);
        return;
    } else if (kind == ENetKind::Attack) {
        NetAttack attack;
        good = DecodeAttack(data, size, attack, why);
        if (good && (attack.step < m_lastAttackStep || attack.step > m_receivedSteps + kNetStepWindow)) {
            good = false;
            why = "attack step out of order";
        } else if (good && !m_attacks.Push(attack)) {
            good = false;
            why = "too many attacks waiting";
        }
        if (good) {
            m_lastAttackStep = attack.step;
        }
    } else if (kind == ENetKind::Checksum) {
        NetChecksum checksum;
        good = DecodeChecksum(data, size, checksum, why);
        if (good && ((m_checksumSeen && checksum.step <= m_lastChecksumStep) ||
                     checksum.step > m_receivedSteps + kNetStepWindow)) {
            good = false;
            why = "checksum step out of order";
        } else if (good && !m_checksums.Push(checksum)) {
            good = false;
            why = "too many checksums waiting";
        }
        if (good) {
            m_checksumSeen = true;
            m_lastChecksumStep = checksum.step;
        }
    } else if (kind == ENetKind::KeepAlive) {
        good = DecodeKeepAlive(data, size, why);
    } else if (kind == ENetKind::Goodbye) {
        ENetGoodbye reason;
        good = DecodeGoodbye(data, size, reason, why);
        if (good) {
            m_opponentGoodbye = reason;
            End(ENetEndReason::OpponentLeft);
            return;
        }
    } else {
        good = false;
        why = "handshake message during the match";
    }
    if (!good) {
        CLog::Get().Write("CNetSession FAILED, broken packet (kind %u, %zu bytes): %s", size > 0 ? data[0] : 0u, size, why);
        End(ENetEndReason::ProtocolError);
    }
}

void CNetSession::ReceiveInputs(const uint8_t* data, size_t size) {
    const char* why = "";
    if (!DecodeInputs(data, size, m_inputs, why)) {
        CLog::Get().Write("CNetSession FAILED, broken inputs (%zu bytes): %s", size, why);
        End(ENetEndReason::ProtocolError);
        return;
    }
    if (m_inputs.firstStep != m_receivedSteps) {
        CLog::Get().Write("CNetSession FAILED, inputs from step %u, expected %u", m_inputs.firstStep, m_receivedSteps);
        End(ENetEndReason::ProtocolError);
        return;
    }
    if (m_steps.Free() < m_inputs.count) {
        CLog::Get().Write("CNetSession FAILED, more than %zu steps waiting", kNetStepQueue);
        End(ENetEndReason::ProtocolError);
        return;
    }
    for (uint32_t i = 0; i < m_inputs.count; ++i) {
        m_steps.Push(m_inputs.steps[i]);
    }
    m_receivedSteps += m_inputs.count;
}

void CNetSession::CheckTimers() {
    if (m_isHost) {
        WatchPeers();
    }
    const uint64_t now = Now();
    if (m_serverLink != nullptr && m_link == ENetServerLink::Connecting && now - m_linkStartMs > kNetConnectMs) {
        CLog::Get().Write("CNetSession: the server did not answer in %llu ms; hosting goes on",
                          static_cast<unsigned long long>(kNetConnectMs));
        enet_peer_reset(m_serverLink);
        m_serverLink = nullptr;
        m_link = ENetServerLink::Lost;
    }
    if (m_state == ENetSessionState::Connecting && now - m_connectStartMs > kNetConnectMs) {
        End(ENetEndReason::CouldNotConnect);
    } else if ((m_state == ENetSessionState::Handshaking || m_state == ENetSessionState::Playing) &&
               now - m_lastHeardMs > kNetSilenceMs) {
        CLog::Get().Write("CNetSession: nothing heard from the opponent for %llu ms",
                          static_cast<unsigned long long>(now - m_lastHeardMs));
        End(ENetEndReason::OpponentSilent);
    } else if (m_state == ENetSessionState::Playing && now - m_lastSentMs >= kNetKeepAliveMs) {
        EncodeKeepAlive(m_packet);
        Send(m_packet);
    }
}

bool CNetSession::Send(const NetPacket& packet) {
    if (m_opponent == nullptr) {
        return false;
    }
    SendTo(m_opponent, packet);
    m_lastSentMs = Now();
    return true;
}

void CNetSession::SendTo(ENetPeer* peer, const NetPacket& packet) {
    ENetPacket* copy = enet_packet_create(packet.bytes, packet.size, ENET_PACKET_FLAG_RELIABLE);
    if (copy != nullptr && enet_peer_send(peer, 0, copy) != 0) {
        enet_packet_destroy(copy);
    }
}

void CNetSession::Refuse(ENetPeer* peer, ENetRefusal reason) {
    if (peer == nullptr) {
        return;
    }
    NetRefuse refuse;
    refuse.version = m_options.version;
    refuse.reason = reason;
    NetPacket packet;
    EncodeRefuse(refuse, packet);
    SendTo(peer, packet);
    enet_peer_disconnect_later(peer, 0);
    if (peer != m_opponent) {
        Watch(peer, EPeerPhase::Refused);
    }
}

void CNetSession::End(ENetEndReason reason) {
    if (m_state == ENetSessionState::Ended) {
        return;
    }
    m_state = ENetSessionState::Ended;
    m_endReason = reason;
    if (m_serverLink != nullptr) {
        DropServerLink(ENetServerLink::None);
    }
    if (m_opponent != nullptr) {
        // Whatever is queued (a refusal, a goodbye) still goes out before the disconnect.
        enet_peer_disconnect_later(m_opponent, 0);
        m_opponent = nullptr;
    }
}

void CNetSession::Leave(ENetGoodbye reason) {
    if (m_state == ENetSessionState::Playing) {
        EncodeGoodbye(reason, m_packet);
        Send(m_packet);
    }
    End(ENetEndReason::Left);
    if (m_host != nullptr) {
        enet_host_flush(m_host);
    }
}

bool CNetSession::SendInputs(uint32_t firstStep, const ReplayStep* steps, uint32_t count) {
    if (m_state != ENetSessionState::Playing || firstStep != m_nextSendStep || count > kMaxNetStep - firstStep) {
        return false;
    }
    for (uint32_t done = 0; done < count;) {
        m_inputs.firstStep = firstStep + done;
        m_inputs.count = std::min(count - done, kMaxNetInputSteps);
        for (uint32_t i = 0; i < m_inputs.count; ++i) {
            m_inputs.steps[i] = steps[done + i];
        }
        if (!EncodeInputs(m_inputs, m_packet)) {
            CLog::Get().Write("CNetSession::SendInputs FAILED, a step out of range at %u", m_inputs.firstStep);
            return false;
        }
        Send(m_packet);
        done += m_inputs.count;
        m_nextSendStep += m_inputs.count;
    }
    return true;
}

bool CNetSession::SendAttack(const NetAttack& attack) {
    return m_state == ENetSessionState::Playing && EncodeAttack(attack, m_packet) && Send(m_packet);
}

bool CNetSession::SendChecksum(uint32_t step, uint32_t checksum) {
    return m_state == ENetSessionState::Playing && EncodeChecksum({step, checksum}, m_packet) && Send(m_packet);
}

bool CNetSession::TakeStep(ReplayStep& step) {
    if (!m_steps.Pop(step)) {
        return false;
    }
    ++m_takenSteps;
    return true;
}
