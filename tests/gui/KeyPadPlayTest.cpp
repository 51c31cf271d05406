// Playing without a mouse, through the real input path: SDL key events and a virtual game
// controller go through the program's event pump (CWindow on SDL's dummy video driver) into
// CInput, and a game in the lower layer is stepped at 1/150 s on a level of the test's own.
#include "GuiFixtures.h"

#include "engine/StateManager.h"
#include "gui/Game.h"
#include "gui/LauncherSteering.h"
#include "gui/ScreenFlow.h"
#include "platform/Window.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"
#include "tests/support/TestFiles.h"
#include "tests/support/VirtualDevices.h"

#include <SDL.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// Takes what the pump reports besides input: Escape and the other window events.
class CEventSink final : public IWindowEvents {
public:
    void OnFocusGained() override {}
    void OnFocusLost() override {}
    void OnCloseRequested() override {}
    void OnEscapeReleased() override { ++escapes; }
    void OnScreenshotKey() override {}
    void OnCharacter(uint8_t) override {}
    void OnClientResize(int, int) override {}
    int escapes = 0;
};

class KeyPadPlayTest : public CGuiTest {
protected:
    void SetUp() override {
        CGuiTest::SetUp();
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(CWindow::Get().InitVideo());
        ASSERT_FALSE(m_folder.Path().empty());
        ASSERT_EQ(mkdir((m_folder / "levels").c_str(), 0700), 0);
        ASSERT_TRUE(WriteFileBytes(m_folder / "levels/1.lvl", TopRowLevel()));
        CFileManager& files = CFileManager::Get();
        files.UnmountAll();
        files.MountFileSystem(m_folder.Path());
        files.MountFileSystem(m_folder / "levels");
        files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        ClearPlayers();
        ASSERT_NE(CreatePlayer("Ann"), nullptr);
        SelectDifficulty(3);
        g_editorTestPlay = false;
        SetStateFactory(&CreateGameOnly);
    }
    void TearDown() override {
        CStateManager::Lower().SetState(kStateNone, true);
        CStateManager::Lower().RequestState(kStateNone);
        CStateManager::Upper().RequestState(kStateNone);
        SetStateFactory(nullptr);
        ClearPlayers();
        Pump();
        CWindow::Get().ShutdownVideo();
        CGuiTest::TearDown();
    }

    CGame& StartGame() {
        g_levelNumber = 1;
        g_firstLevel = 1;
        g_lastLevel = kNoLastLevel;
        g_continueSavedGame = false;
        PointAt(320, 100);
        EXPECT_TRUE(CStateManager::Lower().SetState(kStateGame, true));
        CGame& game = *static_cast<CGame*>(CStateManager::Lower().GetState(0));
        EXPECT_TRUE(StepUntil([&] { return !game.MainPanel().IsShown(); }, 500));
        EXPECT_EQ(game.Playfield().Phase(), EPlayPhase::Aiming);
        return game;
    }
    // Hands every waiting SDL event to the program's pump.
    void Pump() {
        while (CWindow::Get().PollEvent(m_sink)) {
        }
    }
    void StepGame() {
        Pump();
        Step([] { CStateManager::Lower().Update(kStep); });
    }
    template <typename Done>
    bool StepUntil(Done&& done, int32_t maxSteps) {
        for (int32_t i = 0; i < maxSteps; ++i) {
            if (done()) {
                return true;
            }
            StepGame();
        }
        return done();
    }
    static void PushKey(SDL_Scancode scancode, bool down) { ASSERT_TRUE(PushKeyEvent(scancode, down)) << SDL_GetError(); }
    void TapKey(SDL_Scancode scancode) {
        PushKey(scancode, true);
        StepGame();
        PushKey(scancode, false);
        StepGame();
    }

    // A virtual game controller, plugged in and opened by the program's pump.
    SDL_Joystick* PlugPad() {
        SDL_Joystick* const joystick = AttachVirtualPad();
        EXPECT_NE(joystick, nullptr);
        const int32_t before = CInput::Get().PadCount();
        StepUntil([&] { return CInput::Get().PadCount() > before; }, 10);
        EXPECT_EQ(CInput::Get().PadCount(), before + 1);
        return joystick;
    }
    void UnplugPad(SDL_Joystick* joystick) { ASSERT_TRUE(DetachVirtualPad(joystick)) << SDL_GetError(); }
    // Sets a button and lets the pump see it in the next step.
    void PadButton(SDL_Joystick* joystick, SDL_GameControllerButton button, bool down) {
        ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0), 0) << SDL_GetError();
        SDL_JoystickUpdate();
    }
    void PadAxis(SDL_Joystick* joystick, SDL_GameControllerAxis axis, float value) {
        const auto raw = static_cast<Sint16>(std::lround(value * 32767.0f));
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, axis, raw), 0) << SDL_GetError();
        SDL_JoystickUpdate();
    }
    void TapPad(SDL_Joystick* joystick, SDL_GameControllerButton button) {
        PadButton(joystick, button, true);
        StepGame();
        PadButton(joystick, button, false);
        StepGame();
    }

    CTempFolder m_folder;
    CEventSink m_sink;
};

// The launcher's turn in degrees by keys held for a time, from where the mouse left it.
struct KeyTurnCase {
    const char* name;
    std::vector<SDL_Scancode> keys;
    int32_t steps;          // 150 a second
    int32_t startX;         // the mouse's aim before the keys
    float expectedTurn;
};

TEST_F(KeyPadPlayTest, HeldKeysTurnTheLauncherAtTheDocumentedSpeeds) {
    // 50 degrees a second for the first 0.3 s, rising evenly to 150 at 1 s held; with Shift
    // 12 a second; never past 80 either side.
    const KeyTurnCase cases[] = {
        {"right 0.3 s", {SDL_SCANCODE_RIGHT}, 45, 320, 15.0f},
        {"left 0.2 s", {SDL_SCANCODE_LEFT}, 30, 320, -10.0f},
        {"right 0.66 s speeds up", {SDL_SCANCODE_RIGHT}, 99, 320, 15.0f + 18.0f + 9.257f},
        {"right 1.2 s at full speed", {SDL_SCANCODE_RIGHT}, 180, 48, 15.0f + 70.0f + 30.0f},
        {"shift slows it", {SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RIGHT}, 150, 320, 12.0f},
        {"both arrows cancel", {SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT}, 60, 320, 0.0f},
        {"stops at the limit", {SDL_SCANCODE_LEFT}, 450, 320, -kAimLimit},
    };
    for (const KeyTurnCase& c : cases) {
        SCOPED_TRACE(c.name);
        CGame& game = StartGame();
        // The mouse aims first: straight up, or 80 degrees to the left at the field's foot.
        PointAt(c.startX, c.startX == 320 ? 100 : 370);
        StepGame();
        const float start = game.Playfield().LauncherRotation();
        for (SDL_Scancode key : c.keys) {
            PushKey(key, true);
        }
        for (int32_t i = 0; i < c.steps; ++i) {
            StepGame();
        }
        for (SDL_Scancode key : c.keys) {
            PushKey(key, false);
        }
        StepGame();
        const float turned = game.Playfield().LauncherRotation() - (c.expectedTurn == -kAimLimit ? 0.0f : start);
        EXPECT_NEAR(turned, c.expectedTurn, 0.5f) << "from " << start;
        EXPECT_EQ(CInput::Get().LastDevice(), EInputDevice::Keyboard);
    }
}

TEST_F(KeyPadPlayTest, UpAndSpaceFireWhereTheKeysAimedAndDownSwaps) {
    const SDL_Scancode fireKeys[] = {SDL_SCANCODE_UP, SDL_SCANCODE_SPACE};
    for (SDL_Scancode fire : fireKeys) {
        SCOPED_TRACE(SDL_GetScancodeName(fire));
        CGame& game = StartGame();
        CPlayfield& field = game.Playfield();
        field.SetBalls(BallCell{5, 0}, BallCell{6, 0});
        TapKey(SDL_SCANCODE_DOWN);
        EXPECT_EQ(field.CurrentBall().colour, 6) << "Down swaps";
        EXPECT_EQ(field.NextBallCell().colour, 5);
        PushKey(SDL_SCANCODE_RIGHT, true);
        for (int32_t i = 0; i < 45; ++i) {
            StepGame();
        }
        PushKey(SDL_SCANCODE_RIGHT, false);
        StepGame();
        const float angle = field.LauncherRotation();
        ASSERT_NEAR(angle, 15.0f, 0.3f);
        ASSERT_FALSE(field.IsFlying());
        TapKey(fire);
        ASSERT_TRUE(field.IsFlying());
        // The ball leaves along the launcher, not towards the mouse straight above it.
        const Vec3 velocity = field.Shot().velocity;
        const float flightAngle = std::atan2(velocity.x, -velocity.y) * 57.29578f;
        EXPECT_NEAR(flightAngle, angle, 0.2f);
    }
}

TEST_F(KeyPadPlayTest, TheMouseAimsAgainOnceItMoves) {
    CGame& game = StartGame();
    CPlayfield& field = game.Playfield();
    PushKey(SDL_SCANCODE_LEFT, true);
    for (int32_t i = 0; i < 45; ++i) {
        StepGame();
    }
    PushKey(SDL_SCANCODE_LEFT, false);
    StepGame();
    EXPECT_NEAR(field.LauncherRotation(), -15.0f, 0.3f);
    // The mouse moves: the launcher follows it at once, and the keys go on from there.
    PointAt(520, 218);
    StepGame();
    EXPECT_EQ(CInput::Get().LastDevice(), EInputDevice::Mouse);
    EXPECT_NEAR(field.LauncherRotation(), 45.0f, 0.3f);
    PushKey(SDL_SCANCODE_RIGHT, true);
    for (int32_t i = 0; i < 30; ++i) {
        StepGame();
    }
    PushKey(SDL_SCANCODE_RIGHT, false);
    StepGame();
    EXPECT_NEAR(field.LauncherRotation(), 55.0f, 0.3f);
}

// The stick turns the launcher in proportion to its deflection past the dead zone (a
// quarter of its way); a shoulder button held slows it to the slow keys' speed.
struct StickTurnCase {
    const char* name;
    float deflection;
    bool shoulder;
    int32_t steps;
    float expectedTurn;
};

TEST_F(KeyPadPlayTest, TheStickTurnsTheLauncherInProportionToItsDeflection) {
    const StickTurnCase cases[] = {
        {"full right 0.5 s", 1.0f, false, 75, 75.0f},
        {"half way past the dead zone 0.4 s", -0.625f, false, 60, -30.0f},
        {"inside the dead zone", 0.2f, false, 150, 0.0f},
        {"full left with a shoulder 1 s", -1.0f, true, 150, -12.0f},
    };
    SDL_Joystick* const pad = PlugPad();
    ASSERT_NE(pad, nullptr);
    for (const StickTurnCase& c : cases) {
        SCOPED_TRACE(c.name);
        CGame& game = StartGame();
        const float start = game.Playfield().LauncherRotation();
        ASSERT_NEAR(start, 0.0f, 0.01f);
        if (c.shoulder) {
            PadButton(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
        }
        PadAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, c.deflection);
        for (int32_t i = 0; i < c.steps; ++i) {
            StepGame();
        }
        PadAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0.0f);
        PadButton(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
        StepGame();
        EXPECT_NEAR(game.Playfield().LauncherRotation() - start, c.expectedTurn, 0.5f);
    }
    UnplugPad(pad);
}

TEST_F(KeyPadPlayTest, PadAFiresXSwapsAndTheDpadTurns) {
    SDL_Joystick* const pad = PlugPad();
    ASSERT_NE(pad, nullptr);
    CGame& game = StartGame();
    CPlayfield& field = game.Playfield();
    field.SetBalls(BallCell{5, 0}, BallCell{6, 0});
    TapPad(pad, SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(field.CurrentBall().colour, 6);
    EXPECT_EQ(CInput::Get().LastDevice(), EInputDevice::Pad);
    PadButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    for (int32_t i = 0; i < 30; ++i) {
        StepGame();
    }
    PadButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    StepGame();
    EXPECT_NEAR(field.LauncherRotation(), -10.0f, 0.3f);
    TapPad(pad, SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(field.IsFlying());
    UnplugPad(pad);
}

TEST_F(KeyPadPlayTest, APadPulledOutInFlightPausesTheGameAndLeavesNothingHeld) {
    SDL_Joystick* const pad = PlugPad();
    ASSERT_NE(pad, nullptr);
    CGame& game = StartGame();
    CPlayfield& field = game.Playfield();
    // The stick held right and A down when the cable goes.
    PadAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 1.0f);
    PadButton(pad, SDL_CONTROLLER_BUTTON_A, true);
    StepGame();
    ASSERT_TRUE(field.IsFlying());
    UnplugPad(pad);
    ASSERT_TRUE(StepUntil([&] { return game.IsPaused(); }, 5));
    EXPECT_EQ(CInput::Get().PadCount(), 0);
    EXPECT_FALSE(CInput::Get().PadDown(EPadButton::A));
    EXPECT_EQ(CInput::Get().StickX(), 0.0f);
    // Paused, the ball stays where it is and the launcher does not turn on its own.
    const Vec3 position = field.Shot().position;
    const float angle = field.LauncherRotation();
    for (int32_t i = 0; i < 30; ++i) {
        StepGame();
    }
    EXPECT_TRUE(game.IsPaused());
    EXPECT_EQ(field.Shot().position.y, position.y);
    EXPECT_EQ(field.LauncherRotation(), angle);
    // The arrows move the HUD's focus while paused, not the launcher.
    TapKey(SDL_SCANCODE_RIGHT);
    PushKey(SDL_SCANCODE_RIGHT, true);
    for (int32_t i = 0; i < 30; ++i) {
        StepGame();
    }
    PushKey(SDL_SCANCODE_RIGHT, false);
    StepGame();
    EXPECT_EQ(field.LauncherRotation(), angle);
    EXPECT_NE(game.Hud().HoveredWidget(), nullptr);
    // P resumes, and the stick pulled out with the pad turns nothing.
    TapKey(SDL_SCANCODE_P);
    EXPECT_FALSE(game.IsPaused());
    for (int32_t i = 0; i < 30; ++i) {
        StepGame();
    }
    EXPECT_EQ(field.LauncherRotation(), angle);
}

// Paused by keys, the focus starts on the HUD's pause button: Space on it resumes the game
// and fires nothing; the next Space fires.
TEST_F(KeyPadPlayTest, SpaceOnThePauseButtonResumesWithoutFiring) {
    CGame& game = StartGame();
    TapKey(SDL_SCANCODE_LSHIFT);
    TapKey(SDL_SCANCODE_P);
    ASSERT_TRUE(game.IsPaused());
    StepGame();
    ASSERT_NE(game.Hud().HoveredWidget(), nullptr);
    TapKey(SDL_SCANCODE_SPACE);
    EXPECT_FALSE(game.IsPaused());
    EXPECT_FALSE(game.Playfield().IsFlying());
    TapKey(SDL_SCANCODE_SPACE);
    EXPECT_TRUE(game.Playfield().IsFlying());
}

TEST_F(KeyPadPlayTest, PadBackIsEscapeAndAPadPluggedInAgainWorks) {
    SDL_Joystick* pad = PlugPad();
    ASSERT_NE(pad, nullptr);
    TapPad(pad, SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(m_sink.escapes, 1) << "on its release, as Escape";
    UnplugPad(pad);
    StepGame();
    pad = PlugPad();
    ASSERT_NE(pad, nullptr);
    CGame& game = StartGame();
    TapPad(pad, SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(game.IsPaused());
    UnplugPad(pad);
}

// A pad SDL has no mapping for becomes a controller through SDL_GAMECONTROLLERCONFIG: its
// third button is named "a" there, and pressing it fires.
TEST_F(KeyPadPlayTest, AnUnknownPadIsMappedThroughTheEnvironment) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = 2;
    desc.nbuttons = 4;
    desc.vendor_id = 0x1234;
    desc.product_id = 0x5678;
    desc.name = "Pellora odd pad";
    // Its GUID, as SDL names it.
    int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    char guid[64] = {};
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof(guid));
    EXPECT_FALSE(SDL_IsGameController(index)) << "SDL knows no mapping of its own";
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    StepGame();
    CWindow::Get().ShutdownVideo();

    const std::string mapping = std::string(guid) + ",Pellora odd pad,a:b2,b:b3,x:b0,y:b1,leftx:a0,lefty:a1,";
    SDL_setenv("SDL_GAMECONTROLLERCONFIG", mapping.c_str(), 1);
    ASSERT_TRUE(CWindow::Get().InitVideo());
    unsetenv("SDL_GAMECONTROLLERCONFIG");
    index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    EXPECT_TRUE(SDL_IsGameController(index));
    SDL_Joystick* const pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    ASSERT_TRUE(StepUntil([] { return CInput::Get().PadCount() == 1; }, 10));
    CGame& game = StartGame();
    PadButton(pad, static_cast<SDL_GameControllerButton>(2), true);
    StepGame();
    EXPECT_TRUE(game.Playfield().IsFlying());
    EXPECT_TRUE(CInput::Get().PadDown(EPadButton::A));
    PadButton(pad, static_cast<SDL_GameControllerButton>(2), false);
    UnplugPad(pad);
}

}  // namespace
