#include "app/Globals.h"

std::string g_levelFileName;
TextureHandle g_texpackFace;
