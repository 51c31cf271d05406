#pragma once
// The measured difficulty of a level pack: every level played by the bot over a row of
// seeds, its figures, one difficulty number per level, the table and the chart of the
// curve, and the check that the pack's order follows the curve.
#include "tools/sim/SimSession.h"

#include <cstdint>
#include <string>
#include <vector>

struct ReportOptions {
    int32_t difficulty = kNormalDifficulty;
    uint32_t firstSeed = 1;
    int32_t seeds = 6;   // games per level, seeds firstSeed, firstSeed + 1, ...
};

// The figures of one level over its games.
struct LevelMeasure {
    std::string name;
    int32_t balls = 0;          // balls in the field at the start
    int32_t games = 0;
    int32_t cleared = 0;        // games in which the level was cleared
    int32_t clearedClean = 0;   // ... without losing a life
    int64_t shots = 0;          // summed over the games
    int64_t livesLost = 0;      // summed over the games

    double CleanShare() const;
    double MeanShots() const;
    double MeanLivesLost() const;
    // Shots for each ball the level starts with.
    double ShotsPerBall() const;
    // One number for how hard the level plays: the mean shots, a lost life counted as
    // twenty shots, a game not cleared as fifty.
    double Difficulty() const;
};

// One game's result counted into a level's figures.
void AddGame(LevelMeasure& measure, const LevelResult& result);
// Every level of the pack over options.seeds games, on one playfield as the game plays.
std::vector<LevelMeasure> MeasurePack(const std::vector<LevelBytes>& levels, const ReportOptions& options);

// The table in Markdown, one row per level.
std::string FormatReportTable(const std::vector<LevelMeasure>& measures, const ReportOptions& options);
// The curve over the pack as an SVG picture; the same figures give the same bytes.
std::string FormatCurveSvg(const std::vector<LevelMeasure>& measures);

// The pack rises with breathers: no level may be far harder than all of the levels that
// follow it within the window (harder than the hardest of them by more than the factor).
struct OrderRules {
    int32_t window = 5;
    double factor = 1.35;
};
// False with one line per level that breaks the order.
bool CheckPackOrder(const std::vector<double>& difficulties, const OrderRules& rules, std::string& error);
std::vector<double> Difficulties(const std::vector<LevelMeasure>& measures);
