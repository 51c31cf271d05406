#pragma once
// The font layout of the baker: the font info file (resources/FontInfo.h) and the
// character set of the fonts.
#include "resources/FontInfo.h"

#include <cstdint>

// The Unicode code point of a Windows-1252 byte; 0 for the five codes 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t Cp1252ToUnicode(uint8_t code);
