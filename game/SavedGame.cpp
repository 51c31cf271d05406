#include "game/SavedGame.h"

#include "core/Log.h"
#include "resources/Crc32.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"

#include <cmath>
#include <cstring>

namespace {
constexpr size_t kGridBytes = kLevelFileSize;

// Appends little-endian fields to a record.
class CRecordWriter {
public:
    explicit CRecordWriter(std::vector<uint8_t>& out) : m_out(out) { m_out.clear(); }
    void Int(int32_t value) {
        uint8_t bytes[4];
        WriteLe32(bytes, static_cast<uint32_t>(value));
        m_out.insert(m_out.end(), bytes, bytes + 4);
    }
    void Float(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        Int(static_cast<int32_t>(bits));
    }
    void Flag(bool value) { m_out.push_back(value ? 1 : 0); }
    void Vector(const Vec3& value) {
        Float(value.x);
        Float(value.y);
        Float(value.z);
    }
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
    int32_t Int() {
        const int32_t value = static_cast<int32_t>(ReadLe32(m_bytes.data() + m_at));
        m_at += 4;
        return value;
    }
    float Float() {
        const uint32_t bits = static_cast<uint32_t>(Int());
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    bool Flag() { return m_bytes[m_at++] != 0; }
    Vec3 Vector() {
        Vec3 value;
        value.x = Float();
        value.y = Float();
        value.z = Float();
        return value;
    }
    std::string Text(size_t size) {
        const char* start = reinterpret_cast<const char*>(m_bytes.data() + m_at);
        m_at += size;
        return std::string(start, strnlen(start, size));
    }
    void Grid(BoardGrid& grid) {
        for (int32_t row = 0; row < kBoardRows; ++row) {
            for (int32_t column = 0; column < kBoardColumns; ++column) {
                grid[row][column].colour = Int();
                grid[row][column].frame = static_cast<uint32_t>(Int());
            }
        }
    }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_at = 0;
};

void WriteFieldRecord(const PlayfieldSaveState& playfield, std::vector<uint8_t>& out) {
    const BoardSaveState& board = playfield.board;
    CRecordWriter field(out);
    field.Grid(board.grid);
    field.Grid(board.removal);
    field.Grid(board.anchor);
    field.Float(board.recolourTimer);
    field.Float(board.explosionTimer);
    field.Int(board.bottomRow);
    field.Vector(board.origin);
    field.Flag(board.removalInProgress);
    field.Flag(board.resolving);
    field.Flag(board.arrowLeftRunning);
    field.Flag(board.arrowRightRunning);
    field.Float(board.arrowTimer);
    field.Int(board.effectCell.column);
    field.Int(board.effectCell.row);
    field.Float(board.arrowX);
    field.Float(board.arrowY);
    field.Vector(board.flyingMulticolor.position);
    field.Vector(board.flyingMulticolor.target);
    field.Vector(board.flyingMulticolor.velocity);
    field.Flag(board.flyingMulticolor.running);
    field.Int(playfield.rowBonusValue);
    field.Float(playfield.sweepTimer);
    field.Int(playfield.sweepCursor.column);
    field.Int(playfield.sweepCursor.row);
}

void ReadFieldRecord(const std::vector<uint8_t>& bytes, PlayfieldSaveState& playfield) {
    BoardSaveState& board = playfield.board;
    CRecordReader field(bytes);
    field.Grid(board.grid);
    field.Grid(board.removal);
    field.Grid(board.anchor);
    board.recolourTimer = field.Float();
    board.explosionTimer = field.Float();
    board.bottomRow = field.Int();
    board.origin = field.Vector();
    board.removalInProgress = field.Flag();
    board.resolving = field.Flag();
    board.arrowLeftRunning = field.Flag();
    board.arrowRightRunning = field.Flag();
    board.arrowTimer = field.Float();
    board.effectCell.column = field.Int();
    board.effectCell.row = field.Int();
    board.arrowX = field.Float();
    board.arrowY = field.Float();
    board.flyingMulticolor.position = field.Vector();
    board.flyingMulticolor.target = field.Vector();
    board.flyingMulticolor.velocity = field.Vector();
    board.flyingMulticolor.running = field.Flag();
    playfield.rowBonusValue = field.Int();
    playfield.sweepTimer = field.Float();
    playfield.sweepCursor.column = field.Int();
    playfield.sweepCursor.row = field.Int();
}

void WriteColours(CRecordWriter& save, const int32_t (&colours)[BallColour::ColourCount]) {
    for (const int32_t colour : colours) {
        save.Int(colour);
    }
}

void ReadColours(CRecordReader& save, int32_t (&colours)[BallColour::ColourCount]) {
    for (int32_t& colour : colours) {
        colour = save.Int();
    }
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

// The chooser's colours index its tables: every colour it may read must be ordinary.
bool ChooserIsSound(const NextBallState& chooser) {
    if (chooser.presentCount < 0 || chooser.presentCount > BallColour::ColourCount || chooser.candidateCount < 0 ||
        chooser.candidateCount > BallColour::ColourCount || !IsCode(chooser.lastColour)) {
        return false;
    }
    for (int32_t i = 0; i < chooser.presentCount; ++i) {
        if (!BallColour::IsOrdinary(chooser.presentColours[i])) {
            return false;
        }
    }
    for (int32_t i = 0; i < chooser.candidateCount; ++i) {
        if (!BallColour::IsOrdinary(chooser.candidates[i])) {
            return false;
        }
    }
    for (const int32_t given : chooser.givenCounts) {
        if (!IsCount(given)) {
            return false;
        }
    }
    return IsCount(chooser.runLength);
}

const char* CheckValues(const SavedGameValues& values) {
    if (values.levelNumber < 1 || values.firstLevel < 1 || values.lastLevel < 0) {
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
    if (!ChooserIsSound(playfield.chooser)) {
        return "colour counts out of range";
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
    if (progress.lives < -1 || progress.lives > 1000 || progress.score < 0 || progress.extraLifeBase < 0) {
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
    const PlayfieldSaveState& playfield = game.playfield;
    WriteFieldRecord(playfield, fieldBytes);
    const uint32_t fieldCrc = Crc32(fieldBytes.data(), fieldBytes.size());

    CRecordWriter save(saveBytes);
    save.Int(kSavedGameVersion);
    save.Flag(game.values.highScorePending);
    save.Flag(game.values.allLevelsDone);
    save.Int(game.values.firstLevel);
    save.Int(game.values.levelNumber);
    save.Int(game.values.lastLevel);
    save.Int(game.values.highScoreRank);
    save.Int(game.values.difficulty);
    save.Text(game.values.levelFileName, kSavedLevelNameBytes);
    save.Flag(playfield.shot.flying);
    save.Vector(playfield.shot.position);
    save.Vector(playfield.shot.velocity);
    save.Int(playfield.current.colour);
    save.Int(static_cast<int32_t>(playfield.current.frame));
    save.Int(playfield.next.colour);
    save.Int(static_cast<int32_t>(playfield.next.frame));
    save.Flag(false);                                // aim-guide flag
    save.Int(static_cast<int32_t>(fieldCrc));        // aim-guide column: the field file's CRC
    save.Int(0);                                     // aim-guide row
    WriteColours(save, playfield.chooser.presentColours);
    save.Int(playfield.chooser.presentCount);
    WriteColours(save, playfield.chooser.givenCounts);
    WriteColours(save, playfield.chooser.candidates);
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
    save.Flag(game.progress.extraLifeWon != 0);
    save.Int(game.stats.shots);
    save.Int(game.stats.hits);
    save.Int(game.stats.matches);
    save.Int(game.stats.averageAccuracy);
    save.Int(game.stats.totalMatches);
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
    SavedGame loaded;
    PlayfieldSaveState& playfield = loaded.playfield;
    CRecordReader save(saveBytes);
    save.Int();
    loaded.values.highScorePending = save.Flag();
    loaded.values.allLevelsDone = save.Flag();
    loaded.values.firstLevel = save.Int();
    loaded.values.levelNumber = save.Int();
    loaded.values.lastLevel = save.Int();
    loaded.values.highScoreRank = save.Int();
    loaded.values.difficulty = save.Int();
    loaded.values.levelFileName = save.Text(kSavedLevelNameBytes);
    playfield.shot.flying = save.Flag();
    playfield.shot.position = save.Vector();
    playfield.shot.velocity = save.Vector();
    playfield.current.colour = save.Int();
    playfield.current.frame = static_cast<uint32_t>(save.Int());
    playfield.next.colour = save.Int();
    playfield.next.frame = static_cast<uint32_t>(save.Int());
    save.Flag();
    const uint32_t fieldCrc = static_cast<uint32_t>(save.Int());
    save.Int();
    ReadColours(save, playfield.chooser.presentColours);
    playfield.chooser.presentCount = save.Int();
    ReadColours(save, playfield.chooser.givenCounts);
    ReadColours(save, playfield.chooser.candidates);
    playfield.chooser.candidateCount = save.Int();
    playfield.dropOffset = save.Int();
    playfield.ready = save.Flag();
    playfield.gameOver = save.Flag();
    playfield.clearing = save.Flag();
    playfield.multicolorPending = save.Flag();
    playfield.shakeWarning = save.Flag();
    playfield.turnEndPending = save.Flag();
    playfield.chooser.runLength = save.Int();
    playfield.chooser.lastColour = save.Int();
    playfield.popUpsActive = save.Flag();
    playfield.secondParticlesActive = save.Flag();
    playfield.levelFinished = save.Flag();
    playfield.rowBonusDone = save.Flag();
    playfield.fieldEmpty = save.Flag();
    playfield.placed = save.Flag();
    playfield.movingDown = save.Flag();
    playfield.movePixelsLeft = save.Int();
    playfield.moveTimer = save.Float();
    playfield.shotCount = save.Int();
    playfield.moveNow = save.Flag();
    loaded.progress.score = save.Int();
    loaded.progress.ballPoints = save.Int();
    loaded.progress.comboPoints = save.Int();
    loaded.progress.lives = save.Int();
    loaded.progress.extraLifeBase = save.Int();
    loaded.progress.extraLifeWon = save.Flag() ? 1 : 0;
    loaded.stats.shots = save.Int();
    loaded.stats.hits = save.Int();
    loaded.stats.matches = save.Int();
    loaded.stats.averageAccuracy = save.Int();
    loaded.stats.totalMatches = save.Int();

    if (Crc32(fieldBytes.data(), fieldBytes.size()) != fieldCrc) {
        why = "the field file belongs to another save";
        return false;
    }
    ReadFieldRecord(fieldBytes, playfield);
    const char* fault = CheckValues(loaded.values);
    if (fault == nullptr) {
        fault = CheckPlayfield(playfield);
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

bool WriteWholeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    CFileManager& files = CFileManager::Get();
    CFile* file = files.OpenFile(name, kFileWriteNew);
    if (file == nullptr) {
        return false;
    }
    const bool written = file->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    const bool closed = files.CloseFile(file);
    return written && closed;
}

// Whether the field file's bytes are the ones the save file was written with.
bool FieldBelongsToSave(const std::vector<uint8_t>& saveBytes, const std::string& fieldName) {
    std::vector<uint8_t> fieldBytes;
    CFileManager& files = CFileManager::Get();
    if (saveBytes.size() != kSaveFileBytes || !files.Exists(fieldName) || !files.LoadWholeFile(fieldName, fieldBytes)) {
        return false;
    }
    return Crc32(fieldBytes.data(), fieldBytes.size()) == ReadLe32(saveBytes.data() + 100);
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
    if (!WriteWholeFile(fieldName, fieldBytes)) {
        CLog::Get().Write("SaveGame FAILED, file: %s", fieldName.c_str());
        SettleInterruptedSave(saveName, fieldName);
        return false;
    }
    if (!WriteWholeFile(saveName, saveBytes)) {
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
    if (!files.Exists(saveName) || !files.LoadWholeFile(saveName, saveBytes)) {
        CLog::Get().Write("LoadSavedGame FAILED, no save: %s", saveName.c_str());
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
