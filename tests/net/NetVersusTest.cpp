// Two programs' matches over loopback, each side played by a bot, stepped as fast as the
// lockstep lets them. Every wait is bounded by a number of loops, never by time.
#include "net/NetVersus.h"

#include "tests/net/BotMatchProgram.h"
#include "tests/net/LossyRelay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace {

using Program = BotMatchProgram;

NetSessionOptions Options(const char* name, uint32_t seed) {
    NetSessionOptions options;
    options.name = name;
    options.settings.roundsToWin = 2;
    options.settings.maxRounds = 5;
    options.settings.roundSeconds = 40;   // a round never runs longer
    options.seed = seed;
    return options;
}

bool FramesUntil(Program& a, Program& b, const std::function<bool()>& done, int limit) {
    for (int i = 0; i < limit; ++i) {
        a.Frame();
        b.Frame();
        if (done()) {
            return true;
        }
        if (i % 64 == 0) {
            std::this_thread::yield();
        }
    }
    return false;
}

class NetVersusTest : public ::testing::Test {
protected:
    // The joiner reaches the host directly, or over a line of the test's own.
    void Connect(uint32_t seed, const LossyRelayOptions* line = nullptr) {
        host.session = std::make_unique<CNetSession>(Options("Host", seed));
        joiner.session = std::make_unique<CNetSession>(Options("Joiner", 0));
        ASSERT_TRUE(host.session->Host(0));
        uint16_t port = host.session->Port();
        if (line != nullptr) {
            LossyRelayOptions options = *line;
            options.targetPort = port;
            relay = std::make_unique<CLossyRelay>(options);
            ASSERT_TRUE(relay->Start());
            port = relay->Port();
        }
        ASSERT_TRUE(joiner.session->Join("127.0.0.1", port));
        for (int i = 0; i < 5000 && !(IsPlaying(host) && IsPlaying(joiner)); ++i) {
            host.session->Service();
            joiner.session->Service();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(IsPlaying(host) && IsPlaying(joiner));
        host.net.Start(*host.session, host.match);
        joiner.net.Start(*joiner.session, joiner.match);
        host.bot.Configure(EBotStrength::Hard, seed);
        joiner.bot.Configure(EBotStrength::Normal, seed + 1);
    }

    static bool IsPlaying(const Program& program) { return program.session->State() == ENetSessionState::Playing; }
    bool BothEnded() const { return !host.net.IsRunning() && !joiner.net.IsRunning(); }

    Program host;
    Program joiner;
    std::unique_ptr<CLossyRelay> relay;
};

// The number of steps in a side's runs.
uint32_t StepCount(const std::vector<ReplayRun>& runs) {
    uint32_t steps = 0;
    for (const ReplayRun& run : runs) {
        steps += run.count;
    }
    return steps;
}

TEST_F(NetVersusTest, BothProgramsPlayTheSameMatchToItsEnd) {
    Connect(31337);
    ASSERT_TRUE(FramesUntil(host, joiner, [&] { return host.match.Phase() == EVersusPhase::MatchOver &&
                                                      joiner.match.Phase() == EVersusPhase::MatchOver; },
                            400000));
    EXPECT_EQ(host.net.OwnSide(), 0);
    EXPECT_EQ(joiner.net.OwnSide(), 1);
    EXPECT_TRUE(host.net.IsRunning()) << host.net.Why();
    EXPECT_TRUE(joiner.net.IsRunning()) << joiner.net.Why();
    // The same rounds, the same winner, on both.
    EXPECT_NE(host.match.MatchWinner(), -1);
    EXPECT_EQ(host.match.MatchWinner(), joiner.match.MatchWinner());
    EXPECT_EQ(host.match.RoundNumber(), joiner.match.RoundNumber());
    for (int32_t side = 0; side < kVersusSides; ++side) {
        EXPECT_EQ(host.match.RoundsWon(side), joiner.match.RoundsWon(side)) << side;
    }
    EXPECT_GE(host.match.RoundNumber(), 2);
    // Every second of each side was compared, and the attacks were checked, on both.
    for (const Program* program : {&host, &joiner}) {
        const uint32_t opponentSteps = StepCount(program->net.Record().sides[program->net.OpponentSide()]);
        EXPECT_GE(program->net.ChecksumsAgreed(), opponentSteps / kNetCheckSteps - 1);
        EXPECT_GT(program->net.AttacksAgreed(), 0u);
    }
    // Leaving after the end is no fault on either side.
    host.net.Leave();
    ASSERT_TRUE(FramesUntil(host, joiner, [&] { return BothEnded(); }, 20000));
    EXPECT_EQ(host.net.End(), ENetVersusEnd::MatchOver);
    EXPECT_EQ(joiner.net.End(), ENetVersusEnd::MatchOver);

    // The record of either program plays the same match again, headless, from a file.
    std::vector<uint8_t> bytes;
    EncodeMatchRecord(joiner.net.Record(), bytes);
    NetMatchRecord record;
    std::string why;
    ASSERT_TRUE(DecodeMatchRecord(bytes, record, why)) << why;
    CVersusMatch again;
    PlayMatchRecord(record, again);
    EXPECT_EQ(again.Phase(), EVersusPhase::MatchOver);
    EXPECT_EQ(again.MatchWinner(), host.match.MatchWinner());
    EXPECT_EQ(again.RoundsWon(0), host.match.RoundsWon(0));
}

TEST_F(NetVersusTest, AFieldThatDiffersEndsTheMatchOutOfStepOnBothSides) {
    Connect(7);
    // A few seconds of play, then one ball of the host's field changes in the joiner's copy.
    ASSERT_TRUE(FramesUntil(host, joiner, [&] { return joiner.net.ChecksumsAgreed() >= 2; }, 100000));
    CBoard& copy = joiner.match.Field(0).Board();
    bool changed = false;
    for (int32_t column = 0; column < copy.RowLength(0) && !changed; ++column) {
        const int32_t colour = copy.CellAt(column, 0).colour;
        if (BallColour::IsOrdinary(colour)) {
            copy.SetCell(colour == 0 ? 1 : 0, 0, column, 0);
            changed = true;
        }
    }
    ASSERT_TRUE(changed);
    ASSERT_TRUE(FramesUntil(host, joiner, [&] { return BothEnded(); }, 100000));
    EXPECT_EQ(joiner.net.End(), ENetVersusEnd::OutOfStep);
    EXPECT_NE(joiner.net.Why().find("checksum"), std::string::npos) << joiner.net.Why();
    EXPECT_EQ(host.net.End(), ENetVersusEnd::OutOfStep);
    // Both sides' steps are kept for the report.
    for (const std::vector<ReplayRun>& runs : joiner.net.Record().sides) {
        EXPECT_GT(StepCount(runs), kNetCheckSteps);
    }
}

TEST_F(NetVersusTest, APlayerWhoLeavesEndsTheMatchForTheOther) {
    Connect(99);
    ASSERT_TRUE(FramesUntil(host, joiner, [&] { return host.net.ChecksumsAgreed() >= 1; }, 100000));
    joiner.net.Leave();
    EXPECT_EQ(joiner.net.End(), ENetVersusEnd::OpponentLeft);
    ASSERT_TRUE(FramesUntil(host, joiner, [&] { return !host.net.IsRunning(); }, 100000));
    EXPECT_EQ(host.net.End(), ENetVersusEnd::OpponentLeft);
    // Every step the joiner sent before it went was played.
    EXPECT_EQ(StepCount(host.net.Record().sides[1]), StepCount(joiner.net.Record().sides[1]));
}

// A program that sends what no honest match sends: the host ends the match out of step.
TEST_F(NetVersusTest, StepsOrAttacksThatDoNotFitTheMatchEndItOutOfStep) {
    struct Case {
        const char* name;
        uint16_t input;        // the bits of the joiner's first steps
        bool attack;           // an attack message its steps never sent
        const char* why;       // in the host's reason
    };
    const Case cases[] = {
        {"ready for the next round while the round is played", ReplayInput::Dismiss, false, "ready"},
        {"an attack its steps did not send", 0, true, "attack"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        // Each case a new pair of sessions; the matches start again with them.
        joiner.session.reset();
        host.session.reset();
        Connect(5);
        ReplayStep steps[20];
        for (ReplayStep& step : steps) {
            step.input = test.input;
        }
        if (test.attack) {
            ASSERT_TRUE(joiner.session->SendAttack(NetAttack{3, 2}));
        }
        ASSERT_TRUE(joiner.session->SendInputs(0, steps, 20));
        for (int i = 0; i < 20000 && host.net.IsRunning(); ++i) {
            joiner.session->Service();
            host.Frame();
        }
        EXPECT_EQ(host.net.End(), ENetVersusEnd::OutOfStep);
        EXPECT_NE(host.net.Why().find(test.why), std::string::npos) << host.net.Why();
    }
}

// A match over a line 100 ms long each way that loses 5 % of its datagrams, at the pace of
// real play: each program plays its own side when its step is due, without waiting for
// the other, and plays the other side as its steps arrive. How often a side had to wait,
// and how far behind the other side was played, are printed.
TEST_F(NetVersusTest, ABadLineStillPlaysSmoothly) {
    LossyRelayOptions line;
    line.delayMs = 100;
    line.loss = 0.05;
    line.seed = 2026;
    Connect(77, &line);
    constexpr uint32_t kPlaySteps = 12 * 150;   // twelve seconds of play
    // Each program's fixed steps, as its frame loop runs them: its own side plays when it
    // may (a step it may not is lost to waiting, as on the screen), the other side as due.
    uint32_t ticks[2] = {};
    uint32_t waited[2] = {};
    int32_t worstLag[2] = {};
    Program* const programs[2] = {&host, &joiner};
    const auto start = std::chrono::steady_clock::now();
    // Bounded by loops: at one loop a millisecond, a generous multiple of the play time.
    for (int loop = 0; loop < 60000 && (ticks[0] < kPlaySteps || ticks[1] < kPlaySteps); ++loop) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const uint32_t due = std::min<uint32_t>(
            kPlaySteps, static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() * 150 / 1000));
        for (int32_t index = 0; index < 2; ++index) {
            Program& program = *programs[index];
            const int32_t own = program.net.OwnSide();
            program.net.Service();
            for (; ticks[index] < due; ++ticks[index]) {
                if (!program.StepSides()) {
                    ++waited[index];
                }
                const int32_t lag = program.match.SideSteps(own) - program.match.SideSteps(1 - own);
                worstLag[index] = std::max(worstLag[index], lag);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int32_t index = 0; index < 2; ++index) {
        const Program& program = *programs[index];
        std::printf("program %d: waited %u of %u steps, the other side at most %d steps behind, %u checksums agreed\n",
                    index, waited[index], ticks[index], worstLag[index], program.net.ChecksumsAgreed());
        ASSERT_EQ(ticks[index], kPlaySteps);
        EXPECT_TRUE(program.net.IsRunning()) << program.net.Why();
        EXPECT_GE(program.net.ChecksumsAgreed(), 8u);
        // Smooth: a side waits only when a datagram is lost again and again in a row.
        EXPECT_LT(waited[index], kPlaySteps / 20);
    }
    const LossyRelayCounts counts = relay->Counts();
    EXPECT_GT(counts.lost, 0u);
    std::printf("the line lost %llu of %llu datagrams\n", static_cast<unsigned long long>(counts.lost),
                static_cast<unsigned long long>(counts.received));
}

TEST(NetMatchRecordTest, DamagedRecordsAreRefused) {
    NetMatchRecord record;
    record.sides[0].push_back(ReplayRun{ReplayStep(), 30});
    record.sides[1].push_back(ReplayRun{ReplayStep(), 12});
    std::vector<uint8_t> good;
    EncodeMatchRecord(record, good);
    NetMatchRecord back;
    std::string why;
    ASSERT_TRUE(DecodeMatchRecord(good, back, why)) << why;
    EXPECT_EQ(back.sides[0][0].count, 30u);
    EXPECT_EQ(back.sides[1][0].count, 12u);

    std::vector<uint8_t> flipped = good;
    flipped[20] ^= 0x40;
    std::vector<uint8_t> cut(good.begin(), good.end() - 9);
    std::vector<uint8_t> empty;
    for (const std::vector<uint8_t>* bytes : {&flipped, &cut, &empty}) {
        EXPECT_FALSE(DecodeMatchRecord(*bytes, back, why));
        EXPECT_FALSE(why.empty());
    }
}

}  // namespace
