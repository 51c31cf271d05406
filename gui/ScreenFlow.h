#pragma once
// What the screens share besides the players and the texts: the process-wide values they
// read and write, and the pairs of layer requests by which one screen leads to another.
#include <cstdint>
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

// Menu screen S in the upper layer, the lower layer emptied.
void GoToScreen(int32_t stateId);
// Screen S in the lower layer, the upper layer emptied.
void GoToLowerScreen(int32_t stateId);
// The main menu, in the upper layer.
void BackToMainMenu();
// A new game from level 1; the menu music stops.
void StartNewGame();
// Stops and frees the menu music.
void StopMenuMusic();
// Ends the program after this frame.
void LeaveProgram();
// Sets the difficulty and points the high-score list at its file ("hs1.dat", "hs5.dat").
void SelectDifficulty(int32_t difficulty);
// The high-score list forgets the rank of its last new entry (no row is highlighted).
void ForgetHighscoreRank();
