#include "app/StateFactory.h"

#include "app/GameHooks.h"
#include "editor/Editor.h"
#include "editor/GuiEditor.h"
#include "gui/Game.h"
#include "gui/GuiDialogs.h"
#include "gui/GuiMenu.h"
#include "gui/GuiNetGame.h"
#include "gui/GuiReplays.h"
#include "gui/GuiScores.h"
#include "gui/GuiTwoPlayers.h"
#include "gui/GuiServerAddress.h"
#include "gui/GuiVersus.h"
#include "gui/Intro.h"
#include "gui/ScreenFlow.h"
#include "profile/Language.h"
#include "profile/Players.h"

#include <new>

namespace {
// The start screen: the language choice until a language is chosen, then the name entry
// while there is no player, then the main menu with the current difficulty's high scores.
CEngineState* CreateStartScreen() {
    ReportWriteFolder();
    if (CLanguage::Get().GetLanguage() == kLanguageNone) {
        return new (std::nothrow) CGuiLanguage();
    }
    if (GetPlayerCount() == 0) {
        return new (std::nothrow) CGuiEnterName();
    }
    SelectDifficulty(g_difficulty);
    return new (std::nothrow) CGuiMenu();
}
}  // namespace

CEngineState* CreateState(int32_t stateId) {
    switch (stateId) {
        case kStateStart:
            return CreateStartScreen();
        case kStateGame:
            return new (std::nothrow) CGame();
        case kStateMainMenu:
            // A game started from a menu is no test of an edited level.
            g_editorTestPlay = false;
            return new (std::nothrow) CGuiMenu();
        case kStateEditor:
            return new (std::nothrow) CEditor();
        case kStateEditorPanel:
            return new (std::nothrow) CGuiEditor();
        case kStateIntro:
            return new (std::nothrow) CIntro();
        case kStateOptions:
            return new (std::nothrow) CGuiOptions();
        case kStatePlayer:
            return new (std::nothrow) CGuiPlayer();
        case kStateHostJoinMenu:
        case kStateHostMenu:
        case kStateJoinMenu:
            return new (std::nothrow) CGuiNetMenu(stateId);
        case kStateHighscore:
            return new (std::nothrow) CGuiHighscore();
        case kStateEnterName:
            return new (std::nothrow) CGuiEnterName();
        case kStateContinue:
            return new (std::nothrow) CGuiContinue();
        case kStateDifficulty:
            return new (std::nothrow) CGuiLod();
        case kStateTwoPlayers:
            return new (std::nothrow) CGuiTwoPlayers();
        case kStateVersusGame:
            return new (std::nothrow) CGuiVersus();
        case kStateHostGame:
            return new (std::nothrow) CGuiHostGame();
        case kStateJoinGame:
            return new (std::nothrow) CGuiJoinGame();
        case kStateReplays:
            return new (std::nothrow) CGuiReplays();
        case kStateServerAddress:
            return new (std::nothrow) CGuiServerAddress();
        default:
            return nullptr;
    }
}
