#include "gui/GuiMenu.h"

#include "core/Log.h"
#include "core/Random.h"
#include "engine/Engine.h"
#include "gui/GuiVersus.h"
#include "gui/NetPlay.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Input.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {
constexpr int32_t kNoticeY = 418;
// A saved game whose first word is this version can be continued.
constexpr uint32_t kSavedGameVersion = 5;

bool HasSavedGame(const char* fileName) {
    if (fileName == nullptr || fileName[0] == '\0' || !CFileManager::Get().Exists(fileName)) {
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!CFileManager::Get().LoadWholeFile(fileName, bytes) || bytes.size() < 4) {
        return false;
    }
    return ReadLe32(bytes.data()) == kSavedGameVersion;
}

// Under the exit item, smaller, so that it stays clear of the player's name below it.
constexpr int32_t kVersusItemY = 322;
constexpr int32_t kVersusItemSize = 24;

// "Computer: Easy" and so on.
std::string StrengthItemText() {
    return std::string(CLanguage::Get().TxtComputerStrength()) + VersusStrengthText(VersusStrength());
}

const char* ChildModeText(bool childMode) {
    return childMode ? CLanguage::Get().TxtChildModeOn() : CLanguage::Get().TxtChildModeOff();
}
}  // namespace

// ---------------------------------------------------------------- the main menu

bool CGuiMenu::InitScreen() {
    StartMenu(kStateMainMenu);
    g_highscoreFromMenu = false;
    const CLanguage& texts = CLanguage::Get();

    BuildLogo(m_logo);
    StyleItem(m_play, texts.TxtPlay(), kCentreX, 110);
    m_play.SetCommand(kStateGame);
    NextItem(m_changePlayer, m_play, texts.TxtChangePlayer(), 36);
    m_changePlayer.SetCommand(kStatePlayer);
    NextItem(m_childMode, m_changePlayer, ChildModeText(CurrentPlayerChildMode()), 36);
    m_childMode.SetCommand(kCommandToggleChildMode);
    NextItem(m_highscore, m_childMode, texts.TxtHighscore(), 36);
    m_highscore.SetCommand(kStateHighscore);
    NextItem(m_options, m_highscore, texts.TxtGameOptions(), 36);
    m_options.SetCommand(kStateOptions);
    NextItem(m_exit, m_options, texts.TxtExitGameMenu(), 36);
    m_exit.SetCommand(kCommandLeave);
    StyleFittedItem(m_versus, texts.TxtVersus(), kCentreX, kVersusItemY, kFieldTextWidth, kVersusItemSize);
    m_versus.SetCommand(kStateHostJoinMenu);
    BuildFooter(m_playerCaption, m_playerName);

    AddSlidingColumn({&m_logo, &m_play, &m_changePlayer, &m_childMode, &m_highscore,
                      &m_options, &m_exit, &m_versus, &m_playerCaption, &m_playerName});

    // The notice on the deck under the field.
    StyleFittedItem(m_noticeShadow, texts.TxtEditorNotice(), kCentreX + 2, kNoticeY + 2, kFieldTextWidth, 16);
    m_noticeShadow.SetColour(0.0f, 0.0f, 0.0f, 1.0f);
    StyleFittedItem(m_notice, texts.TxtEditorNotice(), kCentreX, kNoticeY, kFieldTextWidth, 16);
    m_notice.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
    AddWidget(&m_noticeShadow)->SlideIn(0.0f, 100.0f, 1.1f);
    AddWidget(&m_notice)->SlideIn(0.0f, 100.0f, 1.1f);
    return true;
}

void CGuiMenu::Play() {
    SelectDifficulty(CurrentPlayerDifficulty());
    const char* saveFile = CurrentPlayerSaveFile();
    if (HasSavedGame(saveFile)) {
        GoToScreen(kStateContinue);
        return;
    }
    if (saveFile[0] != '\0' && CFileManager::Get().Exists(saveFile)) {
        // Not a save this game can read: the player hears of it, and the file is kept
        // beside the new game's first save.
        ReportUnreadable(&CTextTable::TxtSavedGameUnreadable, &CTextTable::TxtNewGameStarts, saveFile);
        CFileManager::Get().MarkDamaged(saveFile);
        CFileManager::Get().MarkDamaged(CurrentPlayerLevelFile());
    }
    StartNewGame();
}

void CGuiMenu::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kStateGame:
            Play();
            break;
        case kStateOptions:
        case kStatePlayer:
        case kStateHostJoinMenu:
            GoToScreen(messageId);
            break;
        case kStateHighscore:
            g_highscoreFromMenu = true;
            g_highscoreNewEntry = false;
            GoToScreen(kStateHighscore);
            break;
        case kCommandToggleChildMode:
            m_childMode.SetText(ChildModeText(ToggleCurrentPlayerChildMode()));
            break;
        case kCommandLeave:
            StopMenuMusic();
            LeaveProgram();
            break;
        case kStateEditor:
            CEngine::Get().SetUpperState(kStateEmpty);
            CEngine::Get().SetLowerState(kStateEditor);
            StopMenuMusic();
            break;
        default:
            break;
    }
}

void CGuiMenu::UpdateScreen(float dt) {
    // E opens the level editor, as the notice line says.
    if (CInput::Get().KeyHit(DIK_E)) {
        CEngine::Get().BroadcastMessage(kStateEditor, 0);
    }
}

bool CGuiMenu::OnEscape() {
    LeaveProgram();
    return true;
}

// ---------------------------------------------------------------- the further menus

int32_t CGuiNetMenu::BackState() const {
    return m_stateId == kStateHostJoinMenu ? kStateMainMenu : kStateHostJoinMenu;
}

bool CGuiNetMenu::InitScreen() {
    if (m_stateId == kStateHostJoinMenu) {
        return InitVersusScreen();
    }
    StartMenu(m_stateId);
    const CLanguage& texts = CLanguage::Get();
    BuildLogo(m_logo);
    StyleItem(m_host, texts.TxtHostAServer(), kCentreX, 110);
    m_host.SetCommand(kStateHostMenu);
    StyleItem(m_hostInfo, "", kCentreX, 140);
    m_hostInfo.SetFontSize(16, 16);
    m_hostInfo.SetText(texts.TxtHostAServerInfo());
    StyleItem(m_join, texts.TxtJoinAServer(), kCentreX, 170);
    m_join.SetCommand(kStateJoinMenu);
    StyleItem(m_joinInfo, "", kCentreX, 200);
    m_joinInfo.SetFontSize(16, 16);
    m_joinInfo.SetText(texts.TxtJoinAServerInfo());
    StyleItem(m_back, texts.TxtGoBack(), kCentreX, 230);
    m_back.SetCommand(BackState());
    BuildFooter(m_playerCaption, m_playerName);

    AddSlidingColumn({&m_logo, &m_host, &m_hostInfo, &m_join, &m_joinInfo, &m_back,
                      &m_playerCaption, &m_playerName});
    return true;
}

void CGuiNetMenu::BuildNetworkItem(CGuiButton& item, CGuiLabel& info, const char* text, const char* infoText,
                                   int32_t command, int32_t y) {
    StyleFittedItem(item, text, kCentreX, y);
    item.SetCommand(command);
    StyleFittedItem(info, infoText, kCentreX, y + 28, kFieldTextWidth, 16);
    info.SetColour(0.8f, 0.87f, 0.95f, 1.0f);
}

// The versus menu: the computer and its strength, then hosting and joining a network match,
// each with a line that says what it does, and the replays list.
bool CGuiNetMenu::InitVersusScreen() {
    StartMenu(m_stateId);
    const CLanguage& texts = CLanguage::Get();
    BuildLogo(m_logo);
    StyleFittedItem(m_playComputer, texts.TxtPlayTheComputer(), kCentreX, 92);
    m_playComputer.SetCommand(kStateVersusGame);
    StyleFittedItem(m_strength, StrengthItemText().c_str(), kCentreX, 124, kFieldTextWidth, 24);
    m_strength.SetCommand(kCommandVersusStrength);
    StyleFittedItem(m_twoPlayers, texts.TxtTwoPlayers(), kCentreX, 154);
    m_twoPlayers.SetCommand(kStateTwoPlayers);
    BuildNetworkItem(m_host, m_hostInfo, texts.TxtHostAServer(), texts.TxtHostAServerInfo(), kStateHostGame, 192);
    BuildNetworkItem(m_join, m_joinInfo, texts.TxtJoinAServer(), texts.TxtJoinAServerInfo(), kStateJoinGame, 244);
    StyleFittedItem(m_replays, texts.TxtReplays(), kCentreX, 298);
    m_replays.SetCommand(kStateReplays);
    // The menu is full: "Go back" takes the row of the items that leave a screen, where the
    // other menus show the current player.
    StyleItem(m_back, texts.TxtGoBack(), kCentreX, kBottomItemY);
    m_back.SetCommand(BackState());

    AddSlidingColumn({&m_logo, &m_playComputer, &m_strength, &m_twoPlayers, &m_host, &m_hostInfo, &m_join,
                      &m_joinInfo, &m_replays, &m_back});
    return true;
}

void CGuiNetMenu::PlayTheComputer() {
    SelectDifficulty(CurrentPlayerDifficulty());
    StopMenuMusic();
    GoToLowerScreen(kStateVersusGame,
                    std::unique_ptr<CEngineState>(new (std::nothrow) CGuiVersus(VersusStrength(), TimeSeed())));
}

void CGuiNetMenu::OnMessage(int32_t messageId, int32_t parameter) {
    if (m_stateId == kStateHostJoinMenu && messageId == kStateVersusGame) {
        PlayTheComputer();
        return;
    }
    if (m_stateId == kStateHostJoinMenu && messageId == kCommandVersusStrength) {
        g_versusStrength = (static_cast<int32_t>(VersusStrength()) + 1) % kBotStrengthCount;
        m_strength.SetText(StrengthItemText().c_str());
        return;
    }
    const bool known = m_stateId == kStateHostJoinMenu
                           ? (messageId == kStateMainMenu || messageId == kStatePlayer || messageId == kStateHostMenu ||
                              messageId == kStateHostGame || messageId == kStateJoinGame ||
                              messageId == kStateTwoPlayers || messageId == kStateReplays)
                           : (messageId == kStatePlayer || messageId == kStateHostJoinMenu);
    if (known) {
        GoToScreen(messageId);
    }
}

bool CGuiNetMenu::OnEscape() {
    GoToLowerScreen(BackState());
    return true;
}
