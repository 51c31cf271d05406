// Matching, removal, restoring and falling: what one shot takes off the field.
#include "GameFixtures.h"

namespace {

struct PlaceCase {
    const char* what;
    std::vector<const char*> rows;
    int32_t shotColour;
    CellPos rest;
    std::vector<const char*> after;   // the field once the shot is placed and matched
    int32_t points;                   // ball points of the removal
    int32_t fallingBalls;
    int32_t combo;                    // the combo counter afterwards (it was 1 before)
};

TEST(PlaceShot, RemovesGroupsOfThreeOrMoreAndDropsWhatHangsFromThem) {
    const PlaceCase cases[] = {
        {"two of a colour plus the shot: 3 removed, 500",
         {"3333311333", " ........."}, 1, {6, 1},
         {"33333..333", " ........."}, 500, 3, 2},
        {"three plus the shot: 4 removed, 1000",
         {"3331113333", " ........."}, 1, {2, 1},
         {"333...3333", " ........."}, 1000, 4, 2},
        {"one of the colour plus the shot: nothing removed, the shot stays",
         {"3333313333", " ........."}, 1, {5, 1},
         {"3333313333", " .....1..."}, 0, 0, 0},
        {"a shot beside other colours only stays",
         {"2233333333", " ........."}, 1, {0, 1},
         {"2233333333", " 1........"}, 0, 0, 0},
        {"a ball held only by the removed group drops with it",
         {"3311333333", " .........", "..2......."}, 1, {2, 1},
         {"33..333333", " ........."}, BallPoints(4), 4, 2},
        {"a power-up or an obstacle holds balls below it",
         {"11..#33333", " ...2....."}, 1, {1, 1},
         {"....#33333", " ...2....."}, 500, 3, 2},
    };
    for (const PlaceCase& c : cases) {
        CPlayfield playfield;
        FillBoard(playfield.Board(), c.rows);
        playfield.Progress().combo = 1;
        playfield.SetBalls(BallCell{c.shotColour, 0}, BallCell{c.shotColour, 0});
        const int32_t scoreBefore = playfield.Progress().score;
        playfield.PlaceShot(c.rest.column, c.rest.row);
        EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows(c.after)) << c.what;
        EXPECT_EQ(playfield.Progress().ballPoints, c.points) << c.what;
        EXPECT_EQ(static_cast<int32_t>(playfield.Board().FallingBalls().size()), c.fallingBalls) << c.what;
        EXPECT_EQ(playfield.Progress().combo, c.combo) << c.what;
        EXPECT_EQ(playfield.Progress().removed, 0) << c.what << ": scoring uses the counter up";
        EXPECT_EQ(playfield.Progress().score - scoreBefore, c.points + ComboPoints(c.combo)) << c.what;
        EXPECT_EQ(playfield.Stats().hits, c.points > 0 ? 1 : 0) << c.what;
        EXPECT_EQ(playfield.Stats().matches, c.points > 0 ? 1 : 0) << c.what;
    }
}

TEST(PlaceShot, OneRemovalDropsAChainOfTenAndCountsIt) {
    CBoard board;
    // (0,0) and (1,0) are the only hold of a chain of ten balls down the left edge.
    FillBoard(board, {"00........", " 2........", "3.........", " 2........", "3.........", " 2........",
                      "3.........", " 2........", "3.........", " 2........", "3........."});
    ASSERT_EQ(board.BallCount(), 12);
    board.SetCell(0, 0, 2, 0);
    const LandingResult landing = board.RemoveMatches(0, 0, 2, 0);
    EXPECT_TRUE(landing.matched);
    EXPECT_EQ(landing.removed, 13) << "the group of three and the ten it held";
    EXPECT_EQ(board.BallCount(), 0);
    EXPECT_EQ(board.FallingBalls().size(), 13u);
    EXPECT_TRUE(board.IsRemovalInProgress());
    // The balls fall from where they were, faster the lower they hung.
    const FallingBall& lowest = board.FallingBalls().back();
    EXPECT_FLOAT_EQ(lowest.y, 32.0f + 28.0f * 10);
    EXPECT_FLOAT_EQ(lowest.acceleration, 500.0f + 100.0f * 10);
    EXPECT_FLOAT_EQ(lowest.velocity, 300.0f);
}

TEST(PlaceShot, MulticolourShotTakesEveryTouchingGroup) {
    struct Case {
        const char* what;
        std::vector<const char*> rows;
        CellPos rest;
        std::vector<const char*> after;
        int32_t removed;
        int32_t missedSounds;
    };
    const Case cases[] = {
        {"a red pair and a single blue one: all three and itself",
         {"4004444444", " 5........"}, {1, 1}, {"4..4444444", " ........."}, 4, 0},
        {"touching only obstacles: the ball vanishes",
         {"##########", " ........."}, {4, 1}, {"##########", " ........."}, 0, 1},
        {"touching one ordinary ball: it and the ball go",
         {"######6###", " ........."}, {5, 1}, {"######.###", " ........."}, 2, 0},
    };
    for (const Case& c : cases) {
        CSoundRecorder sounds;
        CPlayfield playfield;
        FillBoard(playfield.Board(), c.rows);
        playfield.SetBalls(BallCell{BallColour::Multicolor, 0}, BallCell{1, 0});
        playfield.PlaceShot(c.rest.column, c.rest.row);
        EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows(c.after)) << c.what;
        EXPECT_EQ(playfield.Progress().ballPoints, BallPoints(c.removed)) << c.what;
        EXPECT_EQ(static_cast<int32_t>(playfield.Board().FallingBalls().size()), c.removed) << c.what;
        EXPECT_EQ(sounds.Count(EGameSound::PowerupMulticolorBallMissed), c.missedSounds) << c.what;
        EXPECT_EQ(sounds.Count(EGameSound::BallRemoveMultiball), c.removed > 0 ? 1 : 0) << c.what;
        EXPECT_EQ(playfield.Effects().SparkleCount(), c.removed) << c.what;
    }
}

TEST(DropLoose, KeepsEverythingConnectedToTheTopRowWhateverItsColour) {
    CBoard board;
    FillBoard(board, {"1.........", " #........", ".~........", " .5.......", "..........", " ....7...."});
    EXPECT_EQ(board.DropLoose(), 1) << "only the ball at (4, 5) hangs from nothing";
    EXPECT_EQ(BoardText(board), LevelTextFromRows({"1.........", " #........", ".~........", " .5......."}));
}

TEST(DropLoose, AStoredBallInColumnNineOfAShortRowIsNotHeld) {
    CBoard board;
    FillBoard(board, {"1111111111"});
    board.SetCell(2, 0, 9, 1);
    CellPos neighbours[CBoard::kMaxNeighbours];
    const int32_t count = board.Neighbours(8, 1, neighbours);
    for (int32_t i = 0; i < count; ++i) {
        EXPECT_FALSE(neighbours[i] == (CellPos{9, 1}));
    }
    board.SetCell(2, 0, 8, 0);
    board.SetCell(2, 0, 9, 0);
    board.SetCell(2, 0, 8, 1);
    EXPECT_EQ(board.RemoveMatches(2, 0, 8, 1).removed, 4) << "(9, 1) never joins the group; it falls as loose";
    EXPECT_TRUE(board.CellAt(9, 1).IsEmpty());
}

TEST(FallingBalls, LeaveTheScreenAndThenTheFieldHasSettled) {
    CBoard board;
    FillBoard(board, {"0110000000"});
    board.SetCell(1, 0, 1, 1);
    board.RemoveMatches(1, 0, 1, 1);
    ASSERT_EQ(board.FallingBalls().size(), 3u);
    int32_t steps = 0;
    while (board.IsRemovalInProgress() && steps < 1000) {
        board.UpdateFalling(CPlayfield::kStepLength);
        ++steps;
    }
    EXPECT_TRUE(board.FallingBalls().empty());
    EXPECT_FALSE(board.IsRemovalInProgress());
    // From y 32 with 300 px/s and 500 px/s^2 a ball needs about 0.87 s to pass y 480.
    EXPECT_GT(steps, 120);
    EXPECT_LT(steps, 140);
}

}  // namespace
