// Checks of the data folder this build baked: the archives mount with the game's zip
// file system and hold every file the game opens, every picture decodes with the game's
// image loader at its size, the font info files describe the font textures truthfully,
// the bake is repeatable byte for byte, and the CRC header matches the archives.
#include "ArchiveCrc.h"
#include "AtlasRegions.h"
#include "game/BallTypes.h"
#include "resources/Crc32.h"
#include "resources/FileManager.h"
#include "resources/FileSystemZip.h"
#include "resources/Image.h"
#include "tests/support/TestFiles.h"
#include "tools/bake/FontLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {
const std::string kDataDir = PELLORA_DATA_DIR;

struct TextureCase {
    const char* name;
    const char* extension;
    int width;
    int height;
    int bytesPerPixel;
};

// Every picture the game loads by name, with the size the game draws it at.
const TextureCase kTextures[] = {
    {"texpack_face", ".tga", 256, 256, 4}, {"bakgrund", ".jpg", 640, 480, 3},    {"stolpar", ".tga", 512, 450, 4},
    {"border", ".tga", 326, 32, 4},        {"bottom", ".tga", 320, 30, 3},       {"dark", ".tga", 256, 256, 4},
    {"logga", ".tga", 400, 80, 4},         {"qvt_logo", ".jpg", 640, 480, 3},    {"mousecursor", ".tga", 32, 32, 4},
    {"slider_left", ".tga", 20, 32, 4},    {"slider_middle", ".tga", 64, 32, 4}, {"slider_right", ".tga", 20, 32, 4},
    {"slider_knob", ".tga", 48, 24, 4},    {"font", ".tga", 512, 512, 4},        {"font2", ".tga", 256, 256, 4},
    {"font3", ".tga", 512, 512, 4},
};

struct FontCase {
    const char* texture;
    const char* infoFile;
    int cell;
};
const FontCase kFonts[] = {{"font", "fontdata.dat", 32}, {"font2", "fontdata2.dat", 16}, {"font3", "fontdata3.dat", 32}};

uint8_t AlphaAt(const CImage& image, int x, int y) {
    return image.bytesPerPixel == 4 ? image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3] : 255;
}

const uint8_t* PixelAt(const CImage& image, int x, int y) {
    return &image.pixels[(static_cast<size_t>(y) * image.width + x) * image.bytesPerPixel];
}

// A Windows-1252 code the fonts must print: ASCII, the defined codes 0x80..0x9F and
// everything from 0xA0 on.
bool IsPrintable(int code) {
    return code >= 32 && code != 127 && Cp1252ToUnicode(static_cast<uint8_t>(code)) != 0;
}

class BakedData : public ::testing::Test {
protected:
    void SetUp() override {
        CFileManager::Get().UnmountAll();
        CFileManager::Get().MountFileSystem(kDataDir + "/gfx.nuf");
    }
    void TearDown() override { CFileManager::Get().UnmountAll(); }

    CImage Load(const std::string& name) {
        CImage image;
        EXPECT_TRUE(CImageLoader::Get().LoadImage(name, image)) << name;
        return image;
    }
};

TEST_F(BakedData, ArchivesMountAndGfxHoldsEveryFileTheGameOpens) {
    for (const char* archive : {"gfx.nuf", "sound.nuf", "levels.nuf"}) {
        CFileSystemZip zip;
        EXPECT_TRUE(zip.Mount(kDataDir + "/" + archive)) << archive;
    }
    CFileSystemZip gfx;
    ASSERT_TRUE(gfx.Mount(kDataDir + "/gfx.nuf"));
    std::set<std::string> names;
    for (const CFileSystemZip::Entry& entry : gfx.GetEntries()) {
        names.insert(entry.name);
    }
    for (const TextureCase& texture : kTextures) {
        EXPECT_EQ(names.count(std::string(texture.name) + texture.extension), 1u) << texture.name;
        // Only one format per name: the loader would take a JPEG over a TGA silently.
        const char* other = std::string(texture.extension) == ".tga" ? ".jpg" : ".tga";
        EXPECT_EQ(names.count(std::string(texture.name) + other), 0u) << texture.name;
    }
    for (const FontCase& font : kFonts) {
        EXPECT_EQ(names.count(font.infoFile), 1u) << font.infoFile;
    }
}

TEST_F(BakedData, EveryPictureDecodesAtItsSize) {
    for (const TextureCase& texture : kTextures) {
        SCOPED_TRACE(texture.name);
        const CImage image = Load(texture.name);
        EXPECT_EQ(image.width, texture.width);
        EXPECT_EQ(image.height, texture.height);
        EXPECT_EQ(image.bytesPerPixel, texture.bytesPerPixel);
        EXPECT_EQ(image.pixels.size(), static_cast<size_t>(texture.width) * texture.height * texture.bytesPerPixel);
    }
}

TEST_F(BakedData, FrameLeavesTheFieldOpenAndCoversThePillars) {
    const CImage frame = Load("stolpar");
    ASSERT_EQ(frame.bytesPerPixel, 4);
    // The field spans x 160..480 on screen, 96..416 in the picture drawn at (64, 2); a
    // soft shadow may fall a few pixels onto it, the rest down to the deck stays clear.
    int covered = 0;
    for (int y = 0; y < 394; ++y) {
        for (int x = 104; x < 408; ++x) {
            covered += AlphaAt(frame, x, y) != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(covered, 0);
    EXPECT_EQ(AlphaAt(frame, 48, 200), 255);
    EXPECT_EQ(AlphaAt(frame, 464, 200), 255);
}

TEST_F(BakedData, BallsAreRoundAndTheirColoursStayApart) {
    const CImage atlas = Load("texpack_face");
    ASSERT_EQ(atlas.bytesPerPixel, 4);
    std::vector<std::array<float, 3>> means;
    for (int32_t code = 0; code < BallColour::CodeCount; ++code) {
        SCOPED_TRACE(code);
        const Atlas::Region& region = BallInSpecialsRegion(code) ? Atlas::kSpecials : Atlas::kBalls;
        const int x0 = region.FrameX(BallAtlasFrame(code));
        const int y0 = region.FrameY(BallAtlasFrame(code));
        // Corners stay clear (round sprites), the centre is solid.
        EXPECT_EQ(AlphaAt(atlas, x0, y0), 0);
        EXPECT_EQ(AlphaAt(atlas, x0 + 31, y0), 0);
        EXPECT_EQ(AlphaAt(atlas, x0, y0 + 31), 0);
        EXPECT_EQ(AlphaAt(atlas, x0 + 31, y0 + 31), 0);
        EXPECT_EQ(AlphaAt(atlas, x0 + 16, y0 + 20), 255);
        if (BallColour::IsOrdinary(code)) {
            std::array<float, 3> sum = {0.0f, 0.0f, 0.0f};
            int count = 0;
            for (int y = 6; y < 27; ++y) {
                for (int x = 6; x < 27; ++x) {
                    const uint8_t* p = PixelAt(atlas, x0 + x, y0 + y);
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += p[c] / 255.0f;
                    }
                    ++count;
                }
            }
            means.push_back({sum[0] / count, sum[1] / count, sum[2] / count});
        }
    }
    for (size_t a = 0; a < means.size(); ++a) {
        for (size_t b = a + 1; b < means.size(); ++b) {
            const float distance = std::sqrt((means[a][0] - means[b][0]) * (means[a][0] - means[b][0]) +
                                             (means[a][1] - means[b][1]) * (means[a][1] - means[b][1]) +
                                             (means[a][2] - means[b][2]) * (means[a][2] - means[b][2]));
            EXPECT_GT(distance, 0.18f) << "ball colours " << a << " and " << b << " look alike";
        }
    }
}

TEST_F(BakedData, AtlasEffectsAndIconsSitWhereTheGameCutsThem) {
    const CImage atlas = Load("texpack_face");
    ASSERT_EQ(atlas.bytesPerPixel, 4);
    // The particle is white wherever it shows, so the game's tint decides its colour.
    const Atlas::Region& particle = Atlas::kParticle;
    int visible = 0;
    for (int y = particle.y; y < particle.y + particle.height; ++y) {
        for (int x = particle.x; x < particle.x + particle.width; ++x) {
            if (AlphaAt(atlas, x, y) > 8) {
                ++visible;
                const uint8_t* p = PixelAt(atlas, x, y);
                EXPECT_GE(std::min({p[0], p[1], p[2]}), 250) << x << "," << y;
            }
        }
    }
    EXPECT_GT(visible, 1000);
    // The launcher points up from its centre: its top is near the top of its square and
    // centred on the pivot column.
    const Atlas::Region& launcher = Atlas::kLauncher;
    int top = -1;
    int left = 0, right = 0;
    for (int y = launcher.y; y < launcher.y + launcher.height && top < 0; ++y) {
        for (int x = launcher.x; x < launcher.x + launcher.width; ++x) {
            if (AlphaAt(atlas, x, y) > 128) {
                if (top < 0) {
                    top = y;
                    left = x;
                }
                right = x;
            }
        }
    }
    ASSERT_GE(top, 0);
    EXPECT_LT(top - launcher.y, 8);
    EXPECT_NEAR((left + right) / 2.0, launcher.x + launcher.width / 2.0, 1.5);
    // Buttons and their hover frames, and the life icon, are all drawn.
    for (const Atlas::Region* button : {&Atlas::kButtonPause, &Atlas::kButtonMenu, &Atlas::kButtonExit}) {
        for (int32_t frame = 0; frame < button->frames; ++frame) {
            EXPECT_EQ(AlphaAt(atlas, button->FrameX(frame) + button->width / 2, button->FrameY(frame) + button->height / 2), 255)
                << button->name << " frame " << frame;
        }
    }
    const Atlas::Region& life = Atlas::kLife;
    EXPECT_GT(AlphaAt(atlas, life.x + life.width / 2, life.y + life.height / 2), 200);
}

TEST_F(BakedData, CursorTipIsTheTopLeftPixel) {
    const CImage cursor = Load("mousecursor");
    EXPECT_GT(AlphaAt(cursor, 0, 0), 0);
    EXPECT_EQ(AlphaAt(cursor, 31, 0), 0);
    EXPECT_EQ(AlphaAt(cursor, 0, 31), 0);
}

TEST_F(BakedData, BottomStripJoinsItselfWithoutASeam) {
    const CImage strip = Load("bottom");
    ASSERT_EQ(strip.bytesPerPixel, 3);
    for (int y = 0; y < strip.height; ++y) {
        const uint8_t* left = PixelAt(strip, 0, y);
        const uint8_t* right = PixelAt(strip, strip.width - 1, y);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(left[c], right[c], 6) << "row " << y;
        }
    }
}

TEST_F(BakedData, FontInfoDescribesEveryGlyphOfItsTexture) {
    for (const FontCase& font : kFonts) {
        SCOPED_TRACE(font.texture);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(CFileManager::Get().LoadWholeFile(font.infoFile, bytes));
        std::vector<FontGlyphInfo> table;
        ASSERT_TRUE(DecodeFontInfo(bytes, table));
        const CImage texture = Load(font.texture);
        ASSERT_EQ(texture.width, 16 * font.cell);
        for (int code = 0; code < 256; ++code) {
            SCOPED_TRACE(code);
            const FontGlyphInfo& entry = table[static_cast<size_t>(code)];
            const int advance = entry.leftSpace + entry.glyphWidth + entry.rightSpace;
            EXPECT_EQ(entry.texX, (code % 16) * font.cell);
            EXPECT_GE(entry.leftSpace, 0);
            EXPECT_GE(entry.glyphWidth, 0);
            EXPECT_LE(entry.leftSpace + entry.glyphWidth, font.cell);
            if (IsPrintable(code)) {
                EXPECT_GT(advance, 0);
                EXPECT_LE(advance, font.cell + 2);
            } else {
                EXPECT_EQ(advance, 0);
            }
            // No ink outside the declared box; ink inside it when the box has width.
            int inside = 0;
            int outside = 0;
            const int cellX = (code % 16) * font.cell;
            const int cellY = (code / 16) * font.cell;
            for (int y = 0; y < font.cell; ++y) {
                for (int x = 0; x < font.cell; ++x) {
                    if (AlphaAt(texture, cellX + x, cellY + y) == 0) {
                        continue;
                    }
                    const bool inBox = x >= entry.leftSpace && x < entry.leftSpace + entry.glyphWidth;
                    (inBox ? inside : outside) += 1;
                }
            }
            EXPECT_EQ(outside, 0);
            EXPECT_EQ(inside > 0, entry.glyphWidth > 0);
        }
        // Space and the no-break space move the pen without drawing.
        for (const int blank : {0x20, 0xA0}) {
            EXPECT_EQ(table[blank].glyphWidth, 0);
            EXPECT_GT(table[blank].rightSpace, 0);
        }
        // Swedish letters print with glyphs of their own.
        for (const int letter : {0xE5, 0xE4, 0xF6, 0xC5, 0xC4, 0xD6}) {
            EXPECT_GT(table[letter].glyphWidth, 0) << letter;
        }
    }
}

// The lowest inked row of a glyph cell.
int BottomRow(const CImage& texture, int cell, int code) {
    for (int y = cell - 1; y >= 0; --y) {
        for (int x = 0; x < cell; ++x) {
            if (AlphaAt(texture, (code % 16) * cell + x, (code / 16) * cell + y) > 128) {
                return y;
            }
        }
    }
    return -1;
}

int TopRow(const CImage& texture, int cell, int code) {
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            if (AlphaAt(texture, (code % 16) * cell + x, (code / 16) * cell + y) > 128) {
                return y;
            }
        }
    }
    return -1;
}

TEST_F(BakedData, GlyphsShareOneBaselineInTheirCells) {
    for (const FontCase& font : kFonts) {
        SCOPED_TRACE(font.texture);
        const CImage texture = Load(font.texture);
        // Letters that stand flat on the baseline end on the same row, whatever their row
        // of cells; descenders reach below it and accents above the capitals.
        const int baseline = BottomRow(texture, font.cell, 'H');
        ASSERT_GT(baseline, 0);
        for (const int code : {int('E'), int('L'), int('T'), int('Z'), int('x'), int('z'), int('1'), 0xC4, 0xC5}) {
            EXPECT_EQ(BottomRow(texture, font.cell, code), baseline) << code;
        }
        EXPECT_GT(BottomRow(texture, font.cell, 'g'), baseline);
        EXPECT_GT(BottomRow(texture, font.cell, 'p'), baseline);
        EXPECT_LT(TopRow(texture, font.cell, 0xC5), TopRow(texture, font.cell, 'A'));
        EXPECT_LT(TopRow(texture, font.cell, 0xD6), TopRow(texture, font.cell, 'O'));
        EXPECT_LT(TopRow(texture, font.cell, 'A'), TopRow(texture, font.cell, 'a'));
    }
}

// The game scales each spacing value of a glyph and truncates it on its own. Neighbouring
// letters overlap by their outlines; a glyph whose outline reaches two pixels or more past
// its advance must keep at least one pixel of that at every size the game prints at, or a
// gap opens after it ("Pause Gam e" at the HUD's 22 pixels).
TEST_F(BakedData, OutlinesOfNeighbouringGlyphsStillOverlapAtEveryPrintSize) {
    struct PrintSizes {
        const char* infoFile;
        int cell;
        std::vector<int> sizes;
    };
    const std::vector<int> large = {16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 36};
    const PrintSizes fonts[] = {{"fontdata.dat", 32, large}, {"fontdata2.dat", 16, {16}}, {"fontdata3.dat", 32, large}};
    for (const PrintSizes& font : fonts) {
        SCOPED_TRACE(font.infoFile);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(CFileManager::Get().LoadWholeFile(font.infoFile, bytes));
        std::vector<FontGlyphInfo> table;
        ASSERT_TRUE(DecodeFontInfo(bytes, table));
        int checked = 0;
        for (int code = 33; code < 256; ++code) {
            const FontGlyphInfo& entry = table[static_cast<size_t>(code)];
            if (entry.glyphWidth == 0 || -entry.rightSpace < 2) {
                continue;
            }
            ++checked;
            const int advance = entry.leftSpace + entry.glyphWidth + entry.rightSpace;
            for (const int size : font.sizes) {
                const float scale = static_cast<float>(size) / static_cast<float>(font.cell);
                const int inkEnd = static_cast<int>(static_cast<float>(entry.leftSpace) * scale) +
                                   static_cast<int>(static_cast<float>(entry.glyphWidth) * scale);
                const int pen = static_cast<int>(static_cast<float>(advance) * scale);
                EXPECT_GE(inkEnd - pen, 1) << "glyph " << code << " ('" << static_cast<char>(code) << "') at size " << size;
            }
        }
        EXPECT_GT(checked, 50);
    }
}

TEST(BakedArchives, CrcHeaderMatchesTheArchives) {
    const struct {
        const char* name;
        uint32_t crc;
    } archives[] = {{"gfx.nuf", kArchiveCrcGfx}, {"sound.nuf", kArchiveCrcSound}, {"levels.nuf", kArchiveCrcLevels}};
    for (const auto& archive : archives) {
        const std::vector<uint8_t> bytes = ReadFileBytes(kDataDir + "/" + archive.name);
        ASSERT_FALSE(bytes.empty()) << archive.name;
        EXPECT_EQ(Crc32Register(bytes.data(), bytes.size()), archive.crc) << archive.name;
    }
}

TEST(BakedArchives, TwoBakesGiveIdenticalBytes) {
    namespace fs = std::filesystem;
    const CTempFolder root;
    ASSERT_FALSE(root.Path().empty());
    const fs::path runs[2] = {root / "a", root / "b"};
    for (const fs::path& run : runs) {
        fs::create_directories(run);
        const std::string command = std::string("\"") + PELLORA_BAKE_EXE + "\" \"" + PELLORA_SOURCE_DIR + "\" \"" + run.string() +
                                    "\" \"" + (run / "ArchiveCrc.h").string() + "\" > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    for (const fs::path& run : runs) {
        const std::string command = std::string("\"") + PELLORA_BAKE_EXE + "\" --atlas-header \"" + PELLORA_SOURCE_DIR + "\" \"" +
                                    (run / "AtlasRegions.h").string() + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    for (const char* name : {"gfx.nuf", "sound.nuf", "levels.nuf", "ArchiveCrc.h", "AtlasRegions.h"}) {
        const std::vector<uint8_t> first = ReadFileBytes((runs[0] / name).string());
        ASSERT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == ReadFileBytes((runs[1] / name).string())) << name << " differs between two bakes";
    }
    // The build's own data folder came from the same sources.
    for (const char* name : {"gfx.nuf", "sound.nuf", "levels.nuf"}) {
        EXPECT_TRUE(ReadFileBytes((runs[0] / name).string()) == ReadFileBytes(kDataDir + "/" + name)) << name << " is stale";
    }
    EXPECT_TRUE(ReadFileBytes((runs[0] / "AtlasRegions.h").string()) ==
                ReadFileBytes(std::string(PELLORA_BUILD_DIR) + "/generated/AtlasRegions.h"))
        << "the build's atlas region table is stale";
}
}  // namespace
