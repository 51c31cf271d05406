#include "resources/Crc32.h"

#include <array>

namespace {
// Eight tables: table[k][b] is the register change of byte b followed by k zero bytes, so
// eight bytes are folded in with eight lookups and no dependency from byte to byte.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables MakeTables() {
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        }
        tables[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        for (size_t k = 1; k < 8; ++k) {
            const uint32_t previous = tables[k - 1][i];
            tables[k][i] = tables[0][previous & 0xFFu] ^ (previous >> 8);
        }
    }
    return tables;
}
constexpr CrcTables kTables = MakeTables();

uint32_t Load32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
}  // namespace

uint32_t Crc32Update(uint32_t reg, const uint8_t* data, size_t size) {
    while (size >= 8) {
        const uint32_t low = Load32(data) ^ reg;
        const uint32_t high = Load32(data + 4);
        reg = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^ kTables[5][(low >> 16) & 0xFFu] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^ kTables[2][(high >> 8) & 0xFFu] ^
              kTables[1][(high >> 16) & 0xFFu] ^ kTables[0][high >> 24];
        data += 8;
        size -= 8;
    }
    for (size_t i = 0; i < size; ++i) {
        reg = kTables[0][(reg ^ data[i]) & 0xFFu] ^ (reg >> 8);
    }
    return reg;
}
