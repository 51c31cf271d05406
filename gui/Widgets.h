#pragma once
// The widgets every screen shows: text captions, clickable text items, pictures, the
// volume slider. Widgets are plain members of the screen that shows them; the screen's
// widget list (CGuiState) only points at them. Nothing here allocates after set-up.
#include "platform/Sprite.h"

#include <cstdint>

class CFont;

// Notifications a widget receives through OnMessage.
enum class EWidgetEvent : int32_t {
    MouseEnter = 1,
    MouseLeave = 2,
    TextChanged = 3,
    Click = 4,
    SizeChanged = 5,
    AlignmentChanged = 6,
    ToggleableChanged = 7,
    // The left button, pressed on a widget that follows drags, is still held this step.
    Drag = 8,
};

// A rectangle of screen pixels, right and bottom exclusive.
struct GuiBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct GuiColour {
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
};

// The keys' and the pad's focus is marked by a small arrow on either side of its item, in
// the focus colour, so that it never reads as the gold mark of the current or chosen item.
constexpr GuiColour kFocusMarkColour{1.0f, 1.0f, 0.0f, 1.0f};
void DrawFocusMarks(const GuiBox& box);

class CGuiWidget {
public:
    static constexpr int32_t kTextCapacity = 128;   // 127 characters and the NUL
    static constexpr int32_t kNoCommand = -1;

    CGuiWidget() = default;
    virtual ~CGuiWidget() = default;
    CGuiWidget(const CGuiWidget&) = delete;
    CGuiWidget& operator=(const CGuiWidget&) = delete;

    // Whether the widget can be hovered and clicked.
    virtual bool IsSelectable() const = 0;
    // Whether a press on the widget is followed (Drag events) until the button is released.
    virtual bool FollowsDrag() const { return false; }
    virtual void Render() {}
    virtual bool HitTest(int32_t px, int32_t py) const { return false; }
    virtual void OnMessage(EWidgetEvent event);
    // Left and Right on a focused widget that has a value (a slider); false when it has none.
    virtual bool StepValue(int32_t direction) { return false; }
    virtual bool IsStepped() const { return false; }

    // Refused (the old caption stays) when longer than 127 characters.
    bool SetText(const char* text);
    void SetNumber(int32_t number);
    void SetPos(int32_t x, int32_t y);
    void Move(int32_t dx, int32_t dy);
    void SetSize(int32_t w, int32_t h);
    void AlignLeft();
    void AlignRight();
    void AlignCentre();
    void SetFont(CFont* font) { m_font = font; }
    // w = -1 switches the override off; the caption is measured again.
    void SetFontSize(int32_t w, int32_t h);
    void SetColour(float r, float g, float b, float a);
    void SetHoverColour(float r, float g, float b, float a);
    void SetCommand(int32_t command) { m_command = command; }
    void SetCommandParam(int32_t param) { m_commandParam = param; }
    void SetToggled(bool toggled) { m_toggled = toggled; }
    void SetToggleable(bool toggleable);
    void SetPlaysSounds(bool plays) { m_playsSounds = plays; }
    void SetVisible(bool visible) { m_visible = visible; }
    // The entry animation: drawn (dx, dy) away from its place, arriving in `seconds`.
    void SlideIn(float dx, float dy, float seconds);
    void StopSlide() { m_sliding = false; }
    // One fixed step of the entry animation; true while the widget still moves.
    bool StepSlide(float dt);
    // Layout and style of another widget, without its caption, command, hover or the
    // derived classes' own fields.
    void CopyStyle(const CGuiWidget& source);

    const char* Text() const { return m_text; }
    int32_t X() const { return m_x; }
    int32_t Y() const { return m_y; }
    int32_t W() const { return m_w; }
    int32_t H() const { return m_h; }
    int32_t TextWidth() const { return m_textWidth; }
    int32_t TextOffsetX() const { return m_textOffsetX; }
    int32_t TextOffsetY() const { return m_textOffsetY; }
    bool IsCentred() const { return m_centred; }
    bool IsLeft() const { return m_left; }
    bool IsRight() const { return m_right; }
    bool IsHovered() const { return m_hover; }
    bool IsToggled() const { return m_toggled; }
    bool IsToggleable() const { return m_toggleable; }
    bool PlaysSounds() const { return m_playsSounds; }
    bool IsVisible() const { return m_visible; }
    bool IsSliding() const { return m_sliding; }
    float SlideOffsetX() const { return m_offsetX; }
    float SlideOffsetY() const { return m_offsetY; }
    int32_t Command() const { return m_command; }
    int32_t CommandParam() const { return m_commandParam; }
    CFont* Font() const { return m_font; }
    const GuiColour& Colour() const { return m_colour; }
    const GuiColour& HoverColour() const { return m_hoverColour; }
    bool HasColour() const { return m_hasColour; }
    // Where the caption is drawn at rest (without the entry slide): its measured width and
    // the character height it is printed at; empty without a font or caption.
    GuiBox CaptionBox() const;

protected:
    void MeasureText();
    // The caption in its colour and size at its alignment, under the slide offset.
    void DrawCaption(bool highlight) const;
    // Sends the command of a click to every state of both layers.
    void BroadcastCommand() const;
    void ApplyFontSize() const;

    int32_t m_x = 0, m_y = 0, m_w = 0, m_h = 0;
    bool m_centred = false;
    bool m_left = true;
    bool m_right = false;
    bool m_hover = false;
    bool m_toggled = false;
    bool m_toggleable = false;
    bool m_playsSounds = true;
    int32_t m_command = kNoCommand;
    int32_t m_commandParam = 0;
    int32_t m_textWidth = 0;
    int32_t m_textOffsetX = 0, m_textOffsetY = 0;
    CFont* m_font = nullptr;
    bool m_hasColour = false;
    bool m_hasHoverColour = false;
    GuiColour m_colour;
    GuiColour m_hoverColour;
    bool m_sizeOverride = false;
    int32_t m_charWidth = -1, m_charHeight = -1;
    bool m_sliding = false;
    float m_offsetX = 0.0f, m_offsetY = 0.0f;
    float m_velocityX = 0.0f, m_velocityY = 0.0f;
    float m_remaining = 0.0f;
    char m_text[kTextCapacity] = {};
    bool m_visible = true;
};

// The smallest character size FitCaption goes down to; it steps by two, through the sizes
// the fonts are baked to print well at (data/art/fonts.txt).
constexpr int32_t kMinFitCharSize = 16;
constexpr int32_t kFitCharSizeStep = 2;
// Sets the caption at the largest square character size from `size` down (to
// kMinFitCharSize) at which it is at most maxWidth pixels wide.
void FitCaption(CGuiWidget& widget, const char* text, int32_t size, int32_t maxWidth);

class CGuiLabel : public CGuiWidget {
public:
    bool IsSelectable() const override { return false; }
    void Render() override;
};

class CGuiButton : public CGuiWidget {
public:
    bool IsSelectable() const override { return m_selectable; }
    void Render() override;
    bool HitTest(int32_t px, int32_t py) const override;
    void OnMessage(EWidgetEvent event) override;
    void SetSelectable(bool selectable) { m_selectable = selectable; }

private:
    bool m_selectable = true;
};

class CGuiImage : public CGuiWidget {
public:
    bool IsSelectable() const override { return false; }
    void Render() override;
    bool HitTest(int32_t px, int32_t py) const override;
    void OnMessage(EWidgetEvent event) override;
    // Shows a picture at its own size; false (logged) when it does not load, and the
    // widget then draws nothing.
    bool LoadPicture(const char* name, bool blend);
    // Shows a region of a shared texture (an icon of the atlas), width x height pixels,
    // blended, with frames of frameU x frameV texels side by side (0: one frame).
    void LoadRegion(const TextureHandle& texture, float width, float height, float uLeft, float vTop, float uRight,
                    float vBottom, int32_t columns, float frameU, float frameV);
    void SetTint(float r, float g, float b, float a);
    void SetTinted(bool tinted) { m_tinted = tinted; }
    bool IsTinted() const { return m_tinted; }
    const GuiColour& Tint() const { return m_tint; }
    const CSprite& Sprite() const { return m_sprite; }

protected:
    void PlaceSprite();

    bool m_hasPicture = false;
    bool m_tinted = false;
    GuiColour m_tint;
    CSprite m_sprite;
};

class CGuiImageButton : public CGuiImage {
public:
    bool IsSelectable() const override { return true; }
};

class CGuiSlider : public CGuiWidget {
public:
    static constexpr int32_t kTrackWidth = 250;
    static constexpr int32_t kEndWidth = 10;
    static constexpr int32_t kTrackHeight = 32;
    static constexpr int32_t kKnobSize = 24;

    bool IsSelectable() const override { return true; }
    bool FollowsDrag() const override { return true; }
    void Render() override;
    bool HitTest(int32_t px, int32_t py) const override;
    void OnMessage(EWidgetEvent event) override;
    // Moves the knob kKeyStep towards 0 (direction -1) or 100 (1) and sends the command.
    bool StepValue(int32_t direction) override;
    bool IsStepped() const override { return true; }
    static constexpr float kKeyStep = 5.0f;
    // Loads the four pieces and lays the 250 x 32 track out at the widget's alignment.
    void LoadPieces();
    // Lays the pieces out at the position and alignment (after a move or a CopyStyle).
    void LayOut();
    void SetValue(float value);
    float Value() const { return m_value; }
    // The left edge of the middle piece and its width, where 0 and 100 lie.
    float MiddleLeft() const { return m_middle.GetX(); }
    float MiddleWidth() const { return m_middle.GetWidth(); }
    float KnobLeft() const { return m_knob.GetX(); }

private:
    void PlaceKnob();
    void SetFrames(int32_t frame);
    // Moves the knob under the mouse; the command is sent when the value changed (or always).
    void FollowMouse(bool always);

    float m_value = 50.0f;
    float m_knobDrop = 4.0f;
    CSprite m_leftEnd;
    CSprite m_middle;
    CSprite m_rightEnd;
    CSprite m_knob;
};
