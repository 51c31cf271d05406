// The frame loop on an injected clock: fixed steps, the 0.1 s cap, the carried remainder,
// drawing order, pacing, and state changes that land after the frame is drawn. Also the
// engine's fan-out order between the two layers.
#include "ProbeState.h"
#include "engine/Engine.h"
#include "core/Log.h"
#include "engine/StateManager.h"
#include "core/Timer.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>

namespace {
int64_t g_nowMicros = 0;
int64_t g_workMicrosPerUpdate = 0;
std::vector<int32_t> g_sleeps;

int64_t FakeTicks() {
    return g_nowMicros;
}

void RecordSleep(int32_t milliseconds) {
    g_sleeps.push_back(milliseconds);
    ProbeWorld::Get().Record("Sleep " + std::to_string(milliseconds));
}

void SpendWork(int32_t) {
    g_nowMicros += g_workMicrosPerUpdate;
}

constexpr int32_t kLowerA = 1, kLowerB = 2, kUpperA = 11, kUpperB = 12;

class EngineFrameTest : public testing::Test {
protected:
    void SetUp() override {
        g_nowMicros = 1000000;
        g_workMicrosPerUpdate = 0;
        g_sleeps.clear();
        CTimer::Get().SetTickSource(&FakeTicks, 1000000);
        CEngine& engine = CEngine::Get();
        engine.SetSleepFunction(&RecordSleep);
        engine.ResetAccumulator();
        CInput::Get().Create();
        ProbeWorld& world = ProbeWorld::Get();
        world.Reset();
        world.Add(kLowerA, "LowerA");
        world.Add(kLowerB, "LowerB");
        world.Add(kUpperA, "UpperA");
        world.Add(kUpperB, "UpperB");
        SetStateFactory(&CreateProbeState);
    }
    void TearDown() override {
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        SetStateFactory(nullptr);
        CEngine::Get().SetSleepFunction(nullptr);
        CInput::Get().Destroy();
    }
    static int32_t RunFrame(double milliseconds) {
        g_nowMicros += static_cast<int64_t>(milliseconds * 1000.0);
        CEngine::Get().Frame();
        return CEngine::Get().GetLastStepCount();
    }
};

struct StepCase {
    const char* label;
    std::vector<double> frameMs;
    std::vector<int32_t> steps;
};

void PrintTo(const StepCase& test, std::ostream* out) {
    *out << test.label;
}

class FrameStepTest : public EngineFrameTest, public testing::WithParamInterface<StepCase> {};

TEST_P(FrameStepTest, StepsPerFrameFollowTheAccumulator) {
    ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, false));
    const StepCase& test = GetParam();
    std::vector<int32_t> steps;
    for (const double ms : test.frameMs) {
        steps.push_back(RunFrame(ms));
    }
    EXPECT_EQ(steps, test.steps);
    // Every step updated the state once; drawing happened once per frame.
    int32_t total = 0;
    for (const int32_t count : steps) {
        total += count;
    }
    EXPECT_EQ(ProbeWorld::Get().Entries("Update").size(), static_cast<size_t>(total));
    EXPECT_EQ(ProbeWorld::Get().Entries("Render").size(), test.frameMs.size());
    EXPECT_LT(CEngine::Get().GetAccumulator(), CEngine::Get().GetFixedStep());
}

// One step is 1/150 s as a float. 0.1 s as a float is a hair less than 15 float steps, so a
// stall from an empty accumulator runs 14 steps and keeps almost a whole step for the next.
INSTANTIATE_TEST_SUITE_P(
    Frames, FrameStepTest,
    testing::Values(StepCase{"ShortFramesCarryTheRemainder", {3, 3, 3, 3, 3}, {0, 0, 1, 0, 1}},
                    StepCase{"StallIsCappedAtFifteenSteps", {5, 250, 0, 2}, {0, 15, 0, 1}},
                    StepCase{"StallFromEmptyAccumulator", {250, 250, 250}, {14, 15, 15}},
                    StepCase{"SevenMillisecondFrames", {7, 7, 7}, {1, 1, 1}},
                    StepCase{"CapIsPerFrameNotPerStall", {100, 100}, {14, 15}}),
    [](const testing::TestParamInfo<StepCase>& param) { return std::string(param.param.label); });

TEST_F(EngineFrameTest, FrameUpdatesUpperThenLowerDrawsLowerThenUpperAndChangesStatesLast) {
    // During its update the upper state asks for new states in both layers.
    ProbeWorld::Get().roles[kUpperA].onUpdate = [](int32_t) {
        CEngine::Get().SetUpperState(kUpperB);
        CEngine::Get().SetLowerState(kLowerB);
    };
    ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, false));
    ASSERT_TRUE(CStateManager::Upper().SetState(kUpperA, false));
    ProbeWorld::Get().journal.clear();
    EXPECT_EQ(RunFrame(7), 1);
    EXPECT_EQ(ProbeWorld::Get().journal,
              (std::vector<std::string>{"Update UpperA", "Update LowerA", "Render LowerA", "Render UpperA",
                                        "Sleep 10", "Shutdown UpperA", "Shutdown LowerA", "Init UpperB",
                                        "Init LowerB"}));
    EXPECT_EQ(std::string(CStateManager::Upper().GetState(0)->GetName()), "UpperB");
    EXPECT_EQ(std::string(CStateManager::Lower().GetState(0)->GetName()), "LowerB");
}

TEST_F(EngineFrameTest, RequestsMadeFromInitAtTheEndOfTheFrame) {
    // An upper-layer state asking for a lower state from its Init is obeyed in the same end of
    // frame; a lower-layer state asking for its own layer from Init is not.
    ProbeWorld::Get().roles[kUpperB].onInit = [](int32_t) { CEngine::Get().SetLowerState(kLowerB); };
    ProbeWorld::Get().roles[kLowerB].onInit = [](int32_t) { CEngine::Get().SetLowerState(kLowerA); };
    ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, false));
    CEngine::Get().SetUpperState(kUpperB);
    RunFrame(0);
    EXPECT_EQ(std::string(CStateManager::Upper().GetState(0)->GetName()), "UpperB");
    EXPECT_EQ(std::string(CStateManager::Lower().GetState(0)->GetName()), "LowerB");
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateNone);
    RunFrame(0);
    EXPECT_EQ(std::string(CStateManager::Lower().GetState(0)->GetName()), "LowerB");
}

TEST_F(EngineFrameTest, PacingSleepsWhatIsLeftOfTenMilliseconds) {
    struct Case {
        int64_t workMicros;    // time the one update step takes
        std::vector<int32_t> sleeps;
    };
    const Case cases[] = {{0, {10}}, {4000, {6}}, {9999, {1}}, {10000, {0}}, {10700, {0}}, {11000, {}}};
    ProbeWorld::Get().roles[kLowerA].onUpdate = &SpendWork;
    ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, false));
    for (const Case& test : cases) {
        g_workMicrosPerUpdate = test.workMicros;
        CEngine::Get().ResetAccumulator();
        CTimer::Get().Advance();   // the last frame's work is not part of this one
        g_sleeps.clear();
        ASSERT_EQ(RunFrame(7), 1);
        EXPECT_EQ(g_sleeps, test.sleeps) << "work " << test.workMicros << " us";
    }
}

// With a real renderer (software, on SDL's dummy video): once the picture has not changed for
// kStillFrames frames the frame stops pacing (the application waits for input instead), the
// steps still take all the time that passed, and a changed picture brings the budget back.
TEST_F(EngineFrameTest, AStillPictureStopsThePacingUntilItChanges) {
    setenv("PELLORA_RENDERER", "software", 1);
    CWindow& window = CWindow::Get();
    ASSERT_TRUE(window.InitVideo());
    ASSERT_TRUE(window.Create("Pellora test", 640, 480, false));
    CGfxOGL& gfx = CGfxOGL::Get();
    ASSERT_TRUE(gfx.Create(window.GetSdlWindow(), 640, 480, 32, 32, 0, false));
    CEngine& engine = CEngine::Get();
    ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, false));

    // A new window is shown for its forced frames, unchanged or not.
    for (int frame = 0; frame < CGfxOGL::kForcedPresents; ++frame) {
        RunFrame(10.0);
        EXPECT_FALSE(engine.IsPictureStill()) << "forced frame " << frame;
    }
    g_sleeps.clear();
    for (int frame = 1; frame <= CEngine::kStillFrames; ++frame) {
        RunFrame(10.0);
        EXPECT_EQ(engine.IsPictureStill(), frame == CEngine::kStillFrames) << "unchanged frame " << frame;
    }
    EXPECT_EQ(g_sleeps.size(), static_cast<size_t>(CEngine::kStillFrames - 1)) << "the still frame does not sleep";

    // Still: no pacing; a frame after the application's wait runs the steps of the whole wait.
    g_sleeps.clear();
    const float stepMs = engine.GetFixedStep() * 1000.0f;
    int32_t steps = 0;
    for (int frame = 0; frame < 6; ++frame) {
        steps += RunFrame(CEngine::kStillWaitMs);
        EXPECT_TRUE(engine.IsPictureStill());
    }
    EXPECT_TRUE(g_sleeps.empty());
    EXPECT_NEAR(steps, 6.0f * CEngine::kStillWaitMs / stepMs, 1.0f);
    EXPECT_LT(CEngine::kStillWaitMs, 100) << "a wait must stay below the 0.1 s cap of a frame's time";

    // A changed picture is shown and paced again at once.
    gfx.ClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    RunFrame(10.0);
    EXPECT_FALSE(engine.IsPictureStill());
    EXPECT_EQ(g_sleeps.size(), 1u);

    CStateManager::Lower().SetState(kStateNone, true);
    gfx.Destroy();
    window.Destroy();
    window.ShutdownVideo();
    unsetenv("PELLORA_RENDERER");
}

TEST_F(EngineFrameTest, EscapeAsksTheLowerLayerFirstAndTheUpperOnlyIfUnhandled) {
    struct Case {
        bool lowerHandles, upperHandles, expected;
        std::vector<std::string> asked;
    };
    const Case cases[] = {
        {true, false, true, {"OnEscape LowerA"}},
        {true, true, true, {"OnEscape LowerA"}},
        {false, true, true, {"OnEscape LowerA", "OnEscape UpperA"}},
        {false, false, false, {"OnEscape LowerA", "OnEscape UpperA"}},
    };
    for (const Case& test : cases) {
        ProbeWorld::Get().roles[kLowerA].handlesEscape = test.lowerHandles;
        ProbeWorld::Get().roles[kUpperA].handlesEscape = test.upperHandles;
        ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, true));
        ASSERT_TRUE(CStateManager::Upper().SetState(kUpperA, true));
        ProbeWorld::Get().journal.clear();
        EXPECT_EQ(CEngine::Get().OnEscape(), test.expected);
        EXPECT_EQ(ProbeWorld::Get().journal, test.asked);
    }
}

TEST_F(EngineFrameTest, MessagesGoLowerFirstCharactersUpperFirst) {
    ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, false));
    ASSERT_TRUE(CStateManager::Lower().EnterState(kLowerB));
    ASSERT_TRUE(CStateManager::Upper().SetState(kUpperA, false));
    ProbeWorld::Get().journal.clear();
    CEngine::Get().BroadcastMessage(10006, 3);
    CEngine::Get().OnChar(0xE5);
    EXPECT_EQ(ProbeWorld::Get().journal,
              (std::vector<std::string>{"OnMessage 10006,3 LowerA", "OnMessage 10006,3 LowerB",
                                        "OnMessage 10006,3 UpperA", "OnChar 229 UpperA", "OnChar 229 LowerA",
                                        "OnChar 229 LowerB"}));
}

TEST_F(EngineFrameTest, FocusChangesReachTheLayersInOrderAndTimeAwayIsNotDelivered) {
    ASSERT_TRUE(CStateManager::Lower().SetState(kLowerA, false));
    ASSERT_TRUE(CStateManager::Upper().SetState(kUpperA, false));
    std::vector<std::string> log;
    CLog::Get().SetEnabled(true);
    CLog::Get().SetCapture(&log);
    ProbeWorld::Get().journal.clear();
    CEngine::Get().Deactivate();
    g_nowMicros += 5000000;   // five seconds with another program in front
    CEngine::Get().Activate();
    CLog::Get().SetCapture(nullptr);
    EXPECT_EQ(ProbeWorld::Get().journal, (std::vector<std::string>{"Deactivate UpperA", "Deactivate LowerA",
                                                                   "Activate LowerA", "Activate UpperA"}));
    EXPECT_NE(std::find(log.begin(), log.end(), "CEngine::Deactivate"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "CEngine::Activate"), log.end());
    // Without the timer being advanced on activation this frame would run the capped 14 steps.
    EXPECT_EQ(RunFrame(7), 1);
}

TEST_F(EngineFrameTest, StateLoggingSwitchesBothLayers) {
    CEngine::Get().SetStateLogging(true);
    EXPECT_TRUE(CStateManager::Lower().IsLogging());
    EXPECT_TRUE(CStateManager::Upper().IsLogging());
    CEngine::Get().SetStateLogging(false);
    EXPECT_FALSE(CStateManager::Lower().IsLogging());
    EXPECT_FALSE(CStateManager::Upper().IsLogging());
}
}  // namespace
