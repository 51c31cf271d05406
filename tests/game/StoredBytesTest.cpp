// The bytes the game wrote before are the bytes it writes now: the committed fuzz seeds
// (a recorded game, saved games) and the recorded games kept as fixtures decode and encode
// again to themselves, byte for byte, and the seed maker's saved game is built again.
#include "game/Replay.h"
#include "game/SavedGame.h"
#include "resources/Crc32.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Seed(const std::string& name) {
    return std::string(PELLORA_SOURCE_DIR) + "/fuzz/corpus/" + name;
}

TEST(StoredBytes, TheRecordedGameSeedEncodesToItself) {
    const Bytes seed = ReadFileBytes(Seed("fuzz_replay/played.rpl"));
    ASSERT_FALSE(seed.empty());
    ReplayData replay;
    std::string why;
    ASSERT_TRUE(DecodeReplay(seed, replay, why)) << why;
    EXPECT_EQ(replay.header.playerName, "Seed");
    EXPECT_EQ(replay.header.steps, 450u);
    Bytes again;
    EncodeReplay(replay, again);
    EXPECT_EQ(again, seed);
}

// The replays kept as fixtures of games recorded by the game itself.
TEST(StoredBytes, RecordedGameFixturesEncodeToThemselves) {
    const std::string folder = std::string(PELLORA_SOURCE_DIR) + "/tests/fixtures/replays/";
    const std::vector<std::string> names = ListFolder(folder);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Bytes fixture = ReadFileBytes(folder + name);
        ReplayData replay;
        std::string why;
        ASSERT_TRUE(DecodeReplay(fixture, replay, why)) << why;
        Bytes again;
        EncodeReplay(replay, again);
        EXPECT_EQ(again, fixture);
    }
}

TEST(StoredBytes, SavedGameSeedsEncodeToThemselves) {
    // Each seed is the save file's bytes followed by the field file's. (The other seed there
    // is a hostile one: the fuzz target puts its field's CRC right before reading it.)
    for (const char* name : {"level-start.sav"}) {
        SCOPED_TRACE(name);
        const Bytes seed = ReadFileBytes(Seed(std::string("fuzz_saved_game/") + name));
        ASSERT_EQ(seed.size(), kSaveFileBytes + kFieldFileBytes);
        const Bytes save(seed.begin(), seed.begin() + kSaveFileBytes);
        const Bytes field(seed.begin() + kSaveFileBytes, seed.end());
        SavedGame game;
        std::string why;
        ASSERT_TRUE(DecodeSavedGame(save, field, game, why)) << why;
        Bytes saveAgain, fieldAgain;
        EncodeSavedGame(game, saveAgain, fieldAgain);
        EXPECT_EQ(saveAgain, save);
        EXPECT_EQ(fieldAgain, field);
        // The packed form a continued game's replay carries comes back whole too.
        Bytes packed, saveBack, fieldBack;
        PackSaveBytes(save, field, packed);
        ASSERT_TRUE(UnpackSaveBytes(packed, saveBack, fieldBack));
        EXPECT_EQ(saveBack, save);
        EXPECT_EQ(fieldBack, field);
    }
}

// The seed maker's saved game: a level just started with a few rows of balls.
TEST(StoredBytes, ALevelJustStartedIsSavedAsTheSeed) {
    CPlayfield playfield;
    const char* rows[] = {"0011223344", " 55667700.", "0.1.2.3.4."};
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; rows[row][column] != '\0'; ++column) {
            const char symbol = rows[row][column];
            if (symbol >= '0' && symbol <= '7') {
                playfield.Board().SetCell(symbol - '0', 0, row % 2 == 1 ? column - 1 : column, row);
            }
        }
    }
    playfield.StartLevel();
    SavedGameValues values;
    values.levelFileName = "1.lvl";
    Bytes save, field;
    EncodeSavedGame(CaptureSavedGame(values, playfield), save, field);
    save.insert(save.end(), field.begin(), field.end());
    EXPECT_EQ(save, ReadFileBytes(Seed("fuzz_saved_game/level-start.sav")));
}

}  // namespace
