#pragma once
// Process-wide values that screens and the game share. The screens' own values (the level
// file name, the difficulty, the return screen) live with the screens in gui/ScreenFlow.h.
#include "gui/ScreenFlow.h"
#include "platform/Textures.h"

// The shared texture "texpack_face" (balls, launcher, icons), loaded at start-up.
extern TextureHandle g_texpackFace;
// What the start found of the write folder, told to the player once the texts are loaded:
// the system's error number of a trial write (0: it takes files), and whether another copy
// of the program holds the folder (this one then writes nothing).
extern int g_writeFolderError;
extern bool g_otherCopyHoldsFolder;
