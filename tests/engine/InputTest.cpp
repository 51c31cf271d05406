// Keyboard and mouse snapshots per step, the consumed click, and the mouse cursor's
// confinement with injected system-pointer functions.
#include "core/Log.h"
#include "platform/Input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
class InputTest : public testing::Test {
protected:
    void SetUp() override { CInput::Get().Create(); }
    void TearDown() override { CInput::Get().Destroy(); }
};

TEST_F(InputTest, KeyAndButtonHitsOnlyInTheFirstStepOfAHold) {
    // Held state per step, and whether that step reports a hit.
    const bool held[] = {true, true, true, false, false, true, false, true};
    const bool hit[] = {true, false, false, false, false, true, false, true};
    CInput& input = CInput::Get();
    for (size_t step = 0; step < sizeof(held); ++step) {
        input.SetKeyHeld(DIK_SPACE, held[step]);
        input.SetButtonHeld(kMouseLeft, held[step]);
        input.Update();
        EXPECT_EQ(input.KeyDown(DIK_SPACE), held[step]) << "step " << step;
        EXPECT_EQ(input.KeyHit(DIK_SPACE), hit[step]) << "step " << step;
        EXPECT_EQ(input.MouseButtonDown(kMouseLeft), held[step]) << "step " << step;
        EXPECT_EQ(input.MouseButtonHit(kMouseLeft), hit[step]) << "step " << step;
        // Other keys and buttons are untouched.
        EXPECT_FALSE(input.KeyDown(DIK_RETURN));
        EXPECT_FALSE(input.MouseButtonDown(kMouseRight));
    }
}

TEST_F(InputTest, StateChangesBetweenStepsAreSeenOnlyAtTheNextSnapshot) {
    CInput& input = CInput::Get();
    input.SetKeyHeld(DIK_P, true);
    EXPECT_FALSE(input.KeyDown(DIK_P));
    input.Update();
    EXPECT_TRUE(input.KeyHit(DIK_P));
    EXPECT_EQ(input.Keyboard().current[DIK_P], 0x80);
    EXPECT_EQ(input.Keyboard().previous[DIK_P], 0x00);
    // Losing the focus drops every held key: no key stays stuck down.
    input.Deactivate();
    input.Update();
    EXPECT_FALSE(input.KeyDown(DIK_P));
}

TEST_F(InputTest, AQuickTapBetweenTwoStepsStillGivesOneHit) {
    // Press and release both arrive before the next snapshot (a touchpad tap, a quick key).
    CInput& input = CInput::Get();
    input.SetButtonHeld(kMouseLeft, true);
    input.SetButtonHeld(kMouseLeft, false);
    input.SetKeyHeld(DIK_SPACE, true);
    input.SetKeyHeld(DIK_SPACE, false);
    input.Update();
    EXPECT_TRUE(input.MouseButtonHit(kMouseLeft));
    EXPECT_TRUE(input.KeyHit(DIK_SPACE));
    // The tap is over in the step after: no second hit, nothing held.
    input.Update();
    EXPECT_FALSE(input.MouseButtonDown(kMouseLeft));
    EXPECT_FALSE(input.KeyDown(DIK_SPACE));
    input.Update();
    EXPECT_FALSE(input.MouseButtonHit(kMouseLeft));
    // A tap while the program is leaving the focus is dropped with everything else.
    input.SetButtonHeld(kMouseLeft, true);
    input.SetButtonHeld(kMouseLeft, false);
    input.SetKeyHeld(DIK_SPACE, true);
    input.SetKeyHeld(DIK_SPACE, false);
    input.Deactivate();
    input.Update();
    EXPECT_FALSE(input.MouseButtonHit(kMouseLeft));
    EXPECT_FALSE(input.KeyHit(DIK_SPACE));
    EXPECT_FALSE(input.KeyDown(DIK_SPACE));
}

TEST_F(InputTest, ConsumedClickHidesTheHitFromMouseButtonHitForOneStep) {
    CInput& input = CInput::Get();
    input.SetButtonHeld(kMouseRight, true);
    input.Update();
    EXPECT_TRUE(input.MouseButtonHit(kMouseRight));
    input.SetConsumed();
    EXPECT_FALSE(input.MouseButtonHit(kMouseRight));
    EXPECT_TRUE(input.Mouse().ButtonHit(kMouseRight));
    EXPECT_TRUE(input.IsConsumed());
    // The next step starts unconsumed (the button is held, so no new hit either).
    input.SetButtonHeld(kMouseRight, false);
    input.Update();
    input.SetButtonHeld(kMouseRight, true);
    input.Update();
    EXPECT_FALSE(input.IsConsumed());
    EXPECT_TRUE(input.MouseButtonHit(kMouseRight));
}

TEST_F(InputTest, UpdateWithoutCreateClearsTheSnapshotAndLogs) {
    CInput& input = CInput::Get();
    input.SetKeyHeld(DIK_A, true);
    input.Update();
    ASSERT_TRUE(input.KeyDown(DIK_A));
    input.Destroy();
    std::vector<std::string> log;
    CLog::Get().SetEnabled(true);
    CLog::Get().SetCapture(&log);
    input.Update();
    CLog::Get().SetCapture(nullptr);
    EXPECT_FALSE(input.KeyDown(DIK_A));
    EXPECT_EQ(log, (std::vector<std::string>{"CInputKeyboard::Update FAILED", "CInputMouse::Update FAILED"}));
}

// The system pointer as the tests move it, and where the cursor warped it to.
int32_t g_pointerX = 0, g_pointerY = 0;
std::vector<std::pair<float, float>> g_warps;
std::vector<std::vector<float>> g_confinements;

void ReadTestPointer(int32_t& x, int32_t& y) {
    x = g_pointerX;
    y = g_pointerY;
}

void MoveTestPointer(float x, float y) {
    g_warps.emplace_back(x, y);
    g_pointerX = static_cast<int32_t>(x);
    g_pointerY = static_cast<int32_t>(y);
}

void ConfineTestPointer(float minX, float minY, float maxX, float maxY) {
    g_confinements.push_back({minX, minY, maxX, maxY});
}

class CursorTest : public testing::Test {
protected:
    void SetUp() override {
        g_pointerX = 400;
        g_pointerY = 300;
        g_warps.clear();
        g_confinements.clear();
        CMouseCursor& cursor = CMouseCursor::Get();
        cursor.SetPointerFunctions(&ReadTestPointer, &MoveTestPointer);
        cursor.SetConfineFunction(&ConfineTestPointer);
        cursor.Init();
        cursor.Update(1.0f / 150.0f);
        g_warps.clear();
    }
    void TearDown() override {
        CMouseCursor::Get().SetPointerFunctions(nullptr, nullptr);
        CMouseCursor::Get().SetConfineFunction(nullptr);
    }
};

TEST_F(CursorTest, InitStartsAtFourHundredThreeHundredOverTheWholePicture) {
    CMouseCursor& cursor = CMouseCursor::Get();
    cursor.Init();
    EXPECT_EQ(cursor.GetX(), 400.0f);
    EXPECT_EQ(cursor.GetY(), 300.0f);
    EXPECT_EQ(cursor.GetMinX(), 0.0f);
    EXPECT_EQ(cursor.GetMinY(), 0.0f);
    EXPECT_EQ(cursor.GetMaxX(), 640.0f);
    EXPECT_EQ(cursor.GetMaxY(), 480.0f);
    // No picture "mousecursor" can be found here: the cursor is tracked but not drawn.
    EXPECT_FALSE(cursor.IsVisible());
}

TEST_F(CursorTest, PointerOutsideTheConfinementIsClampedAndWarpedBack) {
    struct Case {
        int32_t pointerX, pointerY;
        float expectedX, expectedY;
        bool warped;
    };
    const Case cases[] = {
        {100, 200, 100.0f, 200.0f, false},   // inside
        {100, 400, 100.0f, 370.0f, true},    // below the game's area
        {-5, 50, 0.0f, 50.0f, true},         // left of the picture
        {700, 500, 640.0f, 370.0f, true},    // both out
        {640, 370, 640.0f, 370.0f, false},   // the edges belong to the area
    };
    CMouseCursor& cursor = CMouseCursor::Get();
    cursor.SetClip(0.0f, 0.0f, 640.0f, 370.0f);
    for (const Case& test : cases) {
        g_warps.clear();
        g_pointerX = test.pointerX;
        g_pointerY = test.pointerY;
        cursor.Update(1.0f / 150.0f);
        EXPECT_TRUE(cursor.HasMoved());
        EXPECT_EQ(cursor.GetX(), test.expectedX) << test.pointerX << "," << test.pointerY;
        EXPECT_EQ(cursor.GetY(), test.expectedY) << test.pointerX << "," << test.pointerY;
        if (test.warped) {
            ASSERT_EQ(g_warps.size(), 1u);
            EXPECT_EQ(g_warps[0], std::make_pair(test.expectedX, test.expectedY));
        } else {
            EXPECT_TRUE(g_warps.empty());
        }
        // Park the pointer inside so the next case moves it again.
        g_pointerX = 1;
        g_pointerY = 1;
        cursor.Update(1.0f / 150.0f);
    }
}

TEST_F(CursorTest, UnmovedPointerLeavesMovedFalseAndIsNotClampedAgain) {
    CMouseCursor& cursor = CMouseCursor::Get();
    g_pointerX = 200;
    g_pointerY = 450;
    cursor.Update(1.0f / 150.0f);
    ASSERT_TRUE(cursor.HasMoved());
    ASSERT_EQ(cursor.GetY(), 450.0f);
    // Only the y that changed is taken; x keeps its value when the pointer moves in y only.
    g_pointerY = 460;
    cursor.Update(1.0f / 150.0f);
    EXPECT_TRUE(cursor.HasMoved());
    EXPECT_EQ(cursor.GetX(), 200.0f);
    EXPECT_EQ(cursor.GetY(), 460.0f);
    cursor.Update(1.0f / 150.0f);
    EXPECT_FALSE(cursor.HasMoved());
    EXPECT_TRUE(g_warps.empty());
}

// A pointer put back into the confinement by the program is no move of the player's: keys
// stay in use; a move of the player's own brings the mouse back.
TEST_F(CursorTest, OnlyThePlayersOwnMovesBringTheMouseBack) {
    CInput& input = CInput::Get();
    input.Create();
    input.SetKeyHeld(DIK_RIGHT, true);
    ASSERT_EQ(input.LastDevice(), EInputDevice::Keyboard);
    CMouseCursor& cursor = CMouseCursor::Get();
    g_pointerY = 420;
    cursor.SetClip(0.0f, 0.0f, 640.0f, 480.0f);
    cursor.Update(1.0f / 150.0f);   // the player moved it to y = 420
    EXPECT_EQ(input.LastDevice(), EInputDevice::Mouse);
    input.SetKeyHeld(DIK_RIGHT, true);
    cursor.SetClip(0.0f, 0.0f, 640.0f, 370.0f);   // warped to y = 370
    cursor.Update(1.0f / 150.0f);
    EXPECT_TRUE(cursor.HasMoved());
    EXPECT_EQ(input.LastDevice(), EInputDevice::Keyboard);
    g_pointerX = 380;
    cursor.Update(1.0f / 150.0f);
    EXPECT_EQ(input.LastDevice(), EInputDevice::Mouse);
    input.Destroy();
}

TEST_F(CursorTest, SetClipClampsAtOnceRoundsTheWarpAndConfinesInWholePixels) {
    CMouseCursor& cursor = CMouseCursor::Get();
    g_pointerX = 320;
    g_pointerY = 420;
    cursor.Update(1.0f / 150.0f);
    ASSERT_EQ(cursor.GetY(), 420.0f);
    cursor.SetClip(0.7f, 0.0f, 640.9f, 370.5f);
    EXPECT_EQ(cursor.GetX(), 320.0f);
    EXPECT_EQ(cursor.GetY(), 370.5f);
    ASSERT_EQ(g_warps.size(), 1u);
    EXPECT_EQ(g_warps[0], std::make_pair(320.0f, 371.0f));   // half away from zero
    ASSERT_EQ(g_confinements.size(), 1u);
    EXPECT_EQ(g_confinements[0], (std::vector<float>{0.0f, 0.0f, 640.0f, 370.0f}));
}
}  // namespace

namespace {
// The device in use after one press, starting from the mouse: the keys that aim and move the
// screens' focus take over, the keys mouse players press too (letters, Escape, P, F8) do not.
TEST_F(InputTest, TheDeviceInUseFollowsTheKeysThatSteerAndThePad) {
    const struct {
        const char* what;
        uint8_t key;               // 0: none
        int button;                // -1: none
        EPadButton pad;            // Count: none
        float stickX;
        EInputDevice expected;
    } cases[] = {
        {"an arrow", DIK_LEFT, -1, EPadButton::Count, 0.0f, EInputDevice::Keyboard},
        {"Return", DIK_RETURN, -1, EPadButton::Count, 0.0f, EInputDevice::Keyboard},
        {"Shift", DIK_RSHIFT, -1, EPadButton::Count, 0.0f, EInputDevice::Keyboard},
        {"a letter", DIK_Q, -1, EPadButton::Count, 0.0f, EInputDevice::Mouse},
        {"Escape", DIK_ESCAPE, -1, EPadButton::Count, 0.0f, EInputDevice::Mouse},
        {"P", DIK_P, -1, EPadButton::Count, 0.0f, EInputDevice::Mouse},
        {"F8", DIK_F8, -1, EPadButton::Count, 0.0f, EInputDevice::Mouse},
        {"pad A", 0, -1, EPadButton::A, 0.0f, EInputDevice::Pad},
        {"the stick past the dead zone", 0, -1, EPadButton::Count, 0.3f, EInputDevice::Pad},
        {"the stick inside the dead zone", 0, -1, EPadButton::Count, 0.2f, EInputDevice::Mouse},
    };
    CInput& input = CInput::Get();
    for (const auto& c : cases) {
        input.Create();
        ASSERT_EQ(input.LastDevice(), EInputDevice::Mouse);
        if (c.key != 0) {
            input.SetKeyHeld(c.key, true);
        }
        if (c.pad != EPadButton::Count) {
            input.SetPadButtonHeld(c.pad, true);
        }
        input.SetPadStick(c.stickX, 0.0f);
        input.Update();
        EXPECT_EQ(input.LastDevice(), c.expected) << c.what;
        // A mouse button brings the mouse back.
        input.SetButtonHeld(kMouseLeft, true);
        EXPECT_EQ(input.LastDevice(), EInputDevice::Mouse) << c.what;
        input.ReleaseAll();
    }
}

TEST_F(InputTest, AHeldDirectionRepeatsAfterAMomentAndAChoiceNever) {
    CInput& input = CInput::Get();
    input.SetKeyHeld(DIK_DOWN, true);
    input.SetKeyHeld(DIK_RETURN, true);
    std::vector<int32_t> downHits;
    int32_t returnHits = 0;
    const int32_t steps = kNavRepeatDelaySteps + 3 * kNavRepeatSteps;
    for (int32_t step = 1; step <= steps; ++step) {
        input.Update();
        if (input.NavHit(ENavAction::Down)) {
            downHits.push_back(step);
        }
        returnHits += input.NavHit(ENavAction::Activate) ? 1 : 0;
    }
    const std::vector<int32_t> expected = {1, kNavRepeatDelaySteps + kNavRepeatSteps,
                                           kNavRepeatDelaySteps + 2 * kNavRepeatSteps,
                                           kNavRepeatDelaySteps + 3 * kNavRepeatSteps};
    EXPECT_EQ(downHits, expected);
    EXPECT_EQ(returnHits, 1);
    // Taken by one screen, the step's navigation is gone for the next.
    input.SetKeyHeld(DIK_DOWN, false);
    input.Update();
    input.SetKeyHeld(DIK_UP, true);
    input.Update();
    EXPECT_TRUE(input.NavHit(ENavAction::Up));
    input.ConsumeNav();
    EXPECT_FALSE(input.NavHit(ENavAction::Up));
}
}  // namespace
