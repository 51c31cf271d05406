#pragma once
// CGuiCutscene: a message panel of the game: up to five centred lines of large text over
// the playfield (the level line, the level's results, "PAUSED", "GAME OVER", the lines of
// a completed game, "GAME SAVED") on a shaded box. The game owns two of them and calls
// their operations itself; a panel is never an entry of the state layers. It ends by its
// own time-out, by a click, or at once when the game asks to save.
#include "gui/GuiState.h"

#include <string>

enum class EPanelMode : int32_t {
    None = 0,
    LevelStart = 1,
    LevelDone = 2,
    Pause = 3,
    GameOver = 4,
    GameDone = 5,
    GameSaved = 6,
};

class CGuiCutscene final : public CGuiState {
public:
    static constexpr int32_t kMaxLines = 5;

    const char* GetName() const override { return "CGuiCutscene"; }
    bool InitScreen() override;
    void ShutdownScreen() override { Clear(); }
    void RenderBackground() override;

    void Clear();
    // Ignored once five lines are there. Dim lines are pale yellow. A line wider than the
    // field is drawn smaller until it fits.
    void AddLine(const char* text, float y, int32_t charSize, bool dim);
    void AddLine(const std::string& text, float y, int32_t charSize, bool dim) { AddLine(text.c_str(), y, charSize, dim); }
    void SlideLine(int32_t index, float dx, float dy, float seconds);
    void Show(EPanelMode mode);
    // One step of a shown panel; true when it has nothing (more) to show. saveRequested is
    // the game's: it ends the panel at once, and is dropped when a completed game (or the
    // game-done panel) is ended that way, since nothing is saved then. The player ends a
    // panel early with a click or Return (dismissHit), a pause also with its own keys
    // (pauseKeyHit).
    bool Step(float dt, bool& saveRequested, bool allLevelsDone, bool dismissHit, bool pauseKeyHit);
    // A mouse button, Return, Space or the pad's A went down in this step.
    static bool DismissInput();
    // Reads and clears the due flag of the game-done panel's celebration effects.
    bool TakeEffect();

    bool IsShown() const { return m_timer >= 0.0f; }
    EPanelMode Mode() const { return m_mode; }
    bool IsLevelStart() const { return m_mode == EPanelMode::LevelStart; }
    bool IsLevelDone() const { return m_mode == EPanelMode::LevelDone; }
    bool IsPause() const { return m_mode == EPanelMode::Pause; }
    bool IsGameOver() const { return m_mode == EPanelMode::GameOver; }
    bool IsGameDone() const { return m_mode == EPanelMode::GameDone; }
    bool IsGameSaved() const { return m_mode == EPanelMode::GameSaved; }
    int32_t LineCount() const { return m_lineCount; }
    const CGuiLabel& Line(int32_t index) const { return m_lines[index]; }
    float TimeLeft() const { return m_timer; }

private:

    CGuiLabel m_lines[kMaxLines];
    int32_t m_lineCount = 0;
    float m_timer = -1.0f;
    EPanelMode m_mode = EPanelMode::None;
    float m_effectClock = 0.0f;
    float m_effectDelay = 0.0f;
    bool m_effectDue = false;
    CSprite m_shade;
};
