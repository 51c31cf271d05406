#include "gui/GuiScreen.h"

#include "gui/GuiArt.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Input.h"
#include "platform/Sound.h"
#include "profile/Language.h"
#include "profile/Players.h"

void CGuiScreen::Update(float dt) {
    CGuiState::Update(dt);
    if (IsActive()) {
        m_backdrop.Update(dt);
    }
}

void CGuiScreen::LimitCursor() {
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
}

void CGuiScreen::StartMenu(int32_t ownStateId) {
    g_returnScreen = ownStateId;
    g_levelFileName = "1.lvl";
    StartMenuMusic();
    PrepareBackdrop();
    LimitCursor();
}

void CGuiScreen::StyleItem(CGuiWidget& widget, const char* text, int32_t x, int32_t y) {
    widget.SetFont(&CFont::Main());
    widget.SetHoverColour(1.0f, 1.0f, 0.0f, 1.0f);
    widget.AlignCentre();
    widget.SetPos(x, y);
    widget.SetText(text);
}

void CGuiScreen::NextItem(CGuiWidget& widget, const CGuiWidget& above, const char* text, int32_t dy) {
    widget.CopyStyle(above);
    widget.Move(0, dy);
    widget.SetText(text);
}

void CGuiScreen::StyleFittedItem(CGuiWidget& widget, const char* text, int32_t x, int32_t y, int32_t maxWidth,
                                 int32_t size) {
    StyleItem(widget, "", x, y);
    FitCaption(widget, text, size, maxWidth);
}

void CGuiScreen::BuildLogo(CGuiImage& logo) {
    logo.AlignCentre();
    logo.LoadPicture(kLogoPicture.name, true);
    // Its middle at y = 40, so that the 80 pixels of the picture end above the first item.
    logo.SetPos(kCentreX, 40 - logo.H() / 2);
}

void CGuiScreen::BuildFooter(CGuiLabel& caption, CGuiButton& name) {
    StyleFittedItem(caption, CLanguage::Get().TxtCurrentPlayer(), kCentreX, 348, kFieldTextWidth, 16);
    StyleFittedItem(name, CurrentPlayerName(), kCentreX, 366);
    name.SetColour(1.0f, 1.0f, 0.5f, 1.0f);
    name.SetCommand(kStatePlayer);
}

void CGuiScreen::AddSlidingColumn(std::initializer_list<CGuiWidget*> column) {
    float seconds = 0.1f;
    for (CGuiWidget* widget : column) {
        AddWidget(widget)->SlideIn(0.0f, 500.0f, seconds);
        seconds += 0.1f;
    }
}
