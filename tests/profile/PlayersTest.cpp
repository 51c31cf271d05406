// Player profiles in "players.cfg": the layout of a new file, creating and choosing
// players, the round trip of a whole record, and damaged or hostile files.
#include "tests/profile/ProfileFixture.h"

#include "profile/Players.h"
#include "resources/FileManager.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace {

using CPlayersTest = CProfileTest;

// A 20-byte text field: the text, then zeros; a text of 20 bytes or more fills the field
// without a terminator.
void PutField(Bytes& bytes, const std::string& text) {
    for (size_t i = 0; i < 20; ++i) {
        bytes.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
    }
}

struct RawRecord {
    std::string name = "Kim";
    uint32_t nameLength = 3;
    std::string saveFile = "ply1.sav";
    std::string levelFile = "ply1.lvl";
    int32_t lives = 2;
    int32_t score = 0;
};

void PutRecord(Bytes& bytes, const RawRecord& record) {
    PutLe32(bytes, static_cast<uint32_t>(record.lives));
    PutLe32(bytes, static_cast<uint32_t>(record.score));
    PutLe32(bytes, 0);
    PutLe32(bytes, 0);
    PutLe32(bytes, 0);
    PutField(bytes, record.name);
    PutLe32(bytes, record.nameLength);
    PutField(bytes, record.saveFile);
    PutField(bytes, record.levelFile);
    for (int i = 0; i < 5; ++i) {
        PutLe32(bytes, 0);
    }
    PutLe32(bytes, 0);  // the two flags and the padding
}

Bytes PlayersBytes(int32_t count, int32_t current, const std::vector<RawRecord>& records) {
    Bytes bytes;
    PutLe32(bytes, static_cast<uint32_t>(count));
    PutLe32(bytes, static_cast<uint32_t>(current));
    for (const RawRecord& record : records) {
        PutRecord(bytes, record);
    }
    return bytes;
}

TEST_F(CPlayersTest, FirstPlayerWritesA116ByteFile) {
    ASSERT_TRUE(LoadPlayers());
    EXPECT_EQ(GetPlayerCount(), 0);
    EXPECT_EQ(GetCurrentPlayer(), nullptr);

    PlayerRecord* created = CreatePlayer("Anna");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(GetCurrentPlayer(), created);
    ASSERT_TRUE(SavePlayers());

    const Bytes file = ReadData("players.cfg");
    ASSERT_EQ(file.size(), 116u);
    EXPECT_EQ(Le32At(file, 0), 1u);   // count
    EXPECT_EQ(Le32At(file, 4), 0u);   // current
    EXPECT_EQ(Le32At(file, 8), 2u);   // lives of a new record
    EXPECT_EQ(Le32At(file, 12), 0u);  // score
    EXPECT_EQ(TextAt(file, 28, 20), "Anna");
    EXPECT_EQ(Le32At(file, 48), 4u);  // nameLength
    EXPECT_EQ(TextAt(file, 52, 20), "ply1.sav");
    EXPECT_EQ(TextAt(file, 72, 20), "ply1.lvl");
    EXPECT_EQ(file[8 + 104], 0);      // extraLifeWon
    EXPECT_EQ(file[8 + 105], 0);      // childMode
}

TEST_F(CPlayersTest, ThirdPlayerBecomesCurrentWithItsOwnFiles) {
    PlayerRecord* first = CreatePlayer("Anna");
    PlayerRecord* second = CreatePlayer("Bo");
    ASSERT_TRUE(SetCurrentPlayer(first));
    ASSERT_TRUE(SetCurrentPlayer(second));
    PlayerRecord* third = CreatePlayer("Cecilia");

    ASSERT_NE(third, nullptr);
    EXPECT_EQ(GetCurrentPlayer(), third);
    EXPECT_EQ(GetCurrentPlayerIndex(), 2);
    EXPECT_STREQ(CurrentPlayerSaveFile(), "ply3.sav");
    EXPECT_STREQ(CurrentPlayerLevelFile(), "ply3.lvl");
    EXPECT_STREQ(GetPlayer(1)->saveFile, "ply2.sav");
    EXPECT_EQ(GetPlayer(3), nullptr);
    EXPECT_EQ(GetPlayer(-1), nullptr);

    ASSERT_TRUE(SavePlayers());
    EXPECT_EQ(ReadData("players.cfg").size(), 8u + 3 * 108);
    EXPECT_EQ(Le32At(ReadData("players.cfg"), 4), 2u);
}

TEST_F(CPlayersTest, RecordSurvivesSaveAndLoadWhole) {
    CreatePlayer("Anna");
    PlayerRecord* bo = CreatePlayer("Bo");
    bo->lives = 5;
    bo->score = 123456;
    bo->gameCounter = 7;
    bo->gameTimer = 2.5f;
    bo->extraLifeBase = 100000;
    bo->reservedCounter = 9;
    bo->gameCounters[0] = 11;
    bo->gameCounters[3] = -4;
    bo->extraLifeWon = 1;
    EXPECT_TRUE(ToggleCurrentPlayerChildMode());
    ASSERT_TRUE(SetCurrentPlayer(GetPlayer(0)));
    ASSERT_TRUE(SetCurrentPlayer(bo));
    const PlayerRecord saved = *bo;
    ASSERT_TRUE(SavePlayers());

    ClearPlayers();
    ASSERT_TRUE(LoadPlayers());
    ASSERT_EQ(GetPlayerCount(), 2);
    ASSERT_EQ(GetCurrentPlayerIndex(), 1);
    EXPECT_EQ(std::memcmp(GetCurrentPlayer(), &saved, sizeof(PlayerRecord)), 0);
    EXPECT_STREQ(CurrentPlayerName(), "Bo");
    EXPECT_EQ(CurrentPlayerLives(), 5);
    EXPECT_EQ(CurrentPlayerScore(), 123456);
    EXPECT_TRUE(CurrentPlayerChildMode());
    EXPECT_EQ(CurrentPlayerDifficulty(), kDifficultyChild);
    EXPECT_TRUE(CurrentPlayerExtraLifeWon());
    ClearCurrentPlayerExtraLifeWon();
    EXPECT_FALSE(CurrentPlayerExtraLifeWon());
    EXPECT_FALSE(ToggleCurrentPlayerChildMode());
    EXPECT_EQ(CurrentPlayerDifficulty(), kDifficultyNormal);
}

// The extra-life flag is byte 104 of a record and the child-mode flag byte 105, in both
// directions: a round trip alone could not tell them apart.
TEST_F(CPlayersTest, TheTwoFlagsHaveABytePlaceEachWhenWrittenAndRead) {
    const struct {
        uint8_t extraLifeWon;
        uint8_t childMode;
    } cases[] = {{1, 0}, {0, 1}, {1, 1}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "extra life " << int(c.extraLifeWon) << ", child mode " << int(c.childMode));
        ClearPlayers();
        CreatePlayer("Anna");
        PlayerRecord* bo = CreatePlayer("Bo");
        bo->extraLifeWon = c.extraLifeWon;
        bo->childMode = c.childMode;
        ASSERT_TRUE(SavePlayers());
        Bytes file = ReadData("players.cfg");
        ASSERT_EQ(file.size(), PlayersFileSize(2));
        const size_t second = PlayersFileSize(1);
        EXPECT_EQ(file[second + 104], c.extraLifeWon);
        EXPECT_EQ(file[second + 105], c.childMode);
        EXPECT_EQ(file[second + 106], 0);
        EXPECT_EQ(file[second + 107], 0);

        // Read back from bytes written by hand into the first record.
        file[8 + 104] = c.extraLifeWon;
        file[8 + 105] = c.childMode;
        WriteData("players.cfg", file);
        ClearPlayers();
        ASSERT_TRUE(LoadPlayers());
        ASSERT_EQ(GetPlayerCount(), 2);
        EXPECT_EQ(GetPlayer(0)->extraLifeWon, c.extraLifeWon);
        EXPECT_EQ(GetPlayer(0)->childMode, c.childMode);
        ASSERT_TRUE(SetCurrentPlayer(GetPlayer(0)));
        EXPECT_EQ(CurrentPlayerChildMode(), c.childMode != 0);
        EXPECT_EQ(CurrentPlayerExtraLifeWon(), c.extraLifeWon != 0);
    }
}

// Deleting takes one record out; the others keep their order and their own files; a
// deleted current player hands the mark to the one that takes its place.
TEST_F(CPlayersTest, DeletingAPlayerKeepsTheOthersWithTheirFiles) {
    const struct {
        const char* what;
        int32_t current;
        int32_t deleted;
        bool done;
        std::vector<std::string> names;
        const char* currentName;   // null: none
    } cases[] = {
        {"the current in the middle", 1, 1, true, {"Anna", "Cecilia"}, "Cecilia"},
        {"the current at the end", 2, 2, true, {"Anna", "Bo"}, "Bo"},
        {"another than the current", 0, 1, true, {"Anna", "Cecilia"}, "Anna"},
        {"one before the current", 2, 0, true, {"Bo", "Cecilia"}, "Cecilia"},
        {"past the end", 1, 3, false, {"Anna", "Bo", "Cecilia"}, "Bo"},
        {"a negative position", 1, -1, false, {"Anna", "Bo", "Cecilia"}, "Bo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearPlayers();
        for (const char* name : {"Anna", "Bo", "Cecilia"}) {
            ASSERT_NE(CreatePlayer(name), nullptr);
        }
        ASSERT_TRUE(SetCurrentPlayer(GetPlayer(c.current)));
        EXPECT_EQ(DeletePlayer(c.deleted), c.done);
        ASSERT_EQ(GetPlayerCount(), static_cast<int32_t>(c.names.size()));
        for (int32_t i = 0; i < GetPlayerCount(); ++i) {
            const std::string name = c.names[static_cast<size_t>(i)];
            EXPECT_EQ(GetPlayer(i)->name, name);
            // Each keeps the files it was created with: Anna 1, Bo 2, Cecilia 3.
            const int32_t number = name == "Anna" ? 1 : name == "Bo" ? 2 : 3;
            EXPECT_EQ(GetPlayer(i)->saveFile, "ply" + std::to_string(number) + ".sav");
            EXPECT_EQ(GetPlayer(i)->levelFile, "ply" + std::to_string(number) + ".lvl");
        }
        EXPECT_STREQ(CurrentPlayerName(), c.currentName);
    }
    EXPECT_TRUE(LogHas("DeletePlayer FAILED"));
    // The last player deleted: nobody is current.
    ClearPlayers();
    CreatePlayer("Anna");
    EXPECT_TRUE(DeletePlayer(0));
    EXPECT_EQ(GetPlayerCount(), 0);
    EXPECT_EQ(GetCurrentPlayer(), nullptr);
}

// A player made after a deletion never takes files another player names: the list size
// when that number is free, else the smallest free number.
TEST_F(CPlayersTest, ANewPlayerAfterADeletionTakesAFreeSaveNumber) {
    const struct {
        int32_t deleted;
        const char* saveFile;
    } cases[] = {{0, "ply1.sav"}, {1, "ply2.sav"}, {2, "ply3.sav"}, {3, "ply4.sav"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleted);
        ClearPlayers();
        for (const char* name : {"Anna", "Bo", "Cecilia", "Dan"}) {
            ASSERT_NE(CreatePlayer(name), nullptr);
        }
        ASSERT_TRUE(DeletePlayer(c.deleted));
        const PlayerRecord* created = CreatePlayer("Eva");
        ASSERT_NE(created, nullptr);
        EXPECT_STREQ(created->saveFile, c.saveFile);
        EXPECT_EQ(std::string(created->levelFile), std::string(c.saveFile).replace(std::strlen(c.saveFile) - 3, 3, "lvl"));
        for (int32_t i = 0; i < GetPlayerCount(); ++i) {
            for (int32_t j = i + 1; j < GetPlayerCount(); ++j) {
                EXPECT_STRNE(GetPlayer(i)->saveFile, GetPlayer(j)->saveFile) << i << " and " << j;
                EXPECT_STRNE(GetPlayer(i)->levelFile, GetPlayer(j)->levelFile) << i << " and " << j;
            }
        }
    }
    // Without a deletion the numbering is the list size, as ever.
    ClearPlayers();
    CreatePlayer("Anna");
    EXPECT_STREQ(CreatePlayer("Bo")->saveFile, "ply2.sav");
}

// Records naming the same files (a damaged list can hold them) know it of each other.
TEST_F(CPlayersTest, PlayersSharingASavedGameAreFound) {
    CreatePlayer("Anna");
    PlayerRecord* bo = CreatePlayer("Bo");
    CreatePlayer("Cecilia");
    EXPECT_FALSE(SharesSavedGame(0));
    EXPECT_FALSE(SharesSavedGame(1));
    std::strcpy(bo->levelFile, "ply3.lvl");
    EXPECT_TRUE(SharesSavedGame(1));
    EXPECT_TRUE(SharesSavedGame(2));
    EXPECT_FALSE(SharesSavedGame(0));
    EXPECT_FALSE(SharesSavedGame(3));
}

TEST_F(CPlayersTest, NamesAreCutAndForeignRecordsRefused) {
    PlayerRecord* record = CreatePlayer("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->name, "ABCDEFGHIJKL");
    EXPECT_EQ(record->nameLength, 12u);

    PlayerRecord stranger;
    EXPECT_FALSE(SetCurrentPlayer(&stranger));
    EXPECT_FALSE(SetCurrentPlayer(nullptr));
    EXPECT_EQ(GetCurrentPlayer(), record);
    EXPECT_TRUE(LogHas("SetCurrentPlayer FAILED"));
}

TEST_F(CPlayersTest, NoCurrentPlayerGivesNeutralValues) {
    EXPECT_STREQ(CurrentPlayerName(), "");
    EXPECT_EQ(CurrentPlayerLives(), 0);
    EXPECT_FALSE(ToggleCurrentPlayerChildMode());
    EXPECT_EQ(CurrentPlayerDifficulty(), kDifficultyNormal);
    EXPECT_STREQ(CurrentPlayerSaveFile(), "");
}

TEST_F(CPlayersTest, ListStopsAtItsLimit) {
    for (int32_t i = 0; i < kMaxPlayers; ++i) {
        ASSERT_NE(CreatePlayer("P"), nullptr);
    }
    EXPECT_EQ(CreatePlayer("One too many"), nullptr);
    EXPECT_EQ(GetPlayerCount(), kMaxPlayers);
    EXPECT_TRUE(LogHas("CreatePlayer FAILED"));
}

TEST_F(CPlayersTest, UnwritableFileIsLoggedAndReported) {
    CreatePlayer("Anna");
    CFileManager::Get().UnmountAll();
    EXPECT_FALSE(SavePlayers());
    EXPECT_TRUE(LogHas("SavePlayers FAILED"));
}

struct HostileCase {
    const char* what;
    Bytes file;
    int32_t count;      // records read
    int32_t current;    // index of the current player after loading, -1 none
    const char* name;   // first record's name after loading
    const char* saveFile;
    const char* levelFile;
};

std::vector<HostileCase> HostileCases() {
    const RawRecord kim;
    RawRecord longName;
    longName.name = std::string(20, 'A');  // no terminator
    longName.nameLength = 0xFFFFFFFF;
    RawRecord climbing;
    climbing.saveFile = "../../etc/passwd";
    climbing.levelFile = "/tmp/evil.lvl";
    RawRecord halfBad;
    halfBad.saveFile = "ply7.sav";
    halfBad.levelFile = "ply7.sav";
    RawRecord unterminated;
    unterminated.saveFile = "ply1.savXXXXXXXXXXXXXXX";
    unterminated.levelFile = "ply01.lvl";
    RawRecord lyingLength;
    lyingLength.nameLength = 19;

    Bytes truncated = PlayersBytes(5, 0, {kim, kim});
    truncated.resize(truncated.size() + 50, 0x55);  // half a third record
    std::vector<RawRecord> many(kMaxPlayers + 4, kim);

    return {
        {"count beyond the records", truncated, 2, 0, "Kim", "ply1.sav", "ply1.lvl"},
        {"huge count", PlayersBytes(0x7FFFFFFF, 0, {kim}), 1, 0, "Kim", "ply1.sav", "ply1.lvl"},
        {"negative count", PlayersBytes(-3, 0, {kim}), 1, 0, "Kim", "ply1.sav", "ply1.lvl"},
        {"more records than the limit", PlayersBytes(kMaxPlayers + 4, kMaxPlayers + 2, many), kMaxPlayers, 0,
         "Kim", "ply1.sav", "ply1.lvl"},
        {"current past the end", PlayersBytes(2, 7, {kim, kim}), 2, 0, "Kim", "ply1.sav", "ply1.lvl"},
        {"cut before the current player's record", PlayersBytes(3, 2, {kim, kim}), 2, 0, "Kim", "ply1.sav",
         "ply1.lvl"},
        {"negative current", PlayersBytes(1, -1, {kim}), 1, 0, "Kim", "ply1.sav", "ply1.lvl"},
        {"count 0", PlayersBytes(0, 0, {}), 0, -1, nullptr, nullptr, nullptr},
        {"shorter than the header", Bytes{1, 0, 0}, 0, -1, nullptr, nullptr, nullptr},
        {"empty file", Bytes{}, 0, -1, nullptr, nullptr, nullptr},
        {"unterminated name", PlayersBytes(1, 0, {longName}), 1, 0, "AAAAAAAAAAAA", "ply1.sav", "ply1.lvl"},
        {"lying name length", PlayersBytes(1, 0, {lyingLength}), 1, 0, "Kim", "ply1.sav", "ply1.lvl"},
        {"file names outside the folder", PlayersBytes(1, 0, {climbing}), 1, 0, "Kim", "ply1.sav", "ply1.lvl"},
        {"level file of the wrong form", PlayersBytes(1, 0, {halfBad}), 1, 0, "Kim", "ply7.sav", "ply7.lvl"},
        {"unterminated file names", PlayersBytes(1, 0, {unterminated}), 1, 0, "Kim", "ply1.sav", "ply1.lvl"},
    };
}

TEST_F(CPlayersTest, DamagedFilesGiveRepairedWholeRecords) {
    for (const HostileCase& test : HostileCases()) {
        SCOPED_TRACE(test.what);
        ClearPlayers();
        const PlayersFile decoded = DecodePlayersFile(test.file.data(), test.file.size());
        EXPECT_EQ(decoded.records.size(), static_cast<size_t>(test.count));
        EXPECT_EQ(decoded.current, test.current) << "the current player is one of the records read";
        WriteData("players.cfg", test.file);
        ASSERT_TRUE(LoadPlayers());
        ASSERT_EQ(GetPlayerCount(), test.count);
        EXPECT_EQ(GetCurrentPlayerIndex(), test.current);
        if (test.count == 0) {
            EXPECT_EQ(GetCurrentPlayer(), nullptr);
            continue;
        }
        const PlayerRecord* first = GetPlayer(0);
        EXPECT_STREQ(first->name, test.name);
        EXPECT_EQ(first->nameLength, std::strlen(test.name));
        EXPECT_STREQ(first->saveFile, test.saveFile);
        EXPECT_STREQ(first->levelFile, test.levelFile);
        for (int32_t i = 0; i < GetPlayerCount(); ++i) {
            const PlayerRecord* record = GetPlayer(i);
            EXPECT_LE(std::strlen(record->name), static_cast<size_t>(kMaxPlayerNameLength));
        }

        // What is written back is a consistent list of what was read.
        ASSERT_TRUE(SavePlayers());
        const Bytes saved = ReadData("players.cfg");
        EXPECT_EQ(saved.size(), PlayersFileSize(static_cast<size_t>(test.count)));
        EXPECT_EQ(Le32At(saved, 0), static_cast<uint32_t>(test.count));
        EXPECT_EQ(Le32At(saved, 4), static_cast<uint32_t>(test.current));
    }
}

// Three players as the game writes them; the bytes of each case are damaged from there.
Bytes ThreePlayers() {
    RawRecord anna;
    anna.name = "Anna";
    anna.nameLength = 4;
    RawRecord bo;
    bo.name = "Bo";
    bo.nameLength = 2;
    bo.saveFile = "ply2.sav";
    bo.levelFile = "ply2.lvl";
    RawRecord cleo;
    cleo.name = "Cleo";
    cleo.nameLength = 4;
    cleo.saveFile = "ply3.sav";
    cleo.levelFile = "ply3.lvl";
    return PlayersBytes(3, 1, {anna, bo, cleo});
}

TEST_F(CPlayersTest, EveryWholeRecordIsRecoveredWhateverTheCountSays) {
    const struct {
        const char* what;
        void (*damage)(Bytes& file);
        int32_t current;
    } cases[] = {
        {"count ff ff ff ff", [](Bytes& f) { f[0] = f[1] = f[2] = f[3] = 0xFF; }, 1},
        {"count 0", [](Bytes& f) { f[0] = 0; }, 1},
        {"count 1", [](Bytes& f) { f[0] = 1; }, 1},
        {"last padding byte missing", [](Bytes& f) { f.pop_back(); }, 1},
        {"both padding bytes missing and the count 2", [](Bytes& f) { f.resize(f.size() - 2); f[0] = 2; }, 1},
        {"current ff ff ff ff", [](Bytes& f) { f[4] = f[5] = f[6] = f[7] = 0xFF; }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearPlayers();
        Bytes file = ThreePlayers();
        c.damage(file);
        WriteData("players.cfg", file);
        ASSERT_TRUE(LoadPlayers());
        ASSERT_EQ(GetPlayerCount(), 3);
        EXPECT_STREQ(GetPlayer(0)->name, "Anna");
        EXPECT_STREQ(GetPlayer(1)->name, "Bo");
        EXPECT_STREQ(GetPlayer(2)->name, "Cleo");
        EXPECT_STREQ(GetPlayer(2)->saveFile, "ply3.sav");
        EXPECT_EQ(GetCurrentPlayerIndex(), c.current);
        // The next write is the repaired list, and the original is kept beside it.
        ASSERT_TRUE(SavePlayers());
        const Bytes saved = ReadData("players.cfg");
        EXPECT_EQ(saved.size(), PlayersFileSize(3));
        EXPECT_EQ(Le32At(saved, 0), 3u);
        EXPECT_EQ(ReadData("players.cfg.bad"), file);
        EXPECT_TRUE(LogHas("players.cfg is kept as players.cfg.bad"));
    }
}

TEST_F(CPlayersTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    const struct {
        const char* what;
        bool (*make)(const std::string& path);
        bool (*intact)(const std::string& path);
    } cases[] = {
        {"a FIFO", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; },
         [](const std::string& p) {
             struct stat info {};
             return ::lstat(p.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
         }},
        {"a folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0755) == 0; },
         [](const std::string& p) {
             struct stat info {};
             return ::lstat(p.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case on a fresh mount: what is protected lasts until the folder is unmounted.
        CFileManager::Get().UnmountAll();
        std::filesystem::remove_all(DataPath("players.cfg"));
        ASSERT_TRUE(c.make(DataPath("players.cfg")));
        CFileManager::Get().MountFileSystem(m_temp.Path());
        ClearPlayers();
        m_log.clear();
        EXPECT_FALSE(LoadPlayers());
        EXPECT_EQ(GetPlayerCount(), 0);
        EXPECT_TRUE(LogHas("LoadPlayers FAILED"));
        ASSERT_NE(CreatePlayer("Anna"), nullptr);
        EXPECT_FALSE(SavePlayers()) << "the list of this run is not written over the unread file";
        EXPECT_TRUE(c.intact(DataPath("players.cfg")));
        EXPECT_FALSE(PathExists(DataPath("players.cfg.bad")));
    }
}

TEST_F(CPlayersTest, AFileWithoutReadRightsIsNeverWrittenOverByAPlainUser) {
    const Bytes three = ThreePlayers();
    WriteData("players.cfg", three);
    ASSERT_EQ(::chmod(DataPath("players.cfg").c_str(), 0), 0);
    ASSERT_EQ(::chmod(m_temp.Path().c_str(), 0777), 0);   // the folder itself takes files
    const std::string folder = m_temp.Path();
    const int result = RunAsPlainUser([&folder] {
        CFileManager::Get().UnmountAll();
        CFileManager::Get().MountFileSystem(folder);
        ClearPlayers();
        if (LoadPlayers() || GetPlayerCount() != 0) {
            return 1;
        }
        CreatePlayer("Anna");
        return SavePlayers() ? 2 : 0;
    });
    EXPECT_EQ(result, 0) << "1: read, 2: written over, -1: no plain user";
    ASSERT_EQ(::chmod(DataPath("players.cfg").c_str(), 0644), 0);
    EXPECT_EQ(ReadData("players.cfg"), three);
}

TEST_F(CPlayersTest, AnUnchangedListDoesNotUndoAnotherWrite) {
    WriteData("players.cfg", ThreePlayers());
    ASSERT_TRUE(LoadPlayers());
    // Another copy of the game adds a player meanwhile.
    Bytes other = ThreePlayers();
    other[0] = 4;
    RawRecord dan;
    dan.name = "Dan";
    dan.saveFile = "ply4.sav";
    dan.levelFile = "ply4.lvl";
    PutRecord(other, dan);
    WriteData("players.cfg", other);
    ASSERT_TRUE(SavePlayers());
    EXPECT_EQ(ReadData("players.cfg"), other) << "nothing changed here, so nothing is written";
    ToggleCurrentPlayerChildMode();
    ASSERT_TRUE(SavePlayers());
    EXPECT_EQ(ReadData("players.cfg").size(), PlayersFileSize(3)) << "a change is written";
}

TEST_F(CPlayersTest, RunningValuesAreBoundedOnLoad) {
    RawRecord wild;
    wild.lives = 0x7FFFFFFF;
    wild.score = -5;
    RawRecord low;
    low.lives = -100000;
    WriteData("players.cfg", PlayersBytes(2, 0, {wild, low}));
    ASSERT_TRUE(LoadPlayers());
    ASSERT_EQ(GetPlayerCount(), 2);
    EXPECT_EQ(GetPlayer(0)->lives, kMaxLives);
    EXPECT_EQ(GetPlayer(0)->score, 0);
    EXPECT_EQ(GetPlayer(1)->lives, -1);
}

TEST(PlayersFileDecoding, ReadsNoMoreThanTheLimit) {
    const std::vector<RawRecord> many(kMaxPlayers + 4, RawRecord());
    const Bytes file = PlayersBytes(kMaxPlayers + 4, kMaxPlayers + 1, many);
    const PlayersFile players = DecodePlayersFile(file.data(), file.size());
    EXPECT_EQ(players.records.size(), static_cast<size_t>(kMaxPlayers));
    EXPECT_EQ(players.current, 0);
    EXPECT_EQ(EncodePlayersFile(players).size(), PlayersFileSize(kMaxPlayers));
}

TEST_F(CPlayersTest, RepairNumbersFilesAfterThePosition) {
    RawRecord bad;
    bad.saveFile = "C:\\save.sav";
    bad.levelFile = "";
    WriteData("players.cfg", PlayersBytes(3, 2, {RawRecord(), RawRecord(), bad}));
    ASSERT_TRUE(LoadPlayers());
    ASSERT_EQ(GetPlayerCount(), 3);
    EXPECT_STREQ(GetPlayer(2)->saveFile, "ply3.sav");
    EXPECT_STREQ(GetPlayer(2)->levelFile, "ply3.lvl");
    EXPECT_EQ(GetCurrentPlayer(), GetPlayer(2));
    EXPECT_TRUE(LogHas("1 damaged players repaired, the first is player 3"));
}

}  // namespace

// The committed seeds are what the encoder writes for the same players, and each reads
// back and encodes again to itself: "players.cfg" keeps its bytes.
TEST(PlayersFileBytes, TheSeedListsAreWhatTheEncoderWrites) {
    struct Case {
        const char* file;
        int32_t count;
        int32_t current;
    };
    for (const Case& c : {Case{"one.cfg", 1, 0}, Case{"three.cfg", 3, 1}}) {
        SCOPED_TRACE(c.file);
        const Bytes seed = ReadFileBytes(std::string(PELLORA_SOURCE_DIR) + "/fuzz/corpus/fuzz_players/" + c.file);
        ASSERT_EQ(seed.size(), PlayersFileSize(static_cast<size_t>(c.count)));
        PlayersFile players;
        for (int32_t i = 0; i < c.count; ++i) {
            PlayerRecord record;
            std::snprintf(record.name, sizeof(record.name), "Player%d", static_cast<int>(i + 1));
            record.childMode = i == 1 ? 1 : 0;
            record.score = 1000 * i;
            RepairPlayerRecord(record, i);
            players.records.push_back(record);
        }
        players.current = c.current;
        EXPECT_EQ(EncodePlayersFile(players), seed);
        const PlayersFile back = DecodePlayersFile(seed.data(), seed.size());
        EXPECT_FALSE(back.damaged);
        EXPECT_EQ(back.current, c.current);
        EXPECT_EQ(EncodePlayersFile(back), seed);
    }
}
