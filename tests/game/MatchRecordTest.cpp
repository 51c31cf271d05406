// The record of a match: kept as the match screen plays it, it plays again to the same
// end (the simulator's check), it stays small, and a damaged or altered record is caught.
#include "game/MatchRecord.h"

#include "resources/Crc32.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace {

struct KeptMatch {
    MatchRecord record;
    MatchOutcome outcome;     // how the match stood when it was kept
    uint32_t fixedSteps = 0;
};

// The computer against the computer, stepped as the match screen steps a match against the
// computer: through CMatchSides with a recorder between the sides and the match, the fields
// swept behind a round's panel, until the match is over or fixedSteps have passed (left).
KeptMatch PlayAndKeep(uint32_t seed, const VersusRules& rules, uint32_t fixedSteps) {
    CVersusMatch match;
    match.Start(rules, seed);
    CBotMatchSide first(EBotStrength::Hard, seed ^ 0x51u);
    CBotMatchSide second(EBotStrength::Easy, seed ^ 0x77u);
    CMatchSides sides;
    sides.Set(0, &first);
    sides.Set(1, &second);
    CMatchRecorder recorder;
    recorder.Begin(match, sides);
    recorder.Record().mode = EMatchMode::Computer;
    KeptMatch kept;
    for (; kept.fixedSteps < fixedSteps && match.Phase() != EVersusPhase::MatchOver; ++kept.fixedSteps) {
        if (match.Phase() != EVersusPhase::Playing) {
            match.SweepFields();
        }
        sides.Step(match);
    }
    kept.record = recorder.Finish();
    kept.outcome = kept.record.outcome;
    return kept;
}

VersusRules QuickRules() {
    VersusRules rules;
    rules.roundsToWin = 2;
    rules.roundSeconds = 60.0f;
    return rules;
}

Bytes Encoded(const MatchRecord& record) {
    Bytes bytes;
    EncodeMatchRecord(record, bytes);
    return bytes;
}

TEST(MatchRecord, AKeptMatchPlaysAgainToTheSameEndAndStaysSmall) {
    struct Case {
        const char* what;
        uint32_t seed;
        uint32_t fixedSteps;
        bool finished;
    };
    const Case cases[] = {
        {"played to its end", 5, 150u * 60u * 8u, true},
        {"left after twenty seconds", 9, 150u * 20u, false},
    };
    for (const Case& c : cases) {
        const auto began = std::chrono::steady_clock::now();
        const KeptMatch kept = PlayAndKeep(c.seed, QuickRules(), c.fixedSteps);
        EXPECT_EQ(kept.outcome.finished, c.finished) << c.what;
        EXPECT_TRUE(kept.record.hasOutcome) << c.what;

        MatchRecord read;
        std::string why;
        const Bytes bytes = Encoded(kept.record);
        ASSERT_TRUE(DecodeMatchRecord(bytes, read, why)) << c.what << ": " << why;
        EXPECT_EQ(read.outcome, kept.outcome) << c.what;
        const MatchRecordVerdict verdict = VerifyMatchRecord(read);
        EXPECT_TRUE(verdict.agrees) << c.what << ": " << verdict.why;
        EXPECT_EQ(verdict.played, kept.outcome) << c.what;
        EXPECT_GT(kept.outcome.checkedSteps[0], 0u) << c.what << ": a checksum was kept and compared";

        // Under 4 KB for each minute the match ran.
        const double minutes = static_cast<double>(kept.fixedSteps) / (150.0 * 60.0);
        const double perMinute = static_cast<double>(bytes.size()) / minutes;
        std::printf("%s: %u steps (%.2f min), %zu bytes, %.0f bytes a minute, played in %.1f s\n", c.what,
                    kept.fixedSteps, minutes, bytes.size(), perMinute,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        EXPECT_LT(perMinute, 4096.0) << c.what;
    }
}

TEST(MatchRecord, AStepOrAResultThatDiffersIsCaught) {
    const KeptMatch kept = PlayAndKeep(5, QuickRules(), 150u * 30u);
    ASSERT_TRUE(VerifyMatchRecord(kept.record).agrees);

    // The first shot of the first side aimed elsewhere.
    MatchRecord altered = kept.record;
    bool changed = false;
    for (ReplayRun& run : altered.sides[0].runs) {
        if (run.step.Has(ReplayInput::Fire)) {
            run.step.aimX = run.step.aimX < 320.0f ? 600.0f : 40.0f;
            changed = true;
            break;
        }
    }
    ASSERT_TRUE(changed);
    MatchRecordVerdict verdict = VerifyMatchRecord(altered);
    EXPECT_FALSE(verdict.agrees);
    EXPECT_FALSE(verdict.why.empty());

    // The steps as played, but a result the record never reached.
    MatchRecord wrongEnd = kept.record;
    ++wrongEnd.outcome.roundsWon[1];
    verdict = VerifyMatchRecord(wrongEnd);
    EXPECT_FALSE(verdict.agrees);
    EXPECT_NE(verdict.why.find("round"), std::string::npos) << verdict.why;
}

// Sets the CRC at the end again after bytes were changed on purpose.
void Reseal(Bytes& bytes) {
    const uint32_t crc = Crc32(bytes.data(), bytes.size() - 4);
    for (int i = 0; i < 4; ++i) {
        bytes[bytes.size() - 4 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
    }
}

TEST(MatchRecord, DamagedRecordsAreRefused) {
    MatchRecord record;
    record.mode = EMatchMode::TwoPlayers;
    record.date = 1700000000u;
    record.sides[0].name = "Ann";
    record.sides[1].kind = EMatchSideKind::Computer;
    record.sides[1].strength = 2;
    record.sides[0].runs.push_back(ReplayRun{ReplayStep(), 30});
    record.sides[0].runs.push_back(
        ReplayRun{{100.5f, 64.0f, static_cast<uint16_t>(ReplayInput::Moved | ReplayInput::Fire)}, 1});
    record.sides[1].runs.push_back(ReplayRun{{320.0f, 200.0f, ReplayInput::Dismiss}, 12});
    const Bytes good = Encoded(record);
    MatchRecord back;
    std::string why;
    ASSERT_TRUE(DecodeMatchRecord(good, back, why)) << why;
    EXPECT_EQ(back.mode, EMatchMode::TwoPlayers);
    EXPECT_EQ(back.date, 1700000000u);
    EXPECT_EQ(back.sides[0].name, "Ann");
    EXPECT_EQ(back.sides[1].kind, EMatchSideKind::Computer);
    EXPECT_EQ(back.sides[1].strength, 2);
    EXPECT_EQ(back.SideSteps(0), 31u);
    EXPECT_EQ(back.SideSteps(1), 12u);
    EXPECT_EQ(Encoded(back), good) << "read and written again, the same bytes";

    constexpr size_t kMode = 8;
    constexpr size_t kOwnSide = kMode + 1 + 8 + 2 + 4;
    constexpr size_t kFirstName = kOwnSide + 1 + 4 + 4 + 2;
    struct Case {
        const char* what;
        Bytes bytes;
        const char* why;
    };
    auto changed = [&](size_t at, uint8_t value, bool reseal) {
        Bytes bytes = good;
        bytes[at] = value;
        if (reseal) {
            Reseal(bytes);
        }
        return bytes;
    };
    Bytes unterminated = good;
    for (size_t i = 0; i < kMatchNameBytes; ++i) {
        unterminated[kFirstName + i] = 'A';
    }
    Reseal(unterminated);
    const Case cases[] = {
        {"a byte flipped", changed(20, good[20] ^ 0x40, false), "CRC"},
        {"cut short", Bytes(good.begin(), good.end() - 9), "CRC"},
        {"empty", Bytes(), "not a match record"},
        {"a future version", changed(4, 3, true), "newer"},
        {"an unknown mode", changed(kMode, 9, true), "out of range"},
        {"an own side past the second", changed(kOwnSide, 2, true), "out of range"},
        {"a name that does not end", unterminated, "out of range"},
    };
    for (const Case& c : cases) {
        why.clear();
        EXPECT_FALSE(DecodeMatchRecord(c.bytes, back, why)) << c.what;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.what << ": " << why;
    }
}

// A match the program itself kept (tests/fixtures/matches): it reads, writes back to the
// same bytes and plays to its end; with another seed it reads but plays otherwise.
TEST(MatchRecord, AMatchTheProgramKeptPlaysAgainAndAnotherSeedDoesNot) {
    const std::string folder = std::string(PELLORA_SOURCE_DIR) + "/tests/fixtures/matches/";
    const Bytes kept = ReadFileBytes(folder + "left-against-the-computer.rec");
    MatchRecord record;
    std::string why;
    ASSERT_TRUE(DecodeMatchRecord(kept, record, why)) << why;
    EXPECT_EQ(Encoded(record), kept);
    EXPECT_EQ(record.mode, EMatchMode::Computer);
    EXPECT_EQ(record.sides[1].kind, EMatchSideKind::Computer);
    EXPECT_FALSE(record.outcome.finished);
    const MatchRecordVerdict verdict = VerifyMatchRecord(record);
    EXPECT_TRUE(verdict.agrees) << verdict.why;
    EXPECT_EQ(verdict.played, record.outcome);

    MatchRecord other;
    ASSERT_TRUE(DecodeMatchRecord(ReadFileBytes(folder + "another-seed.rec"), other, why)) << why;
    EXPECT_NE(other.seed, record.seed);
    EXPECT_FALSE(VerifyMatchRecord(other).agrees);
}

}  // namespace
