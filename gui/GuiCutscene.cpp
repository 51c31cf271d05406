#include "gui/GuiCutscene.h"

#include "core/Log.h"
#include "gui/GuiArt.h"
#include "platform/Font.h"
#include "platform/Input.h"

#include <algorithm>

namespace {
constexpr float kCentreX = 320.0f;
// Lines wider than this are drawn smaller: they stay inside the frame of the field.
constexpr int32_t kWidestLine = 500;
constexpr int32_t kSmallestChar = 12;
// The shaded box reaches this far around the lines.
constexpr float kShadeMarginX = 36.0f, kShadeMarginY = 14.0f;
constexpr float kShadeMinWidth = 320.0f;

}  // namespace

bool CGuiCutscene::InitScreen() {
    m_lineCount = 0;
    if (!m_shade.Load(kShadingPicture.name)) {
        CLog::Get().Write("CGuiCutscene::InitScreen FAILED, picture: %s", kShadingPicture.name);
    }
    m_shade.SetBlend(true);
    return true;
}

void CGuiCutscene::Clear() {
    for (int32_t i = 0; i < m_lineCount; ++i) {
        RemoveWidget(&m_lines[i]);
    }
    m_lineCount = 0;
}

void CGuiCutscene::AddLine(const char* text, float y, int32_t charSize, bool dim) {
    if (m_lineCount >= kMaxLines) {
        return;
    }
    CGuiLabel& line = m_lines[m_lineCount];
    line.SetFont(&CFont::Main());
    line.AlignCentre();
    line.SetPos(static_cast<int32_t>(kCentreX), static_cast<int32_t>(y));
    line.SetColour(1.0f, 1.0f, dim ? 0.5f : 1.0f, 1.0f);
    line.StopSlide();
    line.SetVisible(true);
    int32_t size = charSize;
    line.SetFontSize(size, size);
    line.SetText(text);
    while (line.TextWidth() > kWidestLine && size > kSmallestChar) {
        --size;
        line.SetFontSize(size, size);
    }
    AddWidget(&line);
    ++m_lineCount;
}

void CGuiCutscene::SlideLine(int32_t index, float dx, float dy, float seconds) {
    if (index >= 0 && index < m_lineCount) {
        m_lines[index].SlideIn(dx, dy, seconds);
    }
}

void CGuiCutscene::Animate(float dt) {
    if (IsEntering()) {
        StepEntrySlide(dt);
    }
}

bool CGuiCutscene::DismissInput() {
    const CInput& input = CInput::Get();
    return input.MouseButtonHit(kMouseLeft) || input.MouseButtonHit(kMouseRight) ||
           input.MouseButtonHit(kMouseMiddle) || input.NavHit(ENavAction::Activate);
}

// A shaded box behind the lines, so that the text never competes with the scene.
void CGuiCutscene::RenderBackground() {
    if (m_lineCount == 0 || m_shade.GetWidth() <= 0.0f) {
        return;
    }
    float top = 480.0f, bottom = 0.0f, width = kShadeMinWidth;
    for (int32_t i = 0; i < m_lineCount; ++i) {
        const CGuiLabel& line = m_lines[i];
        const float y = static_cast<float>(line.Y()) + (line.IsSliding() ? line.SlideOffsetY() : 0.0f);
        top = std::min(top, y);
        bottom = std::max(bottom, y + static_cast<float>(std::max(line.H(), 16)));
        width = std::max(width, static_cast<float>(line.TextWidth()) + 2.0f * kShadeMarginX);
    }
    m_shade.SetSize(width, bottom - top + 2.0f * kShadeMarginY);
    m_shade.SetPos(kCentreX - width / 2.0f, top - kShadeMarginY);
    m_shade.Draw();
    m_shade.Draw();
}
