// Power-ups: what a shot resting beside them sets off, and how the effects end.
#include "GameFixtures.h"

#include <cmath>

namespace {

// Lands the current ball on the top-left corner of (column, row) and runs the steps
// until the power-ups are done and the turn has ended (or a limit is reached).
int32_t LandAndSettle(CPlayfield& playfield, int32_t column, int32_t row) {
    playfield.LandShot(playfield.Board().CellTopLeft(column, row));
    return StepUntil(playfield, [&] { return playfield.CanFire(); }, 2000);
}

TEST(PowerUps, TwoAtOnceEarnFiveHundredAndTheShotDoesNotEnter) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    FillBoard(playfield.Board(), {"*~11111111", " ........."});
    playfield.StartLevel();
    playfield.SetBalls(BallCell{3, 0}, BallCell{1, 0});
    playfield.Progress().combo = 4;
    const int32_t steps = LandAndSettle(playfield, 0, 1);
    ASSERT_LT(steps, 2000) << "the turn ends";
    EXPECT_EQ(playfield.Progress().score, 500);
    EXPECT_EQ(playfield.Progress().combo, 0);
    EXPECT_EQ(playfield.Stats().hits, 1);
    EXPECT_EQ(sounds.Count(EGameSound::PowerupExplosion), 1);
    EXPECT_EQ(sounds.Count(EGameSound::PowerupChangeColor), 1);
    EXPECT_EQ(sounds.Count(EGameSound::BallStick), 1);
    // The explosion blew away the colour change cell after it had repainted (2, 0).
    EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows({"..31111111", " ........."}));
}

TEST(PowerUps, AnExplosionDestroysANeighbouringPowerUpWithoutSettingItOff) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    FillBoard(playfield.Board(), {"2222222222", " 222222222", "2222*@2222", " ........."});
    playfield.StartLevel();
    playfield.SetBalls(BallCell{3, 0}, BallCell{2, 0});
    ASSERT_LT(LandAndSettle(playfield, 3, 3), 2000);
    EXPECT_EQ(playfield.Progress().score, 250);
    EXPECT_TRUE(playfield.Board().CellAt(5, 2).IsEmpty());
    EXPECT_EQ(sounds.Count(EGameSound::PowerupMulticolorBall), 0);
    EXPECT_EQ(sounds.Count(EGameSound::PowerupExplosionSmall), 4);
    EXPECT_FALSE(playfield.IsMulticolorPending());
    EXPECT_EQ(BoardText(playfield.Board()),
              LevelTextFromRows({"2222222222", " 222..2222", "222...2222", " ........."}));
}

TEST(PowerUps, BallsThatAnExplosionCutLooseFallOnceItIsOverAndScore) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    // The explosion at (3, 1) blows (4, 2) away; (4, 3) hung only from it.
    FillBoard(playfield.Board(), {"1111111111", " ...*.....", "....2.....", " ....3...."});
    playfield.StartLevel();
    playfield.SetBalls(BallCell{5, 0}, BallCell{1, 0});
    ASSERT_LT(LandAndSettle(playfield, 2, 1), 2000) << "the turn ends";
    EXPECT_EQ(playfield.Board().FallingCreatedTotal(), 1) << "(4, 3) fell";
    EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows({"111..11111"}));
    EXPECT_EQ(playfield.Progress().score, 250 + BallPoints(1));
}

TEST(PowerUps, ArrowLeftInColumnZeroEndsAtOnceAndOnlyDropsLooseBalls) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    FillBoard(playfield.Board(), {"2222222222", " 2........", "<.........", " 3........"});
    playfield.StartLevel();
    playfield.SetBalls(BallCell{5, 0}, BallCell{2, 0});
    playfield.LandShot(playfield.Board().CellTopLeft(1, 2));
    EXPECT_FALSE(playfield.Board().Arrow(0).running) << "column -1 is reached at once";
    EXPECT_TRUE(playfield.Board().CellAt(0, 3).IsEmpty()) << "(0, 3) hung only from the arrow";
    ASSERT_LT(StepUntil(playfield, [&] { return playfield.CanFire(); }, 2000), 2000);
    EXPECT_EQ(sounds.Count(EGameSound::PowerupArrow), 1);
    EXPECT_EQ(sounds.Count(EGameSound::PowerupArrowEachBallHit), 0);
    EXPECT_EQ(playfield.Progress().score, 250 + BallPoints(1));
    EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows({"2222222222", " 2........"}));
}

TEST(PowerUps, ArrowsSweepTheirRowOneCellAtATime) {
    struct Case {
        const char* what;
        std::vector<const char*> rows;
        CellPos rest;
        std::vector<const char*> after;
        int32_t ballsHit;
    };
    const Case cases[] = {
        {"right arrow clears the rest of its row",
         {"1111111111", " 11>23456."}, {2, 2},
         {"1111111111", " 11......."}, 5},
        {"left arrow clears towards column 0; what hung from the row drops",
         {"1111111111", " 1234<1111", "..5......."}, {4, 2},
         {"1111111111", " .....1111"}, 4},
        {"arrows in both directions each sweep their own way",
         {"1111111111", " 11<.>1111", "...2......"}, {3, 1},
         {"1111111111", " ........."}, 6},
    };
    for (const Case& c : cases) {
        CSoundRecorder sounds;
        CPlayfield playfield;
        FillBoard(playfield.Board(), c.rows);
        playfield.StartLevel();
        playfield.SetBalls(BallCell{6, 0}, BallCell{1, 0});
        ASSERT_LT(LandAndSettle(playfield, c.rest.column, c.rest.row), 2000) << c.what;
        EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows(c.after)) << c.what;
        EXPECT_EQ(sounds.Count(EGameSound::PowerupArrowEachBallHit), c.ballsHit) << c.what;
    }
}

TEST(PowerUps, AColourChangeRepaintsButNeverRemoves) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    FillBoard(playfield.Board(), {"3333~33333", " ........."});
    playfield.StartLevel();
    playfield.SetBalls(BallCell{1, 0}, BallCell{3, 0});
    playfield.LandShot(playfield.Board().CellTopLeft(4, 1));
    EXPECT_EQ(playfield.Board().Recoloured().size(), 2u);
    // The repainted balls flash for half a second, and the turn waits for them.
    const int32_t flashSteps = StepUntil(playfield, [&] { return playfield.Board().Recoloured().empty(); });
    EXPECT_NEAR(flashSteps * CPlayfield::kStepLength, 0.5f, 0.02f);
    EXPECT_FALSE(playfield.CanFire()) << "the turn has not ended while the balls flashed";
    ASSERT_LT(StepUntil(playfield, [&] { return playfield.CanFire(); }, 2000), 2000);
    EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows({"3331113333", " ........."}));
    EXPECT_TRUE(playfield.Board().Recoloured().empty());
    EXPECT_EQ(sounds.Count(EGameSound::BallRemove), 0);
    EXPECT_EQ(playfield.Progress().score, 250);
}

TEST(PowerUps, AnObstacleBesideAPowerUpChangesTheSoundOnly) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    FillBoard(playfield.Board(), {"11#*111111", " ........."});
    playfield.StartLevel();
    playfield.SetBalls(BallCell{4, 0}, BallCell{1, 0});
    ASSERT_LT(LandAndSettle(playfield, 2, 1), 2000);
    EXPECT_EQ(sounds.Count(EGameSound::BallHitObstacle), 1);
    EXPECT_EQ(sounds.Count(EGameSound::BallStick), 0);
    EXPECT_EQ(sounds.Count(EGameSound::PowerupExplosion), 1);
    EXPECT_EQ(playfield.Progress().score, 250);
    EXPECT_EQ(BoardText(playfield.Board()), LevelTextFromRows({"11...11111", " ........."}));
}

TEST(PowerUps, AMulticolourBallFliesToTheLauncherAndBecomesTheNextShot) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    FillBoard(playfield.Board(), {"11@1111111", " ........."});
    playfield.StartLevel();
    playfield.SetBalls(BallCell{1, 0}, BallCell{1, 0});
    const Vec3 start = playfield.Board().CellTopLeft(2, 0);
    playfield.LandShot(playfield.Board().CellTopLeft(2, 1));
    ASSERT_TRUE(playfield.Board().FlyingBall().running);
    const int32_t steps = StepUntil(playfield, [&] { return !playfield.Board().FlyingBall().running; });
    const float distance = std::sqrt((304.0f - start.x) * (304.0f - start.x) + (404.0f - start.y) * (404.0f - start.y));
    EXPECT_NEAR(steps * CPlayfield::kStepLength, distance / 500.0f, 0.03f);
    EXPECT_EQ(sounds.Count(EGameSound::PowerupMulticolorBallArrived), 1);
    ASSERT_LT(StepUntil(playfield, [&] { return playfield.CanFire(); }), 3000);
    EXPECT_EQ(playfield.CurrentBall().colour, BallColour::Multicolor);
    EXPECT_FALSE(playfield.IsMulticolorPending());
    EXPECT_EQ(playfield.NextBallCell().colour, 1) << "the next ball stays";
}

}  // namespace
