#pragma once
// CGuiScreen: what the menu-like screens share: the animated playfield backdrop, the title
// logo, the current-player footer and the common item style (the main font, centred,
// yellow under the mouse).
#include "gui/GuiState.h"
#include "gui/MenuBackdrop.h"

#include <initializer_list>

class CGuiScreen : public CGuiState {
public:
    void Update(float dt) override;

protected:
    static constexpr int32_t kCentreX = 320;
    // The captions of a screen stay on the open field between the frame's pillars, clear
    // of their edges, and above the deck under it.
    static constexpr int32_t kFieldTextWidth = 310;
    // The row of the items that leave a screen (OK, Cancel, Go back), above the deck.
    static constexpr int32_t kBottomItemY = 362;
    // Two items side by side on that row, centred here, each at most this wide, so that
    // they read as two.
    static constexpr int32_t kLeftItemX = 240;
    static constexpr int32_t kRightItemX = 400;
    static constexpr int32_t kPairItemWidth = 136;
    // The main font's own character size.
    static constexpr int32_t kItemCharSize = 32;

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
    // The common item style with the caption made smaller, from `size` down, until it is
    // at most maxWidth wide.
    static void StyleFittedItem(CGuiWidget& widget, const char* text, int32_t x, int32_t y,
                                int32_t maxWidth = kFieldTextWidth, int32_t size = kItemCharSize);
    // Adds a menu's column of widgets, top first; each slides in from 500 pixels below, the
    // first after 0.1 s and each next one 0.1 s later.
    void AddSlidingColumn(std::initializer_list<CGuiWidget*> column);
    // The title logo centred at (320, 40).
    static void BuildLogo(CGuiImage& logo);
    // "Current Player" and below it the player's name (a button to the player selection),
    // above the deck, and the deck left free.
    static void BuildFooter(CGuiLabel& caption, CGuiButton& name);

    CMenuBackdrop m_backdrop;
};

// The screens' command numbers besides the state numbers.
constexpr int32_t kCommandToggleChildMode = 2001;
constexpr int32_t kCommandSoundVolume = 2002;
constexpr int32_t kCommandMusicVolume = 2003;
constexpr int32_t kCommandLanguageEnglish = 2004;
constexpr int32_t kCommandLanguageSwedish = 2005;
constexpr int32_t kCommandOk = 4003;
