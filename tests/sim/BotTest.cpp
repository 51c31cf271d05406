// The bot's choices on small fields, and its quick trial flight against the game's own.
#include "core/Random.h"
#include "tests/game/GameFixtures.h"
#include "game/Bot.h"
#include "tools/sim/SimSession.h"
#include "tools/sim/Versus.h"

#include <algorithm>

namespace {

// Where the game's own flight takes a shot aimed at the chosen mouse position.
bool LandingOfChoice(const CBoard& board, const BotChoice& choice, CellPos& cell) {
    ShotState shot;
    StartShot(shot, kLauncherPosition, choice.mouseX - 16.0f, choice.mouseY - 16.0f);
    for (int32_t step = 0; step < 1500; ++step) {
        if (StepShot(shot, board, CPlayfield::kStepLength)) {
            return board.FindStickCell(shot.position, cell);
        }
    }
    return false;
}

// The balls the chosen shot takes off (0: a miss).
int32_t RemovedByChoice(const CBoard& board, const BotChoice& choice, const BotSituation& situation) {
    CellPos cell;
    if (!LandingOfChoice(board, choice, cell)) {
        return 0;
    }
    const BallCell ball = choice.swapFirst ? situation.next : situation.current;
    CBoard after;
    after.SetSilent(true);
    after.CopyFieldFrom(board);
    after.SetCell(ball.colour, ball.frame, cell.column, cell.row);
    return after.RemoveMatches(ball.colour, ball.frame, cell.column, cell.row).removed;
}

// A wall of 3s with a pair of 1s in its second row and a lone 2 beside them.
const std::vector<const char*> kPairInAWall = {"3333333333", " 332311333"};

struct ChoiceCase {
    const char* what;
    BallCell current;
    BallCell next;
    bool canSwap;
    bool swapExpected;
};

TEST(BotChoice, TakesTheRemovalWhicheverBallMakesIt) {
    const ChoiceCase cases[] = {
        {"the ball in hand matches the pair: no swap", {1, 0}, {2, 0}, true, false},
        {"only the next ball matches: swap, then fire", {2, 0}, {1, 0}, true, true},
        {"the multicolour ball in hand takes the pair", {BallColour::Multicolor, 0}, {2, 0}, false, false},
    };
    for (const ChoiceCase& c : cases) {
        CBoard board;
        FillBoard(board, kPairInAWall);
        BotSituation situation;
        situation.current = c.current;
        situation.next = c.next;
        situation.canSwap = c.canSwap;
        CBot bot;
        const BotChoice choice = bot.ChooseOnBoard(board, situation);
        EXPECT_EQ(choice.swapFirst, c.swapExpected) << c.what;
        EXPECT_GE(RemovedByChoice(board, choice, situation), 3) << c.what;
    }
}

TEST(BotChoice, NeverSwapsWhenTheGameForbidsIt) {
    CBoard board;
    FillBoard(board, kPairInAWall);
    BotSituation situation;
    situation.current = {2, 0};
    situation.next = {1, 0};
    situation.canSwap = false;   // the multicolour ball is on its way
    CBot bot;
    EXPECT_FALSE(bot.ChooseOnBoard(board, situation).swapFirst);
}

// A wall of 3s whose only way to a pair of 2s in the top row is one pocket in the row below.
const std::vector<const char*> kPairInAPocket = {"3333223333", " 3333.3333"};
const CellPos kPocket = {4, 1};

TEST(BotChoice, KeepsThePocketOpenWhenTheNextBallFitsIt) {
    CBoard board;
    FillBoard(board, kPairInAPocket);
    BotSituation situation;
    situation.current = {1, 0};
    situation.canSwap = false;
    CellPos cell;

    // Looking one shot ahead the 1 would take the highest free cell: the pocket.
    CBot alone;
    ASSERT_TRUE(LandingOfChoice(board, alone.ChooseOnBoard(board, situation), cell));
    EXPECT_TRUE(cell == kPocket) << "column " << cell.column << " row " << cell.row;

    // With a 2 coming next, the plan puts the 1 elsewhere and then takes the pair.
    situation.next = {2, 0};
    CBot planner;
    const BotChoice first = planner.ChooseOnBoard(board, situation);
    EXPECT_FALSE(first.swapFirst);
    ASSERT_TRUE(LandingOfChoice(board, first, cell));
    EXPECT_FALSE(cell == kPocket);
    CBoard after;
    after.SetSilent(true);
    after.CopyFieldFrom(board);
    after.SetCell(1, 0, cell.column, cell.row);
    BotSituation second;
    second.current = {2, 0};
    second.canSwap = false;
    const BotChoice follow = planner.ChooseOnBoard(after, second);
    ASSERT_TRUE(LandingOfChoice(after, follow, cell));
    EXPECT_TRUE(cell == kPocket);
    EXPECT_GE(RemovedByChoice(after, follow, second), 3);
}

TEST(BotChoice, IsTheSameForTheSameFieldAndDrawsNoRandomNumbers) {
    CBoard board;
    FillBoard(board, {"0123456701", " 123456701", "2345670123"});
    BotSituation situation;
    situation.current = {5, 0};
    situation.next = {6, 0};
    CBot bot;
    RandomSeed(4242);
    const BotChoice first = bot.ChooseOnBoard(board, situation);
    EXPECT_EQ(RandomState(), 4242u);
    CBot other;
    const BotChoice second = other.ChooseOnBoard(board, situation);
    EXPECT_EQ(first.swapFirst, second.swapFirst);
    EXPECT_EQ(first.mouseX, second.mouseX);
    EXPECT_EQ(first.mouseY, second.mouseY);
    EXPECT_EQ(first.value, second.value);
}

TEST(BotFlight, LandsWhereTheGamesFlightLandsOnEveryLevelOfThePack) {
    std::vector<LevelBytes> levels;
    std::string error;
    ASSERT_TRUE(LoadLevelSources(std::string(PELLORA_SOURCE_DIR) + "/data/levels", levels, error)) << error;
    int32_t compared = 0;
    for (const LevelBytes& level : levels) {
        CBoard board;
        board.SetSilent(true);
        ASSERT_TRUE(board.LoadFromBytes(level.bytes.data(), level.bytes.size()));
        // At the level start and after the field has moved down four times.
        for (int32_t placement = 0; placement < 2; ++placement) {
            for (float degrees = -80.0f; degrees <= 80.0f; degrees += 0.75f) {
                const CBot::Landing quick = CBot::Fly(board, degrees, false);
                const CBot::Landing game = CBot::Fly(board, degrees, true);
                ASSERT_EQ(quick.rests, game.rests) << level.name << " at " << degrees;
                ASSERT_EQ(quick.found, game.found) << level.name << " at " << degrees;
                ASSERT_TRUE(quick.cell == game.cell) << level.name << " at " << degrees;
                ++compared;
            }
            board.MoveDown(4 * CPlayfield::kMoveDownPixels);
        }
    }
    EXPECT_GT(compared, 0);
}

}  // namespace

// ---------------------------------------------------------------- the strengths in versus

namespace {
int32_t RoundsWonBy(const VersusSimResult& result, int32_t side) {
    return static_cast<int32_t>(std::count_if(result.rounds.begin(), result.rounds.end(),
                                              [side](const VersusRoundResult& round) { return round.winner == side; }));
}
}  // namespace

// The computer plays to win at every strength: against a player who never fires it loses
// no match and hardly a round (the idle player's field moves down by its own clock). Easy
// still loses most rounds to the simulator's beginner, and normal beats the beginner.
TEST(BotStrengths, EveryStrengthBeatsAnIdlePlayerAndEasyLosesToABeginner) {
    for (const EBotStrength strength : {EBotStrength::Easy, EBotStrength::Normal, EBotStrength::Hard}) {
        SCOPED_TRACE(BotStrengthName(strength));
        VersusSimOptions options;
        options.strengths[0] = strength;
        options.sides[1] = ESimSide::Idle;
        options.rounds = 20;
        options.seed = 3;
        const VersusSimResult result = PlayVersus(options);
        ASSERT_EQ(result.rounds.size(), 20u);
        EXPECT_EQ(result.matchesWon[1], 0);
        EXPECT_GE(RoundsWonBy(result, 0), 19);
    }
    VersusSimOptions beginner;
    beginner.sides[1] = ESimSide::Beginner;
    beginner.rounds = 30;
    beginner.seed = 3;
    beginner.strengths[0] = EBotStrength::Easy;
    const VersusSimResult easy = PlayVersus(beginner);
    EXPECT_GT(RoundsWonBy(easy, 1), RoundsWonBy(easy, 0)) << "the beginner beats easy";
    beginner.strengths[0] = EBotStrength::Normal;
    const VersusSimResult normal = PlayVersus(beginner);
    EXPECT_GT(RoundsWonBy(normal, 0), RoundsWonBy(normal, 1)) << "normal beats the beginner";
}
