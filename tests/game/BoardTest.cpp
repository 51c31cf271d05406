// The field: geometry, neighbours, cell access, level files, where a ball sticks, flight.
#include "GameFixtures.h"

#include "core/Log.h"
#include "game/Shot.h"
#include "resources/FileManager.h"
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <filesystem>

namespace {

TEST(BoardGeometry, CellCentresAtTheLevelStart) {
    const CBoard board;
    struct Case {
        int32_t column, row;
        float x, y;
    };
    const Case cases[] = {
        {0, 1, 192.0f, 74.0f},
        {9, 0, 464.0f, 46.0f},
        {0, 0, 176.0f, 46.0f},
        {8, 11, 448.0f, 32.0f + 28.0f * 11 + 14.0f},
    };
    for (const Case& c : cases) {
        const Vec3 centre = board.CellCenter(c.column, c.row);
        EXPECT_FLOAT_EQ(centre.x, c.x) << c.column << "," << c.row;
        EXPECT_FLOAT_EQ(centre.y, c.y) << c.column << "," << c.row;
    }
    const Vec3 corner = board.CellTopLeft(2, 3);
    EXPECT_FLOAT_EQ(corner.x, 160.0f + 64.0f + 16.0f);
    EXPECT_FLOAT_EQ(corner.y, 32.0f + 84.0f);
}

TEST(BoardGeometry, NeighboursFollowTheRowIndent) {
    const CBoard board;
    struct Case {
        int32_t column, row;
        std::vector<CellPos> expected;
    };
    const Case cases[] = {
        // long row: the short rows beside it at columns c - 1 and c
        {4, 2, {{3, 1}, {4, 1}, {3, 3}, {4, 3}, {3, 2}, {5, 2}}},
        // short row: the long rows beside it at columns c and c + 1
        {4, 1, {{4, 0}, {5, 0}, {4, 2}, {5, 2}, {3, 1}, {5, 1}}},
        // top-left corner: nothing above, nothing left
        {0, 0, {{0, 1}, {1, 0}}},
        // right end of a long row: column 9 of the short rows does not exist
        {9, 2, {{8, 1}, {8, 3}, {8, 2}}},
        // right end of a short row
        {8, 1, {{8, 0}, {9, 0}, {8, 2}, {9, 2}, {7, 1}}},
        // bottom row: nothing below
        {5, 12, {{4, 11}, {5, 11}, {4, 12}, {6, 12}}},
        // column 9 of a short row is not part of the game
        {9, 1, {}},
    };
    for (const Case& c : cases) {
        CellPos out[CBoard::kMaxNeighbours];
        const int32_t count = board.Neighbours(c.column, c.row, out);
        ASSERT_EQ(count, static_cast<int32_t>(c.expected.size())) << c.column << "," << c.row;
        for (int32_t i = 0; i < count; ++i) {
            EXPECT_EQ(out[i], c.expected[static_cast<size_t>(i)]) << c.column << "," << c.row << " #" << i;
        }
    }
}

TEST(BoardCells, SetCellIgnoresAndCellAtFallsBackOutsideTheGrid) {
    CBoard board;
    board.SetCell(3, 7, 0, 0);
    board.SetCell(5, 0, 9, 12);
    const int32_t before = board.BallCount();
    const CellPos outside[] = {{-1, 0}, {10, 0}, {0, -1}, {0, 13}, {100, 100}};
    for (const CellPos& cell : outside) {
        board.SetCell(6, 0, cell.column, cell.row);
        const BallCell& read = board.CellAt(cell.column, cell.row);
        EXPECT_EQ(read.colour, 3) << cell.column << "," << cell.row;
        EXPECT_EQ(read.frame, 7u);
    }
    EXPECT_EQ(board.BallCount(), before);
    EXPECT_EQ(board.CellAt(9, 12).colour, 5);
}

std::vector<uint8_t> LevelBytes(std::initializer_list<std::pair<CellPos, BallCell>> cells) {
    std::vector<uint8_t> bytes(kLevelFileSize, 0);
    for (size_t record = 0; record < kBoardCells; ++record) {
        for (size_t b = 0; b < 4; ++b) {
            bytes[record * 8 + b] = 0xFF;
        }
    }
    for (const auto& [pos, cell] : cells) {
        uint8_t* record = bytes.data() + (pos.row * kBoardColumns + pos.column) * 8;
        for (int32_t b = 0; b < 4; ++b) {
            record[b] = static_cast<uint8_t>(static_cast<uint32_t>(cell.colour) >> (8 * b));
            record[4 + b] = static_cast<uint8_t>(cell.frame >> (8 * b));
        }
    }
    return bytes;
}

TEST(BoardLevelFile, ReadsLittleEndianRecordsAndWritesThemBack) {
    const std::vector<uint8_t> bytes =
        LevelBytes({{{0, 0}, {4, 2}}, {{9, 1}, {6, 0}}, {{3, 12}, {13, 0}}, {{9, 12}, {7, 0x01020304u}}});
    CBoard board;
    ASSERT_TRUE(board.LoadFromBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(board.CellAt(0, 0), (BallCell{4, 2}));
    EXPECT_EQ(board.CellAt(9, 1), (BallCell{6, 0}));
    EXPECT_EQ(board.CellAt(3, 12), (BallCell{13, 0}));
    EXPECT_EQ(board.CellAt(9, 12), (BallCell{7, 0x01020304u}));
    EXPECT_EQ(board.BallCount(), 4);
    std::vector<uint8_t> written(kLevelFileSize);
    board.StoreToBytes(written.data());
    EXPECT_EQ(written, bytes);
}

TEST(BoardLevelFile, AllEmptyRecordsGiveAnEmptyFieldAndWrongSizesAreRefused) {
    CBoard board;
    FillBoard(board, {"0000000000"});
    const std::vector<uint8_t> empty = LevelBytes({});
    ASSERT_TRUE(board.LoadFromBytes(empty.data(), empty.size()));
    EXPECT_EQ(board.BallCount(), 0);

    std::vector<std::string> log;
    CLog::Get().SetCapture(&log);
    FillBoard(board, {"1111111111"});
    for (const size_t size : {size_t{0}, size_t{1039}, size_t{1041}}) {
        std::vector<uint8_t> odd(size, 0);
        EXPECT_FALSE(board.LoadFromBytes(odd.data(), odd.size())) << size;
    }
    CLog::Get().SetCapture(nullptr);
    EXPECT_EQ(log.size(), 3u);
    EXPECT_EQ(board.BallCount(), 10) << "a refused file leaves the field as it was";
}

class BoardLevelPack : public ::testing::Test {
protected:
    // Level files are looked for only in file systems whose path names "levels".
    void SetUp() override {
        ASSERT_FALSE(m_temp.Path().empty());
        ASSERT_TRUE(std::filesystem::create_directory(m_levels));
        CFileManager::Get().UnmountAll();
        CFileManager::Get().MountFileSystem(m_levels);
    }
    void TearDown() override { CFileManager::Get().UnmountAll(); }
    void WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
        EXPECT_TRUE(WriteFileBytes(m_levels + "/" + name, bytes)) << name;
    }
    CTempFolder m_temp;
    const std::string m_levels = m_temp / "levels";
};

TEST_F(BoardLevelPack, LoadLevelLeavesNothingOfThePreviousLevel) {
    WriteFile("1.lvl", LevelBytes({{{4, 0}, {2, 0}}}));
    CBoard board;
    FillBoard(board, {"3333333333", " 333333333"});
    board.SetCell(5, 0, 0, 0);
    board.RemoveMatches(5, 0, 0, 0);   // fills the removal grid and restores
    ASSERT_TRUE(board.LoadLevel("1.lvl"));
    EXPECT_EQ(board.BallCount(), 1);
    EXPECT_EQ(board.CellAt(4, 0).colour, 2);
    EXPECT_FALSE(board.IsRemovalInProgress());
    EXPECT_EQ(board.RemovalCount(), 0);
}

TEST_F(BoardLevelPack, SaveThenLoadGivesTheSameFieldAndMissingOrShortFilesFail) {
    CBoard board;
    FillBoard(board, {"0*~<>@#..7", " 123456701"});
    ASSERT_TRUE(board.SaveLevel("7.lvl"));
    EXPECT_EQ(std::filesystem::file_size(m_levels + "/7.lvl"), kLevelFileSize);
    CBoard loaded;
    ASSERT_TRUE(loaded.LoadLevel("7.lvl"));
    EXPECT_EQ(BoardText(loaded), BoardText(board));

    WriteFile("2.lvl", std::vector<uint8_t>(100, 0));
    std::vector<std::string> log;
    CLog::Get().SetCapture(&log);
    EXPECT_FALSE(loaded.LoadLevel("2.lvl"));
    EXPECT_FALSE(loaded.LoadLevel("99.lvl"));
    CLog::Get().SetCapture(nullptr);
    int32_t boardLines = 0;
    for (const std::string& line : log) {
        if (line.find("CBoard::LoadLevel FAILED") != std::string::npos) {
            ++boardLines;
            EXPECT_TRUE(line.find("2.lvl") != std::string::npos || line.find("99.lvl") != std::string::npos) << line;
        }
    }
    EXPECT_EQ(boardLines, 2);
}

// A broken edited level is told on stderr by its file name, once, even with the log off
// as a normal run has it; the shipped copy behind it is played.
TEST_F(BoardLevelPack, ABrokenEditedLevelIsToldByName) {
    const std::string shipped = m_temp / "levels-shipped";
    ASSERT_TRUE(std::filesystem::create_directory(shipped));
    ASSERT_TRUE(WriteFileBytes(shipped + "/3.lvl", LevelBytes({{{4, 0}, {2, 0}}})));
    CFileManager::Get().MountFileSystem(shipped);
    WriteFile("3.lvl", std::vector<uint8_t>(100, 0));
    FILE* told = std::tmpfile();
    ASSERT_NE(told, nullptr);
    CLog& log = CLog::Get();
    const bool wasEnabled = log.IsEnabled();
    const bool wasDetail = log.IsDetail();
    log.SetDetail(false);
    log.SetEnabled(false);
    log.SetErrorStream(told);
    CBoard board;
    EXPECT_EQ(board.ReadLevel("3.lvl"), CBoard::ELevelRead::FellBack);
    EXPECT_EQ(board.ReadLevel("3.lvl"), CBoard::ELevelRead::FellBack);
    log.SetErrorStream(stderr);
    log.SetEnabled(wasEnabled);
    log.SetDetail(wasDetail);
    std::rewind(told);
    std::vector<std::string> lines;
    char line[1024];
    while (std::fgets(line, sizeof(line), told) != nullptr) {
        lines.emplace_back(line);
    }
    std::fclose(told);
    EXPECT_EQ(lines, std::vector<std::string>{"pellora: CBoard::LoadLevel FAILED, level file 3.lvl (the edited copy; the "
                                              "next copy is tried): 100 bytes instead of 1040\n"});
}

// ---------------------------------------------------------------- where a ball sticks

Vec3 Relative(const CBoard& board, float x, float y) {
    return Vec3{board.Origin().x + x, board.Origin().y + y, 0.0f};
}

TEST(BoardStick, PicksBySupportThenDistance) {
    struct Case {
        const char* what;
        std::vector<const char*> rows;
        float x, y;   // relative to the origin
        CellPos expected;
    };
    const Case cases[] = {
        {"the ceiling holds a ball in an empty top area", {}, 100.0f, -2.0f, {3, 0}},
        {"hanging below a ball beats a nearer cell beside one",
         {"..........", " .........", "...1......"}, 124.0f, 62.0f, {3, 3}},
        {"of two hanging cells the nearer wins",
         {"1111111111"}, 150.0f, 30.0f, {4, 1}},
        {"a cell only beside a ball is taken when nothing hangs",
         {"..........", " .........", "...1......"}, 130.0f, 56.0f, {4, 2}},
    };
    for (const Case& c : cases) {
        CBoard board;
        FillBoard(board, c.rows);
        CellPos cell{-1, -1};
        ASSERT_TRUE(board.FindStickCell(Relative(board, c.x, c.y), cell)) << c.what;
        EXPECT_EQ(cell, c.expected) << c.what;
    }
}

TEST(BoardStick, NoFreeSupportedCellFailsWithTheLogLine) {
    CBoard board;
    FillBoard(board, {"1111111111"});
    std::vector<std::string> log;
    CLog::Get().SetCapture(&log);
    CellPos cell;
    // In the middle of the empty field: free cells, but nothing holds them.
    EXPECT_FALSE(board.FindStickCell(Relative(board, 150.0f, 200.0f), cell));
    CLog::Get().SetCapture(nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "FAILED COULDN'T SAVE BALL");
}

TEST(BoardStick, NeverRestsInColumnNineOfAShortRow) {
    CBoard board;
    FillBoard(board, {"1111111111", " 1111111.."});
    // Near the right wall at the height of row 2: column 9 of row 1 would be nearer than
    // (8, 1) and hang from (9, 0), but it lies outside the field.
    CellPos cell;
    ASSERT_TRUE(board.FindStickCell(Relative(board, 290.0f, 46.0f), cell));
    EXPECT_EQ(cell, (CellPos{8, 1}));
}

// ---------------------------------------------------------------- flight

TEST(ShotFlight, WallsReverseTheSidewaysSpeedOnTheStepTheyAreReached) {
    CBoard board;
    struct Case {
        float startX, velocityX;
        bool reversed;
    };
    const Case cases[] = {
        {448.0f, 750.0f, true},    // reaches 453 in this step
        {445.0f, 750.0f, false},   // 450: not yet
        {160.0f, -750.0f, true},   // 155
        {165.0f, -750.0f, false},  // 160
    };
    for (const Case& c : cases) {
        ShotState shot;
        shot.flying = true;
        shot.position = Vec3{c.startX, 300.0f, 0.0f};
        shot.velocity = Vec3{c.velocityX, -10.0f, 0.0f};
        EXPECT_FALSE(StepShot(shot, board, CPlayfield::kStepLength));
        EXPECT_FLOAT_EQ(shot.velocity.x, c.reversed ? -c.velocityX : c.velocityX) << c.startX;
        EXPECT_FLOAT_EQ(shot.position.x, c.startX + c.velocityX * CPlayfield::kStepLength) << "not moved back";
    }
}

TEST(ShotFlight, FiresAtSevenHundredFiftyTowardsTheMouse) {
    ShotState shot;
    StartShot(shot, kLauncherPosition, 304.0f + 30.0f, 402.0f - 40.0f);
    EXPECT_TRUE(shot.flying);
    EXPECT_FLOAT_EQ(shot.position.x, 304.0f);
    EXPECT_FLOAT_EQ(shot.position.y, 402.0f);
    EXPECT_FLOAT_EQ(shot.velocity.x, 450.0f);
    EXPECT_FLOAT_EQ(shot.velocity.y, -600.0f);
    EXPECT_FLOAT_EQ(LauncherAngle(kLauncherPosition, 320.0f, 100.0f), 0.0f);
    EXPECT_NEAR(LauncherAngle(kLauncherPosition, 420.0f, 318.0f), 45.0f, 1e-4f);
}

TEST(ShotFlight, RestsAtTheCeilingOrWithinTheStickDistanceOfABall) {
    CBoard board;
    FillBoard(board, {"..........", " ....1...."});
    // (4, 1) has its top-left at (160 + 128 + 16, 60).
    struct Case {
        float x, y;
        bool rests;
    };
    const Case cases[] = {
        {304.0f + 20.0f, 60.0f + 20.0f + 5.0f, true},    // 400 + 400 after the step: 800
        {304.0f + 21.0f, 60.0f + 20.0f + 5.0f, false},   // 441 + 400
        {200.0f, 32.0f + 5.0f, true},                    // the ceiling
    };
    for (const Case& c : cases) {
        ShotState shot;
        shot.flying = true;
        shot.position = Vec3{c.x, c.y, 0.0f};
        shot.velocity = Vec3{0.0f, -750.0f, 0.0f};
        EXPECT_EQ(StepShot(shot, board, 1.0f / 150.0f), c.rests) << c.x << "," << c.y;
        EXPECT_EQ(shot.flying, !c.rests);
    }
}

}  // namespace
