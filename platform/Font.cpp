// CFont: text from a texture of character cells, proportional with a font info file.
// One Print is one renderer batch of six vertices per character.
#include "platform/Font.h"

#include "core/Log.h"
#include "platform/Gfx.h"
#include "resources/FileManager.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t kGlyphTableSize = 256;

void CopyName(char (&destination)[255], const std::string& source) {
    std::snprintf(destination, sizeof(destination), "%s", source.c_str());
}

// A glyph's quad as two triangles, shifted by half a pixel like every picture.
void EmitGlyphQuad(CGfxOGL& gfx, float xLeft, float yTop, float xRight, float yBottom, float uLeft, float vTop,
                   float uRight, float vBottom) {
    xLeft -= 0.5f;
    xRight -= 0.5f;
    yTop -= 0.5f;
    yBottom -= 0.5f;
    gfx.TexCoord(uLeft, vTop);
    gfx.Vertex(xLeft, yTop);
    gfx.TexCoord(uLeft, vBottom);
    gfx.Vertex(xLeft, yBottom);
    gfx.TexCoord(uRight, vBottom);
    gfx.Vertex(xRight, yBottom);
    gfx.TexCoord(uRight, vTop);
    gfx.Vertex(xRight, yTop);
    gfx.TexCoord(uLeft, vTop);
    gfx.Vertex(xLeft, yTop);
    gfx.TexCoord(uRight, vBottom);
    gfx.Vertex(xRight, yBottom);
}

}  // namespace

bool CFont::Init(const FontDescription& description) {
    CLog::Get().Write("CFont::Init %s", description.textureName);
    m_description = description;
    m_description.textureName[sizeof(m_description.textureName) - 1] = '\0';
    m_description.infoFileName[sizeof(m_description.infoFileName) - 1] = '\0';
    m_hasWidths = false;
    m_loaded = false;
    if (m_description.columns <= 0 || m_description.rows <= 0 || m_description.cellWidth <= 0) {
        CLog::Get().Write("CFont::Init FAILED bad cell grid %dx%d, cell width %d", m_description.columns,
                          m_description.rows, m_description.cellWidth);
        return true;
    }
    m_cellU = 1.0f / static_cast<float>(m_description.columns);
    m_cellV = 1.0f / static_cast<float>(m_description.rows);
    m_glyphCount = m_description.rows * m_description.columns;

    m_texture = CTextures::Get().Load(m_description.textureName);
    m_loaded = (m_texture.id != 0);
    const TextureRecord& record = CTextures::Get().Find(m_texture);
    m_texCellWidth = record.width / m_description.columns;
    m_texCellHeight = record.height / m_description.rows;
    m_charWidth = m_texCellWidth;
    m_charHeight = m_texCellHeight;
    m_scale = static_cast<float>(m_texCellWidth) / static_cast<float>(m_description.cellWidth);

    if (m_description.infoFileName[0] != '\0') {
        LoadInfoFile(m_description.infoFileName);
    }
    return true;
}

void CFont::LoadInfoFile(const char* fileName) {
    std::vector<uint8_t> bytes;
    if (!CFileManager::Get().LoadWholeFile(fileName, bytes, kFontInfoBytes)) {
        CLog::Get().Write("CFont::Init Load font info data FAILED, filename: %s", fileName);
        return;
    }
    std::vector<FontGlyphInfo> entries;
    if (bytes.size() < kFontInfoBytes || !DecodeFontInfo(bytes, entries)) {
        CLog::Get().Write("CFont::Init FAILED font info file shorter than %u bytes, filename: %s",
                          static_cast<unsigned>(kFontInfoBytes), fileName);
        return;
    }
    const float toTexture = 1.0f / static_cast<float>(m_description.cellWidth * m_description.columns);
    for (int32_t i = 0; i < kGlyphTableSize; ++i) {
        FontGlyphInfo& glyph = m_glyphs[i];
        glyph = entries[static_cast<size_t>(i)];
        m_glyphTex[i][0] = static_cast<float>(glyph.texX) * toTexture;
        m_glyphTex[i][1] = static_cast<float>(glyph.leftSpace) * toTexture;
        m_glyphTex[i][2] = static_cast<float>(glyph.glyphWidth) * toTexture;
        m_glyphTex[i][3] = static_cast<float>(glyph.rightSpace) * toTexture;
    }
    m_hasWidths = true;
}

bool CFont::InitSimple(const std::string& textureName, const std::string& infoFileName, int32_t cellWidth,
                       int32_t cellHeight) {
    FontDescription description;
    CopyName(description.textureName, textureName);
    CopyName(description.infoFileName, infoFileName);
    description.cellWidth = cellWidth;
    description.cellHeight = cellHeight;
    description.columns = 16;
    description.rows = 16;
    description.firstChar = 0;
    description.blend = true;
    return Init(description);
}

void CFont::SetFixedPitch(bool fixedPitch, float pitchFactor) {
    m_fixedPitch = fixedPitch;
    m_pitchFactor = pitchFactor;
}

void CFont::SetCharSize(int32_t width, int32_t height) {
    if (width == m_charWidth && height == m_charHeight) {
        return;
    }
    m_charWidth = width;
    m_charHeight = height;
    m_scale = static_cast<float>(width) / static_cast<float>(m_description.cellWidth);
}

void CFont::ResetCharSize() {
    SetCharSize(m_texCellWidth, m_texCellHeight);
}

// The glyph table index of a character, or -1 for a code outside the font.
int32_t CFont::GlyphIndex(unsigned char code) const {
    const int32_t index = static_cast<int32_t>(code) - m_description.firstChar;
    if (index < 0 || index >= m_glyphCount || index >= kGlyphTableSize) {
        return -1;
    }
    return index;
}

int32_t CFont::Advance(int32_t index) const {
    const FontGlyphInfo& glyph = m_glyphs[index];
    const int32_t nominal = glyph.leftSpace + glyph.glyphWidth + glyph.rightSpace;
    return static_cast<int32_t>(static_cast<float>(nominal) * m_scale);
}

int32_t CFont::Measure(const char* text) const {
    if (text == nullptr || !m_loaded) {
        return 0;
    }
    const size_t length = std::strlen(text);
    if (m_fixedPitch) {
        const float width = static_cast<float>(length) * static_cast<float>(m_charWidth) * m_pitchFactor;
        return static_cast<int32_t>(std::lround(width));
    }
    if (!m_hasWidths) {
        return static_cast<int32_t>(length) * m_charWidth;
    }
    int32_t width = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        const int32_t index = GlyphIndex(static_cast<unsigned char>(*p));
        if (index >= 0) {
            width += Advance(index);
        }
    }
    return width;
}

void CFont::Print(const char* text, float x, float y) const {
    if (!m_loaded || text == nullptr) {
        return;
    }
    BeginText();
    if (m_hasWidths && !m_fixedPitch) {
        PrintProportional(text, x, y);
    } else {
        PrintCells(text, x, y);
    }
    EndText();
}

void CFont::PrintProportional(const char* text, float x, float y) const {
    CGfxOGL& gfx = CGfxOGL::Get();
    const float toTexture = 1.0f / static_cast<float>(m_description.cellWidth * m_description.columns);
    int32_t pen = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        const int32_t index = GlyphIndex(static_cast<unsigned char>(*p));
        if (index < 0) {
            continue;
        }
        const FontGlyphInfo& glyph = m_glyphs[index];
        const float xLeft = x + static_cast<float>(pen) +
                            static_cast<float>(static_cast<int32_t>(static_cast<float>(glyph.leftSpace) * m_scale));
        const float xRight =
            xLeft + static_cast<float>(static_cast<int32_t>(static_cast<float>(glyph.glyphWidth) * m_scale));
        const float uLeft = m_glyphTex[index][0] + m_glyphTex[index][1];
        const float uRight = uLeft + static_cast<float>(glyph.glyphWidth) * toTexture;
        const float vTop = static_cast<float>(index / m_description.columns) * m_cellV;
        EmitGlyphQuad(gfx, xLeft, y, xRight, y + static_cast<float>(m_charHeight), uLeft, vTop, uRight, vTop + m_cellV);
        pen += Advance(index);
    }
}

void CFont::PrintCells(const char* text, float x, float y) const {
    CGfxOGL& gfx = CGfxOGL::Get();
    const float step = m_fixedPitch ? static_cast<float>(m_charWidth) * m_pitchFactor : static_cast<float>(m_charWidth);
    int32_t n = 0;
    for (const char* p = text; *p != '\0'; ++p, ++n) {
        const int32_t index = GlyphIndex(static_cast<unsigned char>(*p));
        if (index < 0) {
            continue;
        }
        const float xLeft = x + static_cast<float>(n) * step;
        const float uLeft = static_cast<float>(index % m_description.columns) * m_cellU;
        const float vTop = static_cast<float>(index / m_description.columns) * m_cellV;
        EmitGlyphQuad(gfx, xLeft, y, xLeft + static_cast<float>(m_charWidth), y + static_cast<float>(m_charHeight),
                      uLeft, vTop, uLeft + m_cellU, vTop + m_cellV);
    }
}

void CFont::BeginText() const {
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.EnsureMatrices();
    CTextures::Get().Bind(m_texture);
    if (m_description.blend) {
        gfx.Enable(GL_BLEND);
        gfx.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        gfx.Disable(GL_BLEND);
    }
    gfx.Disable(GL_DEPTH_TEST);
    gfx.Begin(GL_TRIANGLES);
}

void CFont::EndText() const {
    CGfxOGL::Get().End();
}

void CFont::PrintCentered(const char* text, float x, float y) const {
    Print(text, x - static_cast<float>(Measure(text) / 2), y);
}

void CFont::PrintCenteredIn(const char* text, float x, float y, int32_t width) const {
    Print(text, x - static_cast<float>(width / 2), y);
}

void CFont::PrintRightIn(const char* text, float x, float y, int32_t width) const {
    Print(text, x - static_cast<float>(width), y);
}

void CFont::PrintInt(int32_t value, float x, float y) const {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", value);
    Print(digits, x, y);
}

void CFont::PrintIntRight(int32_t value, float x, float y) const {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", value);
    Print(digits, x - static_cast<float>(Measure(digits)), y);
}

CFont& CFont::Main() {
    static CFont font;
    return font;
}

CFont& CFont::Small() {
    static CFont font;
    return font;
}

CFont& CFont::Third() {
    static CFont font;
    return font;
}

CFont& CFont::FixedPitch() {
    static CFont font;
    return font;
}

void CFont::InitProgramFonts() {
    Main().InitSimple("font", "fontdata.dat", 32, 32);
    Small().InitSimple("font2", "fontdata2.dat", 16, 16);
    Third().InitSimple("font3", "fontdata3.dat", 32, 32);
    FixedPitch() = Main();
    FixedPitch().SetFixedPitch(true, 0.5f);
}
