// Keyboard and mouse snapshots per step, the consumed click, and the mouse cursor's
// confinement with injected system-pointer functions.
#include "core/Log.h"
#include "platform/Input.h"

#include <gtest/gtest.h>

#include <cmath>

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
