#include "profile/Players.h"

#include "core/Log.h"
#include "profile/StoredFile.h"
#include "resources/ByteRecord.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const kPlayersFileName = "players.cfg";
constexpr size_t kRecordSize = sizeof(PlayerRecord);
// Everything of a record up to its two padding bytes.
constexpr size_t kRecordWithoutPadding = offsetof(PlayerRecord, padding);
static_assert(kRecordWithoutPadding == 106);

std::vector<std::unique_ptr<PlayerRecord>> g_players;
PlayerRecord* g_current = nullptr;
// The bytes "players.cfg" held when it was last read or written: a list that did not
// change is not written again, so a second copy of the game on the same folder does not
// undo the other's changes without need.
std::vector<uint8_t> g_storedBytes;
bool g_storedKnown = false;

// One record of "players.cfg", both ways.
template <typename Fields, typename Record>
void TransferPlayerRecord(Fields& fields, Record& record) {
    fields.I32(record.lives);
    fields.I32(record.score);
    fields.I32(record.gameCounter);
    fields.F32(record.gameTimer);
    fields.I32(record.extraLifeBase);
    fields.Chars(record.name);
    fields.U32(record.nameLength);
    fields.Chars(record.saveFile);
    fields.Chars(record.levelFile);
    fields.I32(record.reservedCounter);
    for (auto& counter : record.gameCounters) {
        fields.I32(counter);
    }
    fields.U8(record.extraLifeWon);
    fields.U8(record.childMode);
    fields.U8(record.padding[0]);
    fields.U8(record.padding[1]);
}

PlayerRecord DecodeRecord(const uint8_t (&bytes)[kRecordSize]) {
    CByteReader reader(bytes, kRecordSize);
    CFieldReader fields(reader);
    PlayerRecord record;
    TransferPlayerRecord(fields, record);
    return record;
}

// Keeps at most maxLength characters of text, terminated, with the rest of the buffer
// cleared. True when the text changed.
template <size_t N>
bool CutText(char (&text)[N], size_t maxLength) {
    static_assert(N > 0);
    const size_t keep = std::min(maxLength, N - 1);
    const size_t length = strnlen(text, keep + 1);
    const bool changed = length > keep;
    const size_t end = std::min(length, keep);
    std::memset(text + end, 0, N - end);
    return changed;
}

// The number N of a name "ply" + N + extension (N decimal, no leading zero, at most nine
// digits); 0 when the name has another form.
int32_t SavedGameNumber(const char* name, const char* extension) {
    if (std::strncmp(name, "ply", 3) != 0 || name[3] < '1' || name[3] > '9') {
        return 0;
    }
    int32_t number = 0;
    size_t i = 3;
    for (; i < 12 && name[i] >= '0' && name[i] <= '9'; ++i) {
        number = number * 10 + (name[i] - '0');
    }
    return std::strcmp(name + i, extension) == 0 ? number : 0;
}

template <size_t N>
void SetSavedGameName(char (&text)[N], int32_t number, const char* extension) {
    std::memset(text, 0, N);
    std::snprintf(text, N, "ply%d%s", static_cast<int>(number), extension);
}

// Whether a record other than skip names the saved-game number.
bool SavedGameNumberUsed(int32_t number, const PlayerRecord* skip) {
    for (const std::unique_ptr<PlayerRecord>& record : g_players) {
        if (record.get() != skip && (SavedGameNumber(record->saveFile, ".sav") == number ||
                                     SavedGameNumber(record->levelFile, ".lvl") == number)) {
            return true;
        }
    }
    return false;
}

// The list size, or the smallest number no other record names when that one is taken.
int32_t FreeSavedGameNumber(const PlayerRecord* created) {
    const int32_t size = static_cast<int32_t>(g_players.size());
    if (!SavedGameNumberUsed(size, created)) {
        return size;
    }
    int32_t number = 1;
    while (SavedGameNumberUsed(number, created)) {
        ++number;
    }
    return number;
}

int32_t IndexOf(const PlayerRecord* record) {
    for (size_t i = 0; i < g_players.size(); ++i) {
        if (g_players[i].get() == record) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

}  // namespace

bool RepairPlayerRecord(PlayerRecord& record, int32_t position) {
    bool changed = CutText(record.name, kMaxPlayerNameLength);
    // The running values of a game, bounded as the game bounds them.
    const int32_t lives = std::clamp(record.lives, -1, kMaxLives);
    const int32_t score = std::max(record.score, 0);
    const int32_t extraLifeBase = std::max(record.extraLifeBase, 0);
    if (lives != record.lives || score != record.score || extraLifeBase != record.extraLifeBase) {
        record.lives = lives;
        record.score = score;
        record.extraLifeBase = extraLifeBase;
        changed = true;
    }
    CutText(record.saveFile, sizeof(record.saveFile) - 1);
    CutText(record.levelFile, sizeof(record.levelFile) - 1);
    const uint32_t length = static_cast<uint32_t>(std::strlen(record.name));
    changed = changed || record.nameLength != length;
    record.nameLength = length;

    const int32_t saveNumber = SavedGameNumber(record.saveFile, ".sav");
    const int32_t levelNumber = SavedGameNumber(record.levelFile, ".lvl");
    if (saveNumber == 0 || levelNumber == 0) {
        const int32_t partner = std::max(saveNumber, levelNumber);
        const int32_t number = partner != 0 ? partner : position + 1;
        SetSavedGameName(record.saveFile, saveNumber != 0 ? saveNumber : number, ".sav");
        SetSavedGameName(record.levelFile, levelNumber != 0 ? levelNumber : number, ".lvl");
        changed = true;
    }
    return changed;
}

PlayersFile DecodePlayersFile(const uint8_t* bytes, size_t size) {
    PlayersFile players;
    if (size < PlayersFileSize(0)) {
        if (size != 0) {
            CLog::Get().Write("DecodePlayersFile FAILED, %zu bytes are no player list", size);
            players.damaged = true;
        }
        return players;
    }
    CByteReader head(bytes, PlayersFileSize(0));
    const int32_t storedCount = head.I32();
    const int32_t storedCurrent = head.I32();
    // The records themselves count, not the number before them: a damaged count loses no
    // player. A last record that lacks only its padding is whole enough to keep.
    const size_t body = size - PlayersFileSize(0);
    size_t records = body / kRecordSize;
    const size_t tail = body % kRecordSize;
    const bool paddingMissing = tail >= kRecordWithoutPadding;
    if (paddingMissing) {
        ++records;
    }
    const size_t count = std::min(records, static_cast<size_t>(kMaxPlayers));
    if (storedCount < 0 || static_cast<size_t>(storedCount) != count || tail != 0 || records > count) {
        CLog::Get().Write("DecodePlayersFile FAILED, the list claims %d players in %zu bytes, %zu are read",
                          storedCount, size, count);
        players.damaged = true;
    }
    players.records.reserve(count);
    size_t repaired = 0;
    size_t firstRepaired = 0;
    for (size_t i = 0; i < count; ++i) {
        uint8_t whole[kRecordSize] = {};
        const size_t offset = PlayersFileSize(i);
        std::memcpy(whole, bytes + offset, std::min(kRecordSize, size - offset));
        PlayerRecord record = DecodeRecord(whole);
        if (RepairPlayerRecord(record, static_cast<int32_t>(i)) && repaired++ == 0) {
            firstRepaired = i + 1;
        }
        players.records.push_back(record);
    }
    if (repaired != 0) {
        CLog::Get().Write("DecodePlayersFile FAILED, %zu damaged players repaired, the first is player %zu", repaired,
                          firstRepaired);
        players.damaged = true;
    }
    if (count == 0) {
        players.current = -1;
    } else if (storedCurrent < 0 || static_cast<size_t>(storedCurrent) >= count) {
        CLog::Get().Write("DecodePlayersFile FAILED, current player %d is not in the list", storedCurrent);
        players.current = 0;
        players.damaged = true;
    } else {
        players.current = storedCurrent;
    }
    return players;
}

std::vector<uint8_t> EncodePlayersFile(const PlayersFile& players) {
    std::vector<uint8_t> out;
    out.reserve(PlayersFileSize(players.records.size()));
    CByteWriter writer(out);
    writer.I32(static_cast<int32_t>(players.records.size()));
    writer.I32(std::max(players.current, 0));
    CFieldWriter fields(writer);
    for (const PlayerRecord& record : players.records) {
        TransferPlayerRecord(fields, record);
    }
    return out;
}

bool LoadPlayers() {
    std::vector<uint8_t> bytes;
    const EStoredRead result =
        ReadStoredFile(kPlayersFileName, static_cast<uint32_t>(PlayersFileSize(kMaxPlayers)), bytes);
    g_storedBytes.clear();
    g_storedKnown = result == EStoredRead::Missing;
    if (result == EStoredRead::Missing) {
        return true;
    }
    if (result == EStoredRead::Failed) {
        // The file stays as it is (the file layer refuses to write over it).
        CLog::Get().Write("LoadPlayers FAILED, couldn't read %s", kPlayersFileName);
        return false;
    }
    const PlayersFile players = DecodePlayersFile(bytes.data(), bytes.size());
    if (players.damaged) {
        MarkStoredFileDamaged(kPlayersFileName);
    }
    ClearPlayers();
    g_storedBytes = bytes;
    g_storedKnown = true;
    for (const PlayerRecord& record : players.records) {
        g_players.push_back(std::make_unique<PlayerRecord>(record));
    }
    g_current = players.current >= 0 ? g_players[static_cast<size_t>(players.current)].get() : nullptr;
    return true;
}

bool SavePlayers() {
    PlayersFile players;
    players.records.reserve(g_players.size());
    for (const std::unique_ptr<PlayerRecord>& record : g_players) {
        players.records.push_back(*record);
    }
    players.current = GetCurrentPlayerIndex();
    std::vector<uint8_t> bytes = EncodePlayersFile(players);
    if (g_storedKnown && bytes == g_storedBytes) {
        return true;  // unchanged since it was read or written
    }
    if (!WriteStoredFile(kPlayersFileName, bytes)) {
        CLog::Get().Write("SavePlayers FAILED, couldn't write %s", kPlayersFileName);
        return false;
    }
    g_storedBytes = std::move(bytes);
    g_storedKnown = true;
    return true;
}

PlayerRecord* CreatePlayer(const char* name) {
    if (g_players.size() >= static_cast<size_t>(kMaxPlayers)) {
        CLog::Get().Write("CreatePlayer FAILED, the list already holds %d players", kMaxPlayers);
        return nullptr;
    }
    auto record = std::make_unique<PlayerRecord>();
    std::strncpy(record->name, name != nullptr ? name : "", kMaxPlayerNameLength);
    record->nameLength = static_cast<uint32_t>(std::strlen(record->name));
    g_players.push_back(std::move(record));
    PlayerRecord* created = g_players.back().get();
    const int32_t number = FreeSavedGameNumber(created);
    SetSavedGameName(created->saveFile, number, ".sav");
    SetSavedGameName(created->levelFile, number, ".lvl");
    g_current = created;
    return created;
}

bool SetCurrentPlayer(PlayerRecord* record) {
    if (IndexOf(record) < 0) {
        CLog::Get().Write("SetCurrentPlayer FAILED, the record is not in the player list");
        return false;
    }
    g_current = record;
    return true;
}

bool DeletePlayer(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= g_players.size()) {
        CLog::Get().Write("DeletePlayer FAILED, no player %d in a list of %zu", index, g_players.size());
        return false;
    }
    const bool wasCurrent = g_players[static_cast<size_t>(index)].get() == g_current;
    g_players.erase(g_players.begin() + index);
    if (wasCurrent && g_players.empty()) {
        g_current = nullptr;
    } else if (wasCurrent) {
        g_current = g_players[std::min(static_cast<size_t>(index), g_players.size() - 1)].get();
    }
    return true;
}

bool SharesSavedGame(int32_t index) {
    const PlayerRecord* record = GetPlayer(index);
    if (record == nullptr) {
        return false;
    }
    for (const std::unique_ptr<PlayerRecord>& other : g_players) {
        if (other.get() != record && (std::strcmp(other->saveFile, record->saveFile) == 0 ||
                                      std::strcmp(other->levelFile, record->levelFile) == 0)) {
            return true;
        }
    }
    return false;
}

void ClearPlayers() {
    g_current = nullptr;
    g_players.clear();
    g_storedBytes.clear();
    g_storedKnown = false;
}

int32_t GetPlayerCount() {
    return static_cast<int32_t>(g_players.size());
}

PlayerRecord* GetPlayer(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= g_players.size()) {
        return nullptr;
    }
    return g_players[static_cast<size_t>(index)].get();
}

PlayerRecord* GetCurrentPlayer() {
    return g_current;
}

int32_t GetCurrentPlayerIndex() {
    return IndexOf(g_current);
}

const char* CurrentPlayerName() {
    return g_current != nullptr ? g_current->name : "";
}

int32_t CurrentPlayerLives() {
    return g_current != nullptr ? g_current->lives : 0;
}

int32_t CurrentPlayerScore() {
    return g_current != nullptr ? g_current->score : 0;
}

bool CurrentPlayerChildMode() {
    return g_current != nullptr && g_current->childMode != 0;
}

bool ToggleCurrentPlayerChildMode() {
    if (g_current == nullptr) {
        return false;
    }
    g_current->childMode = g_current->childMode != 0 ? 0 : 1;
    return g_current->childMode != 0;
}

int32_t CurrentPlayerDifficulty() {
    return CurrentPlayerChildMode() ? kDifficultyChild : kDifficultyNormal;
}

bool CurrentPlayerExtraLifeWon() {
    return g_current != nullptr && g_current->extraLifeWon != 0;
}

void ClearCurrentPlayerExtraLifeWon() {
    if (g_current != nullptr) {
        g_current->extraLifeWon = 0;
    }
}

const char* CurrentPlayerSaveFile() {
    return g_current != nullptr ? g_current->saveFile : "";
}

const char* CurrentPlayerLevelFile() {
    return g_current != nullptr ? g_current->levelFile : "";
}
