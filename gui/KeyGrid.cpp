#include "gui/KeyGrid.h"

#include "core/Log.h"
#include "gui/GuiState.h"
#include "platform/Font.h"
#include "profile/Language.h"

#include <cstring>

void CTextCaret::Update(float dt) {
    m_timer += dt;
    if (m_timer >= 1.0f) {
        m_timer -= 1.0f;
    }
}

void CTextCaret::Draw(int32_t centreX, int32_t lineWidth, int32_t y) const {
    if (!IsShown()) {
        return;
    }
    CFont& font = CFont::Main();
    font.ResetCharSize();
    font.Print("|", static_cast<float>(centreX + lineWidth / 2), static_cast<float>(y));
}

namespace {
// The Space and Delete keys stand this far left and right of the centre.
constexpr int32_t kWideKeyOffset = 90;
// The row of the wide keys keeps a little more room above it.
constexpr int32_t kWideRowGap = 8;

bool IsCapital(char character) {
    const auto code = static_cast<uint8_t>(character);
    return (code >= 'A' && code <= 'Z') || code == 0xC5 || code == 0xC4 || code == 0xD6;
}
}  // namespace

char CGuiKeyGrid::Shown(char character, bool capitals) {
    return capitals || !IsCapital(character) ? character : static_cast<char>(character + 32);
}

bool CGuiKeyGrid::Build(CGuiState& screen, int32_t centreX, const KeyGridLayout& layout) {
    const size_t characters = std::strlen(layout.characters);
    if (characters > static_cast<size_t>(kMaxCharacterKeys) || layout.columns <= 0) {
        CLog::Get().Write("CGuiKeyGrid::Build FAILED, %zu keys in %d columns", characters, layout.columns);
        return false;
    }
    std::memcpy(m_characters, layout.characters, characters + 1);
    m_characterCount = static_cast<int32_t>(characters);
    m_spaceKey = layout.spaceKey;
    m_keyCount = m_characterCount + (m_spaceKey ? 2 : 1);
    m_firstCommand = layout.firstCommand;
    const int32_t rows = (m_characterCount + layout.columns - 1) / layout.columns;
    const CLanguage& texts = CLanguage::Get();
    for (int32_t i = 0; i < m_keyCount; ++i) {
        CGuiButton& key = m_keys[i];
        int32_t x = centreX + (i % layout.columns) * layout.columnStep - (layout.columns - 1) * layout.columnStep / 2;
        int32_t y = layout.top + (i / layout.columns) * layout.rowStep;
        const char* caption = "";
        char character[2] = {m_characters[i < m_characterCount ? i : 0], '\0'};
        if (i < m_characterCount) {
            caption = character;
        } else {
            // Space and Delete share the row under the characters; Delete alone stands right.
            const bool space = m_spaceKey && i == m_characterCount;
            x = space ? centreX - kWideKeyOffset : centreX + kWideKeyOffset;
            y = layout.top + rows * layout.rowStep + kWideRowGap;
            caption = space ? texts.TxtGridSpace() : texts.TxtGridDelete();
        }
        key.SetFont(&CFont::Main());
        key.SetHoverColour(1.0f, 1.0f, 0.0f, 1.0f);
        key.AlignCentre();
        key.SetPos(x, y);
        key.SetFontSize(layout.letterSize, layout.letterSize);
        key.SetText(caption);
        key.SetCommand(m_firstCommand + i);
        key.SetVisible(false);
        screen.AddWidget(&key);
    }
    m_shown = false;
    return true;
}

void CGuiKeyGrid::Show() {
    m_shown = true;
    for (int32_t i = 0; i < m_keyCount; ++i) {
        m_keys[i].SetVisible(true);
    }
}

void CGuiKeyGrid::Hide() {
    m_shown = false;
    for (int32_t i = 0; i < m_keyCount; ++i) {
        m_keys[i].SetVisible(false);
    }
}

void CGuiKeyGrid::SetCapitals(bool capitals) {
    for (int32_t i = 0; i < m_characterCount; ++i) {
        const char text[2] = {Shown(m_characters[i], capitals), '\0'};
        m_keys[i].SetText(text);
    }
}

int32_t CGuiKeyGrid::TypedBy(int32_t command) const {
    const int32_t index = command - m_firstCommand;
    if (index < 0 || index >= m_keyCount) {
        return kNotAKey;
    }
    if (index < m_characterCount) {
        // The key types what it shows.
        return static_cast<uint8_t>(m_keys[index].Text()[0]);
    }
    return m_spaceKey && index == m_characterCount ? ' ' : kDeleteCode;
}
