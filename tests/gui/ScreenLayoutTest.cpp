// Every caption of every screen, in both languages, stays inside the part of the frame it
// belongs to with clear space around it: the open field between the pillars above the
// deck, the deck below it, or (on the editor's panel) a pillar or the margin left of the
// frame. Each screen is built as the player meets it, its entry slide run to its end, and
// drawn by the software renderer; with PELLORA_E2E_SHOTS set to a folder the pictures are
// kept there as TGA files.
#include "GuiFixtures.h"

#include "editor/Editor.h"
#include "editor/GuiEditor.h"
#include "editor/LevelStore.h"
#include "engine/Engine.h"
#include "engine/StateManager.h"
#include "gui/GuiDialogs.h"
#include "gui/GuiMenu.h"
#include "gui/GuiNetGame.h"
#include "gui/GuiReplays.h"
#include "gui/GuiScores.h"
#include "gui/GuiTwoPlayers.h"
#include "gui/GuiServerAddress.h"
#include "gui/GuiVersus.h"
#include "gui/NetPlay.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Window.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ReplayStore.h"
#include "resources/FileManager.h"
#include "tests/support/SoftwareScreen.h"
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Pixels every caption keeps from the edges of its area.
constexpr int32_t kClearSpace = 3;

struct Area {
    const char* name;
    GuiBox box;
};
// The parts of the frame a caption may sit in (from the frame picture drawn at (64, 2):
// the field is open from x 160 to 480 down to the deck at y 404; the pillars stand from
// x 64 to 160 and 480 to 576; the bottom rail starts at y 450).
constexpr Area kField = {"the field", {160, 0, 480, 404}};
constexpr Area kDeck = {"the deck", {160, 404, 480, 450}};
constexpr Area kLeftPillar = {"the left pillar", {64, 40, 160, 404}};
constexpr Area kRightPillar = {"the right pillar", {480, 40, 576, 404}};
constexpr Area kLeftMargin = {"the margin left of the frame", {0, 0, 64, 450}};

bool Inside(const GuiBox& caption, const GuiBox& area) {
    return caption.left >= area.left + kClearSpace && caption.right <= area.right - kClearSpace &&
           caption.top >= area.top + kClearSpace / 2 && caption.bottom <= area.bottom - kClearSpace / 2;
}

std::string Describe(const GuiBox& box) {
    std::ostringstream text;
    text << "(" << box.left << ", " << box.top << ")-(" << box.right << ", " << box.bottom << ")";
    return text.str();
}

class ScreenLayoutTest : public CGuiTest {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(OpenSoftwareScreen()); }
    static void TearDownTestSuite() { CloseSoftwareScreen(); }
    void SetUp() override {
        CGuiTest::SetUp();
        ASSERT_FALSE(m_folder.Path().empty());
        CFileManager& files = CFileManager::Get();
        files.UnmountAll();
        files.MountFileSystem(m_folder.Path());
        ASSERT_TRUE(MountLevelFolder(m_folder.Path()));
        files.MountFileSystem(PELLORA_DATA_DIR "/levels.nuf");
        files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
        ClearPlayers();
        // The longest name there can be, of wide letters.
        ASSERT_NE(CreatePlayer("WWWWWWWWWWWW"), nullptr);
        ASSERT_NE(CreatePlayer("Ann"), nullptr);
        SelectDifficulty(kDifficultyNormal);
        g_returnScreen = kStateMainMenu;
        g_levelFileName = "1.lvl";
    }
    void TearDown() override {
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        SetStateFactory(nullptr);
        ForgetLevelFolder();
        ClearPlayers();
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        CGuiTest::TearDown();
    }

    // The screen's entry slide runs to its end.
    static void Settle(CGuiState& screen) {
        PointAt(620, 470);
        for (int32_t i = 0; i < 1000 && screen.IsEntering(); ++i) {
            Step([&] { screen.Update(kStep); });
        }
        for (int32_t i = 0; i < 10; ++i) {
            Step([&] { screen.Update(kStep); });
        }
        EXPECT_FALSE(screen.IsEntering());
    }

    // Every shown caption of the screen lies in one of the areas.
    static void ExpectCaptionsInside(const std::vector<const CGuiWidget*>& widgets, const std::vector<Area>& areas) {
        int32_t captions = 0;
        for (const CGuiWidget* widget : widgets) {
            if (!widget->IsVisible() || widget->Text()[0] == '\0') {
                continue;
            }
            ++captions;
            const GuiBox box = widget->CaptionBox();
            bool placed = false;
            for (const Area& area : areas) {
                placed = placed || Inside(box, area.box);
            }
            std::string allowed;
            for (const Area& area : areas) {
                allowed += std::string(allowed.empty() ? "" : ", ") + area.name;
            }
            EXPECT_TRUE(placed) << "\"" << widget->Text() << "\" at " << Describe(box) << " is not inside " << allowed;
        }
        EXPECT_GT(captions, 0);
    }

    static void Keep(CGuiState& screen, const std::string& name, CEngineState* below = nullptr) {
        if (std::getenv("PELLORA_E2E_SHOTS") == nullptr) {
            return;
        }
        CGfxOGL& gfx = CGfxOGL::Get();
        gfx.Clear();
        gfx.BeginScene();
        gfx.LoadIdentity();
        if (below != nullptr) {
            below->Render();
        }
        screen.Render();
        gfx.EndScene();
        Bytes pixels(static_cast<size_t>(kScreenWidth) * kScreenHeight * 3);
        ASSERT_TRUE(gfx.ReadPixels(pixels.data()));
        EXPECT_TRUE(KeepPicture(pixels, name + ".tga"));
    }

    CTempFolder m_folder;
};

// A screen and the widgets whose captions it shows, made fresh for each language.
struct ScreenCase {
    const char* name;
    std::function<std::unique_ptr<CGuiState>()> make;
    std::vector<Area> areas;
    // What the player does once the screen is there; may be empty.
    std::function<void(CGuiState&)> then;
};

// The widgets of a screen, read through its widget list: whatever the screen added.
std::vector<const CGuiWidget*> WidgetsOf(const CGuiState& screen) {
    std::vector<const CGuiWidget*> widgets;
    for (int32_t i = 0; i < screen.WidgetCount(); ++i) {
        widgets.push_back(&screen.WidgetAt(i));
    }
    return widgets;
}

const std::vector<Area> kMenuAreas = {kField, kDeck};

TEST_F(ScreenLayoutTest, EveryCaptionOfTheMenuScreensStaysInsideTheFrameInBothLanguages) {
    const std::vector<ScreenCase> screens = {
        {"language", [] { return std::make_unique<CGuiLanguage>(); }, kMenuAreas, nullptr},
        {"enter-name", [] { return std::make_unique<CGuiEnterName>(); }, kMenuAreas, nullptr},
        // The longest name of wide letters as it is typed.
        {"enter-name-long", [] { return std::make_unique<CGuiEnterName>(); }, kMenuAreas,
         [](CGuiState& screen) {
             for (int32_t i = 0; i < CGuiEnterName::kMaxNameLength; ++i) {
                 screen.OnChar('W');
             }
         }},
        // Return without a name: the hint.
        {"enter-name-hint", [] { return std::make_unique<CGuiEnterName>(); }, kMenuAreas,
         [](CGuiState& screen) {
             screen.OnChar(13);
             EXPECT_TRUE(static_cast<CGuiEnterName&>(screen).Hint().IsVisible());
         }},
        {"player", [] { return std::make_unique<CGuiPlayer>(); }, kMenuAreas, nullptr},
        // Nine players: the whole list and "Go back" alone below it.
        {"player-nine", [] {
             while (GetPlayerCount() < CGuiPlayer::kMaxShownPlayers) {
                 CreatePlayer("Bo");
             }
             return std::make_unique<CGuiPlayer>();
         }, kMenuAreas, nullptr},
        {"options", [] { return std::make_unique<CGuiOptions>(); }, kMenuAreas, nullptr},
        {"menu", [] { return std::make_unique<CGuiMenu>(); }, kMenuAreas, nullptr},
        {"continue", [] { return std::make_unique<CGuiContinue>(); }, kMenuAreas, nullptr},
        {"highscore-child", [] {
             g_highscoreFromMenu = true;
             return std::make_unique<CGuiHighscore>();
         }, kMenuAreas, nullptr},
        {"highscore-normal", [] {
             g_highscoreFromMenu = false;
             SelectDifficulty(kDifficultyNormal);
             return std::make_unique<CGuiHighscore>();
         }, kMenuAreas, nullptr},
        // The versus menu with the computer's strength at its longest caption.
        {"versus-menu", [] {
             g_versusStrength = static_cast<int32_t>(EBotStrength::Normal);
             return std::make_unique<CGuiNetMenu>(kStateHostJoinMenu);
         }, kMenuAreas, nullptr},
        // Two players' set-up: the rules' lines and the hints.
        {"two-players", [] {
             g_twoPlayerRoundSeconds = 300;
             return std::make_unique<CGuiTwoPlayers>();
         }, kMenuAreas, nullptr},
        // The replays list: empty, and two pages whose rows have the longest names there are.
        {"replays-empty", [] {
             DeleteReplayFile("library.dat");
             return std::make_unique<CGuiReplays>();
         }, kMenuAreas,
         [](CGuiState& screen) { EXPECT_TRUE(static_cast<CGuiReplays&>(screen).EmptyLine().IsVisible()); }},
        {"replays-full", [] {
             CReplayLibrary library;
             library.Load();
             for (int32_t i = static_cast<int32_t>(library.Entries().size()); i < 9; ++i) {
                 LibraryEntry entry;
                 entry.kind = i % 3 == 0 ? ELibraryKind::Game : ELibraryKind::Match;
                 entry.mode = i % 3 == 1 ? EMatchMode::Network : EMatchMode::Computer;
                 entry.date = 1800000000u + static_cast<uint32_t>(i) * 4000u;
                 entry.names[0] = "WWWWWWWWWWWWWWW";
                 entry.names[1] = "MMMMMMMMMMMMMMM";
                 if (i % 3 == 2) {
                     entry.kinds[1] = EMatchSideKind::Computer;
                     entry.strengths[1] = static_cast<uint8_t>(EBotStrength::Normal);
                 }
                 entry.roundsWon[0] = 9;
                 entry.roundsWon[1] = 10;
                 entry.score = 1999999999u;
                 entry.steps = 150u * 3599u;
                 library.Add(entry, {1});
             }
             return std::make_unique<CGuiReplays>();
         }, kMenuAreas,
         [](CGuiState& screen) {
             auto& list = static_cast<CGuiReplays&>(screen);
             EXPECT_EQ(list.PageCount(), 2);
             for (int32_t row = 0; row < CGuiReplays::kRows; ++row) {
                 EXPECT_LE(list.Row(row).TextWidth(), 310) << list.Row(row).Text();
                 EXPECT_LE(list.Detail(row).TextWidth(), 310) << list.Detail(row).Text();
             }
         }},
        // Hosting: the addresses, the port and the match offered, then waiting on any free port.
        {"host", [] {
             g_netHostPort = kDefaultNetPort;
             return std::make_unique<CGuiHostGame>();
         }, kMenuAreas, nullptr},
        {"host-waiting", [] {
             g_netHostPort = 0;
             return std::make_unique<CGuiHostGame>();
         }, kMenuAreas,
         [](CGuiState& screen) {
             screen.OnMessage(CGuiHostGame::kCommandStart, 0);
             EXPECT_EQ(static_cast<CGuiHostGame&>(screen).Phase(), CGuiHostGame::EPhase::Listening);
         }},
        // Joining: the on-screen keys, the longest address there can be, a refusal.
        {"join", [] {
             g_netJoinAddress = "127.255.255.254";   // the longest a dotted address gets
             return std::make_unique<CGuiJoinGame>();
         }, kMenuAreas, nullptr},
        {"join-long-refused", [] {
             g_netJoinAddress = std::string(CGuiJoinGame::kMaxAddressLength - 1, 'W') + ":";
             return std::make_unique<CGuiJoinGame>();
         }, kMenuAreas,
         [](CGuiState& screen) {
             screen.OnChar(13);
             EXPECT_STREQ(static_cast<CGuiJoinGame&>(screen).Status().Text(), CLanguage::Get().TxtNetBadPort());
         }},
        // The on-screen keys in the place of the matches found.
        {"join-keys", [] { return std::make_unique<CGuiJoinGame>(); }, kMenuAreas,
         [](CGuiState& screen) {
             screen.OnMessage(CGuiJoinGame::kCommandKeys, 0);
             EXPECT_TRUE(static_cast<CGuiJoinGame&>(screen).Grid().IsShown());
         }},
        // The options' server address, the longest there can be, refused.
        {"server-address", [] { return std::make_unique<CGuiServerAddress>(); }, kMenuAreas,
         [](CGuiState& screen) {
             for (int32_t i = 0; i < 63; ++i) {
                 screen.OnChar('W');
             }
             screen.OnChar(':');
             screen.OnChar(13);
             EXPECT_STREQ(static_cast<CGuiServerAddress&>(screen).Status().Text(), CLanguage::Get().TxtNetBadPort());
         }},
    };
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        const std::string suffix = language == kLanguageSwedish ? "-sv" : "-en";
        for (const ScreenCase& screen : screens) {
            SCOPED_TRACE(screen.name + suffix);
            std::unique_ptr<CGuiState> state = screen.make();
            ASSERT_TRUE(state->Init());
            Settle(*state);
            if (screen.then) {
                screen.then(*state);
            }
            Keep(*state, std::string("layout-") + screen.name + suffix);
            ExpectCaptionsInside(WidgetsOf(*state), screen.areas);
            state->Shutdown();
        }
    }
}

// Whatever ends a network session or refuses an address is told on one line of the screen.
TEST_F(ScreenLayoutTest, EveryNetworkReasonFitsItsLineInBothLanguages) {
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        std::vector<const char*> reasons;
        for (int32_t reason = 0; reason <= static_cast<int32_t>(ENetEndReason::ServerFull); ++reason) {
            reasons.push_back(NetEndReasonText(static_cast<ENetEndReason>(reason)));
        }
        for (int32_t fault = 0; fault <= static_cast<int32_t>(ENetAddressFault::NotFound); ++fault) {
            reasons.push_back(NetAddressFaultText(static_cast<ENetAddressFault>(fault)));
        }
        const CTextTable& texts = CLanguage::Get();
        for (const char* line : {texts.TxtWaitingForPlayer(), texts.TxtLookingUp(), texts.TxtConnecting(),
                                 texts.TxtPortHint(), texts.TxtAddressHint(), texts.TxtHostAServerInfo(),
                                 texts.TxtJoinAServerInfo(), texts.TxtLanLooking(), texts.TxtLanCannotLook(),
                                 texts.TxtNoMatchesYet(), texts.TxtServerAddressHint()}) {
            reasons.push_back(line);
        }
        // The server's part of the join and host screens: "Server: " and why.
        std::vector<std::string> serverLines;
        for (const char* why : {texts.TxtServerNoneSet(), texts.TxtServerAsking(), texts.TxtServerMatches(),
                                texts.TxtServerNoAnswer(), texts.TxtServerRefusedUs(), texts.TxtServerIsFull(),
                                texts.TxtServerFaulty(), texts.TxtServerListed(), texts.TxtNetNameNotFound()}) {
            serverLines.push_back(std::string(texts.TxtServerColon()) + why);
        }
        for (const std::string& line : serverLines) {
            reasons.push_back(line.c_str());
        }
        for (const char* reason : reasons) {
            if (reason[0] == '\0') {
                continue;   // this side's own leaving, or nothing wrong: nothing to tell
            }
            CGuiLabel label;
            label.SetFont(&CFont::Main());
            label.AlignCentre();
            label.SetPos(320, 144);
            FitCaption(label, reason, kMinFitCharSize, 310);
            EXPECT_TRUE(Inside(label.CaptionBox(), kField.box)) << "\"" << reason << "\" is "
                                                                << Describe(label.CaptionBox());
        }
    }
}

CEngineState* CreateEditorState(int32_t id) {
    switch (id) {
        case kStateEditor: return new CEditor();
        case kStateEditorPanel: return new CGuiEditor();
        default: return nullptr;
    }
}

// The editor's panel: its command column and legend on the pillars, its level column left
// of the frame, its questions over the field.
TEST_F(ScreenLayoutTest, EveryCaptionOfTheEditorsPanelStaysOnItsPartOfTheFrameInBothLanguages) {
    const std::vector<Area> areas = {kLeftMargin, kLeftPillar, kRightPillar, kField};
    SetStateFactory(&CreateEditorState);
    ClearPlayers();
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    ASSERT_TRUE(WriteFileBytes(m_folder / "ply1.sav", Bytes(291, 1)));
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        const std::string suffix = language == kLanguageSwedish ? "-sv" : "-en";
        g_levelFileName = "2.lvl";
        CEngine::Get().SetUpperState(kStateEmpty);
        CEngine::Get().SetLowerState(kStateEditor);
        CEngine::Get().ApplyStateRequests();
        CEngine::Get().ApplyStateRequests();
        CEditor* editor = dynamic_cast<CEditor*>(CStateManager::Lower().GetState(0));
        CGuiEditor* panel = dynamic_cast<CGuiEditor*>(CStateManager::Upper().GetState(0));
        ASSERT_NE(editor, nullptr);
        ASSERT_NE(panel, nullptr);
        // A change, so that its mark shows too: an explosion ball, which no shipped level
        // holds at that place.
        PointAt(240, 100);
        HoldKey(DIK_Z, true);
        Step([&] { CStateManager::Lower().Update(kStep); });
        HoldKey(DIK_Z, false);
        CInput::Get().SetButtonHeld(kMouseLeft, true);
        Step([&] { CStateManager::Lower().Update(kStep); });
        CInput::Get().SetButtonHeld(kMouseLeft, false);
        Settle(*panel);
        ASSERT_TRUE(editor->HasUnsavedChanges());
        ASSERT_TRUE(panel->ChangesMark().IsVisible());
        {
            SCOPED_TRACE("editor" + suffix);
            Keep(*panel, "layout-editor" + suffix, editor);
            ExpectCaptionsInside(WidgetsOf(*panel), areas);
        }
        const struct {
            const char* name;
            int32_t command;
        } questions[] = {{"unsaved", kStateMainMenu}, {"replace", kCommandPlayFromLevel}};
        for (const auto& question : questions) {
            SCOPED_TRACE(std::string("editor-") + question.name + suffix);
            CEngine::Get().BroadcastMessage(question.command, 0);
            if (editor->Question() == EEditorQuestion::UnsavedChanges && question.command == kCommandPlayFromLevel) {
                CEngine::Get().BroadcastMessage(kCommandAnswer, static_cast<int32_t>(EEditorAnswer::Discard));
            }
            ASSERT_TRUE(panel->IsQuestionShown());
            Keep(*panel, std::string("layout-editor-") + question.name + suffix, editor);
            ExpectCaptionsInside(WidgetsOf(*panel), areas);
            for (int32_t i = 0; i < CGuiEditor::kMaxAnswers; ++i) {
                const CGuiButton& answer = panel->AnswerButton(i);
                if (answer.IsVisible()) {
                    EXPECT_TRUE(Inside(answer.CaptionBox(), kField.box)) << answer.Text();
                }
            }
            EXPECT_TRUE(CEngine::Get().OnEscape());
            EXPECT_FALSE(panel->IsQuestionShown());
        }
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
    }
}

}  // namespace
