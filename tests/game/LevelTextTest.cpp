// The text form of levels, and the designed level pack in data/levels.
#include "GameFixtures.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(LevelText, SymbolsMapToCodesBothWays) {
    const char symbols[] = ".01234567*~<>@#";
    for (int32_t i = 0; symbols[i] != '\0'; ++i) {
        int32_t colour = -100;
        ASSERT_TRUE(LevelColourForChar(symbols[i], colour)) << symbols[i];
        EXPECT_EQ(colour, i - 1) << symbols[i];
        EXPECT_EQ(LevelCharForColour(colour), symbols[i]);
    }
    int32_t colour = 0;
    EXPECT_FALSE(LevelColourForChar('8', colour));
    EXPECT_FALSE(LevelColourForChar('x', colour));
    EXPECT_EQ(LevelCharForColour(14), '?');
    EXPECT_EQ(LevelCharForColour(-2), '?');
}

TEST(LevelText, ParsesCommentsAndFormatsBackTheSameText) {
    const std::string body = LevelTextFromRows({"0*~<>@#..7", " 12345670.", "..........", " ......3.."});
    BoardGrid grid;
    std::string error;
    ASSERT_TRUE(ParseLevelText("; a comment\n" + body + "; trailing comment\n", grid, error)) << error;
    EXPECT_EQ(grid[0][1].colour, BallColour::Explosion);
    EXPECT_EQ(grid[1][7].colour, 0);
    EXPECT_EQ(grid[3][6].colour, 3);
    EXPECT_TRUE(grid[1][9].IsEmpty());
    EXPECT_EQ(FormatLevelText(grid), body);
    // CRLF line ends and trailing spaces are accepted.
    std::string windows;
    for (const char c : body) {
        windows += c == '\n' ? std::string("  \r\n") : std::string(1, c);
    }
    ASSERT_TRUE(ParseLevelText(windows, grid, error)) << error;
    EXPECT_EQ(FormatLevelText(grid), body);
}

TEST(LevelText, RefusesMalformedLevelsNamingTheLine) {
    struct Case {
        std::string text;
        const char* message;
    };
    const std::string good = LevelTextFromRows({});
    const Case cases[] = {
        {"0123456701\n" + good.substr(11), ""},   // control: valid
        {"012345670\n" + good.substr(11), "line 1: a long row holds 10 cells"},
        {" 012345670\n" + good.substr(11), "line 1: a long row must not be indented"},
        {"0000000000\n0000000000\n" + good.substr(22), "line 2: a short row must start with one space"},
        {"0000000000\n 0000000000\n" + good.substr(22), "line 2: a short row holds 9 cells"},
        {"00000x0000\n" + good.substr(11), "line 1: unknown cell character"},
        {good + "..........\n", "line 14: more than 13 rows"},
        {good.substr(0, good.size() - 11), "a level has 13 rows"},
    };
    for (const Case& c : cases) {
        BoardGrid grid;
        std::string error;
        const bool parsed = ParseLevelText(c.text, grid, error);
        EXPECT_EQ(parsed, c.message[0] == '\0') << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(LevelText, FileBytesKeepColumnNineOfShortRowsEmpty) {
    BoardGrid grid;
    std::string error;
    ASSERT_TRUE(ParseLevelText(LevelTextFromRows({"0123456701", " 123456701"}), grid, error));
    grid[1][9].colour = 4;   // as a damaged grid might hold
    uint8_t bytes[kLevelFileSize];
    LevelFileBytes(grid, bytes);
    CBoard board;
    ASSERT_TRUE(board.LoadFromBytes(bytes, sizeof(bytes)));
    EXPECT_TRUE(board.CellAt(9, 1).IsEmpty());
    EXPECT_EQ(board.CellAt(8, 1).colour, 1);
    EXPECT_EQ(board.BallCount(), 19);
}

TEST(LevelDesign, ChecksTheStartOfALevel) {
    struct Case {
        const char* what;
        std::vector<const char*> rows;
        const char* message;   // empty: passes
    };
    const Case cases[] = {
        {"open and held", {"0011223300", " 0.1.2.3..", "..0...1..."}, ""},
        {"a ball hanging from nothing", {"0011223300", " .........", "....1....."}, "hangs from nothing"},
        {"a colour walled in", {"##0#######", " ########.", "#########."}, "colour 0"},
        {"the lowest rows must be free",
         {"0000000000", " 000000000", "0000000000", " 000000000", "0000000000", " 000000000", "0000000000",
          " 000000000", "0000000000", " 000000000"},
         "row 9"},
    };
    for (const Case& c : cases) {
        BoardGrid grid;
        std::string error;
        ASSERT_TRUE(ParseLevelText(LevelTextFromRows(c.rows), grid, error)) << c.what;
        EXPECT_EQ(CheckLevelDesign(grid, LevelCheckRules(), error), c.message[0] == '\0') << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
}

TEST(LevelPack, AtLeastThirtyLevelsAllWellFormedAndOpenAtTheStart) {
    const std::filesystem::path dir = std::filesystem::path(PELLORA_SOURCE_DIR) / "data" / "levels";
    int32_t count = 0;
    int32_t coloursSeenMax = 0;
    bool powerUpSeen[BallColour::CodeCount] = {};
    for (int32_t number = 1;; ++number) {
        char name[16];
        std::snprintf(name, sizeof(name), "%02d.txt", number);
        std::ifstream in(dir / name);
        if (!in) {
            break;
        }
        std::stringstream text;
        text << in.rdbuf();
        BoardGrid grid;
        std::string error;
        ASSERT_TRUE(ParseLevelText(text.str(), grid, error)) << name << ": " << error;
        EXPECT_TRUE(CheckLevelDesign(grid, LevelCheckRules(), error)) << name << ": " << error;
        bool colours[BallColour::ColourCount] = {};
        for (const auto& row : grid) {
            for (const BallCell& cell : row) {
                if (BallColour::IsOrdinary(cell.colour)) {
                    colours[cell.colour] = true;
                } else if (cell.colour >= 0) {
                    powerUpSeen[cell.colour] = true;
                }
            }
        }
        int32_t used = 0;
        for (const bool u : colours) {
            used += u ? 1 : 0;
        }
        coloursSeenMax = std::max(coloursSeenMax, used);
        ++count;
    }
    EXPECT_GE(count, 30);
    EXPECT_EQ(coloursSeenMax, 8) << "the late levels use all eight colours";
    for (int32_t code = BallColour::Explosion; code <= BallColour::Obstacle; ++code) {
        EXPECT_TRUE(powerUpSeen[code]) << "special ball " << code << " appears in the pack";
    }
}

}  // namespace
