#pragma once
// The level bookkeeping of a game run, shared by the editor and the game: which level is
// played, where the run started, the highest level it may reach, and whether the run is a
// test of a level from the editor (the game then leads back to the editor at its end).
#include <cstdint>

// The last level of a normal game: the pack itself ends it.
constexpr int32_t kUnlimitedLastLevel = INT32_MAX;

extern int32_t g_levelNumber;
extern int32_t g_firstLevel;
extern int32_t g_lastLevel;
// Set while the editor runs; a game started with it set is a test of the edited level.
extern bool g_editorTest;
