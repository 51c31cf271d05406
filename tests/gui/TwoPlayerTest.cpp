// Two players at one machine, through the real input path: SDL key events and virtual game
// controllers go through the program's event pump into CInput; the set-up screen and the
// match are stepped as the engine steps them and drawn by the software renderer (pictures
// kept with PELLORA_E2E_SHOTS).
#include "GuiFixtures.h"

#include "engine/Engine.h"
#include "engine/StateManager.h"
#include "gui/GuiMenu.h"
#include "gui/GuiTwoPlayers.h"
#include "gui/GuiVersus.h"
#include "gui/ScreenFlow.h"
#include "platform/Gfx.h"
#include "platform/Window.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ReplayLibrary.h"
#include "profile/ReplayStore.h"
#include "resources/FileManager.h"
#include "tests/support/SoftwareScreen.h"
#include "tests/support/VirtualDevices.h"

#include <SDL.h>

#include <cmath>
#include <string>
#include <vector>

namespace {
CEngineState* CreateTwoPlayerScreens(int32_t stateId) {
    switch (stateId) {
        case kStateTwoPlayers: return new CGuiTwoPlayers();
        case kStateHostJoinMenu: return new CGuiNetMenu(kStateHostJoinMenu);
        default: return nullptr;
    }
}

class CQuietEvents final : public IWindowEvents {
public:
    void OnFocusGained() override {}
    void OnFocusLost() override {}
    void OnCloseRequested() override {}
    void OnEscapeReleased() override {}
    void OnScreenshotKey() override {}
    void OnCharacter(uint8_t) override {}
    void OnClientResize(int, int) override {}
};

// A device as the test presses it: a keyboard half by its keys, or a virtual pad.
struct TestDevice {
    EDeviceKind kind;
    SDL_Scancode fire, swap, left, right;
    int32_t pad;   // which of the test's pads, for a pad
};
constexpr TestDevice kLeftHalf = {EDeviceKind::LeftKeys, SDL_SCANCODE_W, SDL_SCANCODE_S, SDL_SCANCODE_A,
                                  SDL_SCANCODE_D, -1};
constexpr TestDevice kRightHalf = {EDeviceKind::RightKeys, SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT,
                                   SDL_SCANCODE_RIGHT, -1};
constexpr TestDevice kMouse = {EDeviceKind::Mouse, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN,
                               SDL_SCANCODE_UNKNOWN, -1};
constexpr TestDevice kFirstPad = {EDeviceKind::Pad, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN,
                                  SDL_SCANCODE_UNKNOWN, 0};
constexpr TestDevice kSecondPad = {EDeviceKind::Pad, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN,
                                   SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, 1};

class TwoPlayerTest : public CScreenTest {
protected:
    static void SetUpTestSuite() {
        // The test's window never has the focus; the pads are heard all the same.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_TRUE(OpenSoftwareScreen());
    }
    static void TearDownTestSuite() { CloseSoftwareScreen(); }
    void SetUp() override {
        CScreenTest::SetUp();
        CFileManager::Get().MountFileSystem(PELLORA_DATA_DIR "/levels.nuf");
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        ASSERT_NE(CreatePlayer("Ann"), nullptr);
        ASSERT_NE(CreatePlayer("Bea"), nullptr);
        ASSERT_TRUE(SetCurrentPlayer(GetPlayer(0)));
        SelectDifficulty(kDifficultyNormal);
        g_twoPlayerRoundsToWin = 2;
        g_twoPlayerRoundSeconds = 300;
        SetStateFactory(&CreateTwoPlayerScreens);
        Pump();
    }
    void TearDown() override {
        for (SDL_Joystick* pad : m_pads) {
            Unplug(pad);
        }
        Pump();
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        SetStateFactory(nullptr);
        CGfxOGL::Get().SetPictureSize(kScreenWidth, kScreenHeight);
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        CScreenTest::TearDown();
    }

    void Pump() {
        while (CWindow::Get().PollEvent(m_events)) {
        }
    }
    // One engine step: the events, the input snapshot, both layers, then the screen changes.
    void StepLayers(int32_t steps = 1) {
        for (int32_t i = 0; i < steps; ++i) {
            Pump();
            Step([] {
                CStateManager::Upper().Update(kStep);
                CStateManager::Lower().Update(kStep);
            });
            CEngine::Get().ApplyStateRequests();
        }
    }
    void PlugPads(int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            SDL_Joystick* const pad = AttachVirtualPad();
            ASSERT_NE(pad, nullptr);
            m_pads.push_back(pad);
            const int32_t before = CInput::Get().PadCount();
            for (int32_t step = 0; step < 10 && CInput::Get().PadCount() == before; ++step) {
                StepLayers();
            }
            ASSERT_EQ(CInput::Get().PadCount(), before + 1);
        }
    }
    void Unplug(SDL_Joystick*& pad) {
        if (pad != nullptr) {
            EXPECT_TRUE(DetachVirtualPad(pad)) << SDL_GetError();
            pad = nullptr;
        }
    }
    static void PushKey(SDL_Scancode scancode, bool down) { ASSERT_TRUE(PushKeyEvent(scancode, down)) << SDL_GetError(); }
    void Hold(const TestDevice& device, SDL_Scancode key, SDL_GameControllerButton button, bool down) {
        if (device.kind == EDeviceKind::Pad) {
            ASSERT_EQ(SDL_JoystickSetVirtualButton(m_pads[static_cast<size_t>(device.pad)], button, down ? 1 : 0), 0);
            SDL_JoystickUpdate();
        } else {
            PushKey(key, down);
        }
    }
    void Tap(const TestDevice& device, SDL_Scancode key, SDL_GameControllerButton button) {
        Hold(device, key, button, true);
        StepLayers();
        Hold(device, key, button, false);
        StepLayers();
    }
    void Fire(const TestDevice& device) {
        if (device.kind == EDeviceKind::Mouse) {
            HoldButton(true);
            StepLayers();
            HoldButton(false);
            StepLayers();
            return;
        }
        Tap(device, device.fire, SDL_CONTROLLER_BUTTON_A);
    }
    void TurnRight(const TestDevice& device, bool down) {
        Hold(device, device.right, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, down);
    }

    CGuiTwoPlayers& OpenSetUp() {
        EXPECT_TRUE(CStateManager::Upper().SetState(kStateTwoPlayers, true));
        StepLayers(150);   // the entry slide
        return *static_cast<CGuiTwoPlayers*>(CStateManager::Upper().GetState(0));
    }
    // Both devices claim their sides, the second player picks the next name, and both fire
    // again: the match begins.
    CGuiVersus* StartMatch(const TestDevice& first, const TestDevice& second) {
        CGuiTwoPlayers& setUp = OpenSetUp();
        Fire(first);
        Fire(second);
        EXPECT_EQ(setUp.SideHolder(0).kind, first.kind);
        EXPECT_EQ(setUp.SideHolder(1).kind, second.kind);
        if (!setUp.SideHolder(0).IsHeld() || !setUp.SideHolder(1).IsHeld()) {
            return nullptr;
        }
        EXPECT_EQ(setUp.SideName(0), "Ann");
        EXPECT_EQ(setUp.SideName(1), CLanguage::Get().TxtGuest());
        // Ann is the other side's already: the next name is Bea.
        Tap(second, second.right, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        EXPECT_EQ(setUp.SideName(1), "Bea");
        Fire(first);
        EXPECT_TRUE(setUp.IsSideReady(0));
        EXPECT_EQ(CStateManager::Lower().GetState(0), nullptr) << "one player ready starts nothing";
        Fire(second);
        auto* match = dynamic_cast<CGuiVersus*>(CStateManager::Lower().GetState(0));
        EXPECT_NE(match, nullptr) << "both ready: the match starts";
        return match;
    }

    CQuietEvents m_events;
    std::vector<SDL_Joystick*> m_pads;
};

struct DevicePair {
    const char* name;
    TestDevice first, second;
    int32_t pads;
};

TEST_F(TwoPlayerTest, EachDeviceClaimsASideAndPlaysOnlyItsOwnField) {
    const DevicePair pairs[] = {
        {"both halves of the keyboard", kLeftHalf, kRightHalf, 0},
        {"two pads", kFirstPad, kSecondPad, 2},
        {"a pad and the arrows", kSecondPad, kRightHalf, 2},
    };
    for (const DevicePair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        PlugPads(pair.pads - static_cast<int32_t>(m_pads.size()));
        CGuiVersus* match = StartMatch(pair.first, pair.second);
        ASSERT_NE(match, nullptr);
        EXPECT_TRUE(match->IsTwoPlayers());
        EXPECT_EQ(CGfxOGL::Get().GetPictureWidth(), kWidePictureWidth);
        StepLayers(150 * 2);   // the round's start
        const CVersusMatch& versus = match->Match();
        ASSERT_EQ(versus.Phase(), EVersusPhase::Playing);
        // The first player turns; only the first launcher moves.
        const float before[2] = {versus.Field(0).LauncherRotation(), versus.Field(1).LauncherRotation()};
        TurnRight(pair.first, true);
        StepLayers(45);
        TurnRight(pair.first, false);
        StepLayers();
        EXPECT_NEAR(versus.Field(0).LauncherRotation() - before[0], 15.0f, 1.0f);
        EXPECT_FLOAT_EQ(versus.Field(1).LauncherRotation(), before[1]);
        // Each fires once: one shot on each side, each its own.
        Fire(pair.first);
        StepLayers(150);
        EXPECT_EQ(versus.Field(0).Progress().shotsFired, 1);
        EXPECT_EQ(versus.Field(1).Progress().shotsFired, 0);
        Fire(pair.second);
        StepLayers(150);
        EXPECT_EQ(versus.Field(1).Progress().shotsFired, 1);
        CStateManager::Lower().SetState(kStateNone, true);
        CGfxOGL::Get().SetPictureSize(kScreenWidth, kScreenHeight);
    }
}

TEST_F(TwoPlayerTest, TheMouseAimsItsOwnSideWhereverTheSideLies) {
    // The pointer rests beside the set-up's items: a click there takes a side.
    PointAt(600, 300);
    CGuiTwoPlayers& setUp = OpenSetUp();
    Fire(kLeftHalf);
    Fire(kMouse);
    ASSERT_EQ(setUp.SideHolder(1).kind, EDeviceKind::Mouse);
    Fire(kLeftHalf);
    Fire(kMouse);
    auto* match = dynamic_cast<CGuiVersus*>(CStateManager::Lower().GetState(0));
    ASSERT_NE(match, nullptr);
    StepLayers(150 * 2);
    const float first = match->Match().Field(0).LauncherRotation();
    // Up and to the left of the second launcher, in the picture's own pixels (and so right
    // of where that launcher stands in a 640x480 game).
    const float launcherX = kWideSideLeft[1] + (match->Match().Field(1).LauncherPosition().x - kFieldLeftInScene);
    PointAt(static_cast<int32_t>(launcherX) - 150, 250);
    StepLayers(10);
    EXPECT_LT(match->Match().Field(1).LauncherRotation(), -20.0f);
    EXPECT_FLOAT_EQ(match->Match().Field(0).LauncherRotation(), first) << "the pointer aims only the mouse's side";
    Fire(kMouse);
    StepLayers(150);
    EXPECT_EQ(match->Match().Field(1).Progress().shotsFired, 1);
    EXPECT_EQ(match->Match().Field(0).Progress().shotsFired, 0);
}

TEST_F(TwoPlayerTest, AMatchPlaysToItsWinnerByNameAndGoesBackToTheVersusMenu) {
    CGuiVersus* match = StartMatch(kLeftHalf, kRightHalf);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->Match().Rules().roundsToWin, 2);
    for (int32_t round = 0; round < 2; ++round) {
        StepLayers(150);
        match->Match().Field(1).LoseLife();
        StepLayers(150);
        ASSERT_TRUE(match->IsPanelShown());
        StepLayers(150);
        if (round == 0) {
            EXPECT_EQ(match->PanelTitle(), "Ann WINS THE ROUND");
            Fire(kRightHalf);   // either player's fire goes on
        }
    }
    EXPECT_EQ(match->Match().Phase(), EVersusPhase::MatchOver);
    EXPECT_EQ(match->PanelTitle(), "Ann WINS THE MATCH");
    Fire(kLeftHalf);
    EXPECT_EQ(CStateManager::Upper().GetState(0) != nullptr ? CStateManager::Upper().GetState(0)->GetName()
                                                            : std::string(),
              std::string("CGuiMenu"));
    EXPECT_EQ(CGfxOGL::Get().GetPictureWidth(), kScreenWidth) << "the menus are drawn at 640x480 again";

}

TEST_F(TwoPlayerTest, AKeptMatchIsWatchedAsItWasPlayedOnTheWidePicture) {
    // One round of a minute: the time decides it, with a few shots of both players.
    g_twoPlayerRoundsToWin = 1;
    g_twoPlayerRoundSeconds = 60;
    CGuiVersus* match = StartMatch(kLeftHalf, kRightHalf);
    ASSERT_NE(match, nullptr);
    for (int32_t second = 0; second < 70 && match->Match().Phase() == EVersusPhase::Playing; ++second) {
        Fire(second % 2 == 0 ? kLeftHalf : kRightHalf);
        StepLayers(148);
    }
    ASSERT_EQ(match->Match().Phase(), EVersusPhase::MatchOver);
    const std::string result = match->PanelTitle();
    StepLayers(150);
    Fire(kLeftHalf);

    // Kept with both players' names.
    CReplayLibrary library;
    library.Load();
    ASSERT_FALSE(library.Entries().empty());
    const LibraryEntry& kept = library.Entries().back();
    EXPECT_EQ(kept.mode, EMatchMode::TwoPlayers);
    EXPECT_EQ(kept.names[0], "Ann");
    EXPECT_EQ(kept.names[1], "Bea");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadReplayFile(kept.file, bytes));
    MatchRecord record;
    std::string why;
    ASSERT_TRUE(DecodeMatchRecord(bytes, record, why)) << why;
    // Watched: both fields full size on the wide picture, to the same result.
    CStateManager::Upper().SetState(kStateNone, true);
    ASSERT_TRUE(CStateManager::Lower().SetBuiltState(kStateVersusGame, std::make_unique<CGuiVersus>(record), true));
    auto* watched = static_cast<CGuiVersus*>(CStateManager::Lower().GetState(0));
    EXPECT_TRUE(watched->IsTwoPlayers());
    EXPECT_EQ(CGfxOGL::Get().GetPictureWidth(), kWidePictureWidth);
    for (int32_t step = 0; step < 150 * 80 && !watched->IsWatchEnded(); ++step) {
        StepLayers();
    }
    ASSERT_TRUE(watched->IsWatchEnded());
    EXPECT_EQ(watched->Match().Phase(), EVersusPhase::MatchOver);
    EXPECT_EQ(watched->PanelTitle(), result);
    EXPECT_TRUE(KeepPicture(DrawScreen(EDrawnLayers::Both, false), "two-players-watched.tga"));
}

TEST_F(TwoPlayerTest, TheSetUpsRulesAreTheMatchsRules) {
    CGuiTwoPlayers& setUp = OpenSetUp();
    Tap(kLeftHalf, SDL_SCANCODE_R, SDL_CONTROLLER_BUTTON_Y);   // 2 -> 3
    Tap(kLeftHalf, SDL_SCANCODE_R, SDL_CONTROLLER_BUTTON_Y);   // 3 -> 1
    Tap(kLeftHalf, SDL_SCANCODE_L, SDL_CONTROLLER_BUTTON_Y);   // 300 s -> 60 s
    EXPECT_EQ(g_twoPlayerRoundsToWin, 1);
    EXPECT_EQ(g_twoPlayerRoundSeconds, 60);
    (void)setUp;
    CGuiVersus* match = StartMatch(kLeftHalf, kRightHalf);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->Match().Rules().roundsToWin, 1);
    EXPECT_EQ(match->Match().Rules().maxRounds, 3);
    EXPECT_FLOAT_EQ(match->Match().Rules().roundSeconds, 60.0f);
}

TEST_F(TwoPlayerTest, APulledPadStopsTheMatchUntilAnotherDeviceTakesItsSide) {
    PlugPads(2);
    CGuiVersus* match = StartMatch(kFirstPad, kSecondPad);
    ASSERT_NE(match, nullptr);
    StepLayers(150 * 2);
    Unplug(m_pads[1]);
    StepLayers(2);
    EXPECT_EQ(match->SideToTake(), 1);
    const int32_t steps = match->Match().SideSteps(0);
    StepLayers(150);
    EXPECT_EQ(match->Match().SideSteps(0), steps) << "both sides stand still";
    // The first player's pad cannot take the other side too; the arrows can.
    Fire(kFirstPad);
    EXPECT_EQ(match->SideToTake(), 1);
    Fire(kRightHalf);
    EXPECT_EQ(match->SideToTake(), -1);
    EXPECT_EQ(match->SideDeviceOf(1).kind, EDeviceKind::RightKeys);
    EXPECT_TRUE(match->IsPaused()) << "the players go on when both are ready";
    PushKey(SDL_SCANCODE_P, true);
    StepLayers();
    PushKey(SDL_SCANCODE_P, false);
    StepLayers();
    EXPECT_FALSE(match->IsPaused());
    const float before = match->Match().Field(1).LauncherRotation();
    TurnRight(kRightHalf, true);
    StepLayers(45);
    TurnRight(kRightHalf, false);
    StepLayers();
    EXPECT_GT(match->Match().Field(1).LauncherRotation(), before + 10.0f) << "the arrows play the side now";
}

TEST_F(TwoPlayerTest, EscapeAsksBeforeItEndsTheMatch) {
    CGuiVersus* match = StartMatch(kLeftHalf, kRightHalf);
    ASSERT_NE(match, nullptr);
    StepLayers(150);
    EXPECT_TRUE(CStateManager::Lower().OnEscape());
    EXPECT_TRUE(match->IsAskingToLeave());
    const int32_t steps = match->Match().SideSteps(0);
    StepLayers(150);
    EXPECT_EQ(match->Match().SideSteps(0), steps) << "the question stops the match";
    Tap(kLeftHalf, SDL_SCANCODE_RETURN, SDL_CONTROLLER_BUTTON_A);
    EXPECT_FALSE(match->IsAskingToLeave());
    StepLayers(10);
    EXPECT_GT(match->Match().SideSteps(0), steps);
    EXPECT_TRUE(CStateManager::Lower().OnEscape());
    EXPECT_TRUE(CStateManager::Lower().OnEscape());
    StepLayers();
    ASSERT_NE(CStateManager::Upper().GetState(0), nullptr);
    EXPECT_STREQ(CStateManager::Upper().GetState(0)->GetName(), "CGuiMenu");
}

TEST_F(TwoPlayerTest, BothFieldsAreDrawnFullSizeInTheWidePictureInBothLanguages) {
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        const std::string suffix = language == kLanguageSwedish ? "-sv" : "-en";
        CGuiTwoPlayers& setUp = OpenSetUp();
        Fire(kLeftHalf);
        Fire(kRightHalf);
        (void)setUp;
        EXPECT_TRUE(KeepPicture(DrawScreen(EDrawnLayers::Both, false), "two-players-setup" + suffix + ".tga"));
        Fire(kLeftHalf);
        Fire(kRightHalf);
        auto* match = dynamic_cast<CGuiVersus*>(CStateManager::Lower().GetState(0));
        ASSERT_NE(match, nullptr);
        StepLayers(150 * 2);
        CBoard& second = match->Match().Field(1).Board();
        second.ClearGrids();
        const Bytes empty = DrawScreen(EDrawnLayers::Both, false);
        ASSERT_EQ(PictureWidthOf(empty), static_cast<size_t>(kWidePictureWidth));
        second.SetCell(2, 0, 0, 0);
        const Bytes one = DrawScreen(EDrawnLayers::Both, false);
        // The ball is 32 pixels wide, in the second field at the picture's right edge.
        const Vec3 corner = second.CellTopLeft(0, 0);
        const int left = static_cast<int>(corner.x - kFieldLeftInScene + kWideSideLeft[1]);
        const int top = static_cast<int>(corner.y);
        EXPECT_GT(DifferingPixels(empty, one, left, top, left + 32, top + 32), 600);
        EXPECT_EQ(DifferingPixels(empty, one, 0, 0, left, 480), 0) << "nothing else changed";
        StepLayers(150 * 3);
        EXPECT_TRUE(KeepPicture(DrawScreen(EDrawnLayers::Both, false), "two-players-match" + suffix + ".tga"));
        CStateManager::Lower().OnEscape();
        StepLayers();
        EXPECT_TRUE(KeepPicture(DrawScreen(EDrawnLayers::Both, false), "two-players-leave" + suffix + ".tga"));
        CStateManager::Lower().SetState(kStateNone, true);
        CGfxOGL::Get().SetPictureSize(kScreenWidth, kScreenHeight);
    }
}
}  // namespace
