// Saved games: the two records byte for byte, a continued game that plays on exactly as
// the saved one, hostile files refused, and saves interrupted at random moments.
#include "GameFixtures.h"

#include "core/Random.h"
#include "game/GameFlow.h"
#include "game/SavedGame.h"
#include "resources/Crc32.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"
#include "tests/support/TestFiles.h"

#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr size_t kFieldCrcOffset = 100;   // the save file's aim-guide column

SavedGameValues SomeValues() {
    SavedGameValues values;
    values.firstLevel = 1;
    values.levelNumber = 4;
    values.lastLevel = 32;
    values.difficulty = 3;
    values.levelFileName = "4.lvl";
    return values;
}

// A playfield in the middle of a level: two shots stuck, a combo, the field moving down.
void PlayIntoALevel(CPlayfield& playfield) {
    FillBoard(playfield.Board(), {"0011223344", " 55667700.", "0.1.2.3.4."});
    playfield.Random().Seed(11);
    playfield.SetDifficulty(3);
    playfield.StartLevel();
    playfield.Progress().score = 12345;
    playfield.Progress().lives = 3;
    playfield.Stats().shots = 2;
    playfield.SetBalls(BallCell{5, 0}, BallCell{2, 0});
    playfield.LandShot(playfield.Board().CellTopLeft(1, 3));
    StepUntil(playfield, [&] { return playfield.CanFire(); });
    playfield.StartMoveDown();
    StepUntil(playfield, [] { return false; }, 5);
    ASSERT_TRUE(playfield.IsMovingDown());
}

Bytes SaveBytes(const SavedGame& game, Bytes* field = nullptr) {
    Bytes save, fieldBytes;
    EncodeSavedGame(game, save, fieldBytes);
    if (field != nullptr) {
        *field = fieldBytes;
    }
    return save;
}

// Runs the same idle steps on both playfields and compares their saves afterwards.
void ExpectSamePlay(CPlayfield& a, CPlayfield& b, int32_t steps) {
    a.Random().Seed(99);
    StepUntil(a, [] { return false; }, steps);
    b.Random().Seed(99);
    StepUntil(b, [] { return false; }, steps);
    Bytes fieldA, fieldB;
    const Bytes saveA = SaveBytes(CaptureSavedGame(SomeValues(), a), &fieldA);
    const Bytes saveB = SaveBytes(CaptureSavedGame(SomeValues(), b), &fieldB);
    EXPECT_EQ(saveA, saveB);
    EXPECT_EQ(fieldA, fieldB);
}

TEST(SavedGame, RecordsHaveTheirSizesAndFieldsInPlace) {
    CPlayfield playfield;
    PlayIntoALevel(playfield);
    Bytes field;
    const Bytes save = SaveBytes(CaptureSavedGame(SomeValues(), playfield), &field);
    ASSERT_EQ(save.size(), 291u);
    ASSERT_EQ(field.size(), 3221u);
    EXPECT_EQ(ReadLe32(save.data()), 5u) << "version";
    EXPECT_EQ(ReadLe32(save.data() + 10), 4u) << "level number";
    EXPECT_EQ(ReadLe32(save.data() + 22), 3u) << "difficulty";
    EXPECT_STREQ(reinterpret_cast<const char*>(save.data() + 26), "4.lvl");
    EXPECT_EQ(save[99], 0) << "aim-guide flag";
    EXPECT_EQ(ReadLe32(save.data() + kFieldCrcOffset), Crc32(field.data(), field.size()));
    EXPECT_EQ(static_cast<int32_t>(ReadLe32(save.data() + 212)), playfield.DropOffset()) << "drop offset";
    EXPECT_EQ(save[236], 1) << "moving down";
    EXPECT_EQ(static_cast<int32_t>(ReadLe32(save.data() + 250)), playfield.Progress().score) << "score";
    EXPECT_EQ(ReadLe32(save.data() + 262), 3u) << "lives";
    EXPECT_EQ(ReadLe32(save.data() + 271), 2u) << "level shots";
    EXPECT_EQ(static_cast<int32_t>(ReadLe32(field.data() + 3128)), playfield.Board().BottomRow()) << "bottom row";
    EXPECT_EQ(static_cast<int32_t>(ReadLe32(field.data())), 0) << "cell (0, 0)";
}

TEST(SavedGame, AContinuedGamePlaysOnExactlyAsTheSavedOne) {
    CPlayfield original;
    PlayIntoALevel(original);
    Bytes field;
    const Bytes save = SaveBytes(CaptureSavedGame(SomeValues(), original), &field);
    SavedGame loaded;
    std::string why;
    ASSERT_TRUE(DecodeSavedGame(save, field, loaded, why)) << why;
    EXPECT_EQ(loaded.values.levelFileName, "4.lvl");
    EXPECT_EQ(loaded.values.difficulty, 3);

    CPlayfield continued;
    continued.SetDifficulty(loaded.values.difficulty);
    ApplySavedGame(loaded, continued);
    EXPECT_EQ(continued.Progress().score, original.Progress().score);
    EXPECT_EQ(continued.Progress().lives, 3);
    EXPECT_EQ(continued.CurrentBall().colour, original.CurrentBall().colour);
    EXPECT_EQ(continued.NextBallCell().colour, original.NextBallCell().colour);
    EXPECT_EQ(BoardText(continued.Board()), BoardText(original.Board()));
    EXPECT_TRUE(continued.IsMovingDown()) << "saved in the middle of a move-down";
    // The move-down finishes, the countdown and the turns run on the same way.
    ExpectSamePlay(original, continued, 200);
    EXPECT_FALSE(continued.IsMovingDown());
}

// Seals a changed field file into its save again, so that the change itself is judged.
void Reseal(Bytes& save, const Bytes& field) {
    WriteLe32(save.data() + kFieldCrcOffset, Crc32(field.data(), field.size()));
}

TEST(SavedGame, DamagedAndHostileFilesAreRefusedAndChangeNothing) {
    CPlayfield playfield;
    PlayIntoALevel(playfield);
    Bytes goodField;
    const Bytes goodSave = SaveBytes(CaptureSavedGame(SomeValues(), playfield), &goodField);
    const auto setInt = [](Bytes& bytes, size_t at, int32_t value) { WriteLe32(bytes.data() + at, static_cast<uint32_t>(value)); };
    const auto setFloat = [](Bytes& bytes, size_t at, float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        WriteLe32(bytes.data() + at, bits);
    };
    const struct {
        const char* what;
        std::function<void(Bytes& save, Bytes& field)> damage;
    } cases[] = {
        {"version 4", [&](Bytes& s, Bytes&) { setInt(s, 0, 4); }},
        {"save file cut", [](Bytes& s, Bytes&) { s.resize(200); }},
        {"save file too long", [](Bytes& s, Bytes&) { s.push_back(0); }},
        {"field file cut", [](Bytes&, Bytes& f) { f.resize(3000); }},
        {"field file missing", [](Bytes&, Bytes& f) { f.clear(); }},
        {"field file of another save", [](Bytes&, Bytes& f) { f[0] ^= 1; }},
        {"level number 0", [&](Bytes& s, Bytes&) { setInt(s, 10, 0); }},
        {"level number 2^31-1", [&](Bytes& s, Bytes&) { setInt(s, 10, 0x7FFFFFFF); }},
        {"level number past the most", [&](Bytes& s, Bytes&) { setInt(s, 10, kMaxLevelNumber + 1); }},
        {"first level 2^31-1", [&](Bytes& s, Bytes&) { setInt(s, 6, 0x7FFFFFFF); }},
        {"last level just below no limit", [&](Bytes& s, Bytes&) { setInt(s, 14, 0x7FFFFFFE); }},
        {"lives past the most", [&](Bytes& s, Bytes&) { setInt(s, 262, kMaxLives + 1); }},
        {"difficulty 6", [&](Bytes& s, Bytes&) { setInt(s, 22, 6); }},
        {"difficulty 0", [&](Bytes& s, Bytes&) { setInt(s, 22, 0); }},
        {"level name into another folder", [](Bytes& s, Bytes&) { std::memcpy(s.data() + 26, "../x.lvl", 9); }},
        {"current ball colour 14", [&](Bytes& s, Bytes&) { setInt(s, 83, 14); }},
        {"next ball colour -2", [&](Bytes& s, Bytes&) { setInt(s, 91, -2); }},
        {"present colour count 9", [&](Bytes& s, Bytes&) { setInt(s, 140, 9); }},
        {"a present colour 8", [&](Bytes& s, Bytes&) { setInt(s, 140, 1); setInt(s, 108, 8); }},
        {"candidate count -1", [&](Bytes& s, Bytes&) { setInt(s, 208, -1); }},
        {"shot position not a number", [&](Bytes& s, Bytes&) { setFloat(s, 59, std::nanf("")); }},
        {"field colour 99", [&](Bytes& s, Bytes& f) { setInt(f, 8 * 12, 99); Reseal(s, f); }},
        {"anchor colour -5", [&](Bytes& s, Bytes& f) { setInt(f, 2080, -5); Reseal(s, f); }},
        {"bottom row 13", [&](Bytes& s, Bytes& f) { setInt(f, 3128, 13); Reseal(s, f); }},
        {"bottom row -1", [&](Bytes& s, Bytes& f) { setInt(f, 3128, -1); Reseal(s, f); }},
        {"origin far off", [&](Bytes& s, Bytes& f) { setFloat(f, 3132, 1.0e9f); Reseal(s, f); }},
        {"effect cell off the field", [&](Bytes& s, Bytes& f) { setInt(f, 3152, 40); Reseal(s, f); }},
        {"row bonus value not the sweep row's", [&](Bytes& s, Bytes& f) { setInt(f, 3205, 0x40000000); Reseal(s, f); }},
        {"lives far below zero", [&](Bytes& s, Bytes&) { setInt(s, 262, -2147483647 - 1); }},
        {"level shots at the top of the range", [&](Bytes& s, Bytes&) { setInt(s, 271, 2147483647); }},
        {"a given count at the top of the range", [&](Bytes& s, Bytes&) { setInt(s, 144, 2147483647); }},
    };
    for (const auto& c : cases) {
        Bytes save = goodSave;
        Bytes field = goodField;
        c.damage(save, field);
        SavedGame game;
        game.values.levelNumber = 77;
        std::string why;
        EXPECT_FALSE(DecodeSavedGame(save, field, game, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
        EXPECT_EQ(game.values.levelNumber, 77) << c.what << ": nothing taken over";
    }
    SavedGame game;
    std::string why;
    EXPECT_TRUE(DecodeSavedGame(goodSave, goodField, game, why)) << why;
}

TEST(SavedGame, WhatTheGameCanReachItLoadsAgain) {
    const struct {
        const char* what;
        int32_t score;
        int32_t lives;
        int32_t extraLifeBase;
        int32_t levelNumber;
        int32_t lastLevel;
    } cases[] = {
        {"the top score with no life counted yet", INT32_MAX, 2, 0, 4, 32},
        {"the most lives", INT32_MAX, kMaxLives, 0, 4, 32},
        {"no life left", 0, -1, 0, 1, 1},
        {"the last level a game reaches", 1000, 2, 0, kMaxLevelNumber, 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPlayfield playfield;
        PlayIntoALevel(playfield);
        PlayerProgress& progress = playfield.Progress();
        progress.score = c.score;
        progress.lives = c.lives;
        progress.extraLifeBase = c.extraLifeBase;
        // Far more steps than lives there are to win.
        for (int32_t step = 0; step < 30000; ++step) {
            CheckExtraLife(progress, 1);
        }
        EXPECT_LE(progress.lives, kMaxLives);
        SavedGameValues values = SomeValues();
        values.levelNumber = c.levelNumber;
        values.lastLevel = c.lastLevel;
        Bytes field;
        const Bytes save = SaveBytes(CaptureSavedGame(values, playfield), &field);
        SavedGame loaded;
        std::string why;
        ASSERT_TRUE(DecodeSavedGame(save, field, loaded, why)) << why;
        EXPECT_EQ(loaded.progress.lives, progress.lives);
        EXPECT_EQ(loaded.progress.score, c.score);
        EXPECT_EQ(loaded.values.levelNumber, c.levelNumber);
    }
}

// The chooser's counts are judged before any colour is read through them: a count of 9
// is refused for itself, never by whatever lies after the eight entries of its table.
TEST(SavedGame, ChooserCountsAreRefusedBeforeAnyColourIsReadThroughThem) {
    CPlayfield playfield;
    PlayIntoALevel(playfield);
    Bytes field;
    const Bytes goodSave = SaveBytes(CaptureSavedGame(SomeValues(), playfield), &field);
    constexpr size_t kPresentColours = 108, kPresentCount = 140, kCandidates = 176, kCandidateCount = 208;
    const struct {
        const char* what;
        size_t offset;
        int32_t value;
        const char* why;
    } cases[] = {
        {"present colour count 9", kPresentCount, 9, "colour counts out of range"},
        {"present colour count -1", kPresentCount, -1, "colour counts out of range"},
        {"candidate count 9", kCandidateCount, 9, "colour counts out of range"},
        {"a present colour 8", kPresentColours, 8, "a present colour out of range"},
        {"a candidate colour -1", kCandidates, -1, "a candidate colour out of range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes save = goodSave;
        WriteLe32(save.data() + c.offset, static_cast<uint32_t>(c.value));
        if (c.offset == kPresentColours) {
            WriteLe32(save.data() + kPresentCount, 1);
        } else if (c.offset == kCandidates) {
            WriteLe32(save.data() + kCandidateCount, 1);
        }
        SavedGame game;
        std::string why;
        EXPECT_FALSE(DecodeSavedGame(save, field, game, why));
        EXPECT_EQ(why, c.why);
    }
}

// ---------------------------------------------------------------- the files

class SavedGameFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_folder.Path().empty());
        CFileManager::Get().UnmountAll();
        CFileManager::Get().MountFileSystem(m_folder.Path());
    }
    void TearDown() override { CFileManager::Get().UnmountAll(); }
    CTempFolder m_folder;
};

// A save whose level number, bottom row and first cell tell each other apart.
SavedGame NumberedSave(int32_t number) {
    SavedGame game;
    game.values = SomeValues();
    game.values.levelNumber = number;
    game.playfield.board.bottomRow = number % kBoardRows;
    game.playfield.board.grid[0][0] = BallCell{number % BallColour::ColourCount, 0};
    game.playfield.board.origin = Vec3{160.0f, 32.0f, 0.0f};
    return game;
}

TEST_F(SavedGameFiles, APairWrittenByTwoSavesIsRefused) {
    ASSERT_TRUE(WriteSavedGame(NumberedSave(1), "ply1.sav", "ply1.lvl"));
    SavedGame loaded;
    ASSERT_TRUE(ReadSavedGame("ply1.sav", "ply1.lvl", loaded));
    EXPECT_EQ(loaded.values.levelNumber, 1);
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.sav").size(), 291u);
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.lvl").size(), 3221u);
    // The second save's field file beside the first save's record: not one game.
    ASSERT_TRUE(WriteSavedGame(NumberedSave(2), "ply2.sav", "ply2.lvl"));
    ASSERT_TRUE(WriteFileBytes(m_folder / "ply1.lvl", ReadFileBytes(m_folder / "ply2.lvl")));
    EXPECT_FALSE(ReadSavedGame("ply1.sav", "ply1.lvl", loaded));
    EXPECT_FALSE(ReadSavedGame("ply9.sav", "ply9.lvl", loaded)) << "no save at all";
}

TEST_F(SavedGameFiles, ARefusedPairIsKeptBeforeTheNextSaveReplacesIt) {
    ASSERT_TRUE(WriteSavedGame(NumberedSave(1), "ply1.sav", "ply1.lvl"));
    Bytes save = ReadFileBytes(m_folder / "ply1.sav");
    WriteLe32(save.data() + 10, 0x7FFFFFFF);  // a level number no game reaches
    ASSERT_TRUE(WriteFileBytes(m_folder / "ply1.sav", save));
    const Bytes field = ReadFileBytes(m_folder / "ply1.lvl");
    SavedGame loaded;
    ASSERT_FALSE(ReadSavedGame("ply1.sav", "ply1.lvl", loaded));
    ASSERT_TRUE(WriteSavedGame(NumberedSave(2), "ply1.sav", "ply1.lvl"));
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.sav.bad"), save);
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.lvl.bad"), field);
    ASSERT_TRUE(ReadSavedGame("ply1.sav", "ply1.lvl", loaded));
    EXPECT_EQ(loaded.values.levelNumber, 2);
}

TEST_F(SavedGameFiles, ASaveKilledAtAnyMomentLoadsWholeOrIsRefused) {
    ASSERT_TRUE(WriteSavedGame(NumberedSave(1), "ply1.sav", "ply1.lvl"));
    uint32_t seed = 12345;
    int32_t whole = 0, refused = 0;
    for (int32_t round = 0; round < 60; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int32_t number = 2;; ++number) {
                WriteSavedGame(NumberedSave(number), "ply1.sav", "ply1.lvl");
            }
        }
        seed = seed * 1103515245u + 12345u;
        usleep(200 + (seed >> 16) % 20000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        SavedGame loaded;
        if (ReadSavedGame("ply1.sav", "ply1.lvl", loaded)) {
            ++whole;
            const int32_t number = loaded.values.levelNumber;
            EXPECT_EQ(loaded.playfield.board.bottomRow, number % kBoardRows) << "round " << round;
            EXPECT_EQ(loaded.playfield.board.grid[0][0].colour, number % BallColour::ColourCount) << "round " << round;
        } else {
            ++refused;
        }
    }
    EXPECT_EQ(refused, 0) << "an interrupted save leaves the old game or the new one";
    EXPECT_EQ(whole, 60);
    DeleteSavedGame("ply1.sav", "ply1.lvl");
    // A killed write may leave the file layer's temporary file behind; nothing of the save.
    for (const std::string& name : ListFolder(m_folder.Path())) {
        EXPECT_NE(name.find(".tmp-"), std::string::npos) << name << " is left";
    }
}

}  // namespace
