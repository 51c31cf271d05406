#pragma once
// CGuiEditor (state 20001): the editor's panel in the upper layer. The command buttons
// on the right pillar of the frame, the legend of the brush keys and the mark of unsaved
// changes on the left one, and the column of level buttons at the left edge, eight at a
// time; with more than eight levels two arrow buttons page through them. The panel only
// sends commands; CEditor answers with 1011 (a level was added), 1014 (show the current
// level), 1031 (ask a question, answered by the panel's answer buttons) and 1033 (mark or
// unmark unsaved changes).
#include "gui/GameSprites.h"
#include "gui/GuiState.h"

#include <cstdint>

// The arrow buttons of the level column.
constexpr int32_t kCommandPreviousLevelPage = 1021;
constexpr int32_t kCommandNextLevelPage = 1022;

class CGuiEditor final : public CGuiState {
public:
    static constexpr int32_t kCommandButtonCount = 8;

    const char* GetName() const override { return "CGuiEditor"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool InitScreen() override;
    void ShutdownScreen() override;
    void RenderBackground() override;

    // For the tests: the buttons as the player sees them.
    const CGuiButton& LevelButton(int32_t slot) const { return m_levels[slot]; }
    const CGuiButton& NewButton() const { return m_commands[0]; }
    const CGuiButton& CommandButton(int32_t index) const { return m_commands[index]; }
    const CGuiButton& PreviousPageButton() const { return m_previousPage; }
    const CGuiButton& NextPageButton() const { return m_nextPage; }
    int32_t Page() const { return m_page; }
    int32_t PageCount() const;
    int32_t LevelCount() const { return m_levelCount; }
    // The levels on the page shown, from the first slot; 0 for a slot without a level.
    int32_t LevelOnSlot(int32_t slot) const;
    bool IsQuestionShown() const { return m_questionShown; }
    static constexpr int32_t kMaxAnswers = 3;
    static constexpr int32_t kQuestionLines = 2;
    // The answer buttons of the question shown (hidden ones beyond its answers).
    const CGuiButton& AnswerButton(int32_t index) const { return m_answers[index]; }
    const CGuiLabel& QuestionLine(int32_t index) const { return m_questionLines[index]; }
    const CGuiLabel& ChangesMark() const { return m_changesMark; }
    static constexpr int32_t kLegendKeys = 14;
    const CGuiLabel& LegendKey(int32_t index) const { return m_legendKeys[index]; }

protected:
    // Left and Right shift the field's rows in the editor; while a question shows, its
    // answers stand side by side and Left and Right move between them.
    bool FocusMovesSideways() const override { return m_questionShown; }
    // A question opens on its harmless answer: Cancel, or No.
    const CGuiWidget* FirstFocus() const override;

private:
    void BuildCommandButtons();
    void BuildLegend();
    void BuildQuestion();
    void ShowQuestion(int32_t question);
    void HideQuestion();
    void BuildLevelColumn();
    void ShowCurrentLevel();
    void TurnPage(int32_t step);
    // Captions, visibility and marks of the level column, the pager and "New".
    void LayOut();

    CGuiButton m_commands[kCommandButtonCount];
    CGuiButton m_levels[8];
    CGuiButton m_previousPage;
    CGuiButton m_nextPage;
    CGuiLabel m_pageLabel;
    CGuiLabel m_legendTitle;
    CGuiLabel m_legendKeys[kLegendKeys];
    CGuiLabel m_legendRows;
    CGuiLabel m_changesMark;
    CGuiLabel m_questionLines[kQuestionLines];
    CGuiButton m_answers[kMaxAnswers];
    CGameSprites m_sprites;
    CSprite m_shade;
    bool m_questionShown = false;

    int32_t m_levelCount = 0;
    int32_t m_page = 0;
    int32_t m_currentLevel = 0;   // the level shown as current; 0 when its file does not exist
};
