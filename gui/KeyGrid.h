#pragma once
// CGuiKeyGrid: on-screen keys for typing without a keyboard (a pad, or the mouse alone): a
// grid of character keys in reading order, then a row under it with a Space key (when the
// layout wants one) and a Delete key. A key sends its command like any item; the screen
// asks the grid what that command types and takes it as a typed character.
#include "gui/Widgets.h"

#include <cstdint>

class CGuiState;

// The blinking caret after a typed line: shown for the first half of every second.
class CTextCaret {
public:
    // Room kept beside a typed line for the caret.
    static constexpr int32_t kSpace = 16;

    void Reset() { m_timer = 0.0f; }
    void Update(float dt);
    bool IsShown() const { return m_timer < 0.5f; }
    // Draws it, when shown, right after a line of lineWidth centred on centreX.
    void Draw(int32_t centreX, int32_t lineWidth, int32_t y) const;

private:
    float m_timer = 0.0f;
};

struct KeyGridLayout {
    const char* characters = "";   // one key per character (Windows-1252), in reading order
    int32_t columns = 10;
    int32_t top = 0;                // the first row's y
    int32_t rowStep = 36;
    int32_t columnStep = 34;
    int32_t letterSize = 26;        // square character size of the keys
    bool spaceKey = true;           // a Space key left of Delete under the grid
    int32_t firstCommand = 0;       // the i-th key sends firstCommand + i
};

class CGuiKeyGrid {
public:
    static constexpr int32_t kMaxCharacterKeys = 40;
    static constexpr int32_t kMaxKeys = kMaxCharacterKeys + 2;
    static constexpr int32_t kDeleteCode = 8;
    static constexpr int32_t kNotAKey = -1;

    // Lays the keys out centred on the screen, hidden, and adds them to the screen's list.
    // False (logged) for a layout of more keys than the grid holds.
    bool Build(CGuiState& screen, int32_t centreX, const KeyGridLayout& layout);
    void Show();
    void Hide();
    bool IsShown() const { return m_shown; }
    // The letter keys as capitals or as small letters (Windows-1252: small is capital + 32,
    // the Swedish letters too); the layout's characters are taken as capitals.
    void SetCapitals(bool capitals);
    // What the command types: the key's character, ' ' for Space, kDeleteCode for Delete;
    // kNotAKey for a command that is none of this grid's keys.
    int32_t TypedBy(int32_t command) const;

    int32_t KeyCount() const { return m_keyCount; }
    const CGuiButton& Key(int32_t index) const { return m_keys[index]; }

private:
    // The character key's caption (a capital turned small when asked).
    static char Shown(char character, bool capitals);

    CGuiButton m_keys[kMaxKeys];
    char m_characters[kMaxCharacterKeys + 1] = {};
    int32_t m_characterCount = 0;
    int32_t m_keyCount = 0;
    bool m_spaceKey = false;
    int32_t m_firstCommand = 0;
    bool m_shown = false;
};
