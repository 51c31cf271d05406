#pragma once
// CEditor (state 10006): the level editor's field in the lower layer. The brush keys pick
// the ball the mouse paints, the arrow keys rotate the rows, a left click paints a cell and
// a right click empties it; the panel above it (CGuiEditor, 20001) sends the commands for
// the level files: new, clear, load, save, try, reorder, leave.
#include "engine/EngineState.h"
#include "game/Playfield.h"
#include "gui/GameSprites.h"
#include "gui/MenuBackdrop.h"
#include "platform/Sprite.h"
#include "view/FieldView.h"

#include <array>
#include <cstdint>
#include <string>

// The commands of the editor and its panel.
constexpr int32_t kCommandNewLevel = 1001;
constexpr int32_t kCommandClearLevel = 1002;
constexpr int32_t kCommandLoadLevel = 1003;   // parameter: the level number
constexpr int32_t kCommandSaveLevel = 1004;
constexpr int32_t kCommandPlayLevel = 1005;
constexpr int32_t kCommandMoveLevelUp = 1006;
constexpr int32_t kCommandMoveLevelDown = 1007;
constexpr int32_t kCommandLevelAdded = 1011;
constexpr int32_t kCommandPlayFromLevel = 1013;
constexpr int32_t kCommandShowLevel = 1014;
// CEditor asks the panel a question (parameter: EEditorQuestion; None closes it); the
// panel's answer buttons send kCommandAnswer (parameter: EEditorAnswer).
constexpr int32_t kCommandAskQuestion = 1031;
constexpr int32_t kCommandAnswer = 1032;
// CEditor tells the panel whether the level has unsaved changes (parameter 1) or not (0).
constexpr int32_t kCommandMarkChanges = 1033;

enum class EEditorQuestion : int32_t {
    None = 0,
    ReplaceSavedGame = 1,   // Yes / No: a game played on would replace the player's saved game
    UnsavedChanges = 2,     // Save / Discard / Cancel: the changed level is about to be left
};
enum class EEditorAnswer : int32_t {
    Yes = 1,
    No = 2,
    Save = 3,
    Discard = 4,
    Cancel = 5,
};

// The rows the editor paints: the bottom row of the field cannot be edited.
constexpr int32_t kEditableRows = kBoardRows - 1;

// The cell under a point of the screen for a board whose cell (0, 0) has its top-left corner
// at origin; false when the point is over no editable cell.
bool EditorCellAt(float x, float y, const Vec3& origin, CellPos& out);
// Every row one place to the left (step -1) or right (+1) over its own length.
void RotateRows(CBoard& board, int32_t step);

class CEditor final : public CEngineState {
public:
    bool Init() override;
    void Shutdown() override;
    const char* GetName() const override { return "CEditor"; }
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;
    // A changed level asks Save / Discard / Cancel before the window closes.
    bool OnCloseRequested() override;
    void Render() override;
    void Update(float dt) override;

    const CBoard& Board() const { return m_playfield.Board(); }
    const BallCell& Brush() const { return m_playfield.CurrentBall(); }
    const std::string& LevelName() const { return m_levelName; }
    int32_t FreeLevel() const { return m_freeLevel; }
    // The field differs from the level as it was loaded or last saved.
    bool HasUnsavedChanges() const;
    EEditorQuestion Question() const { return m_question; }

private:
    // What leaves the level being edited; a changed level asks first.
    enum class ELeave : int32_t { None, OtherLevel, NewLevel, MainMenu, TryLevel, PlayOn, Program };

    void BuildSprites();
    void FindFreeLevel();
    void LoadLevel(const std::string& name);
    void EmptyField();
    // False when nothing was written: the write failed, or the level file on disk could not
    // be read and the player has not yet been told (the next Save replaces it, keeping it
    // as ".bad").
    bool Save();
    void Play(bool testOnly);
    void Move(int32_t step);
    void ShowLevel();
    void UpdateBrush();
    void UpdateClicks();
    void UpdateChangeMark();
    // The field as it is now is the level's stored state.
    void KeepStoredState();
    void Leave(ELeave leave, int32_t level);
    void LeaveUnlessGameReplaced();
    void CarryOutLeave();
    void Ask(EEditorQuestion question);
    void OnAnswer(EEditorAnswer answer);

    CPlayfield m_playfield;
    CPlayfieldScene m_scene;
    CGameSprites m_gameSprites;
    PlayfieldSprites m_sprites;

    int32_t m_freeLevel = 1;
    std::string m_levelName = "1.lvl";
    // The level's file exists but could not be read; the player was told when asked is set.
    bool m_levelUnreadable = false;
    bool m_replaceAsked = false;

    std::array<uint8_t, kLevelFileSize> m_storedState = {};
    mutable std::array<uint8_t, kLevelFileSize> m_fieldState = {};
    bool m_changesMarked = false;
    EEditorQuestion m_question = EEditorQuestion::None;
    ELeave m_leave = ELeave::None;
    int32_t m_leaveLevel = 0;
    bool m_changesDiscarded = false;
};

// Whether the current player has a saved game that a game played on would replace.
bool PlayerHasSavedGame();
