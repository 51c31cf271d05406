#pragma once
// CGuiScreen: what the menu-like screens share: the animated playfield backdrop, the title
// logo, the current-player footer and the common item style (the main font, centred,
// yellow under the mouse).
#include "gui/GuiState.h"
#include "gui/MenuBackdrop.h"

class CGuiScreen : public CGuiState {
public:
    void Update(float dt) override;

protected:
    static constexpr int32_t kCentreX = 320;

    // The pad's B does what Escape does on the screen.
    bool OnBackButton() override {
        OnEscape();
        return true;
    }

    void RenderBackground() override { m_backdrop.Render(); }

    // The backdrop in backdrop mode.
    void PrepareBackdrop() { m_backdrop.Prepare(); }
    // The mouse cursor stays on the 640 x 480 screen.
    static void LimitCursor();
    // The start of the menus: the return screen, the menu music, the backdrop, the cursor.
    void StartMenu(int32_t ownStateId);
    // The common item style: main font at its own size, centred on (x, y), yellow under
    // the mouse; the caption is set last so that it is measured in that style.
    static void StyleItem(CGuiWidget& widget, const char* text, int32_t x, int32_t y);
    // The next item of a column: the style of the one above, moved down by dy.
    static void NextItem(CGuiWidget& widget, const CGuiWidget& above, const char* text, int32_t dy);
    // The title logo centred at (320, 40).
    static void BuildLogo(CGuiImage& logo);
    // "Current Player" at (320, 380) and the player's name (a button to the player
    // selection) at (320, 400).
    static void BuildFooter(CGuiLabel& caption, CGuiButton& name);

    CMenuBackdrop m_backdrop;
};

// The screens' command numbers besides the state numbers.
constexpr int32_t kCommandToggleChildMode = 2001;
constexpr int32_t kCommandSoundVolume = 2002;
constexpr int32_t kCommandMusicVolume = 2003;
constexpr int32_t kCommandLeave = 4001;
constexpr int32_t kCommandOk = 4003;
