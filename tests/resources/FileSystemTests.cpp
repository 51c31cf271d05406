// Folder file system, the file manager's search order and CFile.
#include "tests/resources/ResourcesFixtures.h"

#include "resources/FileManager.h"

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileManagerTest : public CResourcesTest {
protected:
    CFileManager& Files() { return CFileManager::Get(); }

    std::string ReadAll(const std::string& name) {
        Bytes bytes;
        if (!Files().LoadWholeFile(name, bytes)) {
            return "<missing>";
        }
        return std::string(bytes.begin(), bytes.end());
    }

    bool WriteAll(const std::string& name, int32_t mode, const std::string& text) {
        CFile* file = Files().OpenFile(name, mode);
        if (!file) {
            return false;
        }
        const bool written = file->Write(text.data(), static_cast<uint32_t>(text.size()));
        return Files().CloseFile(file) && written;
    }
};

// Restores the working directory when a test has moved into its temporary folder.
class CWorkingFolderGuard {
public:
    explicit CWorkingFolderGuard(const std::string& folder) : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CWorkingFolderGuard() { std::filesystem::current_path(m_previous); }

private:
    std::filesystem::path m_previous;
};

TEST_F(FileManagerTest, EmptyMountPathResolvesNamesInWorkingFolder) {
    EXPECT_TRUE(WriteFileBytes(m_temp / "here.txt", BytesOf("in the working folder")));
    CWorkingFolderGuard guard(m_temp.Path());
    Files().MountFileSystem("");
    ASSERT_TRUE(Files().HasFileSystems());
    EXPECT_TRUE(LogHas("CFileSystem Added, path: ./"));
    EXPECT_EQ(ReadAll("here.txt"), "in the working folder");
}

TEST_F(FileManagerTest, MountingMissingFolderOrArchiveAddsNothing) {
    Files().MountFileSystem(m_temp / "no-such-folder");
    Files().MountFileSystem(m_temp / "missing.nuf");
    EXPECT_FALSE(Files().HasFileSystems());
    EXPECT_TRUE(LogHas("CFileManager::MountFileSystem (CFileSystem) FAILED, dir " + (m_temp / "no-such-folder") +
                       " doesn't exist"));
    EXPECT_TRUE(LogHas("CFileSystemZip Added, path: " + (m_temp / "missing.nuf")));
    EXPECT_TRUE(LogHas("CFileManager::MountFileSystem (CFileSystemZip) FAILED, file " + (m_temp / "missing.nuf") +
                       " doesn't exist"));
}

TEST_F(FileManagerTest, SearchFollowsMountOrder) {
    std::filesystem::create_directory(m_temp / "data");
    EXPECT_TRUE(WriteFileBytes(m_temp / "data/shared.txt", BytesOf("loose")));
    EXPECT_TRUE(WriteFileBytes(m_temp / "gfx.nuf", MakeZip({{"shared.txt", BytesOf("from gfx")},
                                                            {"gfx-only", BytesOf("g")},
                                                            {"both.txt", BytesOf("gfx both")}})));
    EXPECT_TRUE(WriteFileBytes(m_temp / "sound.nuf",
                               MakeZip({{"both.txt", BytesOf("sound both")}, {"snd-only", BytesOf("s")}})));
    Files().MountFileSystem(m_temp / "data");
    Files().MountFileSystem(m_temp / "gfx.nuf");
    Files().MountFileSystem(m_temp / "sound.nuf");

    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"shared.txt", "loose"},   // a loose file beats an archive entry
        {"both.txt", "gfx both"},  // an earlier archive beats a later one
        {"gfx-only", "g"},
        {"snd-only", "s"},
        {"nowhere", "<missing>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadAll(c.name), c.expected) << c.name;
    }
    EXPECT_TRUE(LogHas("CFileManager::OpenFile FAILED, file: nowhere"));
}

TEST_F(FileManagerTest, FilterAsksOnlyMatchingFileSystems) {
    std::filesystem::create_directory(m_temp / "data");
    EXPECT_TRUE(WriteFileBytes(m_temp / "data/1.lvl", BytesOf("loose level")));
    EXPECT_TRUE(WriteFileBytes(m_temp / "data/9.lvl", BytesOf("only loose")));
    EXPECT_TRUE(WriteFileBytes(m_temp / "levels.nuf", MakeZip({{"1.lvl", BytesOf("packed level")}})));
    Files().MountFileSystem(m_temp / "data");
    Files().MountFileSystem(m_temp / "levels.nuf");

    CFile* level = Files().OpenFile("levels", "1.lvl", kFileRead);
    ASSERT_NE(level, nullptr);
    std::string text(level->GetSize(), '\0');
    EXPECT_TRUE(level->Read(text.data(), static_cast<uint32_t>(text.size())));
    EXPECT_EQ(text, "packed level");
    EXPECT_TRUE(Files().CloseFile(level));
    EXPECT_EQ(level, nullptr);

    EXPECT_EQ(Files().OpenFile("levels", "9.lvl", kFileRead), nullptr);
    EXPECT_TRUE(LogHas("CFileManager::OpenFile FAILED, file: 9.lvl"));
    // The empty filter asks everyone.
    CFile* loose = Files().OpenFile("", "9.lvl", kFileRead);
    EXPECT_NE(loose, nullptr);
    Files().CloseFile(loose);
}

TEST_F(FileManagerTest, DeleteAndRenameReachOnlyFolders) {
    std::filesystem::create_directory(m_temp / "data");
    EXPECT_TRUE(WriteFileBytes(m_temp / "data/loose.txt", BytesOf("loose")));
    EXPECT_TRUE(WriteFileBytes(m_temp / "data/taken.txt", BytesOf("taken")));
    const Bytes archive = MakeZip({{"packed.txt", BytesOf("packed")}});
    EXPECT_TRUE(WriteFileBytes(m_temp / "gfx.nuf", archive));
    Files().MountFileSystem(m_temp / "data");
    Files().MountFileSystem(m_temp / "gfx.nuf");

    EXPECT_FALSE(Files().Delete("packed.txt"));
    EXPECT_FALSE(Files().Rename("packed.txt", "moved.txt"));
    EXPECT_EQ(ReadFileBytes(m_temp / "gfx.nuf"), archive);
    EXPECT_TRUE(Files().Exists("packed.txt"));

    // An existing name is never replaced by a rename.
    EXPECT_FALSE(Files().Rename("loose.txt", "taken.txt"));
    EXPECT_EQ(ReadAll("taken.txt"), "taken");
    EXPECT_TRUE(Files().Rename("loose.txt", "renamed.txt"));
    EXPECT_FALSE(Files().Exists("loose.txt"));
    EXPECT_EQ(ReadAll("renamed.txt"), "loose");

    EXPECT_TRUE(Files().Delete("renamed.txt"));
    EXPECT_FALSE(PathExists(m_temp / "data/renamed.txt"));
    EXPECT_FALSE(Files().Delete("renamed.txt"));
}

TEST_F(FileManagerTest, GetSizeKeepsTheReadPosition) {
    Bytes thousand(1000);
    for (size_t i = 0; i < thousand.size(); ++i) {
        thousand[i] = static_cast<uint8_t>(i * 7);
    }
    EXPECT_TRUE(WriteFileBytes(m_temp / "big.bin", thousand));
    Files().MountFileSystem(m_temp.Path());
    CFile* file = Files().OpenFile("big.bin", kFileRead);
    ASSERT_NE(file, nullptr);
    uint8_t head[10];
    ASSERT_TRUE(file->Read(head, sizeof(head)));
    EXPECT_EQ(file->GetSize(), 1000u);
    EXPECT_EQ(file->Tell(), 10);
    uint8_t next = 0;
    ASSERT_TRUE(file->Read(&next, 1));
    EXPECT_EQ(next, thousand[10]);
    // Cached: a later change on disk is not measured again.
    EXPECT_EQ(file->GetSize(), 1000u);
    Files().CloseFile(file);
}

TEST_F(FileManagerTest, ReadShortReadsAndEof) {
    EXPECT_TRUE(WriteFileBytes(m_temp / "five.bin", BytesOf("12345")));
    Files().MountFileSystem(m_temp.Path());
    CFile* file = Files().OpenFile("five.bin", kFileRead);
    ASSERT_NE(file, nullptr);
    char buffer[8] = {};
    EXPECT_FALSE(file->Read(buffer, 8));
    EXPECT_EQ(std::string(buffer, 5), "12345");
    EXPECT_TRUE(file->IsEof());
    file->Rewind();
    EXPECT_FALSE(file->IsEof());
    file->Skip(3);
    ASSERT_TRUE(file->Read(buffer, 2));
    EXPECT_EQ(std::string(buffer, 2), "45");
    Files().CloseFile(file);
}

TEST_F(FileManagerTest, ReadLineCutsLineEnds) {
    const struct {
        const char* content;
        uint32_t capacity;
        std::vector<std::pair<bool, std::string>> lines;
    } cases[] = {
        {"abc\r\n", 64, {{true, "abc"}, {false, ""}}},
        {"one\ntwo\r\nlast", 64, {{true, "one"}, {true, "two"}, {false, "last"}}},
        {"a\rb\n", 64, {{true, "a"}}},                  // cut at the first CR
        {"abcdef\n", 4, {{false, "abc"}}},               // longer than capacity - 1
        {"abc\n", 4, {{true, "abc"}}},                   // exactly capacity - 1
        {"\n\n", 8, {{true, ""}, {true, ""}, {false, ""}}},
    };
    int index = 0;
    for (const auto& c : cases) {
        const std::string name = "lines" + std::to_string(index++) + ".txt";
        EXPECT_TRUE(WriteFileBytes(m_temp / name, BytesOf(c.content)));
    }
    Files().MountFileSystem(m_temp.Path());
    index = 0;
    for (const auto& c : cases) {
        const std::string name = "lines" + std::to_string(index++) + ".txt";
        CFile* file = Files().OpenFile(name, kFileRead);
        ASSERT_NE(file, nullptr);
        for (const auto& [good, text] : c.lines) {
            std::vector<char> buffer(c.capacity, 'x');
            EXPECT_EQ(file->ReadLine(buffer.data(), c.capacity), good) << c.content;
            EXPECT_EQ(std::string(buffer.data()), text) << c.content;
        }
        Files().CloseFile(file);
    }
}

TEST_F(FileManagerTest, OpenModes) {
    EXPECT_TRUE(WriteFileBytes(m_temp / "old.bin", BytesOf("old")));
    Files().MountFileSystem(m_temp.Path());
    const struct {
        int32_t mode;
        bool opens;
        const char* afterWritingNew;  // content of old.bin after writing "new" (null: not written)
    } cases[] = {
        {kFileRead, true, nullptr},
        {kFileWrite, true, "new"},
        {kFileAppend, true, "oldnew"},
        {kFileWriteNew, true, "new"},
        {4, false, nullptr},
        {7, false, nullptr},
        {-1, false, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(WriteFileBytes(m_temp / "old.bin", BytesOf("old")));
        CFile* file = Files().OpenFile("old.bin", c.mode);
        EXPECT_EQ(file != nullptr, c.opens) << c.mode;
        if (file && c.afterWritingNew) {
            EXPECT_TRUE(file->Write("new", 3));
        }
        if (file && !c.afterWritingNew) {
            EXPECT_FALSE(file->Write("new", 3)) << "a read-only file took a write";
        }
        EXPECT_TRUE(Files().CloseFile(file));
        EXPECT_EQ(ReadAll("old.bin"), c.afterWritingNew ? c.afterWritingNew : "old") << c.mode;
    }
    // Append and write create a missing file.
    EXPECT_TRUE(WriteAll("made-by-append.bin", kFileAppend, "a"));
    EXPECT_TRUE(WriteAll("made-by-write.bin", kFileWrite, "w"));
    EXPECT_EQ(ReadAll("made-by-append.bin"), "a");
    EXPECT_EQ(ReadAll("made-by-write.bin"), "w");
    EXPECT_EQ(ListFolder(m_temp.Path()),
              (std::vector<std::string>{"made-by-append.bin", "made-by-write.bin", "old.bin"}));
}

TEST_F(FileManagerTest, NamesOutsideTheFolderAreRefused) {
    std::filesystem::create_directory(m_temp / "root");
    std::filesystem::create_directory(m_temp / "root/a");
    EXPECT_TRUE(WriteFileBytes(m_temp / "outside.txt", BytesOf("keep me")));
    EXPECT_TRUE(WriteFileBytes(m_temp / "root/inside.txt", BytesOf("inside")));
    Files().MountFileSystem(m_temp / "root");

    const std::string refused[] = {
        "../outside.txt", "../x", "/etc/passwd", m_temp / "outside.txt", "a/../../outside.txt", "a/../../b",
        "..", "a/..", "", "..\\outside.txt", "a\\..\\..\\b",
    };
    for (const std::string& name : refused) {
        m_log.clear();
        EXPECT_EQ(Files().OpenFile(name, kFileRead), nullptr) << name;
        EXPECT_TRUE(LogHas("CFileSystem::OpenFile FAILED, name outside the folder: " + name)) << name;
        for (int32_t mode : {kFileWrite, kFileAppend, kFileWriteNew}) {
            EXPECT_EQ(Files().OpenFile(name, mode), nullptr) << name << " mode " << mode;
        }
        EXPECT_FALSE(Files().Exists(name)) << name;
        EXPECT_FALSE(Files().Delete(name)) << name;
        EXPECT_FALSE(Files().Rename("inside.txt", name)) << name;
    }
    EXPECT_EQ(ReadFileBytes(m_temp / "outside.txt"), BytesOf("keep me"));
    EXPECT_EQ(ListFolder(m_temp.Path()), (std::vector<std::string>{"outside.txt", "root"}));
    EXPECT_EQ(ListFolder(m_temp / "root"), (std::vector<std::string>{"a", "inside.txt"}));
    // Names that only look odd stay inside and work.
    for (const std::string& name : {std::string("a/..b"), std::string("...x"), std::string("a/./c")}) {
        EXPECT_TRUE(WriteAll(name, kFileWrite, "ok")) << name;
        EXPECT_EQ(ReadAll(name), "ok") << name;
    }
}

TEST_F(FileManagerTest, TargetIsReplacedOnlyByACompleteClose) {
    EXPECT_TRUE(WriteFileBytes(m_temp / "players.cfg", BytesOf("old profiles")));
    Files().MountFileSystem(m_temp.Path());

    CFile* writer = Files().OpenFile("players.cfg", kFileWriteNew);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->Write("new profiles", 12));
    // While the writer is open the old file is untouched.
    EXPECT_EQ(ReadFileBytes(m_temp / "players.cfg"), BytesOf("old profiles"));
    EXPECT_TRUE(Files().CloseFile(writer));
    EXPECT_EQ(ReadFileBytes(m_temp / "players.cfg"), BytesOf("new profiles"));
    EXPECT_EQ(ListFolder(m_temp.Path()), std::vector<std::string>{"players.cfg"});
}

TEST_F(FileManagerTest, WriteInterruptedBeforeCloseKeepsOldFile) {
    EXPECT_TRUE(WriteFileBytes(m_temp / "hs1.dat", BytesOf("old scores")));
    Files().MountFileSystem(m_temp.Path());
    for (int32_t mode : {kFileWrite, kFileAppend, kFileWriteNew}) {
        CFile* writer = Files().OpenFile("hs1.dat", mode);
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->Write("half", 4));
        delete writer;  // destroyed without the closing Close
        EXPECT_EQ(ReadFileBytes(m_temp / "hs1.dat"), BytesOf("old scores")) << mode;
        EXPECT_EQ(ListFolder(m_temp.Path()), std::vector<std::string>{"hs1.dat"}) << mode;
    }
}

TEST_F(FileManagerTest, FailedWriteKeepsOldFileAndLeavesNoTemporary) {
    const std::string old(500, 'o');
    Files().MountFileSystem(m_temp.Path());
    const struct {
        int32_t mode;
        uint32_t bytes;  // small writes fail at the flush in Close, large ones in Write
    } cases[] = {
        {kFileWriteNew, 1500},
        {kFileWriteNew, 50000},
        {kFileWrite, 50000},
        {kFileAppend, 800},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(WriteFileBytes(m_temp / "ply1.sav", BytesOf(old)));
        const std::string data(c.bytes, 'n');
        bool written = false;
        bool closed = false;
        {
            CFileSizeLimit limit(1000);
            ASSERT_TRUE(limit.Applied());
            CFile* writer = Files().OpenFile("ply1.sav", c.mode);
            ASSERT_NE(writer, nullptr);
            written = writer->Write(data.data(), c.bytes);
            closed = Files().CloseFile(writer);
        }
        EXPECT_FALSE(written && closed) << c.bytes;
        EXPECT_FALSE(closed) << c.bytes;
        EXPECT_EQ(ReadFileBytes(m_temp / "ply1.sav"), BytesOf(old)) << c.bytes;
        EXPECT_EQ(ListFolder(m_temp.Path()), std::vector<std::string>{"ply1.sav"}) << c.bytes;
        EXPECT_TRUE(LogHas("CFile::Close FAILED, file not written: " + (m_temp / "ply1.sav")));
    }
}

TEST_F(FileManagerTest, OnlyRegularFilesAreOpenedForReading) {
    Files().MountFileSystem(m_temp.Path());
    ASSERT_EQ(::mkfifo((m_temp / "players.cfg").c_str(), 0644), 0);
    ASSERT_TRUE(std::filesystem::create_directory(m_temp / "hs5.dat"));
    ASSERT_TRUE(WriteFileBytes(m_temp / "real.cfg", BytesOf("real")));
    std::filesystem::create_symlink(m_temp / "real.cfg", m_temp / "link.cfg");
    const struct {
        const char* name;
        int32_t mode;
        bool opens;
    } cases[] = {
        {"players.cfg", kFileRead, false},    // a FIFO would wait for a writer for ever
        {"players.cfg", kFileAppend, false},  // appending reads the old content first
        {"hs5.dat", kFileRead, false},
        {"real.cfg", kFileRead, true},
        {"link.cfg", kFileRead, true},        // a link to a regular file is that file
    };
    for (const auto& c : cases) {
        CFile* file = Files().OpenFile(c.name, c.mode);
        EXPECT_EQ(file != nullptr, c.opens) << c.name << " mode " << c.mode;
        Files().CloseFile(file);
    }
    EXPECT_TRUE(LogHas("CFile::Open FAILED, not a regular file: " + (m_temp / "players.cfg")));
    Bytes bytes;
    EXPECT_FALSE(Files().LoadWholeFile("players.cfg", bytes));
}

TEST_F(FileManagerTest, ADamagedFileIsKeptOnceBeforeItChanges) {
    Files().MountFileSystem(m_temp.Path());
    const struct {
        const char* what;
        bool (*change)(CFileManager& files);
        bool gone;   // the file itself is gone afterwards
    } cases[] = {
        {"replaced", [](CFileManager& files) {
             CFile* file = files.OpenFile("players.cfg", kFileWrite);
             const bool written = file != nullptr && file->Write("new", 3);
             return files.CloseFile(file) && written;
         }, false},
        {"appended to", [](CFileManager& files) {
             CFile* file = files.OpenFile("players.cfg", kFileAppend);
             const bool written = file != nullptr && file->Write("+", 1);
             return files.CloseFile(file) && written;
         }, false},
        {"renamed", [](CFileManager& files) { return files.Rename("players.cfg", "players.old"); }, true},
        {"deleted", [](CFileManager& files) { return files.Delete("players.cfg"); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(m_temp / "players.old");
        ASSERT_TRUE(WriteFileBytes(m_temp / "players.cfg.bad", BytesOf("an older copy")));
        ASSERT_TRUE(WriteFileBytes(m_temp / "players.cfg", BytesOf("damaged")));
        Files().MarkDamaged("players.cfg");
        m_log.clear();
        EXPECT_TRUE(c.change(Files()));
        EXPECT_EQ(ReadFileBytes(m_temp / "players.cfg.bad"), BytesOf("damaged"));
        EXPECT_EQ(PathExists(m_temp / "players.cfg"), !c.gone);
        EXPECT_TRUE(LogHas("the damaged players.cfg is kept as players.cfg.bad"));
        // Once kept, later writes leave the copy alone.
        ASSERT_TRUE(WriteAll("players.cfg", kFileWrite, "again"));
        EXPECT_EQ(ReadFileBytes(m_temp / "players.cfg.bad"), BytesOf("damaged"));
    }
}

TEST_F(FileManagerTest, ADamagedFileThatCannotBeKeptIsNotChanged) {
    Files().MountFileSystem(m_temp.Path());
    ASSERT_TRUE(WriteFileBytes(m_temp / "hs5.dat", BytesOf("damaged")));
    ASSERT_TRUE(std::filesystem::create_directory(m_temp / "hs5.dat.bad"));  // the copy cannot be made
    Files().MarkDamaged("hs5.dat");
    EXPECT_FALSE(WriteAll("hs5.dat", kFileWrite, "repaired"));
    EXPECT_FALSE(Files().Delete("hs5.dat"));
    EXPECT_EQ(ReadFileBytes(m_temp / "hs5.dat"), BytesOf("damaged"));
    EXPECT_TRUE(LogHas("CFileManager::KeepDamagedCopy FAILED, hs5.dat not kept"));
}

TEST_F(FileManagerTest, AnUnreadableFileIsNeitherReplacedNorMovedNorRemoved) {
    Files().MountFileSystem(m_temp.Path());
    ASSERT_TRUE(WriteFileBytes(m_temp / "sound.cfg", BytesOf("kept")));
    Files().ProtectUnreadable("sound.cfg");
    EXPECT_FALSE(WriteAll("sound.cfg", kFileWrite, "new"));
    EXPECT_FALSE(Files().Rename("sound.cfg", "sound.old"));
    EXPECT_FALSE(Files().Delete("sound.cfg"));
    EXPECT_EQ(ReadFileBytes(m_temp / "sound.cfg"), BytesOf("kept"));
    EXPECT_TRUE(WriteAll("other.cfg", kFileWrite, "other files are written")) << "only that file is guarded";
    Files().UnmountAll();
    Files().MountFileSystem(m_temp.Path());
    EXPECT_TRUE(WriteAll("sound.cfg", kFileWrite, "new")) << "the guard ends with the mount";
}

TEST_F(FileManagerTest, MountRemovesOnlyOurOwnStaleTemporaryFiles) {
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    const int64_t old = now - CFileSystem::kStaleTemporaryAge - 60;
    const struct {
        const char* name;
        int64_t mtime;
        bool folder;
        bool removed;
    } cases[] = {
        {"sound.cfg.tmp-Ab3x9Z", old, false, true},
        {"ply1.sav.tmp-000000", old, false, true},
        {"players.cfg.tmp-abcdef", now - 5, false, false},     // a write of a second copy now
        {"notes.tmp-12345", old, false, false},                // not six letters after the mark
        {"notes.tmp-1234567", old, false, false},
        {"ply1.sav.tmp-ab_123", old, false, false},
        {"hs5.dat.tmp-QWERTY", old, true, false},              // a folder is not ours
        {"levels.tmp", old, false, false},
    };
    for (const auto& c : cases) {
        const std::string path = m_temp / c.name;
        if (c.folder) {
            ASSERT_TRUE(std::filesystem::create_directory(path));
        } else {
            ASSERT_TRUE(WriteFileBytes(path, BytesOf("x")));
        }
        const timespec times[2] = {{static_cast<time_t>(c.mtime), 0}, {static_cast<time_t>(c.mtime), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    Files().MountFileSystem(m_temp.Path());
    for (const auto& c : cases) {
        EXPECT_EQ(PathExists(m_temp / c.name), !c.removed) << c.name;
    }
    EXPECT_TRUE(LogHas("CFileSystem removed the unfinished write " + (m_temp / "sound.cfg.tmp-Ab3x9Z")));
}

// The game writes into folders of its own (replays/, levels/): a write cut off there leaves
// its temporary file as well. A link to a folder elsewhere is not followed.
TEST_F(FileManagerTest, MountRemovesStaleTemporaryFilesInTheFoldersBelowToo) {
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    const int64_t old = now - CFileSystem::kStaleTemporaryAge - 60;
    CTempFolder elsewhere;
    const std::string outside = elsewhere / "r9.rpl.tmp-OUTSID";
    const struct {
        std::string path;
        int64_t mtime;
        bool removed;
    } cases[] = {
        {m_temp / "replays/last.rpl.tmp-Ab3x9Z", old, true},
        {m_temp / "replays/r12.rpl.tmp-abcdef", now - 5, false},   // a write of a second copy now
        {m_temp / "levels/3.lvl.tmp-zz99ZZ", old, true},
        {m_temp / "replays/old/deeper/x.tmp-aaaaaa", old, true},
        {m_temp / "replays/last.rpl", old, false},
        {outside, old, false},
    };
    for (const auto& c : cases) {
        std::filesystem::create_directories(std::filesystem::path(c.path).parent_path());
        ASSERT_TRUE(WriteFileBytes(c.path, BytesOf("x")));
        const timespec times[2] = {{static_cast<time_t>(c.mtime), 0}, {static_cast<time_t>(c.mtime), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, c.path.c_str(), times, 0), 0);
    }
    std::filesystem::create_directory_symlink(elsewhere.Path(), m_temp / "linked");
    Files().MountFileSystem(m_temp.Path());
    for (const auto& c : cases) {
        EXPECT_EQ(PathExists(c.path), !c.removed) << c.path;
    }
    EXPECT_TRUE(LogHas("CFileSystem removed the unfinished write " + (m_temp / "replays/last.rpl.tmp-Ab3x9Z")));
}

TEST_F(FileManagerTest, MakeUniqueNameSkipsTakenNames) {
    std::filesystem::create_directory(m_temp / "shots");
    EXPECT_TRUE(WriteFileBytes(m_temp / "shots/qvt1.tga", BytesOf("x")));
    EXPECT_TRUE(WriteFileBytes(m_temp / "shots/qvt2.tga", BytesOf("x")));
    CFileSystem folder;
    ASSERT_TRUE(folder.Mount(m_temp / "shots"));
    std::string name;
    ASSERT_TRUE(folder.MakeUniqueName("qvt", ".tga", name));
    EXPECT_EQ(name, "qvt3.tga");
    EXPECT_EQ(folder.GetRootPath(), m_temp / "shots/");
    EXPECT_TRUE(folder.PathContains("shots"));
    EXPECT_TRUE(folder.PathContains(""));
    EXPECT_FALSE(folder.PathContains("Shots"));
}

}  // namespace

// One whole-file read serves folders and archive entries alike (an entry starts inside
// the archive, so reading from "the start" must mean the entry's start).
TEST_F(FileManagerTest, WholeFileReadTakesTheFileOrItsFirstBytes) {
    std::filesystem::create_directory(m_temp / "folder");
    EXPECT_TRUE(WriteFileBytes(m_temp / "folder/one.dat", BytesOf("folder bytes")));
    EXPECT_TRUE(WriteFileBytes(m_temp / "folder/empty.dat", {}));
    EXPECT_TRUE(WriteFileBytes(m_temp / "pack.nuf",
                               MakeZip({{"first.dat", BytesOf("skipped entry")}, {"two.dat", BytesOf("archive bytes")}})));
    Files().MountFileSystem(m_temp / "folder");
    Files().MountFileSystem(m_temp / "pack.nuf");
    const struct {
        const char* filter;
        const char* name;
        uint32_t limit;
        bool read;
        const char* bytes;
    } cases[] = {
        {"", "one.dat", UINT32_MAX, true, "folder bytes"},
        {"", "one.dat", 6, true, "folder"},
        {"", "two.dat", UINT32_MAX, true, "archive bytes"},
        {"", "two.dat", 7, true, "archive"},
        {"", "empty.dat", UINT32_MAX, true, ""},
        {"", "absent.dat", UINT32_MAX, false, ""},
        {"pack", "two.dat", UINT32_MAX, true, "archive bytes"},
        {"pack", "one.dat", UINT32_MAX, false, ""},
    };
    for (const auto& c : cases) {
        Bytes bytes = BytesOf("stale");
        EXPECT_EQ(Files().LoadWholeFile(c.filter, c.name, bytes, c.limit), c.read) << c.name << " " << c.filter;
        EXPECT_EQ(bytes, BytesOf(c.bytes)) << c.name << " " << c.filter;
    }
    // Read after a partial read: ReadAll starts at the start again.
    CFileHandle file(Files().OpenFile("two.dat", kFileRead));
    ASSERT_TRUE(file);
    char first[4];
    ASSERT_TRUE(file->Read(first, sizeof(first)));
    Bytes bytes;
    EXPECT_TRUE(file->ReadAll(bytes));
    EXPECT_EQ(bytes, BytesOf("archive bytes"));
}

TEST_F(FileManagerTest, WholeFileWriteReplacesTheFileOrKeepsTheOld) {
    static std::vector<std::string> reported;
    reported.clear();
    Files().SetWriteFailureHandler([](const std::string& name, int) { reported.push_back(name); });
    EXPECT_TRUE(WriteFileBytes(m_temp / "ply1.sav", BytesOf("old save")));
    Files().MountFileSystem(m_temp.Path());

    EXPECT_TRUE(Files().SaveWholeFile("ply1.sav", "new", 3));
    EXPECT_EQ(ReadFileBytes(m_temp / "ply1.sav"), BytesOf("new"));
    EXPECT_TRUE(Files().SaveWholeFile("ply2.sav", nullptr, 0));
    EXPECT_EQ(ReadFileBytes(m_temp / "ply2.sav"), Bytes());
    const std::string large(5000, 'n');
    {
        CFileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Applied());
        EXPECT_FALSE(Files().SaveWholeFile("ply1.sav", large.data(), large.size()));
    }
    EXPECT_EQ(ReadFileBytes(m_temp / "ply1.sav"), BytesOf("new"));
    EXPECT_EQ(ListFolder(m_temp.Path()), (std::vector<std::string>{"ply1.sav", "ply2.sav"}));
    EXPECT_EQ(reported, std::vector<std::string>{m_temp / "ply1.sav"});
    Files().SetWriteFailureHandler(nullptr);
}

// The handle closes what it owns exactly once, however it goes: a finished write lands,
// a moved handle leaves nothing to close behind.
TEST_F(FileManagerTest, AFileHandleClosesItsFileOnce) {
    Files().MountFileSystem(m_temp.Path());
    {
        CFileHandle writer(Files().OpenFile("hs1.dat", kFileWrite));
        ASSERT_TRUE(writer);
        ASSERT_TRUE(writer->Write("scores", 6));
        CFileHandle owner(std::move(writer));
        EXPECT_FALSE(writer);
        EXPECT_TRUE(owner);
        EXPECT_FALSE(PathExists(m_temp / "hs1.dat"));
    }
    EXPECT_EQ(ReadFileBytes(m_temp / "hs1.dat"), BytesOf("scores"));

    CFileHandle first(Files().OpenFile("a.dat", kFileWrite));
    CFileHandle second(Files().OpenFile("b.dat", kFileWrite));
    ASSERT_TRUE(first && second);
    first = std::move(second);  // the file first held is closed here
    EXPECT_TRUE(PathExists(m_temp / "a.dat"));
    EXPECT_FALSE(PathExists(m_temp / "b.dat"));
    EXPECT_TRUE(first.WriteAndClose("b", 1));
    EXPECT_FALSE(first);
    EXPECT_EQ(ReadFileBytes(m_temp / "b.dat"), BytesOf("b"));

    CFileHandle missing(Files().OpenFile("absent.dat", kFileRead));
    EXPECT_FALSE(missing);
    EXPECT_TRUE(missing.Close());
    EXPECT_FALSE(missing.WriteAndClose("x", 1));
}

TEST_F(FileManagerTest, PlainPathsAreReadAndWrittenWhole) {
    const std::string path = m_temp / "plain.bin";
    EXPECT_TRUE(WriteFileAtPath(path, "plain", 5));
    Bytes bytes;
    EXPECT_TRUE(ReadFileAtPath(path, bytes));
    EXPECT_EQ(bytes, BytesOf("plain"));
    EXPECT_FALSE(ReadFileAtPath(m_temp / "absent.bin", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(WriteFileAtPath(m_temp / "no/such/folder.bin", "x", 1));
    EXPECT_EQ(ListFolder(m_temp.Path()), std::vector<std::string>{"plain.bin"});
}
