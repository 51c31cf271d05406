#pragma once
// The options' pellora-server (state 10012): its address typed on the keyboard or on the
// on-screen keys, "host" or "host:port", empty for none. Save checks its form (a name is
// looked up only when a screen uses it) and keeps it; Cancel or Escape keeps the old one.
// Both go back to the options.
#include "gui/GuiScreen.h"
#include "gui/KeyGrid.h"

#include <string>

class CGuiServerAddress final : public CGuiScreen {
public:
    static constexpr int32_t kCommandSave = 2070;
    static constexpr int32_t kCommandCancel = 2071;
    static constexpr int32_t kCommandGridKey = 4300;   // + the key's number

    const char* GetName() const override { return "CGuiServerAddress"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    void OnChar(int32_t code) override;
    bool InitScreen() override;
    void ShutdownScreen() override;
    void UpdateScreen(float dt) override;
    void RenderForeground() override;

    const std::string& TypedAddress() const { return m_address; }
    const CGuiLabel& Status() const { return m_status; }
    const CGuiKeyGrid& Grid() const { return m_grid; }

protected:
    bool TakesKeyFocus() const override { return CInput::Get().LastDevice() == EInputDevice::Pad; }

private:
    void Save();
    void RefreshAddress();

    std::string m_address;
    int32_t m_addressWidth = 0;
    CTextCaret m_caret;
    CGuiLabel m_title;
    CGuiLabel m_addressLabel;
    CGuiLabel m_status;
    CGuiKeyGrid m_grid;
    CGuiButton m_cancel;
    CGuiButton m_save;
    CGuiLabel m_hint;
};
