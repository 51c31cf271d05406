#include "server/Lobby.h"

#include "server/ServerLog.h"

#include <algorithm>

namespace {
constexpr size_t kMaxListingSlots = 4096;   // a listing's id keeps its slot in its low 12 bits
constexpr uint32_t kSlotBits = 12;

std::string DottedAddress(const uint8_t address[4]) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) + "." +
           std::to_string(address[3]);
}
}  // namespace

bool CLobby::Bucket::Take(uint64_t cost, uint64_t rate, uint64_t burst, uint64_t nowMs, uint64_t periodMs) {
    const uint64_t top = burst * 1000;
    if (full) {
        level = top;
        lastMs = nowMs;
        full = false;
    } else if (nowMs > lastMs) {
        // The time that has not yet made a whole thousandth is kept for the next call.
        const uint64_t gained = (nowMs - lastMs) * rate * 1000 / periodMs;
        if (gained > 0) {
            level = std::min(top, level + gained);
            lastMs = nowMs;
        }
    }
    if (level < cost * 1000) {
        return false;
    }
    level -= cost * 1000;
    return true;
}

CLobby::CLobby(const LobbyLimits& limits, ILobbyLink& link) : m_limits(limits), m_link(link) {
    m_limits.maxListings = std::min(m_limits.maxListings, kMaxListingSlots);
    m_peers.resize(m_limits.maxPeers);
    m_listings.resize(m_limits.maxListings);
    m_freeListings.reserve(m_limits.maxListings);
    for (size_t i = m_limits.maxListings; i > 0; --i) {
        m_freeListings.push_back(static_cast<uint32_t>(i - 1));
    }
    m_newest.reserve(m_limits.maxListings);
    m_addresses.reserve(m_limits.maxPeers);
}

CLobby::Peer* CLobby::PeerAt(uint32_t peer) { return peer < m_peers.size() ? &m_peers[peer] : nullptr; }

void CLobby::SetRole(Peer& peer, ERole role, uint64_t nowMs) {
    peer.role = role;
    peer.sinceMs = nowMs;
}

void CLobby::Send(uint32_t index, const NetPacket& packet) { m_link.Send(index, packet.bytes, packet.size); }

void CLobby::OnConnect(uint32_t index, const uint8_t address[4], uint64_t nowMs) {
    m_nowMs = nowMs;
    Peer* peer = PeerAt(index);
    if (peer == nullptr || peer->role != ERole::Free) {
        ServerLog("a connect in slot %u, which is out of range or taken; closed", index);
        m_link.Close(index, true);
        return;
    }
    *peer = Peer();
    std::copy(address, address + 4, peer->addressBytes);
    peer->address = static_cast<uint32_t>(address[0]) << 24 | static_cast<uint32_t>(address[1]) << 16 |
                    static_cast<uint32_t>(address[2]) << 8 | address[3];
    SetRole(*peer, ERole::Greeting, nowMs);
    Address& from = m_addresses[peer->address];
    ++from.peers;
    ++m_counts.peers;
    if (from.peers > m_limits.maxPeersPerAddress) {
        Refuse(index, ELobbyRefusal::TooMany, "too many connections from its address");
    }
}

void CLobby::OnDisconnect(uint32_t index, uint64_t nowMs) {
    m_nowMs = nowMs;
    Peer* peer = PeerAt(index);
    if (peer == nullptr || peer->role == ERole::Free) {
        return;
    }
    if (peer->role == ERole::Host) {
        Unlist(*peer);
    }
    if (peer->role == ERole::Relaying) {
        Peer& partner = m_peers[peer->partner];
        if (partner.role == ERole::Relaying && partner.partner == index) {
            // What it sent before it went still reaches the other side, then the link closes.
            SetRole(partner, ERole::Closing, nowMs);
            m_link.Close(peer->partner, false);
        }
        --m_counts.relays;
    }
    const auto from = m_addresses.find(peer->address);
    if (from != m_addresses.end() && --from->second.peers == 0) {
        m_addresses.erase(from);
    }
    --m_counts.peers;
    *peer = Peer();
}

ELobbyVerdict CLobby::OnReceive(uint32_t index, const uint8_t* data, size_t size, uint64_t nowMs, uint32_t& partner) {
    m_nowMs = nowMs;
    Peer* peer = PeerAt(index);
    if (peer == nullptr || peer->role == ERole::Free || peer->role == ERole::Closing) {
        return ELobbyVerdict::Consumed;
    }
    if (peer->role == ERole::Relaying) {
        return Relay(index, *peer, data, size, partner);
    }
    if (!peer->messages.Take(1, m_limits.messagesPerSecond, m_limits.messageBurst, nowMs)) {
        Refuse(index, ELobbyRefusal::TooMany, "too many messages");
        return ELobbyVerdict::Consumed;
    }
    ReceiveLobby(index, *peer, data, size, nowMs);
    return ELobbyVerdict::Consumed;
}

ELobbyVerdict CLobby::Relay(uint32_t index, Peer& peer, const uint8_t* data, size_t size, uint32_t& partner) {
    if (!peer.bytes.Take(size, m_limits.relayBytesPerSecond, m_limits.relayBurstBytes, m_nowMs)) {
        ServerLog("a relayed peer of %s sent more than %u bytes a second; its match is closed",
                  DottedAddress(peer.addressBytes).c_str(), m_limits.relayBytesPerSecond);
        ++m_counts.refused;
        Close(index, m_nowMs);
        return ELobbyVerdict::Consumed;
    }
    // A host's lobby message sent before it learnt it was paired is the lobby's, and late.
    if (size > 0 && IsLobbyKind(data[0])) {
        return ELobbyVerdict::Consumed;
    }
    if (m_link.Backlog(peer.partner) > m_limits.relayBacklogBytes) {
        ServerLog("a relayed peer of %s takes nothing in; its match is closed",
                  DottedAddress(m_peers[peer.partner].addressBytes).c_str());
        ++m_counts.refused;
        Close(index, m_nowMs);
        return ELobbyVerdict::Consumed;
    }
    ++m_counts.forwardedPackets;
    m_counts.forwardedBytes += size;
    partner = peer.partner;
    return ELobbyVerdict::Forward;
}

void CLobby::ReceiveLobby(uint32_t index, Peer& peer, const uint8_t* data, size_t size, uint64_t nowMs) {
    const char* why = "unknown kind";
    const uint8_t kind = size > 0 ? data[0] : 0;
    if (kind == static_cast<uint8_t>(ELobbyKind::Announce) && (peer.role == ERole::Greeting || peer.role == ERole::Host)) {
        NetListing listing;
        if (DecodeAnnounce(data, size, listing, why)) {
            Announce(index, peer, listing, nowMs);
            return;
        }
    } else if (kind == static_cast<uint8_t>(ELobbyKind::AskList) &&
               (peer.role == ERole::Greeting || peer.role == ERole::Lister)) {
        uint16_t version = 0;
        if (DecodeAskList(data, size, version, why)) {
            SetRole(peer, ERole::Lister, peer.role == ERole::Lister ? peer.sinceMs : nowMs);
            peer.lastAskMs = nowMs;
            SendList(index, version);
            return;
        }
    } else if (kind == static_cast<uint8_t>(ELobbyKind::JoinRelay) &&
               (peer.role == ERole::Greeting || peer.role == ERole::Lister)) {
        uint16_t version = 0;
        uint32_t id = 0;
        if (DecodeJoinRelay(data, size, version, id, why)) {
            JoinRelay(index, peer, version, id, nowMs);
            return;
        }
    } else if (kind != 0) {
        why = "a message out of place";
    }
    ++m_counts.broken;
    Refuse(index, ELobbyRefusal::BadMessage, why);
}

void CLobby::Announce(uint32_t index, Peer& peer, const NetListing& listing, uint64_t nowMs) {
    Address& from = m_addresses[peer.address];
    if (!from.announces.Take(1, m_limits.announcesPerMinute, m_limits.announcesPerMinute, nowMs, 60000)) {
        Refuse(index, ELobbyRefusal::TooMany, "too many announcements from its address");
        return;
    }
    if (peer.role == ERole::Greeting) {
        if (from.listings >= m_limits.maxListingsPerAddress) {
            Refuse(index, ELobbyRefusal::TooMany, "too many matches from its address");
            return;
        }
        if (m_freeListings.empty()) {
            Refuse(index, ELobbyRefusal::Full, "every listing is taken");
            return;
        }
        peer.listing = m_freeListings.back();
        m_freeListings.pop_back();
        ++from.listings;
        ++m_counts.listings;
        Listing& slot = m_listings[peer.listing];
        ++m_serial;
        slot.used = true;
        slot.id = (m_serial << kSlotBits | peer.listing) & 0x7FFFFFFFu;
        slot.host = index;
        slot.sinceMs = nowMs;
        SetRole(peer, ERole::Host, nowMs);
    }
    Listing& slot = m_listings[peer.listing];
    slot.match.id = slot.id;
    std::copy(peer.addressBytes, peer.addressBytes + 4, slot.match.address);
    slot.match.listing = listing;
    EncodeAnnounced(slot.id, m_packet);
    Send(index, m_packet);
}

void CLobby::SendList(uint32_t index, uint16_t version) {
    m_newest.clear();
    for (uint32_t i = 0; i < m_listings.size(); ++i) {
        if (m_listings[i].used && m_listings[i].match.listing.version == version) {
            m_newest.push_back(i);
        }
    }
    const size_t shown = std::min(m_newest.size(), kMaxListEntries);
    std::partial_sort(m_newest.begin(), m_newest.begin() + static_cast<std::ptrdiff_t>(shown), m_newest.end(),
                      [this](uint32_t a, uint32_t b) {
                          return m_listings[a].sinceMs != m_listings[b].sinceMs ? m_listings[a].sinceMs > m_listings[b].sinceMs
                                                                                : m_listings[a].id > m_listings[b].id;
                      });
    m_list.total = static_cast<uint16_t>(std::min<size_t>(m_newest.size(), 65535));
    m_list.count = static_cast<uint32_t>(shown);
    for (size_t i = 0; i < shown; ++i) {
        m_list.entries[i] = m_listings[m_newest[i]].match;
    }
    EncodeMatchList(m_list, m_packet);
    Send(index, m_packet);
}

void CLobby::JoinRelay(uint32_t index, Peer& peer, uint16_t version, uint32_t id, uint64_t nowMs) {
    const uint32_t slot = id & ((1u << kSlotBits) - 1);
    if (slot >= m_listings.size() || !m_listings[slot].used || m_listings[slot].id != id) {
        Refuse(index, ELobbyRefusal::NotFound, "asked for a match that is not open");
        return;
    }
    Listing& listing = m_listings[slot];
    if (listing.match.listing.version != version) {
        Refuse(index, ELobbyRefusal::VersionMismatch, "asked for a match of another version");
        return;
    }
    const uint32_t hostIndex = listing.host;
    Peer& host = m_peers[hostIndex];
    Unlist(host);
    SetRole(host, ERole::Relaying, nowMs);
    host.partner = index;
    SetRole(peer, ERole::Relaying, nowMs);
    peer.partner = hostIndex;
    ++m_counts.relays;
    ++m_counts.paired;
    EncodePaired(m_packet);
    Send(index, m_packet);
}

void CLobby::Unlist(Peer& peer) {
    Listing& slot = m_listings[peer.listing];
    if (!slot.used) {
        return;
    }
    slot.used = false;
    m_freeListings.push_back(peer.listing);
    --m_counts.listings;
    const auto from = m_addresses.find(peer.address);
    if (from != m_addresses.end() && from->second.listings > 0) {
        --from->second.listings;
    }
}

void CLobby::Refuse(uint32_t index, ELobbyRefusal reason, const char* why) {
    Peer& peer = m_peers[index];
    ServerLog("refused a peer of %s: %s (%s)", DottedAddress(peer.addressBytes).c_str(), why, LobbyRefusalName(reason));
    ++m_counts.refused;
    EncodeLobbyRefuse(reason, m_packet);
    Send(index, m_packet);
    Close(index, m_nowMs);
}

void CLobby::Close(uint32_t index, uint64_t nowMs) {
    Peer& peer = m_peers[index];
    if (peer.role == ERole::Host) {
        Unlist(peer);
    }
    if (peer.role == ERole::Relaying) {
        Peer& partner = m_peers[peer.partner];
        if (partner.role == ERole::Relaying && partner.partner == index) {
            SetRole(partner, ERole::Closing, nowMs);
            m_link.Close(peer.partner, false);
            --m_counts.relays;
        }
    }
    SetRole(peer, ERole::Closing, nowMs);
    m_link.Close(index, false);
}

void CLobby::Tick(uint64_t nowMs) {
    m_nowMs = nowMs;
    for (uint32_t i = 0; i < m_peers.size(); ++i) {
        Peer& peer = m_peers[i];
        const uint64_t age = nowMs - std::min(nowMs, peer.sinceMs);
        if (peer.role == ERole::Greeting && age > m_limits.greetMs) {
            ServerLog("a peer of %s said nothing in %llu ms; closed", DottedAddress(peer.addressBytes).c_str(),
                      static_cast<unsigned long long>(age));
            Close(i, nowMs);
        } else if (peer.role == ERole::Lister && nowMs - std::min(nowMs, peer.lastAskMs) > m_limits.idleMs) {
            Close(i, nowMs);
        } else if (peer.role == ERole::Closing && age > m_limits.closingMs) {
            // Its last words did not get through in time (or it will not take them).
            m_link.Close(i, true);
            OnDisconnect(i, nowMs);
        }
    }
}
