// Bitmap fonts: proportional and cell printing, measuring, sizes, centring, and the
// glyph quads they hand to the renderer (checked without a window).
#include "PlatformFixtures.h"

#include "platform/Font.h"
#include "platform/Gfx.h"

#include <cstdio>
#include <functional>

namespace {

// Font texture: 16 x 16 cells of 32 x 4 pixels (the width is what matters here).
constexpr int kTextureWidth = 512;
constexpr int kTextureHeight = 64;

class FontTest : public CPlatformTest {
protected:
    void SetUp() override {
        CPlatformTest::SetUp();
        WriteFile("face.tga", MakeSolidTga(kTextureWidth, kTextureHeight, 4, Rgba{255, 255, 255, 255}));
        WriteFile("face.dat", MakeFontInfo({
                                  {'A', 32, 2, 10, 3},    // advance 15
                                  {'B', 64, 3, 11, 5},    // advance 19; halves to 1, 5 and 9
                                  {'C', 96, 1, 30, 2},    // advance 33
                                  {0xE5, 128, 1, 20, 1},  // å
                                  {0xE4, 160, 2, 20, 1},  // ä
                                  {0xF6, 192, 3, 20, 1},  // ö
                              }));
    }

    const GfxVertex& Drawn(int n) const { return CGfxOGL::Get().GetVertices()[n]; }
    int DrawnCount() const { return CGfxOGL::Get().GetVertexCount(); }
};

TEST_F(FontTest, ProportionalGlyphSitsAfterItsLeftSpaceAndAdvancesThePen) {
    CFont font;
    ASSERT_TRUE(font.InitSimple("face", "face.dat", 32, 32));
    ASSERT_TRUE(font.IsLoaded());
    ASSERT_TRUE(font.HasWidths());
    EXPECT_EQ(font.GetCharWidth(), 32);
    EXPECT_EQ(font.GetCharHeight(), 4);
    EXPECT_EQ(font.Measure("A"), 15);
    EXPECT_EQ(font.Measure("AB"), 34);

    font.Print("AA", 100.0f, 20.0f);
    ASSERT_EQ(DrawnCount(), 12);
    EXPECT_EQ(CGfxOGL::Get().GetLastPrimitiveCount(), 4);
    // The six corners of the first glyph: 10 wide from 2 after the pen, half a pixel up-left.
    const float expected[6][2] = {{101.5f, 19.5f}, {101.5f, 23.5f}, {111.5f, 23.5f},
                                  {111.5f, 19.5f}, {101.5f, 19.5f}, {111.5f, 23.5f}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(Drawn(i).x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(Drawn(i).y, expected[i][1]) << i;
    }
    EXPECT_FLOAT_EQ(Drawn(0).u, 34.0f / 512.0f);
    EXPECT_FLOAT_EQ(Drawn(2).u, 44.0f / 512.0f);
    EXPECT_FLOAT_EQ(Drawn(0).v, 4.0f / 16.0f);   // 'A' = 65: row 4
    EXPECT_FLOAT_EQ(Drawn(1).v, 5.0f / 16.0f);
    EXPECT_FLOAT_EQ(Drawn(6).x, 101.5f + 15.0f);   // the second glyph, one advance later
}

TEST_F(FontTest, CharSizeScalesEachSpacingSeparately) {
    CFont font;
    font.InitSimple("face", "face.dat", 32, 32);
    font.SetCharSize(16, 16);
    EXPECT_FLOAT_EQ(font.GetScale(), 0.5f);
    EXPECT_EQ(font.Measure("B"), 9);     // trunc(19 x 0.5), not 1 + 5 + 2
    EXPECT_EQ(font.Measure("BB"), 18);
    font.Print("B", 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(Drawn(0).x, 1.0f - 0.5f);            // trunc(1.5)
    EXPECT_FLOAT_EQ(Drawn(2).x, 1.0f + 5.0f - 0.5f);     // trunc(5.5)
    EXPECT_FLOAT_EQ(Drawn(1).y, 16.0f - 0.5f);
    font.ResetCharSize();
    EXPECT_EQ(font.GetCharWidth(), 32);
    EXPECT_EQ(font.Measure("B"), 19);
}

TEST_F(FontTest, FixedPitchAdvancesAFractionOfACell) {
    CFont font;
    font.InitSimple("face", "face.dat", 32, 32);
    CFont fixed = font;
    fixed.SetFixedPitch(true, 0.5f);
    EXPECT_EQ(fixed.Measure("abc"), 48);
    EXPECT_EQ(fixed.Measure("ABC"), 48);   // widths are not used
    fixed.Print("AB", 10.0f, 0.0f);
    ASSERT_EQ(DrawnCount(), 12);
    EXPECT_FLOAT_EQ(Drawn(6).x, 10.0f + 16.0f - 0.5f);
    EXPECT_FLOAT_EQ(Drawn(8).x, 10.0f + 16.0f + 32.0f - 0.5f);   // a whole cell wide
    fixed.SetCharSize(15, 15);
    EXPECT_EQ(fixed.Measure("abc"), 23);   // 22.5 rounds away from zero
    // The copy shares the texture record and did not change the original.
    EXPECT_EQ(font.Measure("ABC"), 15 + 19 + 33);
}

TEST_F(FontTest, SwedishLettersUseTheirOwnCells) {
    CFont proportional;
    proportional.InitSimple("face", "face.dat", 32, 32);
    CFont cells;
    cells.InitSimple("face", "", 32, 32);
    struct Case {
        const char* text;
        int cell;
        int texX, leftSpace;
    };
    const Case cases[] = {{"\xE5", 229, 128, 1}, {"\xE4", 228, 160, 2}, {"\xF6", 246, 192, 3}};
    for (const Case& c : cases) {
        proportional.Print(c.text, 0.0f, 0.0f);
        ASSERT_EQ(DrawnCount(), 6) << c.cell;
        EXPECT_FLOAT_EQ(Drawn(0).v, float(c.cell / 16) / 16.0f) << c.cell;
        EXPECT_FLOAT_EQ(Drawn(0).u, float(c.texX + c.leftSpace) / 512.0f) << c.cell;
        cells.Print(c.text, 0.0f, 0.0f);
        ASSERT_EQ(DrawnCount(), 6) << c.cell;
        EXPECT_FLOAT_EQ(Drawn(0).u, float(c.cell % 16) / 16.0f) << c.cell;
        EXPECT_FLOAT_EQ(Drawn(0).v, float(c.cell / 16) / 16.0f) << c.cell;
        EXPECT_FLOAT_EQ(Drawn(2).u, float(c.cell % 16 + 1) / 16.0f) << c.cell;
    }
}

TEST_F(FontTest, CentredAndAlignedPrintingStartsWhereExpected) {
    CFont font;
    font.InitSimple("face", "face.dat", 32, 32);
    CFont cells;
    cells.InitSimple("face", "", 32, 32);
    struct Case {
        const char* name;
        std::function<void()> print;
        float firstX;   // the left edge of the first glyph quad, before the half-pixel shift
    };
    const Case cases[] = {
        {"centred, 33 wide", [&] { font.PrintCentered("C", 100.0f, 0.0f); }, 84.0f + 1.0f},
        {"centred in 50", [&] { cells.PrintCenteredIn("x", 100.0f, 0.0f, 50); }, 75.0f},
        {"centred in 51", [&] { cells.PrintCenteredIn("x", 100.0f, 0.0f, 51); }, 75.0f},
        {"right in 30", [&] { cells.PrintRightIn("x", 100.0f, 0.0f, 30); }, 70.0f},
        {"int", [&] { cells.PrintInt(-12, 7.0f, 0.0f); }, 7.0f},
        {"int right", [&] { cells.PrintIntRight(-12, 200.0f, 0.0f); }, 200.0f - 96.0f},
    };
    for (const Case& c : cases) {
        c.print();
        ASSERT_GE(DrawnCount(), 6) << c.name;
        EXPECT_FLOAT_EQ(Drawn(0).x, c.firstX - 0.5f) << c.name;
    }
    cells.PrintInt(-12, 0.0f, 0.0f);
    EXPECT_EQ(DrawnCount(), 18);
    EXPECT_FLOAT_EQ(Drawn(0).u, float('-' % 16) / 16.0f);
    EXPECT_FLOAT_EQ(Drawn(12).u, float('2' % 16) / 16.0f);
}

TEST_F(FontTest, EmptyTextDrawsAndMeasuresNothing) {
    CFont font;
    font.InitSimple("face", "face.dat", 32, 32);
    font.Print("A", 0.0f, 0.0f);
    ASSERT_EQ(CGfxOGL::Get().GetLastPrimitiveCount(), 2);
    font.Print("", 0.0f, 0.0f);
    EXPECT_EQ(DrawnCount(), 0);
    EXPECT_EQ(CGfxOGL::Get().GetLastPrimitiveCount(), 0);
    EXPECT_EQ(font.Measure(""), 0);
}

TEST_F(FontTest, MissingPiecesAreLoggedAndTheFontCarriesOn) {
    WriteFile("short.dat", Bytes(100, 1));
    CFont noInfo;
    EXPECT_TRUE(noInfo.InitSimple("face", "nope.dat", 32, 32));
    EXPECT_TRUE(LogHas("CFont::Init Load font info data FAILED, filename: nope.dat"));
    EXPECT_FALSE(noInfo.HasWidths());
    EXPECT_EQ(noInfo.Measure("abc"), 96);   // by cells

    CFont shortInfo;
    shortInfo.InitSimple("face", "short.dat", 32, 32);
    EXPECT_FALSE(shortInfo.HasWidths());

    // Something drawn first, so a stray batch from the missing font would show.
    noInfo.Print("ab", 0.0f, 0.0f);
    ASSERT_EQ(DrawnCount(), 12);
    CFont missing;
    EXPECT_TRUE(missing.InitSimple("no_texture", "face.dat", 32, 32));
    EXPECT_FALSE(missing.IsLoaded());
    missing.Print("A", 0.0f, 0.0f);
    EXPECT_EQ(DrawnCount(), 12);
    EXPECT_EQ(missing.Measure("A"), 0);
}

TEST_F(FontTest, CodesOutsideTheFontAreSkippedButCountAsCells) {
    FontDescription description;
    std::snprintf(description.textureName, sizeof(description.textureName), "face");
    description.firstChar = 32;   // cell 0 is the space
    CFont font;
    font.Init(description);
    font.Print("\x1F" "A", 0.0f, 0.0f);
    ASSERT_EQ(DrawnCount(), 6);
    EXPECT_FLOAT_EQ(Drawn(0).x, 32.0f - 0.5f);   // the skipped byte still took its cell
    EXPECT_FLOAT_EQ(Drawn(0).u, float((65 - 32) % 16) / 16.0f);
    EXPECT_FLOAT_EQ(Drawn(0).v, float((65 - 32) / 16) / 16.0f);
}

TEST_F(FontTest, ProgramFontsIncludeAFixedPitchCopyOfTheMainFont) {
    WriteFile("font.tga", MakeSolidTga(kTextureWidth, kTextureHeight, 4, Rgba{255, 255, 255, 255}));
    WriteFile("fontdata.dat", MakeFontInfo({{'A', 32, 2, 10, 3}}));
    CFont::InitProgramFonts();
    EXPECT_TRUE(CFont::Main().HasWidths());
    EXPECT_EQ(CFont::Main().Measure("A"), 15);
    EXPECT_EQ(CFont::FixedPitch().Measure("AAA"), 48);
    EXPECT_FALSE(CFont::Small().IsLoaded());   // "font2" is not there
    EXPECT_TRUE(LogHas("CFont::Init Load font info data FAILED, filename: fontdata2.dat"));
}

}  // namespace
