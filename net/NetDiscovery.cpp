#include "net/NetDiscovery.h"

#include "core/Log.h"
#include "net/EnetShared.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>

void ListBroadcastAddresses(std::vector<std::string>& out) {
    out.clear();
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        CLog::Get().Write("ListBroadcastAddresses FAILED, getifaddrs");
        return;
    }
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_UP) == 0 ||
            (entry->ifa_flags & IFF_BROADCAST) == 0 || entry->ifa_broadaddr == nullptr) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_broadaddr);
        if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) != nullptr &&
            std::find(out.begin(), out.end(), text) == out.end()) {
            out.emplace_back(text);
        }
    }
    freeifaddrs(interfaces);
}

CNetDiscovery::CNetDiscovery(NetClock clock) : m_clock(std::move(clock)) { m_found.reserve(kMaxFound); }

CNetDiscovery::~CNetDiscovery() { Stop(); }

uint64_t CNetDiscovery::Now() const { return NetNow(m_clock); }

bool CNetDiscovery::Start(const std::vector<std::string>& broadcastAddresses, uint16_t port) {
    Stop();
    for (const std::string& text : broadcastAddresses) {
        ENetAddress address{};
        if (text.size() <= 15 && enet_address_set_host_ip(&address, text.c_str()) == 0) {
            m_targets.push_back(address.host);
        } else {
            CLog::Get().Write("CNetDiscovery::Start: not a numeric IPv4 address, skipped: %.64s", text.c_str());
        }
    }
    if (m_targets.empty()) {
        CLog::Get().Write("CNetDiscovery::Start FAILED, no broadcast address");
        return false;
    }
    if (!AcquireEnet()) {
        m_targets.clear();
        return false;
    }
    ENetAddress any{};
    any.host = ENET_HOST_ANY;
    any.port = 0;
    m_host = enet_host_create(&any, 1, 1, 0, 0);
    if (m_host == nullptr) {
        CLog::Get().Write("CNetDiscovery::Start FAILED, no socket");
        ReleaseEnet();
        m_targets.clear();
        return false;
    }
    enet_socket_set_option(m_host->socket, ENET_SOCKOPT_BROADCAST, 1);
    SetDatagramHandler(m_host, [this](const ENetAddress& from, const uint8_t* data, size_t size) {
        Answered(from.host, from.port, data, size);
    });
    m_port = port;
    Ask();
    return true;
}

void CNetDiscovery::Stop() {
    if (m_host != nullptr) {
        SetDatagramHandler(m_host, DatagramHandler());
        enet_host_destroy(m_host);
        m_host = nullptr;
        ReleaseEnet();
    }
    m_targets.clear();
    m_found.clear();
}

void CNetDiscovery::Ask() {
    NetPacket ask;
    EncodeDiscoveryAsk(kNetProtocolVersion, ask);
    for (const uint32_t target : m_targets) {
        ENetAddress address{};
        address.host = target;
        address.port = m_port;
        if (SendDatagram(m_host, address, ask.bytes, ask.size)) {
            ++m_asks;
        }
    }
    m_lastAskMs = Now();
}

void CNetDiscovery::Service() {
    if (m_host == nullptr) {
        return;
    }
    ENetEvent event;
    // Only datagrams arrive (taken by the handler); a stray connect is turned away unheard.
    while (m_host != nullptr && enet_host_service(m_host, &event, 0) > 0) {
        if (event.type == ENET_EVENT_TYPE_RECEIVE) {
            enet_packet_destroy(event.packet);
        } else if (event.type == ENET_EVENT_TYPE_CONNECT) {
            enet_peer_reset(event.peer);
        }
    }
    const uint64_t now = Now();
    m_found.erase(std::remove_if(m_found.begin(), m_found.end(),
                                 [now](const NetFoundMatch& found) { return now - found.lastSeenMs > kForgetMs; }),
                  m_found.end());
    if (now - m_lastAskMs >= kAskMs) {
        Ask();
    }
}

void CNetDiscovery::Answered(uint32_t host, uint16_t port, const uint8_t* data, size_t size) {
    NetListing listing;
    const char* why = "";
    if (!DecodeDiscoveryAnswer(data, size, listing, why)) {
        // Our own ask, heard back on the broadcast, is no answer; nor is anything broken.
        return;
    }
    if (listing.version != kNetProtocolVersion) {
        return;
    }
    char text[INET_ADDRSTRLEN] = {};
    in_addr raw{};
    raw.s_addr = host;
    inet_ntop(AF_INET, &raw, text, sizeof text);
    // A host answers from its listening port, which the listing also names.
    const auto same = [&](const NetFoundMatch& found) { return found.address == text && found.listing.port == port; };
    const auto known = std::find_if(m_found.begin(), m_found.end(), same);
    if (known != m_found.end()) {
        known->listing = listing;
        known->lastSeenMs = Now();
        return;
    }
    if (m_found.size() >= kMaxFound || listing.port != port) {
        return;
    }
    m_found.push_back(NetFoundMatch{text, listing, Now()});
}
