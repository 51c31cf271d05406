#pragma once
// A bad line between two programs on this machine: a UDP relay on 127.0.0.1 that passes
// datagrams between one client (the first address that sends to it) and a target port,
// each one late by a delay and some jitter, and lost by chance. The chances come from a
// fixed seed, so the same run of datagrams meets the same fate every time. One thread of
// its own; Stop() or the destructor ends it within a few milliseconds.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

struct LossyRelayOptions {
    uint16_t targetPort = 0;       // on 127.0.0.1
    uint32_t delayMs = 0;          // each way
    uint32_t jitterMs = 0;         // up to this much more, drawn per datagram (may reorder them)
    double loss = 0.0;             // 0..1, the chance that a datagram is lost, each way
    uint32_t seed = 1;
    size_t maxWaiting = 2048;      // datagrams on the line; beyond it the oldest is lost
};

struct LossyRelayCounts {
    uint64_t received = 0;         // datagrams that reached the relay from either side
    uint64_t fromClient = 0;       // those of them the client sent
    uint64_t forwarded = 0;        // passed on
    uint64_t lost = 0;             // lost by chance
    uint64_t cut = 0;              // lost to the cut cable
    uint64_t overflowed = 0;       // pushed off a full line
    uint64_t unsent = 0;           // the relay's own send failed
    uint64_t strays = 0;           // from neither the client nor the target, ignored

    uint64_t Dropped() const { return lost + cut + overflowed + unsent; }
};

class CLossyRelay {
public:
    explicit CLossyRelay(const LossyRelayOptions& options);
    ~CLossyRelay();
    CLossyRelay(const CLossyRelay&) = delete;
    CLossyRelay& operator=(const CLossyRelay&) = delete;

    // Opens the relay's port and starts its thread; false (and a log line) if it cannot.
    bool Start();
    // Ends the thread; whatever is still on the line is lost.
    void Stop();
    // The port clients send to (0 before Start).
    uint16_t Port() const { return m_port; }
    // The cable is cut: from now on nothing gets through either way, not even what is on the line.
    void Cut() { m_cut = true; }
    LossyRelayCounts Counts() const;

private:
    struct Datagram {
        uint64_t dueUs = 0;
        bool toTarget = false;
        std::vector<uint8_t> bytes;
    };
    void Run();
    void ReceiveAll(uint64_t nowUs);
    void Receive(const uint8_t* bytes, size_t size, bool toTarget, uint64_t nowUs);
    void DeliverDue(uint64_t nowUs);
    int PollTimeoutMs(uint64_t nowUs) const;
    double Chance();

    LossyRelayOptions m_options;
    int m_socket = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cut{false};
    mutable std::mutex m_countsMutex;
    LossyRelayCounts m_counts;
    // Only the relay's thread touches these.
    std::mt19937 m_random;
    std::vector<Datagram> m_line;           // in the order they arrived
    bool m_haveClient = false;
    uint32_t m_clientHost = 0;              // network byte order, as the socket gives them
    uint16_t m_clientPort = 0;
};
