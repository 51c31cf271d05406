#include "app/Globals.h"

TextureHandle g_texpackFace;
