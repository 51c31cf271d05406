// The baker's own tools: the supersampling painter, the picture encoders (checked with
// the game's decoders), the font info layout, the parameter files and the atlas plan.
#include "resources/FileManager.h"
#include "resources/Image.h"
#include "tests/support/TestFiles.h"
#include "tools/bake/Art.h"
#include "tools/bake/FontLayout.h"
#include "tools/bake/ImageWriters.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(AtlasPlan, FixedRegionsSitWhereTheGameCutsThemAndNothingOverlaps) {
    CArtConfig atlas;
    ASSERT_TRUE(atlas.Load(std::string(PELLORA_SOURCE_DIR) + "/data/art/atlas.txt"));
    // The places the game's code cuts from the shared texture.
    const struct {
        const char* name;
        int x, y, width, height, frames;
    } fixed[] = {
        {"balls", 0, 0, 32, 32, 8},         {"specials", 0, 32, 32, 32, 6},    {"launcher", 192, 32, 64, 64, 1},
        {"button_pause", 0, 64, 32, 32, 2}, {"button_menu", 64, 64, 32, 32, 2}, {"button_exit", 128, 64, 32, 32, 2},
        {"particle", 64, 96, 64, 64, 1},    {"life", 0, 128, 32, 32, 1},
    };
    for (const auto& f : fixed) {
        const AtlasRegion region = FindRegion(atlas, f.name);
        EXPECT_EQ(region.x, f.x) << f.name;
        EXPECT_EQ(region.y, f.y) << f.name;
        EXPECT_EQ(region.width, f.width) << f.name;
        EXPECT_EQ(region.height, f.height) << f.name;
        EXPECT_EQ(region.frames, f.frames) << f.name;
    }
    // Every frame of every region inside the texture, and no texel claimed twice.
    std::vector<std::string> owner(256 * 256);
    for (const ArtRecord* record : atlas.All("region")) {
        const AtlasRegion region = FindRegion(atlas, record->values[0]);
        for (int frame = 0; frame < region.frames; ++frame) {
            const int x0 = region.FrameX(frame);
            const int y0 = region.FrameY(frame);
            ASSERT_GE(x0, 0);
            ASSERT_GE(y0, 0);
            ASSERT_LE(x0 + region.width, 256) << record->values[0];
            ASSERT_LE(y0 + region.height, 256) << record->values[0];
            for (int y = y0; y < y0 + region.height; ++y) {
                for (int x = x0; x < x0 + region.width; ++x) {
                    std::string& slot = owner[static_cast<size_t>(y) * 256 + x];
                    EXPECT_TRUE(slot.empty()) << record->values[0] << " overlaps " << slot << " at " << x << "," << y;
                    if (!slot.empty()) {
                        return;
                    }
                    slot = record->values[0];
                }
            }
        }
    }
}
}  // namespace
