#pragma once
// The dialog screens of the menus: the language choice (shown until a language is chosen),
// the name entry, the player selection and the options with the two volume sliders.
#include "gui/GuiScreen.h"

#include <string>

class CGuiLanguage final : public CGuiScreen {
public:
    const char* GetName() const override { return "CGuiLanguage"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override;

private:
    CGuiLabel m_title;
    CGuiButton m_english;
    CGuiButton m_swedish;
};

class CGuiEnterName final : public CGuiScreen {
public:
    static constexpr int32_t kMaxNameLength = 12;
    // Room kept beside the typed name for the caret.
    static constexpr int32_t kCaretSpace = 16;

    const char* GetName() const override { return "CGuiEnterName"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    void OnChar(int32_t code) override;
    bool InitScreen() override;
    void ShutdownScreen() override {}
    void UpdateScreen(float dt) override;
    void RenderForeground() override;

    const std::string& TypedName() const { return m_name; }
    bool HasCancel() const { return m_hasCancel; }
    // The hint shown when OK or Return finds no name (spaces alone are none).
    const CGuiLabel& Hint() const { return m_hint; }
    bool IsCaretShown() const { return m_caretTimer < 0.5f; }

private:
    void RefreshName();

    CGuiButton m_ok;
    CGuiButton m_cancel;
    CGuiLabel m_title;
    CGuiLabel m_nameLabel;
    CGuiLabel m_hint;
    std::string m_name;
    int32_t m_nameWidth = 0;
    float m_caretTimer = 0.0f;
    bool m_hasCancel = false;
};

class CGuiPlayer final : public CGuiScreen {
public:
    static constexpr int32_t kMaxShownPlayers = 9;
    static constexpr int32_t kFirstNameY = 74;
    static constexpr int32_t kNameSpacing = 31;

    const char* GetName() const override { return "CGuiPlayer"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override {}

    bool HasAddPlayer() const { return m_hasAddPlayer; }
    const CGuiButton& NameButton(int32_t index) const { return m_names[index]; }
    const CGuiButton& BackButton() const { return m_back; }

private:
    CGuiLabel m_title;
    CGuiButton m_names[kMaxShownPlayers];
    CGuiButton m_back;
    CGuiButton m_addPlayer;
    bool m_hasAddPlayer = false;
};

class CGuiOptions final : public CGuiScreen {
public:
    const char* GetName() const override { return "CGuiOptions"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override;

    const CGuiSlider& SoundSlider() const { return m_soundSlider; }
    const CGuiSlider& MusicSlider() const { return m_musicSlider; }

private:
    CGuiLabel m_title;
    CGuiLabel m_soundCaption;
    CGuiSlider m_soundSlider;
    CGuiLabel m_musicCaption;
    CGuiSlider m_musicSlider;
    CGuiButton m_back;
};

// The name without its leading and trailing spaces.
std::string TrimmedName(const std::string& name);

// A slider's value as a volume: to the nearest whole number, halves away from zero.
int32_t SliderVolume(float value);
