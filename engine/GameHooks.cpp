#include "engine/GameHooks.h"

#include "engine/Globals.h"
#include "engine/SoundEvents.h"
#include "platform/Font.h"
#include "platform/Textures.h"

bool GameStartup() {
    g_texpackFace = CTextures::Get().Load("texpack_face");
    CFont::Main().InitSimple("font", "fontdata.dat", 32, 32);
    CFont::Small().InitSimple("font2", "fontdata2.dat", 16, 16);
    CFont::Third().InitSimple("font3", "fontdata3.dat", 32, 32);
    CFont::FixedPitch() = CFont::Main();
    CFont::FixedPitch().SetFixedPitch(true, 0.5f);
    LoadSoundEvents();
    return true;
}

void GameShutdown() {
    CTextures::Get().Free(g_texpackFace);
    FreeSoundEvents();
}
