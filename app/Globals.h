#pragma once
// Process-wide values that screens and the game share. The screens' own values (the level
// file name, the difficulty, the return screen) live with the screens in gui/ScreenFlow.h.
#include "gui/ScreenFlow.h"
#include "platform/Textures.h"

// The shared texture "texpack_face" (balls, launcher, icons), loaded at start-up.
extern TextureHandle g_texpackFace;
