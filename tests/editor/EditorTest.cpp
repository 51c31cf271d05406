// The level editor: where it starts, the panel's level buttons and pages, painting with the
// brush keys and the mouse, row rotation, saving, reordering, trying a level and coming back,
// the shipped archive behind the level folder, and damaged level files.
#include "GuiFixtures.h"

#include "editor/Editor.h"
#include "editor/GuiEditor.h"
#include "editor/LevelStore.h"
#include "engine/Engine.h"
#include "engine/StateManager.h"
#include "gui/Game.h"
#include "gui/ScreenFlow.h"
#include "platform/Gfx.h"
#include "platform/Window.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"
#include "tests/support/SoftwareScreen.h"
#include "tests/support/TestFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// What the game saw when the editor started it.
struct GameStart {
    int32_t starts = 0;
    std::string levelFileName;
    int32_t levelNumber = 0;
    int32_t firstLevel = 0;
    int32_t lastLevel = 0;
    bool editorTest = false;
};
GameStart g_gameStart;

// Stands in for the game: it writes down the run it was asked for; the test ends the run
// the way the game's HUD does when a test is over.
class CGameProbe final : public CEngineState {
public:
    bool Init() override {
        ++g_gameStart.starts;
        g_gameStart.levelFileName = g_levelFileName;
        g_gameStart.levelNumber = g_levelNumber;
        g_gameStart.firstLevel = g_firstLevel;
        g_gameStart.lastLevel = g_lastLevel;
        g_gameStart.editorTest = g_editorTestPlay;
        return true;
    }
    void Shutdown() override {}
    const char* GetName() const override { return "CGameProbe"; }
    void Render() override {}
    void Update(float) override {}
};

class CMenuProbe final : public CEngineState {
public:
    bool Init() override { return true; }
    void Shutdown() override {}
    const char* GetName() const override { return "CMenuProbe"; }
    void Render() override {}
    void Update(float) override {}
};

// The real game instead of the probe.
bool g_realGame = false;

CEngineState* CreateEditorTestState(int32_t id) {
    switch (id) {
        case kStateEditor: return new CEditor();
        case kStateEditorPanel: return new CGuiEditor();
        case kStateGame: return g_realGame ? static_cast<CEngineState*>(new CGame()) : new CGameProbe();
        case kStateMainMenu: return new CMenuProbe();
        default: return nullptr;
    }
}

// Level n is marked by a ball of colour n mod 8 with frame n in cell (0, 0).
Bytes LevelBytes(int32_t number) {
    CBoard board;
    board.ClearGrids();
    board.SetCell(number % 8, static_cast<uint32_t>(number), 0, 0);
    Bytes bytes(kLevelFileSize);
    board.StoreToBytes(bytes.data());
    return bytes;
}

// The marker of a level file's bytes (the frame of cell (0, 0)); -1 for no proper file.
int32_t MarkerOf(const Bytes& bytes) {
    if (bytes.size() != kLevelFileSize) {
        return -1;
    }
    return static_cast<int32_t>(bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24));
}

// Button centres of the panel (captions are about 32 pixels high).
struct Point {
    int32_t x, y;
};
// The panel's command buttons, by their place in its list; a click goes to the middle of
// the caption wherever the panel put it.
enum ECommandButton : int32_t {
    kNew = 0,
    kClear = 1,
    kMoveUp = 2,
    kMoveDown = 3,
    kMainMenu = 4,
    kSave = 5,
    kPlay = 6,
    kPlayCont = 7,
};
// The middle of a centred caption.
Point CentreOf(const CGuiWidget& widget) { return Point{widget.X(), widget.Y() + widget.H() / 2}; }
Point LevelSlot(int32_t slot) { return Point{12, 22 * slot + 16}; }

class EditorTest : public CGuiTest {
protected:
    void SetUp() override {
        CGuiTest::SetUp();
        ASSERT_FALSE(m_temp.Path().empty());
        m_folder = m_temp / "levels";
        ASSERT_TRUE(MountLevelFolder(m_temp.Path()));
        SetStateFactory(&CreateEditorTestState);
        g_gameStart = GameStart{};
        g_realGame = false;
        g_editorTestPlay = false;
        g_levelFileName = "1.lvl";
    }
    void TearDown() override {
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        ApplyRequests();
        SetStateFactory(nullptr);
        ForgetLevelFolder();
        CGuiTest::TearDown();
    }

    void WriteLevels(int32_t first, int32_t last) {
        for (int32_t n = first; n <= last; ++n) {
            ASSERT_TRUE(WriteFileBytes(m_folder + "/" + LevelFileName(n), LevelBytes(n)));
        }
    }
    // The shipped pack behind the (empty) level folder.
    static void MountShippedPack() { CFileManager::Get().MountFileSystem(PELLORA_DATA_DIR "/levels.nuf"); }

    static void ApplyRequests() { CEngine::Get().ApplyStateRequests(); }
    // The editor as the main menu opens it: the editor, then its panel in the next frame.
    void OpenEditor(const std::string& levelFileName) {
        g_levelFileName = levelFileName;
        CEngine::Get().SetUpperState(kStateEmpty);
        CEngine::Get().SetLowerState(kStateEditor);
        ApplyRequests();
        ApplyRequests();
        ASSERT_NE(Editor(), nullptr);
        ASSERT_NE(Panel(), nullptr);
        Frame();
    }
    static CEditor* Editor() { return dynamic_cast<CEditor*>(CStateManager::Lower().GetState(0)); }
    static CGuiEditor* Panel() { return dynamic_cast<CGuiEditor*>(CStateManager::Upper().GetState(0)); }

    // One update step of both layers, as the engine runs it.
    static void Frame() {
        Step([] {
            CStateManager::Upper().Update(kStep);
            CStateManager::Lower().Update(kStep);
        });
    }
    static void Click(Point at, int button = kMouseLeft) {
        PointAt(at.x, at.y);
        Frame();
        CInput::Get().SetButtonHeld(button, true);
        Frame();
        CInput::Get().SetButtonHeld(button, false);
        Frame();
    }
    static void Click(ECommandButton button) {
        ASSERT_TRUE(Panel()->CommandButton(button).IsVisible()) << "button " << button;
        Click(CentreOf(Panel()->CommandButton(button)));
    }
    static void Press(uint8_t key) {
        HoldKey(key, true);
        Frame();
        HoldKey(key, false);
        Frame();
    }
    // The level numbers on the panel's slots, 0 for a hidden slot.
    static std::vector<int32_t> Slots() {
        std::vector<int32_t> slots;
        for (int32_t slot = 0; slot < kLevelsPerPage; ++slot) {
            const CGuiButton& button = Panel()->LevelButton(slot);
            slots.push_back(button.IsVisible() ? std::stoi(button.Text()) : 0);
        }
        return slots;
    }
    // The slot whose button is marked as the current level, -1 for none.
    static int32_t MarkedSlot() {
        int32_t marked = -1;
        for (int32_t slot = 0; slot < kLevelsPerPage; ++slot) {
            if (Panel()->LevelButton(slot).IsToggled()) {
                EXPECT_EQ(marked, -1) << "two marked buttons";
                marked = slot;
            }
        }
        return marked;
    }
    // Clicks the shown answer button that gives this answer.
    static void Answer(EEditorAnswer answer) {
        for (int32_t i = 0; i < CGuiEditor::kMaxAnswers; ++i) {
            const CGuiButton& button = Panel()->AnswerButton(i);
            if (button.IsVisible() && button.CommandParam() == static_cast<int32_t>(answer)) {
                Click(CentreOf(button));
                return;
            }
        }
        ADD_FAILURE() << "no answer button " << static_cast<int32_t>(answer);
    }
    // The temporary folder as the data folder the player's files are written into, with the
    // level folder and the pictures behind it.
    void MountDataFolder() {
        CFileManager& files = CFileManager::Get();
        files.UnmountAll();
        files.MountFileSystem(m_temp.Path());
        ASSERT_TRUE(MountLevelFolder(m_temp.Path()));
        files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
    }
    // Stands for the player's saved game: the editor never reads it, only keeps it.
    static Bytes SaveBytes() { return Bytes(291, 0x5A); }
    void WritePlayerSave() {
        ASSERT_TRUE(WriteFileBytes(m_temp / "ply1.sav", SaveBytes()));
        ASSERT_TRUE(WriteFileBytes(m_temp / "ply1.lvl", Bytes(3221, 0x3C)));
    }
    int32_t MarkerOnDisk(int32_t number) const { return MarkerOf(ReadFileBytes(m_folder + "/" + LevelFileName(number))); }

    CTempFolder m_temp;
    std::string m_folder;
};

// ---------------------------------------------------------------- where the editor starts

TEST_F(EditorTest, ThreeLevelsStartOnTheFreeFourthWithButtonsOneToThreeAndNew) {
    WriteLevels(1, 3);
    OpenEditor("no-such-level.lvl");
    EXPECT_EQ(Editor()->LevelName(), "4.lvl");
    EXPECT_EQ(Editor()->FreeLevel(), 4);
    EXPECT_EQ(Slots(), (std::vector<int32_t>{1, 2, 3, 0, 0, 0, 0, 0}));
    EXPECT_EQ(MarkedSlot(), -1);
    EXPECT_TRUE(Panel()->NewButton().IsVisible());
    EXPECT_FALSE(Panel()->PreviousPageButton().IsVisible());
    EXPECT_FALSE(Panel()->NextPageButton().IsVisible());
    EXPECT_TRUE(g_editorTestPlay);
    // The level column sits at the left edge, 22 pixels apart, clear of the screen's top.
    EXPECT_EQ(Panel()->LevelButton(2).X(), 5);
    EXPECT_EQ(Panel()->LevelButton(0).Y(), 4);
    EXPECT_EQ(Panel()->LevelButton(2).Y(), 48);
}

TEST_F(EditorTest, SavingTheNewLevelWritesItAndAddsAndMarksItsButton) {
    WriteLevels(1, 3);
    OpenEditor("no-such-level.lvl");
    Press(DIK_W);
    Click(Point{176, 48});   // cell (0, 0)
    Click(kSave);
    const Bytes saved = ReadFileBytes(m_folder + "/4.lvl");
    ASSERT_EQ(saved.size(), kLevelFileSize);
    EXPECT_EQ(saved[0], 1);   // colour 1 in cell (0, 0)
    EXPECT_EQ(Slots(), (std::vector<int32_t>{1, 2, 3, 4, 0, 0, 0, 0}));
    EXPECT_EQ(MarkedSlot(), 3);
    EXPECT_EQ(g_levelFileName, "4.lvl");
    // A second save rewrites the file and adds nothing.
    Click(kSave);
    EXPECT_EQ(Slots(), (std::vector<int32_t>{1, 2, 3, 4, 0, 0, 0, 0}));
}

TEST_F(EditorTest, EightLevelsOfferNoNewAndStartOnLevelOneUnlessAnotherIsNamed) {
    WriteLevels(1, 8);
    OpenEditor("no-such-level.lvl");
    EXPECT_EQ(Editor()->LevelName(), "1.lvl");
    EXPECT_EQ(Editor()->Board().CellAt(0, 0).frame, 1u);
    EXPECT_FALSE(Panel()->NewButton().IsVisible());
    EXPECT_FALSE(Panel()->NextPageButton().IsVisible());
    EXPECT_EQ(Slots(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(MarkedSlot(), 0);
    CStateManager::Upper().SetState(kStateNone, true);
    CStateManager::Lower().SetState(kStateNone, true);
    OpenEditor("6.lvl");
    EXPECT_EQ(Editor()->LevelName(), "6.lvl");
    EXPECT_EQ(Editor()->Board().CellAt(0, 0).frame, 6u);
    EXPECT_EQ(MarkedSlot(), 5);
}

TEST_F(EditorTest, LevelButtonLoadsItsLevelAndNewEmptiesTheFieldForTheFreeLevel) {
    WriteLevels(1, 3);
    OpenEditor("1.lvl");
    Click(LevelSlot(1));
    EXPECT_EQ(Editor()->LevelName(), "2.lvl");
    EXPECT_EQ(Editor()->Board().CellAt(0, 0).frame, 2u);
    EXPECT_EQ(MarkedSlot(), 1);
    Click(kNew);
    EXPECT_EQ(Editor()->LevelName(), "4.lvl");
    EXPECT_EQ(Editor()->Board().BallCount(), 0);
    EXPECT_EQ(MarkedSlot(), -1);
    // "Clear" empties the field and leaves the file alone.
    Click(LevelSlot(2));
    Click(kClear);
    EXPECT_EQ(Editor()->Board().BallCount(), 0);
    EXPECT_EQ(MarkerOnDisk(3), 3);
}

// ---------------------------------------------------------------- reordering

TEST_F(EditorTest, MoveUpOnLevelThreeExchangesTwoAndThreeAndStaysWithTheSameField) {
    WriteLevels(1, 5);
    OpenEditor("3.lvl");
    Click(Point{208, 76});   // paint a ball into cell (1, 1): the field is the edited one
    const BallCell painted = Editor()->Board().CellAt(1, 1);
    ASSERT_FALSE(painted.IsEmpty());
    Click(kMoveUp);
    EXPECT_EQ(MarkerOnDisk(2), 3);
    EXPECT_EQ(MarkerOnDisk(3), 2);
    EXPECT_EQ(Editor()->LevelName(), "2.lvl");
    EXPECT_EQ(Editor()->Board().CellAt(0, 0).frame, 3u);
    EXPECT_EQ(Editor()->Board().CellAt(1, 1), painted);
    EXPECT_EQ(g_levelFileName, "2.lvl");
    EXPECT_EQ(MarkedSlot(), 1);
    EXPECT_FALSE(PathExists(m_folder + "/_tmp.lvl"));
}

TEST_F(EditorTest, MovesPastEitherEndChangeNothing) {
    struct Case {
        const char* level;
        ECommandButton button;
    };
    const Case cases[] = {{"1.lvl", kMoveUp}, {"5.lvl", kMoveDown}};
    WriteLevels(1, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        OpenEditor(c.level);
        Click(c.button);
        EXPECT_EQ(Editor()->LevelName(), c.level);
        for (int32_t n = 1; n <= 5; ++n) {
            EXPECT_EQ(MarkerOnDisk(n), n);
        }
        EXPECT_FALSE(PathExists(m_folder + "/6.lvl"));
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
    }
}

// ---------------------------------------------------------------- painting

TEST_F(EditorTest, BrushKeysPickTheirBallAndTheLastKeyOfAStepWins) {
    struct Case {
        uint8_t key;
        int32_t colour;
    };
    const Case cases[] = {{DIK_Q, 0}, {DIK_W, 1}, {DIK_E, 2}, {DIK_R, 3}, {DIK_A, 4}, {DIK_S, 5}, {DIK_D, 6},
                          {DIK_F, 7}, {DIK_Z, 8}, {DIK_X, 9}, {DIK_C, 10}, {DIK_V, 11}, {DIK_1, 12}, {DIK_2, 13}};
    OpenEditor("1.lvl");
    for (const Case& c : cases) {
        Press(c.key);
        EXPECT_EQ(Editor()->Brush().colour, c.colour) << int(c.key);
    }
    HoldKey(DIK_Q, true);
    HoldKey(DIK_2, true);
    Frame();
    HoldKey(DIK_Q, false);
    HoldKey(DIK_2, false);
    EXPECT_EQ(Editor()->Brush().colour, BallColour::Obstacle);
}

TEST_F(EditorTest, LeftClickPaintsTheBrushRightClickEmptiesAndRowTwelveIgnoresClicks) {
    OpenEditor("1.lvl");
    Press(DIK_Q);
    Click(Point{240, 100});   // row 2 (long), column 2
    EXPECT_EQ(Editor()->Board().CellAt(2, 2), (BallCell{0, 0}));
    Click(Point{240, 100}, kMouseRight);
    EXPECT_TRUE(Editor()->Board().CellAt(2, 2).IsEmpty());
    Click(Point{240, 32 + 28 * 12 + 10});   // row 12
    Click(Point{240, 32 + 28 * 12 + 10}, kMouseRight);
    EXPECT_EQ(Editor()->Board().BallCount(), 0);
    // Holding the button down paints no further cell.
    PointAt(176, 48);
    Frame();
    CInput::Get().SetButtonHeld(kMouseLeft, true);
    Frame();
    PointAt(208, 48);
    Frame();
    Frame();
    CInput::Get().SetButtonHeld(kMouseLeft, false);
    Frame();
    EXPECT_EQ(Editor()->Board().BallCount(), 1);
}

TEST(EditorCellTest, CellUnderTheCursor) {
    struct Case {
        float x, y;
        bool found;
        int32_t column, row;
    };
    const Vec3 origin{160.0f, 32.0f, 0.0f};
    const Case cases[] = {
        {160.0f, 32.0f, true, 0, 0},    {479.0f, 59.0f, true, 9, 0},   {140.0f, 10.0f, true, 0, 0},
        {175.0f, 61.0f, false, 0, 0},   {176.0f, 61.0f, true, 0, 1},   {463.0f, 61.0f, true, 8, 1},
        {464.0f, 61.0f, false, 0, 0},   {480.0f, 40.0f, false, 0, 0},  {300.0f, 32.0f + 28 * 11, true, 3, 11},
        {300.0f, 32.0f + 28 * 12, false, 0, 0}, {300.0f, 3.0f, false, 0, 0}, {127.0f, 40.0f, false, 0, 0},
    };
    for (const Case& c : cases) {
        CellPos cell{-5, -5};
        const bool found = EditorCellAt(c.x, c.y, origin, cell);
        EXPECT_EQ(found, c.found) << c.x << "," << c.y;
        if (c.found) {
            EXPECT_EQ(cell, (CellPos{c.column, c.row})) << c.x << "," << c.y;
        }
    }
}

TEST_F(EditorTest, ArrowKeysRotateEveryRowOverItsOwnLength) {
    OpenEditor("1.lvl");
    // Painting through the mouse: colour 3 at (0, 0) of a long row and (0, 1) of a short row.
    Press(DIK_R);
    Click(Point{170, 40});    // (0, 0)
    Press(DIK_A);
    Click(Point{186, 68});    // (0, 1)
    Press(DIK_LEFT);
    EXPECT_EQ(Editor()->Board().CellAt(9, 0).colour, 3);
    EXPECT_EQ(Editor()->Board().CellAt(8, 1).colour, 4);
    EXPECT_TRUE(Editor()->Board().CellAt(0, 0).IsEmpty());
    EXPECT_TRUE(Editor()->Board().CellAt(9, 1).IsEmpty());
    Press(DIK_RIGHT);
    EXPECT_EQ(Editor()->Board().CellAt(0, 0).colour, 3);
    EXPECT_EQ(Editor()->Board().CellAt(0, 1).colour, 4);
    EXPECT_EQ(Editor()->Board().BallCount(), 2);
}

// ---------------------------------------------------------------- trying a level

TEST_F(EditorTest, PlayTriesTheLevelWithTheNextAsLastAndTheEndOfTheTestComesBackToIt) {
    WriteLevels(1, 7);
    OpenEditor("5.lvl");
    Click(kPlay);
    ApplyRequests();
    EXPECT_EQ(g_gameStart.starts, 1);
    EXPECT_EQ(g_gameStart.levelFileName, "5.lvl");
    EXPECT_EQ(g_gameStart.levelNumber, 5);
    EXPECT_EQ(g_gameStart.firstLevel, 5);
    EXPECT_EQ(g_gameStart.lastLevel, 6);
    EXPECT_TRUE(g_gameStart.editorTest);
    EXPECT_EQ(CStateManager::Upper().GetState(0), nullptr);
    EXPECT_EQ(Editor(), nullptr);
    // The end of the test: the HUD opens the editor again.
    CEngine::Get().SetUpperState(kStateEmpty);
    CEngine::Get().SetLowerState(kStateEditor);
    ApplyRequests();
    ApplyRequests();
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->LevelName(), "5.lvl");
    EXPECT_EQ(Editor()->Board().CellAt(0, 0).frame, 5u);
    EXPECT_EQ(MarkedSlot(), 4);
}

TEST_F(EditorTest, ATriedLevelClearedInTheRealGameBringsTheEditorBackOnIt) {
    WriteLevels(1, 7);
    // Level 5: two balls of colour 0 side by side in the top row; one shot clears it.
    CBoard oneShot;
    oneShot.ClearGrids();
    oneShot.SetCell(0, 0, 4, 0);
    oneShot.SetCell(0, 0, 5, 0);
    Bytes bytes(kLevelFileSize);
    oneShot.StoreToBytes(bytes.data());
    ASSERT_TRUE(WriteFileBytes(m_folder + "/5.lvl", bytes));
    CLanguage::Get().SetLanguage(kLanguageEnglish);
    ClearPlayers();
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    SelectDifficulty(3);
    g_realGame = true;

    OpenEditor("5.lvl");
    Click(kPlay);
    ApplyRequests();
    CGame* game = dynamic_cast<CGame*>(CStateManager::Lower().GetState(0));
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(g_levelNumber, 5);
    EXPECT_EQ(g_lastLevel, 6);
    EXPECT_EQ(game->Playfield().Board().BallCount(), 2);
    PointAt(320, 100);
    for (int32_t i = 0; i < 1000 && game->MainPanel().IsShown(); ++i) {
        Frame();
    }
    ASSERT_FALSE(game->MainPanel().IsShown());
    game->Playfield().SetBalls(BallCell{0, 0}, BallCell{0, 0});
    Click(Point{320, 100});
    for (int32_t i = 0; i < 6000 && CStateManager::Lower().GetPendingId() != kStateEditor; ++i) {
        Frame();
    }
    ASSERT_EQ(CStateManager::Lower().GetPendingId(), kStateEditor);
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateEmpty);
    ApplyRequests();
    ApplyRequests();
    ASSERT_NE(Editor(), nullptr);
    ASSERT_NE(Panel(), nullptr);
    EXPECT_EQ(Editor()->LevelName(), "5.lvl");
    EXPECT_EQ(Editor()->Board().BallCount(), 2);
    EXPECT_EQ(MarkedSlot(), 4);
    EXPECT_EQ(ReadFileBytes(m_folder + "/5.lvl"), bytes);
    ClearPlayers();
}

TEST_F(EditorTest, PlayContinuedRunsANormalGameFromTheLevel) {
    WriteLevels(1, 7);
    OpenEditor("3.lvl");
    Click(kPlayCont);
    ApplyRequests();
    EXPECT_EQ(g_gameStart.starts, 1);
    EXPECT_EQ(g_gameStart.levelNumber, 3);
    EXPECT_EQ(g_gameStart.firstLevel, 3);
    EXPECT_EQ(g_gameStart.lastLevel, kNoLastLevel);
    EXPECT_FALSE(g_gameStart.editorTest);
}

TEST_F(EditorTest, PlayOnAChangedNewLevelAsksAndSaveWritesItBeforeTheGame) {
    WriteLevels(1, 2);
    OpenEditor("no-such-level.lvl");
    Press(DIK_S);
    Click(Point{300, 48});
    Click(kPlay);
    EXPECT_EQ(Editor()->Question(), EEditorQuestion::UnsavedChanges);
    Answer(EEditorAnswer::Save);
    ApplyRequests();
    EXPECT_EQ(g_gameStart.levelFileName, "3.lvl");
    const Bytes saved = ReadFileBytes(m_folder + "/3.lvl");
    ASSERT_EQ(saved.size(), kLevelFileSize);
}

TEST_F(EditorTest, EscapeOnAnUnchangedLevelLeavesForTheMainMenuAtOnce) {
    WriteLevels(1, 2);
    OpenEditor("2.lvl");
    EXPECT_TRUE(CEngine::Get().OnEscape());
    EXPECT_EQ(Editor()->Question(), EEditorQuestion::None);
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateEmpty);
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateMainMenu);
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl"), LevelBytes(2));
}

// Every way out of a changed level asks first; the answer decides what becomes of the
// changes and whether the way out is taken.
TEST_F(EditorTest, LeavingAChangedLevelAsksSaveDiscardOrCancel) {
    enum class EWay { Escape, MainMenu, OtherLevel, NewLevel, Play, CloseWindow };
    struct Case {
        const char* name;
        EWay way;
        EEditorAnswer answer;
        bool fileHasChange;   // level 2's file holds the painted ball afterwards
        bool left;            // the way out was taken
    };
    const Case cases[] = {
        {"Escape, save", EWay::Escape, EEditorAnswer::Save, true, true},
        {"Escape, discard", EWay::Escape, EEditorAnswer::Discard, false, true},
        {"Escape, cancel", EWay::Escape, EEditorAnswer::Cancel, false, false},
        {"Main Menu, save", EWay::MainMenu, EEditorAnswer::Save, true, true},
        {"Main Menu, discard", EWay::MainMenu, EEditorAnswer::Discard, false, true},
        {"Main Menu, cancel", EWay::MainMenu, EEditorAnswer::Cancel, false, false},
        {"level 1, save", EWay::OtherLevel, EEditorAnswer::Save, true, true},
        {"level 1, discard", EWay::OtherLevel, EEditorAnswer::Discard, false, true},
        {"level 1, cancel", EWay::OtherLevel, EEditorAnswer::Cancel, false, false},
        {"New, discard", EWay::NewLevel, EEditorAnswer::Discard, false, true},
        {"New, cancel", EWay::NewLevel, EEditorAnswer::Cancel, false, false},
        {"Play, save", EWay::Play, EEditorAnswer::Save, true, true},
        {"Play, discard", EWay::Play, EEditorAnswer::Discard, false, true},
        {"Play, cancel", EWay::Play, EEditorAnswer::Cancel, false, false},
        {"window closed, save", EWay::CloseWindow, EEditorAnswer::Save, true, true},
        {"window closed, discard", EWay::CloseWindow, EEditorAnswer::Discard, false, true},
        {"window closed, cancel", EWay::CloseWindow, EEditorAnswer::Cancel, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLevels(1, 3);
        g_gameStart = GameStart{};
        OpenEditor("2.lvl");
        Click(Point{240, 100});   // a ball in cell (2, 2)
        ASSERT_TRUE(Editor()->HasUnsavedChanges());
        switch (c.way) {
            case EWay::Escape: EXPECT_TRUE(CEngine::Get().OnEscape()); break;
            case EWay::MainMenu: Click(kMainMenu); break;
            case EWay::OtherLevel: Click(LevelSlot(0)); break;
            case EWay::NewLevel: Click(kNew); break;
            case EWay::Play: Click(kPlay); break;
            case EWay::CloseWindow:
                EXPECT_FALSE(CEngine::Get().CloseRequestEnds()) << "the program ended before the answer";
                break;
        }
        // Nothing happens before the answer, and only the answers can be clicked.
        EXPECT_EQ(Editor()->Question(), EEditorQuestion::UnsavedChanges);
        EXPECT_TRUE(Panel()->IsQuestionShown());
        EXPECT_EQ(Editor()->LevelName(), "2.lvl");
        EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateNone);
        EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateNone);
        EXPECT_FALSE(Panel()->CommandButton(kSave).IsVisible());
        EXPECT_FALSE(Panel()->LevelButton(0).IsVisible());
        Answer(c.answer);
        EXPECT_FALSE(Panel()->IsQuestionShown());
        EXPECT_EQ(Editor()->Question(), EEditorQuestion::None);
        EXPECT_EQ(MarkerOnDisk(2), 2);
        CBoard onDisk;
        ASSERT_TRUE(onDisk.LoadFromBytes(ReadFileBytes(m_folder + "/2.lvl").data(), kLevelFileSize));
        EXPECT_EQ(!onDisk.CellAt(2, 2).IsEmpty(), c.fileHasChange);
        const bool leftForMenu = CStateManager::Upper().GetPendingId() == kStateMainMenu;
        const bool leftForGame = g_gameStart.starts > 0 || CStateManager::Lower().GetPendingId() == kStateGame;
        const bool leftLevel = Editor()->LevelName() != "2.lvl";
        const bool leftProgram = CEngine::Get().TakeQuitRequest();
        EXPECT_EQ(leftProgram, c.way == EWay::CloseWindow && c.left);
        switch (c.way) {
            case EWay::Escape:
            case EWay::MainMenu: EXPECT_EQ(leftForMenu, c.left); break;
            case EWay::OtherLevel:
            case EWay::NewLevel: EXPECT_EQ(leftLevel, c.left); break;
            case EWay::Play: EXPECT_EQ(leftForGame, c.left); break;
            case EWay::CloseWindow: EXPECT_FALSE(leftForMenu || leftForGame || leftLevel); break;
        }
        if (!c.left) {
            // Cancel keeps the changes in the field, still marked.
            EXPECT_TRUE(Editor()->HasUnsavedChanges());
            EXPECT_FALSE(Editor()->Board().CellAt(2, 2).IsEmpty());
            EXPECT_TRUE(Panel()->CommandButton(kSave).IsVisible());
        }
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
    }
}

// Closing the window over an unchanged level, or over a changed one that was answered, ends
// the program at once; the program's own quit (after an answer) is never asked about.
TEST_F(EditorTest, ClosingTheWindowEndsAtOnceWhenNothingIsUnsaved) {
    WriteLevels(1, 2);
    OpenEditor("2.lvl");
    EXPECT_TRUE(CEngine::Get().CloseRequestEnds());
    EXPECT_EQ(Editor()->Question(), EEditorQuestion::None);
    EXPECT_FALSE(Panel()->IsQuestionShown());

    Click(Point{240, 100});
    ASSERT_TRUE(Editor()->HasUnsavedChanges());
    CEngine::Get().Quit();   // as "Discard" or "Save" ends it: the event of its own quit
    EXPECT_TRUE(CEngine::Get().CloseRequestEnds());
    EXPECT_EQ(Editor()->Question(), EEditorQuestion::None);
}

TEST_F(EditorTest, EscapeAnswersAnOpenQuestionAsCancelAndTheFieldTakesNoClicksMeanwhile) {
    WriteLevels(1, 2);
    OpenEditor("2.lvl");
    Click(Point{240, 100});
    EXPECT_TRUE(CEngine::Get().OnEscape());
    ASSERT_EQ(Editor()->Question(), EEditorQuestion::UnsavedChanges);
    const int32_t balls = Editor()->Board().BallCount();
    Click(Point{300, 48});    // under the question the field is not painted
    EXPECT_EQ(Editor()->Board().BallCount(), balls);
    EXPECT_TRUE(CEngine::Get().OnEscape());
    EXPECT_EQ(Editor()->Question(), EEditorQuestion::None);
    EXPECT_FALSE(Panel()->IsQuestionShown());
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateNone);
    EXPECT_TRUE(Editor()->HasUnsavedChanges());
}

// With the answers side by side, Left and Right move the highlight to the answer that lies
// that way (round at the ends), and Return gives the highlighted answer, never another.
TEST_F(EditorTest, TheArrowsMoveTheQuestionsHighlightTheWayItsAnswersLie) {
    const std::vector<std::vector<uint8_t>> sequences = {
        {DIK_RIGHT}, {DIK_LEFT}, {DIK_RIGHT, DIK_RIGHT}, {DIK_LEFT, DIK_LEFT}, {DIK_RIGHT, DIK_LEFT, DIK_RIGHT}};
    for (const std::vector<uint8_t>& keys : sequences) {
        SCOPED_TRACE(testing::Message() << keys.size() << " keys, the first " << (keys[0] == DIK_RIGHT ? "Right" : "Left"));
        WriteLevels(1, 3);
        OpenEditor("2.lvl");
        Click(Point{240, 100});
        ASSERT_TRUE(CEngine::Get().OnEscape());
        ASSERT_EQ(Editor()->Question(), EEditorQuestion::UnsavedChanges);
        // The answers from left to right.
        std::vector<const CGuiButton*> row;
        for (int32_t i = 0; i < CGuiEditor::kMaxAnswers; ++i) {
            if (Panel()->AnswerButton(i).IsVisible()) {
                row.push_back(&Panel()->AnswerButton(i));
            }
        }
        ASSERT_EQ(row.size(), 3u);
        std::sort(row.begin(), row.end(), [](const CGuiButton* a, const CGuiButton* b) { return a->X() < b->X(); });
        Press(DIK_DOWN);   // shows the highlight where it starts
        const auto place = std::find(row.begin(), row.end(), Panel()->HoveredWidget());
        ASSERT_NE(place, row.end()) << "the highlight starts on an answer";
        EXPECT_EQ((*place)->CommandParam(), static_cast<int32_t>(EEditorAnswer::Cancel))
            << "a question that can destroy the changes opens on the harmless answer";
        int32_t expected = static_cast<int32_t>(place - row.begin());
        for (const uint8_t key : keys) {
            Press(key);
            expected = (expected + (key == DIK_RIGHT ? 1 : 2)) % 3;
            ASSERT_EQ(Panel()->HoveredWidget(), row[static_cast<size_t>(expected)]);
        }
        const auto answer = static_cast<EEditorAnswer>(row[static_cast<size_t>(expected)]->CommandParam());
        Press(DIK_RETURN);
        EXPECT_EQ(Editor()->Question(), EEditorQuestion::None);
        CBoard onDisk;
        ASSERT_TRUE(onDisk.LoadFromBytes(ReadFileBytes(m_folder + "/2.lvl").data(), kLevelFileSize));
        EXPECT_EQ(!onDisk.CellAt(2, 2).IsEmpty(), answer == EEditorAnswer::Save) << "only Save writes the level";
        EXPECT_EQ(CStateManager::Upper().GetPendingId() == kStateMainMenu, answer != EEditorAnswer::Cancel);
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
    }
}

TEST_F(EditorTest, TheMarkOfUnsavedChangesFollowsTheFieldAgainstTheStoredLevel) {
    WriteLevels(1, 2);
    OpenEditor("2.lvl");
    EXPECT_FALSE(Panel()->ChangesMark().IsVisible());
    Click(Point{240, 100});
    EXPECT_TRUE(Panel()->ChangesMark().IsVisible());
    // Taking the ball out again gives the stored level back: nothing is unsaved.
    Click(Point{240, 100}, kMouseRight);
    EXPECT_FALSE(Panel()->ChangesMark().IsVisible());
    Press(DIK_LEFT);
    EXPECT_TRUE(Panel()->ChangesMark().IsVisible());
    Click(kSave);
    EXPECT_FALSE(Panel()->ChangesMark().IsVisible());
    Click(kClear);
    EXPECT_TRUE(Panel()->ChangesMark().IsVisible());
    // Another level (after discarding) starts unchanged.
    Click(LevelSlot(0));
    Answer(EEditorAnswer::Discard);
    EXPECT_EQ(Editor()->LevelName(), "1.lvl");
    EXPECT_FALSE(Panel()->ChangesMark().IsVisible());
}

// ---------------------------------------------------------------- the player's saved game

// "Play Cont." would replace the current player's saved game: it asks first, and "No"
// keeps the save and the editor as they are.
TEST_F(EditorTest, PlayContinuedAsksBeforeItWouldReplaceTheSavedGame) {
    struct Case {
        const char* name;
        bool hasSave;
        EEditorAnswer answer;
        bool asked;
        bool played;
    };
    const Case cases[] = {
        {"no saved game", false, EEditorAnswer::Yes, false, true},
        {"saved game, yes", true, EEditorAnswer::Yes, true, true},
        {"saved game, no", true, EEditorAnswer::No, true, false},
    };
    WriteLevels(1, 4);
    MountDataFolder();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearPlayers();
        ASSERT_NE(CreatePlayer("Ann"), nullptr);
        std::remove((m_temp / "ply1.sav").c_str());
        if (c.hasSave) {
            WritePlayerSave();
        }
        g_gameStart = GameStart{};
        OpenEditor("3.lvl");
        Click(kPlayCont);
        EXPECT_EQ(Editor()->Question() == EEditorQuestion::ReplaceSavedGame, c.asked);
        EXPECT_EQ(Panel()->IsQuestionShown(), c.asked);
        if (c.asked) {
            EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateNone);
            Answer(c.answer);
        }
        ApplyRequests();
        EXPECT_EQ(g_gameStart.starts, c.played ? 1 : 0);
        if (c.played) {
            EXPECT_FALSE(g_gameStart.editorTest);
            EXPECT_EQ(g_gameStart.levelNumber, 3);
        } else {
            ASSERT_NE(Editor(), nullptr);
            EXPECT_EQ(Editor()->LevelName(), "3.lvl");
            EXPECT_FALSE(Panel()->IsQuestionShown());
            EXPECT_TRUE(Panel()->CommandButton(kPlayCont).IsVisible());
        }
        if (c.hasSave) {
            EXPECT_EQ(ReadFileBytes(m_temp / "ply1.sav"), SaveBytes());
        }
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
    }
    ClearPlayers();
}

// A changed level and a saved game: both questions, one after the other.
TEST_F(EditorTest, PlayContinuedOnAChangedLevelAsksAboutTheChangesThenAboutTheSave) {
    WriteLevels(1, 4);
    MountDataFolder();
    ClearPlayers();
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    WritePlayerSave();
    OpenEditor("3.lvl");
    Click(Point{240, 100});
    Click(kPlayCont);
    EXPECT_EQ(Editor()->Question(), EEditorQuestion::UnsavedChanges);
    Answer(EEditorAnswer::Save);
    EXPECT_EQ(Editor()->Question(), EEditorQuestion::ReplaceSavedGame);
    EXPECT_TRUE(Panel()->IsQuestionShown());
    Answer(EEditorAnswer::No);
    ApplyRequests();
    EXPECT_EQ(g_gameStart.starts, 0);
    EXPECT_EQ(ReadFileBytes(m_temp / "ply1.sav"), SaveBytes());
    // The changes were saved all the same.
    EXPECT_FALSE(Editor()->HasUnsavedChanges());
    ClearPlayers();
}

// A test play never writes the player's saved game, not even when it is left after a shot
// (which saves a normal game).
TEST_F(EditorTest, ATestPlayLeftAfterAShotKeepsThePlayersSavedGame) {
    WriteLevels(1, 7);
    MountDataFolder();
    MountShippedPack();
    CLanguage::Get().SetLanguage(kLanguageEnglish);
    ClearPlayers();
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    SelectDifficulty(3);
    WritePlayerSave();
    // Level 5: a full top row of colour 0; a shot of colour 1 sticks without clearing.
    CBoard full;
    full.ClearGrids();
    for (int32_t column = 0; column < 10; ++column) {
        full.SetCell(0, 0, column, 0);
    }
    Bytes bytes(kLevelFileSize);
    full.StoreToBytes(bytes.data());
    ASSERT_TRUE(WriteFileBytes(m_folder + "/5.lvl", bytes));
    g_realGame = true;

    OpenEditor("5.lvl");
    Click(kPlay);
    ApplyRequests();
    CGame* game = dynamic_cast<CGame*>(CStateManager::Lower().GetState(0));
    ASSERT_NE(game, nullptr);
    PointAt(320, 100);
    for (int32_t i = 0; i < 1000 && game->MainPanel().IsShown(); ++i) {
        Frame();
    }
    ASSERT_FALSE(game->MainPanel().IsShown());
    game->Playfield().SetBalls(BallCell{1, 0}, BallCell{1, 0});
    Click(Point{320, 100});
    for (int32_t i = 0; i < 1000 && !game->Playfield().IsReady(); ++i) {
        Frame();
    }
    ASSERT_TRUE(game->Playfield().HasSeenShot());
    EXPECT_TRUE(CEngine::Get().OnEscape());
    for (int32_t i = 0; i < 1000 && CStateManager::Upper().GetPendingId() != kStateMainMenu; ++i) {
        Frame();
    }
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateMainMenu);
    EXPECT_EQ(ReadFileBytes(m_temp / "ply1.sav"), SaveBytes());
    EXPECT_EQ(ReadFileBytes(m_temp / "ply1.lvl"), Bytes(3221, 0x3C));
    ClearPlayers();
}

// ---------------------------------------------------------------- more than eight levels

TEST_F(EditorTest, TwentyLevelsShowPagesOfEightEightAndFourWithNewOnTheLast) {
    WriteLevels(1, 20);
    OpenEditor("1.lvl");
    EXPECT_EQ(Panel()->PageCount(), 3);
    EXPECT_EQ(Slots(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(Panel()->NewButton().IsVisible());
    EXPECT_FALSE(Panel()->PreviousPageButton().IsVisible());
    ASSERT_TRUE(Panel()->NextPageButton().IsVisible());
    Click(Point{Panel()->NextPageButton().X() + 8, Panel()->NextPageButton().Y() + 12});
    EXPECT_EQ(Slots(), (std::vector<int32_t>{9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(MarkedSlot(), -1);
    Click(Point{Panel()->NextPageButton().X() + 8, Panel()->NextPageButton().Y() + 12});
    EXPECT_EQ(Slots(), (std::vector<int32_t>{17, 18, 19, 20, 0, 0, 0, 0}));
    EXPECT_TRUE(Panel()->NewButton().IsVisible());
    EXPECT_FALSE(Panel()->NextPageButton().IsVisible());
    Click(LevelSlot(3));
    EXPECT_EQ(Editor()->LevelName(), "20.lvl");
    Click(kNew);
    EXPECT_EQ(Editor()->LevelName(), "21.lvl");
    Click(kSave);
    EXPECT_EQ(Slots(), (std::vector<int32_t>{17, 18, 19, 20, 21, 0, 0, 0}));
    EXPECT_EQ(MarkedSlot(), 4);
    Click(Point{Panel()->PreviousPageButton().X() + 8, Panel()->PreviousPageButton().Y() + 12});
    EXPECT_EQ(Slots(), (std::vector<int32_t>{9, 10, 11, 12, 13, 14, 15, 16}));
}

TEST_F(EditorTest, MoveDownOnLevelEightReachesPageTwo) {
    WriteLevels(1, 20);
    OpenEditor("8.lvl");
    Click(kMoveDown);
    EXPECT_EQ(Editor()->LevelName(), "9.lvl");
    EXPECT_EQ(MarkerOnDisk(9), 8);
    EXPECT_EQ(MarkerOnDisk(8), 9);
    EXPECT_EQ(Panel()->Page(), 1);
    EXPECT_EQ(MarkedSlot(), 0);
    Click(kMoveUp);
    EXPECT_EQ(Panel()->Page(), 0);
    EXPECT_EQ(MarkedSlot(), 7);
    EXPECT_EQ(MarkerOnDisk(8), 8);
}

// ---------------------------------------------------------------- the shipped pack

TEST_F(EditorTest, TheShippedPackIsEditedAndReorderedInTheFolderAndTheArchiveStaysAsItIs) {
    const Bytes archive = ReadFileBytes(PELLORA_DATA_DIR "/levels.nuf");
    ASSERT_FALSE(archive.empty());
    MountShippedPack();
    OpenEditor("1.lvl");
    EXPECT_GT(Panel()->LevelCount(), kLevelsPerPage);
    EXPECT_EQ(Slots(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    CBoard shipped1;
    CBoard shipped2;
    ASSERT_TRUE(shipped1.LoadLevel("1.lvl"));
    ASSERT_TRUE(shipped2.LoadLevel("2.lvl"));
    Click(Point{460, 300});   // right click empties the cell (9, 9)
    Click(Point{460, 300}, kMouseRight);
    Click(kSave);
    ASSERT_EQ(ReadFileBytes(m_folder + "/1.lvl").size(), kLevelFileSize);
    // Move down: both levels come into the folder, exchanged.
    Click(kMoveDown);
    EXPECT_EQ(Editor()->LevelName(), "2.lvl");
    CBoard moved;
    ASSERT_TRUE(moved.LoadLevel("1.lvl"));
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            EXPECT_EQ(moved.CellAt(column, row), shipped2.CellAt(column, row));
        }
    }
    EXPECT_EQ(ReadFileBytes(m_folder + "/1.lvl").size(), kLevelFileSize);
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl").size(), kLevelFileSize);
    EXPECT_EQ(ReadFileBytes(PELLORA_DATA_DIR "/levels.nuf"), archive);
}

// ---------------------------------------------------------------- damaged files

TEST_F(EditorTest, DamagedLevelFilesAreRefusedOrCleanedAndTheEditorRunsOn) {
    struct Case {
        const char* what;
        Bytes bytes;
        ELevelLoad result;
        int32_t balls;
    };
    Bytes outOfRange = LevelBytes(2);
    outOfRange[8] = 99;                     // colour 99 in cell (1, 0)
    // A ball of colour 3 (the whole colour word, frame 0) in column 9 of row 1, a short row:
    // a known colour in a cell that is not on the field.
    Bytes offField = LevelBytes(2);
    WriteLe32(&offField[(1 * 10 + 9) * 8], 3);
    WriteLe32(&offField[(1 * 10 + 9) * 8 + 4], 0);
    ASSERT_FALSE(IsFieldCell(9, 1));
    Bytes longer = LevelBytes(2);
    longer.resize(2000, 0x55);
    Bytes negative = LevelBytes(2);
    for (int i = 16; i < 20; ++i) {
        negative[i] = 0x80;                 // a huge negative colour in cell (2, 0)
    }
    const Case cases[] = {
        {"short", Bytes(100, 0), ELevelLoad::Refused, 0},
        {"long", longer, ELevelLoad::Cleaned, 1},   // what follows the level is left out
        {"empty", Bytes(), ELevelLoad::Refused, 0},
        {"out of range", outOfRange, ELevelLoad::Cleaned, 1},
        {"off the field", offField, ELevelLoad::Cleaned, 1},
        {"negative", negative, ELevelLoad::Cleaned, 1},
        {"sound", LevelBytes(2), ELevelLoad::Loaded, 1},
    };
    WriteLevels(1, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileBytes(m_folder + "/2.lvl", c.bytes));
        CBoard board;
        board.ClearGrids();
        board.SetCell(5, 0, 4, 4);
        EXPECT_EQ(LoadEditorLevel(board, "2.lvl"), c.result);
        EXPECT_EQ(board.BallCount(), c.balls);
        for (int32_t row = 0; row < kBoardRows; ++row) {
            for (int32_t column = 0; column < kBoardColumns; ++column) {
                const BallCell cell = board.CellAt(column, row);
                EXPECT_TRUE(BallColour::IsKnown(cell.colour));
                EXPECT_TRUE(cell.IsEmpty() || IsFieldCell(column, row));
            }
        }
    }
    // A missing file leaves the field as it is.
    CBoard board;
    board.ClearGrids();
    board.SetCell(5, 0, 4, 4);
    EXPECT_EQ(LoadEditorLevel(board, "7.lvl"), ELevelLoad::Missing);
    EXPECT_EQ(board.BallCount(), 1);
    // The editor opens a damaged level as an empty field and keeps running.
    ASSERT_TRUE(WriteFileBytes(m_folder + "/2.lvl", Bytes(10, 0xFF)));
    OpenEditor("2.lvl");
    EXPECT_EQ(Editor()->LevelName(), "2.lvl");
    EXPECT_EQ(Editor()->Board().BallCount(), 0);
    Click(Point{240, 100});
    Click(kSave);
    Click(kSave);
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl").size(), kLevelFileSize);
}

TEST_F(EditorTest, TheGameAndTheEditorJudgeALevelFileAlike) {
    Bytes oneMore = LevelBytes(2);
    oneMore.push_back(0x0A);   // a level of 1041 bytes
    Bytes oneLess = LevelBytes(2);
    oneLess.pop_back();
    Bytes outOfRange = LevelBytes(2);
    outOfRange[8] = 99;
    Bytes offField = LevelBytes(2);
    offField[(1 * 10 + 9) * 8] = 3;
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"a level", LevelBytes(2)},
        {"one byte more", oneMore},
        {"one byte less", oneLess},
        {"a colour out of range", outOfRange},
        {"a ball off the field", offField},
        {"empty", Bytes()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileBytes(m_folder + "/2.lvl", c.bytes));
        CBoard game;
        const CBoard::ELevelRead read = game.ReadLevel("2.lvl");
        CBoard editor;
        const ELevelLoad load = LoadEditorLevel(editor, "2.lvl");
        EXPECT_EQ(read == CBoard::ELevelRead::Refused, load == ELevelLoad::Refused);
        EXPECT_EQ(read == CBoard::ELevelRead::Cleaned, load == ELevelLoad::Cleaned);
        for (int32_t row = 0; row < kBoardRows; ++row) {
            for (int32_t column = 0; column < kBoardColumns; ++column) {
                EXPECT_EQ(game.CellAt(column, row).colour, editor.CellAt(column, row).colour) << column << "," << row;
            }
        }
    }
}

TEST_F(EditorTest, AnUnreadableLevelIsSavedOverOnlyOnThePlayersWord) {
    ClearNotices();
    WriteLevels(1, 1);
    const Bytes unreadable(10, 0xFF);
    ASSERT_TRUE(WriteFileBytes(m_folder + "/2.lvl", unreadable));
    OpenEditor("2.lvl");
    ASSERT_NE(CurrentNotice(), nullptr) << "opening it says the file could not be read";
    EXPECT_EQ(CurrentNotice()->first, CLanguage::Get().TxtEditorLevelUnreadable());
    ClearNotices();
    // Play and Save each save first: the first of them is refused with a word.
    Click(kPlay);
    EXPECT_EQ(g_gameStart.starts, 0);
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl"), unreadable);
    ASSERT_NE(CurrentNotice(), nullptr);
    EXPECT_EQ(CurrentNotice()->second, CLanguage::Get().TxtEditorSaveAgain());
    // The next one is the player's word: the level is written, the unread file kept.
    Click(kSave);
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl").size(), kLevelFileSize);
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl.bad"), unreadable);
}

TEST_F(EditorTest, ADamagedEditedLevelGivesWayToTheShippedOne) {
    MountShippedPack();
    ClearNotices();
    ClearPlayers();
    ASSERT_NE(CreatePlayer("Ann"), nullptr);
    SelectDifficulty(3);
    g_realGame = true;
    CBoard shipped;
    ASSERT_EQ(shipped.ReadLevel("1.lvl"), CBoard::ELevelRead::Loaded);
    ASSERT_GT(shipped.BallCount(), 0);
    ASSERT_TRUE(WriteFileBytes(m_folder + "/1.lvl", Bytes(100, 0x33)));

    StartNewGame();
    g_editorTestPlay = false;
    ApplyRequests();
    CGame* game = dynamic_cast<CGame*>(CStateManager::Lower().GetState(0));
    ASSERT_NE(game, nullptr);
    EXPECT_FALSE(game->IsGameOver()) << "the game plays the shipped level";
    EXPECT_EQ(g_levelNumber, 1);
    EXPECT_EQ(game->Playfield().Board().BallCount(), shipped.BallCount());
    ASSERT_NE(CurrentNotice(), nullptr);
    EXPECT_EQ(CurrentNotice()->first, CLanguage::Get().TxtEditedLevelUnreadable());
    EXPECT_EQ(CurrentNotice()->second, CLanguage::Get().TxtShippedLevelPlayed());
    EXPECT_EQ(ReadFileBytes(m_folder + "/1.lvl"), Bytes(100, 0x33)) << "the edited file stays as it is";
}

TEST_F(EditorTest, ASpareNameLeftByAnInterruptedExchangeBecomesTheMissingLevel) {
    WriteLevels(1, 4);
    // Cut off after its first step, an exchange of 2 and 3 leaves 3 as the spare name.
    ASSERT_EQ(std::rename((m_folder + "/3.lvl").c_str(), (m_folder + "/_tmp.lvl").c_str()), 0);
    OpenEditor("1.lvl");
    EXPECT_FALSE(PathExists(m_folder + "/_tmp.lvl"));
    EXPECT_EQ(MarkerOnDisk(3), 3);
    EXPECT_EQ(Panel()->LevelCount(), 4);
}
// ---------------------------------------------------------------- drawing

// The editor drawn by a real renderer (software, on SDL's dummy video driver).
class EditorDrawingTest : public EditorTest {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(OpenSoftwareScreen()); }
    static void TearDownTestSuite() { CloseSoftwareScreen(); }
    // Both layers drawn as the engine draws them (without the cursor); rows from the bottom.
    static Bytes Draw() { return DrawScreen(EDrawnLayers::Both, false); }
    static void Keep(const Bytes& pixels, const std::string& name) { EXPECT_TRUE(KeepPicture(pixels, name)); }
};

TEST_F(EditorDrawingTest, TheBrushShowsOverTheCellUnderTheCursorAndNowhereElse) {
    WriteLevels(1, 3);
    OpenEditor("1.lvl");
    Press(DIK_Z);
    PointAt(600, 300);
    Frame();
    const Bytes plain = Draw();
    Keep(plain, "editor-short.tga");
    EXPECT_GT(DifferingPixels(plain, Bytes(plain.size(), 0), 0, 0, 640, 480), 100000);
    // Over cell (4, 6): the brush ball is drawn there, nothing changes elsewhere.
    PointAt(300, 32 + 28 * 6 + 10);
    Frame();
    const Bytes preview = Draw();
    Keep(preview, "editor-preview.tga");
    const int cellLeft = 160 + 4 * 32;
    const int cellTop = 32 + 6 * 28;
    EXPECT_GT(DifferingPixels(plain, preview, cellLeft, cellTop, cellLeft + 32, cellTop + 32), 200);
    EXPECT_EQ(DifferingPixels(plain, preview, 0, 0, 640, cellTop), 0);
    EXPECT_EQ(DifferingPixels(plain, preview, 0, cellTop + 32, 640, 480), 0);
    // Over row 12, which cannot be edited, no brush is drawn.
    PointAt(300, 32 + 28 * 12 + 10);
    Frame();
    EXPECT_EQ(DifferingPixels(plain, Draw(), 0, 0, 640, 480), 0);
}

TEST_F(EditorDrawingTest, APackOfTwentyShowsThePagerWhereAShortPackShowsNone) {
    WriteLevels(1, 3);
    OpenEditor("1.lvl");
    PointAt(600, 300);
    Frame();
    const Bytes shortPack = Draw();
    CStateManager::Upper().SetState(kStateNone, true);
    CStateManager::Lower().SetState(kStateNone, true);
    WriteLevels(4, 20);
    OpenEditor("1.lvl");
    PointAt(600, 300);
    Frame();
    const Bytes fullPack = Draw();
    Keep(fullPack, "editor-twenty.tga");
    // Levels 4 to 8 and the pager below the column; the field and the commands are the same
    // but for "New", which the first page of twenty does not offer.
    EXPECT_GT(DifferingPixels(shortPack, fullPack, 0, 66, 64, 220), 300);
    const CGuiButton& newButton = Panel()->NewButton();
    const int newLeft = newButton.X() - newButton.TextWidth() / 2;
    EXPECT_GT(DifferingPixels(shortPack, fullPack, newLeft, newButton.Y(), newLeft + newButton.TextWidth(),
                        newButton.Y() + newButton.H()),
              50);
    EXPECT_EQ(DifferingPixels(shortPack, fullPack, 64, 0, newLeft - 2, 480), 0);
}
}  // namespace

// ---------------------------------------------------------------- by keys

// With the keys in use the panel's buttons take a focus that Up and Down step through in
// reading order, Return chooses; Left and Right stay the rows' shift.
TEST_F(EditorTest, ThePanelsButtonsByKeysWhileLeftAndRightStillShiftTheRows) {
    WriteLevels(1, 3);
    OpenEditor("2.lvl");
    ASSERT_FALSE(Editor()->Board().CellAt(0, 0).IsEmpty());
    Press(DIK_DOWN);
    ASSERT_NE(Panel()->HoveredWidget(), nullptr) << "the first Down shows the focus";
    std::vector<std::string> visited;
    for (int32_t i = 0; i < 30 && std::string(Panel()->HoveredWidget()->Text()) != "Clear"; ++i) {
        visited.emplace_back(Panel()->HoveredWidget()->Text());
        Press(DIK_DOWN);
    }
    ASSERT_STREQ(Panel()->HoveredWidget()->Text(), "Clear");
    EXPECT_EQ(std::count(visited.begin(), visited.end(), std::string("Clear")), 0);
    Press(DIK_LEFT);
    EXPECT_STREQ(Panel()->HoveredWidget()->Text(), "Clear") << "Left moves no focus";
    EXPECT_TRUE(Editor()->Board().CellAt(0, 0).IsEmpty());
    EXPECT_FALSE(Editor()->Board().CellAt(9, 0).IsEmpty()) << "Left shifted the rows";
    Press(DIK_RETURN);
    EXPECT_EQ(Editor()->Board().BallCount(), 0);
}
