#pragma once
// The program's start-up and shut-down hooks, run by CEngine::Create after the services are
// up and by CEngine::Destroy after both layers were emptied.

// Loads the language choice, the shared texture, the four fonts, the players and the sound
// events, and lets the game and the menus play them; always true.
bool GameStartup();
// Saves the players and frees what GameStartup made.
void GameShutdown();
// Tells the player, the first time it is called, what the start found: another copy holds
// the write folder, or it refuses writes, or the player list could not be read. Called when
// the first screen after the intro is built, so the notices are not spent on the intro.
void ReportWriteFolder();
