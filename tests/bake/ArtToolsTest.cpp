// The baker's own tools: the supersampling painter, the picture encoders (checked with
// the game's decoders), the font info layout, the parameter files and the atlas plan.
#include "AtlasRegions.h"
#include "game/BallTypes.h"
#include "resources/FileManager.h"
#include "resources/Image.h"
#include "tests/support/TestFiles.h"
#include "tools/bake/Art.h"
#include "tools/bake/AtlasPlan.h"
#include "tools/bake/FontLayout.h"
#include "tools/bake/ImageWriters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>
#include <vector>

namespace {

float TotalAlpha(const CCanvas& canvas) {
    float sum = 0.0f;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            sum += canvas.AlphaAt(x, y);
        }
    }
    return sum;
}

TEST(Raster, SupersampledShapesCoverTheirArea) {
    const struct {
        const char* what;
        Shape shape;
        float area;
        float tolerance;
    } cases[] = {
        {"circle", shape::Circle(16.0f, 16.0f, 10.0f), 3.14159265f * 100.0f, 1.5f},
        {"ring", shape::Ring(16.0f, 16.0f, 5.0f, 10.0f), 3.14159265f * 75.0f, 1.5f},
        {"rotated square", shape::Rotate(shape::Rect(8.0f, 8.0f, 24.0f, 24.0f), 16.0f, 16.0f, 30.0f), 256.0f, 1.5f},
        {"triangle", shape::Polygon({{4.0f, 4.0f}, {28.0f, 4.0f}, {4.0f, 28.0f}}), 288.0f, 1.5f},
        {"square with a hole", shape::Subtract(shape::Rect(4.0f, 4.0f, 28.0f, 28.0f), shape::Rect(10.0f, 10.0f, 22.0f, 22.0f)), 432.0f, 0.5f},
    };
    for (const auto& c : cases) {
        CCanvas canvas(32, 32);
        canvas.Fill(c.shape, paint::Solid(Rgba{1.0f, 1.0f, 1.0f, 1.0f}), 8);
        EXPECT_NEAR(TotalAlpha(canvas), c.area, c.tolerance) << c.what;
    }
}

TEST(Raster, EdgesAreAntialiasedAndInteriorsSolid) {
    CCanvas canvas(16, 4);
    canvas.Fill(shape::Rect(-1.0f, -1.0f, 8.5f, 5.0f), paint::Solid(Rgba{1.0f, 1.0f, 1.0f, 1.0f}), 8);
    EXPECT_FLOAT_EQ(canvas.AlphaAt(7, 1), 1.0f);
    EXPECT_NEAR(canvas.AlphaAt(8, 1), 0.5f, 0.01f);
    EXPECT_FLOAT_EQ(canvas.AlphaAt(9, 1), 0.0f);
}

TEST(Raster, BlendingAndEightBitOutput) {
    CCanvas canvas(2, 1);
    canvas.Clear(Rgba{0.0f, 0.0f, 1.0f, 1.0f});
    canvas.Fill(shape::Rect(-1.0f, -1.0f, 1.0f, 2.0f), paint::Solid(Rgba{1.0f, 0.0f, 0.0f, 0.5f}));
    const std::vector<uint8_t> rgb = canvas.ToRgb8();
    EXPECT_EQ(rgb[0], 128);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[2], 128);
    EXPECT_EQ(rgb[3], 0);
    EXPECT_EQ(rgb[5], 255);

    // Straight alpha output undoes the premultiplication.
    CCanvas glass(1, 1);
    glass.Fill(shape::Rect(-1.0f, -1.0f, 2.0f, 2.0f), paint::Solid(Rgba{1.0f, 0.5f, 0.0f, 0.5f}));
    const std::vector<uint8_t> rgba = glass.ToRgba8();
    EXPECT_EQ(rgba[0], 255);
    EXPECT_EQ(rgba[1], 128);
    EXPECT_EQ(rgba[2], 0);
    EXPECT_EQ(rgba[3], 128);
}

TEST(Raster, HexColoursParseOrAreRefused) {
    const struct {
        const char* text;
        bool ok;
        Rgba expected;
    } cases[] = {
        {"#ff8000", true, {1.0f, 128.0f / 255.0f, 0.0f, 1.0f}},
        {"00ff0080", true, {0.0f, 1.0f, 0.0f, 128.0f / 255.0f}},
        {"#12345", false, {}},
        {"#12345g", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        Rgba colour;
        ASSERT_EQ(ParseHexColour(c.text, colour), c.ok) << c.text;
        if (c.ok) {
            EXPECT_FLOAT_EQ(colour.r, c.expected.r) << c.text;
            EXPECT_FLOAT_EQ(colour.g, c.expected.g) << c.text;
            EXPECT_FLOAT_EQ(colour.b, c.expected.b) << c.text;
            EXPECT_FLOAT_EQ(colour.a, c.expected.a) << c.text;
        }
    }
}

TEST(Masks, DilateWidensByARoundBrushAndDownsampleAverages) {
    CMask dot(5, 5);
    dot.At(2, 2) = 1.0f;
    const CMask plus = dot.Dilate(1.0f);
    int covered = 0;
    for (float v : plus.coverage) {
        covered += v > 0.0f ? 1 : 0;
    }
    EXPECT_EQ(covered, 5);
    EXPECT_EQ(plus.At(1, 2), 1.0f);
    EXPECT_EQ(plus.At(1, 1), 0.0f);

    CMask block(4, 2);
    block.At(0, 0) = 1.0f;
    block.At(1, 1) = 1.0f;
    block.At(2, 0) = 0.5f;
    const CMask half = block.Downsample(2);
    ASSERT_EQ(half.width, 2);
    ASSERT_EQ(half.height, 1);
    EXPECT_FLOAT_EQ(half.At(0, 0), 0.5f);
    EXPECT_FLOAT_EQ(half.At(1, 0), 0.125f);
}

class EncodersWithGameDecoders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_temp.Path().empty());
        CFileManager::Get().UnmountAll();
        CFileManager::Get().MountFileSystem(m_temp.Path());
    }
    void TearDown() override { CFileManager::Get().UnmountAll(); }
    CTempFolder m_temp;
};

TEST_F(EncodersWithGameDecoders, TgaKeepsEveryPixelAndItsAlpha) {
    // Three by two, all channels different, so a swapped channel or a flipped row shows.
    const std::vector<uint8_t> rgba = {10, 20, 30, 40,    50, 60, 70, 80,    90, 100, 110, 120,
                                       130, 140, 150, 160, 170, 180, 190, 200, 210, 220, 230, 255};
    const struct {
        const char* name;
        int bytesPerPixel;
    } cases[] = {{"four", 4}, {"three", 3}};
    for (const auto& c : cases) {
        std::vector<uint8_t> pixels;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            pixels.insert(pixels.end(), rgba.begin() + static_cast<long>(i), rgba.begin() + static_cast<long>(i) + c.bytesPerPixel);
        }
        ASSERT_TRUE(WriteFileBytes(m_temp / (std::string(c.name) + ".tga"), EncodeTga(pixels, 3, 2, c.bytesPerPixel)))
            << c.name;
        CImage image;
        ASSERT_TRUE(CImageLoader::Get().LoadImage(c.name, image)) << c.name;
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(image.bytesPerPixel, c.bytesPerPixel);
        EXPECT_EQ(image.pixels, pixels) << c.name;
    }
}

TEST_F(EncodersWithGameDecoders, JpegDecodesCloseToItsSourceAndRepeatsExactly) {
    const int width = 24;
    const int height = 16;
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool left = x < 12;
            pixels.push_back(left ? 200 : 20);
            pixels.push_back(left ? 100 : 180);
            pixels.push_back(left ? 50 : 220);
        }
    }
    const std::vector<uint8_t> jpeg = EncodeJpeg(pixels, width, height, 93);
    EXPECT_EQ(jpeg, EncodeJpeg(pixels, width, height, 93));
    CImage image;
    ASSERT_TRUE(CImageFormatJpg::Decode(jpeg.data(), jpeg.size(), "memory", image));
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.bytesPerPixel, 3);
    // Away from the colour edge the decoded colours stay within a few steps.
    for (const int x : {2, 21}) {
        for (int c = 0; c < 3; ++c) {
            const size_t at = (static_cast<size_t>(8) * width + x) * 3 + c;
            EXPECT_NEAR(image.pixels[at], pixels[at], 6) << "x " << x << " channel " << c;
        }
    }
}

TEST(FontInfo, EncodesFourLittleEndianWordsPerCode) {
    std::vector<FontGlyphInfo> entries(256);
    entries[1] = FontGlyphInfo{32, -2, 10, 3};
    entries[255] = FontGlyphInfo{480, 1, 30, -1};
    const std::vector<uint8_t> bytes = EncodeFontInfo(entries);
    ASSERT_EQ(bytes.size(), 2048u);
    const std::vector<uint8_t> second = {0x20, 0x00, 0xFE, 0xFF, 0x0A, 0x00, 0x03, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.begin() + 16), second);
    std::vector<FontGlyphInfo> decoded;
    ASSERT_TRUE(DecodeFontInfo(bytes, decoded));
    EXPECT_EQ(decoded[1].leftSpace, -2);
    EXPECT_EQ(decoded[255].texX, 480);
    EXPECT_EQ(decoded[255].rightSpace, -1);
    EXPECT_FALSE(DecodeFontInfo(std::vector<uint8_t>(2047, 0), decoded));
    EXPECT_FALSE(DecodeFontInfo(std::vector<uint8_t>(2049, 0), decoded));
}

TEST(FontInfo, Windows1252CodesMapToUnicode) {
    const struct {
        uint8_t code;
        uint32_t unicode;
    } cases[] = {{0x41, 0x41},     {0x80, 0x20AC}, {0x81, 0},      {0x8A, 0x0160}, {0x8D, 0},      {0x8F, 0},
                 {0x90, 0},        {0x96, 0x2013}, {0x9D, 0},      {0x9F, 0x0178}, {0xA0, 0xA0},   {0xE5, 0xE5},
                 {0xF6, 0xF6},     {0xFF, 0xFF}};
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252ToUnicode(c.code), c.unicode) << static_cast<int>(c.code);
    }
}

class ArtConfigFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_temp.Path().empty()); }
    std::string Write(const std::string& text) {
        const std::string path = m_temp / "art.txt";
        EXPECT_TRUE(WriteFileBytes(path, BytesOf(text)));
        return path;
    }
    CTempFolder m_temp;
};

TEST_F(ArtConfigFile, ReadsRecordsValuesAndColoursPastComments) {
    CArtConfig config;
    ASSERT_TRUE(config.Load(Write("# a comment line\n"
                                  "   # an indented comment\n"
                                  "colour sky #102030   # the top of the sky\n"
                                  "value size 2.5\n"
                                  "\n"
                                  "ball 3 #00ff00 square\n")));
    EXPECT_EQ(config.Records().size(), 3u);
    const Rgba sky = config.Colour("sky");
    EXPECT_FLOAT_EQ(sky.r, 16.0f / 255.0f);
    EXPECT_FLOAT_EQ(sky.b, 48.0f / 255.0f);
    EXPECT_FLOAT_EQ(config.Number("size"), 2.5f);
    const ArtRecord* ball = config.Find("ball", "3");
    ASSERT_NE(ball, nullptr);
    ASSERT_EQ(ball->values.size(), 3u);
    EXPECT_EQ(ball->values[2], "square");
    EXPECT_EQ(ball->line, 6);
    EXPECT_EQ(config.Find("ball", "4"), nullptr);
}

TEST_F(ArtConfigFile, MissingOrBrokenValuesStopTheBakeNamingTheFile) {
    CArtConfig config;
    ASSERT_TRUE(config.Load(Write("value broken 2,5\ncolour bad #12\n")));
    EXPECT_EXIT(config.Number("absent"), ::testing::ExitedWithCode(1), "missing 'value absent");
    EXPECT_EXIT(config.Number("broken"), ::testing::ExitedWithCode(1), "not a number");
    EXPECT_EXIT(config.Colour("bad"), ::testing::ExitedWithCode(1), "art.txt: missing or bad 'colour bad");
    EXPECT_FALSE(CArtConfig().Load(m_temp / "none.txt"));
}

// Reads an atlas plan from atlas and texture list texts (each file in the fixture folder).
class AtlasPlanFile : public ArtConfigFile {
protected:
    void Read(const std::string& atlasText, const std::string& texturesText = "texture face tga32 64 64\n") {
        ASSERT_TRUE(m_textures.Load(WriteAs("textures.txt", texturesText)));
        ASSERT_TRUE(m_atlas.Load(WriteAs("atlas.txt", atlasText)));
        m_plan.Read(m_atlas, m_textures);
    }
    std::string WriteAs(const std::string& name, const std::string& text) {
        const std::string path = m_temp / name;
        EXPECT_TRUE(WriteFileBytes(path, BytesOf(text)));
        return path;
    }
    CArtConfig m_atlas;
    CArtConfig m_textures;
    CAtlasPlan m_plan;
};

TEST_F(AtlasPlanFile, RegionsBelongToTheTextureAboveThemWithItsSize) {
    Read("texture face\n"
         "region balls 0 0 16 16 4     # a row\n"
         "region digits 0 16 8 8 10 5  # two rows of five\n"
         "texture strip\n"
         "region strip_frames 0 0 10 32 2\n",
         "texture face tga32 64 64\ntexture strip tga32 20 32\n");
    ASSERT_EQ(m_plan.Entries().size(), 3u);
    const AtlasEntry& digits = m_plan.Entries()[1];
    EXPECT_EQ(digits.name, "digits");
    EXPECT_EQ(digits.texture, "face");
    EXPECT_EQ(digits.textureWidth, 64);
    EXPECT_EQ(digits.region.columns, 5);
    EXPECT_EQ(digits.region.Rows(), 2);
    EXPECT_EQ(digits.region.FrameX(7), 16);
    EXPECT_EQ(digits.region.FrameY(7), 24);
    EXPECT_EQ(m_plan.Entries()[0].region.columns, 4);
    EXPECT_EQ(m_plan.Find("strip", "strip_frames").width, 10);
    EXPECT_EQ(m_plan.Entries()[2].textureHeight, 32);
    EXPECT_EXIT(m_plan.Find("face", "strip_frames"), ::testing::ExitedWithCode(1), "need 'region strip_frames");
}

TEST_F(AtlasPlanFile, BrokenPlansStopTheBakeNamingTheLine) {
    const struct {
        const char* what;
        const char* atlas;
        const char* message;
    } cases[] = {
        {"region first", "region a 0 0 8 8 1\n", "atlas.txt:1: a region before any 'texture"},
        {"unknown texture", "texture other\nregion a 0 0 8 8 1\n", "atlas.txt:1: need 'texture <name>'"},
        {"unknown record", "texture face\nsprite a 0 0 8 8 1\n", "atlas.txt:2: unknown record 'sprite'"},
        {"too few values", "texture face\nregion a 0 0 8 8\n", "atlas.txt:2: need 'region"},
        {"not a number", "texture face\nregion a 0 x 8 8 1\n", "atlas.txt:2: not a number"},
        {"not whole", "texture face\nregion a 0 0.5 8 8 1\n", "atlas.txt:2: not a whole number"},
        {"no frames", "texture face\nregion a 0 0 8 8 0\n", "atlas.txt:2: a region needs"},
        {"upper case name", "texture face\nregion Balls 0 0 8 8 1\n", "atlas.txt:2: a region name"},
        {"doubled joint", "texture face\nregion a__b 0 0 8 8 1\n", "atlas.txt:2: a region name"},
        {"name twice", "texture face\nregion a 0 0 8 8 1\nregion a 8 0 8 8 1\n", "atlas.txt:3: the region name 'a' is used twice"},
        {"past the right", "texture face\nregion a 40 0 8 8 4\n", "atlas.txt:2: the frames of 'a' run outside face"},
        {"past the bottom", "texture face\nregion a 0 50 8 8 8 4\n", "atlas.txt:2: the frames of 'a' run outside face"},
        {"left of it", "texture face\nregion a -8 0 8 8 1\n", "atlas.txt:2: the frames of 'a' run outside face"},
        {"empty", "texture face\n", "atlas.txt: no region"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(Read(c.atlas), ::testing::ExitedWithCode(1), c.message);
    }
    // A region that just fills its texture is fine.
    Read("texture face\nregion a 0 48 8 8 16 8\n");
    EXPECT_EQ(m_plan.Entries().size(), 1u);
}

TEST_F(AtlasPlanFile, TheTableNamesEachRegionOnceInFileOrder) {
    EXPECT_EQ(AtlasConstantName("balls"), "kBalls");
    EXPECT_EQ(AtlasConstantName("button_pause"), "kButtonPause");
    EXPECT_EQ(AtlasConstantName("slider_left_strip"), "kSliderLeftStrip");
    EXPECT_EQ(AtlasConstantName("row2_x"), "kRow2X");
    Read("texture face\nregion digits 0 16 8 8 10 5\nregion button_pause 0 0 16 16 2\n");
    const std::string text = AtlasHeaderText(m_plan);
    EXPECT_NE(text.find("inline constexpr Region kDigits{\"digits\", \"face\", 64, 64, 0, 16, 8, 8, 10, 5};\n"
                        "inline constexpr Region kButtonPause{\"button_pause\", \"face\", 64, 64, 0, 0, 16, 16, 2, 2};\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("kAllRegions[] = {\n    kDigits,\n    kButtonPause};"), std::string::npos) << text;
    EXPECT_EQ(text, AtlasHeaderText(m_plan));
}

// The game's table (generated into this build) is the plan of data/art/atlas.txt, region
// for region, so a stale table fails here.
TEST(AtlasTable, MatchesThePlanOfTheDataFolder) {
    CArtConfig atlas;
    CArtConfig textures;
    ASSERT_TRUE(atlas.Load(std::string(PELLORA_SOURCE_DIR) + "/data/art/atlas.txt"));
    ASSERT_TRUE(textures.Load(std::string(PELLORA_SOURCE_DIR) + "/data/art/textures.txt"));
    CAtlasPlan plan;
    plan.Read(atlas, textures);
    ASSERT_EQ(std::size(Atlas::kAllRegions), plan.Entries().size());
    for (size_t i = 0; i < plan.Entries().size(); ++i) {
        const AtlasEntry& entry = plan.Entries()[i];
        const Atlas::Region& table = Atlas::kAllRegions[i];
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(table.name, entry.name);
        EXPECT_EQ(table.texture, entry.texture);
        EXPECT_EQ(table.textureWidth, entry.textureWidth);
        EXPECT_EQ(table.textureHeight, entry.textureHeight);
        EXPECT_EQ(table.x, entry.region.x);
        EXPECT_EQ(table.y, entry.region.y);
        EXPECT_EQ(table.width, entry.region.width);
        EXPECT_EQ(table.height, entry.region.height);
        EXPECT_EQ(table.frames, entry.region.frames);
        EXPECT_EQ(table.columns, entry.region.columns);
    }
}

TEST(AtlasTable, FrameCoordinatesFollowTheGrid) {
    constexpr Atlas::Region digits{"digits", "face", 256, 128, 0, 64, 32, 32, 10, 5};
    static_assert(digits.Rows() == 2);
    const Atlas::Uv seventh = digits.FrameUv(7);
    EXPECT_FLOAT_EQ(seventh.left, 64.0f / 256.0f);
    EXPECT_FLOAT_EQ(seventh.top, 96.0f / 128.0f);
    EXPECT_FLOAT_EQ(seventh.right, 96.0f / 256.0f);
    EXPECT_FLOAT_EQ(seventh.bottom, 128.0f / 128.0f);
    EXPECT_FLOAT_EQ(digits.FrameU(), 0.125f);
    EXPECT_FLOAT_EQ(digits.FrameV(), 0.25f);
    EXPECT_FLOAT_EQ(digits.U(16.5f), 16.5f / 256.0f);
}

TEST(AtlasTable, EveryBallCodeHasAFrameOfItsRegion) {
    for (int32_t code = 0; code < BallColour::CodeCount; ++code) {
        const Atlas::Region& region = BallInSpecialsRegion(code) ? Atlas::kSpecials : Atlas::kBalls;
        EXPECT_LT(BallAtlasFrame(code), region.frames) << code;
        EXPECT_GE(BallAtlasFrame(code), 0) << code;
    }
    EXPECT_EQ(Atlas::kBalls.frames, BallColour::ColourCount);
    EXPECT_EQ(Atlas::kSpecials.frames, BallColour::CodeCount - BallColour::ColourCount);
}

TEST(AtlasTable, NoTexelIsClaimedTwice) {
    for (const Atlas::Region& region : Atlas::kAllRegions) {
        std::vector<std::string> owner(static_cast<size_t>(region.textureWidth) * region.textureHeight);
        for (const Atlas::Region& other : Atlas::kAllRegions) {
            if (std::string(other.texture) != region.texture) {
                continue;
            }
            for (int32_t frame = 0; frame < other.frames; ++frame) {
                for (int32_t y = other.FrameY(frame); y < other.FrameY(frame) + other.height; ++y) {
                    for (int32_t x = other.FrameX(frame); x < other.FrameX(frame) + other.width; ++x) {
                        ASSERT_TRUE(x >= 0 && y >= 0 && x < region.textureWidth && y < region.textureHeight) << other.name;
                        std::string& slot = owner[static_cast<size_t>(y) * region.textureWidth + x];
                        ASSERT_TRUE(slot.empty()) << other.name << " overlaps " << slot << " at " << x << "," << y;
                        slot = other.name;
                    }
                }
            }
        }
    }
}
}  // namespace
