#include "gui/GuiServerAddress.h"

#include "gui/GuiNetGame.h"
#include "gui/NetPlay.h"
#include "gui/ScreenFlow.h"
#include "net/NetAddresses.h"
#include "net/NetProtocol.h"
#include "profile/Language.h"
#include "profile/ServerSetting.h"

namespace {
constexpr int32_t kSmallSize = 16;
constexpr int32_t kAddressY = 100;
constexpr int32_t kDeckTextY = 418;
constexpr GuiColour kFaultColour{1.0f, 0.6f, 0.2f, 1.0f};
}  // namespace

bool CGuiServerAddress::InitScreen() {
    StartMenu(kStateServerAddress);
    m_address = LoadServerSetting();
    m_caret.Reset();
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_title, texts.TxtServerAddress(), kCentreX, 40);
    AddWidget(&m_title)->SlideIn(0.0f, -150.0f, 0.3f);
    StyleItem(m_addressLabel, "", kCentreX, kAddressY);
    AddWidget(&m_addressLabel);
    StyleFittedItem(m_status, "", kCentreX, 140, kFieldTextWidth, kSmallSize);
    m_status.SetColour(kFaultColour.r, kFaultColour.g, kFaultColour.b, kFaultColour.a);
    AddWidget(&m_status);

    CGuiJoinGame::BuildAddressKeys(*this, m_grid, kCommandGridKey);
    m_grid.Show();

    StyleFittedItem(m_cancel, texts.TxtCancel(), kLeftItemX, kBottomItemY, kPairItemWidth);
    m_cancel.SetCommand(kCommandCancel);
    AddWidget(&m_cancel)->SlideIn(0.0f, 200.0f, 0.4f);
    StyleFittedItem(m_save, texts.TxtSave(), kRightItemX, kBottomItemY, kPairItemWidth);
    m_save.SetCommand(kCommandSave);
    AddWidget(&m_save)->SlideIn(0.0f, 200.0f, 0.6f);
    StyleFittedItem(m_hint, texts.TxtServerAddressHint(), kCentreX, kDeckTextY, kFieldTextWidth, kSmallSize);
    AddWidget(&m_hint)->SlideIn(0.0f, 100.0f, 0.8f);
    RefreshAddress();
    CInput::Get().SetTextEntry(true);
    return true;
}

void CGuiServerAddress::ShutdownScreen() { CInput::Get().SetTextEntry(false); }

void CGuiServerAddress::RefreshAddress() { m_addressWidth = CGuiJoinGame::ShowTypedAddress(m_addressLabel, m_address); }

void CGuiServerAddress::OnChar(int32_t code) {
    if (code == 13) {
        Save();
        return;
    }
    if (!TypeAddressCharacter(m_address, code, kMaxServerAddressLength)) {
        return;
    }
    m_status.SetText("");
    RefreshAddress();
}

void CGuiServerAddress::Save() {
    NetAddressText parsed;
    ENetAddressFault fault = ENetAddressFault::None;
    if (!m_address.empty() && !ParseNetAddress(m_address, kDefaultNetPort, parsed, fault)) {
        FitCaption(m_status, NetAddressFaultText(fault), kSmallSize, kFieldTextWidth);
        return;
    }
    if (!SaveServerSetting(m_address)) {
        FitCaption(m_status, CLanguage::Get().TxtSaveFailedFile(), kSmallSize, kFieldTextWidth);
        return;
    }
    GoToScreen(kStateOptions);
}

void CGuiServerAddress::UpdateScreen(float dt) { m_caret.Update(dt); }

void CGuiServerAddress::RenderForeground() { m_caret.Draw(kCentreX, m_addressWidth, m_addressLabel.Y()); }

void CGuiServerAddress::OnMessage(int32_t messageId, int32_t parameter) {
    const int32_t typed = m_grid.TypedBy(messageId);
    if (typed != CGuiKeyGrid::kNotAKey) {
        OnChar(typed);
        return;
    }
    switch (messageId) {
        case kCommandSave: Save(); break;
        case kCommandCancel: GoToScreen(kStateOptions); break;
        default: CGuiState::OnMessage(messageId, parameter); break;
    }
}

bool CGuiServerAddress::OnEscape() {
    GoToScreen(kStateOptions);
    return true;
}
