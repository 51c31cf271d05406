// The match over a bad line and against a program that dies: two sessions talk through our
// lossy relay on loopback, or a child process plays the opponent and is killed. Every wait
// loops until its condition holds or a generous deadline passes, and then fails.
#include "tests/net/LossyRelay.h"
#include "tests/net/PlayTraffic.h"

#include "net/NetSession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr uint64_t kFrameMs = 5;                 // how often the tests' frame loop services the sessions
constexpr uint64_t kDeadlineMs = 60000;          // no wait in these tests comes near this
constexpr uint64_t kFakeFrameMs = 100;           // a frame on the tests' own clock, once it runs

uint64_t RealMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// Runs frame() every kFrameMs of real time until it returns true; false if the deadline passed first.
bool RunFramesUntil(const std::function<bool()>& frame, uint64_t deadlineMs = kDeadlineMs) {
    const uint64_t start = RealMs();
    while (RealMs() - start < deadlineMs) {
        if (frame()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kFrameMs));
    }
    return false;
}

// A clock that stands still until a test moves it.
struct FakeClock {
    uint64_t ms = 1000;
    NetClock Clock() {
        return [this] { return ms; };
    }
};

std::unique_ptr<CNetSession> MakeSession(const char* name, NetClock clock = {}) {
    NetSessionOptions options;
    options.name = name;
    options.clock = std::move(clock);
    options.seed = 777;
    return std::make_unique<CNetSession>(options);
}

bool IsPlaying(const CNetSession& session) { return session.State() == ENetSessionState::Playing; }
bool IsEnded(const CNetSession& session) { return session.State() == ENetSessionState::Ended; }

std::string Describe(const CNetSession& session) {
    return IsEnded(session) ? std::string("ended: ") + NetEndReasonName(session.EndReason()) : "not ended";
}

// A host, and a joiner that reaches it only through the relay.
class NetRelayTest : public ::testing::Test {
protected:
    // On the real clock, or on the test's own one.
    void Connect(const LossyRelayOptions& line, bool onTestClock = false) {
        host = MakeSession("Host", onTestClock ? clock.Clock() : NetClock());
        joiner = MakeSession("Joiner", onTestClock ? clock.Clock() : NetClock());
        ASSERT_TRUE(host->Host(0));
        LossyRelayOptions options = line;
        options.targetPort = host->Port();
        relay = std::make_unique<CLossyRelay>(options);
        ASSERT_TRUE(relay->Start());
        ASSERT_TRUE(joiner->Join("127.0.0.1", relay->Port()));
        ASSERT_TRUE(RunFramesUntil([&] {
            ServiceBoth();
            return (IsPlaying(*host) && IsPlaying(*joiner)) || IsEnded(*host) || IsEnded(*joiner);
        }));
        ASSERT_TRUE(IsPlaying(*host) && IsPlaying(*joiner)) << Describe(*host) << " / " << Describe(*joiner);
    }

    void ServiceBoth() {
        host->Service();
        joiner->Service();
    }

    FakeClock clock;          // outlives the sessions that may read it
    std::unique_ptr<CNetSession> host;
    std::unique_ptr<CNetSession> joiner;
    std::unique_ptr<CLossyRelay> relay;
};

}  // namespace

TEST_F(NetRelayTest, TenSecondsOfPlayOverASlowLossyLineArriveWholeAndInOrder) {
    constexpr uint64_t kPlayMs = 10000;
    LossyRelayOptions line;
    line.delayMs = 100;
    line.jitterMs = 10;
    line.loss = 0.05;
    line.seed = 2024;
    Connect(line);
    if (HasFatalFailure()) {
        return;
    }
    CPlayTraffic hostSends(0), joinerSends(1);
    CPlayReceiver hostGets(1), joinerGets(0);
    bool sent = true;
    uint32_t worstBehind = 0;   // steps sent but not yet arrived: how far the opponent's field lags
    const uint64_t start = RealMs();
    const auto frame = [&] {
        const uint64_t elapsed = RealMs() - start;
        if (elapsed < kPlayMs) {
            sent = sent && hostSends.Send(*host, elapsed) && joinerSends.Send(*joiner, elapsed);
        }
        ServiceBoth();
        hostGets.Take(*host);
        joinerGets.Take(*joiner);
        worstBehind = std::max({worstBehind, joinerSends.StepsSent() - hostGets.Steps(),
                                hostSends.StepsSent() - joinerGets.Steps()});
        const bool stopped = !sent || !IsPlaying(*host) || !IsPlaying(*joiner);
        return stopped || (elapsed >= kPlayMs && hostGets.HasAll(joinerSends) && joinerGets.HasAll(hostSends));
    };
    ASSERT_TRUE(RunFramesUntil(frame)) << hostGets.Steps() << " of " << joinerSends.StepsSent() << " steps, "
                                       << joinerGets.Steps() << " of " << hostSends.StepsSent();
    // For the record only: how late the worst step came depends on the machine's load.
    RecordProperty("worst_lag_ms", static_cast<int>(worstBehind * 1000 / kPlayStepsPerSecond));
    EXPECT_TRUE(sent);
    EXPECT_TRUE(IsPlaying(*host)) << Describe(*host);
    EXPECT_TRUE(IsPlaying(*joiner)) << Describe(*joiner);

    // Ten seconds of each side's play, every piece exactly once and in order.
    EXPECT_GE(hostSends.StepsSent(), kPlayStepsPerSecond * 9);
    EXPECT_GE(joinerSends.StepsSent(), kPlayStepsPerSecond * 9);
    EXPECT_GT(hostSends.AttacksSent(), 0u);
    EXPECT_GT(joinerSends.AttacksSent(), 0u);
    for (const auto& [gets, sends] : {std::pair{&hostGets, &joinerSends}, std::pair{&joinerGets, &hostSends}}) {
        EXPECT_EQ(gets->Wrong(), 0u) << "first: " << gets->FirstWrong();
        EXPECT_EQ(gets->Steps(), sends->StepsSent());
        EXPECT_EQ(gets->Attacks(), sends->AttacksSent());
        EXPECT_EQ(gets->Checksums(), sends->ChecksumsSent());
        EXPECT_GE(gets->Checksums(), 9u);
    }
    // The line really was bad: it lost some of what went over it, about one in twenty.
    const LossyRelayCounts counts = relay->Counts();
    EXPECT_GT(counts.lost, counts.received / 50) << counts.lost << " of " << counts.received;
    EXPECT_LT(counts.lost, counts.received / 10) << counts.lost << " of " << counts.received;
    EXPECT_EQ(counts.overflowed, 0u);
}

TEST_F(NetRelayTest, ACutCableEndsBothSessionsAsOpponentSilent) {
    // The sessions' clock stands still until the cable is cut, then runs 100 ms a frame.
    LossyRelayOptions line;
    line.delayMs = 20;
    Connect(line, true);
    if (HasFatalFailure()) {
        return;
    }
    CPlayTraffic hostSends(0), joinerSends(1);
    CPlayReceiver hostGets(1), joinerGets(0);
    ASSERT_TRUE(RunFramesUntil([&] {
        hostSends.Send(*host, 1000);
        joinerSends.Send(*joiner, 1000);
        ServiceBoth();
        hostGets.Take(*host);
        joinerGets.Take(*joiner);
        return hostGets.HasAll(joinerSends) && joinerGets.HasAll(hostSends);
    }));

    relay->Cut();
    const uint64_t cutAt = clock.ms;
    uint64_t hostEndedAt = 0, joinerEndedAt = 0;
    ASSERT_TRUE(RunFramesUntil([&] {
        clock.ms += kFakeFrameMs;
        // Both sides go on playing into the cut cable; what they send keeps nothing alive.
        hostSends.Send(*host, clock.ms - cutAt + 1000);
        joinerSends.Send(*joiner, clock.ms - cutAt + 1000);
        ServiceBoth();
        hostEndedAt = hostEndedAt == 0 && IsEnded(*host) ? clock.ms : hostEndedAt;
        joinerEndedAt = joinerEndedAt == 0 && IsEnded(*joiner) ? clock.ms : joinerEndedAt;
        return IsEnded(*host) && IsEnded(*joiner);
    }));
    EXPECT_EQ(host->EndReason(), ENetEndReason::OpponentSilent);
    EXPECT_EQ(joiner->EndReason(), ENetEndReason::OpponentSilent);
    for (const uint64_t endedAt : {hostEndedAt, joinerEndedAt}) {
        EXPECT_GE(endedAt - cutAt, kNetSilenceMs);
        EXPECT_LE(endedAt - cutAt, kNetSilenceMs + kNetKeepAliveMs);
    }
    EXPECT_GT(relay->Counts().cut, 0u);
}

namespace {

// A child process that plays the joiner until it is killed.
class CChildJoiner {
public:
    explicit CChildJoiner(uint16_t port) {
        std::fflush(stdout);
        std::fflush(stderr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::_exit(Play(port));
        }
    }
    ~CChildJoiner() { Kill(); }
    bool Started() const { return m_pid > 0; }
    // SIGKILL, then reaps it; true if it was still playing until the signal ended it.
    bool Kill() {
        if (m_pid <= 0) {
            return false;
        }
        ::kill(m_pid, SIGKILL);
        int status = 0;
        const bool reaped = ::waitpid(m_pid, &status, 0) == m_pid;
        m_pid = 0;
        return reaped && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    // Never returns while all is well: the parent ends it. The bound keeps an orphan from lingering.
    static int Play(uint16_t port) {
        std::unique_ptr<CNetSession> joiner = MakeSession("Child");
        if (!joiner->Join("127.0.0.1", port)) {
            return 2;
        }
        CPlayTraffic sends(1);
        uint64_t playingSince = 0;
        const bool ended = RunFramesUntil([&] {
            joiner->Service();
            if (IsPlaying(*joiner)) {
                playingSince = playingSince == 0 ? RealMs() : playingSince;
                sends.Send(*joiner, RealMs() - playingSince);
            }
            return IsEnded(*joiner);
        });
        return ended ? 3 : 4;
    }

    pid_t m_pid = -1;
};

}  // namespace

TEST(NetKilledPeer, AHostWhoseOpponentIsKilledMidMatchEndsCleanly) {
    // The host's clock stands still while the child plays, so that only the kill can end it.
    FakeClock clock;
    std::unique_ptr<CNetSession> host = MakeSession("Host", clock.Clock());
    ASSERT_TRUE(host->Host(0));
    CChildJoiner child(host->Port());
    ASSERT_TRUE(child.Started());
    CPlayReceiver hostGets(1);
    ASSERT_TRUE(RunFramesUntil([&] {
        host->Service();
        hostGets.Take(*host);
        return IsEnded(*host) || hostGets.Steps() >= 2 * kPlayStepsPerSecond;
    }));
    ASSERT_TRUE(IsPlaying(*host)) << Describe(*host);
    EXPECT_EQ(host->OpponentName(), "Child");

    ASSERT_TRUE(child.Kill()) << "the child ended before it was killed";
    const uint64_t killedAt = clock.ms;
    ASSERT_TRUE(RunFramesUntil([&] {
        clock.ms += kFakeFrameMs;
        host->Service();
        hostGets.Take(*host);
        return IsEnded(*host);
    }));
    EXPECT_TRUE(host->EndReason() == ENetEndReason::OpponentSilent || host->EndReason() == ENetEndReason::OpponentLeft)
        << Describe(*host);
    // Noticed by the session's own watch on the silence, not ENet's slower one.
    EXPECT_GE(clock.ms - killedAt, kNetSilenceMs);
    EXPECT_LE(clock.ms - killedAt, kNetSilenceMs + kNetKeepAliveMs);
    EXPECT_EQ(hostGets.Wrong(), 0u) << "first: " << hostGets.FirstWrong();
    // What is left of the session stays quiet and harmless.
    for (int i = 0; i < 10; ++i) {
        host->Service();
    }
    EXPECT_EQ(host->State(), ENetSessionState::Ended);
}

namespace {

// A plain UDP socket on 127.0.0.1 for looking at the relay from outside.
class CUdpEnd {
public:
    CUdpEnd() {
        m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
            ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            m_port = ntohs(address.sin_port);
        }
    }
    ~CUdpEnd() {
        if (m_socket >= 0) {
            ::close(m_socket);
        }
    }
    uint16_t Port() const { return m_port; }
    bool Send(uint16_t port, uint32_t number) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(port);
        return ::sendto(m_socket, &number, sizeof(number), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to)) ==
               static_cast<ssize_t>(sizeof(number));
    }
    // The next datagram's number, waiting up to waitMs; false if none came.
    bool Receive(uint32_t& number, int waitMs, uint16_t* fromPort = nullptr) {
        pollfd waiting{m_socket, POLLIN, 0};
        sockaddr_in from{};
        socklen_t length = sizeof(from);
        if (::poll(&waiting, 1, waitMs) != 1 ||
            ::recvfrom(m_socket, &number, sizeof(number), 0, reinterpret_cast<sockaddr*>(&from), &length) !=
                static_cast<ssize_t>(sizeof(number))) {
            return false;
        }
        if (fromPort != nullptr) {
            *fromPort = ntohs(from.sin_port);
        }
        return true;
    }
    // Every datagram that arrives until none has come for quietMs.
    std::vector<uint32_t> ReceiveAll(int quietMs) {
        std::vector<uint32_t> numbers;
        uint32_t number = 0;
        while (Receive(number, quietMs)) {
            numbers.push_back(number);
        }
        return numbers;
    }

private:
    int m_socket = -1;
    uint16_t m_port = 0;
};

// Waits until the relay has seen count datagrams.
bool RelaySaw(const CLossyRelay& relay, uint64_t count) {
    return RunFramesUntil([&] { return relay.Counts().received >= count; });
}

}  // namespace

TEST(NetLossyRelay, PassesBothWaysInOrderAndNotBeforeTheDelay) {
    CUdpEnd target, client, stranger;
    LossyRelayOptions options;
    options.targetPort = target.Port();
    options.delayMs = 30;
    CLossyRelay relay(options);
    ASSERT_TRUE(relay.Start());
    ASSERT_NE(relay.Port(), 0);
    constexpr uint32_t kCount = 50;
    const uint64_t sentAt = RealMs();
    for (uint32_t i = 0; i < kCount; ++i) {
        ASSERT_TRUE(client.Send(relay.Port(), i));
    }
    uint32_t number = 0;
    uint16_t from = 0;
    ASSERT_TRUE(target.Receive(number, static_cast<int>(kDeadlineMs), &from));
    EXPECT_GE(RealMs() - sentAt, options.delayMs) << "a datagram overtook its delay";
    EXPECT_EQ(from, relay.Port());
    std::vector<uint32_t> got{number};
    for (uint32_t i = 1; i < kCount && target.Receive(number, static_cast<int>(kDeadlineMs)); ++i) {
        got.push_back(number);
    }
    std::vector<uint32_t> all(kCount);
    for (uint32_t i = 0; i < kCount; ++i) {
        all[i] = i;
    }
    EXPECT_EQ(got, all);

    // The answer goes back to the client; a third party is ignored.
    ASSERT_TRUE(target.Send(relay.Port(), 1000));
    ASSERT_TRUE(stranger.Send(relay.Port(), 2000));
    ASSERT_TRUE(client.Receive(number, static_cast<int>(kDeadlineMs)));
    EXPECT_EQ(number, 1000u);
    ASSERT_TRUE(RunFramesUntil([&] { return relay.Counts().strays == 1 && relay.Counts().forwarded == kCount + 1; }));
    EXPECT_FALSE(target.Receive(number, 0));
    EXPECT_FALSE(client.Receive(number, 0));
    EXPECT_EQ(relay.Counts().Dropped(), 0u);
}

TEST(NetLossyRelay, LosesTheSameDatagramsForTheSameSeed) {
    constexpr uint32_t kCount = 1000;
    std::vector<std::vector<uint32_t>> runs;
    for (const uint32_t seed : {7u, 7u, 8u}) {
        CUdpEnd target, client;
        LossyRelayOptions options;
        options.targetPort = target.Port();
        options.loss = 0.25;
        options.seed = seed;
        CLossyRelay relay(options);
        ASSERT_TRUE(relay.Start());
        std::vector<uint32_t> got;
        const auto passed = [&] {
            const LossyRelayCounts counts = relay.Counts();
            return counts.forwarded + counts.lost;
        };
        for (uint32_t i = 0; i < kCount; ++i) {
            ASSERT_TRUE(client.Send(relay.Port(), i));
            // Paced and read as they come, so that no socket buffer on the way loses any for us.
            if (i % 50 == 49) {
                ASSERT_TRUE(RunFramesUntil([&] { return passed() == i + 1; }));
                const std::vector<uint32_t> more = target.ReceiveAll(0);
                got.insert(got.end(), more.begin(), more.end());
            }
        }
        const std::vector<uint32_t> more = target.ReceiveAll(50);
        got.insert(got.end(), more.begin(), more.end());
        const LossyRelayCounts counts = relay.Counts();
        EXPECT_EQ(got.size(), counts.forwarded);
        EXPECT_GT(counts.lost, kCount / 5);
        EXPECT_LT(counts.lost, kCount * 3 / 10);
        runs.push_back(got);
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_NE(runs[0], runs[2]);
}

TEST(NetLossyRelay, AFullLineLosesItsOldestAndACutOneEverything) {
    CUdpEnd target, client;
    LossyRelayOptions options;
    options.targetPort = target.Port();
    options.delayMs = 300;
    options.maxWaiting = 16;
    CLossyRelay relay(options);
    ASSERT_TRUE(relay.Start());
    constexpr uint32_t kCount = 40;
    for (uint32_t i = 0; i < kCount; ++i) {
        ASSERT_TRUE(client.Send(relay.Port(), i));
    }
    ASSERT_TRUE(RelaySaw(relay, kCount));
    ASSERT_TRUE(RunFramesUntil([&] { return relay.Counts().forwarded == options.maxWaiting; }));
    std::vector<uint32_t> newest;
    for (uint32_t i = kCount - options.maxWaiting; i < kCount; ++i) {
        newest.push_back(i);
    }
    EXPECT_EQ(target.ReceiveAll(50), newest);
    EXPECT_EQ(relay.Counts().overflowed, kCount - options.maxWaiting);

    // Cut with datagrams on the line: neither they nor later ones get through.
    ASSERT_TRUE(client.Send(relay.Port(), 100));
    ASSERT_TRUE(RelaySaw(relay, kCount + 1));
    relay.Cut();
    ASSERT_TRUE(client.Send(relay.Port(), 101));
    ASSERT_TRUE(target.Send(relay.Port(), 102));
    ASSERT_TRUE(RunFramesUntil([&] { return relay.Counts().cut == 3; }));
    uint32_t number = 0;
    EXPECT_FALSE(target.Receive(number, 0));
    EXPECT_FALSE(client.Receive(number, 0));
    EXPECT_EQ(relay.Counts().forwarded, options.maxWaiting);

    // Stop ends the thread promptly, and a second Stop is harmless.
    relay.Stop();
    relay.Stop();
}
