// The difficulty report: the figures of a level, a tiny pack measured end to end, the
// table and chart it gives, and the check of the pack's order.
#include "tests/game/GameFixtures.h"
#include "tools/sim/Report.h"

namespace {

LevelBytes LevelFromRows(const char* name, const std::vector<const char*>& rows) {
    BoardGrid grid;
    std::string error;
    EXPECT_TRUE(ParseLevelText(LevelTextFromRows(rows), grid, error)) << error;
    LevelBytes level;
    level.name = name;
    level.bytes.resize(kLevelFileSize);
    LevelFileBytes(grid, level.bytes.data());
    return level;
}

LevelResult Game(bool cleared, int32_t shots, int32_t livesLost) {
    LevelResult result;
    result.cleared = cleared;
    result.shots = shots;
    result.livesLost = livesLost;
    return result;
}

TEST(LevelMeasure, SumsItsGamesIntoSharesMeansAndOneDifficulty) {
    LevelMeasure measure;
    measure.balls = 40;
    AddGame(measure, Game(true, 10, 0));
    AddGame(measure, Game(true, 20, 1));
    AddGame(measure, Game(false, 30, 3));
    AddGame(measure, Game(true, 20, 0));
    EXPECT_EQ(measure.games, 4);
    EXPECT_EQ(measure.cleared, 3);
    EXPECT_EQ(measure.clearedClean, 2);
    EXPECT_DOUBLE_EQ(measure.CleanShare(), 0.5);
    EXPECT_DOUBLE_EQ(measure.MeanShots(), 20.0);
    EXPECT_DOUBLE_EQ(measure.MeanLivesLost(), 1.0);
    EXPECT_DOUBLE_EQ(measure.ShotsPerBall(), 0.5);
    // 20 shots, one lost life a game (20), a quarter of the games not cleared (50 / 4).
    EXPECT_DOUBLE_EQ(measure.Difficulty(), 52.5);
}

TEST(PackReport, MeasuresATinyTwoLevelPackAndShowsItsCurve) {
    // A pair that one shot takes, and two pairs of two colours that take two shots.
    const std::vector<LevelBytes> pack = {LevelFromRows("one", {"11........"}),
                                          LevelFromRows("two", {"1122......"})};
    ReportOptions options;
    options.seeds = 3;
    const std::vector<LevelMeasure> measures = MeasurePack(pack, options);
    ASSERT_EQ(measures.size(), 2u);
    const std::string table = FormatReportTable(measures, options);
    EXPECT_NE(table.find("| 1 | 2 | 3/3 | 100 % | 1.0 | 0.00 | 0.50 | 1.0 |"), std::string::npos) << table;
    EXPECT_NE(table.find("| 2 | 4 | 3/3 | 100 % | 2.0 | 0.00 | 0.50 | 2.0 |"), std::string::npos) << table;
    EXPECT_NE(table.find("3 seeds per level from seed 1"), std::string::npos) << table;

    const std::string chart = FormatCurveSvg(measures);
    EXPECT_EQ(chart, FormatCurveSvg(MeasurePack(pack, options)));
    EXPECT_EQ(chart.rfind("<svg ", 0), 0u);
    // The harder second level sits higher (a smaller y) than the first.
    std::vector<double> heights;
    for (size_t at = chart.find("<circle"); at != std::string::npos; at = chart.find("<circle", at + 1)) {
        heights.push_back(std::stod(chart.substr(chart.find("cy=\"", at) + 4)));
    }
    ASSERT_EQ(heights.size(), 2u);
    EXPECT_LT(heights[1], heights[0]);
}

struct OrderCase {
    const char* what;
    std::vector<double> difficulties;
    const char* faultLine;   // null: the order holds
};

TEST(PackOrder, RejectsALevelFarHarderThanTheFiveAfterIt) {
    const OrderCase cases[] = {
        {"a steady rise", {5, 6, 7, 8, 9, 10, 11, 12}, nullptr},
        {"level 3 far harder than levels 4-8", {5, 6, 40, 8, 9, 10, 11, 12, 13}, "level 3 (difficulty 40.0)"},
        {"a breather after level 3 and a harder level 8 within reach", {10, 12, 15, 11, 12, 14, 16, 18}, nullptr},
        {"level 2 just inside the factor", {10, 13.4, 10}, nullptr},
        {"level 2 just past the factor", {10, 13.6, 10}, "level 2 (difficulty 13.6)"},
        {"only the five after count, not the sixth", {10, 30, 5, 5, 5, 5, 5, 40}, "level 2 (difficulty 30.0)"},
        {"the last level has nothing after it", {5, 6, 7, 30}, nullptr},
    };
    for (const OrderCase& c : cases) {
        std::string error;
        const bool holds = CheckPackOrder(c.difficulties, OrderRules(), error);
        EXPECT_EQ(holds, c.faultLine == nullptr) << c.what << ": " << error;
        if (c.faultLine != nullptr) {
            EXPECT_NE(error.find(c.faultLine), std::string::npos) << c.what << ": " << error;
        }
    }
}

}  // namespace
