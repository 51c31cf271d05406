#pragma once
// CGuiCutscene: a message panel of the game: up to five centred lines of large text over
// the playfield (the level line, the level's results, "PAUSED", "GAME OVER", the lines of
// a completed game, "GAME SAVED") on a shaded box. The game owns two of them and calls
// their operations itself; a panel is never an entry of the state layers. When it shows
// and for how long is the game session's panel clock, which the panel follows.
#include "game/PanelClock.h"
#include "gui/GuiState.h"

#include <string>

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
    // The clock whose panel this is; its lines slide in from now.
    void Follow(const CPanelClock* clock) { m_clock = clock; }
    void StartSlide() { StartEntrySlide(); }
    // The lines' slide, one step.
    void Animate(float dt);
    // A mouse button, Return, Space or the pad's A went down in this step.
    static bool DismissInput();

    bool IsShown() const { return m_clock != nullptr && m_clock->IsShown(); }
    EPanelMode Mode() const { return m_clock != nullptr ? m_clock->Mode() : EPanelMode::None; }
    bool IsLevelStart() const { return Mode() == EPanelMode::LevelStart; }
    bool IsLevelDone() const { return Mode() == EPanelMode::LevelDone; }
    bool IsPause() const { return Mode() == EPanelMode::Pause; }
    bool IsGameOver() const { return Mode() == EPanelMode::GameOver; }
    bool IsGameDone() const { return Mode() == EPanelMode::GameDone; }
    bool IsGameSaved() const { return Mode() == EPanelMode::GameSaved; }
    int32_t LineCount() const { return m_lineCount; }
    const CGuiLabel& Line(int32_t index) const { return m_lines[index]; }
    float TimeLeft() const { return m_clock != nullptr ? m_clock->TimeLeft() : -1.0f; }

private:
    CGuiLabel m_lines[kMaxLines];
    int32_t m_lineCount = 0;
    const CPanelClock* m_clock = nullptr;
    CSprite m_shade;
};
