// The menu screens on their own, with a data folder of their own: what the continue
// question and the high-score screen do to the saved games.
#include "GuiFixtures.h"

#include "engine/StateManager.h"
#include "gui/GuiScores.h"
#include "gui/ScreenFlow.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "tests/support/TestFiles.h"

#include <string>
#include <vector>

namespace {

class MenuScreensTest : public CGuiTest {
protected:
    void SetUp() override {
        CGuiTest::SetUp();
        ASSERT_FALSE(m_folder.Path().empty());
        CFileManager& files = CFileManager::Get();
        files.UnmountAll();
        files.MountFileSystem(m_folder.Path());
        files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        ClearPlayers();
        g_highscoreNewEntry = false;
        g_highscoreFromMenu = false;
        g_continueSavedGame = false;
        SelectDifficulty(kDifficultyNormal);
    }
    void TearDown() override {
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        ClearPlayers();
        CGuiTest::TearDown();
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

    CTempFolder m_folder;
};

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

}  // namespace
