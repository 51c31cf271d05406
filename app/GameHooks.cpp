#include "app/GameHooks.h"

#include "app/Globals.h"
#include "app/SoundEvents.h"
#include "platform/Font.h"
#include "platform/Textures.h"
#include "profile/Language.h"
#include "profile/Players.h"

bool GameStartup() {
    CLanguage::Get().Load();
    InstallLanguageGameTexts();
    g_texpackFace = CTextures::Get().Load("texpack_face");
    CFont::InitProgramFonts();
    LoadPlayers();
    LoadSoundEvents();
    InstallSoundEventHandler();
    return true;
}

void GameShutdown() {
    CTextures::Get().Free(g_texpackFace);
    SavePlayers();
    ClearPlayers();
    SetGameSoundHandler(nullptr, nullptr);
    FreeSoundEvents();
}
