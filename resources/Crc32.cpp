#include "resources/Crc32.h"

#include <array>

namespace {
constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        }
        table[i] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kTable = MakeTable();
}  // namespace

uint32_t Crc32Update(uint32_t reg, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        reg = kTable[(reg ^ data[i]) & 0xFFu] ^ (reg >> 8);
    }
    return reg;
}
