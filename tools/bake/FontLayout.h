#pragma once
// The font info file shared by the baker and its tests: 256 entries of four signed
// 16-bit little-endian values (texX, leftSpace, glyphWidth, rightSpace), 2048 bytes.
#include "platform/Font.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One entry is the record the game's fonts read (only the record: the baker does not
// link the platform).
using FontGlyphEntry = FontGlyphInfo;

constexpr size_t kFontInfoBytes = 2048;

std::vector<uint8_t> EncodeFontInfo(const std::vector<FontGlyphEntry>& entries);
// False unless bytes holds exactly 2048 bytes.
bool DecodeFontInfo(const std::vector<uint8_t>& bytes, std::vector<FontGlyphEntry>& entries);

// The Unicode code point of a Windows-1252 byte; 0 for the five codes 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t Cp1252ToUnicode(uint8_t code);
