#include "tests/net/LossyRelay.h"

#include "core/Log.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

constexpr size_t kMaxDatagram = 4096;      // ENet never sends more than this in one datagram
constexpr int kMaxPollMs = 5;              // how long Stop() may wait for the thread at most

uint64_t NowUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

}  // namespace

CLossyRelay::CLossyRelay(const LossyRelayOptions& options) : m_options(options), m_random(options.seed) {}

CLossyRelay::~CLossyRelay() { Stop(); }

bool CLossyRelay::Start() {
    if (m_socket >= 0) {
        CLog::Get().Write("CLossyRelay::Start FAILED, already running");
        return false;
    }
    m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof(address);
    if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CLog::Get().Write("CLossyRelay::Start FAILED, socket: %s", std::strerror(errno));
        if (m_socket >= 0) {
            ::close(m_socket);
            m_socket = -1;
        }
        return false;
    }
    m_port = ntohs(address.sin_port);
    m_line.reserve(m_options.maxWaiting);
    m_running = true;
    m_thread = std::thread(&CLossyRelay::Run, this);
    return true;
}

void CLossyRelay::Stop() {
    m_running = false;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    m_line.clear();
}

LossyRelayCounts CLossyRelay::Counts() const {
    std::lock_guard<std::mutex> lock(m_countsMutex);
    return m_counts;
}

void CLossyRelay::Run() {
    pollfd waiting{m_socket, POLLIN, 0};
    while (m_running) {
        ::poll(&waiting, 1, PollTimeoutMs(NowUs()));
        ReceiveAll(NowUs());
        DeliverDue(NowUs());
    }
}

int CLossyRelay::PollTimeoutMs(uint64_t nowUs) const {
    int timeout = kMaxPollMs;
    for (const Datagram& datagram : m_line) {
        const uint64_t waitUs = datagram.dueUs > nowUs ? datagram.dueUs - nowUs : 0;
        timeout = std::min(timeout, static_cast<int>((waitUs + 999) / 1000));
    }
    return timeout;
}

void CLossyRelay::ReceiveAll(uint64_t nowUs) {
    uint8_t bytes[kMaxDatagram];
    for (;;) {
        sockaddr_in from{};
        socklen_t length = sizeof(from);
        const ssize_t size = ::recvfrom(m_socket, bytes, sizeof(bytes), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0) {
            return;   // nothing more waiting (or an error the next poll meets again)
        }
        const bool fromTarget =
            from.sin_addr.s_addr == htonl(INADDR_LOOPBACK) && ntohs(from.sin_port) == m_options.targetPort;
        if (!fromTarget && !m_haveClient) {
            m_haveClient = true;
            m_clientHost = from.sin_addr.s_addr;
            m_clientPort = from.sin_port;
        }
        const bool fromClient = !fromTarget && from.sin_addr.s_addr == m_clientHost && from.sin_port == m_clientPort;
        if ((!fromTarget && !fromClient) || static_cast<size_t>(size) > sizeof(bytes)) {
            std::lock_guard<std::mutex> lock(m_countsMutex);
            ++m_counts.strays;
            continue;
        }
        Receive(bytes, static_cast<size_t>(size), fromClient, nowUs);
    }
}

// Decides a datagram's fate as it arrives: lost, or on the line until it is due.
void CLossyRelay::Receive(const uint8_t* bytes, size_t size, bool toTarget, uint64_t nowUs) {
    const bool lost = Chance() < m_options.loss;
    const uint64_t jitterUs = m_options.jitterMs > 0 ? m_random() % (uint64_t{m_options.jitterMs} * 1000 + 1) : 0;
    std::lock_guard<std::mutex> lock(m_countsMutex);
    ++m_counts.received;
    m_counts.fromClient += toTarget ? 1 : 0;
    if (m_cut) {
        ++m_counts.cut;
        return;
    }
    if (lost) {
        ++m_counts.lost;
        return;
    }
    if (m_options.maxWaiting == 0) {
        ++m_counts.overflowed;
        return;
    }
    if (m_line.size() >= m_options.maxWaiting) {
        m_line.erase(m_line.begin());
        ++m_counts.overflowed;
    }
    Datagram datagram;
    datagram.dueUs = nowUs + uint64_t{m_options.delayMs} * 1000 + jitterUs;
    datagram.toTarget = toTarget;
    datagram.bytes.assign(bytes, bytes + size);
    m_line.push_back(std::move(datagram));
}

void CLossyRelay::DeliverDue(uint64_t nowUs) {
    const sockaddr_in target = Loopback(m_options.targetPort);
    sockaddr_in client{};
    client.sin_family = AF_INET;
    client.sin_addr.s_addr = m_clientHost;
    client.sin_port = m_clientPort;
    const bool cut = m_cut;
    size_t kept = 0;
    for (size_t i = 0; i < m_line.size(); ++i) {
        Datagram& datagram = m_line[i];
        if (!cut && datagram.dueUs > nowUs) {
            if (kept != i) {
                m_line[kept] = std::move(datagram);
            }
            ++kept;
            continue;
        }
        const sockaddr_in& to = datagram.toTarget ? target : client;
        const bool sent = !cut && ::sendto(m_socket, datagram.bytes.data(), datagram.bytes.size(), 0,
                                           reinterpret_cast<const sockaddr*>(&to), sizeof(to)) >= 0;
        std::lock_guard<std::mutex> lock(m_countsMutex);
        ++(cut ? m_counts.cut : sent ? m_counts.forwarded : m_counts.unsent);
    }
    m_line.resize(kept);
}

// 0 up to (not including) 1, the same run of numbers for the same seed on every machine.
double CLossyRelay::Chance() { return static_cast<double>(m_random() >> 8) / static_cast<double>(1u << 24); }
