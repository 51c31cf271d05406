// High-score lists: the checksum, the default list, ranking and insertion, one file per
// difficulty, and short or damaged files.
#include "tests/profile/ProfileFixture.h"

#include "profile/Highscore.h"
#include "profile/Language.h"
#include "resources/FileManager.h"

namespace {

using CHighscoreTest = CProfileTest;

constexpr uint32_t kDefaultScores[kHighscoreEntries] = {
    1000000, 500000, 400000, 300000, 200000, 100000, 75000, 50000, 25000, 10000,
};

TEST(HighscoreChecksum, MatchesKnownValues) {
    const struct {
        const char* text;
        uint32_t checksum;
    } cases[] = {
        {"abc", 0x5900434Fu},
        {"", 0x00000000u},
        {"Pellora", 0x6A44EE4Du},
        {"1000000", 0xDE3D87E0u},
        {"10000", 0xC59D79C6u},
        {"\xC5sa", 0x3AA6F4CFu},  // "Åsa" in Windows-1252
    };
    for (const auto& test : cases) {
        EXPECT_EQ(HighscoreChecksum(test.text), test.checksum) << test.text;
    }
}

TEST(HighscoreFileNames, OneFilePerDifficulty) {
    EXPECT_EQ(HighscoreFileName(1), "hs1.dat");
    EXPECT_EQ(HighscoreFileName(5), "hs5.dat");
    EXPECT_EQ(HighscoreFileName(12), "hs12.dat");
}

TEST_F(CHighscoreTest, MissingFileGivesTheDefaultListWithoutWriting) {
    CHighscore& list = CHighscore::Get();
    list.SelectFile("hs5.dat");
    EXPECT_EQ(list.GetLastRank(), -1);
    for (int32_t i = 0; i < kHighscoreEntries; ++i) {
        const HighscoreEntry& entry = list.Entry(i);
        EXPECT_STREQ(entry.name, "Pellora");
        EXPECT_EQ(entry.nameCheck, 0x6A44EE4Du);
        EXPECT_EQ(entry.score, kDefaultScores[i]);
        EXPECT_EQ(entry.levels, 0);
    }
    EXPECT_EQ(list.Entry(0).scoreCheck, 0xDE3D87E0u);
    EXPECT_EQ(list.Entry(9).scoreCheck, 0xC59D79C6u);
    EXPECT_FALSE(PathExists(DataPath("hs5.dat")));
    EXPECT_EQ(list.Entry(-1).score, 0u);
    EXPECT_EQ(list.Entry(kHighscoreEntries).score, 0u);
}

TEST_F(CHighscoreTest, FirstEntryWritesTheDefaultsShiftedAroundIt) {
    CHighscore& list = CHighscore::Get();
    list.SelectFile("hs5.dat");
    ASSERT_TRUE(list.AddEntry(450000, 3, "Anna"));
    EXPECT_EQ(list.GetLastRank(), 2);

    const Bytes file = ReadData("hs5.dat");
    ASSERT_EQ(file.size(), 440u);
    const uint32_t expectedScores[kHighscoreEntries] = {
        1000000, 500000, 450000, 400000, 300000, 200000, 100000, 75000, 50000, 25000,
    };
    for (size_t i = 0; i < static_cast<size_t>(kHighscoreEntries); ++i) {
        SCOPED_TRACE(i);
        const size_t at = i * 44;
        EXPECT_EQ(TextAt(file, at, 28), i == 2 ? "Anna" : "Pellora");
        EXPECT_EQ(Le32At(file, at + 32), expectedScores[i]);
        EXPECT_EQ(Le32At(file, at + 40), i == 2 ? 3u : 0u);
    }
    EXPECT_EQ(Le32At(file, 2 * 44 + 28), HighscoreChecksum("Anna"));
    EXPECT_EQ(Le32At(file, 2 * 44 + 36), HighscoreChecksum("450000"));
    EXPECT_EQ(Le32At(file, 3 * 44 + 36), HighscoreChecksum("400000"));  // moved with its entry
}

TEST_F(CHighscoreTest, TiesRankBelowTheOlderEntry) {
    const struct {
        uint32_t score;
        int32_t rank;
    } cases[] = {
        {10000, -1},     // equal to the tenth: stays out
        {9999, -1},
        {0, -1},
        {10001, 9},
        {1000000, 1},    // equal to the best: below it
        {1000001, 0},
        {500000, 2},
        {499999, 2},
    };
    CHighscore& list = CHighscore::Get();
    list.SelectFile("hs1.dat");
    for (const auto& test : cases) {
        EXPECT_EQ(list.FindRank(test.score), test.rank) << test.score;
    }

    EXPECT_FALSE(list.AddEntry(10000, 1, "Tie"));
    EXPECT_EQ(list.GetLastRank(), -1);
    EXPECT_FALSE(PathExists(DataPath("hs1.dat")));

    ASSERT_TRUE(list.AddEntry(10001, 1, "Just"));
    EXPECT_EQ(list.GetLastRank(), 9);
    EXPECT_STREQ(list.Entry(9).name, "Just");
    EXPECT_STREQ(list.Entry(8).name, "Pellora");
    EXPECT_EQ(list.Entry(8).score, 25000u);

    ASSERT_TRUE(list.AddEntry(1000000, 20, "Best"));
    EXPECT_EQ(list.GetLastRank(), 1);
    EXPECT_STREQ(list.Entry(0).name, "Pellora");
    EXPECT_STREQ(list.Entry(1).name, "Best");
    EXPECT_STREQ(list.Entry(9).name, "Pellora");  // "Just" was pushed out
}

TEST_F(CHighscoreTest, DifficultiesKeepSeparateLists) {
    CHighscore& list = CHighscore::Get();
    list.SelectFile(HighscoreFileName(1));
    ASSERT_TRUE(list.AddEntry(2000000, 4, "Kid"));

    list.SelectFile(HighscoreFileName(5));
    EXPECT_EQ(list.GetLastRank(), -1);
    EXPECT_STREQ(list.Entry(0).name, "Pellora");
    EXPECT_FALSE(PathExists(DataPath("hs5.dat")));

    list.SelectFile(HighscoreFileName(1));
    EXPECT_EQ(list.GetLastRank(), -1);
    EXPECT_STREQ(list.Entry(0).name, "Kid");
    EXPECT_EQ(list.Entry(0).levels, 4);
}

TEST_F(CHighscoreTest, LongNamesAreCutToTheField) {
    CHighscore& list = CHighscore::Get();
    list.SelectFile("hs5.dat");
    const std::string longName(40, 'N');
    ASSERT_TRUE(list.AddEntry(3000000, 1, longName.c_str()));
    EXPECT_EQ(std::string(list.Entry(0).name), std::string(27, 'N'));
    EXPECT_EQ(ReadData("hs5.dat")[27], 0);
}

TEST_F(CHighscoreTest, ShortOrDamagedFileShowsWhatIsStored) {
    Bytes file;
    // Entry 0: a name filling all 28 bytes, a wrong checksum and a low score, stored first.
    file.insert(file.end(), 28, 'B');
    PutLe32(file, 0xDEADBEEF);
    PutLe32(file, 5);
    PutLe32(file, 0xDEADBEEF);
    PutLe32(file, 0xFFFFFFFF);
    // Entry 1: a plain one, then half an entry.
    const std::string name = "Cora";
    file.insert(file.end(), name.begin(), name.end());
    file.insert(file.end(), 28 - name.size(), 0);
    PutLe32(file, HighscoreChecksum("Cora"));
    PutLe32(file, 70000);
    PutLe32(file, HighscoreChecksum("70000"));
    PutLe32(file, 6);
    file.insert(file.end(), 12, 'x');
    WriteData("hs5.dat", file);

    CHighscore& list = CHighscore::Get();
    list.SelectFile("hs5.dat");
    EXPECT_EQ(std::string(list.Entry(0).name), std::string(27, 'B'));
    EXPECT_EQ(list.Entry(0).score, 5u);
    EXPECT_EQ(list.Entry(0).levels, -1);
    EXPECT_STREQ(list.Entry(1).name, "Cora");
    EXPECT_EQ(list.Entry(1).score, 70000u);
    for (int32_t i = 2; i < kHighscoreEntries; ++i) {
        EXPECT_STREQ(list.Entry(i).name, "");
        EXPECT_EQ(list.Entry(i).score, 0u);
    }
    EXPECT_TRUE(LogHas("CHighscore::File_Load FAILED"));

    // The list is unsorted as stored; a new score takes the first place it beats.
    EXPECT_EQ(list.FindRank(6), 0);
    ASSERT_TRUE(list.AddEntry(1, 0, "Low"));
    EXPECT_EQ(list.GetLastRank(), 2);
    EXPECT_EQ(ReadData("hs5.dat").size(), 440u);
}

TEST_F(CHighscoreTest, UnwritableFileIsLogged) {
    CHighscore& list = CHighscore::Get();
    list.SelectFile("hs5.dat");
    CFileManager::Get().UnmountAll();
    EXPECT_FALSE(list.Save());
    EXPECT_TRUE(LogHas("CHighscore::File_Save FAILED couldn't save high score list"));
    EXPECT_TRUE(list.AddEntry(2000000, 1, "Kept"));  // kept in memory all the same
    EXPECT_STREQ(list.Entry(0).name, "Kept");
}

}  // namespace
