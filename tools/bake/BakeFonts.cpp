// Bakes the three bitmap fonts listed in data/art/fonts.txt: a texture of 16 x 16 cells,
// one per Windows-1252 code, white glyphs with a dark outline, all on one baseline, and
// the 2048-byte info file with each glyph's place and spacing in texture pixels.
#include "tools/bake/Art.h"
#include "tools/bake/Bake.h"
#include "tools/bake/FontLayout.h"
#include "tools/bake/ImageWriters.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {
constexpr int kSupersample = 4;

struct FontSpec {
    std::string texture;
    std::string infoFile;
    std::string fontFile;
    int cell = 32;
    float pixelSize = 24.0f;
    float outline = 2.0f;
    int extraAdvance = 0;
    std::vector<int> printSizes;   // the character sizes the game prints the font at
};

// The outline overlap a glyph keeps with the next pen position at its own size, and the
// least it keeps at any print size (each spacing value scaled and truncated on its own,
// as the game draws).
constexpr int kKeptOverlap = 1;
constexpr int kOverlapToKeep = 2;
constexpr int kMostNarrowing = 3;

int ScaledOverlap(const FontGlyphInfo& entry, int cell, int size) {
    const float scale = static_cast<float>(size) / static_cast<float>(cell);
    const int advance = entry.leftSpace + entry.glyphWidth + entry.rightSpace;
    return static_cast<int>(static_cast<float>(entry.leftSpace) * scale) +
           static_cast<int>(static_cast<float>(entry.glyphWidth) * scale) -
           static_cast<int>(static_cast<float>(advance) * scale);
}

bool KeepsOverlap(const FontGlyphInfo& entry, int cell, const std::vector<int>& sizes) {
    for (int size : sizes) {
        if (ScaledOverlap(entry, cell, size) < kKeptOverlap) {
            return false;
        }
    }
    return true;
}

// Narrows the advance of a glyph whose outline overlaps the next glyph's until the overlap
// survives every print size.
void KeepOverlapAtPrintSizes(FontGlyphInfo& entry, int cell, const std::vector<int>& sizes) {
    if (entry.glyphWidth == 0 || -entry.rightSpace < kOverlapToKeep) {
        return;
    }
    for (int step = 0; step < kMostNarrowing && !KeepsOverlap(entry, cell, sizes); ++step) {
        entry.rightSpace = static_cast<int16_t>(entry.rightSpace - 1);
    }
}

std::vector<int> ReadPrintSizes(const CArtConfig& config, const std::string& texture) {
    std::vector<int> sizes;
    const ArtRecord* record = config.Find("sizes", texture);
    if (record == nullptr) {
        return sizes;
    }
    const std::string where = config.Path() + ":" + std::to_string(record->line);
    for (size_t i = 1; i < record->values.size(); ++i) {
        sizes.push_back(static_cast<int>(ParseNumber(record->values[i], where)));
    }
    return sizes;
}

FontSpec ReadSpec(const CArtConfig& config, const ArtRecord& record) {
    const std::string where = config.Path() + ":" + std::to_string(record.line);
    if (record.values.size() != 7) {
        BakeFail(where + ": need 'font <texture> <info file> <font file> <cell> <pixel size> <outline> <extra advance>'");
    }
    FontSpec spec;
    spec.texture = record.values[0];
    spec.infoFile = record.values[1];
    spec.fontFile = record.values[2];
    spec.cell = static_cast<int>(ParseNumber(record.values[3], where));
    spec.pixelSize = ParseNumber(record.values[4], where);
    spec.outline = ParseNumber(record.values[5], where);
    spec.extraAdvance = static_cast<int>(ParseNumber(record.values[6], where));
    if (spec.cell != 16 && spec.cell != 32) {
        BakeFail(where + ": cells are 16 or 32 pixels");
    }
    spec.printSizes = ReadPrintSizes(config, spec.texture);
    return spec;
}

// The vertical extent (above and below the baseline, outline included) of every glyph
// of the set at one pixel size.
void MeasureSet(const CGlyphFace& face, float pixelSize, float outline, float& ascent, float& descent) {
    ascent = 0.0f;
    descent = 0.0f;
    GlyphImage glyph;
    for (int code = 32; code < 256; ++code) {
        const uint32_t codePoint = Cp1252ToUnicode(static_cast<uint8_t>(code));
        if (codePoint == 0 || !face.Render(codePoint, pixelSize, glyph) || glyph.mask.width == 0) {
            continue;
        }
        ascent = std::max(ascent, static_cast<float>(glyph.top) + outline);
        descent = std::max(descent, static_cast<float>(glyph.mask.height - glyph.top) + outline);
    }
}

struct CellPicture {
    CMask fill;
    CMask rim;
    FontGlyphInfo entry;
};

// Renders one glyph into its cell: the pen starts at the left edge of the cell, moved
// right when the outline would cross it; a glyph too wide for the cell is drawn smaller.
bool RenderCell(const CGlyphFace& face, const FontSpec& spec, uint32_t codePoint, int code, float pixelSize, int baseline,
                CellPicture& out) {
    const int cell = spec.cell;
    GlyphImage glyph;
    float size = pixelSize * kSupersample;
    const float outline = spec.outline * kSupersample;
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (!face.Render(codePoint, size, glyph)) {
            return false;
        }
        const float inkWidth = static_cast<float>(std::max(0, glyph.left) + glyph.mask.width) + 2.0f * outline;
        if (inkWidth <= static_cast<float>(cell * kSupersample) - 2.0f) {
            break;
        }
        size *= (static_cast<float>(cell * kSupersample) - 2.0f) / inkWidth;
    }
    out.entry.texX = static_cast<int16_t>((code % 16) * cell);
    const float advance = glyph.advance / kSupersample;
    if (glyph.mask.width == 0) {
        out.entry.leftSpace = 0;
        out.entry.glyphWidth = 0;
        out.entry.rightSpace = static_cast<int16_t>(std::lround(advance));
        return true;
    }
    // Pen position inside the cell (in supersampled pixels): one outline width in, so the
    // outline starts at or after the cell's left edge; every glyph sits the same distance
    // after its pen, except those reaching left of the pen, which start at the edge.
    const int reach = static_cast<int>(std::ceil(outline));
    const int penX = std::max(reach, reach - glyph.left);
    CMask high(cell * kSupersample, cell * kSupersample);
    const int ox = penX + glyph.left;
    const int oy = baseline * kSupersample - glyph.top;
    for (int y = 0; y < glyph.mask.height; ++y) {
        for (int x = 0; x < glyph.mask.width; ++x) {
            if (ox + x >= 0 && oy + y >= 0 && ox + x < high.width && oy + y < high.height) {
                high.At(ox + x, oy + y) = glyph.mask.At(x, y);
            }
        }
    }
    out.fill = high.Downsample(kSupersample);
    out.rim = high.Dilate(outline).Downsample(kSupersample);
    int x0, y0, x1, y1;
    if (!out.rim.Bounds(x0, y0, x1, y1)) {
        out.entry.rightSpace = static_cast<int16_t>(std::lround(advance));
        return true;
    }
    // leftSpace is both the offset into the cell and the offset from the pen on screen;
    // the pen sits penX / kSupersample pixels into the cell.
    out.entry.leftSpace = static_cast<int16_t>(x0);
    out.entry.glyphWidth = static_cast<int16_t>(x1 - x0 + 1);
    const int penAdvance = static_cast<int>(std::lround(advance)) + spec.extraAdvance;
    out.entry.rightSpace = static_cast<int16_t>(penAdvance - out.entry.leftSpace - out.entry.glyphWidth);
    KeepOverlapAtPrintSizes(out.entry, cell, spec.printSizes);
    return true;
}

void BakeOneFont(const CArtConfig& config, const FontSpec& spec, BakedFiles& files) {
    CGlyphFace face;
    const std::string path = FindSystemFont(spec.fontFile);
    if (path.empty() || !face.Open(path)) {
        BakeFail("cannot open the font " + spec.fontFile + " (install fonts-dejavu-core)");
    }
    // The largest size (up to the configured one) at which every glyph fits the cell's height.
    float pixelSize = spec.pixelSize;
    float ascent = 0.0f, descent = 0.0f;
    for (;;) {
        MeasureSet(face, pixelSize * kSupersample, spec.outline * kSupersample, ascent, descent);
        if ((ascent + descent) / kSupersample <= static_cast<float>(spec.cell) - 1.0f || pixelSize <= 6.0f) {
            break;
        }
        pixelSize -= 0.5f;
    }
    const int baseline = static_cast<int>(std::ceil(ascent / kSupersample + 0.5f));

    const int size = spec.cell * 16;
    CCanvas texture(size, size);
    std::vector<FontGlyphInfo> table(256);
    const Rgba outline = config.Colour("outline");
    const Rgba white{1.0f, 1.0f, 1.0f, 1.0f};
    for (int code = 0; code < 256; ++code) {
        table[static_cast<size_t>(code)].texX = static_cast<int16_t>((code % 16) * spec.cell);
        const uint32_t codePoint = Cp1252ToUnicode(static_cast<uint8_t>(code));
        if (code < 32 || codePoint == 0) {
            continue;
        }
        // A no-break space and a soft hyphen print as their ordinary forms.
        const uint32_t drawn = codePoint == 0xA0 ? 0x20 : (codePoint == 0xAD ? 0x2D : codePoint);
        CellPicture picture;
        if (!RenderCell(face, spec, drawn, code, pixelSize, baseline, picture)) {
            continue;
        }
        table[static_cast<size_t>(code)] = picture.entry;
        if (picture.rim.width == 0) {
            continue;
        }
        CCanvas cell(spec.cell, spec.cell);
        cell.FillMask(picture.rim.coverage, paint::Solid(outline));
        cell.FillMask(picture.fill.coverage, paint::Solid(white));
        texture.Draw(cell, (code % 16) * spec.cell, (code / 16) * spec.cell);
    }
    files.push_back({spec.texture + ".tga", CanvasToTga(texture, true)});
    files.push_back({spec.infoFile, EncodeFontInfo(table)});
}
}  // namespace

BakedFiles BakeFonts(const BakeContext& context) {
    CArtConfig config;
    if (!config.Load(context.dataDir + "/art/fonts.txt")) {
        BakeFail("missing data/art/fonts.txt");
    }
    BakedFiles files;
    for (const ArtRecord* record : config.All("font")) {
        BakeOneFont(config, ReadSpec(config, *record), files);
    }
    return files;
}
