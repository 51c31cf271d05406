#pragma once
// Lines of text that read over the pillars and the field: a dark shadow under the letters,
// and a font made smaller until a line fits its width.
#include <cstdint>

class CFont;

// text at (x, y) (centred on x when centred) in the colour, over a dark outline; the
// colour is white again afterwards.
void PrintLine(const CFont& font, const char* text, float x, float y, bool centred, float r, float g, float b);
// The font at a character size that fits text into width, from size down (not below 10).
void FitFont(CFont& font, const char* text, int32_t size, int32_t width);
