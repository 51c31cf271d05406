// The widget host of every screen: which widget gets the hover and the click, the order of
// the notifications and sounds, the hit areas of the alignments, the slider's ends, the
// entry slide; and the pop-ups of two playfields, each measured with its own font.
#include "GuiFixtures.h"

#include "core/Timer.h"
#include "engine/Engine.h"
#include "engine/StateManager.h"
#include "gui/GuiState.h"
#include "platform/Font.h"
#include "view/FieldView.h"

#include <string>
#include <vector>

namespace {
std::vector<std::string> g_events;
std::vector<std::pair<int32_t, int32_t>> g_messages;

// A button that writes down what it is told.
class CProbeButton : public CGuiButton {
public:
    explicit CProbeButton(const char* name) : m_name(name) {}
    void OnMessage(EWidgetEvent event) override {
        CGuiButton::OnMessage(event);
        if (event == EWidgetEvent::MouseEnter) {
            g_events.push_back(m_name + " enter");
        } else if (event == EWidgetEvent::MouseLeave) {
            g_events.push_back(m_name + " leave");
        } else if (event == EWidgetEvent::Click) {
            g_events.push_back(m_name + " click");
        }
    }

private:
    std::string m_name;
};

// A screen showing the widgets it is given; it writes down the messages it receives.
class CProbeScreen : public CGuiState {
public:
    std::vector<CGuiWidget*> widgets;
    const char* GetName() const override { return "CProbeScreen"; }
    bool InitScreen() override {
        for (CGuiWidget* widget : widgets) {
            AddWidget(widget);
        }
        return true;
    }
    void ShutdownScreen() override {}
    void OnMessage(int32_t id, int32_t parameter) override {
        g_messages.emplace_back(id, parameter);
        CGuiState::OnMessage(id, parameter);
    }
};

// A text button at (x, y) in the main font: left-aligned, centred or right-aligned.
enum class EAlign { Left, Centre, Right };
void MakeButton(CGuiWidget& button, const char* text, int32_t x, int32_t y, EAlign align, int32_t command = -1) {
    button.SetFont(&CFont::Main());
    if (align == EAlign::Centre) {
        button.AlignCentre();
    } else if (align == EAlign::Right) {
        button.AlignRight();
    }
    button.SetPos(x, y);
    button.SetText(text);
    button.SetCommand(command);
}

class WidgetHostTest : public CGuiTest {
protected:
    void SetUp() override {
        CGuiTest::SetUp();
        g_events.clear();
        g_messages.clear();
    }
    void Start(CProbeScreen& screen) { ASSERT_TRUE(screen.Init()); }
    void StepScreen(CProbeScreen& screen) {
        Step([&] { screen.Update(kStep); });
    }
    // A screen with lower's widget in the lower layer and one with upper's in the upper
    // layer; the button goes down at (x, y) for one step, then both layers are emptied.
    static void PressInBothLayers(CGuiButton& lower, CGuiButton& upper, int32_t x, int32_t y);
};

TEST_F(WidgetHostTest, TheEarlierOfTwoOverlappingWidgetsTakesHoverAndClick) {
    CProbeButton first("first");
    CProbeButton second("second");
    MakeButton(first, "Overlap", 100, 100, EAlign::Left, 11);
    MakeButton(second, "Overlap", 100, 100, EAlign::Left, 22);
    CProbeScreen screen;
    screen.widgets = {&first, &second};
    Start(screen);
    PointAt(110, 110);
    StepScreen(screen);
    EXPECT_EQ(screen.HoveredWidget(), &first);
    HoldButton(true);
    StepScreen(screen);
    EXPECT_EQ(g_events, (std::vector<std::string>{"first enter", "first click"}));
    EXPECT_EQ(ExecuteSounds(), 1);
}

TEST_F(WidgetHostTest, MovingStraightOntoAnotherItemEntersItBeforeLeavingTheOldOneWithOneSound) {
    CProbeButton upper("upper");
    CProbeButton lower("lower");
    MakeButton(upper, "Upper", 100, 100, EAlign::Left);
    MakeButton(lower, "Lower", 100, 200, EAlign::Left);
    CProbeScreen screen;
    screen.widgets = {&upper, &lower};
    Start(screen);
    StepScreen(screen);   // nothing slides: the entry is over
    PointAt(110, 110);
    StepScreen(screen);
    EXPECT_EQ(HoverSounds(), 1);
    PointAt(110, 210);
    StepScreen(screen);
    EXPECT_EQ(g_events, (std::vector<std::string>{"upper enter", "lower enter", "upper leave"}));
    EXPECT_EQ(HoverSounds(), 2);
    EXPECT_TRUE(lower.IsHovered());
    EXPECT_FALSE(upper.IsHovered());
    StepScreen(screen);   // staying on it: no new sound
    EXPECT_EQ(HoverSounds(), 2);
}

TEST_F(WidgetHostTest, APressThatBeganOutsideEveryWidgetDoesNothingWhenDraggedOntoOne) {
    CProbeButton button("button");
    MakeButton(button, "Button", 100, 100, EAlign::Left, 7);
    CProbeScreen screen;
    screen.widgets = {&button};
    Start(screen);
    PointAt(400, 400);
    HoldButton(true);
    StepScreen(screen);
    PointAt(110, 110);
    StepScreen(screen);
    StepScreen(screen);
    HoldButton(false);
    StepScreen(screen);
    EXPECT_EQ(g_events, (std::vector<std::string>{"button enter"}));
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(ExecuteSounds(), 0);
    // A fresh press over it clicks and broadcasts nothing without layers to reach, but the
    // widget hears the click.
    HoldButton(true);
    StepScreen(screen);
    EXPECT_EQ(g_events.back(), "button click");
}

TEST_F(WidgetHostTest, ACentredButtonIsHitAcrossItsCaptionWidthOnly) {
    CGuiButton button;
    MakeButton(button, "Change player", 320, 100, EAlign::Centre);
    const int32_t half = button.TextWidth() / 2;
    ASSERT_GT(half, 40);
    // The widget's own size is the caption's; the test asks points around x.
    struct HitCase {
        int32_t x, y;
        bool hit;
    };
    const int32_t bottom = 100 + button.H();
    const HitCase cases[] = {
        {320 - half, 100, true},     {320 + half, 100, true},      {320, bottom, true},
        {320 - half - 1, 100, false}, {320 + half + 1, 100, false}, {320, 99, false},
        {320, bottom + 1, false},
    };
    for (const HitCase& test : cases) {
        EXPECT_EQ(button.HitTest(test.x, test.y), test.hit) << test.x << ", " << test.y;
    }
}

TEST_F(WidgetHostTest, ARightAlignedButtonNeverTakesHoverOrClicks) {
    CProbeButton button("right");
    MakeButton(button, "Right", 300, 100, EAlign::Right, 5);
    CProbeScreen screen;
    screen.widgets = {&button};
    Start(screen);
    for (int32_t x = 200; x <= 400; x += 10) {
        EXPECT_FALSE(button.HitTest(x, 110)) << x;
    }
    PointAt(300 - 5, 110);
    HoldButton(true);
    StepScreen(screen);
    EXPECT_EQ(screen.HoveredWidget(), nullptr);
    EXPECT_TRUE(g_events.empty());
}

TEST_F(WidgetHostTest, ASliderClickedBesideItsMiddleSetsZeroOrHundredAndInsideItsPlace) {
    CGuiSlider slider;
    slider.AlignCentre();
    slider.SetPos(320, 150);
    slider.LoadPieces();
    CProbeScreen screen;
    screen.widgets = {&slider};
    Start(screen);
    // The track: 250 wide centred on 320, the middle piece from 205 to 435.
    ASSERT_FLOAT_EQ(slider.MiddleLeft(), 205.0f);
    struct SliderCase {
        int32_t x;
        float value;
    };
    const SliderCase cases[] = {{198, 0.0f}, {200, 0.0f}, {205, 0.0f}, {320, 50.0f}, {435, 100.0f}, {442, 100.0f}};
    for (const SliderCase& test : cases) {
        slider.SetValue(50.0f);
        PointAt(test.x, 160);
        HoldButton(true);
        StepScreen(screen);
        HoldButton(false);
        StepScreen(screen);
        EXPECT_FLOAT_EQ(slider.Value(), test.value) << test.x;
        EXPECT_FLOAT_EQ(slider.KnobLeft(), 205.0f + 230.0f * test.value / 100.0f - 12.0f) << test.x;
    }
    // Beyond the track's ends the slider is not hit at all.
    EXPECT_FALSE(slider.HitTest(194, 160));
    EXPECT_FALSE(slider.HitTest(446, 160));
    EXPECT_FALSE(slider.HitTest(320, 183));
}

// A press on the track or the knob is followed while the button stays down, wherever the
// mouse goes (beyond the ends the knob stays at 0 or 100); after the release, or for a
// press that began elsewhere, moving the mouse changes nothing.
TEST_F(WidgetHostTest, ASliderFollowsADragThatBeganOnItUntilTheButtonIsReleased) {
    CGuiSlider slider;
    slider.AlignCentre();
    slider.SetPos(320, 150);
    slider.LoadPieces();
    CGuiButton below;
    MakeButton(below, "Below", 320, 250, EAlign::Centre);
    CProbeScreen screen;
    screen.widgets = {&slider, &below};
    Start(screen);
    // The middle piece runs from 205 to 435: value = (x - 205) / 230 * 100.
    const auto valueAt = [](int32_t x) { return static_cast<float>(x - 205) / 230.0f * 100.0f; };
    struct Point {
        int32_t x, y;
    };
    const struct {
        const char* what;
        Point press;
        std::vector<Point> moves;   // with the button held; the value follows each
        std::vector<float> values;
    } cases[] = {
        {"from the knob to the right", {320, 166}, {{350, 166}, {400, 166}}, {valueAt(350), valueAt(400)}},
        {"from the track to the left", {400, 155}, {{300, 155}, {230, 155}}, {valueAt(300), valueAt(230)}},
        {"off the track above and below", {320, 160}, {{260, 100}, {380, 300}}, {valueAt(260), valueAt(380)}},
        {"beyond the ends", {320, 160}, {{100, 160}, {600, 160}, {420, 160}}, {0.0f, 100.0f, valueAt(420)}},
        {"over another widget", {320, 160}, {{330, 255}}, {valueAt(330)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        slider.SetValue(50.0f);
        PointAt(c.press.x, c.press.y);
        HoldButton(true);
        StepScreen(screen);
        EXPECT_FLOAT_EQ(slider.Value(), c.press.x < 205 ? 0.0f : valueAt(c.press.x));
        for (size_t i = 0; i < c.moves.size(); ++i) {
            PointAt(c.moves[i].x, c.moves[i].y);
            StepScreen(screen);
            EXPECT_NEAR(slider.Value(), c.values[i], 0.001f) << "move " << i;
            EXPECT_NEAR(slider.KnobLeft(), 205.0f + 230.0f * c.values[i] / 100.0f - 12.0f, 0.01f) << "move " << i;
        }
        // Released: the knob stays where the drag left it.
        HoldButton(false);
        StepScreen(screen);
        const float left = slider.Value();
        PointAt(250, 160);
        StepScreen(screen);
        EXPECT_FLOAT_EQ(slider.Value(), left) << "after the release";
    }
    // A press that began beside the slider is no drag of it.
    slider.SetValue(50.0f);
    PointAt(320, 300);
    HoldButton(true);
    StepScreen(screen);
    PointAt(400, 160);
    StepScreen(screen);
    PointAt(250, 160);
    StepScreen(screen);
    HoldButton(false);
    StepScreen(screen);
    EXPECT_FLOAT_EQ(slider.Value(), 50.0f);
}

TEST_F(WidgetHostTest, DuringTheEntrySlideItemsAreHitAtTheirFinalPlaceWithoutTheHoverSound) {
    CProbeButton button("sliding");
    MakeButton(button, "Sliding", 100, 100, EAlign::Left, 9);
    CProbeScreen screen;
    screen.widgets = {&button};
    Start(screen);
    button.SlideIn(0.0f, 500.0f, 0.5f);
    PointAt(110, 110);
    StepScreen(screen);
    EXPECT_TRUE(button.IsSliding());
    EXPECT_TRUE(screen.IsEntering());
    EXPECT_TRUE(button.IsHovered());
    EXPECT_EQ(HoverSounds(), 0);
    HoldButton(true);
    StepScreen(screen);
    EXPECT_EQ(g_events.back(), "sliding click");
    EXPECT_EQ(ExecuteSounds(), 1);
    // The slide ends after its time; the drawing offset has come down to nothing.
    HoldButton(false);
    for (int32_t i = 0; i < 80; ++i) {
        StepScreen(screen);
    }
    EXPECT_FALSE(button.IsSliding());
    EXPECT_FALSE(screen.IsEntering());
    EXPECT_NEAR(button.SlideOffsetY(), 0.0f, 4.0f);
    // From now on entering an item is heard.
    PointAt(400, 400);
    StepScreen(screen);
    PointAt(110, 110);
    StepScreen(screen);
    EXPECT_EQ(HoverSounds(), 1);
}

// Both layers show a screen with a button under the mouse: the upper one, updated first,
// takes the click; the lower one sees it taken.
std::vector<CGuiButton*> g_layerButtons;
CEngineState* CreateLayerScreen(int32_t id) {
    auto* screen = new CProbeScreen();
    screen->widgets = {g_layerButtons[static_cast<size_t>(id)]};
    return screen;
}

void WidgetHostTest::PressInBothLayers(CGuiButton& lower, CGuiButton& upper, int32_t x, int32_t y) {
    g_layerButtons = {&lower, &upper};
    SetStateFactory(&CreateLayerScreen);
    CStateManager::Lower().SetState(0, true);
    CStateManager::Upper().SetState(1, true);
    PointAt(x, y);
    HoldButton(true);
    Step([] {
        CStateManager::Upper().Update(kStep);
        CStateManager::Lower().Update(kStep);
    });
    CStateManager::Upper().SetState(kStateNone, true);
    CStateManager::Lower().SetState(kStateNone, true);
    SetStateFactory(nullptr);
}

TEST_F(WidgetHostTest, AClickOverScreensInBothLayersReachesOnlyTheUpperOne) {
    CProbeButton lowerButton("lower");
    CProbeButton upperButton("upper");
    MakeButton(lowerButton, "Both", 100, 100, EAlign::Left);
    MakeButton(upperButton, "Both", 100, 100, EAlign::Left);
    PressInBothLayers(lowerButton, upperButton, 110, 110);
    EXPECT_EQ(g_events, (std::vector<std::string>{"upper enter", "upper click", "lower enter"}));
    EXPECT_EQ(ExecuteSounds(), 1);
}

TEST_F(WidgetHostTest, AClickBroadcastsItsCommandAndParameterToBothLayers) {
    CProbeButton button("button");
    MakeButton(button, "Go", 100, 100, EAlign::Left, 10009);
    button.SetCommandParam(3);
    CProbeButton other("other");
    MakeButton(other, "Other", 100, 300, EAlign::Left);
    PressInBothLayers(button, other, 110, 110);
    const std::vector<std::pair<int32_t, int32_t>> expected = {{10009, 3}, {10009, 3}};
    EXPECT_EQ(g_messages, expected);
}

// The engine's own frame loop on a clock of the test's: a pointer that moves and a button
// that goes down between two frames (a tap, a fast hand, a remote desktop) reach the screen
// in the same step.
int64_t g_frameClockMicros = 0;
int64_t FrameClock() { return g_frameClockMicros; }
void NoSleep(int32_t) {}

void RunEngineFrame() {
    g_frameClockMicros += 7000;   // one fixed step and a little
    CEngine::Get().Frame();
}

// On the main menu the pointer rests on "Play", then moves to "Highscore" and clicks in one
// motion: "Highscore" is clicked, never "Play".
TEST_F(WidgetHostTest, AClickThatArrivesWithAMoveActsOnTheItemUnderTheClick) {
    CProbeButton play("play");
    CProbeButton highscore("highscore");
    MakeButton(play, "Play", 100, 100, EAlign::Left);
    MakeButton(highscore, "Highscore", 100, 200, EAlign::Left);
    g_layerButtons = {&play, &highscore};
    g_frameClockMicros = 1000000;
    CTimer::Get().SetTickSource(&FrameClock, 1000000);
    CEngine::Get().SetSleepFunction(&NoSleep);
    CEngine::Get().ResetAccumulator();
    SetStateFactory([](int32_t id) -> CEngineState* {
        if (id != 0) {
            return nullptr;
        }
        auto* screen = new CProbeScreen();
        screen->widgets = {g_layerButtons[0], g_layerButtons[1]};
        return screen;
    });
    ASSERT_TRUE(CStateManager::Lower().SetState(0, true));
    PointAt(110, 110);
    for (int32_t frame = 0; frame < 150; ++frame) {   // a second on "Play"
        RunEngineFrame();
    }
    ASSERT_TRUE(play.IsHovered());
    PointAt(110, 210);
    HoldButton(true);
    RunEngineFrame();
    HoldButton(false);
    RunEngineFrame();
    CStateManager::Lower().SetState(kStateNone, true);
    SetStateFactory(nullptr);
    CEngine::Get().SetSleepFunction(nullptr);
    CTimer::Get().SetTickSource(nullptr, 0);
    const std::vector<std::string> clicks = [] {
        std::vector<std::string> found;
        for (const std::string& event : g_events) {
            if (event.ends_with("click")) {
                found.push_back(event);
            }
        }
        return found;
    }();
    EXPECT_EQ(clicks, std::vector<std::string>{"highscore click"});
    EXPECT_EQ(ExecuteSounds(), 1);
}

TEST_F(WidgetHostTest, MessagesSwitchTheHostOffAndOnAgain) {
    CProbeButton button("button");
    MakeButton(button, "Off", 100, 100, EAlign::Left);
    CProbeScreen screen;
    screen.widgets = {&button};
    Start(screen);
    screen.OnMessage(kMessageGuiOff, 0);
    PointAt(110, 110);
    StepScreen(screen);
    EXPECT_TRUE(g_events.empty());
    screen.OnMessage(kMessageGuiOn, 0);
    StepScreen(screen);
    EXPECT_EQ(g_events, (std::vector<std::string>{"button enter"}));
}

TEST_F(WidgetHostTest, CopyStyleTakesTheLookButNotTheCaptionCommandOrHover) {
    CGuiButton source;
    MakeButton(source, "Source", 320, 110, EAlign::Centre, 10004);
    source.SetHoverColour(1.0f, 1.0f, 0.0f, 1.0f);
    source.SetToggleable(true);
    source.SetToggled(true);
    source.OnMessage(EWidgetEvent::MouseEnter);
    CGuiButton copy;
    copy.CopyStyle(source);
    EXPECT_TRUE(copy.IsCentred());
    EXPECT_EQ(copy.X(), 320);
    EXPECT_EQ(copy.Y(), 110);
    EXPECT_EQ(copy.TextWidth(), source.TextWidth());
    EXPECT_EQ(copy.Font(), &CFont::Main());
    EXPECT_FLOAT_EQ(copy.HoverColour().b, 0.0f);
    EXPECT_TRUE(copy.IsToggleable());
    EXPECT_FALSE(copy.IsToggled());
    EXPECT_FALSE(copy.IsHovered());
    EXPECT_STREQ(copy.Text(), "");
    EXPECT_EQ(copy.Command(), -1);
    // A caption of 127 characters is taken, one of 128 refused.
    const std::string longest(127, 'a');
    EXPECT_TRUE(copy.SetText(longest.c_str()));
    EXPECT_FALSE(copy.SetText((longest + "b").c_str()));
    EXPECT_EQ(std::string(copy.Text()), longest);
}

TEST_F(WidgetHostTest, EachPlayfieldsPopUpsAreCentredWithItsOwnFont) {
    CPlayfield big;
    CPlayfield small;
    SetPopUpFont(big, &CFont::Main());
    SetPopUpFont(small, &CFont::Small());
    big.PopUpText("12345", 300.0f, 200.0f);
    small.PopUpText("12345", 300.0f, 200.0f);
    const float bigWidth = static_cast<float>(CFont::Main().Measure("12345") / 2);
    const float smallWidth = static_cast<float>(CFont::Small().Measure("12345") / 2);
    ASSERT_NE(bigWidth, smallWidth);
    EXPECT_FLOAT_EQ(big.PopUps().Slot(0).x, 300.0f - bigWidth);
    EXPECT_FLOAT_EQ(small.PopUps().Slot(0).x, 300.0f - smallWidth);
    SetPopUpFont(big, nullptr);
    SetPopUpFont(small, nullptr);
}
}  // namespace
