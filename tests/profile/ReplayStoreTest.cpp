// The kept replays: one per high-score entry through the index, gone when the entry has
// left its list, at most a fixed number kept, and a damaged index set aside.
#include "tests/profile/ProfileFixture.h"

#include "game/Replay.h"
#include "profile/ReplayStore.h"

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

}  // namespace
