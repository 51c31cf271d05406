#include "server/LobbyService.h"

#include "net/EnetShared.h"
#include "net/NetSession.h"
#include "server/ServerLog.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kMaxWaitingBytes = 64 * 1024;   // what one peer may keep ENet holding for it
constexpr uint64_t kReportMs = 60000;            // the counts go to the log this often

// A packet's bytes leave its peer's backlog when ENet lets go of it: acknowledged, or
// dropped with the peer.
void PacketFreed(ENetPacket* packet) {
    auto* backlog = static_cast<size_t*>(packet->userData);
    if (backlog != nullptr) {
        *backlog -= std::min(*backlog, packet->dataLength);
    }
}
}  // namespace

CLobbyService::CLobbyService(const LobbyServiceOptions& options) : m_options(options) {}

CLobbyService::~CLobbyService() { Stop(); }

bool CLobbyService::Start() {
    if (m_host != nullptr) {
        return true;
    }
    if (!AcquireEnet()) {
        ServerLog("ENet could not start");
        return false;
    }
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = m_options.port;
    if (!m_options.bind.empty() &&
        (m_options.bind.size() > 15 || enet_address_set_host_ip(&address, m_options.bind.c_str()) != 0)) {
        ServerLog("not a numeric IPv4 address to listen on: %.64s", m_options.bind.c_str());
        ReleaseEnet();
        return false;
    }
    const size_t peers = std::min<size_t>(m_options.limits.maxPeers, ENET_PROTOCOL_MAXIMUM_PEER_ID);
    m_options.limits.maxPeers = peers;
    m_host = enet_host_create(&address, peers, 1, 0, 0);
    if (m_host == nullptr) {
        ServerLog("could not listen on %s port %u (taken, or not this machine's address)",
                  m_options.bind.empty() ? "every address" : m_options.bind.c_str(), m_options.port);
        ReleaseEnet();
        return false;
    }
    m_host->maximumPacketSize = kMaxNetPacketSize;
    m_host->maximumWaitingData = kMaxWaitingBytes;
    // One more than the limit gets in, to be told why it is turned away; past that ENet
    // drops an address's connects unanswered.
    m_host->duplicatePeers = m_options.limits.maxPeersPerAddress + 1;
    m_backlog.assign(peers, 0);
    m_lobby = std::make_unique<CLobby>(m_options.limits, static_cast<ILobbyLink&>(*this));
    m_lastTickMs = m_lastReportMs = NetSteadyMs();
    m_bytesSent = m_bytesReceived = 0;
    ServerLog("listening on %s port %u for at most %zu peers", m_options.bind.empty() ? "every address" : m_options.bind.c_str(),
              Port(), peers);
    return true;
}

void CLobbyService::Stop() {
    if (m_host == nullptr) {
        return;
    }
    for (size_t i = 0; i < m_host->peerCount; ++i) {
        if (m_host->peers[i].state != ENET_PEER_STATE_DISCONNECTED) {
            enet_peer_disconnect_now(&m_host->peers[i], 0);
        }
    }
    enet_host_destroy(m_host);
    m_host = nullptr;
    m_lobby.reset();
    ReleaseEnet();
}

uint16_t CLobbyService::Port() const { return m_host != nullptr ? m_host->address.port : 0; }

void CLobbyService::Poll(uint32_t waitMs) {
    if (m_host == nullptr) {
        return;
    }
    ENetEvent event;
    int result = enet_host_service(m_host, &event, waitMs);
    for (size_t handled = 0; result > 0 && handled < kMaxEventsPerPoll; ++handled) {
        const auto index = static_cast<uint32_t>(event.peer - m_host->peers);
        const uint64_t now = NetSteadyMs();
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT: {
                const uint32_t timeout = static_cast<uint32_t>(m_options.limits.silenceMs);
                enet_peer_timeout(event.peer, 0, timeout / 2, timeout);
                m_backlog[index] = 0;
                uint8_t address[4];
                std::memcpy(address, &event.peer->address.host, sizeof address);
                m_lobby->OnConnect(index, address, now);
                break;
            }
            case ENET_EVENT_TYPE_RECEIVE: {
                uint32_t partner = 0;
                ENetPacket* packet = event.packet;
                if (m_lobby->OnReceive(index, packet->data, packet->dataLength, now, partner) == ELobbyVerdict::Forward) {
                    Queue(partner, packet);
                } else {
                    enet_packet_destroy(packet);
                }
                break;
            }
            case ENET_EVENT_TYPE_DISCONNECT: m_lobby->OnDisconnect(index, now); break;
            case ENET_EVENT_TYPE_NONE: break;
        }
        result = enet_host_service(m_host, &event, 0);
    }
    const uint64_t now = NetSteadyMs();
    if (now - m_lastTickMs >= kTickMs) {
        m_lobby->Tick(now);
        m_lastTickMs = now;
    }
    enet_host_flush(m_host);
    CountTraffic();
    if (now - m_lastReportMs >= kReportMs) {
        const LobbyCounts& counts = m_lobby->Counts();
        ServerLog("%zu peers, %zu matches listed, %zu relayed, %llu paired and %llu refused since the start",
                  counts.peers, counts.listings, counts.relays, static_cast<unsigned long long>(counts.paired),
                  static_cast<unsigned long long>(counts.refused));
        m_lastReportMs = now;
    }
}

void CLobbyService::CountTraffic() {
    m_bytesSent += m_host->totalSentData;
    m_bytesReceived += m_host->totalReceivedData;
    m_host->totalSentData = 0;
    m_host->totalReceivedData = 0;
}

void CLobbyService::Queue(uint32_t peer, ENetPacket* packet) {
    if (peer >= m_backlog.size()) {
        enet_packet_destroy(packet);
        return;
    }
    m_backlog[peer] += packet->dataLength;
    packet->userData = &m_backlog[peer];
    packet->freeCallback = &PacketFreed;
    if (enet_peer_send(&m_host->peers[peer], 0, packet) != 0) {
        enet_packet_destroy(packet);
    }
}

void CLobbyService::Send(uint32_t peer, const uint8_t* data, size_t size) {
    ENetPacket* packet = enet_packet_create(data, size, ENET_PACKET_FLAG_RELIABLE);
    if (packet != nullptr) {
        Queue(peer, packet);
    }
}

void CLobbyService::Close(uint32_t peer, bool now) {
    if (peer >= m_host->peerCount) {
        return;
    }
    if (now) {
        enet_peer_reset(&m_host->peers[peer]);
    } else {
        enet_peer_disconnect_later(&m_host->peers[peer], 0);
    }
}

size_t CLobbyService::Backlog(uint32_t peer) const { return peer < m_backlog.size() ? m_backlog[peer] : 0; }
