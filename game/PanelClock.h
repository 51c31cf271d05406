#pragma once
// The clock of a panel in front of the field: which panel it is, how long it stays, and
// what ends it (its own time-out, a click or Return, a pause key, or at once a request to
// save and leave). The game session owns one for the main panel and one for the side
// panel; the screen draws the panel's lines and follows the clock.
#include <cstdint>

enum class EPanelMode : int32_t {
    None = 0,
    LevelStart = 1,
    LevelDone = 2,
    Pause = 3,
    GameOver = 4,
    GameDone = 5,
    GameSaved = 6,
};

class CPanelClock {
public:
    // The panel comes with its own time: 20 s for a completed game, 5 s for a finished
    // level, 0.8 s for "GAME SAVED", 2.5 s for the others (a pause waits for the player).
    void Show(EPanelMode mode);
    // The panel has gone; its mode stays readable.
    void Clear() { m_timer = -1.0f; }
    // One step of a shown panel; true when it has nothing (more) to show. saveRequested is
    // the game's: it ends the panel at once, and is dropped when a completed game (or the
    // game-done panel) is ended that way, since nothing is saved then. The player ends a
    // panel early with a click or Return (dismissHit), a pause also with its own keys
    // (pauseKeyHit).
    bool Step(float dt, bool& saveRequested, bool allLevelsDone, bool dismissHit, bool pauseKeyHit);
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
    float TimeLeft() const { return m_timer; }

private:
    float m_timer = -1.0f;
    EPanelMode m_mode = EPanelMode::None;
    float m_effectClock = 0.0f;
    float m_effectDelay = 0.0f;
    bool m_effectDue = false;
};
