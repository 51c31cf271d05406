#include "app/Globals.h"

TextureHandle g_texpackFace;
int g_writeFolderError = 0;
bool g_otherCopyHoldsFolder = false;
