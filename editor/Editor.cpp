#include "editor/Editor.h"

#include "core/Log.h"
#include "editor/LevelStore.h"
#include "engine/Engine.h"
#include "gui/ScreenFlow.h"
#include "gui/StateNumbers.h"
#include "platform/Input.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "resources/FileManager.h"

namespace {
// While the field is edited the cursor stays above the launcher; the panel frees it.
constexpr float kFieldCursorBottom = 370.0f;

struct BrushKey {
    uint8_t key;
    int32_t colour;
};
// Tested in this order: of several keys pressed in one step the last one wins.
constexpr BrushKey kBrushKeys[] = {
    {DIK_Q, 0},
    {DIK_W, 1},
    {DIK_E, 2},
    {DIK_R, 3},
    {DIK_A, 4},
    {DIK_S, 5},
    {DIK_D, 6},
    {DIK_F, 7},
    {DIK_Z, BallColour::Explosion},
    {DIK_X, BallColour::ChangeColor},
    {DIK_C, BallColour::ArrowLeft},
    {DIK_V, BallColour::ArrowRight},
    {DIK_1, BallColour::Multicolor},
    {DIK_2, BallColour::Obstacle},
};
}  // namespace

bool PlayerHasSavedGame() {
    const char* const name = CurrentPlayerSaveFile();
    return name != nullptr && name[0] != '\0' && CFileManager::Get().Exists(name);
}

bool EditorCellAt(float x, float y, const Vec3& origin, CellPos& out) {
    // Truncation towards zero: a point a little above or left of the field still picks
    // row 0 or column 0.
    const int32_t row = static_cast<int32_t>((y - origin.y) / kRowSpacing);
    if (row < 0 || row >= kEditableRows) {
        return false;
    }
    float dx = x - origin.x;
    if (IsShortFieldRow(row)) {
        dx -= kShortRowIndent;
        if (dx < 0.0f) {
            return false;
        }
    }
    const int32_t column = static_cast<int32_t>(dx / kBallSize);
    if (column < 0 || column >= FieldRowLength(row)) {
        return false;
    }
    out = CellPos{column, row};
    return true;
}

void RotateRows(CBoard& board, int32_t step) {
    for (int32_t row = 0; row < kBoardRows; ++row) {
        const int32_t length = FieldRowLength(row);
        BallCell cells[kBoardColumns];
        for (int32_t column = 0; column < length; ++column) {
            cells[column] = board.CellAt(column, row);
        }
        for (int32_t column = 0; column < length; ++column) {
            const BallCell& cell = cells[column];
            board.SetCell(cell.colour, cell.frame, (column + step + length) % length, row);
        }
    }
}

// ---------------------------------------------------------------- set-up

bool CEditor::Init() {
    g_editorTestPlay = true;
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kFieldCursorBottom);
    BuildSprites();
    m_scene.Load();
    m_playfield.Board().ResetPlacement();
    m_playfield.SetBalls(BallCell{0, 0}, BallCell{BallColour::Empty, 0});
    CEngine::Get().SetUpperState(kStateEditorPanel);

    RecoverSwapLeftover();
    FindFreeLevel();
    if (g_levelFileName == LevelFileName(LevelNumberOf(g_levelFileName)) && CFileManager::Get().Exists(g_levelFileName)) {
        m_levelName = g_levelFileName;
        LoadLevel(m_levelName);
    }
    // The panel marks the level being edited, whichever way it was chosen.
    g_levelFileName = m_levelName;
    m_question = EEditorQuestion::None;
    m_leave = ELeave::None;
    m_changesMarked = false;
    KeepStoredState();
    CLog::Get().Write("CEditor::Init level %s, free level %d", m_levelName.c_str(), m_freeLevel);
    return true;
}

void CEditor::BuildSprites() {
    // The game's sprites; the editor shows the field and the launcher only.
    m_gameSprites.Build();
    m_sprites = PlayfieldSprites();
    m_sprites.balls = m_gameSprites.Sprites().balls;
    m_sprites.launcher = m_gameSprites.Sprites().launcher;
}

void CEditor::Shutdown() {
    m_gameSprites.Clear();
    m_sprites = PlayfieldSprites();
}

// ---------------------------------------------------------------- levels

void CEditor::FindFreeLevel() {
    const int32_t count = CountLevels();
    m_freeLevel = count + 1;
    if (CanAddLevel(count)) {
        m_levelName = LevelFileName(m_freeLevel);
        return;
    }
    m_levelName = LevelFileName(1);
    LoadLevel(m_levelName);
}

void CEditor::LoadLevel(const std::string& name) {
    m_levelUnreadable = LoadEditorLevel(m_playfield.Board(), name) == ELevelLoad::Refused;
    m_replaceAsked = false;
    if (m_levelUnreadable) {
        ReportUnreadable(&CTextTable::TxtEditorLevelUnreadable, nullptr, name);
    }
    KeepStoredState();
}

void CEditor::EmptyField() {
    m_playfield.Board().ClearGrids();
}

void CEditor::KeepStoredState() {
    m_playfield.Board().StoreToBytes(m_storedState.data());
}

bool CEditor::HasUnsavedChanges() const {
    m_playfield.Board().StoreToBytes(m_fieldState.data());
    return m_fieldState != m_storedState;
}

bool CEditor::Save() {
    CFileManager& files = CFileManager::Get();
    if (m_levelUnreadable && files.Exists(m_levelName)) {
        // The first Save (or Play) is refused with a word on screen; the next one is the
        // player's consent, and the unread file is kept beside the new one.
        if (!m_replaceAsked) {
            ReportUnreadable(&CTextTable::TxtEditorLevelUnreadable, &CTextTable::TxtEditorSaveAgain, m_levelName);
            m_replaceAsked = true;
            return false;
        }
        files.MarkDamaged(m_levelName);
        m_levelUnreadable = false;
    }
    if (files.Exists(m_levelName)) {
        if (!SaveEditorLevel(m_playfield.Board(), m_levelName)) {
            return false;
        }
        KeepStoredState();
        return true;
    }
    // A new level: its button comes only once its file is there.
    g_levelFileName = m_levelName;
    if (!SaveEditorLevel(m_playfield.Board(), m_levelName)) {
        return false;
    }
    KeepStoredState();
    const int32_t number = LevelNumberOf(m_levelName);
    if (number >= m_freeLevel) {
        m_freeLevel = number + 1;
    }
    CEngine::Get().BroadcastMessage(kCommandLevelAdded, 0);
    CEngine::Get().BroadcastMessage(kCommandShowLevel, 0);
    return true;
}

void CEditor::Play(bool testOnly) {
    // An unread level file is not played over without the player's word.
    if (!Save()) {
        return;
    }
    g_levelFileName = m_levelName;
    const int32_t number = LevelNumberOf(m_levelName);
    g_levelNumber = number;
    g_firstLevel = number;
    g_lastLevel = testOnly ? number + 1 : kNoLastLevel;
    g_editorTestPlay = testOnly;
    g_continueSavedGame = false;
    GoToLowerScreen(kStateGame);
}

void CEditor::Move(int32_t step) {
    g_levelFileName = m_levelName;
    const int32_t number = LevelNumberOf(m_levelName);
    const int32_t other = number + step;
    const bool possible = number >= 1 && other >= 1 && other < m_freeLevel && LevelExists(number);
    if (possible && ExchangeLevels(m_levelName, LevelFileName(other))) {
        m_levelName = LevelFileName(other);
    }
    ShowLevel();
}

// ---------------------------------------------------------------- leaving a level

// A changed level asks Save / Discard / Cancel before it is left; a game played on asks
// before it would replace the player's saved game. A test play never saves a game.
void CEditor::Leave(ELeave leave, int32_t level) {
    m_leave = leave;
    m_leaveLevel = level;
    m_changesDiscarded = false;
    if (HasUnsavedChanges()) {
        Ask(EEditorQuestion::UnsavedChanges);
        return;
    }
    LeaveUnlessGameReplaced();
}

void CEditor::LeaveUnlessGameReplaced() {
    if (m_leave == ELeave::PlayOn && PlayerHasSavedGame()) {
        Ask(EEditorQuestion::ReplaceSavedGame);
        return;
    }
    CarryOutLeave();
}

void CEditor::CarryOutLeave() {
    const ELeave leave = m_leave;
    m_leave = ELeave::None;
    switch (leave) {
        case ELeave::OtherLevel:
            m_levelName = LevelFileName(m_leaveLevel);
            LoadLevel(m_levelName);
            ShowLevel();
            break;
        case ELeave::NewLevel:
            EmptyField();
            FindFreeLevel();
            KeepStoredState();
            ShowLevel();
            break;
        case ELeave::MainMenu:
            BackToMainMenu();
            break;
        case ELeave::Program:
            LeaveProgram();
            break;
        case ELeave::TryLevel:
        case ELeave::PlayOn:
            // A new level whose changes were discarded has nothing to play.
            if (!m_changesDiscarded || CFileManager::Get().Exists(m_levelName)) {
                Play(leave == ELeave::TryLevel);
            }
            break;
        case ELeave::None:
            break;
    }
}

void CEditor::Ask(EEditorQuestion question) {
    m_question = question;
    CEngine::Get().BroadcastMessage(kCommandAskQuestion, static_cast<int32_t>(question));
}

void CEditor::OnAnswer(EEditorAnswer answer) {
    const EEditorQuestion question = m_question;
    m_question = EEditorQuestion::None;
    if (question == EEditorQuestion::UnsavedChanges && answer == EEditorAnswer::Save) {
        // A level that could not be written stays open with its changes.
        if (Save()) {
            LeaveUnlessGameReplaced();
        } else {
            m_leave = ELeave::None;
        }
    } else if (question == EEditorQuestion::UnsavedChanges && answer == EEditorAnswer::Discard) {
        m_playfield.Board().LoadFromBytes(m_storedState.data(), m_storedState.size());
        m_changesDiscarded = true;
        LeaveUnlessGameReplaced();
    } else if (question == EEditorQuestion::ReplaceSavedGame && answer == EEditorAnswer::Yes) {
        CarryOutLeave();
    } else {
        m_leave = ELeave::None;
    }
    if (m_question == EEditorQuestion::None) {
        // Answered without a further question: the panel closes it.
        CEngine::Get().BroadcastMessage(kCommandAskQuestion, static_cast<int32_t>(EEditorQuestion::None));
    }
}

void CEditor::ShowLevel() {
    g_levelFileName = m_levelName;
    CEngine::Get().BroadcastMessage(kCommandShowLevel, 0);
}

void CEditor::OnMessage(int32_t messageId, int32_t parameter) {
    if (messageId == kCommandAnswer) {
        if (m_question != EEditorQuestion::None) {
            OnAnswer(static_cast<EEditorAnswer>(parameter));
        }
        return;
    }
    if (m_question != EEditorQuestion::None) {
        // The panel offers only the answers while it asks.
        return;
    }
    switch (messageId) {
        case kCommandNewLevel:
            Leave(ELeave::NewLevel, 0);
            break;
        case kCommandClearLevel:
            EmptyField();
            break;
        case kCommandLoadLevel:
            if (parameter >= 1 && parameter <= kMaxEditorLevels) {
                Leave(ELeave::OtherLevel, parameter);
            }
            break;
        case kCommandSaveLevel:
            Save();
            break;
        case kCommandPlayLevel:
            Leave(ELeave::TryLevel, 0);
            break;
        case kCommandPlayFromLevel:
            Leave(ELeave::PlayOn, 0);
            break;
        case kCommandMoveLevelUp:
            Move(-1);
            break;
        case kCommandMoveLevelDown:
            Move(1);
            break;
        case kStateMainMenu:
            Leave(ELeave::MainMenu, 0);
            break;
        default:
            break;
    }
}

// Escape answers an open question as "No" / "Cancel"; otherwise it is "Main Menu".
bool CEditor::OnEscape() {
    if (m_question == EEditorQuestion::ReplaceSavedGame) {
        CEngine::Get().BroadcastMessage(kCommandAnswer, static_cast<int32_t>(EEditorAnswer::No));
    } else if (m_question == EEditorQuestion::UnsavedChanges) {
        CEngine::Get().BroadcastMessage(kCommandAnswer, static_cast<int32_t>(EEditorAnswer::Cancel));
    } else {
        Leave(ELeave::MainMenu, 0);
    }
    return true;
}

// The window closing is one more way out of the level: a changed level asks first (again,
// for this way, when it was asking about another); an unchanged one lets the program end.
bool CEditor::OnCloseRequested() {
    if (!HasUnsavedChanges()) {
        return false;
    }
    Leave(ELeave::Program, 0);
    return true;
}

// ---------------------------------------------------------------- update

void CEditor::Update(float dt) {
    if (m_question == EEditorQuestion::None) {
        UpdateBrush();
        UpdateClicks();
    }
    UpdateChangeMark();
}

void CEditor::UpdateChangeMark() {
    const bool changed = HasUnsavedChanges();
    if (changed != m_changesMarked) {
        m_changesMarked = changed;
        CEngine::Get().BroadcastMessage(kCommandMarkChanges, changed ? 1 : 0);
    }
}

void CEditor::UpdateBrush() {
    const CInput& input = CInput::Get();
    BallCell brush = m_playfield.CurrentBall();
    for (const BrushKey& key : kBrushKeys) {
        if (input.KeyHit(key.key)) {
            brush = BallCell{key.colour, 0};
        }
    }
    m_playfield.SetBalls(brush, m_playfield.NextBallCell());
    if (input.KeyHit(DIK_LEFT)) {
        RotateRows(m_playfield.Board(), -1);
    } else if (input.KeyHit(DIK_RIGHT)) {
        RotateRows(m_playfield.Board(), 1);
    }
}

void CEditor::UpdateClicks() {
    const CInput& input = CInput::Get();
    const bool paint = input.MouseButtonHit(kMouseLeft);
    const bool erase = input.MouseButtonHit(kMouseRight);
    if (!paint && !erase) {
        return;
    }
    const CMouseCursor& cursor = CMouseCursor::Get();
    CellPos cell;
    if (!EditorCellAt(cursor.GetX(), cursor.GetY(), m_playfield.Board().Origin(), cell)) {
        return;
    }
    if (paint) {
        m_playfield.Board().SetCell(m_playfield.CurrentBall().colour, 0, cell.column, cell.row);
    } else {
        m_playfield.Board().SetCell(BallColour::Empty, 0, cell.column, cell.row);
    }
}

// ---------------------------------------------------------------- drawing

void CEditor::Render() {
    m_scene.Draw(m_playfield);
    DrawPlayfield(m_playfield, m_sprites);
    const CMouseCursor& cursor = CMouseCursor::Get();
    CellPos cell;
    if (m_sprites.balls != nullptr && EditorCellAt(cursor.GetX(), cursor.GetY(), m_playfield.Board().Origin(), cell)) {
        const Vec3 corner = m_playfield.Board().CellTopLeft(cell.column, cell.row);
        DrawBall(*m_sprites.balls, m_playfield.CurrentBall(), corner.x, corner.y);
    }
}
