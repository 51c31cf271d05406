#pragma once
// A game saved per player: the save file ("ply" + number + ".sav", 291 bytes) with the
// game's values, the turn and the player's progress, and the field file ("ply" + number +
// ".lvl", 3221 bytes) with the board. Both are little-endian records without padding.
#include "game/Playfield.h"
#include "game/Scoring.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kSavedGameVersion = 5;
constexpr size_t kSaveFileBytes = 291;
constexpr size_t kFieldFileBytes = 3221;
constexpr size_t kSavedLevelNameBytes = 32;

// The values of a game beside the playfield that a save carries.
struct SavedGameValues {
    bool highScorePending = false;
    bool allLevelsDone = false;
    int32_t firstLevel = 1;
    int32_t levelNumber = 1;
    int32_t lastLevel = 1;
    int32_t highScoreRank = -1;
    int32_t difficulty = kNormalDifficulty;
    std::string levelFileName;   // at most 31 characters
};

struct SavedGame {
    SavedGameValues values;
    PlayfieldSaveState playfield;
    PlayerProgress progress;   // kept: score, ball and combo points, lives, extra-life base and flag
    LevelStatistics stats;
};

// A save of the playfield as it stands, with the game's values.
SavedGame CaptureSavedGame(const SavedGameValues& values, const CPlayfield& playfield);
// Puts a loaded save into the playfield: its state, the kept progress and the statistics.
void ApplySavedGame(const SavedGame& game, CPlayfield& playfield);

// The two files' bytes. The save file's aim-guide column (unused by the game) holds the
// field file's CRC-32, so that a save file and a field file of two different saves are
// never taken for one.
void EncodeSavedGame(const SavedGame& game, std::vector<uint8_t>& saveBytes, std::vector<uint8_t>& fieldBytes);
// False, with the reason, for files that are short or long, of another version, hold
// values out of range, or do not belong together; game is left unchanged then.
bool DecodeSavedGame(const std::vector<uint8_t>& saveBytes, const std::vector<uint8_t>& fieldBytes, SavedGame& game,
                     std::string& why);

// Writes the pair through the file manager so that a save interrupted at any moment leaves
// the old game or the new one to load, never a mix. False (and logged) when it could not
// be written; the old game stays loadable then.
bool WriteSavedGame(const SavedGame& game, const std::string& saveName, const std::string& fieldName);
// Reads and checks both files; false (and logged) when they are missing or refused.
bool ReadSavedGame(const std::string& saveName, const std::string& fieldName, SavedGame& game);
// Removes the pair (and a field file kept by an interrupted save).
void DeleteSavedGame(const std::string& saveName, const std::string& fieldName);
