#include "tools/bake/FontLayout.h"

std::vector<uint8_t> EncodeFontInfo(const std::vector<FontGlyphEntry>& entries) {
    std::vector<uint8_t> bytes(kFontInfoBytes, 0);
    for (size_t i = 0; i < entries.size() && i < 256; ++i) {
        const int16_t values[4] = {entries[i].texX, entries[i].leftSpace, entries[i].glyphWidth, entries[i].rightSpace};
        for (size_t v = 0; v < 4; ++v) {
            const uint16_t word = static_cast<uint16_t>(values[v]);
            bytes[i * 8 + v * 2] = static_cast<uint8_t>(word & 0xFF);
            bytes[i * 8 + v * 2 + 1] = static_cast<uint8_t>(word >> 8);
        }
    }
    return bytes;
}

bool DecodeFontInfo(const std::vector<uint8_t>& bytes, std::vector<FontGlyphEntry>& entries) {
    if (bytes.size() != kFontInfoBytes) {
        return false;
    }
    entries.assign(256, FontGlyphEntry{});
    for (size_t i = 0; i < 256; ++i) {
        int16_t values[4];
        for (size_t v = 0; v < 4; ++v) {
            values[v] = static_cast<int16_t>(bytes[i * 8 + v * 2] | (bytes[i * 8 + v * 2 + 1] << 8));
        }
        entries[i] = FontGlyphEntry{values[0], values[1], values[2], values[3]};
    }
    return true;
}

uint32_t Cp1252ToUnicode(uint8_t code) {
    static const uint16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (code >= 0x80 && code <= 0x9F) {
        return kHigh[code - 0x80];
    }
    return code;
}
