// The state layer: slots, the factory, deferred requests and their log lines.
#include "ProbeState.h"
#include "core/Log.h"
#include "engine/StateManager.h"
#include "gui/StateNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

namespace {
constexpr int32_t kMenu = kStateMainMenu;   // 10005
constexpr int32_t kGame = kStateGame;       // 10004
constexpr int32_t kHud = kStateHud;         // 20000
constexpr int32_t kBroken = 777;            // a state whose Init fails
constexpr int32_t kUnknown = 4242;

class StateManagerTest : public testing::Test {
protected:
    void SetUp() override {
        ProbeWorld& world = ProbeWorld::Get();
        world.Reset();
        world.Add(kMenu, "CGuiMenu");
        world.Add(kGame, "CGame");
        world.Add(kHud, "CGuiHud");
        world.Add(kBroken, "CBroken");
        world.roles[kBroken].initResult = false;
        SetStateFactory(&CreateProbeState);
        CLog::Get().SetEnabled(true);
        CLog::Get().SetCapture(&m_log);
    }
    void TearDown() override {
        m_layer.ExitAll();
        CLog::Get().SetCapture(nullptr);
        SetStateFactory(nullptr);
    }
    std::string SlotName(int slot) const {
        const CEngineState* state = m_layer.GetState(slot);
        return state != nullptr ? state->GetName() : "";
    }
    void EndOfFrame() {
        m_layer.ApplyPendingExit();
        m_layer.ApplyPendingEnter();
    }

    CStateManager m_layer;
    std::vector<std::string> m_log;
};

TEST_F(StateManagerTest, EnterStateFillsTheFirstFreeSlotAndRefusesAThird) {
    EXPECT_TRUE(m_layer.EnterState(kMenu));
    EXPECT_TRUE(m_layer.EnterState(kHud));
    EXPECT_EQ(SlotName(0), "CGuiMenu");
    EXPECT_EQ(SlotName(1), "CGuiHud");

    m_log.clear();
    EXPECT_FALSE(m_layer.EnterState(kGame));
    EXPECT_EQ(m_log, std::vector<std::string>{"CStateManager::EnterState FAILED Too many engine states"});
    EXPECT_EQ(SlotName(0), "CGuiMenu");
    EXPECT_EQ(SlotName(1), "CGuiHud");
    // The refused state was never created, so nothing of it was initialised.
    EXPECT_TRUE(ProbeWorld::Get().Entries("Init CGame").empty());

    // A freed slot 0 is taken before anything else.
    m_layer.ExitState(0);
    EXPECT_TRUE(m_layer.EnterState(kGame));
    EXPECT_EQ(SlotName(0), "CGame");
    EXPECT_EQ(SlotName(1), "CGuiHud");
}

TEST_F(StateManagerTest, EnterStateFailuresAreLoggedAndLeaveTheLayerAsItWas) {
    SetStateFactory(nullptr);
    EXPECT_FALSE(m_layer.EnterState(kMenu));
    SetStateFactory(&CreateProbeState);
    EXPECT_FALSE(m_layer.EnterState(kUnknown));
    EXPECT_EQ(m_log, (std::vector<std::string>{"CStateManager::EnterState FAILED func_ptr NULL",
                                               "CStateManager::EnterState FAILED to create object"}));
    EXPECT_TRUE(m_layer.IsEmpty());
}

TEST_F(StateManagerTest, AStateWhoseInitFailsStaysUntilTheLayerIsEmptied) {
    EXPECT_FALSE(m_layer.EnterState(kBroken));
    EXPECT_EQ(m_log, std::vector<std::string>{"CStateManager::EnterState FAILED to initialize object"});
    ASSERT_EQ(SlotName(0), "CBroken");

    m_layer.Update(0.01f);
    m_layer.Render();
    m_layer.ExitAll();
    EXPECT_EQ(ProbeWorld::Get().journal,
              (std::vector<std::string>{"Init CBroken", "Update CBroken", "Render CBroken", "Shutdown CBroken"}));
    EXPECT_TRUE(m_layer.IsEmpty());
}

TEST_F(StateManagerTest, SetStateWithTheReservedNumbersEnterNothing) {
    ASSERT_TRUE(m_layer.EnterState(kMenu));
    EXPECT_FALSE(m_layer.SetState(kStateNone, false));
    EXPECT_EQ(SlotName(0), "CGuiMenu");
    EXPECT_FALSE(m_layer.SetState(kStateEmpty, true));
    EXPECT_TRUE(m_layer.IsEmpty());
    EXPECT_TRUE(m_log.empty());
}

struct RequestCase {
    const char* label;
    std::vector<int32_t> requests;      // made during one frame, in order
    std::string slot0After;             // "" for empty
    bool menuShutDown;
    bool createFailureLogged;
};

void PrintTo(const RequestCase& test, std::ostream* out) {
    *out << test.label;
}

class StateRequestTest : public StateManagerTest, public testing::WithParamInterface<RequestCase> {};

TEST_P(StateRequestTest, RequestsOfOneFrameAreCarriedOutAtItsEnd) {
    const RequestCase& test = GetParam();
    ASSERT_TRUE(m_layer.EnterState(kMenu));
    for (const int32_t id : test.requests) {
        m_layer.RequestState(id);
    }
    // Nothing changes before the end of the frame.
    EXPECT_EQ(SlotName(0), "CGuiMenu");

    EndOfFrame();
    EXPECT_EQ(SlotName(0), test.slot0After);
    EXPECT_EQ(SlotName(1), "");
    EXPECT_EQ(ProbeWorld::Get().Entries("Shutdown CGuiMenu").size(), test.menuShutDown ? 1u : 0u);
    const bool logged =
        std::find(m_log.begin(), m_log.end(), "CStateManager::EnterState FAILED to create object") != m_log.end();
    EXPECT_EQ(logged, test.createFailureLogged);
    EXPECT_EQ(m_layer.GetPendingId(), kStateNone);

    // A request is carried out once only.
    ProbeWorld::Get().journal.clear();
    EndOfFrame();
    EXPECT_EQ(SlotName(0), test.slot0After);
    EXPECT_TRUE(ProbeWorld::Get().journal.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, StateRequestTest,
    testing::Values(RequestCase{"NoRequest", {}, "CGuiMenu", false, false},
                    RequestCase{"EmptyRequest", {kStateEmpty}, "", true, false},
                    RequestCase{"Change", {kGame}, "CGame", true, false},
                    RequestCase{"SameStateAgainIsANewObject", {kMenu}, "CGuiMenu", true, false},
                    RequestCase{"NoneCancelsEarlierRequest", {kGame, kStateNone}, "CGuiMenu", false, false},
                    RequestCase{"SecondRequestWins", {kStateEmpty, kGame}, "CGame", true, false},
                    RequestCase{"SecondEmptyWins", {kGame, kStateEmpty}, "", true, false},
                    RequestCase{"UnknownNumberLeavesLayerEmpty", {kUnknown}, "", true, true}),
    [](const testing::TestParamInfo<RequestCase>& param) { return std::string(param.param.label); });

// A screen pushed already built is the very object its pusher made, placed at the end of
// the frame and initialised there; a later request of the same frame drops it unused.
TEST_F(StateManagerTest, ABuiltStateIsPlacedAsHandedOrDroppedByALaterRequest) {
    ProbeRole watcher;
    watcher.name = "CWatcher";
    ASSERT_TRUE(m_layer.EnterState(kMenu));
    auto built = std::make_unique<CProbeState>(kGame, watcher);
    const CEngineState* handed = built.get();
    m_layer.RequestState(kGame, std::move(built));
    EXPECT_EQ(SlotName(0), "CGuiMenu");
    EndOfFrame();
    EXPECT_EQ(m_layer.GetState(0), handed);
    EXPECT_EQ(ProbeWorld::Get().Entries("Init CWatcher").size(), 1u);
    EXPECT_EQ(ProbeWorld::Get().Entries("Shutdown CGuiMenu").size(), 1u);

    m_layer.RequestState(kMenu, std::make_unique<CProbeState>(kGame, watcher));
    m_layer.RequestState(kMenu);
    EndOfFrame();
    EXPECT_EQ(SlotName(0), "CGuiMenu");
    EXPECT_EQ(ProbeWorld::Get().Entries("Init CWatcher").size(), 1u) << "the dropped one never started";

    // Without a built state the factory makes it, as for a plain request.
    m_layer.RequestState(kGame, nullptr);
    EndOfFrame();
    EXPECT_EQ(SlotName(0), "CGame");
}

TEST_F(StateManagerTest, LoggingWritesTheExitThenTheEnterLine) {
    ASSERT_TRUE(m_layer.EnterState(kMenu));
    m_layer.SetLogging(true);
    m_log.clear();
    m_layer.RequestState(kGame);
    EndOfFrame();
    EXPECT_EQ(m_log, (std::vector<std::string>{"CStateManager::ExitState CGuiMenu",
                                               "CStateManager::EnterState 10004 - CGame"}));
    // The enter line is written before the state's Init runs.
    m_layer.ExitAll();
    m_log.clear();
    ProbeWorld::Get().roles[kGame].onInit = [](int32_t) { CLog::Get().Write("Init ran"); };
    ASSERT_TRUE(m_layer.EnterState(kGame));
    EXPECT_EQ(m_log, (std::vector<std::string>{"CStateManager::EnterState 10004 - CGame", "Init ran"}));

    m_layer.SetLogging(false);
    m_log.clear();
    m_layer.RequestState(kMenu);
    EndOfFrame();
    EXPECT_TRUE(m_log.empty());
}

TEST_F(StateManagerTest, FanOutReachesSlotZeroThenSlotOne) {
    ASSERT_TRUE(m_layer.EnterState(kMenu));
    ASSERT_TRUE(m_layer.EnterState(kHud));
    ProbeWorld::Get().journal.clear();
    m_layer.Update(0.01f);
    m_layer.Render();
    m_layer.OnMessage(3001, -7);
    m_layer.OnChar(229);
    m_layer.Activate();
    m_layer.Deactivate();
    EXPECT_EQ(ProbeWorld::Get().journal,
              (std::vector<std::string>{"Update CGuiMenu", "Update CGuiHud", "Render CGuiMenu", "Render CGuiHud",
                                        "OnMessage 3001,-7 CGuiMenu", "OnMessage 3001,-7 CGuiHud",
                                        "OnChar 229 CGuiMenu", "OnChar 229 CGuiHud", "Activate CGuiMenu",
                                        "Activate CGuiHud", "Deactivate CGuiMenu", "Deactivate CGuiHud"}));
}

TEST_F(StateManagerTest, OnEscapeAsksEveryStateAndReportsAnyHandler) {
    struct Case {
        bool menuHandles, hudHandles, expected;
    };
    const Case cases[] = {{false, false, false}, {true, false, true}, {false, true, true}, {true, true, true}};
    for (const Case& test : cases) {
        ProbeWorld::Get().roles[kMenu].handlesEscape = test.menuHandles;
        ProbeWorld::Get().roles[kHud].handlesEscape = test.hudHandles;
        ASSERT_TRUE(m_layer.EnterState(kMenu));
        ASSERT_TRUE(m_layer.EnterState(kHud));
        ProbeWorld::Get().journal.clear();
        EXPECT_EQ(m_layer.OnEscape(), test.expected);
        EXPECT_EQ(ProbeWorld::Get().journal, (std::vector<std::string>{"OnEscape CGuiMenu", "OnEscape CGuiHud"}));
        m_layer.ExitAll();
    }
}
}  // namespace
