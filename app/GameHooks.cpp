#include "app/GameHooks.h"

#include "app/Globals.h"
#include "app/SoundEvents.h"
#include "platform/Font.h"
#include "platform/Textures.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"

namespace {
// The player list could not be read at start; told with the folder's notices.
bool g_playersUnreadable = false;
}  // namespace

void ReportWriteFolder() {
    static bool reported = false;
    if (reported) {
        return;
    }
    reported = true;
    if (g_otherCopyHoldsFolder) {
        ReportOtherCopy();
    } else if (g_writeFolderError != 0) {
        ReportWriteFolderProblem(g_writeFolderError);
    }
    if (g_playersUnreadable) {
        ReportUnreadable(&CTextTable::TxtPlayersUnreadable, &CTextTable::TxtPlayersKept, "players.cfg");
    }
}

bool GameStartup() {
    CLanguage::Get().Load();
    // The language file's rewrite at load is covered by the folder's own notice.
    InstallWriteFailureNotices();
    InstallLanguageGameTexts();
    g_texpackFace = CTextures::Get().Load("texpack_face");
    CFont::InitProgramFonts();
    g_playersUnreadable = !LoadPlayers();
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
