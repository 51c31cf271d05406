#pragma once
// What the screens share besides the players and the texts: the process-wide values they
// read and write, and the pairs of layer requests by which one screen leads to another.
#include "engine/EngineState.h"

#include <cstdint>
#include <memory>
#include <string>

// The file name of the level to play ("1.lvl" whenever a menu is built).
extern std::string g_levelFileName;
// The difficulty of the next game: 1 in child mode, 5 in normal play.
extern int32_t g_difficulty;
// The menu built last (10005, 10100, 10101 or 10102); the player selection returns to it.
extern int32_t g_returnScreen;
// Set by the game at game over; the high-score screen takes it (and clears it).
extern bool g_highscoreNewEntry;
// Set by the main menu's high-score item, cleared whenever the main menu is built: the
// high-score screen then shows the child-mode list first and the normal list after a click.
extern bool g_highscoreFromMenu;
// The next game starts from the current player's saved game.
extern bool g_continueSavedGame;
// The level being played, the first level of a game and the last one that may be played
// (a new game does not limit it).
extern int32_t g_levelNumber;
extern int32_t g_firstLevel;
extern int32_t g_lastLevel;
constexpr int32_t kNoLastLevel = 0x7FFFFFFF;
// The game is a test play started by the level editor: nothing is saved, and the end of
// the level or of the game goes back to the editor.
extern bool g_editorTestPlay;

// Menu screen S in the upper layer, the lower layer emptied.
void GoToScreen(int32_t stateId);
// Screen S in the lower layer, the upper layer emptied.
void GoToLowerScreen(int32_t stateId);
// The same with the screen already built and handed its data.
void GoToLowerScreen(int32_t stateId, std::unique_ptr<CEngineState> screen);
// The main menu, in the upper layer.
void BackToMainMenu();
// A new game from level 1 (the last level does not limit play); the menu music stops.
void StartNewGame();
// Stops and frees the menu music.
void StopMenuMusic();
// Ends the program after this frame.
void LeaveProgram();
// Sets the difficulty and points the high-score list at its file ("hs1.dat", "hs5.dat").
void SelectDifficulty(int32_t difficulty);
// The high-score list forgets the rank of its last new entry (no row is highlighted).
void ForgetHighscoreRank();
