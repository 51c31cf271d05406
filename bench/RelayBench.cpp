// pellora-server under load: the real program (build/pellora-server) on a free loopback port,
// with many matches relayed through it at once for a fixed time. Each match is two bare ENet
// clients that pair through the lobby as the game's sessions do, then send match-shaped
// traffic (20 packets of 48 bytes a second each way, the worst case of a match's steps
// batched every 50 ms). A few probe matches, serviced on a thread of their own, time a
// step relayed against the same step sent straight between two peers on loopback: the
// difference is the delay the server adds. The server's CPU time and resident memory come
// from /proc. Not run by the tests: `pellora_bench --benchmark_filter=Relay`.
#include "net/LobbyProtocol.h"

#include <benchmark/benchmark.h>
#include <enet/enet.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kLoadSeconds = 20.0;
constexpr int kPacketsPerSecond = 20;
constexpr size_t kPacketBytes = 48;
constexpr int kProbes = 4;

uint64_t NowNs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

// The server program, started on a free port and stopped with SIGTERM.
class CServerProcess {
public:
    bool Start() {
        m_log = "/tmp/pellora-relay-bench-" + std::to_string(getpid()) + ".log";
        const std::string program = std::string(PELLORA_BINARY_DIR) + "/pellora-server";
        m_pid = fork();
        if (m_pid == 0) {
            std::freopen(m_log.c_str(), "w", stderr);
            execl(program.c_str(), program.c_str(), "--bind", "127.0.0.1", "--port", "0", "--max-peers", "4095",
                  "--max-peers-per-address", "4095", "--max-matches", "4096", "--max-matches-per-address", "4096",
                  "--announces-per-minute", "100000", "--messages-per-second", "10000", "--greet-seconds", "120",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && m_port == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::ifstream log(m_log);
            std::string line;
            while (std::getline(log, line)) {
                const size_t at = line.find("port ");
                if (line.find("listening on") != std::string::npos && at != std::string::npos) {
                    m_port = static_cast<uint16_t>(std::stoi(line.substr(at + 5)));
                }
            }
        }
        return m_port != 0;
    }
    ~CServerProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        std::remove(m_log.c_str());
    }
    uint16_t Port() const { return m_port; }
    // CPU seconds (user and system) so far.
    double CpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        unsigned long long utime = 0;
        unsigned long long stime = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) {
                utime = std::stoull(field);
            } else if (i == 15) {
                stime = std::stoull(field);
            }
        }
        return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    long ResidentKb() const {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmRSS:", 0) == 0) {
                return std::stol(line.substr(6));
            }
        }
        return 0;
    }

private:
    pid_t m_pid = -1;
    uint16_t m_port = 0;
    std::string m_log;
};

// One bare ENet client: a host of one peer, connected to the server (or to another client).
struct Client {
    Client() = default;
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    bool connected = false;
    bool paired = false;
    uint32_t listing = 0;
    uint64_t nextSendNs = 0;
    uint64_t received = 0;

    bool Open(const ENetAddress* bind, const ENetAddress* to) {
        host = enet_host_create(bind, 1, 1, 0, 0);
        if (host != nullptr && to != nullptr) {
            peer = enet_host_connect(host, to, 1, 0);
        }
        return host != nullptr;
    }
    ~Client() {
        if (host != nullptr) {
            enet_host_destroy(host);
        }
    }
    void Send(const uint8_t* data, size_t size) {
        ENetPacket* packet = enet_packet_create(data, size, ENET_PACKET_FLAG_RELIABLE);
        if (peer == nullptr || enet_peer_send(peer, 0, packet) != 0) {
            enet_packet_destroy(packet);
        }
    }
    // Drains what arrived; each packet goes to seen(data, size).
    template <typename Seen>
    void Service(Seen seen) {
        ENetEvent event;
        while (enet_host_service(host, &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT) {
                connected = true;
                peer = event.peer;
            } else if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                ++received;
                seen(event.packet->data, event.packet->dataLength);
                enet_packet_destroy(event.packet);
            }
        }
    }
};

// A match through the server: the host announces, the joiner pairs with its listing.
struct RelayedPair {
    Client host;
    Client joiner;
};

bool PairUp(std::vector<std::unique_ptr<RelayedPair>>& pairs, const ENetAddress& server) {
    NetListing listing;
    listing.hostName = "bench";
    listing.playerName = "Bot";
    listing.gameVersion = PelloraGameVersion();
    NetPacket packet;
    for (auto& pair : pairs) {
        if (!pair->host.Open(nullptr, &server) || !pair->joiner.Open(nullptr, &server)) {
            return false;
        }
    }
    const uint64_t deadline = NowNs() + 60'000'000'000ull;
    size_t paired = 0;
    while (paired < pairs.size() && NowNs() < deadline) {
        paired = 0;
        for (auto& pair : pairs) {
            const bool hostWasConnected = pair->host.connected;
            pair->host.Service([&](const uint8_t* data, size_t size) {
                const char* why = "";
                DecodeAnnounced(data, size, pair->host.listing, why);
            });
            if (!hostWasConnected && pair->host.connected) {
                EncodeAnnounce(listing, packet);
                pair->host.Send(packet.bytes, packet.size);
            }
            const bool joinerWasConnected = pair->joiner.connected;
            pair->joiner.Service([&](const uint8_t* data, size_t size) {
                const char* why = "";
                pair->joiner.paired = pair->joiner.paired || DecodePaired(data, size, why);
            });
            if (pair->host.listing != 0 && pair->joiner.connected && !pair->joiner.paired &&
                (!joinerWasConnected || pair->joiner.nextSendNs == 0)) {
                EncodeJoinRelay(kNetProtocolVersion, pair->host.listing, packet);
                pair->joiner.Send(packet.bytes, packet.size);
                pair->joiner.nextSendNs = 1;   // asked once
            }
            paired += pair->joiner.paired ? 1 : 0;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return paired == pairs.size();
}

// One probe: a timestamped step one way every 50 ms, its arrival timed on the other side.
struct Probe {
    std::unique_ptr<RelayedPair> ends = std::make_unique<RelayedPair>();
    Client& From() { return ends->host; }
    Client& To() { return ends->joiner; }
    std::vector<double> delaysMs;
};

void RunProbes(std::vector<std::unique_ptr<Probe>>& probes, const std::atomic<bool>& stop) {
    uint8_t payload[1 + 8] = {static_cast<uint8_t>(ENetKind::KeepAlive)};
    uint64_t nextSend = NowNs();
    while (!stop.load()) {
        const uint64_t now = NowNs();
        const bool send = now >= nextSend;
        if (send) {
            nextSend = now + 50'000'000ull;
            std::memcpy(payload + 1, &now, 8);
        }
        for (auto& probe : probes) {
            if (send) {
                probe->From().Send(payload, sizeof payload);
            }
            probe->From().Service([](const uint8_t*, size_t) {});
            probe->To().Service([&](const uint8_t* data, size_t size) {
                uint64_t sent = 0;
                if (size == sizeof payload) {
                    std::memcpy(&sent, data + 1, 8);
                    probe->delaysMs.push_back(static_cast<double>(NowNs() - sent) / 1e6);
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return -1.0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(values.size())))];
}

void BM_RelayLoad(benchmark::State& state) {
    const auto matches = static_cast<size_t>(state.range(0));
    enet_initialize();
    for (auto _ : state) {
        CServerProcess server;
        if (!server.Start()) {
            state.SkipWithError("pellora-server did not start");
            break;
        }
        ENetAddress address{};
        enet_address_set_host_ip(&address, "127.0.0.1");
        address.port = server.Port();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const long idleKb = server.ResidentKb();

        std::vector<std::unique_ptr<RelayedPair>> pairs;
        for (size_t i = 0; i < matches + kProbes; ++i) {
            pairs.push_back(std::make_unique<RelayedPair>());
        }
        if (!PairUp(pairs, address)) {
            state.SkipWithError("the matches did not all pair in a minute");
            break;
        }
        // The probes: the last pairs (relayed) and as many straight pairs on loopback.
        std::vector<std::unique_ptr<Probe>> relayed;
        for (int i = 0; i < kProbes; ++i) {
            auto probe = std::make_unique<Probe>();
            probe->ends = std::move(pairs.back());
            pairs.pop_back();
            relayed.push_back(std::move(probe));
        }
        std::vector<std::unique_ptr<Probe>> direct;
        for (int i = 0; i < kProbes; ++i) {
            auto probe = std::make_unique<Probe>();
            ENetAddress any{};
            enet_address_set_host_ip(&any, "127.0.0.1");
            any.port = 0;
            probe->To().Open(&any, nullptr);
            ENetAddress target = any;
            target.port = probe->To().host->address.port;
            probe->From().Open(nullptr, &target);
            for (int j = 0; j < 2000 && !(probe->From().connected && probe->To().connected); ++j) {
                probe->From().Service([](const uint8_t*, size_t) {});
                probe->To().Service([](const uint8_t*, size_t) {});
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            direct.push_back(std::move(probe));
        }
        std::vector<std::unique_ptr<Probe>> probes;
        for (auto* group : {&relayed, &direct}) {
            for (auto& probe : *group) {
                probes.push_back(std::move(probe));
            }
        }

        std::atomic<bool> stop{false};
        std::thread probeThread(RunProbes, std::ref(probes), std::cref(stop));
        uint8_t payload[kPacketBytes] = {static_cast<uint8_t>(ENetKind::Inputs)};
        const uint64_t start = NowNs();
        const double cpuStart = server.CpuSeconds();
        const uint64_t interval = 1'000'000'000ull / kPacketsPerSecond;
        for (size_t i = 0; i < pairs.size(); ++i) {
            // Spread over the interval, as real matches are.
            pairs[i]->host.nextSendNs = start + interval * i / pairs.size();
            pairs[i]->joiner.nextSendNs = start + interval * i / pairs.size();
        }
        uint64_t received = 0;
        long peakKb = 0;
        uint64_t nextMemoryNs = start;
        while (NowNs() - start < static_cast<uint64_t>(kLoadSeconds * 1e9)) {
            const uint64_t now = NowNs();
            for (auto& pair : pairs) {
                for (Client* side : {&pair->host, &pair->joiner}) {
                    if (now >= side->nextSendNs) {
                        side->Send(payload, sizeof payload);
                        side->nextSendNs += interval;
                    }
                    side->Service([&](const uint8_t*, size_t) { ++received; });
                }
            }
            if (now >= nextMemoryNs) {
                peakKb = std::max(peakKb, server.ResidentKb());
                nextMemoryNs = now + 1'000'000'000ull;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const double seconds = static_cast<double>(NowNs() - start) / 1e9;
        const double cpu = server.CpuSeconds() - cpuStart;
        stop = true;
        probeThread.join();
        state.SetIterationTime(seconds);

        std::vector<double> relayedDelays;
        std::vector<double> directDelays;
        for (size_t i = 0; i < probes.size(); ++i) {
            auto& into = i < static_cast<size_t>(kProbes) ? relayedDelays : directDelays;
            into.insert(into.end(), probes[i]->delaysMs.begin(), probes[i]->delaysMs.end());
        }
        const double corePart = cpu / seconds;
        state.counters["matches"] = static_cast<double>(matches);
        state.counters["relayed_packets_per_s"] = static_cast<double>(received) / seconds;
        state.counters["expected_packets_per_s"] = static_cast<double>(matches * 2 * kPacketsPerSecond);
        state.counters["server_cpu_pct"] = corePart * 100.0;
        state.counters["matches_per_core"] = corePart > 0.0 ? static_cast<double>(matches) / corePart : 0.0;
        // The matches whose whole traffic the server relayed (the load's own thread may fall
        // behind on a busy machine), per core of the server's.
        const double delivered = static_cast<double>(received) / seconds / (2.0 * kPacketsPerSecond);
        state.counters["delivered_matches"] = delivered;
        state.counters["delivered_matches_per_core"] = corePart > 0.0 ? delivered / corePart : 0.0;
        state.counters["relayed_p50_ms"] = Percentile(relayedDelays, 50);
        state.counters["relayed_p99_ms"] = Percentile(relayedDelays, 99);
        state.counters["direct_p50_ms"] = Percentile(directDelays, 50);
        state.counters["added_p50_ms"] = Percentile(relayedDelays, 50) - Percentile(directDelays, 50);
        state.counters["added_p99_ms"] = Percentile(relayedDelays, 99) - Percentile(directDelays, 99);
        state.counters["rss_idle_kb"] = static_cast<double>(idleKb);
        state.counters["rss_peak_kb"] = static_cast<double>(peakKb);
        state.counters["bytes_per_match"] =
            static_cast<double>(std::max(0L, peakKb - idleKb)) * 1024.0 / static_cast<double>(matches);
    }
    enet_deinitialize();
}

BENCHMARK(BM_RelayLoad)->Arg(250)->Arg(1000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
