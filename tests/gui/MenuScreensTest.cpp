// The menu screens on their own, with a data folder of their own: what the continue
// question and the high-score screen do to the saved games.
#include "GuiFixtures.h"

#include "engine/StateManager.h"
#include "platform/Gfx.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "profile/TextTable.h"
#include "gui/GuiDialogs.h"
#include "gui/GuiScores.h"
#include "gui/ScreenFlow.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "tests/support/SoftwareScreen.h"
#include "tests/support/TestFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

CEngineState* CreateMenuScreen(int32_t stateId) {
    switch (stateId) {
        case kStateOptions: return new CGuiOptions();
        case kStatePlayer: return new CGuiPlayer();
        default: return nullptr;
    }
}

class MenuScreensTest : public CScreenTest {
protected:
    void SetUp() override {
        CScreenTest::SetUp();
        CFileManager::Get().MountFileSystem(PELLORA_DATA_DIR "/levels.nuf");
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        g_highscoreNewEntry = false;
        g_highscoreFromMenu = false;
        g_continueSavedGame = false;
        SelectDifficulty(kDifficultyNormal);
        SetStateFactory(&CreateMenuScreen);
    }
    void TearDown() override {
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        SetStateFactory(nullptr);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        CScreenTest::TearDown();
    }

    // Stands for a saved game: the pair of files with a few bytes each.
    void WriteSave(const std::string& saveName, const std::string& fieldName) const {
        ASSERT_TRUE(WriteFileBytes(m_folder / saveName, BytesOf("save")));
        ASSERT_TRUE(WriteFileBytes(m_folder / fieldName, BytesOf("field")));
    }
    bool HasFile(const std::string& name) const { return PathExists(m_folder / name); }
    // Two players with a saved game each; the second is current.
    void TwoPlayersWithSaves() {
        ASSERT_NE(CreatePlayer("Anna"), nullptr);
        ASSERT_NE(CreatePlayer("Bo"), nullptr);
        WriteSave("ply1.sav", "ply1.lvl");
        WriteSave("ply2.sav", "ply2.lvl");
    }

    // The screen in the upper layer, its entry slide over.
    template <typename Screen>
    static Screen& Show(int32_t stateId) {
        EXPECT_TRUE(CStateManager::Upper().SetState(stateId, true));
        Screen& screen = *static_cast<Screen*>(CStateManager::Upper().GetState(0));
        for (int32_t i = 0; i < 150; ++i) {
            StepLayers();
        }
        return screen;
    }
    static void StepLayers() {
        Step([] {
            CStateManager::Upper().Update(kStep);
            CStateManager::Lower().Update(kStep);
        });
    }
    static void ClickAt(int32_t x, int32_t y) {
        PointAt(x, y);
        StepLayers();
        HoldButton(true);
        StepLayers();
        HoldButton(false);
        StepLayers();
    }
    // The middle of a centred button's caption.
    static void ClickOn(const CGuiWidget& button) { ClickAt(button.X(), button.Y() + button.H() / 2); }
};

bool SameColour(const GuiColour& a, const GuiColour& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// "New game" throws the current player's save away; "Continue" and "Go back" keep it; no
// other player's save is touched.
TEST_F(MenuScreensTest, TheContinueQuestionDeletesTheSaveOnlyForANewGame) {
    const struct {
        const char* what;
        int32_t command;
        bool deleted;
        int32_t lower;   // the screen asked for in the lower layer
    } cases[] = {
        {"New game", CGuiContinue::kCommandNewGame, true, kStateGame},
        {"Continue", CGuiContinue::kCommandContinue, false, kStateGame},
        {"Go back", kStateMainMenu, false, kStateEmpty},
    };
    TwoPlayersWithSaves();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSave("ply2.sav", "ply2.lvl");
        g_continueSavedGame = false;
        CGuiContinue screen;
        ASSERT_TRUE(screen.Init());
        screen.OnMessage(c.command, 0);
        EXPECT_EQ(HasFile("ply2.sav"), !c.deleted);
        EXPECT_EQ(HasFile("ply2.lvl"), !c.deleted);
        EXPECT_TRUE(HasFile("ply1.sav")) << "another player's save";
        EXPECT_TRUE(HasFile("ply1.lvl")) << "another player's save";
        EXPECT_EQ(g_continueSavedGame, c.command == CGuiContinue::kCommandContinue);
        EXPECT_EQ(CStateManager::Lower().GetPendingId(), c.lower);
        screen.Shutdown();
    }
}

// The high-score screen reached at the end of a game deletes the finished game's save;
// shown from the menu it deletes nothing.
TEST_F(MenuScreensTest, TheHighScoresAfterAGamesEndDeleteItsSave) {
    TwoPlayersWithSaves();
    for (const bool afterAGame : {false, true}) {
        SCOPED_TRACE(afterAGame ? "after a game" : "from the menu");
        g_highscoreNewEntry = afterAGame;
        g_highscoreFromMenu = !afterAGame;
        CGuiHighscore screen;
        ASSERT_TRUE(screen.Init());
        EXPECT_EQ(HasFile("ply2.sav"), !afterAGame);
        EXPECT_EQ(HasFile("ply2.lvl"), !afterAGame);
        EXPECT_TRUE(HasFile("ply1.sav")) << "another player's save";
        EXPECT_TRUE(HasFile("ply1.lvl")) << "another player's save";
        EXPECT_FALSE(g_highscoreNewEntry) << "the screen takes the flag";
        screen.Shutdown();
    }
}

// ---------------------------------------------------------------- options

// Each language button takes its language at once: the screen's own texts change, the
// choice is marked and written to "language.dat".
TEST_F(MenuScreensTest, TheOptionsChangeTheLanguageAtOnceAndStoreIt) {
    const struct {
        uint32_t from;
        uint32_t to;
    } cases[] = {{kLanguageEnglish, kLanguageSwedish}, {kLanguageSwedish, kLanguageEnglish},
                 {kLanguageSwedish, kLanguageSwedish}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
        CLanguage::Get().SetLanguage(c.from);
        CGuiOptions& screen = Show<CGuiOptions>(kStateOptions);
        const TextStrings& before = c.from == kLanguageSwedish ? kSwedishStrings : kEnglishStrings;
        const TextStrings& after = c.to == kLanguageSwedish ? kSwedishStrings : kEnglishStrings;
        EXPECT_STREQ(screen.Title().Text(), before.TxtOptions);
        ClickOn(c.to == kLanguageSwedish ? screen.SwedishButton() : screen.EnglishButton());
        EXPECT_EQ(CLanguage::Get().GetLanguage(), c.to);
        EXPECT_EQ(ReadFileBytes(m_folder / "language.dat"), (Bytes{static_cast<uint8_t>(c.to), 0, 0, 0}));
        EXPECT_STREQ(screen.Title().Text(), after.TxtOptions);
        EXPECT_STREQ(screen.BackButton().Text(), after.TxtGoBack);
        EXPECT_EQ(screen.BackButton().W(), screen.BackButton().TextWidth()) << "measured again";
        const GuiColour& english = screen.EnglishButton().Colour();
        const GuiColour& swedish = screen.SwedishButton().Colour();
        EXPECT_EQ(SameColour(english, kChosenItemColour), c.to == kLanguageEnglish);
        EXPECT_EQ(SameColour(swedish, kChosenItemColour), c.to == kLanguageSwedish);
        EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateNone) << "the options stay";
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);
}

// A drag along a slider changes its volume step by step while the button is held.
TEST_F(MenuScreensTest, TheVolumesFollowADragOfTheirSliders) {
    CSoundBass& sound = CSoundBass::Get();
    sound.SetSampleVolume(50);
    sound.SetMusicVolume(50);
    CGuiOptions& screen = Show<CGuiOptions>(kStateOptions);
    const struct {
        const char* what;
        const CGuiSlider& slider;
        int32_t (CSoundBass::*volume)() const;
    } cases[] = {{"sound", screen.SoundSlider(), &CSoundBass::GetSampleVolume},
                 {"music", screen.MusicSlider(), &CSoundBass::GetMusicVolume}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t y = c.slider.Y() + 16;
        const int32_t left = static_cast<int32_t>(c.slider.MiddleLeft());
        PointAt(left + 115, y);   // the knob at 50
        StepLayers();
        HoldButton(true);
        StepLayers();
        EXPECT_EQ((sound.*c.volume)(), 50);
        for (const int32_t percent : {60, 80, 100, 20, 0}) {
            PointAt(left + 230 * percent / 100, y + 20);
            StepLayers();
            EXPECT_EQ((sound.*c.volume)(), percent);
        }
        HoldButton(false);
        StepLayers();
        PointAt(left + 115, y);
        StepLayers();
        EXPECT_EQ((sound.*c.volume)(), 0) << "released";
    }
}

// ---------------------------------------------------------------- player selection

class PlayerSelectionTest : public MenuScreensTest {
protected:
    // Three players, each with a saved game whose bytes name its owner; Bo is current.
    void ThreePlayersWithSaves() {
        for (const char* name : {"Anna", "Bo", "Cecilia"}) {
            PlayerRecord* player = CreatePlayer(name);
            ASSERT_NE(player, nullptr);
            ASSERT_TRUE(WriteFileBytes(m_folder / player->saveFile, BytesOf(std::string("save of ") + name)));
            ASSERT_TRUE(WriteFileBytes(m_folder / player->levelFile, BytesOf(std::string("field of ") + name)));
        }
        ASSERT_TRUE(SetCurrentPlayer(GetPlayer(1)));
        ASSERT_TRUE(SavePlayers());
    }
    // The owner named by a saved game's bytes, "" when the file is missing.
    std::string SaveOwner(const std::string& fileName) const {
        const Bytes bytes = ReadFileBytes(m_folder / fileName);
        const std::string text(bytes.begin(), bytes.end());
        const size_t of = text.find(" of ");
        return of == std::string::npos ? "" : text.substr(of + 4);
    }
};

// The delete mark of Bo, then Yes: Bo's saved game goes, Anna and Cecilia keep theirs
// under their own names, also after a new player has been added in Bo's place.
TEST_F(PlayerSelectionTest, DeletingAPlayerInTheMiddleTakesOnlyThatPlayersSave) {
    ThreePlayersWithSaves();
    // What else the player owns: an edited level, a high-score list, the sound settings.
    ASSERT_EQ(mkdir((m_folder / "levels").c_str(), 0700), 0);
    const Bytes other = BytesOf("kept");
    for (const char* name : {"levels/1.lvl", "hs5.dat", "sound.cfg"}) {
        ASSERT_TRUE(WriteFileBytes(m_folder / name, other));
    }
    CGuiPlayer& screen = Show<CGuiPlayer>(kStatePlayer);
    ClickOn(screen.DeleteButton(1));
    ASSERT_EQ(screen.AskedPlayer(), 1);
    EXPECT_STREQ(screen.QuestionName().Text(), "Bo");
    EXPECT_FALSE(screen.NameButton(0).IsHovered());
    ClickOn(screen.YesButton());
    EXPECT_EQ(screen.AskedPlayer(), -1);
    EXPECT_EQ(ListFolder(m_folder.Path()),
              (std::vector<std::string>{"hs5.dat", "language.dat", "levels", "players.cfg", "ply1.lvl", "ply1.sav",
                                        "ply3.lvl", "ply3.sav", "sound.cfg"}));
    for (const char* name : {"levels/1.lvl", "hs5.dat", "sound.cfg"}) {
        EXPECT_EQ(ReadFileBytes(m_folder / name), other) << name;
    }
    EXPECT_EQ(SaveOwner("ply1.sav"), "Anna");
    EXPECT_EQ(SaveOwner("ply3.lvl"), "Cecilia");
    // The list on the screen and in "players.cfg".
    EXPECT_STREQ(screen.NameButton(0).Text(), "Anna");
    EXPECT_STREQ(screen.NameButton(1).Text(), "Cecilia");
    EXPECT_STREQ(CurrentPlayerName(), "Cecilia") << "the player in Bo's place";
    ClearPlayers();
    ASSERT_TRUE(LoadPlayers());
    ASSERT_EQ(GetPlayerCount(), 2);
    EXPECT_STREQ(GetPlayer(0)->saveFile, "ply1.sav");
    EXPECT_STREQ(GetPlayer(1)->saveFile, "ply3.sav");
    EXPECT_STREQ(CurrentPlayerName(), "Cecilia");
    // A new player gets files nobody owns; Cecilia's save is still hers.
    const PlayerRecord* dan = CreatePlayer("Dan");
    ASSERT_NE(dan, nullptr);
    EXPECT_STREQ(dan->saveFile, "ply2.sav");
    EXPECT_FALSE(HasFile("ply2.sav"));
    EXPECT_EQ(SaveOwner(GetPlayer(1)->saveFile), "Cecilia");
    EXPECT_EQ(SaveOwner(GetPlayer(0)->saveFile), "Anna");
}

// No, or Escape, answers the question without deleting anything.
TEST_F(PlayerSelectionTest, NoOrEscapeKeepsThePlayerAndTheSave) {
    ThreePlayersWithSaves();
    const Bytes list = ReadFileBytes(m_folder / "players.cfg");
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "No");
        CGuiPlayer& screen = Show<CGuiPlayer>(kStatePlayer);
        ClickOn(screen.DeleteButton(2));
        ASSERT_EQ(screen.AskedPlayer(), 2);
        if (escape) {
            EXPECT_TRUE(screen.OnEscape());
        } else {
            ClickOn(screen.NoButton());
        }
        EXPECT_EQ(screen.AskedPlayer(), -1);
        EXPECT_EQ(GetPlayerCount(), 3);
        EXPECT_STREQ(screen.NameButton(2).Text(), "Cecilia");
        EXPECT_EQ(SaveOwner("ply3.sav"), "Cecilia");
        EXPECT_EQ(ReadFileBytes(m_folder / "players.cfg"), list);
        EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateNone) << "the selection stays";
        EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateNone) << "the selection stays";
    }
}

// The last player deleted: the start screen follows, which asks for a name.
TEST_F(PlayerSelectionTest, DeletingTheOnlyPlayerLeadsToTheStart) {
    ASSERT_NE(CreatePlayer("Anna"), nullptr);
    WriteSave("ply1.sav", "ply1.lvl");
    CGuiPlayer& screen = Show<CGuiPlayer>(kStatePlayer);
    ClickOn(screen.DeleteButton(0));
    ClickOn(screen.YesButton());
    EXPECT_EQ(GetPlayerCount(), 0);
    EXPECT_EQ(GetCurrentPlayer(), nullptr);
    EXPECT_FALSE(HasFile("ply1.sav"));
    EXPECT_FALSE(HasFile("ply1.lvl"));
    EXPECT_EQ(ReadFileBytes(m_folder / "players.cfg").size(), PlayersFileSize(0));
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateStart);
}

// Files another record names too stay for that record.
TEST_F(PlayerSelectionTest, ASaveNamedByAnotherPlayerTooIsKept) {
    ThreePlayersWithSaves();
    std::strcpy(GetPlayer(2)->saveFile, "ply2.sav");
    std::strcpy(GetPlayer(2)->levelFile, "ply2.lvl");
    ASSERT_TRUE(DeletePlayerWithSavedGame(1));
    EXPECT_EQ(SaveOwner("ply2.sav"), "Bo");
    EXPECT_EQ(SaveOwner("ply1.sav"), "Anna");
    ASSERT_EQ(GetPlayerCount(), 2);
    EXPECT_STREQ(GetPlayer(1)->saveFile, "ply2.sav");
}

// A saved game that cannot be deleted keeps its player in the list.
TEST_F(PlayerSelectionTest, APlayerWhoseSaveCannotBeDeletedStays) {
    ThreePlayersWithSaves();
    // A folder in the place of the field file cannot be deleted as a file.
    ASSERT_EQ(std::remove((m_folder / "ply2.lvl").c_str()), 0);
    ASSERT_EQ(mkdir((m_folder / "ply2.lvl").c_str(), 0700), 0);
    ASSERT_TRUE(WriteFileBytes(m_folder / "ply2.lvl/keep", BytesOf("x")));
    EXPECT_FALSE(DeletePlayerWithSavedGame(1));
    EXPECT_EQ(GetPlayerCount(), 3);
    EXPECT_STREQ(GetPlayer(1)->name, "Bo");
}

// With nine players the selection says that the list is full instead of offering a tenth;
// the current player is marked in the chosen colour, no other.
TEST_F(PlayerSelectionTest, TheListSaysWhenItIsFullAndMarksTheCurrentPlayer) {
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        for (const int32_t count : {8, 9}) {
            SCOPED_TRACE(testing::Message() << language << ", " << count << " players");
            ClearPlayers();
            const char* const names[] = {"P0", "P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8"};
            for (int32_t i = 0; i < count; ++i) {
                ASSERT_NE(CreatePlayer(names[i]), nullptr);
            }
            ASSERT_TRUE(SetCurrentPlayer(GetPlayer(3)));
            CGuiPlayer& screen = Show<CGuiPlayer>(kStatePlayer);
            EXPECT_EQ(screen.HasAddPlayer(), count < 9);
            EXPECT_EQ(screen.IsListFull(), count == 9);
            if (count == 9) {
                EXPECT_STREQ(screen.FullNotice().Text(), CLanguage::Get().TxtPlayersFull());
                // On the deck under the frame: below "Go back", on the screen.
                EXPECT_GT(screen.FullNotice().Y(), screen.BackButton().Y() + screen.BackButton().H());
                EXPECT_LE(screen.FullNotice().Y() + screen.FullNotice().H(), kScreenHeight);
                EXPECT_GT(screen.FullNotice().Y(), screen.NameButton(8).Y() + screen.NameButton(8).H() - 8);
            }
            for (int32_t i = 0; i < count; ++i) {
                EXPECT_EQ(SameColour(screen.NameButton(i).Colour(), kChosenItemColour), i == 3) << i;
            }
        }
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);
}

// ---------------------------------------------------------------- drawing

// The screens drawn by a real renderer (software, on SDL's dummy video driver).
class MenuDrawingTest : public MenuScreensTest {
protected:
    static constexpr int kWidth = kScreenWidth;
    static constexpr int kHeight = kScreenHeight;

    static void SetUpTestSuite() { ASSERT_TRUE(OpenSoftwareScreen()); }
    static void TearDownTestSuite() { CloseSoftwareScreen(); }
    // Both layers as the engine draws them (without the cursor); rows from the bottom. With
    // PELLORA_E2E_SHOTS set to a folder, the picture is kept there as a TGA file.
    static Bytes Draw(const std::string& keepAs) {
        Bytes pixels = DrawScreen(EDrawnLayers::Both, false);
        EXPECT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight * 3);
        EXPECT_TRUE(KeepPicture(pixels, keepAs));
        return pixels;
    }
    // Pixels of a widget's caption drawn in the chosen colour: clearly more red than blue.
    static int32_t ChosenPixels(const Bytes& pixels, const CGuiWidget& widget) {
        const int left = widget.X() - widget.TextWidth() / 2;
        int32_t count = 0;
        for (int y = widget.Y(); y < widget.Y() + widget.H() && y < kHeight; ++y) {
            for (int x = std::max(left, 0); x < left + widget.TextWidth() && x < kWidth; ++x) {
                const size_t i = (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 3;
                count += pixels[i] > 150 && pixels[i] - pixels[i + 2] > 90 ? 1 : 0;
            }
        }
        return count;
    }
};

TEST_F(MenuDrawingTest, TheOptionsShowTheChosenLanguageInItsColour) {
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        SCOPED_TRACE(language);
        CLanguage::Get().SetLanguage(language);
        CGuiOptions& screen = Show<CGuiOptions>(kStateOptions);
        PointAt(10, 470);
        StepLayers();
        const Bytes pixels = Draw(language == kLanguageSwedish ? "options-sv.tga" : "options-en.tga");
        const int32_t english = ChosenPixels(pixels, screen.EnglishButton());
        const int32_t swedish = ChosenPixels(pixels, screen.SwedishButton());
        if (language == kLanguageEnglish) {
            EXPECT_GT(english, 50);
            EXPECT_LT(swedish, english / 10);
        } else {
            EXPECT_GT(swedish, 50);
            EXPECT_LT(english, swedish / 10);
        }
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);
}

// The current player's name is drawn in the chosen colour, the others not; the list, the
// full list and the question, in both languages.
TEST_F(MenuDrawingTest, ThePlayerSelectionMarksTheCurrentPlayer) {
    const char* const names[] = {"Anna", "Bo", "Cecilia", "Dan", "Eva", "Fredrik", "Gun", "Hans", "\xC5sa"};
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        const std::string suffix = language == kLanguageSwedish ? "-sv.tga" : "-en.tga";
        for (const int32_t count : {3, 9}) {
            SCOPED_TRACE(testing::Message() << language << ", " << count << " players");
            CLanguage::Get().SetLanguage(language);
            ClearPlayers();
            for (int32_t i = 0; i < count; ++i) {
                ASSERT_NE(CreatePlayer(names[i]), nullptr);
            }
            ASSERT_TRUE(SetCurrentPlayer(GetPlayer(1)));
            CGuiPlayer& screen = Show<CGuiPlayer>(kStatePlayer);
            PointAt(10, 470);
            StepLayers();
            const Bytes pixels = Draw("players" + std::to_string(count) + suffix);
            for (int32_t i = 0; i < count; ++i) {
                if (i == 1) {
                    EXPECT_GT(ChosenPixels(pixels, screen.NameButton(i)), 50) << names[i];
                } else {
                    EXPECT_LT(ChosenPixels(pixels, screen.NameButton(i)), 10) << names[i];
                }
            }
            if (count == 3) {
                ClickOn(screen.DeleteButton(2));
                PointAt(10, 470);
                for (int32_t i = 0; i < 150; ++i) {
                    StepLayers();
                }
                ASSERT_EQ(screen.AskedPlayer(), 2);
                Draw("players-question" + suffix);
            }
        }
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);
}

}  // namespace
