#pragma once
// CRC-32 with the reflected polynomial 0xEDB88320, table-driven, eight bytes at a time.
#include <cstddef>
#include <cstdint>

// Feeds bytes into a CRC register (no inversion on either side).
uint32_t Crc32Update(uint32_t reg, const uint8_t* data, size_t size);
// The register after a whole buffer, starting at 0xFFFFFFFF, without the final inversion:
// the value the start-up check compares the data archives against.
inline uint32_t Crc32Register(const uint8_t* data, size_t size) { return Crc32Update(0xFFFFFFFFu, data, size); }
// The usual CRC-32 (as stored in zip headers).
inline uint32_t Crc32(const uint8_t* data, size_t size) { return ~Crc32Register(data, size); }
