#include "net/LobbyClient.h"

#include "core/Log.h"
#include "net/EnetShared.h"


const char* LobbyClientFaultName(ELobbyClientFault fault) {
    switch (fault) {
        case ELobbyClientFault::None: return "none";
        case ELobbyClientFault::BadAddress: return "bad address";
        case ELobbyClientFault::NoAnswer: return "no answer";
        case ELobbyClientFault::Refused: return "refused";
        case ELobbyClientFault::Lost: return "lost";
        case ELobbyClientFault::Broken: return "broken answer";
    }
    return "?";
}

CLobbyClient::CLobbyClient(NetClock clock) : m_clock(std::move(clock)) {}

CLobbyClient::~CLobbyClient() { Stop(); }

uint64_t CLobbyClient::Now() const { return NetNow(m_clock); }

bool CLobbyClient::Start(const std::string& address, uint16_t port) {
    Stop();
    ENetAddress target{};
    target.port = port;
    if (address.empty() || address.size() > 15 || enet_address_set_host_ip(&target, address.c_str()) != 0) {
        Fail(ELobbyClientFault::BadAddress, "not a numeric IPv4 address");
        return false;
    }
    if (!AcquireEnet()) {
        Fail(ELobbyClientFault::NoAnswer, "no ENet");
        return false;
    }
    m_host = enet_host_create(nullptr, 1, 1, 0, 0);
    if (m_host != nullptr) {
        m_host->maximumPacketSize = kMaxNetPacketSize;
        m_server = enet_host_connect(m_host, &target, 1, 0);
    }
    if (m_server == nullptr) {
        Stop();
        Fail(ELobbyClientFault::NoAnswer, "no ENet host");
        return false;
    }
    m_state = ELobbyClientState::Connecting;
    m_startMs = m_lastHeardMs = Now();
    return true;
}

void CLobbyClient::Stop() {
    if (m_host != nullptr) {
        if (m_server != nullptr) {
            enet_peer_disconnect_now(m_server, 0);
        }
        enet_host_destroy(m_host);
        ReleaseEnet();
    }
    m_host = nullptr;
    m_server = nullptr;
    m_state = ELobbyClientState::Idle;
    m_fault = ELobbyClientFault::None;
    m_list = NetMatchList();
}

void CLobbyClient::Fail(ELobbyClientFault fault, const char* why) {
    CLog::Get().Write("CLobbyClient FAILED, %s: %s", LobbyClientFaultName(fault), why);
    if (m_server != nullptr) {
        enet_peer_disconnect_now(m_server, 0);
        m_server = nullptr;
    }
    m_state = ELobbyClientState::Failed;
    m_fault = fault;
    m_list = NetMatchList();
}

void CLobbyClient::AskList() {
    EncodeAskList(kNetProtocolVersion, m_packet);
    ENetPacket* packet = enet_packet_create(m_packet.bytes, m_packet.size, ENET_PACKET_FLAG_RELIABLE);
    if (packet != nullptr && enet_peer_send(m_server, 0, packet) != 0) {
        enet_packet_destroy(packet);
    }
    m_lastAskMs = Now();
}

void CLobbyClient::Service() {
    if (m_host == nullptr || m_server == nullptr) {
        return;
    }
    ENetEvent event;
    while (m_server != nullptr && enet_host_service(m_host, &event, 0) > 0) {
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT:
                m_lastHeardMs = Now();
                AskList();
                break;
            case ENET_EVENT_TYPE_RECEIVE:
                m_lastHeardMs = Now();
                Receive(event.packet->data, event.packet->dataLength);
                enet_packet_destroy(event.packet);
                break;
            case ENET_EVENT_TYPE_DISCONNECT:
                m_server = nullptr;
                Fail(m_state == ELobbyClientState::Connecting ? ELobbyClientFault::NoAnswer : ELobbyClientFault::Lost,
                     "the server closed the link");
                break;
            case ENET_EVENT_TYPE_NONE: break;
        }
    }
    if (m_server == nullptr) {
        return;
    }
    const uint64_t now = Now();
    if (m_state == ELobbyClientState::Connecting && now - m_startMs > kNetConnectMs) {
        Fail(ELobbyClientFault::NoAnswer, "no answer in time");
    } else if (m_state == ELobbyClientState::Listed && now - m_lastAskMs >= kRefreshMs) {
        if (now - m_lastHeardMs > kRefreshMs + kNetSilenceMs) {
            Fail(ELobbyClientFault::Lost, "the server fell silent");
            return;
        }
        AskList();
    }
    if (m_host != nullptr) {
        enet_host_flush(m_host);
    }
}

void CLobbyClient::Receive(const uint8_t* data, size_t size) {
    const char* why = "";
    ELobbyRefusal reason = ELobbyRefusal::BadMessage;
    if (size > 0 && data[0] == static_cast<uint8_t>(ELobbyKind::List)) {
        if (!DecodeMatchList(data, size, m_list, why)) {
            Fail(ELobbyClientFault::Broken, why);
            return;
        }
        ++m_lists;
        m_state = ELobbyClientState::Listed;
    } else if (DecodeLobbyRefuse(data, size, reason, why)) {
        m_refusal = reason;
        Fail(ELobbyClientFault::Refused, LobbyRefusalName(reason));
    } else {
        Fail(ELobbyClientFault::Broken, "unexpected message");
    }
}
