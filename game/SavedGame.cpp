#include "game/SavedGame.h"

#include "core/Log.h"
#include "game/GameFlow.h"
#include "resources/Crc32.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"

#include <cmath>
#include <cstring>

namespace {
constexpr size_t kGridBytes = kLevelFileSize;
constexpr size_t kFieldCrcOffset = 100;   // the save file's aim-guide column

// The two records are read and written by one list of fields each (TransferSaveRecord,
// TransferFieldRecord), passed a writer or a reader with the same operations.

// Appends little-endian fields to a record.
class CRecordWriter {
public:
    explicit CRecordWriter(std::vector<uint8_t>& out) : m_out(out) { m_out.clear(); }
    void Int(const int32_t& value) {
        uint8_t bytes[4];
        WriteLe32(bytes, static_cast<uint32_t>(value));
        m_out.insert(m_out.end(), bytes, bytes + 4);
    }
    void Word(const uint32_t& value) { Int(static_cast<int32_t>(value)); }
    void Float(const float& value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        Word(bits);
    }
    void Flag(const bool& value) { m_out.push_back(value ? 1 : 0); }
    void Flag(const uint8_t& value) { m_out.push_back(value != 0 ? 1 : 0); }
    void Text(const std::string& text, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            m_out.push_back(i < text.size() && i + 1 < size ? static_cast<uint8_t>(text[i]) : 0);
        }
    }
    void Grid(const BoardGrid& grid) {
        uint8_t bytes[kGridBytes];
        StoreGridBytes(grid, bytes);
        m_out.insert(m_out.end(), bytes, bytes + kGridBytes);
    }

private:
    std::vector<uint8_t>& m_out;
};

// Reads little-endian fields of a record whose size was checked before.
class CRecordReader {
public:
    explicit CRecordReader(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    void Int(int32_t& value) {
        value = static_cast<int32_t>(ReadLe32(m_bytes.data() + m_at));
        m_at += 4;
    }
    void Word(uint32_t& value) {
        value = ReadLe32(m_bytes.data() + m_at);
        m_at += 4;
    }
    void Float(float& value) {
        uint32_t bits = 0;
        Word(bits);
        std::memcpy(&value, &bits, sizeof(value));
    }
    void Flag(bool& value) { value = m_bytes[m_at++] != 0; }
    void Flag(uint8_t& value) { value = m_bytes[m_at++] != 0 ? 1 : 0; }
    void Text(std::string& text, size_t size) {
        const char* start = reinterpret_cast<const char*>(m_bytes.data() + m_at);
        m_at += size;
        text.assign(start, strnlen(start, size));
    }
    void Grid(BoardGrid& grid) {
        for (int32_t row = 0; row < kBoardRows; ++row) {
            for (int32_t column = 0; column < kBoardColumns; ++column) {
                Int(grid[row][column].colour);
                Word(grid[row][column].frame);
            }
        }
    }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_at = 0;
};

template <typename Record>
void TransferVector(Record& record, Vec3& value) {
    record.Float(value.x);
    record.Float(value.y);
    record.Float(value.z);
}

template <typename Record>
void TransferColours(Record& record, int32_t (&colours)[BallColour::ColourCount]) {
    for (int32_t& colour : colours) {
        record.Int(colour);
    }
}

// The field file: the board, then the row bonus's sweep.
template <typename Record>
void TransferFieldRecord(Record& field, PlayfieldSaveState& playfield) {
    BoardSaveState& board = playfield.board;
    field.Grid(board.grid);
    field.Grid(board.removal);
    field.Grid(board.anchor);
    field.Float(board.recolourTimer);
    field.Float(board.explosionTimer);
    field.Int(board.bottomRow);
    TransferVector(field, board.origin);
    field.Flag(board.removalInProgress);
    field.Flag(board.resolving);
    field.Flag(board.arrowLeftRunning);
    field.Flag(board.arrowRightRunning);
    field.Float(board.arrowTimer);
    field.Int(board.effectCell.column);
    field.Int(board.effectCell.row);
    field.Float(board.arrowX);
    field.Float(board.arrowY);
    TransferVector(field, board.flyingMulticolor.position);
    TransferVector(field, board.flyingMulticolor.target);
    TransferVector(field, board.flyingMulticolor.velocity);
    field.Flag(board.flyingMulticolor.running);
    field.Int(playfield.rowBonusValue);
    field.Float(playfield.sweepTimer);
    field.Int(playfield.sweepCursor.column);
    field.Int(playfield.sweepCursor.row);
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
template <typename Record>
void TransferSaveRecord(Record& save, SaveRecordFrame& frame, SavedGame& game) {
    PlayfieldSaveState& playfield = game.playfield;
    save.Int(frame.version);
    save.Flag(game.values.highScorePending);
    save.Flag(game.values.allLevelsDone);
    save.Int(game.values.firstLevel);
    save.Int(game.values.levelNumber);
    save.Int(game.values.lastLevel);
    save.Int(game.values.highScoreRank);
    save.Int(game.values.difficulty);
    save.Text(game.values.levelFileName, kSavedLevelNameBytes);
    save.Flag(playfield.shot.flying);
    TransferVector(save, playfield.shot.position);
    TransferVector(save, playfield.shot.velocity);
    save.Int(playfield.current.colour);
    save.Word(playfield.current.frame);
    save.Int(playfield.next.colour);
    save.Word(playfield.next.frame);
    save.Flag(frame.aimGuide);
    save.Word(frame.fieldCrc);
    save.Int(frame.aimGuideRow);
    TransferColours(save, playfield.chooser.presentColours);
    save.Int(playfield.chooser.presentCount);
    TransferColours(save, playfield.chooser.givenCounts);
    TransferColours(save, playfield.chooser.candidates);
    save.Int(playfield.chooser.candidateCount);
    save.Int(playfield.dropOffset);
    save.Flag(playfield.ready);
    save.Flag(playfield.gameOver);
    save.Flag(playfield.clearing);
    save.Flag(playfield.multicolorPending);
    save.Flag(playfield.shakeWarning);
    save.Flag(playfield.turnEndPending);
    save.Int(playfield.chooser.runLength);
    save.Int(playfield.chooser.lastColour);
    save.Flag(playfield.popUpsActive);
    save.Flag(playfield.secondParticlesActive);
    save.Flag(playfield.levelFinished);
    save.Flag(playfield.rowBonusDone);
    save.Flag(playfield.fieldEmpty);
    save.Flag(playfield.placed);
    save.Flag(playfield.movingDown);
    save.Int(playfield.movePixelsLeft);
    save.Float(playfield.moveTimer);
    save.Int(playfield.shotCount);
    save.Flag(playfield.moveNow);
    save.Int(game.progress.score);
    save.Int(game.progress.ballPoints);
    save.Int(game.progress.comboPoints);
    save.Int(game.progress.lives);
    save.Int(game.progress.extraLifeBase);
    save.Flag(game.progress.extraLifeWon);
    save.Int(game.stats.shots);
    save.Int(game.stats.hits);
    save.Int(game.stats.matches);
    save.Int(game.stats.averageAccuracy);
    save.Int(game.stats.totalMatches);
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
    SavedGame copy = game;
    CRecordWriter field(fieldBytes);
    TransferFieldRecord(field, copy.playfield);
    SaveRecordFrame frame;
    frame.fieldCrc = Crc32(fieldBytes.data(), fieldBytes.size());
    CRecordWriter save(saveBytes);
    TransferSaveRecord(save, frame, copy);
}

bool DecodeSavedGame(const std::vector<uint8_t>& saveBytes, const std::vector<uint8_t>& fieldBytes, SavedGame& game,
                     std::string& why) {
    if (saveBytes.size() < 4 || static_cast<int32_t>(ReadLe32(saveBytes.data())) != kSavedGameVersion) {
        why = "not a save of version 5";
        return false;
    }
    if (saveBytes.size() != kSaveFileBytes || fieldBytes.size() != kFieldFileBytes) {
        why = "a file of the wrong size";
        return false;
    }
    if (Crc32(fieldBytes.data(), fieldBytes.size()) != ReadLe32(saveBytes.data() + kFieldCrcOffset)) {
        why = "the field file belongs to another save";
        return false;
    }
    SavedGame loaded;
    SaveRecordFrame frame;
    CRecordReader save(saveBytes);
    TransferSaveRecord(save, frame, loaded);
    CRecordReader field(fieldBytes);
    TransferFieldRecord(field, loaded.playfield);
    const char* fault = CheckValues(loaded.values);
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
    return Crc32(fieldBytes.data(), fieldBytes.size()) == ReadLe32(saveBytes.data() + kFieldCrcOffset);
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
