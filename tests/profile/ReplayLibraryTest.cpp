// The replays list: the last games and matches up to its limit, the high-score replays
// besides them and never dropped, and a damaged list set aside with nothing lost.
#include "tests/profile/ProfileFixture.h"

#include "game/Replay.h"
#include "profile/ReplayLibrary.h"
#include "profile/ReplayStore.h"

#include <algorithm>
#include <filesystem>

namespace {

using CReplayLibraryTest = CProfileTest;

ReplayIndexEntry ListEntry(const char* name, uint32_t score) {
    ReplayIndexEntry entry;
    entry.listFile = "hs5.dat";
    entry.playerName = name;
    entry.score = score;
    entry.levels = 2;
    return entry;
}

// A finished game's replay as the game writes it.
Bytes GameReplay(const char* name, uint32_t score) {
    ReplayData replay;
    replay.header.playerName = name;
    replay.header.finished = true;
    replay.header.finalScore = score;
    replay.header.levelsFinished = 2;
    replay.header.steps = 300;
    replay.runs.push_back(ReplayRun{ReplayStep(), 300});
    Bytes bytes;
    EncodeReplay(replay, bytes);
    return bytes;
}

LibraryEntry Match(uint32_t date) {
    LibraryEntry entry;
    entry.kind = ELibraryKind::Match;
    entry.mode = EMatchMode::Computer;
    entry.date = date;
    entry.kinds[1] = EMatchSideKind::Computer;
    entry.names[0] = "Ann";
    entry.roundsWon[0] = 2;
    entry.winner = 0;
    entry.finished = true;
    entry.steps = 9000;
    return entry;
}

LibraryEntry Game(uint32_t date, uint32_t score) {
    LibraryEntry entry;
    entry.kind = ELibraryKind::Game;
    entry.date = date;
    entry.names[0] = "Ann";
    entry.score = score;
    entry.steps = 4500;
    return entry;
}

TEST_F(CReplayLibraryTest, KeepsTheLastGamesAndMatchesAndEveryHighScoreReplay) {
    // A game that entered the high-score list, kept before anything else.
    CReplayIndex index;
    index.Load();
    ASSERT_TRUE(index.Keep(ListEntry("Bea", 7000), GameReplay("Bea", 7000), {ListEntry("Bea", 7000)}));
    const std::string linked = CReplayIndex::FileFor(index.Entries().back().sequence);
    CReplayLibrary library;
    library.Load();
    ASSERT_TRUE(library.AddLinked(Game(100, 7000), linked));

    constexpr uint32_t kAdded = kLibraryKept + 12;
    std::vector<std::string> files;
    for (uint32_t i = 1; i <= kAdded; ++i) {
        ASSERT_TRUE(i % 2 == 0 ? library.Add(Match(1000 + i), Bytes{static_cast<uint8_t>(i)})
                               : library.Add(Game(1000 + i, i), Bytes{static_cast<uint8_t>(i)}));
        files.push_back(library.Entries().back().file);
    }
    CReplayLibrary reread;
    reread.Load();
    const std::vector<LibraryEntry> newest = reread.Newest();
    ASSERT_EQ(newest.size(), static_cast<size_t>(kLibraryKept) + 1);
    // Newest first: the last added at the top, the high-score game, the oldest, at the end.
    EXPECT_EQ(newest.front().date, 1000 + kAdded);
    EXPECT_EQ(newest.front().kind, ELibraryKind::Match);
    EXPECT_EQ(newest.back().file, linked);
    EXPECT_TRUE(reread.IsLinked(newest.back()));
    EXPECT_EQ(newest.back().score, 7000u);
    for (size_t i = 0; i + 1 < newest.size(); ++i) {
        EXPECT_GT(newest[i].date, newest[i + 1].date);
    }
    // The oldest went with their files; the kept ones and the high-score replay are there.
    for (uint32_t i = 1; i <= kAdded; ++i) {
        const bool kept = i > kAdded - kLibraryKept;
        EXPECT_EQ(PathExists(DataPath("replays/" + files[i - 1])), kept) << files[i - 1];
    }
    EXPECT_EQ(ReadData("replays/" + files.back()), Bytes{static_cast<uint8_t>(kAdded)});
    EXPECT_EQ(ReadData("replays/" + linked), GameReplay("Bea", 7000));
}

TEST_F(CReplayLibraryTest, HighScoreReplaysKeptBeforeTheListAreTakenIn) {
    CReplayIndex index;
    index.Load();
    ASSERT_TRUE(index.Keep(ListEntry("Cy", 4200), GameReplay("Cy", 4200), {ListEntry("Cy", 4200)}));
    CReplayLibrary library;
    library.Load();
    ASSERT_EQ(library.Entries().size(), 1u);
    const LibraryEntry& taken = library.Entries().front();
    EXPECT_EQ(taken.kind, ELibraryKind::Game);
    EXPECT_EQ(taken.names[0], "Cy");
    EXPECT_EQ(taken.score, 4200u);
    EXPECT_EQ(taken.steps, 300u);
    EXPECT_TRUE(taken.finished);
    EXPECT_TRUE(library.IsLinked(taken));
    // Many games later it is still there.
    for (uint32_t i = 0; i < kLibraryKept + 5; ++i) {
        ASSERT_TRUE(library.Add(Game(2000 + i, i), Bytes{1}));
    }
    CReplayLibrary reread;
    reread.Load();
    EXPECT_EQ(reread.Entries().size(), static_cast<size_t>(kLibraryKept) + 1);
    EXPECT_EQ(reread.Entries().front().names[0], "Cy");
    // Once its high-score entry leaves the list, its replay goes and the list lets it go.
    ASSERT_TRUE(index.Keep(ListEntry("Di", 9000), GameReplay("Di", 9000), {ListEntry("Di", 9000)}));
    CReplayLibrary after;
    after.Load();
    const bool cyListed = std::any_of(after.Entries().begin(), after.Entries().end(),
                                      [](const LibraryEntry& entry) { return entry.names[0] == "Cy"; });
    EXPECT_FALSE(cyListed);
}

TEST_F(CReplayLibraryTest, ADamagedListIsSetAsideAndNoReplayIsLost) {
    struct Case {
        const char* what;
        size_t at;           // the byte changed; past the end: the file cut to `at - size`
        uint8_t xorWith;
    };
    const Case cases[] = {
        {"a flipped byte", 30, 0x10},
        {"another magic", 0, 0x20},
        {"cut short", 5, 0},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(DataPath("replays"));
        m_log.clear();
        CReplayLibrary library;
        library.Load();
        ASSERT_TRUE(library.Add(Match(10), Bytes{1, 2, 3}));
        ASSERT_TRUE(library.Add(Game(20, 500), Bytes{4, 5}));
        const std::string matchFile = library.Entries().front().file;
        Bytes damaged = ReadData(kLibraryIndexName);
        if (c.xorWith != 0) {
            damaged[c.at] ^= c.xorWith;
        } else {
            damaged.resize(damaged.size() - c.at);
        }
        WriteData(kLibraryIndexName, damaged);

        CReplayLibrary reread;
        reread.Load();
        EXPECT_TRUE(reread.Entries().empty()) << c.what;
        EXPECT_TRUE(LogHas("CReplayLibrary::Load FAILED")) << c.what;
        EXPECT_EQ(ReadData(std::string(kLibraryIndexName) + ".bad"), damaged) << c.what;
        // The replays stay, and the next one kept takes a name of its own.
        ASSERT_TRUE(reread.Add(Match(30), Bytes{9}));
        EXPECT_EQ(ReadData("replays/" + matchFile), (Bytes{1, 2, 3})) << c.what;
        EXPECT_NE(reread.Entries().back().file, matchFile) << c.what;
        EXPECT_EQ(ReadData("replays/" + reread.Entries().back().file), Bytes{9}) << c.what;
    }
}

TEST_F(CReplayLibraryTest, AnEntryWhoseFileHasGoneIsDropped) {
    CReplayLibrary library;
    library.Load();
    ASSERT_TRUE(library.Add(Match(10), Bytes{1}));
    ASSERT_TRUE(library.Add(Match(20), Bytes{2}));
    std::filesystem::remove(DataPath("replays/" + library.Entries().front().file));
    CReplayLibrary reread;
    reread.Load();
    ASSERT_EQ(reread.Entries().size(), 1u);
    EXPECT_EQ(reread.Entries().front().date, 20u);
    EXPECT_FALSE(LogHas("FAILED"));
}

}  // namespace
