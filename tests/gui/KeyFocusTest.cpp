// The screens by keys and pad: a focus drawn as the hover, moved by the arrows in reading
// order, Return (or the pad's A) choosing, Left and Right stepping a slider, and the name
// entry's letter grid. The screens run in the upper layer so their commands reach them.
#include "GuiFixtures.h"

#include "engine/StateManager.h"
#include "gui/GuiDialogs.h"
#include "gui/GuiMenu.h"
#include "gui/GuiScores.h"
#include "gui/ScreenFlow.h"
#include "platform/Gfx.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "tests/support/SoftwareScreen.h"
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
CEngineState* CreateScreen(int32_t stateId) {
    switch (stateId) {
        case kStateMainMenu: return new CGuiMenu();
        case kStateOptions: return new CGuiOptions();
        case kStateEnterName: return new CGuiEnterName();
        case kStateHighscore: return new CGuiHighscore();
        case kStatePlayer: return new CGuiPlayer();
        default: return nullptr;
    }
}

class KeyFocusTest : public CScreenTest {
protected:
    void SetUp() override {
        CScreenTest::SetUp();
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        SetStateFactory(&CreateScreen);
    }
    void TearDown() override {
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        SetStateFactory(nullptr);
        CScreenTest::TearDown();
    }
    template <typename Screen>
    static Screen& Open(int32_t stateId) {
        EXPECT_TRUE(CStateManager::Upper().SetState(stateId, true));
        auto& screen = *static_cast<Screen*>(CStateManager::Upper().GetState(0));
        StepScreens();
        return screen;
    }
    static void StepScreens() {
        Step([] { CStateManager::Upper().Update(kStep); });
    }
    static void Press(uint8_t key) {
        HoldKey(key, true);
        StepScreens();
        HoldKey(key, false);
        StepScreens();
    }
    static void PressPad(EPadButton button) {
        CInput::Get().SetPadButtonHeld(button, true);
        StepScreens();
        CInput::Get().SetPadButtonHeld(button, false);
        StepScreens();
    }
    static std::string Focused(const CGuiState& screen) {
        const CGuiWidget* widget = screen.HoveredWidget();
        return widget != nullptr ? widget->Text() : "(none)";
    }
    static int32_t PendingUpper() { return CStateManager::Upper().GetPendingId(); }
};

TEST_F(KeyFocusTest, TheMainMenuFocusFollowsTheArrowsInReadingOrderAndReturnChooses) {
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    Press(DIK_LSHIFT);   // keys in use before the menu opens
    CGuiMenu& menu = Open<CGuiMenu>(kStateMainMenu);
    EXPECT_EQ(Focused(menu), "Play") << "the focus starts on the first item";
    EXPECT_TRUE(menu.HoveredWidget()->IsHovered()) << "drawn in the hover colour";
    const struct {
        uint8_t key;
        const char* focused;
    } presses[] = {
        {DIK_DOWN, "Change player"}, {DIK_DOWN, "Child mode OFF"}, {DIK_DOWN, "Highscore"},
        {DIK_DOWN, "Game Options"},  {DIK_DOWN, "Exit game"},       {DIK_DOWN, "Versus"},
        {DIK_DOWN, "Ann"},           {DIK_DOWN, "Play"},            {DIK_UP, "Ann"},
        {DIK_RIGHT, "Play"},         {DIK_LEFT, "Ann"},             {DIK_UP, "Versus"},
        {DIK_UP, "Exit game"},       {DIK_UP, "Game Options"},
    };
    for (const auto& press : presses) {
        Press(press.key);
        EXPECT_EQ(Focused(menu), press.focused) << "after key " << static_cast<int>(press.key);
    }
    EXPECT_EQ(PendingUpper(), kStateNone);
    Press(DIK_RETURN);
    EXPECT_EQ(PendingUpper(), kStateOptions);
}

// The pointer rests on an item when the keys take over: the first key only shows the focus,
// on the first item; Return does not choose what the resting pointer happened to be over.
TEST_F(KeyFocusTest, TheFirstKeyAfterTheMouseShowsTheFocusOnTheFirstItem) {
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    for (const uint8_t key : {static_cast<uint8_t>(DIK_RETURN), static_cast<uint8_t>(DIK_DOWN)}) {
        SCOPED_TRACE(static_cast<int>(key));
        CInput::Get().NoteMouseMoved();
        CGuiMenu& menu = Open<CGuiMenu>(kStateMainMenu);
        for (int32_t i = 0; i < 150; ++i) {   // the entry slide, the pointer still
            StepScreens();
        }
        PointAt(320, 234);   // "Highscore"
        StepScreens();
        CInput::Get().NoteMouseMoved();
        StepScreens();
        ASSERT_EQ(Focused(menu), "Highscore") << "hovered by the pointer";
        Press(key);
        EXPECT_EQ(Focused(menu), "Play");
        EXPECT_EQ(PendingUpper(), kStateNone) << "nothing chosen";
        CStateManager::Upper().SetState(kStateNone, true);
    }
}

TEST_F(KeyFocusTest, ThePadsAToggleAndTheMouseTakesOverWithoutAFocus) {
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    CGuiMenu& menu = Open<CGuiMenu>(kStateMainMenu);
    EXPECT_EQ(Focused(menu), "(none)") << "a mouse player sees no focus";
    PressPad(EPadButton::DpadDown);
    EXPECT_EQ(Focused(menu), "Play") << "the first press shows the focus and moves nothing";
    PressPad(EPadButton::DpadDown);
    PressPad(EPadButton::DpadDown);
    ASSERT_EQ(Focused(menu), "Child mode OFF");
    PressPad(EPadButton::A);
    EXPECT_TRUE(CurrentPlayerChildMode());
    EXPECT_EQ(Focused(menu), "Child mode ON");
    // The mouse moves onto "Play": the hover is the mouse's again.
    PointAt(320, 120);
    StepScreens();
    EXPECT_EQ(CInput::Get().LastDevice(), EInputDevice::Mouse);
    EXPECT_EQ(Focused(menu), "Play");
    PointAt(20, 20);
    StepScreens();
    EXPECT_EQ(Focused(menu), "(none)");
}

TEST_F(KeyFocusTest, ArrowsStepTheVolumeSlidersAndReturnLeavesThemAlone) {
    CSoundBass::Get().SetSampleVolume(50);
    CSoundBass::Get().SetMusicVolume(50);
    Press(DIK_LSHIFT);
    CGuiOptions& options = Open<CGuiOptions>(kStateOptions);
    ASSERT_EQ(options.HoveredWidget(), &options.SoundSlider());
    const struct {
        uint8_t key;
        float sound, music;
    } presses[] = {
        {DIK_RIGHT, 55.0f, 50.0f}, {DIK_RIGHT, 60.0f, 50.0f}, {DIK_RETURN, 60.0f, 50.0f},
        {DIK_DOWN, 60.0f, 50.0f},  {DIK_LEFT, 60.0f, 45.0f},  {DIK_UP, 60.0f, 45.0f},
        {DIK_LEFT, 55.0f, 45.0f},
    };
    for (const auto& press : presses) {
        Press(press.key);
        EXPECT_EQ(options.SoundSlider().Value(), press.sound) << "after key " << static_cast<int>(press.key);
        EXPECT_EQ(options.MusicSlider().Value(), press.music) << "after key " << static_cast<int>(press.key);
    }
    EXPECT_EQ(CSoundBass::Get().GetSampleVolume(), 55);
    EXPECT_EQ(CSoundBass::Get().GetMusicVolume(), 45);
    // Held, a step repeats after a moment.
    HoldKey(DIK_LEFT, true);
    for (int32_t i = 0; i < kNavRepeatDelaySteps + 2 * kNavRepeatSteps; ++i) {
        StepScreens();
    }
    HoldKey(DIK_LEFT, false);
    StepScreens();
    EXPECT_EQ(options.SoundSlider().Value(), 40.0f);
}

// Down goes through every row of the options in turn, the language row too, and Up comes
// back the same way.
TEST_F(KeyFocusTest, UpAndDownReachEveryRowOfTheOptions) {
    Press(DIK_LSHIFT);
    CGuiOptions& options = Open<CGuiOptions>(kStateOptions);
    const CGuiWidget* const down[] = {&options.SoundSlider(), &options.MusicSlider(), &options.EnglishButton(),
                                      &options.ServerButton(), &options.BackButton()};
    ASSERT_EQ(options.HoveredWidget(), down[0]);
    for (size_t i = 1; i < std::size(down); ++i) {
        Press(DIK_DOWN);
        EXPECT_EQ(options.HoveredWidget(), down[i]) << "Down number " << i << " reaches " << Focused(options);
    }
    Press(DIK_UP);
    EXPECT_EQ(options.HoveredWidget(), &options.ServerButton()) << "Up from Back reaches " << Focused(options);
    Press(DIK_UP);
    EXPECT_TRUE(options.HoveredWidget() == &options.EnglishButton() || options.HoveredWidget() == &options.SwedishButton())
        << "Up from the server's line reaches " << Focused(options);
    Press(DIK_UP);
    EXPECT_EQ(options.HoveredWidget(), &options.MusicSlider()) << "Up reaches " << Focused(options);
}

TEST_F(KeyFocusTest, ThePadsLetterGridWritesAsaIntoPlayersCfgInWindows1252) {
    PressPad(EPadButton::A);   // the pad in use before the name entry opens
    CGuiEnterName& entry = Open<CGuiEnterName>(kStateEnterName);
    ASSERT_TRUE(entry.IsGridShown());
    EXPECT_EQ(Focused(entry), "A");
    const struct {
        std::vector<EPadButton> moves;
        const char* focused;
        std::string name;   // after A on it
    } letters[] = {
        {{EPadButton::DpadDown, EPadButton::DpadDown, EPadButton::DpadRight, EPadButton::DpadRight,
          EPadButton::DpadRight, EPadButton::DpadRight, EPadButton::DpadRight, EPadButton::DpadRight},
         "\xC5", "\xC5"},
        {{EPadButton::DpadUp, EPadButton::DpadRight, EPadButton::DpadRight}, "s", "\xC5s"},
        {{EPadButton::DpadUp, EPadButton::DpadLeft, EPadButton::DpadLeft, EPadButton::DpadLeft, EPadButton::DpadLeft,
          EPadButton::DpadLeft, EPadButton::DpadLeft, EPadButton::DpadLeft, EPadButton::DpadLeft},
         "a", "\xC5sa"},
    };
    for (const auto& letter : letters) {
        for (EPadButton move : letter.moves) {
            PressPad(move);
        }
        EXPECT_EQ(Focused(entry), letter.focused);
        PressPad(EPadButton::A);
        EXPECT_EQ(entry.TypedName(), letter.name);
    }
    // Down through the grid to the space key and on to OK.
    for (int32_t i = 0; i < 3; ++i) {
        PressPad(EPadButton::DpadDown);
    }
    EXPECT_EQ(Focused(entry), CLanguage::Get().TxtGridSpace());
    PressPad(EPadButton::DpadDown);
    ASSERT_EQ(Focused(entry), "OK");
    PressPad(EPadButton::A);
    ASSERT_EQ(GetPlayerCount(), 1);
    const Bytes cfg = ReadFileBytes(m_folder / "players.cfg");
    const std::string written(cfg.begin(), cfg.end());
    EXPECT_NE(written.find(std::string("\xC5sa\0", 4)), std::string::npos);
    EXPECT_EQ(PendingUpper(), kStateMainMenu);
}

TEST_F(KeyFocusTest, TheGridsDeleteAndSpaceAndTheKeyboardStillTypes) {
    PressPad(EPadButton::A);
    CGuiEnterName& entry = Open<CGuiEnterName>(kStateEnterName);
    PressPad(EPadButton::A);   // "A"
    for (int32_t i = 0; i < 3; ++i) {
        PressPad(EPadButton::DpadDown);
    }
    ASSERT_EQ(Focused(entry), CLanguage::Get().TxtGridSpace());
    PressPad(EPadButton::A);
    EXPECT_EQ(entry.TypedName(), "A ");
    PressPad(EPadButton::DpadRight);
    ASSERT_EQ(Focused(entry), CLanguage::Get().TxtGridDelete());
    PressPad(EPadButton::A);
    PressPad(EPadButton::A);
    EXPECT_EQ(entry.TypedName(), "");
    // Typing on a keyboard goes on as ever; a letter leaves the grid's focus where it is.
    HoldKey(DIK_B, true);
    entry.OnChar('B');
    StepScreens();
    HoldKey(DIK_B, false);
    StepScreens();
    EXPECT_EQ(entry.TypedName(), "B");
    EXPECT_EQ(Focused(entry), CLanguage::Get().TxtGridDelete());
    EXPECT_TRUE(CInput::Get().IsTextEntryOn());
    // The arrows are the keyboard's: the focus leaves the grid, typing goes on.
    Press(DIK_DOWN);
    EXPECT_EQ(CInput::Get().LastDevice(), EInputDevice::Keyboard);
    EXPECT_EQ(entry.HoveredWidget(), nullptr);
}

// The player selection by pad: the names in their column, A picks one and goes back to the
// menu the selection came from; B on a screen does what Escape does there.
TEST_F(KeyFocusTest, ThePlayerSelectionByPadAndBGoesBack) {
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    ASSERT_NE(CreatePlayer("Bo"), nullptr);
    ASSERT_NE(CreatePlayer("Cy"), nullptr);
    SetCurrentPlayer(GetPlayer(0));
    g_returnScreen = kStateMainMenu;
    PressPad(EPadButton::DpadDown);
    CGuiPlayer& players = Open<CGuiPlayer>(kStatePlayer);
    EXPECT_EQ(Focused(players), "Ann");
    PressPad(EPadButton::DpadDown);
    PressPad(EPadButton::DpadDown);
    EXPECT_EQ(Focused(players), "Cy");
    // Below the names the pair "Go back" / "Add player"; sideways between the two.
    PressPad(EPadButton::DpadDown);
    EXPECT_EQ(Focused(players), CLanguage::Get().TxtAddPlayer());
    PressPad(EPadButton::DpadLeft);
    EXPECT_EQ(Focused(players), CLanguage::Get().TxtGoBack());
    PressPad(EPadButton::DpadRight);
    EXPECT_EQ(Focused(players), CLanguage::Get().TxtAddPlayer());
    PressPad(EPadButton::DpadLeft);
    PressPad(EPadButton::DpadUp);
    EXPECT_EQ(Focused(players), "Cy");
    PressPad(EPadButton::A);
    EXPECT_STREQ(CurrentPlayerName(), "Cy");
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateMainMenu);
    // B on the options is Escape there: back to the main menu, the volumes kept.
    CStateManager::Lower().RequestState(kStateNone);
    Open<CGuiOptions>(kStateOptions);
    PressPad(EPadButton::B);
    EXPECT_EQ(PendingUpper(), kStateMainMenu);
}

// The question whether to delete a player opens with No highlighted: Return right away
// keeps the player.
TEST_F(KeyFocusTest, TheDeleteQuestionOpensOnNo) {
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    ASSERT_NE(CreatePlayer("Bo"), nullptr);
    g_returnScreen = kStateMainMenu;
    Press(DIK_DOWN);
    CGuiPlayer& players = Open<CGuiPlayer>(kStatePlayer);
    players.OnMessage(CGuiPlayer::kCommandDeletePlayer + 1, 0);
    StepScreens();
    ASSERT_EQ(players.AskedPlayer(), 1);
    EXPECT_EQ(Focused(players), CLanguage::Get().TxtNo());
    Press(DIK_RETURN);
    EXPECT_EQ(players.AskedPlayer(), -1);
    EXPECT_EQ(GetPlayerCount(), 2);
}

// The high-score screen's foot line tells a mouse player to click and a keys or pad player
// to press, in either language, and changes as the player changes device.
TEST_F(KeyFocusTest, TheHighscoreFootLineNamesTheDeviceInUse) {
    const struct {
        uint32_t language;
        const char* mouse;
        const char* keys;
    } cases[] = {
        {kLanguageEnglish, "Click the left mouse button", "Press A or Return to continue"},
        {kLanguageSwedish, "Tryck p\xE5 v\xE4nster musknapp", "Tryck A eller Retur f\xF6r att forts\xE4tta"},
    };
    for (const auto& c : cases) {
        CLanguage::Get().SetLanguage(c.language);
        g_highscoreFromMenu = true;
        PointAt(300, 300);
        StepScreens();
        ASSERT_EQ(CInput::Get().LastDevice(), EInputDevice::Mouse);
        CGuiHighscore& scores = Open<CGuiHighscore>(kStateHighscore);
        EXPECT_STREQ(scores.BottomLine().Text(), c.mouse);
        HoldKey(DIK_LSHIFT, true);
        StepScreens();
        HoldKey(DIK_LSHIFT, false);
        EXPECT_STREQ(scores.BottomLine().Text(), c.keys);
        PointAt(310, 300);
        StepScreens();
        EXPECT_STREQ(scores.BottomLine().Text(), c.mouse);
        // Reached by pad, the screen opens with the pad's words.
        CInput::Get().SetPadButtonHeld(EPadButton::LeftShoulder, true);
        StepScreens();
        CInput::Get().SetPadButtonHeld(EPadButton::LeftShoulder, false);
        CGuiHighscore& again = Open<CGuiHighscore>(kStateHighscore);
        EXPECT_STREQ(again.BottomLine().Text(), c.keys);
    }
    g_highscoreFromMenu = false;
}

// ---------------------------------------------------------------- drawing

// The screens drawn by the software renderer on SDL's dummy video driver.
class KeyFocusDrawingTest : public KeyFocusTest {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(OpenSoftwareScreen()); }
    static void TearDownTestSuite() { CloseSoftwareScreen(); }
    static void Settle() {
        for (int32_t i = 0; i < 250; ++i) {
            StepScreens();
        }
    }
    // The upper layer and the cursor as the engine draws them; rows from the bottom.
    static Bytes Draw() { return DrawScreen(EDrawnLayers::UpperOnly, true); }
    static void Keep(const Bytes& pixels, const std::string& name) { EXPECT_TRUE(KeepPicture(pixels, name)); }
};

// A mouse player with the pointer off every item sees the menu without any highlight; the
// keys' focus colours "Play" and nothing else, and hides the pointer.
TEST_F(KeyFocusDrawingTest, TheFocusIsDrawnOnlyOnItsItemAndOnlyForKeysAndPad) {
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    CMouseCursor::Get().Init();
    PointAt(600, 300);
    StepScreens();
    Open<CGuiMenu>(kStateMainMenu);
    Settle();
    const Bytes byMouse = Draw();
    Keep(byMouse, "focus-menu-mouse.tga");
    Press(DIK_LSHIFT);
    const Bytes byKeys = Draw();
    Keep(byKeys, "focus-menu-keys.tga");
    // "Play" is centred at 320 from y = 110; the pointer sat at (600, 300).
    EXPECT_GT(DifferingPixels(byMouse, byKeys, 260, 108, 380, 140), 100);
    EXPECT_EQ(DifferingPixels(byMouse, byKeys, 0, 0, 640, 106), 0);
    EXPECT_EQ(DifferingPixels(byMouse, byKeys, 0, 142, 580, 480), 0);
    EXPECT_GT(DifferingPixels(byMouse, byKeys, 598, 298, 630, 330), 20) << "the pointer is hidden";
    // The mouse moves again: the pointer is back and the focus gone.
    PointAt(601, 300);
    StepScreens();
    EXPECT_EQ(DifferingPixels(byMouse, Draw(), 0, 0, 600, 480), 0);
}

TEST_F(KeyFocusDrawingTest, TheLetterGridInBothLanguages) {
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        PressPad(EPadButton::A);
        CGuiEnterName& entry = Open<CGuiEnterName>(kStateEnterName);
        Settle();
        PressPad(EPadButton::A);
        PressPad(EPadButton::DpadRight);
        const Bytes grid = Draw();
        Keep(grid, language == kLanguageEnglish ? "grid-english.tga" : "grid-swedish.tga");
        EXPECT_EQ(entry.TypedName(), "A");
        EXPECT_STREQ(entry.HoveredWidget()->Text(), "b");
        // Every key of the grid draws inside the screen, clear of the name and of OK.
        for (int32_t i = 0; i < CGuiEnterName::kGridKeys; ++i) {
            const CGuiButton& key = entry.GridKey(i);
            EXPECT_GE(key.X() - key.W() / 2, 0) << i;
            EXPECT_LE(key.X() + key.W() / 2, kScreenWidth) << i;
            EXPECT_GT(key.Y(), 190) << i;
            EXPECT_LT(key.Y() + key.H(), 395) << i;
        }
        CStateManager::Upper().SetState(kStateNone, true);
        ClearPlayers();
    }
}

}  // namespace
