// The texture table: records shared by name, look-up by handle, memory bookkeeping.
// These run without a renderer: the records still carry the pictures' sizes.
#include "PlatformFixtures.h"

#include "platform/Textures.h"
#include "resources/Image.h"

namespace {

class TexturesTest : public CPlatformTest {
protected:
    void SetUp() override {
        CPlatformTest::SetUp();
        WriteFile("a.tga", MakeSolidTga(8, 8, 3, Rgba{1, 2, 3, 255}));     // 192 bytes
        WriteFile("b.tga", MakeSolidTga(4, 2, 4, Rgba{1, 2, 3, 4}));       // 32 bytes
        WriteFile("c.tga", MakeSolidTga(2, 2, 3, Rgba{9, 9, 9, 255}));     // 12 bytes
    }
    CTextures& textures = CTextures::Get();
};

TEST_F(TexturesTest, SameNameSharesOneRecordUntilFreed) {
    TextureHandle first = textures.Load("a");
    const TextureHandle second = textures.Load("a");
    ASSERT_NE(first.id, 0u);
    EXPECT_EQ(second.id, first.id);
    EXPECT_EQ(textures.GetCount(), 1u);
    EXPECT_EQ(textures.Find(second).width, 8);

    // Names are compared byte-wise: another case is another record.
    const TextureHandle upper = textures.Load("A");
    EXPECT_EQ(upper.id, 0u);   // no file "A.tga"
    EXPECT_EQ(textures.GetCount(), 1u);

    textures.Free(first);
    EXPECT_EQ(first.id, 0u);
    EXPECT_EQ(textures.GetCount(), 0u);
    const TextureRecord& orphan = textures.Find(second);
    EXPECT_EQ(orphan.id, 0u);
    EXPECT_EQ(orphan.width, 0);
    EXPECT_EQ(orphan.texture, nullptr);
}

TEST_F(TexturesTest, LaterRecordsAreFoundAfterAMiddleOneIsFreed) {
    const TextureHandle a = textures.Load("a");
    TextureHandle b = textures.Load("b");
    const TextureHandle c = textures.Load("c");
    EXPECT_EQ(c.index, 2u);
    EXPECT_EQ(b.id, a.id + 1);
    EXPECT_EQ(c.id, b.id + 1);
    textures.Free(b);
    ASSERT_EQ(textures.GetCount(), 2u);
    EXPECT_STREQ(textures.Find(c).name, "c");   // index hint 2 is past the end now
    EXPECT_EQ(textures.Find(c).width, 2);
    EXPECT_STREQ(textures.Find(a).name, "a");
    // A handle whose hint points at another record is still matched by id.
    const TextureHandle misleading{0, c.id};
    EXPECT_STREQ(textures.Find(misleading).name, "c");
    // A freed id is gone for good; a new record gets a new id.
    const TextureHandle again = textures.Load("b");
    EXPECT_GT(again.id, c.id);
}

TEST_F(TexturesTest, MissingOrUnreadablePicturesGiveIdZero) {
    WriteFile("broken.tga", Bytes{1, 2, 3});
    struct Case {
        const char* name;
        const char* logLine;
    };
    const Case cases[] = {
        {"missing", "CImageLoader::LoadImage FAILED File not found: missing"},
        {"broken", nullptr},
    };
    for (const Case& c : cases) {
        const TextureHandle handle = textures.Load(c.name);
        EXPECT_EQ(handle.id, 0u) << c.name;
        if (c.logLine != nullptr) {
            EXPECT_TRUE(LogHas(c.logLine)) << c.name;
        }
    }
    EXPECT_EQ(textures.GetCount(), 0u);
    EXPECT_EQ(textures.GetMemInUse(), 0);
    EXPECT_EQ(textures.Load(std::string(300, 'x')).id, 0u);
    // Binding id 0 is allowed and leaves nothing to draw with.
    EXPECT_TRUE(textures.Bind(TextureHandle{}));
    EXPECT_EQ(textures.GetBoundTexture(), nullptr);
}

TEST_F(TexturesTest, MemoryInUseFollowsLoadFreeReleaseAndRecreate) {
    TextureHandle a = textures.Load("a");
    textures.Load("b");
    EXPECT_EQ(textures.GetMemInUse(), 192 + 32);
    textures.Load("a");   // shared: nothing new
    EXPECT_EQ(textures.GetMemInUse(), 192 + 32);
    textures.Free(a);
    EXPECT_EQ(textures.GetMemInUse(), 32);
    textures.ReleaseAll();
    EXPECT_EQ(textures.GetMemInUse(), 0);
    EXPECT_EQ(textures.GetCount(), 1u);
    textures.RecreateAll();
    EXPECT_EQ(textures.GetMemInUse(), 32);
    textures.FreeAll();
    EXPECT_EQ(textures.GetMemInUse(), 0);
    EXPECT_EQ(textures.GetCount(), 0u);
}

TEST_F(TexturesTest, LogStatsCountsAndNamesRecords) {
    textures.Load("a");
    textures.Load("c");
    m_log.clear();
    textures.LogStats(false);
    ASSERT_EQ(m_log.size(), 1u);
    EXPECT_EQ(m_log[0], "Antal texturer 2, gfx mem in use 204");
    m_log.clear();
    textures.LogStats(true);
    ASSERT_EQ(m_log.size(), 3u);
    EXPECT_EQ(m_log[1], "a");
    EXPECT_EQ(m_log[2], "c");
}

TEST_F(TexturesTest, GenerateTextureRefusesEmptyBadAndRepeatedPictures) {
    TextureRecord record;
    CImage empty;
    EXPECT_FALSE(textures.GenerateTexture(record, empty));
    EXPECT_TRUE(LogHas("CTextures::GenerateTexture - No imagedata - FAILED"));

    CImage shortImage;
    shortImage.width = 4;
    shortImage.height = 4;
    shortImage.bytesPerPixel = 3;
    shortImage.pixels.assign(10, 0);   // 48 needed
    EXPECT_FALSE(textures.GenerateTexture(record, shortImage));

    EXPECT_EQ(record.size, 0);
    EXPECT_EQ(textures.GetMemInUse(), 0);

    // Rebuilding records that still hold their pictures is refused record by record.
    textures.Load("a");
    m_log.clear();
    textures.RecreateAll();
    EXPECT_TRUE(LogHas("CTextures::GenerateTexture - Texture already loaded (FAILED)"));
    EXPECT_EQ(textures.GetMemInUse(), 192);
}

}  // namespace
