#pragma once
// The font info file: 256 entries of four signed 16-bit little-endian values (texX,
// leftSpace, glyphWidth, rightSpace), 2048 bytes. The game's fonts read it, the baker
// writes it.
#include <cstddef>
#include <cstdint>
#include <vector>

// One entry of a font info file, in nominal pixels.
struct FontGlyphInfo {
    int16_t texX = 0;
    int16_t leftSpace = 0;
    int16_t glyphWidth = 0;
    int16_t rightSpace = 0;
};

constexpr size_t kFontInfoGlyphs = 256;
constexpr size_t kFontInfoBytes = kFontInfoGlyphs * 8;

// The file's bytes for up to 256 entries; missing entries are zero.
std::vector<uint8_t> EncodeFontInfo(const std::vector<FontGlyphInfo>& entries);
// The 256 entries of a file; false unless bytes holds exactly 2048 bytes.
bool DecodeFontInfo(const std::vector<uint8_t>& bytes, std::vector<FontGlyphInfo>& entries);
