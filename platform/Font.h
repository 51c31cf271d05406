#pragma once
// CFont: single-byte (Windows-1252) text from a texture of 16 x 16 character cells,
// proportional when a 2048-byte font info file gives each glyph's spacing.
#include "platform/Textures.h"
#include "resources/FontInfo.h"

#include <cstdint>
#include <string>

struct FontDescription {
    char textureName[255] = {};
    char infoFileName[255] = {};
    int32_t cellWidth = 32, cellHeight = 32;
    int32_t columns = 16, rows = 16;
    int32_t firstChar = 0;
    bool blend = true;
};

class CFont {
public:
    CFont() = default;

    bool Init(const FontDescription& description);
    bool InitSimple(const std::string& textureName, const std::string& infoFileName, int32_t cellWidth, int32_t cellHeight);
    void SetFixedPitch(bool fixedPitch, float pitchFactor);
    void SetCharSize(int32_t width, int32_t height);
    void ResetCharSize();
    int32_t Measure(const char* text) const;
    void Print(const char* text, float x, float y) const;
    void PrintCentered(const char* text, float x, float y) const;
    void PrintCenteredIn(const char* text, float x, float y, int32_t width) const;
    void PrintRightIn(const char* text, float x, float y, int32_t width) const;
    void PrintInt(int32_t value, float x, float y) const;
    void PrintIntRight(int32_t value, float x, float y) const;

    bool IsLoaded() const { return m_loaded; }
    bool HasWidths() const { return m_hasWidths; }
    int32_t GetCharWidth() const { return m_charWidth; }
    int32_t GetCharHeight() const { return m_charHeight; }
    float GetScale() const { return m_scale; }
    const FontGlyphInfo& GetGlyph(int32_t index) const { return m_glyphs[index & 0xFF]; }

    // The program's four fonts, made at start-up.
    static CFont& Main();
    static CFont& Small();
    static CFont& Third();
    static CFont& FixedPitch();
    // Sets up the four: "font"/"fontdata.dat" 32x32, "font2"/"fontdata2.dat" 16x16,
    // "font3"/"fontdata3.dat" 32x32, and the fixed-pitch copy of the main font (factor 0.5).
    static void InitProgramFonts();

private:
    void LoadInfoFile(const char* fileName);
    int32_t GlyphIndex(unsigned char code) const;
    int32_t Advance(int32_t index) const;
    void PrintProportional(const char* text, float x, float y) const;
    void PrintCells(const char* text, float x, float y) const;
    void BeginText() const;
    void EndText() const;

    TextureHandle m_texture;
    bool m_loaded = false;
    FontDescription m_description;
    int32_t m_glyphCount = 256;
    float m_cellU = 1.0f / 16.0f, m_cellV = 1.0f / 16.0f;
    bool m_hasWidths = false;
    FontGlyphInfo m_glyphs[256] = {};
    float m_glyphTex[256][4] = {};   // the entries in texture coordinates
    bool m_fixedPitch = false;
    float m_pitchFactor = 1.0f;
    int32_t m_texCellWidth = 0, m_texCellHeight = 0;
    int32_t m_charWidth = 0, m_charHeight = 0;
    float m_scale = 1.0f;
};
