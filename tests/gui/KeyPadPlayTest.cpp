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

#include <SDL.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

namespace {
CEngineState* CreateGameOnly(int32_t stateId) {
    return stateId == kStateGame ? new CGame() : nullptr;
}

// A level whose top row holds ten balls of colour 0.
Bytes TopRowLevel() {
    Bytes bytes(1040, 0xFF);
    for (int32_t column = 0; column < kBoardColumns; ++column) {
        WriteLe32(&bytes[static_cast<size_t>(column) * 8], 0);
        WriteLe32(&bytes[static_cast<size_t>(column) * 8 + 4], 0);
    }
    return bytes;
}

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
    static void PushKey(SDL_Scancode scancode, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }
    void TapKey(SDL_Scancode scancode) {
        PushKey(scancode, true);
        StepGame();
        PushKey(scancode, false);
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

}  // namespace
