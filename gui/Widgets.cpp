#include "gui/Widgets.h"

#include "core/Log.h"
#include "engine/Engine.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "gui/GuiArt.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------- CGuiWidget

void CGuiWidget::OnMessage(EWidgetEvent event) {
    switch (event) {
        case EWidgetEvent::MouseEnter:
            m_hover = true;
            break;
        case EWidgetEvent::MouseLeave:
            m_hover = false;
            break;
        case EWidgetEvent::Click:
            if (m_toggleable) {
                m_toggled = !m_toggled;
            }
            break;
        default:
            break;
    }
}

bool CGuiWidget::SetText(const char* text) {
    if (text == nullptr || std::strlen(text) + 1 > static_cast<size_t>(kTextCapacity)) {
        return false;
    }
    std::memcpy(m_text, text, std::strlen(text) + 1);
    MeasureText();
    OnMessage(EWidgetEvent::TextChanged);
    return true;
}

void FitCaption(CGuiWidget& widget, const char* text, int32_t size, int32_t maxWidth) {
    for (int32_t s = size; s >= kMinFitCharSize; s -= kFitCharSizeStep) {
        widget.SetFontSize(s, s);
        widget.SetText(text);
        if (widget.TextWidth() <= maxWidth || s - kFitCharSizeStep < kMinFitCharSize) {
            return;
        }
    }
}

void CGuiWidget::SetNumber(int32_t number) {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", number);
    SetText(digits);
}

void CGuiWidget::SetPos(int32_t x, int32_t y) {
    m_x = x;
    m_y = y;
    OnMessage(EWidgetEvent::AlignmentChanged);
}

void CGuiWidget::Move(int32_t dx, int32_t dy) {
    m_x += dx;
    m_y += dy;
    OnMessage(EWidgetEvent::AlignmentChanged);
}

void CGuiWidget::SetSize(int32_t w, int32_t h) {
    m_w = w;
    m_h = h;
    if (m_centred) {
        m_textOffsetX = m_textWidth / 2;
    }
    OnMessage(EWidgetEvent::SizeChanged);
}

void CGuiWidget::AlignLeft() {
    m_left = true;
    m_centred = false;
    m_right = false;
    m_textOffsetX = 0;
    OnMessage(EWidgetEvent::AlignmentChanged);
}

void CGuiWidget::AlignRight() {
    m_right = true;
    m_left = false;
    m_centred = false;
    m_textOffsetX = 0;
    OnMessage(EWidgetEvent::AlignmentChanged);
}

void CGuiWidget::AlignCentre() {
    m_centred = true;
    m_left = false;
    m_right = false;
    m_textOffsetX = m_textWidth / 2;
    OnMessage(EWidgetEvent::AlignmentChanged);
}

void CGuiWidget::SetFontSize(int32_t w, int32_t h) {
    m_sizeOverride = w != -1;
    m_charWidth = w;
    m_charHeight = h;
    MeasureText();
}

void CGuiWidget::SetColour(float r, float g, float b, float a) {
    m_colour = GuiColour{r, g, b, a};
    m_hasColour = true;
}

void CGuiWidget::SetHoverColour(float r, float g, float b, float a) {
    m_hoverColour = GuiColour{r, g, b, a};
    m_hasHoverColour = true;
}

void CGuiWidget::SetToggleable(bool toggleable) {
    m_toggleable = toggleable;
    OnMessage(EWidgetEvent::ToggleableChanged);
}

void CGuiWidget::SlideIn(float dx, float dy, float seconds) {
    if (seconds <= 0.0f) {
        m_sliding = false;
        return;
    }
    const float step = CEngine::Get().GetFixedStep();
    m_offsetX = dx;
    m_offsetY = dy;
    m_velocityX = -dx / seconds * step;
    m_velocityY = -dy / seconds * step;
    m_remaining = seconds;
    m_sliding = true;
}

bool CGuiWidget::StepSlide(float dt) {
    if (!m_sliding) {
        return false;
    }
    m_remaining -= dt;
    if (m_remaining >= 0.0f) {
        m_offsetX += m_velocityX;
        m_offsetY += m_velocityY;
        return true;
    }
    m_sliding = false;
    return false;
}

void CGuiWidget::CopyStyle(const CGuiWidget& source) {
    m_textWidth = source.m_textWidth;
    m_centred = source.m_centred;
    m_left = source.m_left;
    m_right = source.m_right;
    m_toggleable = source.m_toggleable;
    m_toggled = false;
    m_playsSounds = source.m_playsSounds;
    m_x = source.m_x;
    m_y = source.m_y;
    m_w = source.m_w;
    m_h = source.m_h;
    m_textOffsetX = source.m_textOffsetX;
    m_textOffsetY = source.m_textOffsetY;
    m_font = source.m_font;
    m_sizeOverride = source.m_sizeOverride;
    m_charWidth = source.m_charWidth;
    m_charHeight = source.m_charHeight;
    m_hasColour = source.m_hasColour;
    m_hasHoverColour = source.m_hasHoverColour;
    m_colour = source.m_colour;
    m_hoverColour = source.m_hoverColour;
    m_sliding = source.m_sliding;
    m_offsetX = source.m_offsetX;
    m_offsetY = source.m_offsetY;
    m_velocityX = source.m_velocityX;
    m_velocityY = source.m_velocityY;
    m_remaining = source.m_remaining;
    m_visible = source.m_visible;
}

GuiBox CGuiWidget::CaptionBox() const {
    GuiBox box;
    if (m_font == nullptr || m_text[0] == '\0') {
        return box;
    }
    ApplyFontSize();
    if (m_left) {
        box.left = m_x + m_textOffsetX;
    } else if (m_right) {
        box.left = m_x + m_w - m_textOffsetX - m_textWidth;
    } else {
        box.left = (m_toggleable ? m_x + m_textOffsetX : m_x) - m_textWidth / 2;
    }
    box.right = box.left + m_textWidth;
    box.top = m_y + m_textOffsetY;
    box.bottom = box.top + m_font->GetCharHeight();
    return box;
}

void DrawFocusMarks(const GuiBox& box) {
    constexpr int32_t kGap = 6;
    const int32_t height = std::clamp(box.bottom - box.top, 12, 30);
    CFont& font = CFont::Main();
    font.SetCharSize(height * 3 / 4, height);
    const int32_t markWidth = font.Measure(">");
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Color(kFocusMarkColour.r, kFocusMarkColour.g, kFocusMarkColour.b, kFocusMarkColour.a);
    const float y = static_cast<float>(box.top + (box.bottom - box.top - height) / 2);
    font.Print(">", static_cast<float>(box.left - kGap - markWidth), y);
    font.Print("<", static_cast<float>(box.right + kGap), y);
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    font.ResetCharSize();
}

void CGuiWidget::ApplyFontSize() const {
    if (m_font == nullptr) {
        return;
    }
    if (m_sizeOverride) {
        m_font->SetCharSize(m_charWidth, m_charHeight);
    } else {
        m_font->ResetCharSize();
    }
}

void CGuiWidget::MeasureText() {
    if (m_font == nullptr) {
        m_textWidth = 0;
        return;
    }
    ApplyFontSize();
    m_textWidth = m_font->Measure(m_text);
    if (m_centred) {
        m_textOffsetX = m_textWidth / 2;
    }
}

void CGuiWidget::DrawCaption(bool highlight) const {
    if (m_font == nullptr) {
        return;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    const float slideX = m_sliding ? m_offsetX : 0.0f;
    const float slideY = m_sliding ? m_offsetY : 0.0f;
    bool coloured = false;
    if (highlight && m_hasHoverColour) {
        gfx.Color(m_hoverColour.r, m_hoverColour.g, m_hoverColour.b, m_hoverColour.a);
        coloured = true;
    } else if (m_hasColour) {
        gfx.Color(m_colour.r, m_colour.g, m_colour.b, m_colour.a);
        coloured = true;
    }
    ApplyFontSize();
    const float y = static_cast<float>(m_y + m_textOffsetY) + slideY;
    if (m_left) {
        m_font->Print(m_text, static_cast<float>(m_x + m_textOffsetX) + slideX, y);
    } else if (m_right) {
        m_font->PrintRightIn(m_text, static_cast<float>(m_x + m_w - m_textOffsetX) + slideX, y, m_textWidth);
    } else {
        const int32_t x = m_toggleable ? m_x + m_textOffsetX : m_x;
        m_font->PrintCenteredIn(m_text, static_cast<float>(x) + slideX, y, m_textWidth);
    }
    if (coloured) {
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
}

void CGuiWidget::BroadcastCommand() const {
    if (m_command != kNoCommand) {
        CEngine::Get().BroadcastMessage(m_command, m_commandParam);
    }
}

// ---------------------------------------------------------------- CGuiLabel

void CGuiLabel::Render() {
    if (m_text[0] != '\0') {
        DrawCaption(false);
    }
}

// ---------------------------------------------------------------- CGuiButton

void CGuiButton::Render() {
    if (m_text[0] != '\0') {
        DrawCaption(m_hover || (m_toggleable && m_toggled));
    }
}

bool CGuiButton::HitTest(int32_t px, int32_t py) const {
    if (py < m_y || py > m_y + m_h) {
        return false;
    }
    if (m_left) {
        return px >= m_x && px <= m_x + m_w;
    }
    if (m_centred) {
        return px >= m_x - m_textOffsetX && px <= m_x + m_textOffsetX;
    }
    return false;
}

void CGuiButton::OnMessage(EWidgetEvent event) {
    CGuiWidget::OnMessage(event);
    if (event == EWidgetEvent::TextChanged && m_font != nullptr) {
        SetSize(m_textWidth, m_font->GetCharHeight());
    } else if (event == EWidgetEvent::Click) {
        BroadcastCommand();
    }
}

// ---------------------------------------------------------------- CGuiImage

bool CGuiImage::LoadPicture(const char* name, bool blend) {
    if (!m_sprite.Load(name)) {
        CLog::Get().Write("CGuiImage::LoadPicture FAILED, picture: %s", name);
        return false;
    }
    m_sprite.SetBlend(blend);
    m_hasPicture = true;
    SetSize(static_cast<int32_t>(m_sprite.GetWidth()), static_cast<int32_t>(m_sprite.GetHeight()));
    return true;
}

void CGuiImage::LoadRegion(const TextureHandle& texture, float width, float height, float uLeft, float vTop, float uRight,
                           float vBottom, int32_t columns, float frameU, float frameV) {
    m_sprite.LoadRegion(texture, width, height, uLeft, vTop, uRight, vBottom);
    if (columns > 1) {
        m_sprite.SetFrameGrid(columns, 1, frameU, frameV);
    }
    m_sprite.SetBlend(true);
    m_hasPicture = true;
    SetSize(static_cast<int32_t>(width), static_cast<int32_t>(height));
}

void CGuiImage::SetTint(float r, float g, float b, float a) {
    m_tint = GuiColour{r, g, b, a};
}

void CGuiImage::PlaceSprite() {
    if (m_right) {
        m_sprite.SetPos(m_x - m_w, m_y);
    } else if (m_centred) {
        m_textOffsetX = m_w / 2;
        m_sprite.SetPos(m_x - m_w / 2, m_y);
    } else {
        m_sprite.SetPos(m_x, m_y);
    }
}

void CGuiImage::OnMessage(EWidgetEvent event) {
    CGuiWidget::OnMessage(event);
    switch (event) {
        case EWidgetEvent::MouseEnter:
            m_sprite.SetFrame(1);
            break;
        case EWidgetEvent::MouseLeave:
            m_sprite.SetFrame(0);
            break;
        case EWidgetEvent::Click:
            BroadcastCommand();
            break;
        case EWidgetEvent::SizeChanged:
            if (m_hasPicture) {
                m_sprite.SetSize(m_w, m_h);
            }
            OnMessage(EWidgetEvent::AlignmentChanged);
            break;
        case EWidgetEvent::AlignmentChanged:
            PlaceSprite();
            break;
        case EWidgetEvent::ToggleableChanged:
            if (m_centred) {
                const float spriteWidth = m_sprite.GetWidth();
                m_sprite.SetPos(static_cast<float>(m_x) - (static_cast<float>(m_textWidth) + spriteWidth + 10.0f) / 2.0f,
                                static_cast<float>(m_y));
                m_textOffsetX = 10 + static_cast<int32_t>(spriteWidth / 2.0f);
                m_textOffsetY = 0;
            }
            break;
        default:
            break;
    }
}

bool CGuiImage::HitTest(int32_t px, int32_t py) const {
    if (py < m_y || py > m_y + m_h) {
        return false;
    }
    if (m_toggleable) {
        const float left = m_sprite.GetX();
        const float x = static_cast<float>(px);
        return x >= left && x <= left + static_cast<float>(m_textWidth + m_textOffsetX);
    }
    if (m_left) {
        return px >= m_x && px <= m_x + m_w;
    }
    if (m_centred) {
        return px >= m_x - m_w / 2 && px <= m_x + m_w / 2;
    }
    return false;
}

void CGuiImage::Render() {
    if (m_toggleable) {
        m_sprite.SetFrame((m_toggled ? 1 : 0) + (m_hover ? 2 : 0));
        if (m_text[0] != '\0') {
            DrawCaption(m_hover);
        }
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    const float slideX = m_sliding ? m_offsetX : 0.0f;
    const float slideY = m_sliding ? m_offsetY : 0.0f;
    if (!m_hasPicture) {
        return;
    }
    m_sprite.Move(slideX, slideY);
    if (m_tinted) {
        gfx.Color(m_tint.r, m_tint.g, m_tint.b, m_tint.a);
    }
    m_sprite.Draw();
    if (m_tinted) {
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
    m_sprite.Move(-slideX, -slideY);
}

// ---------------------------------------------------------------- CGuiSlider

void CGuiSlider::LoadPieces() {
    const GuiPicture pieces[4] = {kSliderLeftPicture, kSliderMiddlePicture, kSliderRightPicture, kSliderKnobPicture};
    CSprite* sprites[4] = {&m_leftEnd, &m_middle, &m_rightEnd, &m_knob};
    // The middle piece is uniform across, so it stretches to the whole track.
    const int32_t widths[4] = {kEndWidth, kTrackWidth - 2 * kEndWidth, kEndWidth, kKnobSize};
    const int32_t heights[4] = {kTrackHeight, kTrackHeight, kTrackHeight, kKnobSize};
    for (int32_t i = 0; i < 4; ++i) {
        if (!sprites[i]->Load(pieces[i].name)) {
            // Drawn as nothing; the track still answers the mouse at its place.
            CLog::Get().Write("CGuiSlider::LoadPieces FAILED, picture: %s", pieces[i].name);
            continue;
        }
        sprites[i]->SetFrameSize(pieces[i].frameWidth, pieces[i].frameHeight);
        sprites[i]->SetBlend(true);
        sprites[i]->SetSize(widths[i], heights[i]);
    }
    SetFrames(0);
    LayOut();
}

void CGuiSlider::LayOut() {
    m_w = kTrackWidth;
    m_h = kTrackHeight;
    int32_t left = m_x;
    if (m_right) {
        left = m_x - m_w;
    } else if (m_centred) {
        m_textOffsetX = m_w / 2;
        left = m_x - m_w / 2;
    }
    const float top = static_cast<float>(m_y);
    m_leftEnd.SetPos(static_cast<float>(left), top);
    m_middle.SetPos(static_cast<float>(left + kEndWidth), top);
    m_rightEnd.SetPos(static_cast<float>(left + kTrackWidth - kEndWidth), top);
    PlaceKnob();
}

void CGuiSlider::SetValue(float value) {
    m_value = value < 0.0f ? 0.0f : (value > 100.0f ? 100.0f : value);
    PlaceKnob();
}

void CGuiSlider::PlaceKnob() {
    const float middleWidth = static_cast<float>(kTrackWidth - 2 * kEndWidth);
    m_knob.SetPos(m_middle.GetX() + middleWidth * m_value * 0.01f - static_cast<float>(kKnobSize) * 0.5f,
                  m_middle.GetY() + m_knobDrop);
}

void CGuiSlider::SetFrames(int32_t frame) {
    m_leftEnd.SetFrame(frame);
    m_middle.SetFrame(frame);
    m_rightEnd.SetFrame(frame);
    m_knob.SetFrame(frame);
}

bool CGuiSlider::HitTest(int32_t px, int32_t py) const {
    const float x = static_cast<float>(px);
    const float y = static_cast<float>(py);
    const float left = m_leftEnd.GetX();
    const float right = m_rightEnd.GetX() + static_cast<float>(kEndWidth);
    const float top = m_middle.GetY();
    const float bottom = top + static_cast<float>(kTrackHeight);
    return x >= left && x <= right && y >= top && y <= bottom;
}

void CGuiSlider::OnMessage(EWidgetEvent event) {
    CGuiWidget::OnMessage(event);
    switch (event) {
        case EWidgetEvent::MouseEnter:
            SetFrames(1);
            break;
        case EWidgetEvent::MouseLeave:
            SetFrames(0);
            break;
        case EWidgetEvent::AlignmentChanged:
            LayOut();
            break;
        case EWidgetEvent::Click:
            FollowMouse(true);
            break;
        case EWidgetEvent::Drag:
            FollowMouse(false);
            break;
        default:
            break;
    }
}

void CGuiSlider::FollowMouse(bool always) {
    const float middleWidth = static_cast<float>(kTrackWidth - 2 * kEndWidth);
    const float before = m_value;
    SetValue((CMouseCursor::Get().GetX() - m_middle.GetX()) / middleWidth * 100.0f);
    if (always || m_value != before) {
        BroadcastCommand();
    }
}

void CGuiSlider::Render() {
    const float slideX = m_sliding ? m_offsetX : 0.0f;
    const float slideY = m_sliding ? m_offsetY : 0.0f;
    CSprite* pieces[4] = {&m_leftEnd, &m_middle, &m_rightEnd, &m_knob};
    for (CSprite* piece : pieces) {
        piece->Move(slideX, slideY);
        piece->Draw();
        piece->Move(-slideX, -slideY);
    }
}

bool CGuiSlider::StepValue(int32_t direction) {
    SetValue(m_value + kKeyStep * static_cast<float>(direction));
    BroadcastCommand();
    return true;
}
