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
    // The letter grid for players without a keyboard: A to Z, the three Swedish capitals
    // (Windows-1252), then the space and delete keys; OK is the screen's own.
    static constexpr int32_t kGridLetters = 29;
    static constexpr int32_t kGridColumns = 10;
    static constexpr int32_t kGridKeys = kGridLetters + 2;
    static constexpr int32_t kCommandGridKey = 4100;   // + the key's number

    const char* GetName() const override { return "CGuiEnterName"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    void OnChar(int32_t code) override;
    bool InitScreen() override;
    void ShutdownScreen() override;
    void UpdateScreen(float dt) override;
    void RenderForeground() override;

    const std::string& TypedName() const { return m_name; }
    bool IsGridShown() const { return m_gridShown; }
    const CGuiButton& GridKey(int32_t index) const { return m_grid[index]; }
    bool HasCancel() const { return m_hasCancel; }
    bool IsCaretShown() const { return m_caretTimer < 0.5f; }

protected:
    // Typing on a keyboard needs no focus; the grid takes the pad's.
    bool TakesKeyFocus() const override { return CInput::Get().LastDevice() == EInputDevice::Pad; }

private:
    void RefreshName();
    void BuildGrid();
    void ShowGrid();
    void PressGridKey(int32_t index);
    // The grid's letters as they would be typed next: a capital to begin a word.
    void RefreshGridCase();

    CGuiButton m_ok;
    CGuiButton m_cancel;
    CGuiLabel m_title;
    CGuiLabel m_nameLabel;
    std::string m_name;
    int32_t m_nameWidth = 0;
    float m_caretTimer = 0.0f;
    bool m_hasCancel = false;
    CGuiButton m_grid[kGridKeys];
    bool m_gridShown = false;
};

class CGuiPlayer final : public CGuiScreen {
public:
    static constexpr int32_t kMaxShownPlayers = 9;

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

// A slider's value as a volume: to the nearest whole number, halves away from zero.
int32_t SliderVolume(float value);
