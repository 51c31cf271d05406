#pragma once
// The program's start-up and shut-down hooks, run by CEngine::Create after the services are
// up and by CEngine::Destroy after both layers were emptied.

// Loads the shared texture, the four fonts and the sound events; always true.
bool GameStartup();
// Frees what GameStartup made.
void GameShutdown();
