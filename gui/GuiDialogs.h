#pragma once
// The dialog screens of the menus: the language choice (shown until a language is chosen),
// the name entry, the player selection and the options with the two volume sliders.
#include "gui/GuiScreen.h"
#include "gui/KeyGrid.h"

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
    bool IsGridShown() const { return m_grid.IsShown(); }
    const CGuiButton& GridKey(int32_t index) const { return m_grid.Key(index); }
    bool HasCancel() const { return m_hasCancel; }
    // The hint shown when OK or Return finds no name (spaces alone are none).
    const CGuiLabel& Hint() const { return m_hint; }
    bool IsCaretShown() const { return m_caret.IsShown(); }

protected:
    // Typing on a keyboard needs no focus; the grid takes the pad's.
    bool TakesKeyFocus() const override { return CInput::Get().LastDevice() == EInputDevice::Pad; }

private:
    void RefreshName();
    void BuildGrid();
    // The grid's letters as they would be typed next: a capital to begin a word.
    void RefreshGridCase();

    CGuiButton m_ok;
    CGuiButton m_cancel;
    CGuiLabel m_title;
    CGuiLabel m_nameLabel;
    CGuiLabel m_hint;
    std::string m_name;
    int32_t m_nameWidth = 0;
    CTextCaret m_caret;
    bool m_hasCancel = false;
    CGuiKeyGrid m_grid;
};

class CGuiPlayer final : public CGuiScreen {
public:
    static constexpr int32_t kMaxShownPlayers = 9;
    // The delete mark beside the i-th name sends kCommandDeletePlayer + i.
    static constexpr int32_t kCommandDeletePlayer = 2010;
    static constexpr int32_t kCommandDeleteYes = 2020;
    static constexpr int32_t kCommandDeleteNo = 2021;
    static constexpr int32_t kFirstNameY = 74;
    static constexpr int32_t kNameSpacing = 31;

    const char* GetName() const override { return "CGuiPlayer"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override {}

    bool HasAddPlayer() const { return m_hasAddPlayer; }
    bool IsListFull() const { return m_full.IsVisible() && m_full.Text()[0] != '\0'; }
    const CGuiButton& NameButton(int32_t index) const { return m_names[index]; }
    const CGuiButton& DeleteButton(int32_t index) const { return m_deletes[index]; }
    const CGuiButton& BackButton() const { return m_back; }
    const CGuiLabel& FullNotice() const { return m_full; }
    // The player the delete question is about; -1 while the list shows.
    int32_t AskedPlayer() const { return m_asking; }
    const CGuiLabel& QuestionName() const { return m_questionName; }
    const CGuiButton& YesButton() const { return m_yes; }
    const CGuiButton& NoButton() const { return m_no; }

protected:
    // The delete question opens on No.
    const CGuiWidget* FirstFocus() const override { return m_asking >= 0 ? &m_no : nullptr; }

private:
    // The names (the current one marked), a delete mark beside each, "Go back" and "Add
    // player", or the notice that the list is full.
    void ShowList();
    // Whether the player at index shall be deleted, with Yes and No.
    void ShowQuestion(int32_t index);
    void ClearScreen();

    CGuiLabel m_title;
    CGuiButton m_names[kMaxShownPlayers];
    CGuiButton m_deletes[kMaxShownPlayers];
    CGuiButton m_back;
    CGuiButton m_addPlayer;
    CGuiLabel m_full;
    CGuiLabel m_question;
    CGuiLabel m_questionName;
    CGuiLabel m_questionSaves;
    CGuiButton m_yes;
    CGuiButton m_no;
    bool m_hasAddPlayer = false;
    int32_t m_asking = -1;
};

// Deletes the player at index from the list together with the player's saved game (unless
// another record names the same files), and writes "players.cfg". Refused (false, logged)
// when a file of the saved game cannot be deleted: the player then stays.
bool DeletePlayerWithSavedGame(int32_t index);

class CGuiOptions final : public CGuiScreen {
public:
    const char* GetName() const override { return "CGuiOptions"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override;

    const CGuiSlider& SoundSlider() const { return m_soundSlider; }
    const CGuiSlider& MusicSlider() const { return m_musicSlider; }
    const CGuiLabel& Title() const { return m_title; }
    const CGuiButton& EnglishButton() const { return m_english; }
    const CGuiButton& SwedishButton() const { return m_swedish; }
    const CGuiButton& BackButton() const { return m_back; }
    const CGuiButton& ServerButton() const { return m_server; }

private:
    // The captions in the current language.
    void SetTexts();
    // The button of the current language in the chosen colour, the other one plain.
    void MarkLanguage();
    void ChooseLanguage(uint32_t language);

    CGuiLabel m_title;
    CGuiLabel m_soundCaption;
    CGuiSlider m_soundSlider;
    CGuiLabel m_musicCaption;
    CGuiSlider m_musicSlider;
    CGuiLabel m_languageCaption;
    CGuiButton m_english;
    CGuiButton m_swedish;
    CGuiButton m_server;   // the pellora-server of network matches; a click types another
    CGuiButton m_back;
};

// The colour of the chosen item of a list (the current language, the current player).
constexpr GuiColour kChosenItemColour{1.0f, 0.8f, 0.2f, 1.0f};
// The name without its leading and trailing spaces.
std::string TrimmedName(const std::string& name);

// A slider's value as a volume: to the nearest whole number, halves away from zero.
int32_t SliderVolume(float value);
