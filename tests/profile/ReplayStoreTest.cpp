// The kept replays: one per high-score entry through the index, gone when the entry has
// left its list, at most a fixed number kept, and a damaged index set aside.
#include "tests/profile/ProfileFixture.h"

#include "game/Replay.h"
#include "profile/ReplayStore.h"
#include "resources/Crc32.h"

#include <filesystem>

namespace {

using CReplayStoreTest = CProfileTest;

ReplayIndexEntry Entry(const char* name, uint32_t score, int32_t levels = 3, const char* list = "hs5.dat") {
    ReplayIndexEntry entry;
    entry.listFile = list;
    entry.playerName = name;
    entry.score = score;
    entry.levels = levels;
    return entry;
}

TEST_F(CReplayStoreTest, EachEntryFindsItsOwnReplayUntilItLeavesItsList) {
    CReplayIndex index;
    index.Load();
    std::vector<ReplayIndexEntry> list = {Entry("Ann", 900), Entry("Bo", 500)};
    ASSERT_TRUE(index.Keep(Entry("Ann", 900), Bytes{1}, list));
    ASSERT_TRUE(index.Keep(Entry("Bo", 500), Bytes{2}, list));
    // The same result twice: the older ranks first in the list and takes the older replay.
    list.push_back(Entry("Bo", 500));
    ASSERT_TRUE(index.Keep(Entry("Bo", 500), Bytes{3}, list));
    // Another list keeps its own.
    ASSERT_TRUE(index.Keep(Entry("Ann", 900, 3, "hs1.dat"), Bytes{4}, {Entry("Ann", 900, 3, "hs1.dat")}));

    CReplayIndex reread;
    reread.Load();
    const std::string ann = reread.Find("hs5.dat", "Ann", 900, 3, 0);
    const std::string firstBo = reread.Find("hs5.dat", "Bo", 500, 3, 0);
    const std::string secondBo = reread.Find("hs5.dat", "Bo", 500, 3, 1);
    EXPECT_EQ(ReadData("replays/" + ann), Bytes{1});
    EXPECT_EQ(ReadData("replays/" + firstBo), Bytes{2});
    EXPECT_EQ(ReadData("replays/" + secondBo), Bytes{3});
    EXPECT_EQ(ReadData("replays/" + reread.Find("hs1.dat", "Ann", 900, 3, 0)), Bytes{4});
    EXPECT_EQ(reread.Find("hs5.dat", "Ann", 901, 3, 0), "") << "another score is another entry";
    EXPECT_EQ(reread.Find("hs5.dat", "Bo", 500, 3, 2), "");

    // A better game pushes Ann's entry out of the list: her replay goes, the others stay.
    const std::vector<ReplayIndexEntry> after = {Entry("Cy", 2000), Entry("Bo", 500), Entry("Bo", 500)};
    ASSERT_TRUE(reread.Keep(Entry("Cy", 2000), Bytes{5}, after));
    EXPECT_EQ(reread.Find("hs5.dat", "Ann", 900, 3, 0), "");
    EXPECT_FALSE(PathExists(DataPath("replays/" + ann)));
    EXPECT_TRUE(PathExists(DataPath("replays/" + secondBo)));
    EXPECT_NE(reread.Find("hs1.dat", "Ann", 900, 3, 0), "") << "the other list is not touched";
}

TEST_F(CReplayStoreTest, NoMoreThanTheLimitAreKeptAndTheOldestGoFirst) {
    CReplayIndex index;
    index.Load();
    std::vector<ReplayIndexEntry> list;
    for (uint32_t game = 1; game <= static_cast<uint32_t>(kMaxKeptReplays); ++game) {
        list.push_back(Entry("Ann", game));
        ASSERT_TRUE(index.Keep(Entry("Ann", game), Bytes{static_cast<uint8_t>(game)}, list));
    }
    EXPECT_LE(index.Entries().size(), static_cast<size_t>(kMaxKeptReplays));
    EXPECT_EQ(index.Find("hs5.dat", "Ann", 1, 3, 0), "") << "the oldest went";
    EXPECT_NE(index.Find("hs5.dat", "Ann", kMaxKeptReplays, 3, 0), "");
    EXPECT_FALSE(PathExists(DataPath("replays/" + CReplayIndex::FileFor(1))));
}

TEST_F(CReplayStoreTest, ADamagedIndexIsSetAsideAndCountsAsEmpty) {
    CReplayIndex index;
    index.Load();
    ASSERT_TRUE(index.Keep(Entry("Ann", 900), Bytes{1}, {Entry("Ann", 900)}));
    Bytes damaged = ReadData("replays/index.dat");
    damaged[20] ^= 0x01;
    WriteData("replays/index.dat", damaged);
    CReplayIndex reread;
    reread.Load();
    EXPECT_TRUE(reread.Entries().empty());
    EXPECT_TRUE(LogHas("CReplayIndex::Load FAILED"));
    // The next index written keeps the damaged one beside it.
    ASSERT_TRUE(reread.Keep(Entry("Bo", 500), Bytes{2}, {Entry("Bo", 500)}));
    EXPECT_EQ(ReadData("replays/index.dat.bad"), damaged);
}

TEST_F(CReplayStoreTest, TheReplayOfASavedGameIsNamedAfterIt) {
    EXPECT_EQ(SavedGameReplayName("ply3.sav"), "ply3.rpl");
    ASSERT_TRUE(WriteReplayFile("ply3.rpl", Bytes{7, 8}));
    Bytes read;
    ASSERT_TRUE(ReadReplayFile("ply3.rpl", read));
    EXPECT_EQ(read, (Bytes{7, 8}));
    DeleteReplayFile("ply3.rpl");
    EXPECT_FALSE(ReadReplayFile("ply3.rpl", read));
}
// A game of many hours: what the recorder keeps, the store reads back whole and the decoder
// takes (the store once read only the first megabyte, and the kept game was refused as
// damaged when it was continued).
TEST_F(CReplayStoreTest, ALongRecordingIsReadBackWhole) {
    CPlayfield playfield;
    CReplayRecorder recorder;
    recorder.Begin(ReplayHeader());
    std::vector<uint8_t> bytes;
    for (uint32_t step = 0; recorder.IsRecording(); ++step) {
        ReplayStep input;
        input.input = ReplayInput::Fire | ReplayInput::Moved;
        input.aimX = 100.0f + static_cast<float>(step / 3 % 4000) * 0.1f + 0.03f;
        recorder.Step(input, playfield);
        if (step % 50000 == 0) {
            EncodeReplay(recorder.Data(), bytes);
            if (bytes.size() > 3u * 1024u * 1024u / 2u) {
                break;
            }
        }
    }
    EncodeReplay(recorder.Data(), bytes);
    ASSERT_GT(bytes.size(), 1024u * 1024u);
    ASSERT_TRUE(WriteReplayFile("ply1.rpl", bytes));
    Bytes read;
    ASSERT_TRUE(ReadReplayFile("ply1.rpl", read));
    EXPECT_EQ(read, bytes);
    ReplayData replay;
    std::string why;
    EXPECT_TRUE(DecodeReplay(read, replay, why)) << why;
}

// A file larger than any recording is refused with its reason and set aside whole.
TEST_F(CReplayStoreTest, AFileLargerThanAnyReplayIsRefusedAndKept) {
    const Bytes huge(kReplayMaxBytes + 1, 0x5A);
    ASSERT_TRUE(WriteReplayFile("ply2.rpl", huge));
    Bytes read = {1};
    EXPECT_FALSE(ReadReplayFile("ply2.rpl", read));
    EXPECT_TRUE(read.empty());
    EXPECT_TRUE(LogHas("larger than any replay"));
    EXPECT_FALSE(PathExists(DataPath("replays/ply2.rpl")));
    EXPECT_EQ(ReadData("replays/ply2.rpl.bad").size(), huge.size());
    ASSERT_TRUE(WriteReplayFile("ply2.rpl", Bytes{3}));
    ASSERT_TRUE(ReadReplayFile("ply2.rpl", read));
    EXPECT_EQ(read, Bytes{3});
}

void PutText16(Bytes& bytes, const std::string& text) {
    for (size_t i = 0; i < 16; ++i) {
        bytes.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
    }
}

// "replays/index.dat" as the game has always written it.
TEST_F(CReplayStoreTest, TheIndexKeepsItsLayout) {
    CReplayIndex index;
    index.Load();
    ASSERT_TRUE(index.Keep(Entry("Ann", 900, 3), Bytes{1}, {Entry("Ann", 900, 3)}));
    ASSERT_TRUE(index.Keep(Entry("Bo", 70000, 12, "hs1.dat"), Bytes{2}, {Entry("Bo", 70000, 12, "hs1.dat")}));
    Bytes expected = BytesOf("PRIX");
    PutLe32(expected, 1);   // version
    PutLe32(expected, 2);   // entries
    PutLe32(expected, 3);   // the next number
    PutLe32(expected, 1);
    PutText16(expected, "hs5.dat");
    PutText16(expected, "Ann");
    PutLe32(expected, 900);
    PutLe32(expected, 3);
    PutLe32(expected, 2);
    PutText16(expected, "hs1.dat");
    PutText16(expected, "Bo");
    PutLe32(expected, 70000);
    PutLe32(expected, 12);
    PutLe32(expected, Crc32(expected.data(), expected.size()));
    EXPECT_EQ(ReadData("replays/index.dat"), expected);
}

// An index of one entry (sequence 3, Ann's) whose next number is next, sealed with its CRC.
Bytes IndexWithNext(const std::vector<uint32_t>& sequences, uint32_t next) {
    Bytes bytes = BytesOf("PRIX");
    PutLe32(bytes, 1);
    PutLe32(bytes, static_cast<uint32_t>(sequences.size()));
    PutLe32(bytes, next);
    for (const uint32_t sequence : sequences) {
        PutLe32(bytes, sequence);
        PutText16(bytes, "hs5.dat");
        PutText16(bytes, "Ann");
        PutLe32(bytes, 900 + sequence);
        PutLe32(bytes, 3);
    }
    PutLe32(bytes, Crc32(bytes.data(), bytes.size()));
    return bytes;
}

// A next number the store cannot go on from (the largest number, which would wrap; 0; one
// not past every entry, whose file the next replay would write over) is repaired to one
// past the highest entry: the entries keep their replays, the original index is kept, and
// what the store writes next it reads again.
TEST_F(CReplayStoreTest, ANextNumberItCannotGoOnFromIsRepaired) {
    struct Case {
        const char* name;
        std::vector<uint32_t> sequences;
        uint32_t next;
        uint32_t repaired;
    };
    const Case cases[] = {
        {"the largest number", {3}, 0xFFFFFFFFu, 4},
        {"zero", {3}, 0, 4},
        {"at an entry", {2, 5}, 5, 6},
        {"below an entry", {2, 5}, 4, 6},
        {"beyond what the names hold, no entries", {}, 0x80000000u, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        std::filesystem::remove_all(DataPath("replays"));
        std::filesystem::create_directories(DataPath("replays"));
        const Bytes hostile = IndexWithNext(c.sequences, c.next);
        WriteData("replays/index.dat", hostile);
        for (const uint32_t sequence : c.sequences) {
            WriteData("replays/" + CReplayIndex::FileFor(sequence), Bytes{static_cast<uint8_t>(sequence)});
        }
        CReplayIndex index;
        index.Load();
        EXPECT_EQ(index.Entries().size(), c.sequences.size()) << "no entry is lost";
        EXPECT_TRUE(LogHas("next number")) << "the repair is logged";
        EXPECT_EQ(ReadData("replays/index.dat.bad"), hostile) << "the original is kept";

        std::vector<ReplayIndexEntry> list = {Entry("Cy", 100)};
        for (const uint32_t sequence : c.sequences) {
            list.push_back(Entry("Ann", 900 + sequence));
        }
        ASSERT_TRUE(index.Keep(Entry("Cy", 100), Bytes{99}, list));
        EXPECT_EQ(ReadData("replays/" + CReplayIndex::FileFor(c.repaired)), Bytes{99});
        for (const uint32_t sequence : c.sequences) {
            EXPECT_EQ(ReadData("replays/" + CReplayIndex::FileFor(sequence)), Bytes{static_cast<uint8_t>(sequence)})
                << "an entry's replay is never written over";
        }
        CReplayIndex reread;
        m_log.clear();
        reread.Load();
        EXPECT_FALSE(LogHas("CReplayIndex::Load FAILED")) << "the store reads what it wrote";
        EXPECT_EQ(reread.Find("hs5.dat", "Cy", 100, 3, 0), CReplayIndex::FileFor(c.repaired));
        EXPECT_EQ(reread.Entries().size(), c.sequences.size() + 1);
    }
}

// An entry the store never writes sets the whole index aside, kept as it was.
TEST_F(CReplayStoreTest, AnIndexWithAnEntryTheStoreNeverWritesIsSetAside) {
    struct Case {
        const char* name;
        size_t at;         // where the one entry's bytes are changed
        Bytes bytes;
    };
    const size_t entry = 16;
    std::filesystem::create_directories(DataPath("replays"));
    const Case cases[] = {
        {"number 0", entry, {0, 0, 0, 0}},
        {"the number the last wrap wrote", entry, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"a list name without its end", entry + 4, Bytes(16, 'h')},
        {"a player name without its end", entry + 20, Bytes(16, 'A')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        Bytes damaged = IndexWithNext({3}, 4);
        std::copy(c.bytes.begin(), c.bytes.end(), damaged.begin() + static_cast<std::ptrdiff_t>(c.at));
        damaged.resize(damaged.size() - 4);
        PutLe32(damaged, Crc32(damaged.data(), damaged.size()));
        WriteData("replays/index.dat", damaged);
        CReplayIndex index;
        index.Load();
        EXPECT_TRUE(index.Entries().empty());
        EXPECT_TRUE(LogHas("entry out of range"));
        ASSERT_TRUE(index.Keep(Entry("Bo", 500), Bytes{2}, {Entry("Bo", 500)}));
        EXPECT_EQ(ReadData("replays/index.dat.bad"), damaged);
    }
}

}  // namespace
