// What the player is told about files: the two lines of a failed write in both languages,
// the same line with the file's name on stderr and in the log, and folders that refuse
// writes (a file-size limit, a read-only folder seen by a plain user, a folder another
// copy of the game holds).
#include "tests/profile/ProfileFixture.h"

#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "resources/FolderLock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

class CNoticesTest : public CProfileTest {
protected:
    void SetUp() override {
        CProfileTest::SetUp();
        ClearNotices();
        InstallWriteFailureNotices();
    }
    void TearDown() override {
        CFileManager::Get().SetWriteFailureHandler(nullptr);
        ClearNotices();
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        CProfileTest::TearDown();
    }
};

using Getter = const char* (CTextTable::*)() const;

TEST_F(CNoticesTest, AFailedWriteNamesWhatAndWhyInBothLanguages) {
    const struct {
        const char* file;
        int error;
        Getter what;
        Getter why;
    } cases[] = {
        {"ply1.sav", ENOSPC, &CTextTable::TxtSaveFailedGame, &CTextTable::TxtReasonNoSpace},
        {"/home/anna/.local/share/pellora/ply12.lvl", EDQUOT, &CTextTable::TxtSaveFailedGame,
         &CTextTable::TxtReasonNoSpace},
        {"hs5.dat", EACCES, &CTextTable::TxtSaveFailedHighscore, &CTextTable::TxtReasonNoPermission},
        {"players.cfg", EROFS, &CTextTable::TxtSaveFailedPlayers, &CTextTable::TxtReasonReadOnly},
        {"sound.cfg", EPERM, &CTextTable::TxtSaveFailedSound, &CTextTable::TxtReasonNoPermission},
        {"language.dat", EFBIG, &CTextTable::TxtSaveFailedLanguage, &CTextTable::TxtReasonNoSpace},
        {"levels/3.lvl", EIO, &CTextTable::TxtSaveFailedLevel, &CTextTable::TxtReasonOther},
        {"players.cfg", kWriteRefusedUnreadable, &CTextTable::TxtSaveFailedPlayers, &CTextTable::TxtReasonUnreadable},
        {"ply1.sav", kWriteRefusedByOtherCopy, &CTextTable::TxtSaveFailedGame, &CTextTable::TxtReasonOtherCopy},
        {"qvt00.tga", ENOSPC, &CTextTable::TxtSaveFailedFile, &CTextTable::TxtReasonNoSpace},
    };
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        const CTextTable& texts = CLanguage::Get();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.file) + " in language " + std::to_string(language));
            const Notice notice = WriteFailureNotice(c.file, c.error);
            EXPECT_EQ(notice.first, (texts.*c.what)());
            EXPECT_EQ(notice.second, (texts.*c.why)());
        }
    }
    EXPECT_STRNE(CSwedishTexts().TxtReasonNoSpace(), CEnglishTexts().TxtReasonNoSpace());
}

TEST_F(CNoticesTest, AWriteThatFailsIsToldOnScreenOnStderrAndInTheLog) {
    CLanguage::Get().SetLanguage(kLanguageSwedish);
    CHighscore::Get().SelectFile("hs5.dat");
    ClearNotices();
    testing::internal::CaptureStderr();
    bool added = false;
    {
        CFileSizeLimit limit(300);   // the list is 440 bytes; the line on stderr is shorter
        ASSERT_TRUE(limit.Applied());
        added = CHighscore::Get().AddEntry(2000000, 4, "Anna");
    }
    const std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(added) << "the entry stands for this run";
    EXPECT_FALSE(PathExists(DataPath("hs5.dat")));
    ASSERT_NE(CurrentNotice(), nullptr);
    EXPECT_EQ(CurrentNotice()->first, CSwedishTexts().TxtSaveFailedHighscore());
    EXPECT_EQ(CurrentNotice()->second, CSwedishTexts().TxtReasonNoSpace());
    const std::string line = "The high score could not be saved: no space left on the disk.";
    EXPECT_NE(stderrText.find("pellora: " + line), std::string::npos) << stderrText;
    EXPECT_NE(stderrText.find("hs5.dat"), std::string::npos) << stderrText;
    EXPECT_TRUE(LogHas(line));
    // One failing save shows one notice, however many of its files fail.
    ReportWriteFailure("hs5.dat", EFBIG);
    DropCurrentNotice();
    EXPECT_EQ(CurrentNotice(), nullptr);
}

TEST_F(CNoticesTest, AReadOnlyFolderRefusesAPlainUserAndKeepsTheFile) {
    ASSERT_NE(CreatePlayer("Anna"), nullptr);
    ASSERT_TRUE(SavePlayers());
    const Bytes before = ReadData("players.cfg");
    ClearPlayers();
    ASSERT_TRUE(MakeReadOnlyForAll(m_temp.Path()));
    const std::string folder = m_temp.Path();
    const int result = RunAsPlainUser([&folder] {
        CFileManager::Get().UnmountAll();
        CFileManager::Get().MountFileSystem(folder);
        InstallWriteFailureNotices();
        ClearNotices();
        if (!LoadPlayers() || GetPlayerCount() != 1) {
            return 1;
        }
        CreatePlayer("Bo");
        if (SavePlayers()) {
            return 2;
        }
        const Notice* notice = CurrentNotice();
        if (notice == nullptr || notice->first != CLanguage::Get().TxtSaveFailedPlayers() ||
            notice->second != CLanguage::Get().TxtReasonNoPermission()) {
            return 3;
        }
        return ProbeWriteFolder(folder) == EACCES ? 0 : 4;
    });
    EXPECT_EQ(result, 0) << "1: not read, 2: written, 3: not told, 4: the probe took files, -1: no plain user";
    EXPECT_EQ(ReadData("players.cfg"), before);
}

TEST_F(CNoticesTest, ASecondCopyOnTheFolderWritesNothingAndSaysWhy) {
    // Copy A holds the folder and writes its players.
    CFolderLock first;
    ASSERT_EQ(first.Acquire(m_temp.Path()), EFolderLock::Held);
    ASSERT_NE(CreatePlayer("Anna"), nullptr);
    ASSERT_NE(CreatePlayer("Dan"), nullptr);
    ASSERT_TRUE(SavePlayers());
    const Bytes written = ReadData("players.cfg");
    // Copy B starts on the same folder: the lock is taken, so it runs without writing.
    CFolderLock second;
    ASSERT_EQ(second.Acquire(m_temp.Path()), EFolderLock::HeldByOther);
    CFileManager::Get().RefuseWrites(true);
    ClearPlayers();
    ASSERT_TRUE(LoadPlayers());
    ASSERT_EQ(GetPlayerCount(), 2);
    ToggleCurrentPlayerChildMode();
    ASSERT_NE(CreatePlayer("Bo"), nullptr);
    EXPECT_FALSE(SavePlayers());
    EXPECT_EQ(ReadData("players.cfg"), written) << "A's players are not overwritten";
    ASSERT_NE(CurrentNotice(), nullptr);
    EXPECT_EQ(CurrentNotice()->second, CLanguage::Get().TxtReasonOtherCopy());
    // Once A has ended, the next copy holds the folder.
    first.Release();
    CFolderLock third;
    EXPECT_EQ(third.Acquire(m_temp.Path()), EFolderLock::Held);
}

TEST(FolderLock, AnotherProcessHoldingTheFolderIsSeenUntilItEnds) {
    CTempFolder folder;
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Copy A: holds the folder until told to end.
        CFolderLock lock;
        const char state = lock.Acquire(folder.Path()) == EFolderLock::Held ? 'H' : 'x';
        (void)!::write(ready[1], &state, 1);
        char go = 0;
        (void)!::read(release[0], &go, 1);
        ::_exit(0);
    }
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    EXPECT_EQ(state, 'H');
    CFolderLock second;
    EXPECT_EQ(second.Acquire(folder.Path()), EFolderLock::HeldByOther);
    EXPECT_FALSE(second.IsHeld());
    const char go = 'g';
    ASSERT_EQ(::write(release[1], &go, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(second.Acquire(folder.Path()), EFolderLock::Held) << "the lock ends with its process";
    for (const int fd : {ready[0], ready[1], release[0], release[1]}) {
        ::close(fd);
    }
}

TEST(FolderProbe, AWritableFolderTakesTheProbeAndKeepsNothingOfIt) {
    CTempFolder folder;
    EXPECT_EQ(ProbeWriteFolder(folder.Path()), 0);
    EXPECT_TRUE(ListFolder(folder.Path()).empty());
    EXPECT_EQ(ProbeWriteFolder(folder / "missing"), ENOENT);
}

}  // namespace
