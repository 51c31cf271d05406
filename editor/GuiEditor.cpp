#include "editor/GuiEditor.h"

#include "core/Log.h"
#include "editor/Editor.h"
#include "editor/LevelStore.h"
#include "engine/Engine.h"
#include "gui/GuiScreen.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Input.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cstdio>

namespace {
struct CommandEntry {
    const char* caption;
    int32_t x, y;
    int32_t command;
};
// In the order they are added to the screen.
constexpr CommandEntry kCommandButtons[CGuiEditor::kCommandButtonCount] = {
    {"New", 190, 380, kCommandNewLevel},
    {"Clear", 190, 410, kCommandClearLevel},
    {"Move up", 300, 380, kCommandMoveLevelUp},
    {"Move down", 300, 410, kCommandMoveLevelDown},
    {"Main Menu", 300, 440, kStateMainMenu},
    {"Save", 440, 380, kCommandSaveLevel},
    {"Play", 440, 410, kCommandPlayLevel},
    {"Play Cont.", 440, 440, kCommandPlayFromLevel},
};

// The level column: level buttons 22 pixels apart from the top left corner, the pager below.
// The command captions are smaller than the main font's own size, so that the captions of
// neighbouring buttons do not run into each other.
constexpr int32_t kCommandCharSize = 20;

constexpr int32_t kLevelColumnX = 5;
constexpr int32_t kLevelSpacing = 22;
constexpr int32_t kLevelCharWidth = 32, kLevelCharHeight = 30;
constexpr int32_t kPagerY = kLevelsPerPage * kLevelSpacing + 12;
constexpr int32_t kNextPageX = 110;
constexpr int32_t kPageLabelX = 72;
constexpr int32_t kPageLabelSize = 16;

void StyleHover(CGuiWidget& widget) {
    widget.SetHoverColour(1.0f, 1.0f, 0.0f, 1.0f);
}
}  // namespace

bool CGuiEditor::InitScreen() {
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
    BuildCommandButtons();
    m_levelCount = CountLevels();
    BuildLevelColumn();
    LayOut();
    CEngine::Get().BroadcastMessage(kCommandShowLevel, 0);
    return true;
}

void CGuiEditor::BuildCommandButtons() {
    for (int32_t i = 0; i < kCommandButtonCount; ++i) {
        CGuiButton& button = m_commands[i];
        const CommandEntry& entry = kCommandButtons[i];
        if (i == 0) {
            button.SetFont(&CFont::Main());
            button.SetFontSize(kCommandCharSize, kCommandCharSize);
            StyleHover(button);
            button.AlignCentre();
        } else {
            button.CopyStyle(m_commands[i - 1]);
            StyleHover(button);
        }
        button.SetPos(entry.x, entry.y);
        button.SetText(entry.caption);
        button.SetCommand(entry.command);
        AddWidget(&button);
    }
}

void CGuiEditor::BuildLevelColumn() {
    for (int32_t slot = 0; slot < kLevelsPerPage; ++slot) {
        CGuiButton& button = m_levels[slot];
        button.SetFont(&CFont::Main());
        button.SetFontSize(kLevelCharWidth, kLevelCharHeight);
        StyleHover(button);
        button.SetPos(kLevelColumnX, kLevelSpacing * slot);
        button.SetCommand(kCommandLoadLevel);
        button.SetPlaysSounds(false);
        button.SetToggleable(true);
        AddWidget(&button);
    }
    const struct {
        CGuiButton& button;
        const char* caption;
        int32_t x;
        int32_t command;
    } pager[] = {{m_previousPage, "<", kLevelColumnX, kCommandPreviousLevelPage},
                 {m_nextPage, ">", kNextPageX, kCommandNextLevelPage}};
    for (const auto& arrow : pager) {
        arrow.button.SetFont(&CFont::Main());
        arrow.button.SetFontSize(kLevelCharWidth, kLevelCharHeight);
        StyleHover(arrow.button);
        arrow.button.SetPos(arrow.x, kPagerY);
        arrow.button.SetText(arrow.caption);
        arrow.button.SetCommand(arrow.command);
        arrow.button.SetPlaysSounds(false);
        AddWidget(&arrow.button);
    }
    m_pageLabel.SetFont(&CFont::Main());
    m_pageLabel.SetFontSize(kPageLabelSize, kPageLabelSize);
    m_pageLabel.AlignCentre();
    m_pageLabel.SetPos(kPageLabelX, kPagerY + (kLevelCharHeight - kPageLabelSize) / 2);
    AddWidget(&m_pageLabel);
}

int32_t CGuiEditor::PageCount() const {
    return std::max(1, (m_levelCount + kLevelsPerPage - 1) / kLevelsPerPage);
}

int32_t CGuiEditor::LevelOnSlot(int32_t slot) const {
    const int32_t level = m_page * kLevelsPerPage + slot + 1;
    return slot >= 0 && slot < kLevelsPerPage && level <= m_levelCount ? level : 0;
}

void CGuiEditor::LayOut() {
    m_page = std::clamp(m_page, 0, PageCount() - 1);
    for (int32_t slot = 0; slot < kLevelsPerPage; ++slot) {
        CGuiButton& button = m_levels[slot];
        const int32_t level = LevelOnSlot(slot);
        button.SetVisible(level != 0);
        button.SetToggled(level != 0 && level == m_currentLevel);
        if (level != 0) {
            button.SetNumber(level);
            button.SetCommandParam(level);
        }
    }
    const bool paging = m_levelCount > kLevelsPerPage;
    m_previousPage.SetVisible(paging && m_page > 0);
    m_nextPage.SetVisible(paging && m_page < PageCount() - 1);
    m_pageLabel.SetVisible(paging);
    if (paging) {
        char text[32];
        std::snprintf(text, sizeof(text), "%d/%d", m_page + 1, PageCount());
        m_pageLabel.SetText(text);
    }
    // A new level goes after the last one, so "New" is offered on the last page.
    m_commands[0].SetVisible(CanAddLevel(m_levelCount) && m_page == PageCount() - 1);
}

void CGuiEditor::ShowCurrentLevel() {
    CLog::Get().Write("editor gui: %s", g_levelFileName.c_str());
    const int32_t number = LevelNumberOf(g_levelFileName);
    const bool exists = number >= 1 && g_levelFileName == LevelFileName(number) &&
                        CFileManager::Get().Exists(g_levelFileName);
    m_currentLevel = exists ? number : 0;
    if (number >= 1) {
        // The page follows the level being edited (a new level is on the last page).
        m_page = (number - 1) / kLevelsPerPage;
    }
    LayOut();
}

void CGuiEditor::TurnPage(int32_t step) {
    m_page += step;
    LayOut();
}

void CGuiEditor::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kCommandLevelAdded:
            m_levelCount = std::min(m_levelCount + 1, kMaxEditorLevels);
            LayOut();
            break;
        case kCommandShowLevel:
            ShowCurrentLevel();
            break;
        case kCommandPreviousLevelPage:
            TurnPage(-1);
            break;
        case kCommandNextLevelPage:
            TurnPage(1);
            break;
        case kCommandLeave:
            LeaveProgram();
            break;
        default:
            break;
    }
    CGuiState::OnMessage(messageId, parameter);
}
