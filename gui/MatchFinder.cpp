#include "gui/MatchFinder.h"

#include "core/Log.h"
#include "gui/NetPlay.h"
#include "profile/Language.h"

#include <cstdio>
#include <cstdlib>

void CMatchFinder::Start(const std::string& serverText) {
    Stop();
    // The tests' loopback broadcast address, or this machine's networks' own.
    std::vector<std::string> targets = g_netDiscoveryAddresses;
    const char* chosen = std::getenv("PELLORA_DISCOVERY");
    if (targets.empty() && chosen != nullptr && chosen[0] != '\0') {
        targets.emplace_back(chosen);
    }
    if (targets.empty()) {
        ListBroadcastAddresses(targets);
    }
    m_discovery = std::make_unique<CNetDiscovery>(NetPlayClock());
    if (targets.empty() || !m_discovery->Start(targets, g_netDiscoveryPort)) {
        m_discovery.reset();
    }
    if (!serverText.empty()) {
        m_lookup.Start(serverText, kDefaultNetPort);
        m_serverState = EServerListState::LookingUp;
        Update();
    }
}

void CMatchFinder::Stop() {
    m_discovery.reset();
    m_lookup.Cancel();
    m_lobby.reset();
    m_serverState = EServerListState::None;
    m_lookupFault = ENetAddressFault::None;
    m_offers.clear();
    m_seenFound = 0;
    m_seenLists = 0;
    m_seenFirst = 0;
    ++m_changes;
}

void CMatchFinder::StartLobby() {
    m_lobby = std::make_unique<CLobbyClient>(NetPlayClock());
    if (!m_lobby->Start(m_lookup.Address(), m_lookup.Port())) {
        m_serverState = EServerListState::Failed;
        return;
    }
    CLog::Get().Write("CMatchFinder: asking the server %s port %u", m_lookup.Address().c_str(),
                      static_cast<unsigned>(m_lookup.Port()));
    m_serverState = EServerListState::Asking;
}

void CMatchFinder::Update() {
    const EServerListState before = m_serverState;
    if (m_discovery != nullptr) {
        m_discovery->Service();
    }
    if (m_serverState == EServerListState::LookingUp) {
        const ENetLookupState state = m_lookup.Poll();
        if (state == ENetLookupState::Found) {
            StartLobby();
        } else if (state == ENetLookupState::Failed) {
            m_lookupFault = m_lookup.Fault();
            m_serverState = EServerListState::Failed;
        }
    }
    if (m_lobby != nullptr && (m_serverState == EServerListState::Asking || m_serverState == EServerListState::Listed)) {
        m_lobby->Service();
        const ELobbyClientState state = m_lobby->State();
        m_serverState = state == ELobbyClientState::Listed ? EServerListState::Listed
                        : state == ELobbyClientState::Failed ? EServerListState::Failed
                                                             : m_serverState;
    }
    Collect();
    if (m_serverState != before) {
        ++m_changes;
    }
}

// The list is built again only when what was found has changed.
void CMatchFinder::Collect() {
    static const std::vector<NetFoundMatch> kNone;
    const std::vector<NetFoundMatch>& found = m_discovery != nullptr ? m_discovery->Found() : kNone;
    const uint32_t lists = m_lobby != nullptr && m_serverState == EServerListState::Listed ? m_lobby->ListsReceived() : 0;
    const uint64_t first = found.empty() ? 0 : found.front().lastSeenMs;
    if (found.size() == m_seenFound && lists == m_seenLists && (found.empty() || first == m_seenFirst)) {
        return;
    }
    m_seenFound = found.size();
    m_seenLists = lists;
    m_seenFirst = first;
    ++m_changes;
    m_offers.clear();
    for (const NetFoundMatch& match : found) {
        if (m_offers.size() < kMaxOffers) {
            m_offers.push_back(MatchOffer{true, match.address, match.listing.port, 0, match.listing});
        }
    }
    if (lists > 0) {
        const NetMatchList& list = m_lobby->List();
        for (uint32_t i = 0; i < list.count && m_offers.size() < kMaxOffers; ++i) {
            m_offers.push_back(MatchOffer{false, m_lookup.Address(), m_lookup.Port(), list.entries[i].id,
                                          list.entries[i].listing});
        }
    }
}

std::string CMatchFinder::ServerText() const {
    const CLanguage& texts = CLanguage::Get();
    std::string text = texts.TxtServerColon();
    switch (m_serverState) {
        case EServerListState::None: return text + texts.TxtServerNoneSet();
        case EServerListState::LookingUp:
        case EServerListState::Asking: return text + texts.TxtServerAsking();
        case EServerListState::Listed: {
            char count[64];
            std::snprintf(count, sizeof count, texts.TxtServerMatches(), static_cast<int>(m_lobby->List().total));
            return text + count;
        }
        case EServerListState::Failed: break;
    }
    if (m_lookupFault != ENetAddressFault::None) {
        return text + NetAddressFaultText(m_lookupFault);
    }
    if (m_lobby == nullptr) {
        return text + texts.TxtServerNoAnswer();
    }
    switch (m_lobby->Fault()) {
        case ELobbyClientFault::Refused:
            return text + (m_lobby->Refusal() == ELobbyRefusal::Full || m_lobby->Refusal() == ELobbyRefusal::TooMany
                               ? texts.TxtServerIsFull()
                               : texts.TxtServerRefusedUs());
        case ELobbyClientFault::Broken: return text + texts.TxtServerFaulty();
        default: return text + texts.TxtServerNoAnswer();
    }
}
