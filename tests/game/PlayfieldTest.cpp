// The turn as the game runs it: firing, flight, the turn's end, the colours of new balls,
// the field moving down, lost lives, the end of a level.
#include "GameFixtures.h"

#include "core/Log.h"
#include "core/Random.h"

namespace {

class CRecordingListener : public IPlayfieldListener {
public:
    void OnLevelFinished() override { ++levelsFinished; }
    void OnMulticolorArrived() override { ++multicolorArrivals; }
    void OnReplayLevel() override { ++replays; }
    void OnLifeLost() override { ++livesLost; }
    void OnRowBonus(int32_t points, float, float) override { rowBonus += points; ++rowBonusMessages; }
    void OnGameOver() override { ++gameOvers; }

    int32_t levelsFinished = 0, multicolorArrivals = 0, replays = 0, livesLost = 0, gameOvers = 0;
    int32_t rowBonus = 0, rowBonusMessages = 0;
};

void StartWith(CPlayfield& playfield, const std::vector<const char*>& rows, uint32_t seed = 7) {
    FillBoard(playfield.Board(), rows);
    playfield.Random().Seed(seed);
    playfield.StartLevel();
}

PlayInput FireAt(float x, float y) {
    PlayInput input;
    input.mouseX = x;
    input.mouseY = y;
    input.mouseMoved = true;
    input.fireHit = true;
    return input;
}

TEST(PlayfieldShot, StraightUpRestsInColumnFourOrFive) {
    for (const bool againstBalls : {true, false}) {
        CPlayfield playfield;
        StartWith(playfield, againstBalls ? std::vector<const char*>{"0101010101"}
                                          : std::vector<const char*>{"0........1"});
        const BallCell shot = playfield.CurrentBall();
        playfield.Update(CPlayfield::kStepLength, FireAt(320.0f, 200.0f));
        ASSERT_TRUE(playfield.IsFlying());
        EXPECT_FLOAT_EQ(playfield.LauncherRotation(), 0.0f);
        float lowestX = 1000.0f, highestX = 0.0f;
        StepUntil(playfield, [&] {
            lowestX = std::min(lowestX, playfield.Shot().position.x);
            highestX = std::max(highestX, playfield.Shot().position.x);
            return !playfield.IsFlying();
        });
        EXPECT_FLOAT_EQ(lowestX, 304.0f) << "never touches a wall";
        EXPECT_FLOAT_EQ(highestX, 304.0f);
        const int32_t restRow = againstBalls ? 1 : 0;
        const bool inFour = playfield.Board().CellAt(4, restRow) == shot;
        const bool inFive = playfield.Board().CellAt(5, restRow) == shot;
        EXPECT_TRUE(inFour || inFive) << BoardText(playfield.Board());
        EXPECT_EQ(playfield.Board().BallCount(), againstBalls ? 11 : 3);
    }
}

TEST(PlayfieldShot, FiringCountsTheShotAndPlaysItsSound) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    StartWith(playfield, {"0101010101"});
    playfield.Update(CPlayfield::kStepLength, FireAt(250.0f, 100.0f));
    EXPECT_TRUE(playfield.HasSeenShot());
    EXPECT_EQ(playfield.Stats().shots, 1);
    EXPECT_EQ(playfield.Progress().shotsFired, 1);
    EXPECT_EQ(playfield.ShotsSinceMoveDown(), 1);
    EXPECT_EQ(sounds.Count(EGameSound::FireBall), 1);
    // While the ball flies another click does nothing.
    playfield.Update(CPlayfield::kStepLength, FireAt(250.0f, 100.0f));
    EXPECT_EQ(playfield.Stats().shots, 1);
}

TEST(PlayfieldShot, SwapExchangesTheBallsAndAlwaysPlaysItsSound) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    StartWith(playfield, {"0101010101"});
    playfield.SetBalls(BallCell{0, 0}, BallCell{1, 3});
    PlayInput swap;
    swap.swapHit = true;
    playfield.Update(CPlayfield::kStepLength, swap);
    EXPECT_EQ(playfield.CurrentBall(), (BallCell{1, 3}));
    EXPECT_EQ(playfield.NextBallCell(), (BallCell{0, 0}));
    playfield.SetBalls(BallCell{1, 0}, BallCell{1, 0});
    playfield.Update(CPlayfield::kStepLength, swap);
    EXPECT_EQ(playfield.CurrentBall(), (BallCell{1, 0}));
    EXPECT_EQ(sounds.Count(EGameSound::SwapBall), 2);
}

TEST(PlayfieldShot, ABallThatFindsNoCellIsLostAndTheTurnStillEnds) {
    CPlayfield playfield;
    StartWith(playfield, {"0101010101"});
    const BallCell next = playfield.NextBallCell();
    std::vector<std::string> log;
    CLog::Get().SetCapture(&log);
    playfield.LandShot(Vec3{300.0f, 250.0f, 0.0f});   // nothing near it holds a ball
    CLog::Get().SetCapture(nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "FAILED COULDN'T SAVE BALL");
    EXPECT_FALSE(playfield.CanFire());
    EXPECT_LT(StepUntil(playfield, [&] { return playfield.CanFire(); }, 50), 50) << "no lock-up";
    EXPECT_EQ(playfield.Board().BallCount(), 10);
    EXPECT_EQ(playfield.CurrentBall(), next);
}

TEST(PlayfieldShot, ColourCodesOutsideTheTableNeverReachThePlayer) {
    CPlayfield playfield;
    std::vector<uint8_t> bytes(kLevelFileSize, 0);
    for (size_t record = 0; record < kBoardCells; ++record) {
        for (size_t b = 0; b < 4; ++b) {
            bytes[record * 8 + b] = 0xFF;
        }
    }
    const int32_t odd[] = {99, -7, 14, 1000000, 2};
    for (int32_t column = 0; column < 5; ++column) {
        for (int32_t b = 0; b < 4; ++b) {
            bytes[static_cast<size_t>(column * 8 + b)] = static_cast<uint8_t>(static_cast<uint32_t>(odd[column]) >> (8 * b));
            bytes[static_cast<size_t>(column * 8 + 4 + b)] = 0;
        }
    }
    ASSERT_TRUE(playfield.LoadLevelBytes(bytes.data(), bytes.size()));
    playfield.Random().Seed(3);
    playfield.StartLevel();
    for (int32_t i = 0; i < 50; ++i) {
        EXPECT_EQ(playfield.CurrentBall().colour, 2);
        EXPECT_EQ(playfield.NextBallCell().colour, 2);
        playfield.NextBall();
    }
    EXPECT_FALSE(playfield.HasPowerUpNeighbour(1, 1)) << "code 14 beside (1, 1) is not a power-up";
    playfield.SetBalls(BallCell{2, 0}, BallCell{2, 0});
    playfield.LandShot(playfield.Board().CellTopLeft(3, 1));
    EXPECT_EQ(playfield.Board().CellAt(3, 1).colour, 2) << "placed beside the odd codes, matched with nothing";
    EXPECT_EQ(playfield.Board().CellAt(0, 0).colour, 99) << "odd codes stay in the grid";
}

TEST(NextBall, AnEmptyFieldGivesColourZero) {
    CPlayfield playfield;
    StartWith(playfield, {});
    EXPECT_EQ(playfield.CurrentBall(), (BallCell{0, 0}));
    EXPECT_EQ(playfield.NextBallCell(), (BallCell{0, 0}));
}

TEST(NextBall, OnlyPresentColoursAreGiven) {
    CPlayfield playfield;
    StartWith(playfield, {"3333##5555", " *~<>@...."});
    for (int32_t i = 0; i < 200; ++i) {
        const int32_t current = playfield.CurrentBall().colour;
        const int32_t next = playfield.NextBallCell().colour;
        EXPECT_TRUE(current == 3 || current == 5) << current;
        EXPECT_TRUE(next == 3 || next == 5) << next;
        playfield.NextBall();
    }
}

TEST(NextBall, WithTwoColoursTheNextBallNeverShowsOneColourThreeTimesInARow) {
    for (const uint32_t seed : {1u, 2u, 77u, 12345u, 0xDEADBEEFu}) {
        CPlayfield playfield;
        StartWith(playfield, {"1111122222"}, seed);
        int32_t run = 1;
        int32_t last = playfield.NextBallCell().colour;
        int32_t changes = 0;
        for (int32_t draw = 0; draw < 2000; ++draw) {
            playfield.NextBall();
            const int32_t next = playfield.NextBallCell().colour;
            run = next == last ? run + 1 : 1;
            changes += next == last ? 0 : 1;
            last = next;
            ASSERT_LT(run, 3) << "seed " << seed << " draw " << draw;
        }
        EXPECT_GT(changes, 500) << "both colours keep coming";
    }
}

TEST(NextBall, TheSameSeedGivesTheSameBalls) {
    std::vector<int32_t> first, second;
    for (std::vector<int32_t>* colours : {&first, &second}) {
        CPlayfield playfield;
        StartWith(playfield, {"0123456701", " 234567012"}, 99);
        for (int32_t i = 0; i < 100; ++i) {
            colours->push_back(playfield.CurrentBall().colour);
            playfield.NextBall();
        }
    }
    EXPECT_EQ(first, second);
}

TEST(NextBall, AColourThatLeftTheFieldIsReplacedWhenPromoted) {
    CPlayfield playfield;
    StartWith(playfield, {"1111122222"});
    playfield.SetBalls(BallCell{1, 0}, BallCell{6, 0});   // 6 is not in the field
    playfield.NextBall();
    EXPECT_TRUE(playfield.CurrentBall().colour == 1 || playfield.CurrentBall().colour == 2);
}

// ---------------------------------------------------------------- the field moving down

TEST(MoveDown, ThreeMoveDownsShiftTheOriginAndRaiseTheBottomRow) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    StartWith(playfield, {"0101010101"});
    for (int32_t i = 0; i < 3; ++i) {
        playfield.StartMoveDown();
        const int32_t steps = StepUntil(playfield, [&] { return !playfield.IsMovingDown(); });
        EXPECT_NEAR(steps * CPlayfield::kStepLength, 0.14f, 0.015f) << "14 moves of 2 pixels, one per 0.01 s";
    }
    EXPECT_FLOAT_EQ(playfield.Board().Origin().x, 160.0f);
    EXPECT_FLOAT_EQ(playfield.Board().Origin().y, 116.0f);
    EXPECT_EQ(playfield.Board().BottomRow(), 9);
    EXPECT_EQ(playfield.MoveDowns(), 3);
    EXPECT_EQ(sounds.Count(EGameSound::MoveLevelDown), 3);
    const Vec3 centre = playfield.Board().CellCenter(0, 1);
    EXPECT_FLOAT_EQ(centre.y, 74.0f + 84.0f);
}

// Fires at the far left until the shots of one move-down are used up.
int32_t FireMissesUntilMoveDown(CPlayfield& playfield, int32_t maxShots) {
    for (int32_t shot = 0; shot < maxShots; ++shot) {
        if (StepUntil(playfield, [&] { return playfield.CanFire(); }) >= 3000) {
            return -1;
        }
        playfield.SetBalls(BallCell{5, 0}, BallCell{5, 0});
        playfield.Update(CPlayfield::kStepLength, FireAt(20.0f, 300.0f));
        StepUntil(playfield, [&] { return playfield.IsMovingDown() || playfield.CanFire(); });
        if (playfield.IsMovingDown()) {
            return shot + 1;
        }
    }
    return 0;
}

TEST(MoveDown, AfterTheDifficultysShotsWithAShakeWarningOneShotBefore) {
    struct Case {
        int32_t difficulty;
        int32_t shots;
    };
    for (const Case& c : {Case{3, 5}, Case{1, 7}, Case{2, 6}}) {
        CSoundRecorder sounds;
        CPlayfield playfield;
        playfield.SetDifficulty(c.difficulty);
        StartWith(playfield, {"0123012301", " 230123012"});
        EXPECT_EQ(FireMissesUntilMoveDown(playfield, 10), c.shots) << c.difficulty;
        EXPECT_EQ(sounds.Count(EGameSound::ShakeLevel), 1) << c.difficulty;
    }
}

TEST(MoveDown, IdlingStartsTheCountdownAndThenMovesTheField) {
    CSoundRecorder sounds;
    CPlayfield playfield;
    playfield.SetDifficulty(3);
    StartWith(playfield, {"0101010101"});
    const int32_t toCountdown = StepUntil(playfield, [&] { return playfield.IsCountdownRunning(); });
    EXPECT_NEAR(toCountdown * CPlayfield::kStepLength, 10.0f, 0.02f);
    EXPECT_EQ(playfield.CountdownDigit(), 5);
    const int32_t toMove = StepUntil(playfield, [&] { return playfield.IsMovingDown(); });
    EXPECT_NEAR(toMove * CPlayfield::kStepLength, 5.0f, 0.02f);
    EXPECT_EQ(sounds.Count(EGameSound::Countdown), 5);
}

TEST(MoveDown, FiringStartsTheIdleTimeAgain) {
    CPlayfield playfield;
    playfield.SetDifficulty(3);
    StartWith(playfield, {"0101010101"});
    StepUntil(playfield, [] { return false; }, static_cast<int32_t>(9.5f / CPlayfield::kStepLength));
    ASSERT_FALSE(playfield.IsCountdownRunning());
    playfield.SetBalls(BallCell{5, 0}, BallCell{5, 0});
    playfield.Update(CPlayfield::kStepLength, FireAt(20.0f, 300.0f));
    const int32_t toCountdown = StepUntil(playfield, [&] { return playfield.IsCountdownRunning(); });
    EXPECT_NEAR(toCountdown * CPlayfield::kStepLength, 10.0f, 0.05f) << "the whole idle time after the shot";
}

// However the field moved down (the shots of a move-down used up, or the countdown run
// out), the shots for the next move-down are counted from none again.
TEST(MoveDown, TheShotCountStartsAgainAfterAMoveDown) {
    for (const bool byShots : {true, false}) {
        SCOPED_TRACE(byShots ? "moved by shots" : "moved by the countdown");
        CPlayfield playfield;
        playfield.SetDifficulty(3);
        StartWith(playfield, {"0123012301", " 230123012"});
        const int32_t perMoveDown = RulesForDifficulty(3).shotsPerMoveDown;
        if (byShots) {
            ASSERT_EQ(FireMissesUntilMoveDown(playfield, 10), perMoveDown);
        } else {
            ASSERT_EQ(FireMissesUntilMoveDown(playfield, 2), 0);
            ASSERT_EQ(playfield.ShotsBeforeMoveDown(), perMoveDown - 2);
            StepUntil(playfield, [&] { return playfield.IsMovingDown(); });
            ASSERT_TRUE(playfield.IsMovingDown());
        }
        StepUntil(playfield, [&] { return !playfield.IsMovingDown() && playfield.CanFire(); });
        EXPECT_EQ(playfield.ShotsBeforeMoveDown(), perMoveDown);
        EXPECT_FALSE(playfield.IsShakeWarningOn());
        EXPECT_EQ(FireMissesUntilMoveDown(playfield, 10), perMoveDown) << "the next move-down";
    }
}

// A warning left on by the last level is not carried into the next one.
TEST(MoveDown, ANewLevelStartsWithoutTheShakeWarning) {
    CPlayfield playfield;
    playfield.SetDifficulty(3);
    StartWith(playfield, {"0123012301", " 230123012"});
    const int32_t perMoveDown = RulesForDifficulty(3).shotsPerMoveDown;
    ASSERT_EQ(FireMissesUntilMoveDown(playfield, perMoveDown - 1), 0);
    ASSERT_TRUE(playfield.IsShakeWarningOn());
    StartWith(playfield, {"0123012301"});
    EXPECT_FALSE(playfield.IsShakeWarningOn());
    EXPECT_EQ(playfield.ShotsBeforeMoveDown(), perMoveDown);
}

// ---------------------------------------------------------------- lives

TEST(Lives, ABallLeftInTheBottomRowCostsALifeAndTheLevelIsReplayed) {
    CRecordingListener listener;
    CPlayfield playfield;
    playfield.SetListener(&listener);
    std::vector<const char*> rows = {"0101010101", " 232323232", "0101010101", " 232323232", "0101010101",
                                     " 232323232", "0101010101", " 232323232", "0101010101", " 232323232",
                                     "0101010101", " 232323232"};
    StartWith(playfield, rows);
    playfield.SetBalls(BallCell{5, 0}, BallCell{5, 0});
    playfield.LandShot(playfield.Board().CellTopLeft(3, 12));
    ASSERT_EQ(playfield.Board().CellAt(3, 12).colour, 5);
    StepUntil(playfield, [&] { return playfield.IsClearing(); });
    EXPECT_EQ(playfield.Progress().lives, 1);
    EXPECT_EQ(listener.livesLost, 1);
    StepUntil(playfield, [&] { return !playfield.IsClearing(); });
    EXPECT_EQ(playfield.Board().BallCount(), 0);
    EXPECT_EQ(listener.replays, 1);
    EXPECT_EQ(listener.gameOvers, 0);
    EXPECT_FALSE(playfield.IsGameOver());
}

TEST(Lives, OnlyLosingALifeWithNoneSpareEndsTheGame) {
    struct Case {
        int32_t livesBefore;
        bool gameOver;
    };
    for (const Case& c : {Case{2, false}, Case{1, false}, Case{0, true}}) {
        CSoundRecorder sounds;
        CRecordingListener listener;
        CPlayfield playfield;
        playfield.SetListener(&listener);
        StartWith(playfield, {"0101010101"});
        playfield.Progress().lives = c.livesBefore;
        playfield.LoseLife();
        EXPECT_EQ(playfield.Progress().lives, c.livesBefore - 1);
        StepUntil(playfield, [&] { return !playfield.IsClearing(); });
        EXPECT_EQ(playfield.IsGameOver(), c.gameOver) << c.livesBefore << " lives before";
        EXPECT_EQ(listener.gameOvers, c.gameOver ? 1 : 0) << c.livesBefore << " lives before";
        EXPECT_EQ(listener.replays, c.gameOver ? 0 : 1) << c.livesBefore << " lives before";
        EXPECT_EQ(sounds.Count(EGameSound::GameOver), c.gameOver ? 1 : 0) << c.livesBefore << " lives before";
    }
}

// ---------------------------------------------------------------- the end of a level

TEST(LevelEnd, AnEmptyFieldSweepsTheRowBonusThenReportsTheEndOnce) {
    struct Case {
        int32_t bottomRow;
        int32_t bonus;
    };
    for (const Case& c : {Case{12, 102375}, Case{9, 12775}}) {
        CRecordingListener listener;
        CPlayfield playfield;
        playfield.SetListener(&listener);
        StartWith(playfield, {"000......."});
        playfield.Board().SetBottomRow(c.bottomRow);
        playfield.SetBalls(BallCell{0, 0}, BallCell{0, 0});
        playfield.LandShot(playfield.Board().CellTopLeft(3, 0));
        ASSERT_EQ(playfield.Board().BallCount(), 0);
        const int32_t steps = StepUntil(playfield, [&] { return listener.levelsFinished > 0; }, 20000);
        ASSERT_LT(steps, 20000);
        EXPECT_TRUE(playfield.IsLevelFinished());
        EXPECT_EQ(listener.rowBonus, c.bonus);
        EXPECT_EQ(listener.rowBonusMessages, c.bottomRow);
        EXPECT_EQ(playfield.NextBallCell().colour, BallColour::Empty);
        StepUntil(playfield, [] { return false; }, 300);
        EXPECT_EQ(listener.levelsFinished, 1) << "reported once";
    }
}

TEST(LevelEnd, WithoutAListenerTheRowBonusGoesToTheScoreAndAClickHurriesIt) {
    CPlayfield playfield;
    StartWith(playfield, {});
    PlayInput click;
    click.skipHit = true;
    int32_t steps = 0;
    while (!playfield.IsRowBonusDone() && steps < 5000) {
        playfield.Update(CPlayfield::kStepLength, steps == 0 ? click : PlayInput());
        ++steps;
    }
    EXPECT_EQ(playfield.Progress().score, 102375);
    EXPECT_LE(steps, 12 * 10 - 6 + 2) << "one cell per step once hurried";
}

// ---------------------------------------------------------------- levels in a row

// What a one-shot level shows: its start, its row bonus and its end.
struct LevelOutcome {
    float originY = 0.0f;
    int32_t bottomRowAtStart = 0;
    int32_t dropOffsetAtStart = 0;
    int32_t shotsBeforeMoveDownAtStart = 0;
    int32_t comboAtStart = 0;
    bool shakingAtStart = false;
    int32_t rowBonus = 0;
    int32_t rowBonusMessages = 0;
    int32_t levelsFinished = 0;
    int32_t stepsToEnd = 0;
    bool operator==(const LevelOutcome&) const = default;
};

// Plays {"000......."} to its end with one landing; a busy level first fires a shot that
// matches nothing, builds a combo and moves the field down, so that state is left over.
LevelOutcome PlayOneShotLevel(CPlayfield& playfield, bool busy) {
    CRecordingListener listener;
    playfield.SetListener(&listener);
    StartWith(playfield, {"000......."});
    LevelOutcome outcome;
    outcome.originY = playfield.Board().Origin().y;
    outcome.bottomRowAtStart = playfield.Board().BottomRow();
    outcome.dropOffsetAtStart = playfield.DropOffset();
    outcome.shotsBeforeMoveDownAtStart = playfield.ShotsBeforeMoveDown();
    outcome.comboAtStart = playfield.Progress().combo;
    outcome.shakingAtStart = playfield.IsShakeWarningOn();
    if (busy) {
        // A shot that matches nothing, hanging from the zeros: it falls with them.
        playfield.SetBalls(BallCell{5, 0}, BallCell{5, 0});
        playfield.Fire(300.0f, 100.0f);
        playfield.LandShot(playfield.Board().CellTopLeft(1, 1));
        StepUntil(playfield, [&] { return playfield.CanFire(); });
        playfield.Progress().combo = 3;
        playfield.StartMoveDown();
        StepUntil(playfield, [&] { return !playfield.IsMovingDown(); });
    }
    playfield.SetBalls(BallCell{0, 0}, BallCell{0, 0});
    playfield.LandShot(playfield.Board().CellTopLeft(3, 0));
    outcome.stepsToEnd = StepUntil(playfield, [&] { return listener.levelsFinished > 0; }, 20000);
    StepUntil(playfield, [] { return false; }, 100);
    outcome.rowBonus = listener.rowBonus;
    outcome.rowBonusMessages = listener.rowBonusMessages;
    outcome.levelsFinished = listener.levelsFinished;
    playfield.SetListener(nullptr);
    return outcome;
}

TEST(LevelsInARow, ALevelAfterAnotherOnTheSamePlayfieldPlaysAsOnANewOne) {
    CPlayfield fresh;
    const LevelOutcome alone = PlayOneShotLevel(fresh, false);
    ASSERT_EQ(alone.levelsFinished, 1);
    ASSERT_EQ(alone.rowBonusMessages, 12);

    CPlayfield used;
    const LevelOutcome first = PlayOneShotLevel(used, true);
    ASSERT_EQ(first.levelsFinished, 1);
    EXPECT_EQ(first.rowBonusMessages, 11) << "the busy level moved down once: one row less to sweep";
    for (int32_t level = 2; level <= 3; ++level) {
        EXPECT_TRUE(PlayOneShotLevel(used, false) == alone) << "level " << level << " on the same playfield";
    }
}

}  // namespace
