// Points, combos, extra lives, the row bonus and the level-done figures.
#include "GameFixtures.h"

#include <cstring>

namespace {

TEST(Scoring, BallPointsForOneToTenBalls) {
    const int32_t expected[] = {0, 500, 1050, 500, 1000, 1550, 2150, 2800, 3500, 4250, 5050};
    for (int32_t n = 0; n <= 10; ++n) {
        EXPECT_EQ(BallPoints(n), expected[n]) << n;
    }
    EXPECT_EQ(BallPoints(-3), 0);
}

TEST(Scoring, ComboPointsForTwoToEightSuccessiveRemovals) {
    const int32_t expected[] = {0, 0, 200, 400, 800, 1200, 1800, 2400, 3200};
    for (int32_t c = 0; c <= 8; ++c) {
        EXPECT_EQ(ComboPoints(c), expected[c]) << c;
    }
    EXPECT_GT(ComboPoints(100000), 0) << "a huge combo saturates instead of wrapping";
}

TEST(Scoring, ScoreRemovalAddsBothPartsAndUsesTheCounterUp) {
    PlayerProgress progress;
    progress.score = 1000;
    progress.removed = 4;
    progress.combo = 2;
    EXPECT_EQ(ScoreRemoval(progress), 1200);
    EXPECT_EQ(progress.score, 2200);
    EXPECT_EQ(progress.ballPoints, 1000);
    EXPECT_EQ(progress.comboPoints, 200);
    EXPECT_EQ(progress.removed, 0);
    EXPECT_EQ(ScoreRemoval(progress), 200) << "nothing removed: the combo part alone";
}

TEST(Scoring, AScoreAtTheTopOfItsRangeStaysThere) {
    // A record carried over from a saved game can hold any values.
    PlayerProgress progress;
    progress.score = INT32_MAX - 100;
    progress.removed = 3;
    progress.combo = INT32_MAX;
    EXPECT_EQ(ScoreRemoval(progress), INT32_MAX) << "ball and combo points together saturate";
    EXPECT_EQ(progress.score, INT32_MAX);

    progress.score = INT32_MAX - 100;
    AddToScore(progress, 250);
    EXPECT_EQ(progress.score, INT32_MAX);
    AddToScore(progress, -250);
    EXPECT_EQ(progress.score, INT32_MAX - 250) << "points below zero still count";
}

TEST(Scoring, ExtraLivesAtDifficultyTwoEveryQuarterMillion) {
    PlayerProgress progress;
    struct Step {
        int32_t score;
        bool won;
        int32_t lives;
    };
    const Step steps[] = {{249999, false, 2}, {250000, true, 3}, {499999, false, 3}, {500000, true, 4}, {500001, false, 4}};
    for (const Step& step : steps) {
        progress.score = step.score;
        progress.extraLifeWon = 0;
        EXPECT_EQ(CheckExtraLife(progress, 2), step.won) << step.score;
        EXPECT_EQ(progress.lives, step.lives) << step.score;
        EXPECT_EQ(progress.extraLifeWon, step.won ? 1 : 0) << step.score;
    }
    PlayerProgress jump;
    jump.score = 800000;
    EXPECT_TRUE(CheckExtraLife(jump, 2));
    EXPECT_EQ(jump.lives, 3) << "one life per step";
    EXPECT_EQ(jump.extraLifeBase, 250000);
}

TEST(Scoring, NoLifeIsWonPastTheMost) {
    const struct {
        int32_t lives;
        bool won;
    } cases[] = {{kMaxLives - 1, true}, {kMaxLives, false}};
    for (const auto& c : cases) {
        PlayerProgress progress;
        progress.lives = c.lives;
        progress.score = 300000;
        EXPECT_EQ(CheckExtraLife(progress, 2), c.won) << c.lives;
        EXPECT_EQ(progress.lives, c.won ? c.lives + 1 : c.lives);
        EXPECT_EQ(progress.extraLifeWon, c.won ? 1 : 0);
        EXPECT_EQ(progress.extraLifeBase, 250000) << "the mark moves on either way";
    }
}

TEST(Scoring, DifficultyTable) {
    struct Case {
        int32_t difficulty;
        float idle;
        int32_t shots, lifeStep;
    };
    const Case cases[] = {{1, 600.0f, 7, 100000}, {2, 15.0f, 6, 250000}, {3, 10.0f, 5, 500000},
                          {4, 5.0f, 5, 1000000},  {5, 6.0f, 5, 1000000}, {0, 5.0f, 5, 1000000},
                          {9, 5.0f, 5, 1000000}};
    for (const Case& c : cases) {
        const DifficultyRules rules = RulesForDifficulty(c.difficulty);
        EXPECT_FLOAT_EQ(rules.idleTime, c.idle) << c.difficulty;
        EXPECT_EQ(rules.shotsPerMoveDown, c.shots) << c.difficulty;
        EXPECT_EQ(rules.extraLifeStep, c.lifeStep) << c.difficulty;
    }
}

TEST(Scoring, RowBonusDoublesRowByRow) {
    EXPECT_EQ(RowBonusForRow(0), 25);
    EXPECT_EQ(RowBonusForRow(11), 51200);
    EXPECT_EQ(RowBonusTotal(12), 102375);
    EXPECT_EQ(RowBonusTotal(9), 12775);
    EXPECT_EQ(RowBonusTotal(0), 0);
}

TEST(LevelDone, AccuracyBonusAndLines) {
    struct Case {
        int32_t shots, hits, matches, moveDowns;
        const char* title;
        const char* accuracyLine;
        const char* bonusLine;   // null: no bonus line
        int32_t bonus;
        const char* combosLine;
        float combosY;
    };
    const Case cases[] = {
        {50, 35, 6, 2, "WELL DONE", "Accuracy 70%", "Bonus 2500", 2500, "Combos 5", 243.0f},
        {100, 49, 3, 1, "WELL DONE", "Accuracy 49%", nullptr, 0, "Combos 2", 215.0f},
        {10, 10, 4, 3, "PERFECT", "Accuracy 100%", "Bonus 25000", 25000, "Combos 3", 243.0f},
        {20, 19, 4, 0, "PERFECT BONUS", "Accuracy 95%", "Bonus 10000", 10000, "Combos 3", 243.0f},
        {40, 33, 4, 11, "THAT WAS CLOSE", "Accuracy 83%", "Bonus 5000", 5000, "Combos 3", 243.0f},
        {10, 9, 2, 4, "WELL DONE", "Accuracy 90%", "Bonus 10000", 10000, "Combos 1", 243.0f},
        {10, 8, 2, 4, "WELL DONE", "Accuracy 80%", "Bonus 5000", 5000, "Combos 1", 243.0f},
        {3, 2, 1, 1, "WELL DONE", "Accuracy 67%", "Bonus 1000", 1000, "Combos 0", 243.0f},
    };
    for (const Case& c : cases) {
        LevelStatistics stats;
        stats.shots = c.shots;
        stats.hits = c.hits;
        stats.matches = c.matches;
        const LevelDoneSummary summary = BuildLevelDoneSummary(stats, c.moveDowns);
        ASSERT_EQ(summary.lineCount, c.bonusLine ? 4 : 3) << c.shots << "/" << c.hits;
        EXPECT_STREQ(summary.lines[0].text, c.title);
        EXPECT_FLOAT_EQ(summary.lines[0].y, 130.0f);
        EXPECT_STREQ(summary.lines[1].text, c.accuracyLine);
        EXPECT_FLOAT_EQ(summary.lines[1].y, 180.0f);
        if (c.bonusLine) {
            EXPECT_STREQ(summary.lines[2].text, c.bonusLine);
            EXPECT_FLOAT_EQ(summary.lines[2].y, 215.0f);
        }
        EXPECT_STREQ(summary.lines[summary.lineCount - 1].text, c.combosLine);
        EXPECT_FLOAT_EQ(summary.lines[summary.lineCount - 1].y, c.combosY);
        EXPECT_EQ(summary.bonus, c.bonus);
        EXPECT_EQ(summary.perfect, c.shots == c.hits);
    }
}

TEST(LevelDone, ALevelWithoutAShotNeedsNoDivisionAndLeavesTheAverageAlone) {
    LevelStatistics stats;
    stats.averageAccuracy = 64;
    const LevelDoneSummary summary = BuildLevelDoneSummary(stats, 0);
    EXPECT_EQ(summary.accuracy, 100);
    EXPECT_STREQ(summary.lines[1].text, "Accuracy 100%");
    EXPECT_EQ(summary.bonus, 0) << "no shot earns no accuracy bonus";
    RollLevelStatistics(stats, summary);
    EXPECT_EQ(stats.averageAccuracy, 64);
}

TEST(LevelDone, StatisticsRollOverIntoTheGameFigures) {
    LevelStatistics stats;
    stats.shots = 50;
    stats.hits = 35;
    stats.matches = 6;
    RollLevelStatistics(stats, BuildLevelDoneSummary(stats, 1));
    EXPECT_EQ(stats.averageAccuracy, 70);
    EXPECT_EQ(stats.totalMatches, 6);
    EXPECT_EQ(stats.shots + stats.hits + stats.matches, 0);
    stats.shots = 10;
    stats.hits = 9;
    stats.matches = 2;
    RollLevelStatistics(stats, BuildLevelDoneSummary(stats, 1));
    EXPECT_EQ(stats.averageAccuracy, (70 + 90) / 2);
    EXPECT_EQ(stats.totalMatches, 8);
    const GameDoneSummary done = BuildGameDoneSummary(stats);
    EXPECT_STREQ(done.lines[0].text, "YOU'VE COMPLETED ALL THE LEVELS");
    EXPECT_STREQ(done.lines[1].text, "Accuracy 80%");
    EXPECT_STREQ(done.lines[2].text, "Combos 8");
}

TEST(PopUps, TakeTheNextFreeSlotFadeAndDropWhenFull) {
    CScorePopUps popUps;
    popUps.SetMeasure([](const void*, const char* text) { return static_cast<int32_t>(std::strlen(text)) * 10; }, nullptr, 20);
    popUps.Add("500", 100.0f, 50.0f);
    EXPECT_FLOAT_EQ(popUps.Slot(0).x, 85.0f);
    EXPECT_FLOAT_EQ(popUps.Slot(0).y, 40.0f);
    for (int32_t i = 1; i < 25; ++i) {
        popUps.AddNumber(i, 0.0f, 0.0f);
    }
    EXPECT_EQ(popUps.ActiveCount(), CScorePopUps::kSlots);
    EXPECT_STREQ(popUps.Slot(19).text, "19") << "the 21st and later were dropped";
    int32_t steps = 0;
    while (popUps.IsBusy() && steps < 1000) {
        popUps.Update(1.0f / 150.0f);
        ++steps;
    }
    EXPECT_NEAR(steps, 201, 1) << "alpha falls by 0.75 per second until below 0";
}

}  // namespace
