#include "gui/OutlinedText.h"

#include "platform/Font.h"
#include "platform/Gfx.h"

namespace {
// A dark shadow under the text. One copy down and right, one up and left: a fuller outline
// would double what the screen's text costs the software renderer.
void PrintOutlined(const CFont& font, const char* text, float x, float y, bool centred) {
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Color(0.0f, 0.0f, 0.0f, 1.0f);
    constexpr float kOutline[][2] = {{-1.0f, -1.0f}, {2.0f, 2.0f}};
    for (const auto& offset : kOutline) {
        if (centred) {
            font.PrintCentered(text, x + offset[0], y + offset[1]);
        } else {
            font.Print(text, x + offset[0], y + offset[1]);
        }
    }
}
}  // namespace

void PrintLine(const CFont& font, const char* text, float x, float y, bool centred, float r, float g, float b) {
    PrintOutlined(font, text, x, y, centred);
    CGfxOGL::Get().Color(r, g, b, 1.0f);
    if (centred) {
        font.PrintCentered(text, x, y);
    } else {
        font.Print(text, x, y);
    }
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 1.0f);
}

void FitFont(CFont& font, const char* text, int32_t size, int32_t width) {
    font.SetCharSize(size, size);
    while (size > 10 && font.Measure(text) > width) {
        size -= 2;
        font.SetCharSize(size, size);
    }
}
