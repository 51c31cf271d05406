// Decodes the input as "players.cfg" and checks that what the game gets is safe to use.
#include "core/Log.h"
#include "profile/Players.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    return 0;
}

namespace {

bool IsSafe(const PlayerRecord& record, int32_t position) {
    if (record.name[sizeof(record.name) - 1] != '\0' || std::strlen(record.name) != record.nameLength ||
        record.nameLength > static_cast<uint32_t>(kMaxPlayerNameLength)) {
        return false;
    }
    // Repairing a decoded record again changes nothing: its file names have the safe form.
    PlayerRecord again = record;
    return !RepairPlayerRecord(again, position) && std::memcmp(&again, &record, sizeof(record)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PlayersFile players = DecodePlayersFile(data, size);
    const size_t count = players.records.size();
    // No more records than the bytes hold; the last one may lack its two padding bytes.
    constexpr size_t kPadding = sizeof(PlayerRecord::padding);
    if (count > static_cast<size_t>(kMaxPlayers) || (size >= 8 && count > (size - 8 + kPadding) / sizeof(PlayerRecord))) {
        __builtin_trap();
    }
    if (count == 0 ? players.current != -1 : (players.current < 0 || static_cast<size_t>(players.current) >= count)) {
        __builtin_trap();
    }
    for (size_t i = 0; i < count; ++i) {
        if (!IsSafe(players.records[i], static_cast<int32_t>(i))) {
            __builtin_trap();
        }
    }
    // What is written back reads back the same.
    const std::vector<uint8_t> written = EncodePlayersFile(players);
    const PlayersFile reread = DecodePlayersFile(written.data(), written.size());
    if (reread.records.size() != count || (count != 0 && reread.current != players.current)) {
        __builtin_trap();
    }
    for (size_t i = 0; i < count; ++i) {
        if (std::memcmp(&reread.records[i], &players.records[i], sizeof(PlayerRecord)) != 0) {
            __builtin_trap();
        }
    }
    return 0;
}
