// The zip archive file system: the header walk and reading entries straight out of it.
#include "tests/resources/ResourcesFixtures.h"

#include "resources/FileManager.h"
#include "resources/FileSystemZip.h"

#include <filesystem>

namespace {

class ZipTest : public CResourcesTest {
protected:
    // Mounts bytes written as a file of the temporary folder; null when the mount fails.
    std::unique_ptr<CFileSystemZip> MountBytes(const Bytes& archive, const std::string& fileName = "test.nuf") {
        EXPECT_TRUE(WriteFileBytes(m_temp / fileName, archive));
        auto zip = std::make_unique<CFileSystemZip>();
        if (!zip->Mount(m_temp / fileName)) {
            return nullptr;
        }
        return zip;
    }

    static std::vector<std::string> Names(const CFileSystemZip& zip) {
        std::vector<std::string> names;
        for (const CFileSystemZip::Entry& entry : zip.GetEntries()) {
            names.push_back(entry.name);
        }
        return names;
    }

    static Bytes ReadEntry(CFileSystemZip& zip, const std::string& name) {
        CFile* file = zip.OpenFile(name, kFileRead);
        if (!file) {
            return BytesOf("<missing>");
        }
        Bytes bytes(file->GetSize());
        const bool read = bytes.empty() || file->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
        CFileManager::Get().CloseFile(file);
        return read ? bytes : BytesOf("<short>");
    }

    static std::vector<CZipEntrySpec> SampleEntries() {
        Bytes binary(300);
        for (size_t i = 0; i < binary.size(); ++i) {
            binary[i] = static_cast<uint8_t>(255 - i);
        }
        return {
            {"texpack_face.tga", binary},
            {"fonts\\fontdata.dat", BytesOf("backslash is part of the name")},
            {"sub/1.lvl", BytesOf("slash too")},
            {"empty.bin", {}},
            {"PK\x03\x04-looking.txt", BytesOf("PK\x03\x04 inside data")},
        };
    }
};

TEST_F(ZipTest, EveryLayoutOfTheSampleReadsBackByteForByte) {
    const struct {
        const char* layout;
        Bytes extra;
        uint8_t first;
        uint8_t second;
    } layouts[] = {
        {"standard", {}, 0x50, 0x4B},
        {"extra fields", {0x55, 0x54, 0x05, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44}, 0x50, 0x4B},
        {"QL signatures", {}, 0x51, 0x4C},
        {"QL signatures with extra fields", {0x0A, 0x00, 0x00, 0x00}, 0x51, 0x4C},
    };
    for (const auto& layout : layouts) {
        std::vector<CZipEntrySpec> entries = SampleEntries();
        for (CZipEntrySpec& entry : entries) {
            entry.extra = layout.extra;
            entry.signatureFirst = layout.first;
            entry.signatureSecond = layout.second;
        }
        std::unique_ptr<CFileSystemZip> zip = MountBytes(MakeZip(entries));
        ASSERT_NE(zip, nullptr) << layout.layout;
        ASSERT_EQ(zip->GetEntries().size(), entries.size()) << layout.layout;
        for (const CZipEntrySpec& entry : entries) {
            EXPECT_TRUE(zip->Exists(entry.name)) << layout.layout << " " << entry.name;
            EXPECT_EQ(ReadEntry(*zip, entry.name), entry.data) << layout.layout << " " << entry.name;
        }
    }
}

TEST_F(ZipTest, OnlyTheTwoLocalHeaderSignaturesAreWalked) {
    std::vector<CZipEntrySpec> entries = {{"a", BytesOf("1")}, {"b", BytesOf("2")}, {"c", BytesOf("3")}};
    const struct {
        uint8_t first;
        uint8_t second;
        std::vector<std::string> listed;
    } cases[] = {
        {0x50, 0x4B, {"a", "b", "c"}},
        {0x51, 0x4C, {"a", "b", "c"}},
        {0x51, 0x4B, {"a"}},  // only the first byte changed ends the walk
        {0x50, 0x4C, {"a"}},
    };
    for (const auto& c : cases) {
        entries[1].signatureFirst = c.first;
        entries[1].signatureSecond = c.second;
        std::unique_ptr<CFileSystemZip> zip = MountBytes(MakeZip(entries));
        ASSERT_NE(zip, nullptr);
        EXPECT_EQ(Names(*zip), c.listed) << std::hex << int(c.first) << " " << int(c.second);
    }
}

TEST_F(ZipTest, DeflatedEntryIsReadAsStored) {
    const Bytes raw = {0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x07, 0x00};  // compressed bytes, delivered as they are
    std::unique_ptr<CFileSystemZip> zip = MountBytes(MakeZip({{"packed.txt", raw, {}, 8}, {"after", BytesOf("x")}}));
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(ReadEntry(*zip, "packed.txt"), raw);
    EXPECT_EQ(ReadEntry(*zip, "after"), BytesOf("x"));
}

TEST_F(ZipTest, FirstOfTwoEntriesWithOneNameWins) {
    std::unique_ptr<CFileSystemZip> zip =
        MountBytes(MakeZip({{"dup.dat", BytesOf("first")}, {"dup.dat", BytesOf("second one")}}));
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zip->GetEntries().size(), 2u);
    EXPECT_EQ(ReadEntry(*zip, "dup.dat"), BytesOf("first"));
}

TEST_F(ZipTest, EmptyArchiveMountsWithNoEntries) {
    EXPECT_TRUE(WriteFileBytes(m_temp / "empty.nuf", {}));
    CFileManager::Get().MountFileSystem(m_temp / "empty.nuf");
    EXPECT_TRUE(CFileManager::Get().HasFileSystems());
    EXPECT_FALSE(CFileManager::Get().Exists("anything"));
    EXPECT_TRUE(LogHas("CFileSystemZip Added, path: " + (m_temp / "empty.nuf")));
}

TEST_F(ZipTest, TruncatedArchiveKeepsTheEntriesBeforeTheCut) {
    const Bytes full = MakeZip({{"first", BytesOf("11111")}, {"second", BytesOf("2222222222")}});
    // The second local header starts at 30 + 5 + 5 = 40; its name at 70, its data at 76.
    const struct {
        size_t keep;
        std::vector<std::string> listed;
    } cases[] = {
        {0, {}},
        {3, {}},
        {33, {}},               // first fixed header cut
        {38, {}},               // first data cut short
        {40, {"first"}},
        {44, {"first"}},        // second signature only
        {60, {"first"}},        // second fixed header cut
        {73, {"first"}},        // second name cut
        {80, {"first"}},        // second data cut
        {86, {"first", "second"}},
    };
    for (const auto& c : cases) {
        const Bytes cut(full.begin(), full.begin() + static_cast<long>(c.keep));
        std::unique_ptr<CFileSystemZip> zip = MountBytes(cut);
        ASSERT_NE(zip, nullptr) << c.keep;
        EXPECT_EQ(Names(*zip), c.listed) << c.keep;
        if (!c.listed.empty()) {
            EXPECT_EQ(ReadEntry(*zip, "first"), BytesOf("11111")) << c.keep;
        }
    }
}

TEST_F(ZipTest, SizeOrNameRunningPastTheEndEndsTheWalk) {
    Bytes archive = MakeZip({{"ok", BytesOf("fine")}, {"huge", BytesOf("small")}, {"later", BytesOf("z")}});
    // Second header starts at 30 + 2 + 4 = 36: give it a compressed size far past the end.
    Bytes bigSize = archive;
    bigSize[36 + 18] = 0xFF;
    bigSize[36 + 21] = 0x7F;
    Bytes bigName = archive;
    bigName[36 + 26] = 0xF0;  // name length 240: past the end of this small archive
    Bytes bigExtra = archive;
    bigExtra[36 + 29] = 0x40;  // extra field of 16 KiB
    for (const Bytes& damaged : {bigSize, bigName, bigExtra}) {
        std::unique_ptr<CFileSystemZip> zip = MountBytes(damaged);
        ASSERT_NE(zip, nullptr);
        EXPECT_EQ(Names(*zip), std::vector<std::string>{"ok"});
        EXPECT_EQ(ReadEntry(*zip, "ok"), BytesOf("fine"));
    }
}

TEST_F(ZipTest, NamesOf255BytesOrMoreAreSkippedAndTheWalkGoesOn) {
    const std::string longest(254, 'n');
    const std::string tooLong(255, 'm');
    const std::string muchTooLong(600, 'k');
    std::unique_ptr<CFileSystemZip> zip = MountBytes(MakeZip({{longest, BytesOf("254")},
                                                              {tooLong, BytesOf("255")},
                                                              {muchTooLong, BytesOf("600")},
                                                              {"after", BytesOf("still here")}}));
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(Names(*zip), (std::vector<std::string>{longest, "after"}));
    EXPECT_EQ(ReadEntry(*zip, longest), BytesOf("254"));
    EXPECT_EQ(ReadEntry(*zip, "after"), BytesOf("still here"));
    EXPECT_FALSE(zip->Exists(tooLong));
}

TEST_F(ZipTest, EntriesAreNeverOpenedForWriting) {
    const Bytes archive = MakeZip({{"players.cfg", BytesOf("packed")}});
    EXPECT_TRUE(WriteFileBytes(m_temp / "gfx.nuf", archive));
    CFileManager& files = CFileManager::Get();
    files.MountFileSystem(m_temp / "gfx.nuf");
    for (int32_t mode : {kFileWrite, kFileAppend, kFileWriteNew}) {
        m_log.clear();
        EXPECT_EQ(files.OpenFile("players.cfg", mode), nullptr) << mode;
        EXPECT_TRUE(LogHas("CFileSystemZip::OpenFile FAILED, archive entries are read-only: players.cfg"));
        EXPECT_TRUE(LogHas("CFileManager::OpenFile FAILED, file: players.cfg"));
    }
    EXPECT_EQ(ReadFileBytes(m_temp / "gfx.nuf"), archive);
    EXPECT_EQ(ListFolder(m_temp.Path()), std::vector<std::string>{"gfx.nuf"});

    // With a folder mounted after the archive, the write lands in the folder.
    std::filesystem::create_directory(m_temp / "data");
    files.MountFileSystem(m_temp / "data");
    CFile* file = files.OpenFile("players.cfg", kFileWriteNew);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->Write("loose", 5));
    EXPECT_TRUE(files.CloseFile(file));
    EXPECT_EQ(ReadFileBytes(m_temp / "data/players.cfg"), BytesOf("loose"));
    EXPECT_EQ(ReadFileBytes(m_temp / "gfx.nuf"), archive);
}

TEST_F(ZipTest, NamesCompareByteForByte) {
    std::unique_ptr<CFileSystemZip> zip = MountBytes(MakeZip({{"Face.tga", BytesOf("f")}}));
    ASSERT_NE(zip, nullptr);
    const struct {
        const char* name;
        bool exists;
    } cases[] = {{"Face.tga", true}, {"face.tga", false}, {"FACE.TGA", false}, {"Face.tg", false},
                 {"Face.tga ", false}, {"", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(zip->Exists(c.name), c.exists) << c.name;
        CFile* file = zip->OpenFile(c.name, kFileRead);
        EXPECT_EQ(file != nullptr, c.exists) << c.name;
        CFileManager::Get().CloseFile(file);
    }
}

TEST_F(ZipTest, OpenEntriesHaveTheirOwnPositions) {
    std::unique_ptr<CFileSystemZip> zip = MountBytes(MakeZip({{"pre", BytesOf("xx")}, {"text", BytesOf("abcdef")}}));
    ASSERT_NE(zip, nullptr);
    CFile* one = zip->OpenFile("text", kFileRead);
    CFile* two = zip->OpenFile("text", kFileRead);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(one->GetSize(), 6u);
    // Tell reports the position inside the archive: after two headers' worth of bytes.
    EXPECT_EQ(one->Tell(), static_cast<int32_t>(zip->GetEntries()[1].dataOffset));
    char a[3] = {};
    char b[2] = {};
    ASSERT_TRUE(one->Read(a, 3));
    ASSERT_TRUE(two->Read(b, 2));
    one->Rewind();
    char again[1] = {};
    ASSERT_TRUE(one->Read(again, 1));
    EXPECT_EQ(std::string(a, 3), "abc");
    EXPECT_EQ(std::string(b, 2), "ab");
    EXPECT_EQ(again[0], 'a');
    CFileManager::Get().CloseFile(one);
    CFileManager::Get().CloseFile(two);
}

}  // namespace
