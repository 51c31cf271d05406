#include "gui/NoticeBar.h"

#include "platform/Font.h"
#include "platform/Gfx.h"
#include "profile/Notices.h"

namespace {
float g_shownFor = 0.0f;

// Centred at x = 320, narrowed to kNoticeWidth when it is wider, white inside a dark outline
// so that it reads over any picture (the title logo, a bright field).
void PrintLine(CFont& font, const std::string& text, float y) {
    if (text.empty()) {
        return;
    }
    const int32_t width = font.Measure(text.c_str());
    if (width > kNoticeWidth) {
        font.SetCharSize(font.GetCharWidth() * kNoticeWidth / width, font.GetCharHeight() * kNoticeWidth / width);
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Color(0.0f, 0.0f, 0.0f, 1.0f);
    constexpr float kOutline[][2] = {{-1.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, -1.0f}, {0.0f, 1.0f},
                                     {-1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}, {2.0f, 2.0f}};
    for (const auto& offset : kOutline) {
        font.PrintCentered(text.c_str(), 320.0f + offset[0], y + offset[1]);
    }
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    font.PrintCentered(text.c_str(), 320.0f, y);
    font.ResetCharSize();
}
}  // namespace

void UpdateNoticeBar(float dt) {
    if (CurrentNotice() == nullptr) {
        g_shownFor = 0.0f;
        return;
    }
    g_shownFor += dt;
    if (g_shownFor >= kNoticeSeconds) {
        DropCurrentNotice();
        g_shownFor = 0.0f;
    }
}

void RenderNoticeBar() {
    const Notice* notice = CurrentNotice();
    if (notice == nullptr) {
        return;
    }
    CFont& font = CFont::Small();
    PrintLine(font, notice->first, kNoticeFirstLineY);
    PrintLine(font, notice->second, kNoticeSecondLineY);
}

bool NoticeBarShown() {
    return CurrentNotice() != nullptr;
}
