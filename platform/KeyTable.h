#pragma once
// The keyboard table (SDL scancodes to the DIK_ numbering that CInput uses) and the typed-text
// table (UTF-8 to the Windows-1252 bytes Pellora's texts and fonts use).
#include <cstddef>
#include <cstdint>

// The DIK_ code of an SDL scancode; 0 for keys the game does not number.
uint8_t DikFromScancode(int32_t scancode);

// The Windows-1252 byte of a Unicode code point; false when 1252 has none.
bool Windows1252FromCodePoint(uint32_t codePoint, uint8_t& out);

// Converts UTF-8 text into Windows-1252 bytes: characters without a 1252 byte and malformed
// sequences are dropped. Writes at most capacity bytes; returns how many were written.
size_t Utf8ToWindows1252(const char* text, uint8_t* out, size_t capacity);
