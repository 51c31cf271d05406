// The course of a game without a screen: levels loaded in turn up to the last, the
// level-done summary and its bonus, a level loaded again after a lost life with the
// running values kept, the extra life, and what follows each panel.
#include "core/Random.h"
#include "game/GameFlow.h"
#include "tests/game/GameFixtures.h"

#include <vector>

namespace {

std::vector<uint8_t> LevelBytesFromRows(const std::vector<const char*>& rows) {
    BoardGrid grid;
    std::string error;
    EXPECT_TRUE(ParseLevelText(LevelTextFromRows(rows), grid, error)) << error;
    std::vector<uint8_t> bytes(kLevelFileSize);
    LevelFileBytes(grid, bytes.data());
    return bytes;
}

// Levels in memory; a level may be marked damaged, and every request is noted.
class CLevelsInMemory : public ILevelSource {
public:
    bool LoadLevel(int32_t number, CPlayfield& playfield) override {
        asked.push_back(number);
        playfield.Random().Seed(static_cast<uint32_t>(number));
        if (number < 1 || static_cast<size_t>(number) > files.size()) {
            return false;
        }
        const std::vector<uint8_t>& bytes = files[static_cast<size_t>(number) - 1];
        return !bytes.empty() && playfield.LoadLevelBytes(bytes.data(), bytes.size());
    }

    std::vector<std::vector<uint8_t>> files;
    std::vector<int32_t> asked;
};

class GameFlowTest : public ::testing::Test {
protected:
    GameFlowTest() : flow(playfield, levels) {
        levels.files.push_back(LevelBytesFromRows({"0000011111"}));
        levels.files.push_back(LevelBytesFromRows({"2222233333"}));
        levels.files.push_back(LevelBytesFromRows({"4444455555"}));
        playfield.SetDifficulty(3);
    }

    // A new game from level 1 to lastLevel, its first level started.
    void NewGame(int32_t lastLevel) {
        flow.BeginGame(1, lastLevel);
        flow.ResetProgress();
        ASSERT_TRUE(flow.LoadLevel(false));
        flow.StartLevel();
    }

    CPlayfield playfield;
    CLevelsInMemory levels;
    CGameFlow flow;
};

TEST_F(GameFlowTest, LevelsFollowEachOtherUpToTheLastAndThenThePackIsDone) {
    NewGame(2);
    EXPECT_EQ(playfield.Board().CellAt(0, 0).colour, 0);
    flow.FinishLevel();
    EXPECT_EQ(flow.LevelNumber(), 2);
    EXPECT_EQ(playfield.Board().CellAt(0, 0).colour, 2) << "the next level is loaded behind the panel";
    EXPECT_EQ(flow.AfterLevelDone(), EFlowNext::StartLevel);
    EXPECT_FALSE(flow.IsGameOver());
    flow.StartLevel();
    flow.FinishLevel();
    EXPECT_TRUE(flow.IsAllLevelsDone());
    EXPECT_TRUE(flow.IsGameOver());
    EXPECT_EQ(flow.AfterLevelDone(), EFlowNext::GameDone);
    EXPECT_EQ(flow.LevelsFinished(), 2);
    EXPECT_EQ(levels.asked, (std::vector<int32_t>{1, 2})) << "a level past the last one is never asked for";
}

TEST_F(GameFlowTest, ALevelThatCannotBeLoadedEndsThePack) {
    levels.files[1].clear();
    NewGame(3);
    flow.FinishLevel();
    EXPECT_TRUE(flow.IsAllLevelsDone());
    EXPECT_EQ(flow.AfterLevelDone(), EFlowNext::GameDone);
    // A new game starts afresh.
    NewGame(3);
    EXPECT_FALSE(flow.IsGameOver());
    EXPECT_EQ(flow.Proceed(), EFlowNext::StartLevel);
}

// Any level number gives the first level, so that only the flow's own bound ends the pack.
class CEndlessLevels : public ILevelSource {
public:
    bool LoadLevel(int32_t number, CPlayfield& playfield) override {
        asked.push_back(number);
        const std::vector<uint8_t> bytes = LevelBytesFromRows({"0000011111"});
        return playfield.LoadLevelBytes(bytes.data(), bytes.size());
    }
    std::vector<int32_t> asked;
};

TEST(GameFlowLimits, TheLevelNumberStopsAtItsMostWithoutOverflow) {
    const struct {
        int32_t level;
        bool packDone;   // after the level is finished
    } cases[] = {
        {kMaxLevelNumber - 1, false},
        {kMaxLevelNumber, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        CPlayfield playfield;
        CEndlessLevels levels;
        CGameFlow flow(playfield, levels);
        flow.BeginGame(c.level, 0x7FFFFFFF);
        flow.ResetProgress();
        ASSERT_TRUE(flow.LoadLevel(false));
        flow.StartLevel();
        flow.FinishLevel();
        EXPECT_EQ(flow.IsAllLevelsDone(), c.packDone);
        EXPECT_LE(flow.LevelNumber(), kMaxLevelNumber);
        for (const int32_t asked : levels.asked) {
            EXPECT_LE(asked, kMaxLevelNumber);
        }
    }
}

TEST_F(GameFlowTest, TheLevelDonePaysTheAccuracyBonusAndFoldsTheLevelIntoTheGame) {
    struct Case {
        const char* what;
        int32_t shots, hits, bonus;
    };
    for (const Case& c : {Case{"every shot a hit", 10, 10, 25000}, Case{"half", 10, 5, 1000},
                          Case{"below half", 10, 4, 0}, Case{"no shot at all", 0, 0, 0}}) {
        SCOPED_TRACE(c.what);
        NewGame(3);
        playfield.Progress().score = 1000;
        playfield.Stats().shots = c.shots;
        playfield.Stats().hits = c.hits;
        playfield.Stats().matches = 4;
        const int32_t bonus = c.bonus;
        const LevelDoneSummary summary = flow.FinishLevel();
        EXPECT_EQ(summary.bonus, bonus);
        EXPECT_EQ(playfield.Progress().score, 1000 + bonus);
        EXPECT_EQ(playfield.Stats().shots, 0);
        EXPECT_EQ(playfield.Stats().totalMatches, 4);
    }
}

TEST_F(GameFlowTest, ALostLifeLoadsTheLevelAgainAndKeepsTheRunningValues) {
    NewGame(3);
    flow.FinishLevel();
    flow.StartLevel();
    playfield.Progress().score = 4321;
    playfield.Progress().lives = 1;
    playfield.Stats().shots = 6;
    playfield.Stats().totalMatches = 9;
    playfield.Board().SetCell(7, 0, 0, 0);
    ASSERT_TRUE(flow.ReloadLevel());
    EXPECT_EQ(flow.LevelNumber(), 2);
    EXPECT_EQ(playfield.Board().CellAt(0, 0).colour, 2) << "the field is the level's own again";
    EXPECT_EQ(playfield.Progress().score, 4321);
    EXPECT_EQ(playfield.Progress().lives, 1);
    EXPECT_EQ(playfield.Stats().shots, 0);
    EXPECT_EQ(playfield.Stats().totalMatches, 9) << "the game's figures stay";
    EXPECT_EQ(flow.Proceed(), EFlowNext::StartLevel);
}

TEST_F(GameFlowTest, AnExtraLifeComesOnceWhenTheScorePassesItsMark) {
    NewGame(3);
    const int32_t step = RulesForDifficulty(3).extraLifeStep;
    playfield.Progress().score = step - 1;
    EXPECT_FALSE(flow.CheckExtraLife());
    EXPECT_EQ(playfield.Progress().lives, 2);
    playfield.Progress().score = step;
    EXPECT_TRUE(flow.CheckExtraLife());
    EXPECT_EQ(playfield.Progress().lives, 3);
    EXPECT_FALSE(flow.CheckExtraLife()) << "one life for one mark";
    EXPECT_EQ(playfield.Progress().lives, 3);
}

TEST_F(GameFlowTest, TheFinalScoreIsNeverBelowZero) {
    NewGame(3);
    playfield.Progress().score = -5;
    EXPECT_EQ(flow.FinalScore(), 0u);
    playfield.Progress().score = 777;
    EXPECT_EQ(flow.FinalScore(), 777u);
}

}  // namespace
