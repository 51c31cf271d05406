#pragma once
// CGameFlow: the course of a game from level to level, without a screen. It carries the
// player's running values (score, lives, statistics) across levels, loads a level and
// starts it, settles a finished level (its summary, the accuracy bonus, the next level
// loaded behind the panel), reloads a level after a lost life, gives the extra lives, and
// says what follows once a panel has gone: the next level, the completed game, or the
// game's end. The game's screen shows panels around it; the simulator plays through it
// the same way.
#include "game/Playfield.h"

#include <cstdint>

// Where the levels come from: the game's level files, or the simulator's pack in memory.
class ILevelSource {
public:
    virtual ~ILevelSource() = default;
    // Seeds the random generator for the level and loads level `number` into the
    // playfield; false when it cannot be loaded.
    virtual bool LoadLevel(int32_t number, CPlayfield& playfield) = 0;
};

// No game goes past this level number: a saved game with a higher one is refused, and
// the level after it counts as the end of the pack.
constexpr int32_t kMaxLevelNumber = 99999;

// What follows once the panel in front of the field has gone.
enum class EFlowNext {
    StartLevel,   // the loaded level starts
    GameDone,     // every level of the pack is done: the completed-game panel
    GameEnd,      // the game is over: the high-score check and the list
};

class CGameFlow {
public:
    CGameFlow(CPlayfield& playfield, ILevelSource& source) : m_playfield(playfield), m_source(source) {}
    CGameFlow(const CGameFlow&) = delete;
    CGameFlow& operator=(const CGameFlow&) = delete;

    // A game begins: the game's statistics and flags are cleared and no shot was seen.
    // Levels number .. lastLevel are played.
    void BeginGame(int32_t levelNumber, int32_t lastLevel);
    // A new game's running values: two spare lives, nothing scored.
    void ResetProgress() { m_playfield.Progress().ResetForNewGame(); }
    // A continued game: its levels and its pack-done flag come from the save.
    void ContinueGame(int32_t levelNumber, int32_t lastLevel, bool allLevelsDone);

    // The level being played and the last one, as the owner moved them.
    void SetLevels(int32_t levelNumber, int32_t lastLevel) {
        m_levelNumber = levelNumber;
        m_lastLevel = lastLevel;
    }

    // Loads the current level, or with advance the one after it. Past the last level (or
    // kMaxLevelNumber) or when the level cannot be loaded, the pack is done and the game
    // is over (false).
    bool LoadLevel(bool advance);
    // The loaded level's start: the placement, the per-level flags, the first two balls.
    void StartLevel() { m_playfield.StartLevel(); }

    // The level is finished: its results, the accuracy bonus added to the score, the
    // level's figures folded into the game's, and the next level loaded behind the panel.
    LevelDoneSummary FinishLevel();
    // A life was lost: the level's figures start again and the level is loaded anew.
    // False when it cannot be loaded (the game is then over).
    bool ReloadLevel();
    // The answers to the playfield's events that change the field at once.
    void PayRowBonus(int32_t points, float x, float y) { m_playfield.AddScore(points, x, y); }
    void GiveMulticolorBall() { m_playfield.GiveMulticolorBall(); }
    // After each step: at most one extra life when the score passed its mark; true then.
    bool CheckExtraLife();

    // What follows the level-done panel, and what follows any other panel.
    EFlowNext AfterLevelDone() const;
    EFlowNext Proceed() const { return IsGameOver() ? EFlowNext::GameEnd : EFlowNext::StartLevel; }

    bool IsGameOver() const { return m_gameOver || m_playfield.IsGameOver(); }
    bool IsAllLevelsDone() const { return m_allLevelsDone; }
    int32_t LevelNumber() const { return m_levelNumber; }
    int32_t LastLevel() const { return m_lastLevel; }
    // What a finished game enters in the high-score list: the score (never below zero)
    // and the levels finished.
    uint32_t FinalScore() const;
    int32_t LevelsFinished() const { return m_levelNumber - 1; }

private:
    CPlayfield& m_playfield;
    ILevelSource& m_source;
    int32_t m_levelNumber = 1;
    int32_t m_lastLevel = 1;
    bool m_allLevelsDone = false;
    bool m_gameOver = false;
};
