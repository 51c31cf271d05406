// What the network match costs while it plays: a host and a joiner in one process, each
// serviced once a frame at 60 frames a second for a minute of real time, sending what play
// sends. Our relay sits between them (it counts the datagrams); once over a clean line, once
// over a bad one (100 ms each way, 5 % lost). The counters:
//   *_sent_Bps        UDP payload bytes a side sends per second (goal: under 2 KB/s)
//   *_wire_Bps        the same with the 28 bytes of IPv4 and UDP header per datagram
//   *_datagrams_per_s what a side sends
//   service_cpu_pct   one side's Service() calls, as a share of one core (goal: under 1 %)
//   send_cpu_pct      one side's sending calls (inputs, attacks, checksums), likewise
//   service_us        one Service() call, on average
//   delay_p50_ms .. delay_max_ms  from the frame a step was sent in to the frame the other side
//                     took it (to a frame, 17 ms; the wait for the batch comes on top)
#include "net/NetSession.h"
#include "net/NetVersus.h"
#include "tests/net/BotMatchProgram.h"
#include "tests/net/LossyRelay.h"
#include "tests/net/PlayTraffic.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int64_t kPlaySeconds = 60;
constexpr int64_t kFramesPerSecond = 60;
constexpr double kHeaderBytes = 28.0;   // IPv4 20 + UDP 8

// One frame of one side's play: what it sends. The match driver takes this place once it runs.
bool SendPlay(CPlayTraffic& traffic, CNetSession& session, uint64_t elapsedMs) { return traffic.Send(session, elapsedMs); }

int64_t ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

uint64_t SteadyMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

std::unique_ptr<CNetSession> MakeSession(const char* name) {
    NetSessionOptions options;
    options.name = name;
    return std::make_unique<CNetSession>(options);
}

// Both sides' CPU time in the network calls, as the frame loop sees it.
struct NetCost {
    int64_t serviceNs = 0;
    int64_t sendNs = 0;
    int64_t services = 0;
};

// When each step of one side was sent, and how long it took until the other side took it.
struct StepDelays {
    std::vector<uint64_t> sentMs;
    std::vector<uint64_t> delaysMs;

    StepDelays() {
        sentMs.reserve(static_cast<size_t>(kPlaySeconds + 1) * kPlayStepsPerSecond);
        delaysMs.reserve(sentMs.capacity());
    }
    // After a frame: the steps sent so far, and those the other side has taken.
    void Frame(uint32_t sent, uint32_t taken, uint64_t nowMs) {
        sentMs.resize(sent, nowMs);
        for (size_t step = delaysMs.size(); step < taken; ++step) {
            delaysMs.push_back(nowMs - sentMs[step]);
        }
    }
};

// Services both sides until they play; false if they do not within ten seconds.
bool Connect(CNetSession& host, CNetSession& joiner) {
    const uint64_t start = SteadyMs();
    while (SteadyMs() - start < 10000) {
        host.Service();
        joiner.Service();
        if (host.State() == ENetSessionState::Playing && joiner.State() == ENetSessionState::Playing) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// One frame: both sides send their play, then each is serviced and takes what arrived.
bool Frame(CNetSession* const sides[2], CPlayTraffic* const traffic[2], CPlayReceiver* const received[2],
           uint64_t elapsedMs, NetCost& cost) {
    bool good = true;
    for (int side = 0; side < 2; ++side) {
        const int64_t before = ThreadCpuNs();
        good = SendPlay(*traffic[side], *sides[side], elapsedMs) && good;
        const int64_t between = ThreadCpuNs();
        sides[side]->Service();
        const int64_t after = ThreadCpuNs();
        cost.sendNs += between - before;
        cost.serviceNs += after - between;
        ++cost.services;
        received[side]->Take(*sides[side]);
    }
    return good && sides[0]->State() == ENetSessionState::Playing && sides[1]->State() == ENetSessionState::Playing;
}

// First argument 0: a clean line, 1: 100 ms each way and 5 % lost; second: ms between batches.
void BM_NetPlayMinute(benchmark::State& state) {
    const bool badLine = state.range(0) != 0;
    const uint64_t batchMs = static_cast<uint64_t>(state.range(1));
    for (auto _ : state) {
        std::unique_ptr<CNetSession> host = MakeSession("Host");
        std::unique_ptr<CNetSession> joiner = MakeSession("Joiner");
        if (!host->Host(0)) {
            state.SkipWithError("could not host");
            return;
        }
        LossyRelayOptions line;
        line.targetPort = host->Port();
        line.delayMs = badLine ? 100 : 0;
        line.loss = badLine ? 0.05 : 0.0;
        CLossyRelay relay(line);
        if (!relay.Start() || !joiner->Join("127.0.0.1", relay.Port()) || !Connect(*host, *joiner)) {
            state.SkipWithError("could not connect");
            return;
        }
        CPlayTraffic hostSends(0, batchMs), joinerSends(1, batchMs);
        CPlayReceiver hostGets(1), joinerGets(0);
        CNetSession* const sides[2] = {host.get(), joiner.get()};
        CPlayTraffic* const traffic[2] = {&hostSends, &joinerSends};
        CPlayReceiver* const received[2] = {&hostGets, &joinerGets};
        const uint64_t hostSentBefore = host->BytesSent(), joinerSentBefore = joiner->BytesSent();
        const LossyRelayCounts countsBefore = relay.Counts();

        NetCost cost;
        StepDelays delays[2];   // of the steps each side sent
        const auto frameTime = std::chrono::microseconds(1000000 / kFramesPerSecond);
        const auto start = std::chrono::steady_clock::now();
        const uint64_t startMs = SteadyMs();
        bool good = true;
        for (int64_t frame = 0; good && frame < kPlaySeconds * kFramesPerSecond; ++frame) {
            std::this_thread::sleep_until(start + frame * frameTime);
            good = Frame(sides, traffic, received, SteadyMs() - startMs, cost);
            const uint64_t nowMs = SteadyMs();
            delays[0].Frame(hostSends.StepsSent(), joinerGets.Steps(), nowMs);
            delays[1].Frame(joinerSends.StepsSent(), hostGets.Steps(), nowMs);
        }
        const double seconds = static_cast<double>(SteadyMs() - startMs) / 1000.0;
        if (!good || hostGets.Wrong() != 0 || joinerGets.Wrong() != 0) {
            state.SkipWithError("the match broke down");
            return;
        }
        const LossyRelayCounts counts = relay.Counts();
        const double joinerDatagrams = static_cast<double>(counts.fromClient - countsBefore.fromClient);
        const double hostDatagrams =
            static_cast<double>(counts.received - countsBefore.received) - joinerDatagrams;
        const double hostSent = static_cast<double>(host->BytesSent() - hostSentBefore);
        const double joinerSent = static_cast<double>(joiner->BytesSent() - joinerSentBefore);
        const double perSideSeconds = seconds * 2.0;
        state.counters["host_sent_Bps"] = hostSent / seconds;
        state.counters["joiner_sent_Bps"] = joinerSent / seconds;
        state.counters["host_wire_Bps"] = (hostSent + hostDatagrams * kHeaderBytes) / seconds;
        state.counters["joiner_wire_Bps"] = (joinerSent + joinerDatagrams * kHeaderBytes) / seconds;
        state.counters["host_datagrams_per_s"] = hostDatagrams / seconds;
        state.counters["joiner_datagrams_per_s"] = joinerDatagrams / seconds;
        state.counters["service_cpu_pct"] = static_cast<double>(cost.serviceNs) / 1e9 / perSideSeconds * 100.0;
        state.counters["send_cpu_pct"] = static_cast<double>(cost.sendNs) / 1e9 / perSideSeconds * 100.0;
        state.counters["service_us"] = static_cast<double>(cost.serviceNs) / 1000.0 / static_cast<double>(cost.services);
        std::vector<uint64_t> all = delays[0].delaysMs;
        all.insert(all.end(), delays[1].delaysMs.begin(), delays[1].delaysMs.end());
        std::sort(all.begin(), all.end());
        const auto percentile = [&all](size_t percent) {
            return all.empty() ? 0.0 : static_cast<double>(all[(all.size() - 1) * percent / 100]);
        };
        state.counters["delay_p50_ms"] = percentile(50);
        state.counters["delay_p95_ms"] = percentile(95);
        state.counters["delay_p99_ms"] = percentile(99);
        state.counters["delay_max_ms"] = percentile(100);
    }
}
// The last one shows what sending half as often would save, at 50 ms more delay.
BENCHMARK(BM_NetPlayMinute)
    ->Args({0, 50})
    ->Args({1, 50})
    ->Args({0, 100})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// One fixed step of a program of the match, with the time its network part takes.
void StepTimed(BotMatchProgram& program, NetCost& cost) {
    const int64_t before = ThreadCpuNs();
    program.net.Service();
    cost.serviceNs += ThreadCpuNs() - before;
    ++cost.services;
    program.StepSides();
}

// A minute of a real match between two bots, each program stepped 150 times a second as
// the screen steps it. Argument: 0 a clean line, 1 100 ms each way and 5 % lost. The
// counters are per side; service_cpu_pct is the network's share (the session's traffic and
// the batching of steps) of one core.
void BM_NetMatchMinute(benchmark::State& state) {
    const bool badLine = state.range(0) != 0;
    for (auto _ : state) {
        BotMatchProgram host, joiner;
        NetSessionOptions hostOptions;
        hostOptions.name = "Host";
        hostOptions.seed = 12345;
        host.session = std::make_unique<CNetSession>(hostOptions);
        joiner.session = MakeSession("Joiner");
        if (!host.session->Host(0)) {
            state.SkipWithError("could not host");
            return;
        }
        LossyRelayOptions line;
        line.targetPort = host.session->Port();
        line.delayMs = badLine ? 100 : 0;
        line.loss = badLine ? 0.05 : 0.0;
        CLossyRelay relay(line);
        if (!relay.Start() || !joiner.session->Join("127.0.0.1", relay.Port()) ||
            !Connect(*host.session, *joiner.session)) {
            state.SkipWithError("could not connect");
            return;
        }
        host.net.Start(*host.session, host.match);
        joiner.net.Start(*joiner.session, joiner.match);
        host.bot.Configure(EBotStrength::Normal, 1);
        joiner.bot.Configure(EBotStrength::Normal, 2);
        const LossyRelayCounts countsBefore = relay.Counts();
        NetCost cost;
        constexpr int64_t kStepsPerSecond = 150;
        const auto stepTime = std::chrono::microseconds(1000000 / kStepsPerSecond);
        const auto start = std::chrono::steady_clock::now();
        const uint64_t startMs = SteadyMs();
        for (int64_t step = 0; step < kPlaySeconds * kStepsPerSecond; ++step) {
            std::this_thread::sleep_until(start + step * stepTime);
            StepTimed(host, cost);
            StepTimed(joiner, cost);
        }
        const double seconds = static_cast<double>(SteadyMs() - startMs) / 1000.0;
        if (!host.net.IsRunning() && host.net.End() != ENetVersusEnd::MatchOver) {
            state.SkipWithError(("the match broke down: " + host.net.Why()).c_str());
            return;
        }
        const LossyRelayCounts counts = relay.Counts();
        const double joinerDatagrams = static_cast<double>(counts.fromClient - countsBefore.fromClient);
        const double hostDatagrams = static_cast<double>(counts.received - countsBefore.received) - joinerDatagrams;
        const double hostSent = static_cast<double>(host.session->BytesSent());
        const double joinerSent = static_cast<double>(joiner.session->BytesSent());
        state.counters["host_sent_Bps"] = hostSent / seconds;
        state.counters["joiner_sent_Bps"] = joinerSent / seconds;
        state.counters["host_wire_Bps"] = (hostSent + hostDatagrams * kHeaderBytes) / seconds;
        state.counters["joiner_wire_Bps"] = (joinerSent + joinerDatagrams * kHeaderBytes) / seconds;
        state.counters["host_datagrams_per_s"] = hostDatagrams / seconds;
        state.counters["service_cpu_pct"] = static_cast<double>(cost.serviceNs) / 1e9 / (seconds * 2.0) * 100.0;
        state.counters["checksums_agreed"] = static_cast<double>(host.net.ChecksumsAgreed() + joiner.net.ChecksumsAgreed());
        state.counters["rounds"] = static_cast<double>(host.match.RoundNumber());
    }
}
BENCHMARK(BM_NetMatchMinute)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
