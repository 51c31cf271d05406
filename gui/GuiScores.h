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

    const CGuiLabel& Title() const { return m_title; }
    const CGuiLabel& NameCell(int32_t row) const { return m_names[row]; }
    const CGuiLabel& ScoreCell(int32_t row) const { return m_scores[row]; }
    const CGuiLabel& BottomLine() const { return m_bottom; }

private:
    void FillTexts(int32_t highlightedRow);
    bool ContinuePressed() const;

    CGuiLabel m_title;
    CGuiLabel m_positions[kRows];
    CGuiLabel m_names[kRows];
    CGuiLabel m_scores[kRows];
    CGuiLabel m_levels[kRows];
    CGuiLabel m_bottom;
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
