// The simulator's game through the game's own flow: lives, score and extra lives carried
// from level to level; a level the bot cannot win ends a plain game, and the pack check
// continues it once with fresh lives and judges it not cleared.
#include "game/LevelText.h"
#include "game/Bot.h"
#include "tools/sim/SimSession.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

LevelBytes LevelFromText(const std::string& name, const std::string& text) {
    BoardGrid grid;
    std::string error;
    EXPECT_TRUE(ParseLevelText(text, grid, error)) << error << "\n" << text;
    LevelBytes level;
    level.name = name;
    level.bytes.resize(kLevelFileSize);
    LevelFileBytes(grid, level.bytes.data());
    return level;
}

// Rows 0 to 11 full, three colours with no two neighbours alike: a shot can join at most
// one ball of its colour, so it never takes a group off and every ball that rests in row
// 12 costs a life.
LevelBytes HopelessLevel() {
    std::string text;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        const bool shortRow = row % 2 == 1;
        text += shortRow ? " " : "";
        for (int32_t column = 0; column < (shortRow ? kBoardColumns - 1 : kBoardColumns); ++column) {
            const int32_t q = column - (row - (row & 1)) / 2;
            text += row == kBoardRows - 1 ? '.' : static_cast<char>('0' + ((q - row) % 3 + 3) % 3);
        }
        text += '\n';
    }
    return LevelFromText("hopeless", text);
}

LevelBytes EasyLevel() {
    std::string text = "0000011111\n 000011111\n2222233333\n";
    for (int32_t row = 3; row < kBoardRows; ++row) {
        text += row % 2 == 1 ? " .........\n" : "..........\n";
    }
    return LevelFromText("easy", text);
}

std::vector<LevelBytes> PackLevels(size_t count) {
    std::vector<LevelBytes> levels;
    std::string error;
    EXPECT_TRUE(LoadLevelSources(PELLORA_SOURCE_DIR "/data/levels", levels, error)) << error;
    levels.resize(std::min(levels.size(), count));
    return levels;
}

TEST(SimGame, LivesScoreAndExtraLivesAreCarriedFromLevelToLevel) {
    const std::vector<LevelBytes> levels = PackLevels(6);
    ASSERT_EQ(levels.size(), 6u);
    SimOptions options;
    options.difficulty = 1;   // an extra life every 100000 points
    options.seed = 3;
    GameOptions game;
    CBot bot;
    const GameResult result = PlayGame(levels, game, options, bot);
    ASSERT_TRUE(result.packDone);
    ASSERT_EQ(result.levels.size(), levels.size());
    int32_t levelScores = 0, best = 0, livesLost = 0;
    for (const GameLevelResult& level : result.levels) {
        EXPECT_TRUE(level.level.cleared);
        levelScores += level.level.score;
        best = std::max(best, level.level.score);
        livesLost += level.level.livesLost;
    }
    EXPECT_GT(result.score, best) << "the score runs on through the levels";
    EXPECT_GE(result.extraLives, 1) << "no level alone reaches an extra life; the game's score does";
    EXPECT_EQ(result.score, levelScores);
    EXPECT_GT(result.accuracyBonus, 0);
    EXPECT_EQ(result.lives, 2 + result.extraLives - livesLost);
    EXPECT_EQ(result.levels.back().livesAfter, result.lives);
}

TEST(SimGame, AHopelessLevelEndsTheGameOrFailsThePackCheck) {
    const std::vector<LevelBytes> levels = {EasyLevel(), HopelessLevel(), EasyLevel()};
    SimOptions options;
    CBot bot;
    GameOptions plain;
    const GameResult lost = PlayGame(levels, plain, options, bot);
    EXPECT_TRUE(lost.gameOver);
    EXPECT_FALSE(lost.packDone);
    ASSERT_EQ(lost.levels.size(), 2u);
    EXPECT_TRUE(lost.levels[0].level.cleared);
    EXPECT_FALSE(lost.levels[1].level.cleared);
    EXPECT_LT(lost.levels[1].livesAfter, 0) << "every life was spent";
    EXPECT_EQ(lost.lives, lost.levels[1].livesAfter);

    GameOptions check;
    check.packCheck = true;
    const GameResult judged = PlayGame(levels, check, options, bot);
    EXPECT_FALSE(judged.gameOver);
    EXPECT_TRUE(judged.packDone);
    ASSERT_EQ(judged.levels.size(), 3u);
    EXPECT_EQ(judged.LevelsCleared(), 2);
    EXPECT_FALSE(judged.levels[1].level.cleared);
    EXPECT_EQ(judged.levels[1].rescues, 1) << "one fresh set of lives before the level is judged";
    EXPECT_EQ(judged.levels[0].rescues + judged.levels[2].rescues, 0);
    EXPECT_TRUE(judged.levels[2].level.cleared);
    EXPECT_EQ(judged.levels[2].livesAfter, 2 - judged.levels[2].level.livesLost) << "the next level has fresh lives";
    EXPECT_GT(judged.score, lost.score) << "the score is kept through the fresh lives";
}

TEST(SimGame, ARangeOfThePackIsPlayedFromItsFirstLevel) {
    const std::vector<LevelBytes> levels = {HopelessLevel(), EasyLevel(), EasyLevel(), HopelessLevel()};
    SimOptions options;
    CBot bot;
    GameOptions game;
    game.first = 1;
    game.last = 2;
    const GameResult result = PlayGame(levels, game, options, bot);
    EXPECT_TRUE(result.packDone);
    ASSERT_EQ(result.levels.size(), 2u);
    EXPECT_EQ(result.LevelsCleared(), 2);
}

}  // namespace
