#include "game/SavedGame.h"

#include "core/Log.h"
#include "game/GameFlow.h"
#include "resources/Crc32.h"
#include "resources/FileManager.h"
#include "resources/ByteRecord.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace {
constexpr size_t kFieldCrcOffset = 100;   // the save file's aim-guide column

// The two records are read and written by one list of fields each (TransferSaveRecord,
// TransferFieldRecord), passed a CFieldWriter or a CFieldReader.

// The cells of a grid, row by row: the colour, then the frame.
template <typename Record, typename Grid>
void TransferGrid(Record& record, Grid& grid) {
    for (auto& row : grid) {
        for (auto& cell : row) {
            record.I32(cell.colour);
            record.U32(cell.frame);
        }
    }
}

// The field file's CRC as the save file keeps it; 0 for a save too short to hold it.
uint32_t FieldCrcOf(const std::vector<uint8_t>& saveBytes) {
    CByteReader save(saveBytes);
    save.Skip(kFieldCrcOffset);
    return save.U32();
}

template <typename Record, typename Vector>
void TransferVector(Record& record, Vector& value) {
    record.F32(value.x);
    record.F32(value.y);
    record.F32(value.z);
}

template <typename Record, typename Colours>
void TransferColours(Record& record, Colours& colours) {
    for (auto& colour : colours) {
        record.I32(colour);
    }
}

// The field file: the board, then the row bonus's sweep. (The state is const when written.)
template <typename Record, typename PlayfieldState>
void TransferFieldRecord(Record& field, PlayfieldState& playfield) {
    auto& board = playfield.board;
    TransferGrid(field, board.grid);
    TransferGrid(field, board.removal);
    TransferGrid(field, board.anchor);
    field.F32(board.recolourTimer);
    field.F32(board.explosionTimer);
    field.I32(board.bottomRow);
    TransferVector(field, board.origin);
    field.Flag(board.removalInProgress);
    field.Flag(board.resolving);
    field.Flag(board.arrowLeftRunning);
    field.Flag(board.arrowRightRunning);
    field.F32(board.arrowTimer);
    field.I32(board.effectCell.column);
    field.I32(board.effectCell.row);
    field.F32(board.arrowX);
    field.F32(board.arrowY);
    TransferVector(field, board.flyingMulticolor.position);
    TransferVector(field, board.flyingMulticolor.target);
    TransferVector(field, board.flyingMulticolor.velocity);
    field.Flag(board.flyingMulticolor.running);
    field.I32(playfield.rowBonusValue);
    field.F32(playfield.sweepTimer);
    field.I32(playfield.sweepCursor.column);
    field.I32(playfield.sweepCursor.row);
}

// What the save file holds besides the game: its version and the aim-guide fields, whose
// column carries the field file's CRC.
struct SaveRecordFrame {
    int32_t version = kSavedGameVersion;
    bool aimGuide = false;
    uint32_t fieldCrc = 0;
    int32_t aimGuideRow = 0;
};

// The save file: the game's values, the turn, the coming balls, the field moving down, the
// player's progress and the statistics.
template <typename Record, typename Frame, typename Game>
void TransferSaveRecord(Record& save, Frame& frame, Game& game) {
    auto& playfield = game.playfield;
    save.I32(frame.version);
    save.Flag(game.values.highScorePending);
    save.Flag(game.values.allLevelsDone);
    save.I32(game.values.firstLevel);
    save.I32(game.values.levelNumber);
    save.I32(game.values.lastLevel);
    save.I32(game.values.highScoreRank);
    save.I32(game.values.difficulty);
    save.Text(game.values.levelFileName, kSavedLevelNameBytes);
    save.Flag(playfield.shot.flying);
    TransferVector(save, playfield.shot.position);
    TransferVector(save, playfield.shot.velocity);
    save.I32(playfield.current.colour);
    save.U32(playfield.current.frame);
    save.I32(playfield.next.colour);
    save.U32(playfield.next.frame);
    save.Flag(frame.aimGuide);
    save.U32(frame.fieldCrc);
    save.I32(frame.aimGuideRow);
    TransferColours(save, playfield.chooser.presentColours);
    save.I32(playfield.chooser.presentCount);
    TransferColours(save, playfield.chooser.givenCounts);
    TransferColours(save, playfield.chooser.candidates);
    save.I32(playfield.chooser.candidateCount);
    save.I32(playfield.dropOffset);
    save.Flag(playfield.ready);
    save.Flag(playfield.gameOver);
    save.Flag(playfield.clearing);
    save.Flag(playfield.multicolorPending);
    save.Flag(playfield.shakeWarning);
    save.Flag(playfield.turnEndPending);
    save.I32(playfield.chooser.runLength);
    save.I32(playfield.chooser.lastColour);
    save.Flag(playfield.popUpsActive);
    save.Flag(playfield.secondParticlesActive);
    save.Flag(playfield.levelFinished);
    save.Flag(playfield.rowBonusDone);
    save.Flag(playfield.fieldEmpty);
    save.Flag(playfield.placed);
    save.Flag(playfield.movingDown);
    save.I32(playfield.movePixelsLeft);
    save.F32(playfield.moveTimer);
    save.I32(playfield.shotCount);
    save.Flag(playfield.moveNow);
    save.I32(game.progress.score);
    save.I32(game.progress.ballPoints);
    save.I32(game.progress.comboPoints);
    save.I32(game.progress.lives);
    save.I32(game.progress.extraLifeBase);
    save.Flag(game.progress.extraLifeWon);
    save.I32(game.stats.shots);
    save.I32(game.stats.hits);
    save.I32(game.stats.matches);
    save.I32(game.stats.averageAccuracy);
    save.I32(game.stats.totalMatches);
}

// ---------------------------------------------------------------- the checks of a loaded save

bool IsCode(int32_t colour) {
    return BallColour::IsKnown(colour);
}

// A count the game adds to one at a time; far below where adding could overflow.
bool IsCount(int32_t value) {
    return value >= 0 && value <= 10000000;
}

bool IsFinite(const Vec3& value) {
    return std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z);
}

bool IsOnScreen(const Vec3& value) {
    return IsFinite(value) && value.x >= -640.0f && value.x <= 1280.0f && value.y >= -480.0f && value.y <= 960.0f;
}

bool GridHoldsCodes(const BoardGrid& grid) {
    for (const auto& row : grid) {
        for (const BallCell& cell : row) {
            if (!IsCode(cell.colour)) {
                return false;
            }
        }
    }
    return true;
}

// A name the game would make for a level: a few letters, digits and dots, no folders.
bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.find("..") != std::string::npos) {
        return false;
    }
    for (const char c : name) {
        const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             c == '.' || c == '_' || c == '-';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

// The chooser's colours index its tables: its counts are checked before any colour is read
// through them, and every colour it may read must be ordinary.
const char* CheckChooser(const NextBallState& chooser) {
    if (chooser.presentCount < 0 || chooser.presentCount > BallColour::ColourCount || chooser.candidateCount < 0 ||
        chooser.candidateCount > BallColour::ColourCount || !IsCode(chooser.lastColour)) {
        return "colour counts out of range";
    }
    for (const int32_t given : chooser.givenCounts) {
        if (!IsCount(given)) {
            return "colour counts out of range";
        }
    }
    if (!IsCount(chooser.runLength)) {
        return "colour counts out of range";
    }
    for (int32_t i = 0; i < chooser.presentCount; ++i) {
        if (!BallColour::IsOrdinary(chooser.presentColours[i])) {
            return "a present colour out of range";
        }
    }
    for (int32_t i = 0; i < chooser.candidateCount; ++i) {
        if (!BallColour::IsOrdinary(chooser.candidates[i])) {
            return "a candidate colour out of range";
        }
    }
    return nullptr;
}

const char* CheckValues(const SavedGameValues& values) {
    // A new game's last level is "no limit" (the largest number); every other level value
    // stays within what the game can reach, so adding one to it cannot overflow.
    const bool lastLevelBounded = values.lastLevel == INT32_MAX || values.lastLevel <= kMaxLevelNumber;
    if (values.levelNumber < 1 || values.levelNumber > kMaxLevelNumber || values.firstLevel < 1 ||
        values.firstLevel > kMaxLevelNumber || values.lastLevel < 0 || !lastLevelBounded) {
        return "level number out of range";
    }
    if (values.difficulty < 1 || values.difficulty > 5) {
        return "difficulty out of range";
    }
    if (values.highScoreRank < -1 || values.highScoreRank > 9) {
        return "high-score rank out of range";
    }
    if (!IsPlainFileName(values.levelFileName)) {
        return "level file name is not a plain name";
    }
    return nullptr;
}

const char* CheckPlayfield(const PlayfieldSaveState& playfield) {
    const BoardSaveState& board = playfield.board;
    if (!GridHoldsCodes(board.grid) || !GridHoldsCodes(board.removal) || !GridHoldsCodes(board.anchor)) {
        return "a colour out of range in the field";
    }
    if (board.bottomRow < 0 || board.bottomRow >= kBoardRows) {
        return "bottom row out of range";
    }
    if (!IsOnScreen(board.origin) || !IsFinite(Vec3{board.recolourTimer, board.explosionTimer, board.arrowTimer}) ||
        !IsOnScreen(Vec3{board.arrowX, board.arrowY, 0.0f})) {
        return "field origin or timers out of range";
    }
    if (board.effectCell.column < -1 || board.effectCell.column > kBoardColumns || board.effectCell.row < -1 ||
        board.effectCell.row > kBoardRows + 1) {
        return "effect cell off the field";
    }
    const FlyingMulticolor& flying = board.flyingMulticolor;
    if (!IsOnScreen(flying.position) || !IsOnScreen(flying.target) || !IsFinite(flying.velocity)) {
        return "flying multicolour ball out of range";
    }
    if (!IsCode(playfield.current.colour) || !IsCode(playfield.next.colour)) {
        return "a ball colour out of range";
    }
    if (const char* why = CheckChooser(playfield.chooser)) {
        return why;
    }
    if (!IsOnScreen(playfield.shot.position) || !IsFinite(playfield.shot.velocity)) {
        return "shot out of range";
    }
    const int32_t moveDownPixels = static_cast<int32_t>(CPlayfield::kMoveDownPixels);
    if (playfield.dropOffset < 0 || playfield.dropOffset > kBoardRows * moveDownPixels ||
        playfield.movePixelsLeft < 0 || playfield.movePixelsLeft > moveDownPixels ||
        !std::isfinite(playfield.moveTimer) || playfield.shotCount < 0 || playfield.shotCount > 1000) {
        return "move-down values out of range";
    }
    if (!std::isfinite(playfield.sweepTimer) || playfield.sweepCursor.column < 0 ||
        playfield.sweepCursor.column > kBoardColumns || playfield.sweepCursor.row < 0 ||
        playfield.sweepCursor.row > kBoardRows || playfield.rowBonusValue != RowBonusForRow(playfield.sweepCursor.row)) {
        return "row bonus values out of range";
    }
    return nullptr;
}

const char* CheckProgress(const PlayerProgress& progress, const LevelStatistics& stats) {
    if (progress.lives < -1 || progress.lives > kMaxLives || progress.score < 0 || progress.extraLifeBase < 0) {
        return "lives or score out of range";
    }
    if (!IsCount(stats.shots) || !IsCount(stats.hits) || !IsCount(stats.matches) || !IsCount(stats.totalMatches) ||
        stats.averageAccuracy < 0 || stats.averageAccuracy > 100) {
        return "statistics out of range";
    }
    return nullptr;
}
}  // namespace

// ---------------------------------------------------------------- capture and apply

SavedGame CaptureSavedGame(const SavedGameValues& values, const CPlayfield& playfield) {
    SavedGame game;
    game.values = values;
    game.playfield = playfield.SaveState();
    game.progress = playfield.Progress();
    BoundProgress(game.progress);
    game.stats = playfield.Stats();
    return game;
}

void ApplySavedGame(const SavedGame& game, CPlayfield& playfield) {
    playfield.RestoreState(game.playfield);
    PlayerProgress& progress = playfield.Progress();
    progress.score = game.progress.score;
    progress.ballPoints = game.progress.ballPoints;
    progress.comboPoints = game.progress.comboPoints;
    progress.lives = game.progress.lives;
    progress.extraLifeBase = game.progress.extraLifeBase;
    progress.extraLifeWon = game.progress.extraLifeWon;
    progress.removed = 0;
    progress.combo = 0;
    playfield.Stats() = game.stats;
}

// ---------------------------------------------------------------- the bytes

void EncodeSavedGame(const SavedGame& game, std::vector<uint8_t>& saveBytes, std::vector<uint8_t>& fieldBytes) {
    fieldBytes.clear();
    CByteWriter fieldOut(fieldBytes);
    CFieldWriter field(fieldOut);
    TransferFieldRecord(field, game.playfield);
    SaveRecordFrame frame;
    frame.fieldCrc = Crc32(fieldBytes.data(), fieldBytes.size());
    saveBytes.clear();
    CByteWriter saveOut(saveBytes);
    CFieldWriter save(saveOut);
    TransferSaveRecord(save, std::as_const(frame), game);
}

bool DecodeSavedGame(const std::vector<uint8_t>& saveBytes, const std::vector<uint8_t>& fieldBytes, SavedGame& game,
                     std::string& why) {
    if (static_cast<int32_t>(CByteReader(saveBytes).U32()) != kSavedGameVersion) {
        why = "not a save of version 5";
        return false;
    }
    if (saveBytes.size() != kSaveFileBytes || fieldBytes.size() != kFieldFileBytes) {
        why = "a file of the wrong size";
        return false;
    }
    if (Crc32(fieldBytes.data(), fieldBytes.size()) != FieldCrcOf(saveBytes)) {
        why = "the field file belongs to another save";
        return false;
    }
    SavedGame loaded;
    SaveRecordFrame frame;
    CByteReader saveIn(saveBytes);
    CFieldReader save(saveIn);
    TransferSaveRecord(save, frame, loaded);
    CByteReader fieldIn(fieldBytes);
    CFieldReader field(fieldIn);
    TransferFieldRecord(field, loaded.playfield);
    const char* fault = saveIn.Failed() || fieldIn.Failed() ? "a file of the wrong size" : nullptr;
    if (fault == nullptr) {
        fault = CheckValues(loaded.values);
    }
    if (fault == nullptr) {
        fault = CheckPlayfield(loaded.playfield);
    }
    if (fault == nullptr) {
        fault = CheckProgress(loaded.progress, loaded.stats);
    }
    if (fault != nullptr) {
        why = fault;
        return false;
    }
    game = loaded;
    return true;
}

// ---------------------------------------------------------------- the files
//
// The field file is kept a moment longer under its name + ".old" while a new pair is written:
//   1. plyN.lvl becomes plyN.lvl.old;  2. the new plyN.lvl;  3. the new plyN.sav;
//   4. plyN.lvl.old goes.
// Each step replaces or renames one file whole, so after a crash at any moment the save file
// has its own field file beside it: plyN.lvl, or plyN.lvl.old before step 3.

namespace {
std::string OldFieldName(const std::string& fieldName) {
    return fieldName + ".old";
}

// Whether the field file's bytes are the ones the save file was written with.
bool FieldBelongsToSave(const std::vector<uint8_t>& saveBytes, const std::string& fieldName) {
    std::vector<uint8_t> fieldBytes;
    CFileManager& files = CFileManager::Get();
    if (saveBytes.size() != kSaveFileBytes || !files.Exists(fieldName) || !files.LoadWholeFile(fieldName, fieldBytes)) {
        return false;
    }
    return Crc32(fieldBytes.data(), fieldBytes.size()) == FieldCrcOf(saveBytes);
}

// After an interrupted save the kept field file may be the one that belongs to the save
// file: it takes its place again. Otherwise the kept one is no longer needed.
bool SettleInterruptedSave(const std::string& saveName, const std::string& fieldName) {
    CFileManager& files = CFileManager::Get();
    const std::string oldName = OldFieldName(fieldName);
    if (!files.Exists(oldName)) {
        return true;
    }
    std::vector<uint8_t> saveBytes;
    if (files.Exists(saveName)) {
        files.LoadWholeFile(saveName, saveBytes);
    }
    if (FieldBelongsToSave(saveBytes, fieldName) || !FieldBelongsToSave(saveBytes, oldName)) {
        return files.Delete(oldName);
    }
    if (files.Exists(fieldName) && !files.Delete(fieldName)) {
        return false;
    }
    return files.Rename(oldName, fieldName);
}
}  // namespace

bool WriteSavedGame(const SavedGame& game, const std::string& saveName, const std::string& fieldName) {
    CFileManager& files = CFileManager::Get();
    std::vector<uint8_t> saveBytes;
    std::vector<uint8_t> fieldBytes;
    EncodeSavedGame(game, saveBytes, fieldBytes);
    if (!SettleInterruptedSave(saveName, fieldName)) {
        CLog::Get().Write("SaveGame FAILED, cannot settle: %s", fieldName.c_str());
        return false;
    }
    const std::string oldName = OldFieldName(fieldName);
    if (files.Exists(fieldName) && !files.Rename(fieldName, oldName)) {
        CLog::Get().Write("SaveGame FAILED, cannot keep: %s", fieldName.c_str());
        return false;
    }
    if (!files.SaveWholeFile(fieldName, fieldBytes.data(), fieldBytes.size())) {
        CLog::Get().Write("SaveGame FAILED, file: %s", fieldName.c_str());
        SettleInterruptedSave(saveName, fieldName);
        return false;
    }
    if (!files.SaveWholeFile(saveName, saveBytes.data(), saveBytes.size())) {
        CLog::Get().Write("SaveGame FAILED, file: %s", saveName.c_str());
        SettleInterruptedSave(saveName, fieldName);
        return false;
    }
    files.Delete(oldName);
    return true;
}

bool ReadSavedGame(const std::string& saveName, const std::string& fieldName, SavedGame& game) {
    CFileManager& files = CFileManager::Get();
    std::vector<uint8_t> saveBytes;
    if (!files.Exists(saveName)) {
        CLog::Get().Write("LoadSavedGame FAILED, no save: %s", saveName.c_str());
        return false;
    }
    if (!files.LoadWholeFile(saveName, saveBytes)) {
        CLog::Get().Write("LoadSavedGame FAILED, cannot read: %s", saveName.c_str());
        files.ProtectUnreadable(saveName);
        return false;
    }
    const std::string oldName = OldFieldName(fieldName);
    const std::string& pairName =
        !FieldBelongsToSave(saveBytes, fieldName) && FieldBelongsToSave(saveBytes, oldName) ? oldName : fieldName;
    std::vector<uint8_t> fieldBytes;
    if (files.Exists(pairName)) {
        files.LoadWholeFile(pairName, fieldBytes);
    }
    std::string why;
    if (!DecodeSavedGame(saveBytes, fieldBytes, game, why)) {
        CLog::Get().Write("LoadSavedGame FAILED, %s: %s", why.c_str(), saveName.c_str());
        // The refused pair is kept as ".bad" copies before anything replaces it.
        files.MarkDamaged(saveName);
        files.MarkDamaged(pairName);
        return false;
    }
    return true;
}

void DeleteSavedGame(const std::string& saveName, const std::string& fieldName) {
    CFileManager& files = CFileManager::Get();
    for (const std::string& name : {saveName, fieldName, OldFieldName(fieldName)}) {
        if (files.Exists(name)) {
            files.Delete(name);
        }
    }
}
