#include "net/NetAddresses.h"

#include "core/Log.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

constexpr size_t kMaxHostNameLength = 253;
constexpr size_t kMaxPortDigits = 5;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNameCharacter(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.';
}

// Digits and dots alone: meant as a dotted address, never sent to a name server.
bool LooksNumeric(const std::string& host) {
    return std::all_of(host.begin(), host.end(), [](char c) { return IsDigit(c) || c == '.'; });
}

// Letters, digits, '-' and '.', no empty part between the dots.
bool IsHostName(const std::string& host) {
    if (host.empty() || host.size() > kMaxHostNameLength || host.front() == '.' || host.back() == '.' ||
        host.find("..") != std::string::npos) {
        return false;
    }
    return std::all_of(host.begin(), host.end(), IsNameCharacter);
}

bool ParsePort(const std::string& digits, uint16_t& port) {
    if (digits.empty() || digits.size() > kMaxPortDigits || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
        return false;
    }
    const unsigned long value = std::stoul(digits);
    if (value == 0 || value > 65535) {
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

// The first IPv4 address of a name in dotted form, from the system's resolver; empty if
// it has none.
std::string LookUpName(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::string();
    }
    std::string address;
    for (const addrinfo* entry = found; entry != nullptr && address.empty(); entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) != nullptr) {
            address = text;
        }
    }
    freeaddrinfo(found);
    return address;
}

std::atomic<NetNameResolver> s_resolver{&LookUpName};

}  // namespace

void SetNetNameResolver(NetNameResolver resolver) {
    s_resolver = resolver != nullptr ? resolver : &LookUpName;
}

const char* NetAddressFaultName(ENetAddressFault fault) {
    switch (fault) {
        case ENetAddressFault::None: return "none";
        case ENetAddressFault::Empty: return "no address";
        case ENetAddressFault::IPv6: return "an IPv6 address (IPv4 only)";
        case ENetAddressFault::BadPort: return "bad port";
        case ENetAddressFault::BadAddress: return "not an address";
        case ENetAddressFault::NotFound: return "name not found";
    }
    return "?";
}

void ListOwnAddresses(std::vector<std::string>& out) {
    out.clear();
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        CLog::Get().Write("ListOwnAddresses FAILED, getifaddrs");
        return;
    }
    std::vector<std::string> loopback;
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text) == nullptr) {
            continue;
        }
        std::vector<std::string>& list = (entry->ifa_flags & IFF_LOOPBACK) != 0 ? loopback : out;
        if (std::find(list.begin(), list.end(), text) == list.end()) {
            list.emplace_back(text);
        }
    }
    freeifaddrs(interfaces);
    out.insert(out.end(), loopback.begin(), loopback.end());
}

bool ParseNetAddress(const std::string& text, uint16_t defaultPort, NetAddressText& out, ENetAddressFault& fault) {
    out = NetAddressText();
    fault = ENetAddressFault::None;
    const std::string typed = Trimmed(text);
    if (typed.empty()) {
        fault = ENetAddressFault::Empty;
        return false;
    }
    const size_t colon = typed.find(':');
    // "[::1]:27960", "::1", "fe80::2": two colons or a bracket are IPv6.
    if (typed.front() == '[' || (colon != std::string::npos && typed.find(':', colon + 1) != std::string::npos)) {
        fault = ENetAddressFault::IPv6;
        return false;
    }
    std::string host = typed.substr(0, colon);
    out.port = defaultPort;
    if (colon != std::string::npos && !ParsePort(typed.substr(colon + 1), out.port)) {
        fault = ENetAddressFault::BadPort;
        return false;
    }
    if (LooksNumeric(host)) {
        in_addr parsed{};
        if (host.empty() || inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
            fault = ENetAddressFault::BadAddress;
            return false;
        }
        out.numeric = true;
    } else if (!IsHostName(host)) {
        fault = ENetAddressFault::BadAddress;
        return false;
    }
    out.host = std::move(host);
    return true;
}

// What the worker thread and the lookup share: the thread keeps it alive on its own.
struct CNetLookup::Shared {
    std::mutex mutex;
    bool done = false;
    std::string address;   // empty: not found
};

bool CNetLookup::Start(const std::string& text, uint16_t defaultPort) {
    Cancel();
    NetAddressText parsed;
    ENetAddressFault fault = ENetAddressFault::None;
    if (!ParseNetAddress(text, defaultPort, parsed, fault)) {
        m_host = Trimmed(text);
        CLog::Get().Write("CNetLookup::Start FAILED, %s: %.64s", NetAddressFaultName(fault), m_host.c_str());
        Finish(ENetLookupState::Failed, std::string(), fault);
        return true;
    }
    m_host = parsed.host;
    m_port = parsed.port;
    if (parsed.numeric) {
        Finish(ENetLookupState::Found, parsed.host, ENetAddressFault::None);
        return true;
    }
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, host = parsed.host, resolve = s_resolver.load()] {
            std::string address = resolve(host);
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->address = std::move(address);
            shared->done = true;
        }).detach();
    } catch (const std::system_error& error) {
        CLog::Get().Write("CNetLookup::Start FAILED, no thread: %s", error.what());
        Finish(ENetLookupState::Failed, std::string(), ENetAddressFault::NotFound);
        return false;
    }
    m_shared = std::move(shared);
    m_state = ENetLookupState::Pending;
    return true;
}

ENetLookupState CNetLookup::Poll() {
    if (m_state != ENetLookupState::Pending) {
        return m_state;
    }
    std::string address;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (!m_shared->done) {
            return m_state;
        }
        address = m_shared->address;
    }
    m_shared.reset();
    if (address.empty()) {
        CLog::Get().Write("CNetLookup::Poll FAILED, no IPv4 address for: %.64s", m_host.c_str());
        Finish(ENetLookupState::Failed, std::string(), ENetAddressFault::NotFound);
    } else {
        CLog::Get().Write("CNetLookup: %.64s is %s", m_host.c_str(), address.c_str());
        Finish(ENetLookupState::Found, address, ENetAddressFault::None);
    }
    return m_state;
}

void CNetLookup::Cancel() {
    m_shared.reset();
    m_state = ENetLookupState::Idle;
    m_host.clear();
    m_address.clear();
    m_port = 0;
    m_fault = ENetAddressFault::None;
}

void CNetLookup::Finish(ENetLookupState state, const std::string& address, ENetAddressFault fault) {
    m_state = state;
    m_address = address;
    m_fault = fault;
}
