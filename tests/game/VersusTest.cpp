// Versus rules: the attack table, where attack balls land, that they land only between the
// receiver's turns, how rounds end and how best of three ends a match; the computer's
// strengths and its determinism.
#include "game/BotPlayer.h"
#include "game/MatchSide.h"
#include "game/VersusMatch.h"
#include "tests/game/GameFixtures.h"

#include <algorithm>
#include <cmath>

namespace {

// Starts a round of match on the field given by its first rows.
void StartRoundOnRows(CVersusMatch& match, const std::vector<const char*>& rows) {
    BoardGrid grid;
    std::string error;
    ASSERT_TRUE(ParseLevelText(LevelTextFromRows(rows), grid, error)) << error;
    match.StartRoundOn(grid);
}

bool LowestRowEmpty(const CBoard& board) {
    return !board.RowHoldsBall(board.BottomRow());
}

TEST(VersusAttack, CountsBallsPastThreeUpToTheLimit) {
    struct Case {
        int32_t removed;
        int32_t dropped;
        int32_t attack;
    };
    const Case cases[] = {
        {0, 0, 0}, {3, 0, 0}, {2, 1, 0}, {3, 1, 1}, {4, 0, 1}, {3, 2, 2},
        {5, 2, 4}, {3, 8, 8}, {6, 5, 8}, {20, 40, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AttackBalls(c.removed + c.dropped), c.attack) << c.removed << " removed, " << c.dropped << " dropped";
    }
}

TEST(VersusAttack, LandsInTheHighestFreeRowAndKeepsEveryBallHeld) {
    struct Case {
        const char* what;
        std::vector<const char*> rows;
        int32_t balls;
        int32_t expectedLanded;
        int32_t expectedRow;   // the row every landed ball must be in (-1: any)
    };
    const Case cases[] = {
        {"gaps in the top row are filled first", {"33.33..333", " 444444444"}, 3, 3, 0},
        {"a full top row: right below the balls", {"3333333333"}, 4, 4, 1},
        {"under a hanging stem only", {"3.........", " 4........", "5.........", " ........."}, 2, 2, -1},
        {"more balls than free cells above the lowest row", {"3333333333", " 444444444", "5555555555", " 33333333.",
                                                              "4444444444", " 555555555", "3333333333", " 444444444",
                                                              "5555555555", " 333333333", "4444444444", " 555555555"},
         5, 1, 3},
    };
    for (const Case& c : cases) {
        CBoard board;
        FillBoard(board, c.rows);
        CBoard before;
        before.CopyFieldFrom(board);
        CRandom random(17);
        EXPECT_EQ(LandAttackBalls(board, c.balls, random), c.expectedLanded) << c.what;
        EXPECT_EQ(board.BallCount(), before.BallCount() + c.expectedLanded) << c.what;
        EXPECT_TRUE(AllBallsHeld(board)) << c.what << "\n" << BoardText(board);
        EXPECT_TRUE(LowestRowEmpty(board)) << c.what;
        for (int32_t row = 0; row < kBoardRows; ++row) {
            for (int32_t column = 0; column < board.RowLength(row); ++column) {
                const BallCell& now = board.CellAt(column, row);
                const BallCell& was = before.CellAt(column, row);
                if (was.IsEmpty() && !now.IsEmpty()) {
                    EXPECT_TRUE(c.expectedRow < 0 || row == c.expectedRow) << c.what << ": a ball in row " << row;
                    EXPECT_TRUE(now.colour >= 3 && now.colour <= 5) << c.what << ": colour " << now.colour;
                } else {
                    EXPECT_TRUE(now == was) << c.what << ": cell (" << column << ", " << row << ") changed";
                }
            }
        }
    }
}

TEST(VersusAttack, NeverLandsInTheLowestRowOfAFieldThatMovedDown) {
    CBoard board;
    FillBoard(board, {"3.........", " 4........", "5.........", " 3........", "4.........", " 5........",
                      "3.........", " 4........", "5.........", " 3........"});
    board.RaiseBottomRow();
    board.RaiseBottomRow();   // rows 10 and below are gone: the lowest row is 10
    CRandom random(3);
    LandAttackBalls(board, 60, random);
    EXPECT_FALSE(board.RowHoldsBall(10));
    EXPECT_TRUE(board.RowHoldsBall(9));
    EXPECT_TRUE(AllBallsHeld(board));
}

TEST(VersusAttack, AllBallsHeldSeesALooseBall) {
    CBoard board;
    FillBoard(board, {"33........", " .........", "....4....."});
    EXPECT_FALSE(AllBallsHeld(board));
    FillBoard(board, {"33........", " 3........", ".4........"});
    EXPECT_TRUE(AllBallsHeld(board));
}

// The aim (mouse position) whose shot rests in cell, found with the game's own flight.
bool AimAt(const CBoard& board, const CellPos& cell, float& mouseX, float& mouseY) {
    for (float degrees = -80.0f; degrees <= 80.0f; degrees += 0.25f) {
        const CBot::Landing landing = CBot::Fly(board, degrees, true);
        if (landing.found && landing.cell == cell) {
            mouseX = landing.mouseX;
            mouseY = landing.mouseY;
            return true;
        }
    }
    return false;
}

PlayInput FireAt(float mouseX, float mouseY) {
    PlayInput input;
    input.mouseX = mouseX;
    input.mouseY = mouseY;
    input.mouseMoved = true;
    input.fireHit = true;
    return input;
}

// A pair of 1s under a wall of 3s, and two 2s hanging from the pair only: a 1 shot into
// the pocket at (2, 1) takes three 1s off and cuts two 2s loose, five balls in all.
const std::vector<const char*> kPocket = {"3333333333", " 11.......", "22........"};

TEST(VersusMatch, AnAttackWaitsForTheReceiversTurnToEnd) {
    CVersusMatch match;
    VersusRules rules;
    match.Start(rules, 5);
    StartRoundOnRows(match, kPocket);
    match.Field(0).SetBalls({1, 0}, {3, 0});
    match.Field(1).SetBalls({4, 0}, {4, 0});
    float pocketX = 0.0f, pocketY = 0.0f;
    ASSERT_TRUE(AimAt(match.Field(0).Board(), CellPos{2, 1}, pocketX, pocketY));
    // The receiver fires a ball that sticks to its wall without taking anything off.
    float wallX = 0.0f, wallY = 0.0f;
    ASSERT_TRUE(AimAt(match.Field(1).Board(), CellPos{8, 1}, wallX, wallY));

    const PlayInput idle;
    PlayInput inputs[kVersusSides] = {FireAt(pocketX, pocketY), idle};
    match.Step(inputs);
    inputs[0] = idle;
    int32_t steps = 0;
    // The ball in hand is ready again once the shot has flown, landed and settled.
    auto turnRuns = [&match](int32_t side) { return match.Field(side).IsFlying() || !match.Field(side).IsReady(); };
    for (; steps < 3000 && turnRuns(0); ++steps) {
        match.Step(inputs);
    }
    ASSERT_FALSE(turnRuns(0));
    EXPECT_EQ(match.Incoming(1), 2);
    EXPECT_EQ(match.Round().sides[0].ballsSent, 0) << "the round's counts are filled at its end";

    const int32_t ballsBefore = match.Field(1).Board().BallCount();
    inputs[1] = FireAt(wallX, wallY);
    match.Step(inputs);
    inputs[1] = idle;
    ASSERT_TRUE(match.Field(1).IsFlying());
    // Long past the waiting time, but the receiver's turn is still running: nothing lands.
    bool sawTurnRunning = false;
    while (turnRuns(1)) {
        sawTurnRunning = true;
        EXPECT_EQ(match.Incoming(1), 2);
        EXPECT_EQ(match.Field(1).Board().BallCount(), ballsBefore + (match.Field(1).IsFlying() ? 0 : 1));
        match.Step(inputs);
        ASSERT_LT(++steps, 6000);
    }
    EXPECT_TRUE(sawTurnRunning);
    // Its turn is over: the balls land at once, held, above the lowest row.
    for (int32_t wait = 0; wait < 300 && match.Incoming(1) > 0; ++wait) {
        match.Step(inputs);
    }
    EXPECT_EQ(match.Incoming(1), 0);
    EXPECT_EQ(match.Field(1).Board().BallCount(), ballsBefore + 1 + 2);
    EXPECT_TRUE(AllBallsHeld(match.Field(1).Board()));
    EXPECT_TRUE(LowestRowEmpty(match.Field(1).Board()));
    EXPECT_EQ(match.Incoming(0), 0) << "a shot that takes nothing off sends nothing";
}

TEST(VersusMatch, AnAttackArrivingDuringAShotWaitsAtLeastItsTime) {
    CVersusMatch match;
    VersusRules rules;
    rules.incomingSeconds = 2.0f;
    match.Start(rules, 5);
    StartRoundOnRows(match, kPocket);
    match.Field(0).SetBalls({1, 0}, {3, 0});
    float pocketX = 0.0f, pocketY = 0.0f;
    ASSERT_TRUE(AimAt(match.Field(0).Board(), CellPos{2, 1}, pocketX, pocketY));
    const PlayInput idle;
    PlayInput inputs[kVersusSides] = {FireAt(pocketX, pocketY), idle};
    match.Step(inputs);
    inputs[0] = idle;
    while (match.Incoming(1) == 0) {
        match.Step(inputs);
    }
    // The receiver waits with its ball in hand: the attack is shown for two seconds first.
    const int32_t ballsBefore = match.Field(1).Board().BallCount();
    int32_t shownSteps = 0;
    while (match.Incoming(1) > 0 && shownSteps < 1000) {
        EXPECT_EQ(match.Field(1).Board().BallCount(), ballsBefore);
        match.Step(inputs);
        ++shownSteps;
    }
    EXPECT_GE(shownSteps, 299);
    EXPECT_LE(shownSteps, 301);
    EXPECT_EQ(match.Field(1).Board().BallCount(), ballsBefore + 2);
}

// The events of one field, in order.
class CFieldSounds final : public IGameSoundSink {
public:
    void Play(EGameSound sound) override { played.push_back(sound); }
    std::vector<EGameSound> played;
};

int32_t CountOf(const std::vector<EGameSound>& played, EGameSound sound) {
    return static_cast<int32_t>(std::count(played.begin(), played.end(), sound));
}

// Both sides fire the same shot into the pocket and play until their turns are over.
void FireBothIntoThePocket(CVersusMatch& match) {
    StartRoundOnRows(match, kPocket);
    float pocketX = 0.0f, pocketY = 0.0f;
    ASSERT_TRUE(AimAt(match.Field(0).Board(), CellPos{2, 1}, pocketX, pocketY));
    for (int32_t side = 0; side < kVersusSides; ++side) {
        match.Field(side).SetBalls({1, 0}, {3, 0});
    }
    PlayInput inputs[kVersusSides] = {FireAt(pocketX, pocketY), FireAt(pocketX, pocketY)};
    match.Step(inputs);
    inputs[0] = inputs[1] = PlayInput();
    auto turnRuns = [&match](int32_t side) { return match.Field(side).IsFlying() || !match.Field(side).IsReady(); };
    for (int32_t step = 0; step < 3000 && (turnRuns(0) || turnRuns(1)); ++step) {
        match.Step(inputs);
    }
    ASSERT_EQ(match.Field(0).Progress().shotsFired, 1);
    ASSERT_EQ(match.Field(1).Progress().shotsFired, 1);
}

// Each field plays its events, its board's among them, into a sink of its own: the
// player's into the installed handler, the computer's into silence or wherever it is told.
TEST(VersusMatch, EachFieldPlaysItsSoundsIntoItsOwnSink) {
    CSoundRecorder heard;
    CFieldSounds own;
    CVersusMatch match;
    match.Start(VersusRules(), 5);
    match.Field(1).SetSoundSink(own);
    FireBothIntoThePocket(match);
    EXPECT_EQ(CountOf(heard.Played(), EGameSound::FireBall), 1);
    EXPECT_GE(CountOf(heard.Played(), EGameSound::BallRemove), 1) << "the board's events follow its field";
    EXPECT_EQ(own.played, heard.Played()) << "the same shot sounds the same in either sink";

    // A silent field adds nothing to what is heard.
    const std::vector<EGameSound> oneField = heard.Played();
    CSoundRecorder again;
    CVersusMatch quiet;
    quiet.Start(VersusRules(), 5);
    quiet.Field(1).SetSoundSink(SilentSounds());
    FireBothIntoThePocket(quiet);
    EXPECT_EQ(again.Played(), oneField);
}

// How far a side may run ahead of the other: as far as attacks travel, so that every attack
// that could land on its next step has been sent. Without travel (one program) the sides
// step in turn, the first side first.
TEST(VersusMatch, ASideRunsAheadOfTheOtherAsFarAsAttacksTravel) {
    struct Case {
        int32_t travel;
        int32_t firstAhead;    // steps side 0 may take while side 1 takes none
        int32_t secondAhead;   // and the other way round
    };
    const Case cases[] = {{0, 1, 0}, {1, 1, 1}, {5, 5, 5}, {300, 300, 300}};
    for (const Case& c : cases) {
        for (int32_t runner = 0; runner < kVersusSides; ++runner) {
            CVersusMatch match;
            VersusRules rules;
            rules.attackTravelSteps = c.travel;
            match.Start(rules, 3);
            const PlayInput idle;
            int32_t ahead = 0;
            while (ahead < 1000 && match.CanStepSide(runner)) {
                match.StepSide(runner, idle);
                ++ahead;
            }
            EXPECT_EQ(ahead, runner == 0 ? c.firstAhead : c.secondAhead) << "travel " << c.travel << ", side " << runner;
            // One step of the other lets it take one more.
            if (match.CanStepSide(1 - runner)) {
                match.StepSide(1 - runner, idle);
                EXPECT_TRUE(match.CanStepSide(runner)) << "travel " << c.travel << ", side " << runner;
            }
        }
    }
}

// Two programs each play one side as far ahead as it may: an attack of the other side lands
// in the waiting balls on the target's step that sent it plus the travel, never later.
TEST(VersusMatch, AnAttackArrivesOnTheStepItsTravelEnds) {
    for (const int32_t travel : {1, 7, 300}) {
        CVersusMatch match;
        VersusRules rules;
        rules.attackTravelSteps = travel;
        match.Start(rules, 5);
        StartRoundOnRows(match, kPocket);
        match.Field(1).SetBalls({1, 0}, {3, 0});
        float pocketX = 0.0f, pocketY = 0.0f;
        ASSERT_TRUE(AimAt(match.Field(1).Board(), CellPos{2, 1}, pocketX, pocketY));
        const PlayInput idle;
        PlayInput shot = FireAt(pocketX, pocketY);
        int32_t sentOn = -1;
        int32_t arrivedOn = -1;
        for (int32_t loop = 0; loop < 6000 && arrivedOn < 0; ++loop) {
            // The target runs as far ahead as it may, then the sender takes one step.
            while (match.CanStepSide(0) && arrivedOn < 0) {
                match.StepSide(0, idle);
                // Balls that waited long enough land in the step they arrive.
                if (match.Incoming(0) > 0 || match.SideCounts(0).ballsLanded > 0) {
                    arrivedOn = match.SideSteps(0);
                }
            }
            if (!match.CanStepSide(1)) {
                break;
            }
            match.StepSide(1, shot);
            shot = idle;
            if (sentOn < 0 && match.SideCounts(1).ballsSent > 0) {
                sentOn = match.SideSteps(1);
            }
        }
        ASSERT_GT(sentOn, 0) << "travel " << travel;
        EXPECT_EQ(arrivedOn, sentOn + travel) << "travel " << travel;
        EXPECT_EQ(match.Incoming(0) + match.SideCounts(0).ballsLanded, 2) << "travel " << travel;
    }
}

// At the time limit the side with fewer balls wins the round, at the limit's very step.
TEST(VersusMatch, TheTimeLimitGoesToTheSideWithFewerBalls) {
    struct Case {
        const char* what;
        int32_t fewer;    // the side missing a ball, -1 for neither
        int32_t winner;
    };
    const Case cases[] = {
        {"the first side has fewer balls", 0, 0},
        {"the second side has fewer balls", 1, 1},
        {"equal fields: a draw", -1, -1},
    };
    for (const Case& c : cases) {
        CVersusMatch match;
        VersusRules rules;
        rules.roundSeconds = 2.0f;
        match.Start(rules, 7);
        StartRoundOnRows(match, {"3333333333", " 444444444", "55........"});
        if (c.fewer >= 0) {
            match.Field(c.fewer).Board().SetCell(BallColour::Empty, 0, 1, 2);
        }
        const PlayInput inputs[kVersusSides];
        int32_t steps = 0;
        while (steps < 1000 && match.Phase() == EVersusPhase::Playing) {
            match.Step(inputs);
            ++steps;
        }
        EXPECT_EQ(steps, 300) << c.what << ": two seconds of steps";
        EXPECT_EQ(match.Round().steps, 300) << c.what;
        EXPECT_EQ(match.Round().end, ERoundEnd::TimeUp) << c.what;
        EXPECT_EQ(match.Round().winner, c.winner) << c.what;
    }
}

enum class EHappens { Nothing, Loses, Clears };

void Make(CVersusMatch& match, int32_t side, EHappens what) {
    if (what == EHappens::Loses) {
        match.Field(side).LoseLife();
    } else if (what == EHappens::Clears) {
        match.Field(side).Board().ClearGrids();
    }
}

TEST(VersusMatch, ARoundEndsByALossOrAClear) {
    struct Case {
        const char* what;
        EHappens first;
        EHappens second;
        int32_t winner;
        ERoundEnd end;
    };
    const Case cases[] = {
        {"the second side loses", EHappens::Nothing, EHappens::Loses, 0, ERoundEnd::Lost},
        {"the first side loses", EHappens::Loses, EHappens::Nothing, 1, ERoundEnd::Lost},
        {"the first side clears its field", EHappens::Clears, EHappens::Nothing, 0, ERoundEnd::Cleared},
        {"the second side clears its field", EHappens::Nothing, EHappens::Clears, 1, ERoundEnd::Cleared},
        {"both lose in the same step: a draw", EHappens::Loses, EHappens::Loses, -1, ERoundEnd::Lost},
    };
    for (const Case& c : cases) {
        CVersusMatch match;
        match.Start(VersusRules(), 9);
        const PlayInput inputs[kVersusSides];
        for (int32_t step = 0; step < 50; ++step) {
            match.Step(inputs);
        }
        ASSERT_EQ(match.Phase(), EVersusPhase::Playing) << c.what << ": nothing ends a round by itself";
        Make(match, 0, c.first);
        Make(match, 1, c.second);
        match.Step(inputs);
        EXPECT_EQ(match.Phase(), EVersusPhase::RoundOver) << c.what;
        EXPECT_EQ(match.Round().winner, c.winner) << c.what;
        EXPECT_EQ(match.Round().end, c.end) << c.what;
        EXPECT_EQ(match.RoundsWon(0), c.winner == 0 ? 1 : 0) << c.what;
        EXPECT_EQ(match.RoundsWon(1), c.winner == 1 ? 1 : 0) << c.what;
        // After the round, its steps go on (the sweep), but nothing is counted any more.
        const int64_t steps = match.Round().steps;
        match.Step(inputs);
        EXPECT_EQ(match.Round().steps, steps) << c.what;
        EXPECT_EQ(match.Phase(), EVersusPhase::RoundOver) << c.what;
    }
}

TEST(VersusMatch, BestOfThreeEndsTheMatch) {
    struct Case {
        const char* what;
        std::vector<int32_t> roundWinners;   // -1: a drawn round
        int32_t matchWinner;
    };
    const Case cases[] = {
        {"two straight wins", {0, 0}, 0},
        {"one each, then the decider", {1, 0, 1}, 1},
        {"a draw replays the round", {0, -1, 1, 0}, 0},
        {"draws up to the last round: no winner", {-1, -1, -1, -1, -1}, -1},
        {"one win and draws to the end: the win decides", {1, -1, -1, -1, -1}, 1},
    };
    for (const Case& c : cases) {
        CVersusMatch match;
        match.Start(VersusRules(), 11);
        const PlayInput inputs[kVersusSides];
        for (size_t round = 0; round < c.roundWinners.size(); ++round) {
            ASSERT_EQ(match.Phase(), EVersusPhase::Playing) << c.what << ", round " << round + 1;
            EXPECT_EQ(match.RoundNumber(), static_cast<int32_t>(round) + 1) << c.what;
            const int32_t winner = c.roundWinners[round];
            for (int32_t side = 0; side < kVersusSides; ++side) {
                if (winner < 0 || side != winner) {
                    match.Field(side).LoseLife();
                }
            }
            match.Step(inputs);
            const bool last = round + 1 == c.roundWinners.size();
            EXPECT_EQ(match.Phase(), last ? EVersusPhase::MatchOver : EVersusPhase::RoundOver)
                << c.what << ", round " << round + 1;
            if (!last) {
                EXPECT_EQ(match.MatchWinner(), -1) << c.what;
                match.StartNextRound();
            }
        }
        EXPECT_EQ(match.MatchWinner(), c.matchWinner) << c.what;
    }
}

TEST(VersusMatch, BothSidesStartTheSameLevelWithTheSameColours) {
    CVersusMatch match;
    match.Start(VersusRules(), 21);
    for (int32_t round = 0; round < kDuelLevelCount; ++round) {
        BoardGrid grid;
        ASSERT_TRUE(DuelLevel(round, grid));
        std::string error;
        LevelCheckRules rules;
        EXPECT_TRUE(CheckLevelDesign(grid, rules, error)) << "duel level " << round << ": " << error;
    }
    EXPECT_EQ(BoardText(match.Field(0).Board()), BoardText(match.Field(1).Board()));
    EXPECT_TRUE(match.Field(0).CurrentBall() == match.Field(1).CurrentBall());
    EXPECT_TRUE(match.Field(0).NextBallCell() == match.Field(1).NextBallCell());
    EXPECT_EQ(match.Field(0).Random().State(), match.Field(1).Random().State());
    EXPECT_EQ(match.Field(0).Progress().lives, 0);
}

TEST(VersusBot, StrengthsDifferAndASeedFixesTheGame) {
    const BotStrengthRules easy = RulesForStrength(EBotStrength::Easy);
    const BotStrengthRules normal = RulesForStrength(EBotStrength::Normal);
    const BotStrengthRules hard = RulesForStrength(EBotStrength::Hard);
    EXPECT_GT(easy.thinkSeconds, normal.thinkSeconds);
    EXPECT_GT(normal.thinkSeconds, hard.thinkSeconds);
    EXPECT_GT(easy.aimErrorDegrees, normal.aimErrorDegrees);
    EXPECT_GT(normal.aimErrorDegrees, hard.aimErrorDegrees);
    EXPECT_LT(easy.plannedFirstShots, normal.plannedFirstShots);
    EXPECT_LT(normal.plannedFirstShots, hard.plannedFirstShots);
    for (const char* name : {"easy", "normal", "hard"}) {
        EBotStrength strength;
        ASSERT_TRUE(ParseBotStrength(name, strength));
        EXPECT_STREQ(BotStrengthName(strength), name);
    }
    EBotStrength strength;
    EXPECT_FALSE(ParseBotStrength("expert", strength));

    // Two matches of the same seed play step for step alike.
    auto play = [](uint32_t seed) {
        CVersusMatch match;
        match.Start(VersusRules(), seed);
        CBotPlayer players[kVersusSides] = {CBotPlayer(EBotStrength::Easy, seed), CBotPlayer(EBotStrength::Hard, seed + 1)};
        for (int32_t step = 0; step < 150 * 400 && match.Phase() == EVersusPhase::Playing; ++step) {
            const PlayInput inputs[kVersusSides] = {players[0].Next(match.Field(0), CPlayfield::kStepLength),
                                                    players[1].Next(match.Field(1), CPlayfield::kStepLength)};
            match.Step(inputs);
        }
        return match.Round();
    };
    const VersusRoundResult first = play(31);
    const VersusRoundResult again = play(31);
    EXPECT_NE(first.end, ERoundEnd::None);
    EXPECT_EQ(first.steps, again.steps);
    EXPECT_EQ(first.winner, again.winner);
    EXPECT_EQ(first.sides[0].ballsSent, again.sides[0].ballsSent);
    EXPECT_EQ(first.sides[1].ballsLanded, again.sides[1].ballsLanded);
}

// What a computer match played to its end leaves: each round's winner, length and counts,
// and both fields as the round ended. Both sides are bots, stepped as the match screen steps
// its sides; each is ready for the next round at once.
std::string PlayedMatchSummary(EBotStrength first, EBotStrength second, uint32_t seed) {
    CVersusMatch match;
    match.Start(VersusRules(), seed);
    CBotMatchSide bots[kVersusSides] = {CBotMatchSide(first, seed ^ 0x9E3779B9u), CBotMatchSide(second, seed + 7u)};
    CMatchSides sides;
    sides.Set(0, &bots[0]);
    sides.Set(1, &bots[1]);
    std::string summary;
    int32_t round = 0;
    for (int32_t guard = 0; guard < 150 * 60 * 30; ++guard) {
        sides.Step(match);
        if (match.Phase() == EVersusPhase::Playing || match.RoundNumber() == round) {
            continue;
        }
        round = match.RoundNumber();
        const VersusRoundResult& result = match.Round();
        char line[224];
        std::snprintf(line, sizeof line,
                      "round %d: winner %d end %d steps %lld sent %d/%d landed %d/%d shots %d/%d scores %d/%d "
                      "generators %08X %08X\n",
                      round, result.winner, static_cast<int>(result.end), static_cast<long long>(result.steps),
                      result.sides[0].ballsSent, result.sides[1].ballsSent, result.sides[0].ballsLanded,
                      result.sides[1].ballsLanded, result.sides[0].shots, result.sides[1].shots,
                      match.Field(0).Progress().score, match.Field(1).Progress().score,
                      match.Field(0).Random().State(), match.Field(1).Random().State());
        summary += line;
        if (match.Phase() == EVersusPhase::MatchOver) {
            return summary + "winner " + std::to_string(match.MatchWinner());
        }
    }
    return summary + "no end";
}

TEST(VersusBot, ComputerMatchesPlayToTheirKnownEnds) {
    struct Case {
        EBotStrength first;
        EBotStrength second;
        uint32_t seed;
        const char* summary;
    };
    const Case cases[] = {
        {EBotStrength::Easy, EBotStrength::Normal, 5,
         "round 1: winner 1 end 2 steps 14779 sent 14/38 landed 38/14 shots 21/36 scores 15550/36050 generators 08E6BFCC E5712852\n"
         "round 2: winner 0 end 1 steps 14505 sent 5/10 landed 7/5 shots 20/40 scores 10550/28100 generators ED063C99 FF9EB5FD\n"
         "round 3: winner 1 end 2 steps 12644 sent 6/32 landed 32/6 shots 17/31 scores 5900/33700 generators 53A5707F 9E22B5ED\n"
         "winner 1"},
        {EBotStrength::Hard, EBotStrength::Easy, 12,
         "round 1: winner 0 end 2 steps 6667 sent 33/9 landed 6/33 shots 21/8 scores 30850/9150 generators E2F87AF0 30A9BF24\n"
         "round 2: winner 0 end 2 steps 11339 sent 17/4 landed 4/17 shots 40/15 scores 32150/4500 generators 6032818D 1DD803D5\n"
         "winner 0"},
        {EBotStrength::Normal, EBotStrength::Normal, 2026,
         "round 1: winner 0 end 2 steps 15595 sent 58/58 landed 58/58 shots 34/43 scores 75250/83050 generators CC2B4FEF 96B97BE4\n"
         "round 2: winner 1 end 1 steps 12889 sent 17/23 landed 23/14 shots 35/33 scores 29050/78050 generators B8EA9A3F AD2A5CDD\n"
         "round 3: winner 0 end 2 steps 17112 sent 54/50 landed 50/54 shots 43/46 scores 57700/54450 generators 8EB58E05 37CE48B4\n"
         "winner 0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlayedMatchSummary(c.first, c.second, c.seed), c.summary) << "seed " << c.seed;
    }
}

// Every shot, not only the first, comes its strength's thinking time after the ball could
// be fired again.
TEST(VersusBot, ThinksItsTimeAgainBeforeEveryShot) {
    for (const EBotStrength strength : {EBotStrength::Easy, EBotStrength::Normal, EBotStrength::Hard}) {
        SCOPED_TRACE(BotStrengthName(strength));
        CVersusMatch match;
        match.Start(VersusRules(), 4);
        CBotPlayer bot(strength, 8);
        const float think = RulesForStrength(strength).thinkSeconds;
        int32_t readySteps = 0;   // steps the ball could be fired since the last shot
        int32_t shots = 0;
        for (int32_t step = 0; step < 150 * 60 && shots < 4 && match.Phase() == EVersusPhase::Playing; ++step) {
            readySteps += match.Field(0).CanFire() ? 1 : 0;
            const PlayInput inputs[kVersusSides] = {bot.Next(match.Field(0), CPlayfield::kStepLength), PlayInput()};
            if (inputs[0].fireHit) {
                const float waited = static_cast<float>(readySteps) * CPlayfield::kStepLength;
                EXPECT_GE(waited, think) << "shot " << shots;
                EXPECT_LE(waited, think + 0.05f) << "shot " << shots;
                readySteps = 0;
                ++shots;
            }
            match.Step(inputs);
        }
        EXPECT_EQ(shots, 4);
    }
}

TEST(VersusBot, WaitsItsThinkingTimeAndMissesByItsAimError) {
    CVersusMatch match;
    match.Start(VersusRules(), 4);
    CBotPlayer easy(EBotStrength::Easy, 8);
    const float think = RulesForStrength(EBotStrength::Easy).thinkSeconds;
    int32_t steps = 0;
    PlayInput input;
    while (!input.fireHit && steps < 2000) {
        input = easy.Next(match.Field(0), CPlayfield::kStepLength);
        ++steps;
    }
    EXPECT_GE(steps * CPlayfield::kStepLength, think);
    EXPECT_LE(steps * CPlayfield::kStepLength, think + 0.05f);

    // Over many choices on the same field, the easy bot's aims spread; the full bot's never do.
    CBot full;
    CBot weak(EBotStrength::Easy, 8);
    const BotChoice exact = full.Choose(match.Field(0));
    float spread = 0.0f;
    for (int32_t i = 0; i < 20; ++i) {
        const BotChoice missed = weak.Choose(match.Field(0));
        const float error = std::fabs(CBot::AngleForMouse(missed.mouseX, missed.mouseY) -
                                      CBot::AngleForMouse(exact.mouseX, exact.mouseY));
        spread = std::max(spread, error);
        EXPECT_TRUE(full.Choose(match.Field(0)).mouseX == exact.mouseX);
    }
    EXPECT_GT(spread, 0.5f);
}

}  // namespace
