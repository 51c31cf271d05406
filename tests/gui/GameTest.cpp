// The game screen headless: CGame in the lower layer of the engine, stepped at 1/150 s with
// injected mouse and keys, on levels of the test's own (a full top row of colour 0) in a
// folder of its own, where the saved games and the high-score list are written too.
#include "GuiFixtures.h"

#include "engine/Engine.h"
#include "engine/StateManager.h"
#include "game/SavedGame.h"
#include "game/Replay.h"
#include "game/ReplayPlayback.h"
#include "gui/Game.h"
#include "gui/GuiMenu.h"
#include "gui/GuiScores.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "profile/ReplayLibrary.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include <string>
#include <vector>

namespace {
// Colours the field does not hold, so that a shot of one of them never removes anything.
constexpr int32_t kLoneColours[3] = {5, 6, 7};

class GameTest : public CGuiTest {
protected:
    void SetUp() override {
        CGuiTest::SetUp();
        ASSERT_FALSE(m_folder.Path().empty());
        ASSERT_EQ(mkdir((m_folder / "levels").c_str(), 0700), 0);
        for (const char* name : {"levels/1.lvl", "levels/2.lvl"}) {
            ASSERT_TRUE(WriteFileBytes(m_folder / name, TopRowLevel()));
        }
        CFileManager& files = CFileManager::Get();
        files.UnmountAll();
        files.MountFileSystem(m_folder.Path());
        files.MountFileSystem(m_folder / "levels");
        files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        ClearPlayers();
        ASSERT_NE(CreatePlayer("Ann"), nullptr);
        SelectDifficulty(3);
        g_highscoreNewEntry = false;
        g_editorTestPlay = false;
        SetStateFactory(&CreateGameOnly);
    }
    void TearDown() override {
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        SetStateFactory(nullptr);
        ClearPlayers();
        CGuiTest::TearDown();
    }

    // A new game (or the continued one) in the lower layer, past its level-start panel.
    CGame& StartGame(bool continuing = false, int32_t lastLevel = kNoLastLevel) {
        CStateManager::Lower().SetState(kStateNone, true);
        CStateManager::Lower().RequestState(kStateNone);
        CStateManager::Upper().RequestState(kStateNone);
        if (!continuing) {
            g_levelNumber = 1;
            g_firstLevel = 1;
            g_lastLevel = lastLevel;
        }
        g_continueSavedGame = continuing;
        PointAt(320, 100);
        EXPECT_TRUE(CStateManager::Lower().SetState(kStateGame, true));
        CGame& game = *static_cast<CGame*>(CStateManager::Lower().GetState(0));
        StepUntil([&] { return !game.MainPanel().IsShown(); }, 500);
        return game;
    }
    static void StepGame() {
        Step([] { CStateManager::Lower().Update(kStep); });
    }
    template <typename Done>
    static bool StepUntil(Done&& done, int32_t maxSteps) {
        for (int32_t i = 0; i < maxSteps; ++i) {
            if (done()) {
                return true;
            }
            StepGame();
        }
        return done();
    }
    static void StepFor(float seconds) {
        for (int32_t i = 0; i < static_cast<int32_t>(seconds * 150.0f + 0.5f); ++i) {
            StepGame();
        }
    }
    static void Click() {
        HoldButton(true);
        StepGame();
        HoldButton(false);
        StepGame();
    }
    static void PressKey(uint8_t key) {
        HoldKey(key, true);
        StepGame();
        HoldKey(key, false);
        StepGame();
    }
    // Fires a ball of colour straight up and steps until the turn is over.
    static void FireAndSettle(CGame& game, int32_t colour) {
        game.Playfield().SetBalls(BallCell{colour, 0}, BallCell{colour, 0});
        PointAt(320, 100);
        Click();
        ASSERT_TRUE(game.Playfield().IsFlying() || game.Playfield().Phase() != EPlayPhase::Aiming);
        ASSERT_TRUE(StepUntil([&] { return game.Playfield().CanFire() || !game.Playfield().IsReady(); }, 600) &&
                    StepUntil([&] { return game.Playfield().Phase() != EPlayPhase::Landed &&
                                           game.Playfield().Phase() != EPlayPhase::TurnEnding; }, 600));
    }
    bool HasFile(const char* name) const { return PathExists(m_folder / name); }
    static int32_t PendingUpper() { return CStateManager::Upper().GetPendingId(); }
    static int32_t PendingLower() { return CStateManager::Lower().GetPendingId(); }

    CTempFolder m_folder;
};

// ---------------------------------------------------------------- turns and the field

TEST_F(GameTest, FiveShotsWithoutARemovalMoveTheFieldDownAndTheFourthStartsTheShake) {
    CGame& game = StartGame();
    const CPlayfield& field = game.Playfield();
    for (int32_t shot = 1; shot <= 5; ++shot) {
        EXPECT_EQ(field.IsShakeWarningOn(), shot == 5) << "before shot " << shot;
        FireAndSettle(game, kLoneColours[(shot - 1) % 3]);
        EXPECT_EQ(field.IsShakeWarningOn(), shot == 4) << "after shot " << shot;
        EXPECT_EQ(field.IsMovingDown(), shot == 5) << "after shot " << shot;
    }
    ASSERT_TRUE(StepUntil([&] { return !field.IsMovingDown(); }, 100));
    EXPECT_EQ(field.Board().BottomRow(), 11);
    EXPECT_EQ(field.DropOffset(), 28);
}

TEST_F(GameTest, TenIdleSecondsCountFiveToOneAndThenMoveTheFieldDown) {
    CGame& game = StartGame();
    const CPlayfield& field = game.Playfield();
    StepFor(9.9f);
    EXPECT_FALSE(field.IsCountdownRunning());
    std::vector<int32_t> digits;
    ASSERT_TRUE(StepUntil([&] {
        if (field.IsCountdownRunning() && (digits.empty() || digits.back() != field.CountdownDigit())) {
            digits.push_back(field.CountdownDigit());
        }
        return field.IsMovingDown();
    }, 150 * 7));
    EXPECT_EQ(digits, (std::vector<int32_t>{5, 4, 3, 2, 1}));
    ASSERT_TRUE(StepUntil([&] { return !field.IsMovingDown(); }, 100));
    EXPECT_EQ(field.Board().BottomRow(), 11);
}

// A ball in the lowest allowed row costs a life at the end of the turn: row 12 at first,
// row 10 after two move-downs; the HUD blinks and the level starts again.
TEST_F(GameTest, ABallLeftInTheBottomRowCostsALifeAtOnce) {
    for (const int32_t moveDowns : {0, 2}) {
        SCOPED_TRACE(moveDowns);
        CGame& game = StartGame();
        CPlayfield& field = game.Playfield();
        for (int32_t i = 0; i < moveDowns; ++i) {
            field.StartMoveDown();
            ASSERT_TRUE(StepUntil([&] { return !field.IsMovingDown(); }, 100));
        }
        const int32_t bottom = 12 - moveDowns;
        ASSERT_EQ(field.Board().BottomRow(), bottom);
        // One row above the bottom costs nothing.
        field.Board().SetCell(3, 0, 0, bottom - 1);
        FireAndSettle(game, 5);
        EXPECT_EQ(field.Progress().lives, 2);
        field.Board().SetCell(3, 0, 0, bottom);
        FireAndSettle(game, 6);
        EXPECT_EQ(field.Progress().lives, 1);
        EXPECT_TRUE(field.IsClearing());
        EXPECT_TRUE(game.Hud().IsBlinking());
        EXPECT_FALSE(game.Hud().LivesShown());
        ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsShown(); }, 600));
        EXPECT_TRUE(game.MainPanel().IsLevelStart());
        EXPECT_EQ(field.Board().BottomRow(), 12) << "the level starts again";
        EXPECT_EQ(field.Stats().shots, 0);
    }
}

TEST_F(GameTest, PDuringAFlightPausesAndTheBallStaysUntilResumed) {
    CGame& game = StartGame();
    const CPlayfield& field = game.Playfield();
    game.Playfield().SetBalls(BallCell{5, 0}, BallCell{6, 0});
    Click();
    StepFor(0.1f);
    ASSERT_TRUE(field.IsFlying());
    PressKey(DIK_P);
    ASSERT_TRUE(game.IsPaused());
    const Vec3 stopped = field.Shot().position;
    StepFor(5.0f);
    EXPECT_TRUE(game.IsPaused()) << "the pause panel never times out";
    EXPECT_EQ(field.Shot().position.y, stopped.y);
    EXPECT_TRUE(field.IsFlying());
    PressKey(DIK_P);
    EXPECT_FALSE(game.IsPaused());
    StepFor(0.05f);
    EXPECT_LT(field.Shot().position.y, stopped.y) << "the ball flies on";
}

// ---------------------------------------------------------------- saving

TEST_F(GameTest, LeavingBeforeTheFirstShotWritesNothingAndGoesToTheMenuAtOnce) {
    CGame& game = StartGame();
    EXPECT_TRUE(game.OnEscape());
    EXPECT_FALSE(game.SidePanel().IsShown());
    EXPECT_FALSE(HasFile("ply1.sav"));
    EXPECT_FALSE(HasFile("ply1.lvl"));
    EXPECT_EQ(PendingLower(), kStateEmpty);
    EXPECT_EQ(PendingUpper(), kStateMainMenu);
}

TEST_F(GameTest, EscapeAfterAShotSavesWithThePanelAndThenGoesToTheMenu) {
    CGame& game = StartGame();
    FireAndSettle(game, 5);
    EXPECT_TRUE(game.OnEscape());
    ASSERT_TRUE(game.SidePanel().IsShown());
    EXPECT_TRUE(game.SidePanel().IsGameSaved());
    EXPECT_STREQ(game.SidePanel().Line(0).Text(), "GAME SAVED");
    const Bytes save = ReadFileBytes(m_folder / "ply1.sav");
    ASSERT_EQ(save.size(), kSaveFileBytes);
    EXPECT_EQ(ReadLe32(save.data()), 5u);
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.lvl").size(), kFieldFileBytes);
    StepFor(0.7f);
    EXPECT_EQ(PendingUpper(), kStateNone) << "the panel stays 0.8 s";
    StepFor(0.2f);
    EXPECT_EQ(PendingUpper(), kStateMainMenu);
    EXPECT_EQ(PendingLower(), kStateEmpty);
}

TEST_F(GameTest, TheFirstShotMakesTheNextLevelStartSaveSilently) {
    CGame& game = StartGame();
    FireAndSettle(game, 0);   // the whole top row goes
    EXPECT_FALSE(HasFile("ply1.sav"));
    ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsShown(); }, 150 * 10));
    EXPECT_TRUE(game.MainPanel().IsLevelDone());
    EXPECT_FALSE(HasFile("ply1.sav"));
    ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsLevelStart(); }, 150 * 6));
    EXPECT_EQ(g_levelNumber, 2);
    EXPECT_EQ(game.Hud().LevelLabel().Text(), std::string("LEVEL 2"));
    EXPECT_FALSE(game.SidePanel().IsShown()) << "silent";
    SavedGame saved;
    ASSERT_TRUE(ReadSavedGame("ply1.sav", "ply1.lvl", saved));
    EXPECT_EQ(saved.values.levelNumber, 2);
    EXPECT_EQ(saved.values.difficulty, 3);
    EXPECT_EQ(saved.progress.score, game.Playfield().Progress().score);
}

TEST_F(GameTest, EscapeWhileTheLevelDonePanelShowsEndsItAndTheSaveFollowsNextStep) {
    CGame& game = StartGame();
    FireAndSettle(game, 0);
    ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsShown(); }, 150 * 10));
    ASSERT_TRUE(game.MainPanel().IsLevelDone());
    StepFor(1.0f);
    EXPECT_TRUE(game.OnEscape());
    StepGame();
    EXPECT_FALSE(game.MainPanel().IsShown());
    EXPECT_FALSE(game.SidePanel().IsShown());
    StepGame();
    ASSERT_TRUE(game.SidePanel().IsShown());
    EXPECT_TRUE(game.SidePanel().IsGameSaved());
    SavedGame saved;
    ASSERT_TRUE(ReadSavedGame("ply1.sav", "ply1.lvl", saved));
    EXPECT_EQ(saved.values.levelNumber, 2);
}

TEST_F(GameTest, ASaveInTheMiddleOfAMoveDownContinuesMovingAfterLoading) {
    CGame& game = StartGame();
    FireAndSettle(game, 5);
    game.Playfield().StartMoveDown();
    StepFor(0.05f);
    ASSERT_TRUE(game.Playfield().IsMovingDown());
    const int32_t dropped = game.Playfield().DropOffset();
    ASSERT_GT(dropped, 0);
    ASSERT_LT(dropped, 28);
    ASSERT_TRUE(game.SaveGame(false, false));

    CGame& continued = StartGame(true);
    EXPECT_FALSE(g_continueSavedGame);
    const CPlayfield& field = continued.Playfield();
    EXPECT_TRUE(field.IsMovingDown());
    EXPECT_GE(field.DropOffset(), dropped);
    ASSERT_TRUE(StepUntil([&] { return !field.IsMovingDown(); }, 100));
    EXPECT_EQ(field.DropOffset(), 28);
    EXPECT_EQ(field.Board().BottomRow(), 11);
}

TEST_F(GameTest, ContinuingRestoresTheGameExactlyAtTheStoredDifficulty) {
    CGame& game = StartGame();
    FireAndSettle(game, 5);
    FireAndSettle(game, 6);
    CPlayfield& played = game.Playfield();
    played.Progress().score = 123450;
    played.Progress().lives = 4;
    played.SetBalls(BallCell{2, 0}, BallCell{3, 0});
    const BoardSaveState board = played.Board().SaveState();
    ASSERT_TRUE(game.SaveGame(false, false));

    SelectDifficulty(5);
    CGame& continued = StartGame(true);
    const CPlayfield& field = continued.Playfield();
    EXPECT_EQ(g_difficulty, 3);
    EXPECT_EQ(field.Difficulty(), 3);
    EXPECT_EQ(CHighscore::Get().GetFileName(), "hs3.dat");
    EXPECT_EQ(field.Progress().score, 123450);
    EXPECT_EQ(field.Progress().lives, 4);
    EXPECT_EQ(field.CurrentBall().colour, 2);
    EXPECT_EQ(field.NextBallCell().colour, 3);
    const BoardSaveState restored = field.Board().SaveState();
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            EXPECT_EQ(restored.grid[row][column].colour, board.grid[row][column].colour) << column << "," << row;
        }
    }
    EXPECT_EQ(continued.Hud().LivesLabel().Text(), std::string("4"));
    // Leaving before a shot of the continued game keeps the save as it was.
    const Bytes before = ReadFileBytes(m_folder / "ply1.sav");
    continued.OnEscape();
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.sav"), before);
}

// A save that cannot be taken (another version, short, out of range, missing) is
// refused: the level starts as a new attempt and the continue flag is cleared.
TEST_F(GameTest, RefusedSavesStartTheLevelNormally) {
    {
        CGame& game = StartGame();
        FireAndSettle(game, 5);
        game.Playfield().Progress().score = 777;
        ASSERT_TRUE(game.SaveGame(false, false));
    }
    const Bytes good = ReadFileBytes(m_folder / "ply1.sav");
    ASSERT_EQ(good.size(), kSaveFileBytes);
    struct Damage {
        const char* name;
        size_t offset;   // SIZE_MAX: cut the file to 100 bytes
        uint32_t value;
    };
    const Damage damages[] = {
        {"version 4", 0, 4},
        {"short", SIZE_MAX, 0},
        {"level 0", 10, 0},
        {"level 2^31-1", 10, 0x7FFFFFFF},
        {"difficulty 9", 22, 9},
    };
    uint32_t language = kLanguageEnglish;
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        // Told in either language.
        language = language == kLanguageEnglish ? kLanguageSwedish : kLanguageEnglish;
        CLanguage::Get().SetLanguage(language);
        ClearNotices();
        Bytes bad = good;
        if (damage.offset == SIZE_MAX) {
            bad.resize(100);
        } else {
            WriteLe32(&bad[damage.offset], damage.value);
        }
        ASSERT_TRUE(WriteFileBytes(m_folder / "ply1.sav", bad));
        g_levelNumber = 1;
        CGame& game = StartGame(true);
        EXPECT_FALSE(g_continueSavedGame);
        EXPECT_EQ(game.Playfield().Progress().score, 0);
        EXPECT_EQ(game.Playfield().Progress().lives, 2);
        EXPECT_EQ(game.Playfield().Board().BottomRow(), 12);
        EXPECT_TRUE(game.Playfield().IsReady());
        ASSERT_NE(CurrentNotice(), nullptr) << "the player hears that the save could not be read";
        EXPECT_EQ(CurrentNotice()->first, CLanguage::Get().TxtSavedGameUnreadable());
        EXPECT_EQ(CurrentNotice()->second, CLanguage::Get().TxtNewGameStarts());
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);
    // A game that was never saved starts without a word.
    ClearNotices();
    std::filesystem::remove(m_folder / "ply1.sav");
    StartGame(true);
    EXPECT_EQ(CurrentNotice(), nullptr);
}

TEST_F(GameTest, ASaveThatCannotBeWrittenIsToldAndTheOldOneStillLoads) {
    {
        CGame& game = StartGame();
        FireAndSettle(game, 5);
        game.Playfield().Progress().score = 777;
        ASSERT_TRUE(game.SaveGame(false, false));
    }
    const Bytes saved = ReadFileBytes(m_folder / "ply1.sav");
    InstallWriteFailureNotices();
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        SCOPED_TRACE(language);
        CLanguage::Get().SetLanguage(language);
        ClearNotices();
        CGame& game = StartGame();
        FireAndSettle(game, 5);
        game.Playfield().Progress().score = 999;
        {
            CFileSizeLimit limit(1000);   // the field file is 3221 bytes
            ASSERT_TRUE(limit.Applied());
            EXPECT_FALSE(game.SaveGame(true, false));
            EXPECT_TRUE(game.OnEscape());
        }
        EXPECT_FALSE(game.SidePanel().IsShown()) << "no \"GAME SAVED\" for a game that was not saved";
        EXPECT_EQ(PendingUpper(), kStateMainMenu) << "the way back to the menu is as before";
        ASSERT_NE(CurrentNotice(), nullptr);
        EXPECT_EQ(CurrentNotice()->first, CLanguage::Get().TxtSaveFailedGame());
        EXPECT_EQ(CurrentNotice()->second, CLanguage::Get().TxtReasonNoSpace());
        EXPECT_EQ(ReadFileBytes(m_folder / "ply1.sav"), saved);
        SavedGame loaded;
        ASSERT_TRUE(ReadSavedGame("ply1.sav", "ply1.lvl", loaded)) << "the previous save still loads";
        EXPECT_EQ(loaded.progress.score, 777);
    }
    CFileManager::Get().SetWriteFailureHandler(nullptr);
    CLanguage::Get().SetLanguage(kLanguageEnglish);
    ClearNotices();
}

TEST_F(GameTest, PlayOnASaveOfAnotherKindSaysSoAndKeepsTheFile) {
    const Bytes foreign(291, 0x44);   // not a save of this game's version
    ASSERT_TRUE(WriteFileBytes(m_folder / "ply1.sav", foreign));
    ClearNotices();
    {
        CGuiMenu menu;
        ASSERT_TRUE(menu.Init());
        menu.OnMessage(kStateGame, 0);   // "Play"
        menu.Shutdown();
    }
    EXPECT_EQ(PendingLower(), kStateGame) << "a new game starts";
    ASSERT_NE(CurrentNotice(), nullptr);
    EXPECT_EQ(CurrentNotice()->first, CLanguage::Get().TxtSavedGameUnreadable());
    // The new game's first save keeps the file beside it.
    CGame& game = StartGame();
    FireAndSettle(game, 5);
    ASSERT_TRUE(game.SaveGame(false, false));
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.sav.bad"), foreign);
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.sav").size(), kSaveFileBytes);
    ClearNotices();
}

// ---------------------------------------------------------------- the end of a game

TEST_F(GameTest, AGameLostToTheEndEntersItsScoreAndShowsTheHighScores) {
    CGame& game = StartGame();
    CPlayfield& field = game.Playfield();
    field.Progress().lives = 0;
    field.Progress().score = 3000000;
    field.Progress().extraLifeBase = 3000000;
    field.Board().SetCell(3, 0, 0, 12);
    FireAndSettle(game, 5);
    EXPECT_TRUE(game.IsGameOver());
    ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsShown(); }, 600));
    EXPECT_TRUE(game.MainPanel().IsGameOver());
    EXPECT_STREQ(game.MainPanel().Line(0).Text(), "GAME OVER");
    EXPECT_FALSE(game.OnEscape() && game.SaveGame(true, false)) << "a finished game is not saved";
    ASSERT_TRUE(StepUntil([&] { return PendingUpper() == kStateHighscore; }, 150 * 3));
    EXPECT_EQ(PendingLower(), kStateEmpty);
    EXPECT_TRUE(g_highscoreNewEntry);
    EXPECT_EQ(CHighscore::Get().GetLastRank(), 0);
    const Bytes list = ReadFileBytes(m_folder / "hs3.dat");
    ASSERT_EQ(list.size(), 440u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(list.data())), "Ann");
    EXPECT_EQ(ReadLe32(&list[32]), 3000000u);
    EXPECT_EQ(static_cast<int32_t>(ReadLe32(&list[40])), 0) << "no level completed";
}

TEST_F(GameTest, TheEndOfThePackShowsTheGameDonePanelWithFireworks) {
    CGame& game = StartGame(false, 1);
    FireAndSettle(game, 0);
    ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsShown(); }, 150 * 10));
    EXPECT_TRUE(game.MainPanel().IsLevelDone());
    EXPECT_TRUE(game.IsAllLevelsDone());
    ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsGameDone(); }, 150 * 6));
    StepFor(4.0f);
    EXPECT_GT(game.Playfield().Effects().System(0).ActiveCount() + game.Playfield().Effects().System(1).ActiveCount(), 0);
    Click();
    EXPECT_EQ(PendingUpper(), kStateHighscore);
    EXPECT_EQ(CHighscore::Get().Entry(CHighscore::Get().GetLastRank()).levels, 1);
}

// ---------------------------------------------------------------- the HUD

// A cleared level pays its row bonus once: 25 for row 0, doubling down to row 11.
TEST_F(GameTest, AClearedLevelPaysItsRowBonusOnce) {
    CGame& game = StartGame();
    const CPlayfield& field = game.Playfield();
    FireAndSettle(game, 0);
    ASSERT_TRUE(StepUntil([&] { return field.Phase() == EPlayPhase::RowBonus; }, 600));
    const int32_t before = field.Progress().score;
    ASSERT_TRUE(StepUntil([&] { return field.Phase() != EPlayPhase::RowBonus; }, 150 * 10));
    EXPECT_EQ(field.Progress().score - before, 102375);
}

TEST_F(GameTest, TheScoreAndTheLevelNeverTouch) {
    CGame& game = StartGame();
    const int32_t widest = CFont::Third().Measure("2147483647");
    for (uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        for (const int32_t level : {1, 9, 10, 99, 100, 999}) {
            const_cast<CGuiHud&>(game.Hud()).RefreshLevel(level);
            const CGuiLabel& label = game.Hud().LevelLabel();
            const int32_t left = label.X() - label.TextWidth() / 2;
            EXPECT_GT(left, static_cast<int32_t>(CGame::kScoreRight) + 8) << language << " level " << level;
            EXPECT_LE(label.X() + label.TextWidth() / 2, 640);
        }
    }
    EXPECT_GT(CGame::kScoreRight - static_cast<float>(widest), 230.0f) << "the score stays right of the next ball";
}

TEST_F(GameTest, TheHudButtonsPauseAndLeave) {
    CGame& game = StartGame();
    PointAt(536 + 16, 5 + 16);
    StepGame();
    Click();
    EXPECT_TRUE(game.IsPaused()) << "the click on the pause button is not taken as a dismissal";
    Click();
    EXPECT_FALSE(game.IsPaused());
    PointAt(568 + 16, 5 + 16);
    StepGame();
    Click();
    EXPECT_EQ(PendingUpper(), kStateMainMenu) << "nothing to save: the menu at once";
}

// The exit button pressed while the level-start or the level-done panel shows: the panel
// ends, the game is saved with its panel, and then the program ends (not the menu).
TEST_F(GameTest, TheExitButtonOverAPanelSavesAndThenLeavesTheProgram) {
    const struct {
        const char* what;
        EPanelMode panel;
    } cases[] = {{"level done", EPanelMode::LevelDone}, {"level start", EPanelMode::LevelStart}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove((m_folder / "ply1.sav").c_str());
        std::remove((m_folder / "ply1.lvl").c_str());
        CEngine::Get().TakeQuitRequest();
        CGame& game = StartGame();
        FireAndSettle(game, 0);   // the whole top row goes: the level is done
        ASSERT_TRUE(StepUntil([&] { return game.MainPanel().IsShown() && game.MainPanel().Mode() == c.panel; },
                              150 * 12));
        if (c.panel == EPanelMode::LevelDone) {
            ASSERT_FALSE(HasFile("ply1.sav")) << "nothing saved before the button";
        }
        PointAt(600 + 16, 5 + 16);
        StepGame();
        Click();
        ASSERT_TRUE(StepUntil([&] { return game.SidePanel().IsShown(); }, 10));
        EXPECT_TRUE(game.SidePanel().IsGameSaved());
        EXPECT_TRUE(HasFile("ply1.sav"));
        EXPECT_TRUE(HasFile("ply1.lvl"));
        ASSERT_TRUE(StepUntil([&] { return !game.SidePanel().IsShown(); }, 150 * 2));
        EXPECT_TRUE(CEngine::Get().TakeQuitRequest()) << "the program ends";
        EXPECT_NE(PendingUpper(), kStateMainMenu) << "not the main menu";
        PointAt(320, 100);
    }
    // Over the first level's start panel, before any shot: nothing to save, the program ends.
    std::remove((m_folder / "ply1.sav").c_str());
    std::remove((m_folder / "ply1.lvl").c_str());
    CStateManager::Lower().SetState(kStateNone, true);
    CStateManager::Upper().RequestState(kStateNone);
    g_levelNumber = 1;
    g_firstLevel = 1;
    g_lastLevel = kNoLastLevel;
    g_continueSavedGame = false;
    ASSERT_TRUE(CStateManager::Lower().SetState(kStateGame, true));
    const CGame& fresh = *static_cast<CGame*>(CStateManager::Lower().GetState(0));
    ASSERT_TRUE(fresh.MainPanel().IsShown() && fresh.MainPanel().IsLevelStart());
    PointAt(600 + 16, 5 + 16);
    StepGame();
    Click();
    StepFor(0.1f);
    EXPECT_FALSE(fresh.SidePanel().IsShown());
    EXPECT_FALSE(HasFile("ply1.sav"));
    EXPECT_TRUE(CEngine::Get().TakeQuitRequest()) << "the program ends";
    EXPECT_NE(PendingUpper(), kStateMainMenu);
}

// The won life plays its sound once and shows "EXTRA LIFE" for its time, then both rest.
TEST_F(GameTest, AnExtraLifeSoundsOnceAndItsBannerGoesAway) {
    CGame& game = StartGame();
    PlayerProgress& progress = game.Playfield().Progress();
    const int32_t lives = progress.lives;
    progress.score = progress.extraLifeBase + RulesForDifficulty(game.Playfield().Difficulty()).extraLifeStep;
    StepGame();   // the life is counted at the end of the step, the HUD shows it in the next
    StepGame();
    EXPECT_EQ(progress.lives, lives + 1);
    EXPECT_EQ(SoundCount(EGameSound::ExtraLife), 1);
    EXPECT_GT(game.Hud().BannerTime(), 2.5f);
    EXPECT_EQ(game.Hud().LivesLabel().Text(), std::to_string(lives + 1));
    StepFor(3.2f);
    EXPECT_EQ(SoundCount(EGameSound::ExtraLife), 1) << "heard once";
    EXPECT_LE(game.Hud().BannerTime(), 0.0f) << "the banner has gone";
    EXPECT_EQ(progress.extraLifeWon, 0);
    EXPECT_EQ(progress.lives, lives + 1);
}

// ---------------------------------------------------------------- the panels

TEST_F(GameTest, PanelsEndByTimeClickOrAtOnceOnASaveRequest) {
    CGuiCutscene lines;
    ASSERT_TRUE(lines.Init());
    for (int32_t i = 0; i < 6; ++i) {
        lines.AddLine("line", 100.0f + 30.0f * static_cast<float>(i), 24, false);
    }
    EXPECT_EQ(lines.LineCount(), 5) << "a sixth line is ignored";
    lines.Shutdown();
    CPanelClock panel;
    struct Case {
        EPanelMode mode;
        float seconds;   // < 0: never by itself
    };
    const Case cases[] = {{EPanelMode::LevelStart, 2.5f}, {EPanelMode::LevelDone, 5.0f}, {EPanelMode::Pause, -1.0f},
                          {EPanelMode::GameOver, 2.5f},   {EPanelMode::GameDone, 20.0f}, {EPanelMode::GameSaved, 0.8f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int32_t>(c.mode));
        bool save = false;
        panel.Show(c.mode);
        int32_t steps = 0;
        bool ended = false;
        Step([&] { ended = panel.Step(kStep, save, false, CGuiCutscene::DismissInput(), false); });
        for (; !ended && steps < 150 * 25; ++steps) {
            Step([&] { ended = panel.Step(kStep, save, false, CGuiCutscene::DismissInput(), false); });
        }
        if (c.seconds < 0.0f) {
            EXPECT_FALSE(ended);
        } else {
            EXPECT_NEAR(static_cast<float>(steps + 1) * kStep, c.seconds, 2.0f * kStep);
        }
        // A click of any of the three buttons ends every panel; a save request ends it at once.
        for (const int button : {kMouseLeft, kMouseRight, kMouseMiddle}) {
            panel.Show(c.mode);
            CInput::Get().SetButtonHeld(button, true);
            Step([&] { ended = panel.Step(kStep, save, false, CGuiCutscene::DismissInput(), false); });
            CInput::Get().SetButtonHeld(button, false);
            Step([] {});
            EXPECT_TRUE(ended) << "button " << button;
            EXPECT_FALSE(panel.IsShown()) << "button " << button;
        }
        panel.Show(c.mode);
        save = true;
        EXPECT_TRUE(panel.Step(kStep, save, false, CGuiCutscene::DismissInput(), false));
        EXPECT_EQ(save, c.mode != EPanelMode::GameDone) << "nothing is saved after a completed game";
    }
}

TEST_F(GameTest, TheGameDonePanelLaunchesEffectsDuringItsFirstFiveSecondsOnly) {
    CPanelClock panel;
    panel.Show(EPanelMode::GameDone);
    bool save = false;
    std::vector<float> times;
    for (int32_t step = 1; step <= 150 * 10; ++step) {
        Step([&] { panel.Step(kStep, save, false, CGuiCutscene::DismissInput(), false); });
        if (panel.TakeEffect()) {
            times.push_back(static_cast<float>(step) * kStep);
        }
    }
    ASSERT_GE(times.size(), 10u);
    // The first effect comes with the panel, the second within a second.
    EXPECT_LE(times[0], kStep);
    EXPECT_LT(times[1], 1.0f + kStep);
    for (size_t i = 2; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 0.1f - 2.0f * kStep);
        EXPECT_LT(times[i] - times[i - 1], 0.5f + kStep);
    }
    EXPECT_LE(times.back(), 5.0f + kStep);
}

// ---------------------------------------------------------------- replays

// The levels of a replay as the game reads them.
class CMountedLevels final : public IReplayLevels {
public:
    bool LevelBytes(int32_t number, std::vector<uint8_t>& bytes) override {
        return CFileManager::Get().LoadWholeFile(std::to_string(number) + ".lvl", bytes);
    }
};

class ReplayTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        // The shipped pack: colours, power-ups and lost lives.
        CFileManager& files = CFileManager::Get();
        files.UnmountAll();
        files.MountFileSystem(m_folder.Path());
        files.MountFileSystem(PELLORA_DATA_DIR "/levels.nuf");
        files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
        // The same game every run.
        FixTimeSeed(1234567u);
    }
    void TearDown() override {
        FixTimeSeed(std::nullopt);
        GameTest::TearDown();
    }

    // A player of the test's own, the same for a seed: the pointer drifts to a target in
    // small moves, the shot goes when it gets there; now and then a swap, a pause with P
    // and a click on a panel. Stops after maxShots shots or when the game has ended.
    void PlayLikeAPerson(CGame& game, uint32_t seed, int32_t maxShots) {
        CRandom random(seed);
        int32_t shots = 0;
        float x = 320.0f, y = 200.0f;
        for (int32_t step = 0; step < 150 * 900 && shots < maxShots && !game.IsGameOver(); ++step) {
            const float targetX = 40.0f + static_cast<float>(random.Next() % 560);
            const float targetY = 40.0f + static_cast<float>(random.Next() % 260);
            for (int32_t move = 0; move < 12; ++move) {
                x += (targetX - x) * 0.3f;
                y += (targetY - y) * 0.3f;
                PointAt(static_cast<int32_t>(x), static_cast<int32_t>(y));
                StepGame();
            }
            const int32_t what = random.Next() % 20;
            if (what == 0) {
                HoldButton(true);   // a click, which also ends a panel
            } else if (what == 1) {
                PressKey(DIK_P);
                StepFor(0.3f);
                PressKey(DIK_P);
                continue;
            } else if (what == 2) {
                PressKey(DIK_DOWN);   // swap
                continue;
            }
            if (game.Playfield().CanFire()) {
                const uint32_t pressStep = game.Recorder().Steps();
                const int32_t shotsBefore = game.Playfield().Progress().shotsFired;
                Click();
                if (game.Playfield().Progress().shotsFired > shotsBefore) {
                    m_shotSteps.push_back(pressStep);
                }
                ++shots;
            } else {
                HoldButton(false);
                StepGame();
            }
        }
        HoldButton(false);
    }
    // Steps the game until its recording has its end, at most seconds long.
    bool PlayToTheEnd(CGame& game, int32_t seconds) {
        return StepUntil([&] {
            if (game.Playfield().CanFire() && !game.MainPanel().IsShown()) {
                PointAt(30 + (static_cast<int32_t>(game.Recorder().Steps()) * 37) % 580, 120);
                Click();
            }
            return game.Recorder().Data().header.finished;
        }, 150 * seconds);
    }
    // Watches replay in a new game state to its end; false when it differs.
    bool WatchToTheEnd(const ReplayData& replay) {
        CStateManager::Lower().SetState(kStateNone, true);
        EXPECT_TRUE(CStateManager::Lower().SetBuiltState(kStateGame, std::make_unique<CGame>(replay), true));
        CGame& watched = *static_cast<CGame*>(CStateManager::Lower().GetState(0));
        EXPECT_TRUE(watched.IsWatching());
        // The viewer's pointer and buttons change nothing.
        PointAt(600, 50);
        StepUntil([&] { return watched.IsWatchEnded() || watched.HasWatchDiverged(); },
                  static_cast<int32_t>(replay.header.steps) + 1000);
        EXPECT_TRUE(watched.IsWatchEnded() || watched.HasWatchDiverged());
        return watched.IsWatchEnded() && !watched.HasWatchDiverged();
    }
    // The run of the step in which a shot went.
    static size_t RunOfStep(const ReplayData& replay, uint32_t wanted) {
        uint32_t step = 0;
        for (size_t i = 0; i < replay.runs.size(); ++i) {
            if (wanted < step + replay.runs[i].count) {
                return i;
            }
            step += replay.runs[i].count;
        }
        return replay.runs.size();
    }

    std::vector<uint32_t> m_shotSteps;   // the steps in which the player's shots went
};

TEST_F(ReplayTest, AGamePlayedToItsEndReplaysTheSameInTheGameAndHeadless) {
    CGame& game = StartGame();
    PlayLikeAPerson(game, 11, 400);
    ASSERT_TRUE(PlayToTheEnd(game, 900));
    const ReplayData recorded = game.Recorder().Data();
    ASSERT_GT(recorded.header.steps, 150u * 30);
    const auto count = [&](EReplayEvent kind) {
        return std::count_if(recorded.events.begin(), recorded.events.end(),
                             [&](const ReplayEvent& event) { return event.kind == kind; });
    };
    const auto held = std::count_if(recorded.runs.begin(), recorded.runs.end(),
                                    [](const ReplayRun& run) { return run.step.Has(ReplayInput::Held); });
    EXPECT_GE(count(EReplayEvent::ReloadLevel), 2) << "lives were lost";
    EXPECT_GE(count(EReplayEvent::Panel), 4);
    EXPECT_GE(held, 1) << "the game was paused";

    // Through the file: the same replay comes back.
    std::vector<uint8_t> bytes;
    EncodeReplay(recorded, bytes);
    ReplayData decoded;
    std::string why;
    ASSERT_TRUE(DecodeReplay(bytes, decoded, why)) << why;
    std::vector<uint8_t> again;
    EncodeReplay(decoded, again);
    EXPECT_EQ(again, bytes);

    // The end kept the last game and the entry's replay; watching writes nothing.
    EXPECT_TRUE(HasFile("replays/last.rpl"));
    EXPECT_TRUE(HasFile("replays/index.dat"));
    // The replays list holds the game through its high-score replay, not a copy of it.
    CReplayLibrary library;
    library.Load();
    ASSERT_EQ(library.Entries().size(), 1u);
    const LibraryEntry& listed = library.Entries().back();
    EXPECT_EQ(listed.kind, ELibraryKind::Game);
    EXPECT_TRUE(listed.finished);
    EXPECT_EQ(listed.score, recorded.header.finalScore);
    EXPECT_EQ(listed.steps, recorded.header.steps);
    EXPECT_GT(listed.date, 0u);
    EXPECT_TRUE(library.IsLinked(listed)) << listed.file;
    const Bytes scoresBefore = ReadFileBytes(m_folder / "hs3.dat");
    const Bytes saveBefore = ReadFileBytes(m_folder / "ply1.sav");
    const int32_t livesBefore = CurrentPlayerLives();

    CMountedLevels levels;
    const ReplayVerdict verdict = VerifyReplay(decoded, levels);
    EXPECT_TRUE(verdict.agrees) << verdict.why << " at step " << verdict.divergedAt;
    EXPECT_EQ(verdict.finalScore, recorded.header.finalScore);
    EXPECT_GE(verdict.checksAgreed, recorded.header.steps / kReplayCheckSteps);
    EXPECT_TRUE(WatchToTheEnd(decoded));

    EXPECT_EQ(ReadFileBytes(m_folder / "hs3.dat"), scoresBefore);
    EXPECT_EQ(CurrentPlayerLives(), livesBefore);
    EXPECT_EQ(ReadFileBytes(m_folder / "ply1.sav"), saveBefore);
}

TEST_F(ReplayTest, OneAlteredAimDivergesWithinASecondOfIt) {
    CGame& game = StartGame();
    PlayLikeAPerson(game, 5, 12);
    ReplayData altered = game.Recorder().Data();
    ASSERT_GE(m_shotSteps.size(), 7u);
    const uint32_t fireStep = m_shotSteps[6];
    const size_t run = RunOfStep(altered, fireStep);
    ASSERT_LT(run, altered.runs.size());
    ASSERT_TRUE(altered.runs[run].step.Has(ReplayInput::Fire));
    altered.runs[run].step.aimX = altered.runs[run].step.aimX > 320.0f ? 60.0f : 580.0f;
    CMountedLevels levels;
    const ReplayVerdict verdict = VerifyReplay(altered, levels);
    EXPECT_FALSE(verdict.agrees);
    EXPECT_GT(verdict.divergedAt, fireStep);
    EXPECT_LE(verdict.divergedAt, fireStep + kReplayCheckSteps);
    EXPECT_FALSE(WatchToTheEnd(altered));
}

TEST_F(ReplayTest, AGameLeftAndContinuedReplaysWhole) {
    CGame& first = StartGame();
    PlayLikeAPerson(first, 23, 15);
    ASSERT_TRUE(first.OnEscape());
    ASSERT_TRUE(StepUntil([&] { return !first.SidePanel().IsShown(); }, 600));
    ASSERT_TRUE(HasFile("ply1.sav"));
    ASSERT_TRUE(HasFile("replays/ply1.rpl"));
    const uint32_t stepsBefore = first.Recorder().Steps();

    CGame& game = StartGame(true);
    // The game left went into the replays list as left, with its score so far.
    CReplayLibrary library;
    library.Load();
    ASSERT_EQ(library.Entries().size(), 1u);
    EXPECT_FALSE(library.Entries().front().finished);
    EXPECT_EQ(library.Entries().front().steps, stepsBefore);
    EXPECT_GT(library.Entries().front().score, 0u);
    EXPECT_FALSE(library.IsLinked(library.Entries().front()));
    PlayLikeAPerson(game, 24, 15);
    const ReplayData recorded = game.Recorder().Data();
    EXPECT_FALSE(recorded.header.fromSave) << "the recording goes on from the one kept at the save";
    EXPECT_GT(recorded.header.steps, stepsBefore);
    const auto continued = std::count_if(recorded.events.begin(), recorded.events.end(),
                                         [](const ReplayEvent& event) { return event.kind == EReplayEvent::Continue; });
    EXPECT_EQ(continued, 1);

    CMountedLevels levels;
    const ReplayVerdict verdict = VerifyReplay(recorded, levels);
    EXPECT_TRUE(verdict.agrees) << verdict.why << " at step " << verdict.divergedAt;
    EXPECT_GT(verdict.stepsPlayed, stepsBefore);
    EXPECT_TRUE(WatchToTheEnd(recorded));

    // Without the kept replay the continued game records from its save.
    ASSERT_EQ(std::remove((m_folder / "replays/ply1.rpl").c_str()), 0);
    CGame& fresh = StartGame(true);
    PlayLikeAPerson(fresh, 25, 5);
    const ReplayData fromSave = fresh.Recorder().Data();
    EXPECT_TRUE(fromSave.header.fromSave);
    EXPECT_TRUE(VerifyReplay(fromSave, levels).agrees);
    EXPECT_TRUE(WatchToTheEnd(fromSave));
}

TEST_F(ReplayTest, TheHighScoresMarkAnEntrysReplayAndAClickPlaysIt) {
    CGame& game = StartGame();
    PlayLikeAPerson(game, 11, 400);
    ASSERT_TRUE(PlayToTheEnd(game, 900));
    CStateManager::Lower().SetState(kStateNone, true);
    CStateManager::Lower().RequestState(kStateNone);
    g_highscoreNewEntry = false;
    g_highscoreFromMenu = false;
    CGuiHighscore screen;
    ASSERT_TRUE(screen.Init());
    int32_t row = -1;
    for (int32_t r = 0; r < CGuiHighscore::kRows; ++r) {
        if (!screen.RowReplay(r).empty()) {
            EXPECT_EQ(row, -1) << "one game, one replay";
            row = r;
        }
        EXPECT_EQ(std::string(screen.NameCell(r).Text()).find('\xBB') != std::string::npos, row == r) << r;
    }
    ASSERT_GE(row, 0);
    EXPECT_EQ(std::string(screen.NameCell(row).Text()), "Ann \xBB");
    const std::string file = m_folder / ("replays/" + screen.RowReplay(row));
    const auto clickRow = [&] {
        PointAt(300, 95 + 24 * row + 10);
        HoldButton(true);
        Step([&] { screen.Update(kStep); });
        HoldButton(false);
        Step([&] { screen.Update(kStep); });
    };
    // A damaged replay is told and the list stays.
    const Bytes kept = ReadFileBytes(file);
    Bytes damaged = kept;
    damaged[damaged.size() / 2] ^= 0x20;
    ASSERT_TRUE(WriteFileBytes(file, damaged));
    ClearNotices();
    clickRow();
    EXPECT_NE(CurrentNotice(), nullptr);
    EXPECT_NE(CStateManager::Lower().GetPendingId(), kStateGame);
    // The kept one plays in the game state.
    ASSERT_TRUE(WriteFileBytes(file, kept));
    clickRow();
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateGame);
    screen.Shutdown();
    // The screen that comes is the one the list built with the replay.
    CStateManager::Lower().ApplyPendingExit();
    CStateManager::Lower().ApplyPendingEnter();
    ASSERT_NE(CStateManager::Lower().GetState(0), nullptr);
    EXPECT_TRUE(static_cast<CGame*>(CStateManager::Lower().GetState(0))->IsWatching());
    ClearNotices();
}
}  // namespace

namespace {
// Games recorded by the program as it was when the fixture was made: every one must still
// play the same, headless and in the game screen, whatever changed in how a game is driven.
class RecordedReplayTest : public ReplayTest, public testing::WithParamInterface<const char*> {};

TEST_P(RecordedReplayTest, AgreesHeadlessAndWatched) {
    const Bytes bytes = ReadFileBytes(std::string(PELLORA_SOURCE_DIR "/tests/fixtures/replays/") + GetParam());
    ReplayData replay;
    std::string why;
    ASSERT_TRUE(DecodeReplay(bytes, replay, why)) << why;
    ASSERT_GT(replay.header.steps, 150u);
    CMountedLevels levels;
    const ReplayVerdict verdict = VerifyReplay(replay, levels);
    EXPECT_TRUE(verdict.agrees) << verdict.why << " at step " << verdict.divergedAt;
    EXPECT_EQ(verdict.stepsPlayed, replay.header.steps);
    EXPECT_GE(verdict.checksAgreed, replay.header.steps / kReplayCheckSteps - 1);
    if (replay.header.finished) {
        EXPECT_EQ(verdict.finalScore, replay.header.finalScore);
    }
    EXPECT_TRUE(WatchToTheEnd(replay));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RecordedReplayTest,
                         testing::Values("played-to-the-end.rpl", "left-with-escape.rpl", "left-and-continued.rpl",
                                         "continued-from-its-save.rpl"),
                         [](const testing::TestParamInfo<const char*>& param) {
                             std::string name = param.param;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
}  // namespace
