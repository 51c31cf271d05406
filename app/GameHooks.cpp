#include "app/GameHooks.h"

#include "app/Globals.h"
#include "app/SoundEvents.h"
#include "platform/Font.h"
#include "platform/Textures.h"
#include "profile/Language.h"

bool GameStartup() {
    InstallLanguageGameTexts();
    g_texpackFace = CTextures::Get().Load("texpack_face");
    CFont::InitProgramFonts();
    LoadSoundEvents();
    return true;
}

void GameShutdown() {
    CTextures::Get().Free(g_texpackFace);
    FreeSoundEvents();
}
