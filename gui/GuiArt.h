#pragma once
// Every picture the screens draw, by its name in gfx.nuf and the size of one frame.
// The screens take their art from here only, so a change of the art is made in one place.

struct GuiPicture {
    const char* name;
    float frameWidth;    // 0: the whole picture is one frame
    float frameHeight;
};

// The menus' backdrop: the scene of the field without the field.
constexpr GuiPicture kBackgroundPicture = {"bakgrund", 0.0f, 0.0f};
constexpr GuiPicture kFramePicture = {"stolpar", 0.0f, 0.0f};
constexpr GuiPicture kBorderPicture = {"border", 0.0f, 0.0f};
constexpr GuiPicture kBottomPicture = {"bottom", 0.0f, 0.0f};
constexpr GuiPicture kShadingPicture = {"dark", 0.0f, 0.0f};
// Where the scene's pieces sit.
constexpr float kFrameLeft = 64.0f, kFrameTop = 2.0f;
constexpr float kBorderLeft = 157.0f, kBorderHeight = 32.0f;
constexpr float kBottomTop = 450.0f, kBottomWidth = 320.0f;

// The title logo of the menus, centred at (320, 40).
constexpr GuiPicture kLogoPicture = {"logga", 0.0f, 0.0f};
// The studio mark of the intro, stretched over the whole screen.
constexpr GuiPicture kIntroPicture = {"qvt_logo", 0.0f, 0.0f};

// The slider's four pieces, each in two frames (normal, hovered).
constexpr GuiPicture kSliderLeftPicture = {"slider_left", 10.0f, 32.0f};
constexpr GuiPicture kSliderMiddlePicture = {"slider_middle", 32.0f, 32.0f};
constexpr GuiPicture kSliderRightPicture = {"slider_right", 10.0f, 32.0f};
constexpr GuiPicture kSliderKnobPicture = {"slider_knob", 24.0f, 24.0f};
