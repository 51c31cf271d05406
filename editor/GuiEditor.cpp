#include "editor/GuiEditor.h"

#include "core/Log.h"
#include "editor/Editor.h"
#include "editor/LevelStore.h"
#include "engine/Engine.h"
#include "gui/GuiScreen.h"
#include "gui/ScreenFlow.h"
#include "gui/GuiArt.h"
#include "platform/Font.h"
#include "platform/Input.h"
#include "profile/Language.h"
#include "resources/FileManager.h"
#include "view/FieldView.h"

#include <algorithm>
#include <cstdio>

namespace {
struct CommandEntry {
    const char* (CTextTable::*caption)() const;
    int32_t y;
    int32_t command;
};
// In the order they are added to the screen, one column on the frame's right pillar: the
// level's content, its place in the pack, trying it, and leaving.
constexpr CommandEntry kCommandButtons[CGuiEditor::kCommandButtonCount] = {
    {&CTextTable::TxtEditorNew, 56, kCommandNewLevel},
    {&CTextTable::TxtEditorClear, 84, kCommandClearLevel},
    {&CTextTable::TxtEditorMoveUp, 132, kCommandMoveLevelUp},
    {&CTextTable::TxtEditorMoveDown, 160, kCommandMoveLevelDown},
    {&CTextTable::TxtEditorMainMenu, 344, kStateMainMenu},
    {&CTextTable::TxtSave, 208, kCommandSaveLevel},
    {&CTextTable::TxtEditorPlay, 236, kCommandPlayLevel},
    {&CTextTable::TxtEditorPlayCont, 264, kCommandPlayFromLevel},
};

// The frame's pillars: the command column on the right one, the legend on the left one.
// Captions are centred on a pillar and made smaller until they keep clear of its edges.
constexpr int32_t kRightPillarX = 530;
constexpr int32_t kLeftPillarX = 110;
constexpr int32_t kPillarTextWidth = 78;
constexpr int32_t kCommandCharSize = 20;

// The legend: the brush keys in two columns of seven, each key beside its ball.
struct LegendEntry {
    const char* key;
    int32_t colour;
};
constexpr LegendEntry kLegend[CGuiEditor::kLegendKeys] = {
    {"Q", 0}, {"W", 1}, {"E", 2}, {"R", 3}, {"A", 4}, {"S", 5}, {"D", 6},
    {"F", 7}, {"Z", BallColour::Explosion}, {"X", BallColour::ChangeColor}, {"C", BallColour::ArrowLeft},
    {"V", BallColour::ArrowRight}, {"1", BallColour::Multicolor}, {"2", BallColour::Obstacle},
};
constexpr int32_t kLegendTitleY = 56;
constexpr int32_t kLegendTop = 86;
constexpr int32_t kLegendSpacing = 24;
constexpr int32_t kLegendRowsPerColumn = 7;
constexpr int32_t kLegendKeyX[2] = {84, 120};
constexpr int32_t kLegendBallOffsetX = 12;
constexpr int32_t kLegendBallSize = 18;
constexpr int32_t kLegendKeySize = 16;
constexpr int32_t kLegendArrowsY = kLegendTop + kLegendRowsPerColumn * kLegendSpacing + 6;
constexpr int32_t kChangesMarkY = 300;

// The question: two lines and its answers over the field, on a shaded box.
constexpr int32_t kFieldCentreX = 320;
constexpr int32_t kQuestionTop = 168;
constexpr int32_t kQuestionLineSpacing = 30;
constexpr int32_t kQuestionTextWidth = 290;
constexpr int32_t kQuestionCharSize = 22;
constexpr int32_t kAnswerY = 250;
constexpr int32_t kAnswerSpacing = 105;
constexpr int32_t kAnswerTextWidth = 95;
constexpr float kShadeLeft = 161.0f, kShadeTop = 150.0f, kShadeWidth = 318.0f, kShadeHeight = 144.0f;

// The level column: level buttons 22 pixels apart from the top left corner, the pager below.
constexpr int32_t kLevelColumnX = 5;
constexpr int32_t kLevelSpacing = 22;
constexpr int32_t kLevelCharWidth = 32, kLevelCharHeight = 30;
constexpr int32_t kLevelColumnTop = 4;
constexpr int32_t kPagerY = kLevelColumnTop + kLevelsPerPage * kLevelSpacing + 12;
// The pager stays left of the frame: the two arrows side by side, the page below them.
constexpr int32_t kNextPageX = 38;
constexpr int32_t kPageLabelX = 32;
constexpr int32_t kPageLabelSize = 16;

void StyleHover(CGuiWidget& widget) {
    widget.SetHoverColour(1.0f, 1.0f, 0.0f, 1.0f);
}

void StyleCentred(CGuiWidget& widget, int32_t x, int32_t y) {
    widget.SetFont(&CFont::Main());
    widget.AlignCentre();
    widget.SetPos(x, y);
}
}  // namespace

bool CGuiEditor::InitScreen() {
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
    BuildCommandButtons();
    m_levelCount = CountLevels();
    BuildLevelColumn();
    BuildLegend();
    BuildQuestion();
    LayOut();
    CEngine::Get().BroadcastMessage(kCommandShowLevel, 0);
    return true;
}

void CGuiEditor::BuildCommandButtons() {
    // One character size for the whole column: the one at which every caption fits.
    const CLanguage& texts = CLanguage::Get();
    int32_t size = kCommandCharSize;
    for (int32_t i = 0; i < kCommandButtonCount; ++i) {
        CGuiButton& button = m_commands[i];
        StyleCentred(button, kRightPillarX, kCommandButtons[i].y);
        FitCaption(button, (texts.*kCommandButtons[i].caption)(), size, kPillarTextWidth);
        size = std::min(size, std::max(kMinFitCharSize, button.H()));
    }
    for (int32_t i = 0; i < kCommandButtonCount; ++i) {
        CGuiButton& button = m_commands[i];
        const CommandEntry& entry = kCommandButtons[i];
        button.SetFontSize(size, size);
        StyleHover(button);
        button.SetText((texts.*entry.caption)());
        button.SetCommand(entry.command);
        AddWidget(&button);
    }
}

void CGuiEditor::BuildLegend() {
    const CLanguage& texts = CLanguage::Get();
    StyleCentred(m_legendTitle, kLeftPillarX, kLegendTitleY);
    FitCaption(m_legendTitle, texts.TxtEditorKeys(), 18, kPillarTextWidth);
    AddWidget(&m_legendTitle);
    for (int32_t i = 0; i < kLegendKeys; ++i) {
        CGuiLabel& key = m_legendKeys[i];
        key.SetFont(&CFont::Main());
        key.SetFontSize(kLegendKeySize, kLegendKeySize);
        key.SetPos(kLegendKeyX[i / kLegendRowsPerColumn], kLegendTop + (i % kLegendRowsPerColumn) * kLegendSpacing);
        key.SetText(kLegend[i].key);
        AddWidget(&key);
    }
    char arrows[64];
    std::snprintf(arrows, sizeof(arrows), "< > %s", texts.TxtEditorRows());
    StyleCentred(m_legendRows, kLeftPillarX, kLegendArrowsY);
    FitCaption(m_legendRows, arrows, kLegendKeySize, kPillarTextWidth);
    AddWidget(&m_legendRows);
    StyleCentred(m_changesMark, kLeftPillarX, kChangesMarkY);
    m_changesMark.SetColour(1.0f, 0.6f, 0.2f, 1.0f);
    FitCaption(m_changesMark, texts.TxtUnsavedMark(), kLegendKeySize, kPillarTextWidth);
    m_changesMark.SetVisible(false);
    AddWidget(&m_changesMark);
    m_sprites.Build();
    if (CSpriteList* balls = m_sprites.Sprites().balls) {
        balls->SetSize(static_cast<float>(kLegendBallSize), static_cast<float>(kLegendBallSize));
    }
}

void CGuiEditor::BuildQuestion() {
    for (int32_t i = 0; i < kQuestionLines; ++i) {
        StyleCentred(m_questionLines[i], kFieldCentreX, kQuestionTop + i * kQuestionLineSpacing);
        m_questionLines[i].SetVisible(false);
        AddWidget(&m_questionLines[i]);
    }
    for (CGuiButton& answer : m_answers) {
        StyleCentred(answer, kFieldCentreX, kAnswerY);
        StyleHover(answer);
        answer.SetCommand(kCommandAnswer);
        answer.SetVisible(false);
        AddWidget(&answer);
    }
    if (m_shade.Load(kShadingPicture.name)) {
        m_shade.SetBlend(true);
        m_shade.SetSize(kShadeWidth, kShadeHeight);
        m_shade.SetPos(kShadeLeft, kShadeTop);
    }
    m_questionShown = false;
}

void CGuiEditor::ShowQuestion(int32_t question) {
    const CLanguage& texts = CLanguage::Get();
    struct Answer {
        const char* caption;
        EEditorAnswer answer;
    };
    const char* lines[kQuestionLines] = {};
    Answer answers[kMaxAnswers] = {};
    int32_t answerCount = 0;
    if (question == static_cast<int32_t>(EEditorQuestion::ReplaceSavedGame)) {
        lines[0] = texts.TxtReplaceSavedGame();
        lines[1] = texts.TxtPlayOnQuestion();
        answers[0] = {texts.TxtYes(), EEditorAnswer::Yes};
        answers[1] = {texts.TxtNo(), EEditorAnswer::No};
        answerCount = 2;
    } else if (question == static_cast<int32_t>(EEditorQuestion::UnsavedChanges)) {
        lines[0] = texts.TxtUnsavedChanges();
        lines[1] = texts.TxtSaveThem();
        answers[0] = {texts.TxtSave(), EEditorAnswer::Save};
        answers[1] = {texts.TxtDiscard(), EEditorAnswer::Discard};
        answers[2] = {texts.TxtCancel(), EEditorAnswer::Cancel};
        answerCount = 3;
    } else {
        return;
    }
    for (int32_t i = 0; i < kQuestionLines; ++i) {
        FitCaption(m_questionLines[i], lines[i], kQuestionCharSize, kQuestionTextWidth);
        m_questionLines[i].SetVisible(true);
    }
    // The answers side by side, centred on the field.
    const int32_t firstX = kFieldCentreX - (answerCount - 1) * kAnswerSpacing / 2;
    for (int32_t i = 0; i < kMaxAnswers; ++i) {
        CGuiButton& button = m_answers[i];
        const bool used = i < answerCount;
        button.SetVisible(used);
        if (used) {
            button.SetPos(firstX + i * kAnswerSpacing, kAnswerY);
            FitCaption(button, answers[i].caption, kQuestionCharSize, kAnswerTextWidth);
            button.SetCommandParam(static_cast<int32_t>(answers[i].answer));
        }
    }
    // Only the answers can be clicked while the question shows.
    for (CGuiButton& button : m_commands) {
        button.SetVisible(false);
    }
    for (CGuiButton& button : m_levels) {
        button.SetVisible(false);
    }
    m_previousPage.SetVisible(false);
    m_nextPage.SetVisible(false);
    m_questionShown = true;
}

const CGuiWidget* CGuiEditor::FirstFocus() const {
    for (const CGuiButton& answer : m_answers) {
        const auto given = static_cast<EEditorAnswer>(answer.CommandParam());
        if (m_questionShown && answer.IsVisible() && (given == EEditorAnswer::Cancel || given == EEditorAnswer::No)) {
            return &answer;
        }
    }
    return nullptr;
}

void CGuiEditor::HideQuestion() {
    m_questionShown = false;
    for (CGuiLabel& line : m_questionLines) {
        line.SetVisible(false);
    }
    for (CGuiButton& answer : m_answers) {
        answer.SetVisible(false);
    }
    LayOut();
}

void CGuiEditor::ShutdownScreen() {
    m_sprites.Clear();
}

void CGuiEditor::RenderBackground() {
    CSpriteList* balls = m_sprites.Sprites().balls;
    if (balls != nullptr) {
        for (int32_t i = 0; i < kLegendKeys; ++i) {
            const CGuiLabel& key = m_legendKeys[i];
            DrawBall(*balls, BallCell{kLegend[i].colour, 0}, static_cast<float>(key.X() + kLegendBallOffsetX),
                     static_cast<float>(key.Y() - 1));
        }
    }
    if (m_questionShown && m_shade.GetWidth() > 0.0f) {
        m_shade.Draw();
        m_shade.Draw();
    }
}

void CGuiEditor::BuildLevelColumn() {
    for (int32_t slot = 0; slot < kLevelsPerPage; ++slot) {
        CGuiButton& button = m_levels[slot];
        button.SetFont(&CFont::Main());
        button.SetFontSize(kLevelCharWidth, kLevelCharHeight);
        StyleHover(button);
        button.SetPos(kLevelColumnX, kLevelColumnTop + kLevelSpacing * slot);
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
    m_pageLabel.SetPos(kPageLabelX, kPagerY + kLevelCharHeight + 2);
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
    if (m_questionShown) {
        return;
    }
    m_page = std::clamp(m_page, 0, PageCount() - 1);
    for (CGuiButton& button : m_commands) {
        button.SetVisible(true);
    }
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
        case kCommandAskQuestion:
            if (parameter == static_cast<int32_t>(EEditorQuestion::None)) {
                HideQuestion();
            } else {
                ShowQuestion(parameter);
            }
            break;
        case kCommandMarkChanges:
            m_changesMark.SetVisible(parameter != 0);
            break;
        case kCommandLeave:
            LeaveProgram();
            break;
        default:
            break;
    }
    CGuiState::OnMessage(messageId, parameter);
}
