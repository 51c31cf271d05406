#pragma once
// The screens between the menu and a game: the continue question for a saved game, the
// high-score list (after a game over and from the menu) and the choice of difficulty,
// which nothing leads to (play takes its difficulty from the child-mode switch).
#include "gui/GuiScreen.h"

class CGuiContinue final : public CGuiScreen {
public:
    static constexpr int32_t kCommandContinue = 1;
    static constexpr int32_t kCommandNewGame = 2;

    const char* GetName() const override { return "CGuiContinue"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override {}

private:
    CGuiLabel m_lines[5];
    CGuiButton m_continue;
    CGuiButton m_newGame;
    CGuiButton m_back;
};

class CGuiHighscore final : public CGuiScreen {
public:
    static constexpr int32_t kRows = 10;

    const char* GetName() const override { return "CGuiHighscore"; }
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override {}
    void UpdateScreen(float dt) override;
    // The row chosen for its replay is marked on either side, as the keys' focus is.
    void RenderForeground() override;

    const CGuiLabel& Title() const { return m_title; }
    const CGuiLabel& NameCell(int32_t row) const { return m_names[row]; }
    const CGuiLabel& ScoreCell(int32_t row) const { return m_scores[row]; }
    const CGuiLabel& BottomLine() const { return m_bottom; }

    // The file of the replay kept for a row ("" when it has none) and the row chosen.
    const std::string& RowReplay(int32_t row) const { return m_replays[row]; }
    int32_t SelectedRow() const { return m_selectedRow; }

private:
    void FillTexts(int32_t highlightedRow);
    void FindReplays();
    void ColourRows();
    bool ContinuePressed() const;
    // The row under the pointer, -1 when none.
    static int32_t RowAt(int32_t x, int32_t y);
    // Up and Down step through the rows that have a replay; the pointer chooses too.
    void UpdateSelection();
    // Plays the replay of row; false (with a notice) when it cannot be played.
    bool WatchRow(int32_t row);

    CGuiLabel m_title;
    CGuiLabel m_positions[kRows];
    CGuiLabel m_names[kRows];
    CGuiLabel m_scores[kRows];
    CGuiLabel m_levels[kRows];
    CGuiLabel m_bottom;
    CGuiLabel m_replayHint;
    CGuiLabel m_levelsHeading;   // over the last column, which is not self-explaining
    std::string m_replays[kRows];
    int32_t m_highlightedRow = -1;
    int32_t m_selectedRow = -1;
    bool m_newEntryMode = false;
    bool m_hintForKeys = false;
};

class CGuiLod final : public CGuiScreen {
public:
    static constexpr int32_t kLevels = 5;

    const char* GetName() const override { return "CGuiLod"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    bool InitScreen() override;
    void ShutdownScreen() override {}

private:
    CGuiLabel m_title;
    CGuiButton m_levelButtons[kLevels];
    CGuiLabel m_descriptions[kLevels];
    CGuiButton m_back;
};
