#pragma once
// The player profiles: a list of records kept in "players.cfg" in the data folder, and
// the current player. The game works directly on the current player's record, so the
// record also carries the running values of the game in progress.
#include "game/Scoring.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Longest name a player can type; the record's buffer has room for more.
constexpr int32_t kMaxPlayerNameLength = 12;
// More records than this in "players.cfg" are not read.
constexpr int32_t kMaxPlayers = 256;

// One player, stored byte for byte (108 bytes, little-endian) in "players.cfg".
struct PlayerRecord {
    int32_t lives = 2;              // lives left in the current game
    int32_t score = 0;              // score of the current game
    int32_t gameCounter = 0;        // kept by the game
    float gameTimer = 0.0f;         // kept by the game
    int32_t extraLifeBase = 0;      // score the next extra life is counted from
    char name[20] = {};             // NUL-terminated, at most kMaxPlayerNameLength characters
    uint32_t nameLength = 0;        // length of name in bytes
    char saveFile[20] = {};         // "ply" + N + ".sav"
    char levelFile[20] = {};        // "ply" + N + ".lvl", goes with the saved game
    int32_t reservedCounter = 0;
    int32_t gameCounters[4] = {};   // kept by the game
    uint8_t extraLifeWon = 0;       // set by the game when a life is won, cleared by the HUD
    uint8_t childMode = 0;          // 1: child mode (difficulty 1), 0: normal (difficulty 5)
    uint8_t padding[2] = {};
};
static_assert(sizeof(PlayerRecord) == 108, "PlayerRecord is the 108-byte record of players.cfg");

// The bytes of "players.cfg" as the loader takes them: every whole record whatever the
// stored count says (at most kMaxPlayers; a last record lacking only its padding counts as
// whole), each repaired, and the current position (first record when the stored one is
// outside the list, -1 when there are no records).
struct PlayersFile {
    std::vector<PlayerRecord> records;
    int32_t current = -1;
    // Something had to be repaired or left out: the original is worth keeping.
    bool damaged = false;
};
// Size of "players.cfg" holding count records.
constexpr size_t PlayersFileSize(size_t count) { return 8 + 108 * count; }
PlayersFile DecodePlayersFile(const uint8_t* bytes, size_t size);
std::vector<uint8_t> EncodePlayersFile(const PlayersFile& players);
// Makes a stored record safe to use: lives within -1 .. kMaxLives, score not negative,
// the extra-life base not negative, name cut to kMaxPlayerNameLength and terminated,
// nameLength its length, the saved-game names of the form "ply" + N + ".sav"/".lvl" (a
// name of another form takes the number of its partner, or position + 1). True when
// something had to change.
bool RepairPlayerRecord(PlayerRecord& record, int32_t position);

constexpr int32_t kDifficultyChild = 1;
constexpr int32_t kDifficultyNormal = 5;

// Reads "players.cfg" into the list (replacing what was there). A missing file leaves the
// list empty and is no failure; false (and logged) when the file cannot be read: the list
// is then empty and the file is never written over. A damaged file gives the whole records
// it holds, repaired, and its original is kept as "players.cfg.bad" before the first write.
bool LoadPlayers();
// Writes the list and the current player to "players.cfg" when they differ from what the
// file holds; false (and logged) when the file cannot be written.
bool SavePlayers();
// Appends a new record named name (cut to kMaxPlayerNameLength) with the files
// "ply" + N + ".sav"/".lvl", N the new list size, and makes it current. When another
// record already names that number (a player was deleted before), N is the smallest number
// no record names, so no two players ever share a saved game. Null (and logged) when the
// list is full.
PlayerRecord* CreatePlayer(const char* name);
// Takes the record at index out of the list; the others keep their order and their files.
// When it was current, the record that takes its place (or the new last one) becomes
// current; none when the list is now empty. False (logged) outside the list. The saved
// game's files are the caller's to delete.
bool DeletePlayer(int32_t index);
// Whether another record than the one at index names the same saved-game or level file.
bool SharesSavedGame(int32_t index);
// Makes record current; a record that is not in the list is refused (false, logged).
bool SetCurrentPlayer(PlayerRecord* record);
// Frees every record; the list is empty and no player is current.
void ClearPlayers();

int32_t GetPlayerCount();
// The record at index, null outside the list.
PlayerRecord* GetPlayer(int32_t index);
// The current player, null while the list is empty.
PlayerRecord* GetCurrentPlayer();
// Position of the current player in the list, -1 when there is none.
int32_t GetCurrentPlayerIndex();

// Accessors of the current record; without a current player they give "", 0 and false,
// and the setters do nothing.
const char* CurrentPlayerName();
int32_t CurrentPlayerLives();
int32_t CurrentPlayerScore();
bool CurrentPlayerChildMode();
// Flips the child-mode flag; gives the new value.
bool ToggleCurrentPlayerChildMode();
// kDifficultyChild in child mode, kDifficultyNormal otherwise.
int32_t CurrentPlayerDifficulty();
bool CurrentPlayerExtraLifeWon();
void ClearCurrentPlayerExtraLifeWon();
const char* CurrentPlayerSaveFile();
const char* CurrentPlayerLevelFile();
