#include "resources/FontInfo.h"

#include "resources/LittleEndian.h"

std::vector<uint8_t> EncodeFontInfo(const std::vector<FontGlyphInfo>& entries) {
    std::vector<uint8_t> bytes(kFontInfoBytes, 0);
    for (size_t i = 0; i < entries.size() && i < kFontInfoGlyphs; ++i) {
        uint8_t* record = bytes.data() + i * 8;
        WriteLe16(record + 0, static_cast<uint16_t>(entries[i].texX));
        WriteLe16(record + 2, static_cast<uint16_t>(entries[i].leftSpace));
        WriteLe16(record + 4, static_cast<uint16_t>(entries[i].glyphWidth));
        WriteLe16(record + 6, static_cast<uint16_t>(entries[i].rightSpace));
    }
    return bytes;
}

bool DecodeFontInfo(const std::vector<uint8_t>& bytes, std::vector<FontGlyphInfo>& entries) {
    if (bytes.size() != kFontInfoBytes) {
        return false;
    }
    entries.assign(kFontInfoGlyphs, FontGlyphInfo{});
    for (size_t i = 0; i < kFontInfoGlyphs; ++i) {
        const uint8_t* record = bytes.data() + i * 8;
        entries[i] = FontGlyphInfo{static_cast<int16_t>(ReadLe16(record + 0)), static_cast<int16_t>(ReadLe16(record + 2)),
                                   static_cast<int16_t>(ReadLe16(record + 4)), static_cast<int16_t>(ReadLe16(record + 6))};
    }
    return true;
}
