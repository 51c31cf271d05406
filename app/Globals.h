#pragma once
// Process-wide values that screens and the game share.
#include "platform/Textures.h"

#include <string>

// The file name of the level to play ("1.lvl" at start).
extern std::string g_levelFileName;
// The shared texture "texpack_face" (balls, launcher, icons), loaded at start-up.
extern TextureHandle g_texpackFace;
