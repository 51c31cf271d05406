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
#include "profile/Players.h"
#include "resources/FileManager.h"
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
constexpr Point kNew{190, 392};
constexpr Point kClear{190, 422};
constexpr Point kMoveUp{300, 392};
constexpr Point kMoveDown{300, 422};
constexpr Point kSave{440, 392};
constexpr Point kPlay{440, 422};
constexpr Point kPlayCont{440, 452};
Point LevelSlot(int32_t slot) { return Point{12, 22 * slot + 12}; }

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
    // The level column sits at the left edge, 22 pixels apart.
    EXPECT_EQ(Panel()->LevelButton(2).X(), 5);
    EXPECT_EQ(Panel()->LevelButton(2).Y(), 44);
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
        Point button;
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

TEST_F(EditorTest, PlayOnANewLevelSavesItFirst) {
    WriteLevels(1, 2);
    OpenEditor("no-such-level.lvl");
    Press(DIK_S);
    Click(Point{300, 48});
    Click(kPlay);
    ApplyRequests();
    EXPECT_EQ(g_gameStart.levelFileName, "3.lvl");
    const Bytes saved = ReadFileBytes(m_folder + "/3.lvl");
    ASSERT_EQ(saved.size(), kLevelFileSize);
}

TEST_F(EditorTest, EscapeLeavesForTheMainMenuWithoutSaving) {
    WriteLevels(1, 2);
    OpenEditor("2.lvl");
    Click(Point{300, 48});
    EXPECT_TRUE(CEngine::Get().OnEscape());
    EXPECT_EQ(CStateManager::Lower().GetPendingId(), kStateEmpty);
    EXPECT_EQ(CStateManager::Upper().GetPendingId(), kStateMainMenu);
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl"), LevelBytes(2));
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
    Bytes offField = LevelBytes(2);
    offField[(1 * 10 + 9) * 8] = 3;         // a ball in column 9 of row 1
    Bytes negative = LevelBytes(2);
    for (int i = 16; i < 20; ++i) {
        negative[i] = 0x80;                 // a huge negative colour in cell (2, 0)
    }
    const Case cases[] = {
        {"short", Bytes(100, 0), ELevelLoad::Refused, 0},
        {"long", Bytes(2000, 0), ELevelLoad::Refused, 0},
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
    EXPECT_EQ(ReadFileBytes(m_folder + "/2.lvl").size(), kLevelFileSize);
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
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    static void SetUpTestSuite() {
        setenv("SDL_RENDER_DRIVER", "software", 1);
        CWindow& window = CWindow::Get();
        ASSERT_TRUE(window.InitVideo());
        ASSERT_TRUE(window.Create("Pellora test", kWidth, kHeight, false));
        ASSERT_TRUE(CGfxOGL::Get().Create(window.GetSdlWindow(), kWidth, kHeight, 32, 32, 0, false));
    }
    static void TearDownTestSuite() {
        CGfxOGL::Get().Destroy();
        CWindow::Get().Destroy();
        CWindow::Get().ShutdownVideo();
    }
    // Both layers drawn as the engine draws them (without the cursor); rows from the bottom.
    static Bytes Draw() {
        CGfxOGL& gfx = CGfxOGL::Get();
        gfx.Clear();
        gfx.BeginScene();
        gfx.LoadIdentity();
        CStateManager::Lower().Render();
        CStateManager::Upper().Render();
        gfx.EndScene();
        Bytes pixels(static_cast<size_t>(kWidth) * kHeight * 3);
        EXPECT_TRUE(gfx.ReadPixels(pixels.data()));
        return pixels;
    }
    // Pixels that differ inside (left, top)-(right, bottom).
    static int32_t Differing(const Bytes& a, const Bytes& b, int left, int top, int right, int bottom) {
        int32_t count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const size_t i = (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 3;
                count += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] ? 1 : 0;
            }
        }
        return count;
    }
    // With PELLORA_E2E_SHOTS set to a folder, the picture is kept there as a TGA file.
    static void Keep(const Bytes& pixels, const std::string& name) {
        const char* folder = std::getenv("PELLORA_E2E_SHOTS");
        if (folder == nullptr) {
            return;
        }
        Bytes tga(18, 0);
        tga[2] = 2;
        tga[12] = kWidth & 0xFF;
        tga[13] = kWidth >> 8;
        tga[14] = kHeight & 0xFF;
        tga[15] = kHeight >> 8;
        tga[16] = 24;
        for (size_t i = 0; i < pixels.size(); i += 3) {
            tga.insert(tga.end(), {pixels[i + 2], pixels[i + 1], pixels[i]});
        }
        EXPECT_TRUE(WriteFileBytes(std::string(folder) + "/" + name, tga));
    }
};

TEST_F(EditorDrawingTest, TheBrushShowsOverTheCellUnderTheCursorAndNowhereElse) {
    WriteLevels(1, 3);
    OpenEditor("1.lvl");
    Press(DIK_Z);
    PointAt(600, 300);
    Frame();
    const Bytes plain = Draw();
    Keep(plain, "editor-short.tga");
    EXPECT_GT(Differing(plain, Bytes(plain.size(), 0), 0, 0, 640, 480), 100000);
    // Over cell (4, 6): the brush ball is drawn there, nothing changes elsewhere.
    PointAt(300, 32 + 28 * 6 + 10);
    Frame();
    const Bytes preview = Draw();
    Keep(preview, "editor-preview.tga");
    const int cellLeft = 160 + 4 * 32;
    const int cellTop = 32 + 6 * 28;
    EXPECT_GT(Differing(plain, preview, cellLeft, cellTop, cellLeft + 32, cellTop + 32), 200);
    EXPECT_EQ(Differing(plain, preview, 0, 0, 640, cellTop), 0);
    EXPECT_EQ(Differing(plain, preview, 0, cellTop + 32, 640, 480), 0);
    // Over row 12, which cannot be edited, no brush is drawn.
    PointAt(300, 32 + 28 * 12 + 10);
    Frame();
    EXPECT_EQ(Differing(plain, Draw(), 0, 0, 640, 480), 0);
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
    EXPECT_GT(Differing(shortPack, fullPack, 0, 66, 150, 220), 300);
    EXPECT_GT(Differing(shortPack, fullPack, 160, 380, 220, 400), 50);
    EXPECT_EQ(Differing(shortPack, fullPack, 150, 0, 640, 370), 0);
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
