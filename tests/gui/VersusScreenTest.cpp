// The versus screens: the menu's way to a match against the computer, the half-size view of
// the computer's real field, the results of the rounds and the way back to the versus menu.
// Drawn by the software renderer; with PELLORA_E2E_SHOTS set the pictures are kept.
#include "GuiFixtures.h"
#include "engine/Engine.h"
#include "engine/StateManager.h"
#include "game/MatchRecord.h"
#include "gui/Game.h"
#include "gui/GuiMenu.h"
#include "gui/GuiReplays.h"
#include "gui/GuiVersus.h"
#include "gui/NetPlay.h"
#include "tests/net/BotMatchProgram.h"
#include "gui/ScreenFlow.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "profile/ReplayLibrary.h"
#include "profile/ReplayStore.h"
#include "resources/FileManager.h"
#include "tests/support/SoftwareScreen.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

CEngineState* CreateVersusScreens(int32_t stateId) {
    switch (stateId) {
        case kStateVersusGame: return new CGuiVersus();
        case kStateHostJoinMenu: return new CGuiNetMenu(kStateHostJoinMenu);
        case kStateMainMenu: return new CGuiMenu();
        case kStateReplays: return new CGuiReplays();
        default: return nullptr;
    }
}

class VersusScreenTest : public CScreenTest {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(OpenSoftwareScreen()); }
    static void TearDownTestSuite() { CloseSoftwareScreen(); }
    void SetUp() override {
        CScreenTest::SetUp();
        CFileManager::Get().MountFileSystem(PELLORA_DATA_DIR "/levels.nuf");
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        ASSERT_NE(CreatePlayer("Ann"), nullptr);
        SelectDifficulty(kDifficultyNormal);
        g_versusStrength = static_cast<int32_t>(EBotStrength::Easy);
        SetStateFactory(&CreateVersusScreens);
    }
    void TearDown() override {
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        SetStateFactory(nullptr);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        CScreenTest::TearDown();
    }

    // A match against the computer at the strength chosen on the versus menu, built as the
    // menu builds it, with a fixed seed.
    static CGuiVersus& OpenMatch(uint32_t seed) {
        EXPECT_TRUE(CStateManager::Lower().SetBuiltState(kStateVersusGame, std::make_unique<CGuiVersus>(VersusStrength(), seed), true));
        return *static_cast<CGuiVersus*>(CStateManager::Lower().GetState(0));
    }
    static void StepLayers(int32_t steps = 1) {
        for (int32_t i = 0; i < steps; ++i) {
            Step([] {
                CStateManager::Upper().Update(kStep);
                CStateManager::Lower().Update(kStep);
            });
        }
    }
    static void Click() {
        HoldButton(true);
        StepLayers();
        HoldButton(false);
        StepLayers();
    }
    static Bytes Draw(const std::string& keepAs) {
        Bytes pixels = DrawScreen(EDrawnLayers::Both, false);
        EXPECT_EQ(pixels.size(), static_cast<size_t>(kScreenWidth) * kScreenHeight * 3);
        if (!keepAs.empty()) {
            EXPECT_TRUE(KeepPicture(pixels, keepAs + ".tga"));
        }
        return pixels;
    }
    // The match the replays list kept last, read from its file.
    static bool LastKeptMatch(LibraryEntry& entry, MatchRecord& record) {
        CReplayLibrary library;
        library.Load();
        if (library.Entries().empty() || library.Entries().back().kind != ELibraryKind::Match) {
            ADD_FAILURE() << "no match was kept";
            return false;
        }
        entry = library.Entries().back();
        std::vector<uint8_t> bytes;
        std::string why;
        if (!ReadReplayFile(entry.file, bytes) || !DecodeMatchRecord(bytes, record, why)) {
            ADD_FAILURE() << entry.file << ": " << why;
            return false;
        }
        return true;
    }
    static void Press(uint8_t key) {
        HoldKey(key, true);
        StepLayers();
        HoldKey(key, false);
        StepLayers();
    }
    // The rectangle of a cell of the computer's field in the half-size view.
    struct Rect {
        int left, top, right, bottom;
    };
    static const CTextTable& texts() { return CLanguage::Get(); }
    static Rect MiniCell(const CBoard& board, int32_t column, int32_t row) {
        const Vec3 corner = board.CellTopLeft(column, row);
        const int left = static_cast<int>(kOpponentLeft + (corner.x - 160.0f) * kOpponentScale);
        const int top = static_cast<int>(kOpponentTop + (corner.y - 32.0f) * kOpponentScale);
        return {left, top, left + 16, top + 16};
    }
};

TEST_F(VersusScreenTest, TheHalfSizeViewDrawsTheComputersRealField) {
    CGuiVersus& screen = OpenMatch(3);
    CBoard& computer = screen.Match().Field(kComputerSide).Board();
    computer.ClearGrids();
    const Bytes empty = Draw("");
    computer.SetCell(2, 0, 0, 0);
    computer.SetCell(5, 0, 4, 6);
    const Bytes two = Draw("");
    for (const CellPos cell : {CellPos{0, 0}, CellPos{4, 6}}) {
        const Rect r = MiniCell(computer, cell.column, cell.row);
        EXPECT_GT(DifferingPixels(empty, two, r.left, r.top, r.right, r.bottom), 120)
            << "the ball at (" << cell.column << ", " << cell.row << ") is drawn in its half-size cell";
    }
    // Nothing else changed: not the rest of the view, not the player's field.
    const Rect first = MiniCell(computer, 0, 0);
    const Rect second = MiniCell(computer, 4, 6);
    EXPECT_EQ(DifferingPixels(empty, two, first.right, 0, 160, second.top), 0);
    EXPECT_EQ(DifferingPixels(empty, two, 160, 0, 640, 480), 0);

    // A ball in the same cell of the player's field is drawn full size in the field, not
    // in the view.
    screen.Match().Field(kPlayerSide).Board().SetCell(2, 0, 0, 0);
    const Bytes player = Draw("");
    EXPECT_EQ(DifferingPixels(two, player, 0, 0, 160, 480), 0);
    EXPECT_GT(DifferingPixels(two, player, 160, 32, 192, 64), 400);
}

TEST_F(VersusScreenTest, APlayedMatchIsDrawnInBothLanguages) {
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        g_versusStrength = static_cast<int32_t>(EBotStrength::Normal);
        CGuiVersus& screen = OpenMatch(12);
        // The computer plays for a while; the player does not, so attacks wait for the player.
        int32_t steps = 0;
        for (; steps < 150 * 60 && screen.Match().Phase() == EVersusPhase::Playing &&
               screen.Match().Incoming(kPlayerSide) == 0;
             ++steps) {
            StepLayers();
        }
        EXPECT_EQ(screen.Match().Phase(), EVersusPhase::Playing);
        EXPECT_GT(screen.Match().Field(kComputerSide).Progress().shotsFired, 0);
        const std::string suffix = language == kLanguageSwedish ? "-sv" : "-en";
        Draw("versus-play" + suffix);
        screen.Match().Field(kComputerSide).LoseLife();
        StepLayers(150);
        ASSERT_TRUE(screen.IsPanelShown());
        EXPECT_EQ(screen.PanelTitle(), CLanguage::Get().TxtRoundWon());
        Draw("versus-round" + suffix);
        // The panel holds the picture still once the lost field is swept (at most 130 balls,
        // one each 0.025 s): the end-to-end driver finds the panel so.
        StepLayers(500);
        const Bytes swept = Draw("");
        StepLayers(600);
        EXPECT_EQ(DifferingPixels(swept, Draw(""), 0, 0, 640, 480), 0);
        CStateManager::Lower().SetState(kStateNone, true);
    }
}

TEST_F(VersusScreenTest, BestOfThreeShowsTheResultsAndGoesBackToTheVersusMenu) {
    CGuiVersus& screen = OpenMatch(5);
    struct Round {
        int32_t loser;
        const char* title;
    };
    const CLanguage& texts = CLanguage::Get();
    const Round rounds[] = {{kComputerSide, texts.TxtRoundWon()}, {kPlayerSide, texts.TxtRoundLost()},
                            {kComputerSide, texts.TxtMatchWon()}};
    for (const Round& round : rounds) {
        ASSERT_FALSE(screen.IsPanelShown());
        screen.Match().Field(round.loser).LoseLife();
        StepLayers();
        ASSERT_TRUE(screen.IsPanelShown());
        EXPECT_EQ(screen.PanelTitle(), round.title);
        // A click at once is not taken: the panel is read first.
        Click();
        EXPECT_TRUE(screen.IsPanelShown());
        StepLayers(150);
        Click();
        EXPECT_FALSE(screen.IsPanelShown() && screen.Match().Phase() != EVersusPhase::MatchOver);
    }
    EXPECT_EQ(screen.Match().MatchWinner(), kPlayerSide);
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateHostJoinMenu);
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateEmpty);
}

// A whole match against the computer through the screen, the player never touching the
// controls: each round's result, its length and both fields as it ended stay as they were.
TEST_F(VersusScreenTest, AMatchAgainstTheComputerPlaysToItsKnownEnd) {
    g_versusStrength = static_cast<int32_t>(EBotStrength::Normal);
    // The idle player's launcher points where the pointer rests.
    PointAt(320, 200);
    StepLayers();
    CGuiVersus& screen = OpenMatch(44);
    std::string summary;
    for (int32_t round = 0; round < 5 && CStateManager::Upper().GetPendingId() != kStateHostJoinMenu; ++round) {
        for (int32_t step = 0; step < 150 * 400 && !screen.IsPanelShown(); ++step) {
            StepLayers();
        }
        ASSERT_TRUE(screen.IsPanelShown());
        const CVersusMatch& match = screen.Match();
        char line[160];
        std::snprintf(line, sizeof line, "round %d: winner %d steps %lld shots %d/%d scores %d/%d balls %d/%d\n",
                      match.RoundNumber(), match.Round().winner, static_cast<long long>(match.Round().steps),
                      match.Round().sides[0].shots, match.Round().sides[1].shots, match.Field(0).Progress().score,
                      match.Field(1).Progress().score, match.Field(0).Board().BallCount(),
                      match.Field(1).Board().BallCount());
        summary += line;
        StepLayers(150);
        Click();
    }
    EXPECT_EQ(summary,
              "round 1: winner 1 steps 8281 shots 0/20 scores 0/22300 balls 71/9\n"
              "round 2: winner 1 steps 11585 shots 0/32 scores 0/12700 balls 54/32\n");
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateHostJoinMenu);

    // The match is kept, finished, and plays again through the simulator's check to its end.
    LibraryEntry entry;
    MatchRecord record;
    ASSERT_TRUE(LastKeptMatch(entry, record));
    EXPECT_TRUE(entry.finished);
    EXPECT_EQ(entry.mode, EMatchMode::Computer);
    EXPECT_EQ(entry.names[kPlayerSide], "Ann");
    EXPECT_EQ(entry.kinds[kComputerSide], EMatchSideKind::Computer);
    EXPECT_EQ(entry.strengths[kComputerSide], static_cast<uint8_t>(EBotStrength::Normal));
    EXPECT_EQ(entry.roundsWon[kComputerSide], 2);
    EXPECT_EQ(entry.winner, kComputerSide);
    const MatchRecordVerdict verdict = VerifyMatchRecord(record);
    EXPECT_TRUE(verdict.agrees) << verdict.why;
    EXPECT_TRUE(verdict.played.finished);
    EXPECT_EQ(verdict.played.winner, screen.Match().MatchWinner());
    EXPECT_EQ(verdict.played.roundsWon[kComputerSide], 2);
}

// The player shoots a few times and leaves: the match is kept as left, with the player's
// shots, and plays again to where it was left; watched in the match screen, it ends there,
// with the keys of a game's replay, and goes back to the replays list.
TEST_F(VersusScreenTest, AMatchLeftIsKeptAndWatchedInTheMatchScreenToWhereItWasLeft) {
    g_versusStrength = static_cast<int32_t>(EBotStrength::Hard);
    CGuiVersus& screen = OpenMatch(21);
    StepLayers(150);
    for (int32_t shot = 0; shot < 6; ++shot) {
        PointAt(200 + 40 * shot, 150 + 10 * shot);
        StepLayers(60);
        Click();
        StepLayers(150);
    }
    ASSERT_GT(screen.Match().Field(kPlayerSide).Progress().shotsFired, 2);
    const int32_t round = screen.Match().RoundNumber();
    const int32_t computerWon = screen.Match().RoundsWon(kComputerSide);
    EXPECT_TRUE(screen.OnEscape());
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateHostJoinMenu);

    LibraryEntry entry;
    MatchRecord record;
    ASSERT_TRUE(LastKeptMatch(entry, record));
    EXPECT_FALSE(entry.finished);
    EXPECT_FALSE(record.outcome.finished);
    EXPECT_GT(record.date, 0u);
    EXPECT_GE(entry.steps, 150u * 9u);
    const MatchRecordVerdict verdict = VerifyMatchRecord(record);
    EXPECT_TRUE(verdict.agrees) << verdict.why;
    EXPECT_EQ(verdict.played.round, round);
    EXPECT_EQ(verdict.played.roundsWon[kComputerSide], computerWon);
    int32_t fired = 0;
    for (const ReplayRun& run : record.sides[kPlayerSide].runs) {
        fired += run.step.Has(ReplayInput::Fire) ? static_cast<int32_t>(run.count) : 0;
    }
    EXPECT_EQ(fired, screen.Match().Field(kPlayerSide).Progress().shotsFired);
    CStateManager::Lower().SetState(kStateNone, true);

    // Watched: the speed and pause keys of a game's replay, then the record played out.
    ASSERT_TRUE(CStateManager::Lower().SetBuiltState(kStateVersusGame, std::make_unique<CGuiVersus>(record), true));
    auto& watched = *static_cast<CGuiVersus*>(CStateManager::Lower().GetState(0));
    ASSERT_TRUE(watched.IsWatching());
    StepLayers(150);
    const int32_t stepsAtX1 = watched.Match().SideSteps(kPlayerSide);
    EXPECT_GE(stepsAtX1, 140);
    EXPECT_LE(stepsAtX1, 152);
    Press(DIK_RIGHT);
    Press(DIK_RIGHT);
    Press(DIK_RIGHT);
    EXPECT_EQ(watched.WatchSpeed(), 4);
    Press(DIK_LEFT);
    EXPECT_EQ(watched.WatchSpeed(), 2);
    Press(DIK_P);
    ASSERT_TRUE(watched.IsWatchPaused());
    const int32_t pausedAt = watched.Match().SideSteps(kPlayerSide);
    StepLayers(300);
    EXPECT_EQ(watched.Match().SideSteps(kPlayerSide), pausedAt) << "the pause holds both sides";
    Draw("versus-watch-paused");
    Press(DIK_P);
    Press(DIK_RIGHT);
    for (int32_t step = 0; step < 150 * 60 && !watched.IsWatchEnded(); ++step) {
        StepLayers();
    }
    ASSERT_TRUE(watched.IsWatchEnded());
    EXPECT_EQ(watched.Match().RoundNumber(), round);
    EXPECT_EQ(watched.Match().RoundsWon(kComputerSide), computerWon);
    EXPECT_EQ(watched.Match().Field(kPlayerSide).Progress().shotsFired, fired);
    EXPECT_EQ(static_cast<uint32_t>(watched.Match().SideSteps(kComputerSide)),
              verdict.played.steps[kComputerSide]);
    EXPECT_TRUE(watched.IsPanelShown());
    EXPECT_EQ(watched.PanelTitle(), CLanguage::Get().TxtReplayMatchLeft());
    Draw("versus-watch-ended");
    Press(DIK_RETURN);
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateReplays);
}

// Games and matches are listed newest first, a page at a time; the keys choose a row, and a
// match opens in the match screen and a game in the game's screen, both watching.
TEST_F(VersusScreenTest, TheReplaysListShowsGamesAndMatchesAndOpensEachInItsScreen) {
    CReplayLibrary library;
    library.Load();
    ReplayData game;
    game.header.playerName = "Ann";
    game.header.finished = true;
    game.header.finalScore = 12340;
    game.header.steps = 150 * 95;
    game.runs.push_back(ReplayRun{ReplayStep(), game.header.steps});
    std::vector<uint8_t> gameBytes;
    EncodeReplay(game, gameBytes);
    ASSERT_TRUE(library.Add(GameLibraryEntry(game, 1700000000u), gameBytes));
    MatchRecord match;
    match.mode = EMatchMode::Computer;
    match.date = 1700000600u;
    match.sides[0].name = "Ann";
    match.sides[1].kind = EMatchSideKind::Computer;
    match.sides[1].strength = static_cast<uint8_t>(EBotStrength::Hard);
    match.sides[0].runs.push_back(ReplayRun{ReplayStep(), 150 * 20});
    match.sides[1].runs.push_back(ReplayRun{ReplayStep(), 150 * 20});
    match.hasOutcome = true;
    match.outcome.roundsWon[1] = 1;
    std::vector<uint8_t> matchBytes;
    EncodeMatchRecord(match, matchBytes);
    ASSERT_TRUE(library.Add(MatchLibraryEntry(match), matchBytes));

    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        Press(DIK_LSHIFT);   // the keys in use
        ASSERT_TRUE(CStateManager::Upper().SetState(kStateReplays, true));
        auto& list = *static_cast<CGuiReplays*>(CStateManager::Upper().GetState(0));
        StepLayers(150);
        ASSERT_EQ(list.Listed().size(), 2u);
        EXPECT_TRUE(list.Row(0).IsVisible());
        EXPECT_TRUE(list.Row(1).IsVisible());
        EXPECT_FALSE(list.Row(2).IsVisible());
        EXPECT_FALSE(list.EmptyLine().IsVisible());
        const std::string computer = std::string(CLanguage::Get().TxtComputer()) + " (" + CLanguage::Get().TxtHard() + ")";
        EXPECT_EQ(std::string(list.Row(0).Text()), "Ann  0 - 1  " + computer);
        EXPECT_NE(std::string(list.Detail(0).Text()).find(CLanguage::Get().TxtReplayVsComputer()), std::string::npos);
        EXPECT_NE(std::string(list.Detail(0).Text()).find("0:20, " + std::string(CLanguage::Get().TxtReplayLeft())),
                  std::string::npos)
            << list.Detail(0).Text();
        EXPECT_EQ(std::string(list.Row(1).Text()), "Ann   12340");
        EXPECT_NE(std::string(list.Detail(1).Text()).find(CLanguage::Get().TxtReplayGame()), std::string::npos);
        EXPECT_NE(std::string(list.Detail(1).Text()).find("1:35"), std::string::npos) << list.Detail(1).Text();
        for (int32_t row = 0; row < 2; ++row) {
            EXPECT_LE(list.Row(row).TextWidth(), 310) << list.Row(row).Text();
            EXPECT_LE(list.Detail(row).TextWidth(), 310) << list.Detail(row).Text();
        }
        Draw(language == kLanguageSwedish ? "replays-list-sv" : "replays-list-en");
        CStateManager::Upper().SetState(kStateNone, true);
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);

    // By keys: the focus starts on the newest, Down goes to the game, Return watches it.
    ASSERT_TRUE(CStateManager::Upper().SetState(kStateReplays, true));
    auto& keyed = *static_cast<CGuiReplays*>(CStateManager::Upper().GetState(0));
    StepLayers(150);
    EXPECT_EQ(keyed.HoveredWidget(), &keyed.Row(0));
    Press(DIK_DOWN);
    EXPECT_EQ(keyed.HoveredWidget(), &keyed.Row(1));
    Press(DIK_RETURN);
    ASSERT_EQ(CStateManager::Lower().GetPendingId(), kStateGame);
    const auto* watchedGame = dynamic_cast<const CGame*>(CStateManager::Lower().GetPendingState());
    ASSERT_NE(watchedGame, nullptr);
    EXPECT_TRUE(watchedGame->IsWatching());
    CStateManager::Lower().RequestState(kStateNone);
    CStateManager::Lower().SetState(kStateNone, true);

    ASSERT_TRUE(CStateManager::Upper().SetState(kStateReplays, true));
    StepLayers(150);
    Press(DIK_RETURN);
    ASSERT_EQ(CStateManager::Lower().GetPendingId(), kStateVersusGame);
    const auto* watchedMatch = dynamic_cast<const CGuiVersus*>(CStateManager::Lower().GetPendingState());
    ASSERT_NE(watchedMatch, nullptr);
    EXPECT_TRUE(watchedMatch->IsWatching());
    CStateManager::Lower().RequestState(kStateNone);
    CStateManager::Lower().SetState(kStateNone, true);

    // A page holds seven rows; ">" turns to the next page, which wraps round.
    for (uint32_t i = 0; i < 8; ++i) {
        ASSERT_TRUE(library.Add(MatchLibraryEntry(match), matchBytes));
    }
    ASSERT_TRUE(CStateManager::Upper().SetState(kStateReplays, true));
    auto& pages = *static_cast<CGuiReplays*>(CStateManager::Upper().GetState(0));
    StepLayers(150);
    EXPECT_EQ(pages.PageCount(), 2);
    EXPECT_EQ(pages.Page(), 0);
    CEngine::Get().BroadcastMessage(CGuiReplays::kCommandNextPage, 0);
    EXPECT_EQ(pages.Page(), 1);
    EXPECT_TRUE(pages.Row(2).IsVisible());
    EXPECT_FALSE(pages.Row(3).IsVisible());
    EXPECT_EQ(std::string(pages.Row(3 - 1).Text()), "Ann   12340") << "the oldest is last";
    CEngine::Get().BroadcastMessage(CGuiReplays::kCommandNextPage, 0);
    EXPECT_EQ(pages.Page(), 0);

    // A kept file that cannot be read is not played: a notice says so.
    ClearNotices();
    WriteReplayFile(pages.Listed().front().file, {1, 2, 3});
    CEngine::Get().BroadcastMessage(CGuiReplays::kCommandRow, 0);
    EXPECT_NE(CStateManager::Lower().GetPendingId(), kStateVersusGame);
    ASSERT_NE(CurrentNotice(), nullptr);
    EXPECT_EQ(CurrentNotice()->first, CLanguage::Get().TxtReplayUnreadable());
    ClearNotices();
    // Escape goes back to the versus menu.
    EXPECT_TRUE(pages.OnEscape());
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateHostJoinMenu);
}

// The pointer rests far left; a click is made straight above the launcher in one motion with
// the move there. Whether the pointer's state has not caught up with the press when the step
// takes it, or has already gone on, the ball leaves along the aim of the click's own place.
TEST_F(VersusScreenTest, AClickMadeInOneMotionWithAMoveFiresWhereItWasMade) {
    struct Case {
        const char* what;
        int32_t pointerX, pointerY;   // where the pointer's state says it is at the press's step
    };
    const Case cases[] = {{"the pointer's state still at the old place", 20, 250},
                          {"the pointer's state gone on after the press", 600, 300},
                          {"the pointer's state where the press was", 320, 5}};
    for (const Case& c : cases) {
        CGuiVersus& screen = OpenMatch(21);
        PointAt(300, 300);
        StepLayers();
        PointAt(20, 250);
        StepLayers(150);
        const CPlayfield& field = screen.Match().Field(kPlayerSide);
        ASSERT_LT(field.LauncherRotation(), -30.0f) << "the launcher points where the pointer rests";
        PointAt(c.pointerX, c.pointerY);
        CMouseCursor::Get().NoteButtonDown(320, 5);
        HoldButton(true);
        StepLayers();
        HoldButton(false);
        StepLayers();
        ASSERT_TRUE(field.Shot().flying) << c.what;
        EXPECT_NEAR(field.Shot().velocity.x, 0.0f, 1.0f) << c.what << ": straight up, not along the old aim";
        EXPECT_LT(field.Shot().velocity.y, 0.0f) << c.what;
    }
}

TEST_F(VersusScreenTest, PPausesBothSidesAndResumesThem) {
    g_versusStrength = static_cast<int32_t>(EBotStrength::Hard);
    CGuiVersus& screen = OpenMatch(8);
    auto pressP = [] {
        HoldKey(DIK_P, true);
        StepLayers();
        HoldKey(DIK_P, false);
        StepLayers();
    };
    pressP();
    ASSERT_TRUE(screen.IsPaused());
    // Longer than the idle time of normal play (6 s) and the computer's thinking.
    StepLayers(150 * 8);
    EXPECT_EQ(screen.Match().Field(kComputerSide).Progress().shotsFired, 0) << "the computer waits too";
    EXPECT_FALSE(screen.Match().Field(kPlayerSide).IsCountdownRunning()) << "the idle countdown waits";
    Draw("versus-paused");
    pressP();
    EXPECT_FALSE(screen.IsPaused());
    StepLayers(150 * 5);
    EXPECT_GT(screen.Match().Field(kComputerSide).Progress().shotsFired, 0);
}

TEST_F(VersusScreenTest, TheVersusMenuStartsAMatchAtTheChosenStrength) {
    ASSERT_TRUE(CStateManager::Upper().SetState(kStateHostJoinMenu, true));
    StepLayers(300);
    // The strength item steps through the three strengths.
    CEngine::Get().BroadcastMessage(kCommandVersusStrength, 0);
    EXPECT_EQ(g_versusStrength, static_cast<int32_t>(EBotStrength::Normal));
    CEngine::Get().BroadcastMessage(kCommandVersusStrength, 0);
    CEngine::Get().BroadcastMessage(kCommandVersusStrength, 0);
    EXPECT_EQ(g_versusStrength, static_cast<int32_t>(EBotStrength::Easy));
    CEngine::Get().BroadcastMessage(kCommandVersusStrength, 0);
    CEngine::Get().BroadcastMessage(kStateVersusGame, 0);
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateVersusGame);
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateEmpty);
    // The menu built the match at the strength it shows.
    const auto* match = dynamic_cast<const CGuiVersus*>(CStateManager::Lower().GetPendingState());
    ASSERT_NE(match, nullptr);
    EXPECT_FALSE(match->IsNetworked());
    EXPECT_EQ(match->Strength(), EBotStrength::Normal);
}

TEST_F(VersusScreenTest, TheMainMenuLeadsToTheVersusMenuAndKeepsEveryItemInItsPlace) {
    ASSERT_TRUE(CStateManager::Upper().SetState(kStateMainMenu, true));
    CGuiMenu& menu = *static_cast<CGuiMenu*>(CStateManager::Upper().GetState(0));
    StepLayers(300);
    const char* const items[] = {texts().TxtPlay(),       texts().TxtChangePlayer(), "",
                                 texts().TxtHighscore(),  texts().TxtGameOptions(),  texts().TxtExitGameMenu()};
    int32_t index = 0;
    const CGuiWidget* versus = nullptr;
    const CGuiWidget* exit = nullptr;
    for (int32_t i = 0; i < menu.WidgetCount(); ++i) {
        const CGuiWidget& widget = menu.WidgetAt(i);
        if (std::string(widget.Text()) == texts().TxtVersus()) {
            versus = &widget;
        }
        if (std::string(widget.Text()) == texts().TxtExitGameMenu()) {
            exit = &widget;
        }
        for (int32_t item = 0; item < 6; ++item) {
            if (items[item][0] != '\0' && std::string(widget.Text()) == items[item]) {
                EXPECT_EQ(widget.Y(), 110 + 36 * item) << widget.Text();
                ++index;
            }
        }
    }
    EXPECT_EQ(index, 5);
    ASSERT_NE(versus, nullptr);
    ASSERT_NE(exit, nullptr);
    EXPECT_GE(versus->Y(), exit->Y() + exit->H());
    EXPECT_EQ(versus->Command(), kStateHostJoinMenu);
}

// The other program of a network match, headless, hosting one of the given length; its bot
// says it is ready after a round only when the test lets it.
bool HostMatch(BotMatchProgram& program, uint16_t roundSeconds, uint8_t roundsToWin) {
    NetSessionOptions options;
    options.name = "Bea";
    options.settings.roundsToWin = roundsToWin;
    options.settings.maxRounds = static_cast<uint8_t>(2 * roundsToWin + 1);
    options.settings.roundSeconds = roundSeconds;
    options.seed = 2024;
    program.session = std::make_unique<CNetSession>(options);
    program.bot.Configure(EBotStrength::Hard, 5);
    program.readyAfterRound = false;
    return program.session->Host(0);
}

class NetVersusScreenTest : public VersusScreenTest {
protected:
    // The screen's program joins the other one over loopback and opens the match screen.
    CGuiVersus& JoinMatch(uint16_t roundSeconds, uint8_t roundsToWin = 1) {
        EXPECT_TRUE(HostMatch(other, roundSeconds, roundsToWin));
        NetSessionOptions options;
        options.name = "Ann";
        auto session = std::make_unique<CNetSession>(options);
        EXPECT_TRUE(session->Join("127.0.0.1", other.session->Port()));
        for (int i = 0; i < 5000 && !(IsPlaying(*session) && IsPlaying(*other.session)); ++i) {
            session->Service();
            other.session->Service();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(IsPlaying(*session) && IsPlaying(*other.session));
        other.net.Start(*other.session, other.match);
        // Built on the session as the join screen builds it; the screen owns it from here.
        EXPECT_TRUE(CStateManager::Lower().SetBuiltState(kStateVersusGame, std::make_unique<CGuiVersus>(std::move(session)), true));
        return *static_cast<CGuiVersus*>(CStateManager::Lower().GetState(0));
    }
    static bool IsPlaying(const CNetSession& session) { return session.State() == ENetSessionState::Playing; }
    // Steps the screen and the other program together until done holds, at most limit steps.
    bool StepBothUntil(const std::function<bool()>& done, int limit) {
        for (int i = 0; i < limit; ++i) {
            StepLayers();
            other.Frame();
            if (done()) {
                return true;
            }
        }
        return false;
    }

    void ExpectFaultyDataTold(uint32_t language, const char* picture);

    BotMatchProgram other;
};

TEST_F(NetVersusScreenTest, AMatchOverTheNetworkEndsWithTheSameResultInBothPrograms) {
    CGuiVersus& screen = JoinMatch(12);
    ASSERT_TRUE(screen.IsNetworked());
    EXPECT_EQ(screen.PlayerSide(), 1);
    // The player here does nothing; the other program's bot plays until the round is over.
    ASSERT_TRUE(StepBothUntil([&] { return screen.IsPanelShown(); }, 20000));
    ASSERT_TRUE(StepBothUntil([&] { return other.match.Phase() == EVersusPhase::MatchOver; }, 20000));
    EXPECT_EQ(screen.Match().Phase(), EVersusPhase::MatchOver);
    const int32_t winner = screen.Match().MatchWinner();
    EXPECT_EQ(winner, other.match.MatchWinner());
    const char* expected = winner == 1 ? texts().TxtMatchWon()
                                       : (winner == 0 ? texts().TxtNetYouLost() : texts().TxtMatchDrawn());
    EXPECT_EQ(screen.PanelTitle(), expected);
    Draw("versus-network-end");
    // Read, then clicked away: back to the versus menu, the session closed, the other
    // program told that the match is over.
    StepBothUntil([] { return false; }, 150);
    HoldButton(true);
    StepLayers();
    HoldButton(false);
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateHostJoinMenu);
    ASSERT_TRUE(StepBothUntil([&] { return !other.net.IsRunning(); }, 20000));
    EXPECT_EQ(other.net.End(), ENetVersusEnd::MatchOver);

    // The match is kept as this program played it, and plays again to the same end.
    LibraryEntry entry;
    MatchRecord record;
    ASSERT_TRUE(LastKeptMatch(entry, record));
    EXPECT_EQ(entry.mode, EMatchMode::Network);
    EXPECT_TRUE(entry.finished);
    EXPECT_EQ(record.ownSide, 1);
    EXPECT_EQ(record.attackTravelSteps, kNetAttackTravelSteps);
    EXPECT_EQ(entry.kinds[0], EMatchSideKind::Remote);
    EXPECT_EQ(entry.names[0], "Bea");
    EXPECT_EQ(entry.names[1], "Ann");
    const MatchRecordVerdict verdict = VerifyMatchRecord(record);
    EXPECT_TRUE(verdict.agrees) << verdict.why;
    EXPECT_EQ(verdict.played.winner, winner);
}

TEST_F(NetVersusScreenTest, TheNextRoundStartsWhenBothPlayersAreReady) {
    CGuiVersus& screen = JoinMatch(10, 2);
    ASSERT_TRUE(StepBothUntil([&] { return screen.IsPanelShown(); }, 20000));
    ASSERT_EQ(screen.Match().Phase(), EVersusPhase::RoundOver);
    // The player reads the panel and clicks: ready, and told whom the match waits for.
    StepBothUntil([] { return false; }, 150);
    Click();
    ASSERT_TRUE(StepBothUntil([&] { return screen.IsWaitingForOpponent(); }, 2000));
    EXPECT_EQ(screen.PanelHint(), "Waiting for Bea");
    EXPECT_EQ(screen.Match().RoundNumber(), 1);
    Draw("versus-network-waiting");
    StepBothUntil([] { return false; }, 300);
    EXPECT_EQ(screen.Match().RoundNumber(), 1) << "a round starts only when both are ready";
    // The other player is ready too: round 2 in both programs, the panel gone.
    other.readyAfterRound = true;
    ASSERT_TRUE(StepBothUntil([&] { return screen.Match().RoundNumber() == 2 && other.match.RoundNumber() == 2; }, 2000));
    EXPECT_FALSE(screen.IsPanelShown());
    EXPECT_EQ(screen.Match().Phase(), EVersusPhase::Playing);
    EXPECT_TRUE(screen.PanelHint().empty());
    // The new round's panel takes the player's click again: ready once more, or, after the
    // match's last round, back to the versus menu.
    ASSERT_TRUE(StepBothUntil([&] { return screen.IsPanelShown(); }, 20000));
    EXPECT_FALSE(screen.IsWaitingForOpponent());
    StepBothUntil([] { return false; }, 150);
    Click();
    EXPECT_TRUE(StepBothUntil([&] {
        return screen.IsWaitingForOpponent() || screen.Match().RoundNumber() == 3 ||
               CStateManager::Upper().GetPendingId() == kStateHostJoinMenu;
    }, 2000));
}

// The match owns the session it was built on: a match pushed and then dropped unused (a later
// request of the same frame) still says goodbye, and the other program hears it at once.
TEST_F(NetVersusScreenTest, AMatchDroppedBeforeItStartsClosesItsSession) {
    ASSERT_TRUE(HostMatch(other, 60, 1));
    NetSessionOptions options;
    options.name = "Ann";
    auto session = std::make_unique<CNetSession>(options);
    ASSERT_TRUE(session->Join("127.0.0.1", other.session->Port()));
    for (int i = 0; i < 5000 && !(IsPlaying(*session) && IsPlaying(*other.session)); ++i) {
        session->Service();
        other.session->Service();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(IsPlaying(*session) && IsPlaying(*other.session));
    CStateManager::Lower().RequestState(kStateVersusGame, std::make_unique<CGuiVersus>(std::move(session)));
    CStateManager::Lower().RequestState(kStateNone);
    for (int i = 0; i < 2000 && other.session->State() != ENetSessionState::Ended; ++i) {
        other.session->Service();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(other.session->State(), ENetSessionState::Ended);
    EXPECT_EQ(other.session->EndReason(), ENetEndReason::OpponentLeft);
}

// The other program keeps its connection but sends no steps: once the player's side is as
// far ahead as attacks travel it waits, and the screen says so at once and how long the
// other side has been silent, in the player's language; when the steps come again the line
// goes.
class StalledOpponentTest : public NetVersusScreenTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(StalledOpponentTest, IsShownAsAWaitAndHowLong) {
    const uint32_t language = GetParam();
    CLanguage::Get().SetLanguage(language);
    CGuiVersus& screen = JoinMatch(300);
    auto stalled = [&](int32_t steps) {
        for (int32_t i = 0; i < steps; ++i) {
            StepLayers();
            other.session->Service();   // its keep-alives, no steps
        }
    };
    stalled(kNetAttackTravelSteps - 2);
    EXPECT_TRUE(screen.WaitLine().empty()) << "no line while the player's side plays";
    const Bytes before = Draw("");
    stalled(4);
    EXPECT_EQ(screen.Match().SideSteps(screen.PlayerSide()), kNetAttackTravelSteps) << "the player's side waits";
    char expected[96];
    std::snprintf(expected, sizeof expected, CLanguage::Get().TxtNetWaitingSeconds(), "Bea", 2);
    EXPECT_EQ(screen.WaitLine(), expected) << "told at once: two seconds ahead of the other side's last step";
    stalled(2 * 150);
    std::snprintf(expected, sizeof expected, CLanguage::Get().TxtNetWaitingSeconds(), "Bea", 4);
    EXPECT_EQ(screen.WaitLine(), expected);
    const Bytes waiting = Draw(std::string("versus-network-stalled") + (language == kLanguageSwedish ? "-sv" : "-en"));
    EXPECT_GT(DifferingPixels(before, waiting, 160, 190, 480, 230), 300) << "the line is drawn over the field";
    // The other program plays again: the player's side goes on and the line goes.
    ASSERT_TRUE(StepBothUntil([&] { return screen.Match().SideSteps(screen.PlayerSide()) > kNetAttackTravelSteps + 30; }, 3000));
    EXPECT_TRUE(screen.WaitLine().empty());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, StalledOpponentTest, ::testing::Values(kLanguageEnglish, kLanguageSwedish));

TEST_F(NetVersusScreenTest, AnOpponentWhoLeavesEndsTheMatchWithAMessage) {
    CGuiVersus& screen = JoinMatch(300);
    ASSERT_TRUE(StepBothUntil([&] { return screen.Match().SideSteps(0) > 300; }, 20000));
    other.net.Leave();
    ASSERT_TRUE(StepBothUntil([&] { return screen.IsPanelShown(); }, 20000));
    EXPECT_EQ(screen.PanelTitle(), texts().TxtNetOpponentLeft());
    EXPECT_FALSE(screen.IsPaused());
    Draw("versus-opponent-left");
    StepBothUntil([] { return false; }, 150);
    Click();
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateHostJoinMenu);
}

// The other program breaks the protocol mid-match (a checksum for a step it has checked
// already): the panel says so, in either language, not that the opponent left.
void NetVersusScreenTest::ExpectFaultyDataTold(uint32_t language, const char* picture) {
    CLanguage::Get().SetLanguage(language);
    CGuiVersus& screen = JoinMatch(300);
    ASSERT_TRUE(StepBothUntil([&] { return screen.Match().SideSteps(0) > static_cast<int32_t>(2 * kNetCheckSteps + 10); }, 20000));
    ASSERT_TRUE(other.session->SendChecksum(1, 0));
    ASSERT_TRUE(StepBothUntil([&] { return screen.IsPanelShown(); }, 20000));
    EXPECT_EQ(screen.PanelTitle(), texts().TxtNetOpponentBroke());
    EXPECT_NE(screen.PanelTitle(), texts().TxtNetOpponentLeft());
    Draw(picture);
}

TEST_F(NetVersusScreenTest, FaultyDataFromTheOpponentIsToldInEnglish) {
    ExpectFaultyDataTold(kLanguageEnglish, "versus-opponent-broke-en");
}

TEST_F(NetVersusScreenTest, FaultyDataFromTheOpponentIsToldInSwedish) {
    ExpectFaultyDataTold(kLanguageSwedish, "versus-opponent-broke-sv");
}

}  // namespace
