#pragma once
// Where replays are kept: the folder "replays/" in the player's folder.
//   last.rpl           the last game played (finished or left)
//   ply<N>.rpl         the game kept in player N's saved game, up to that save
//   r<sequence>.rpl    one per high-score entry, named in "index.dat"
// The index says which entry (list file, name, score, levels) a kept replay belongs to;
// the high-score files keep their own layout. At most kMaxKeptReplays files are kept: a
// replay whose entry has left its list goes first, then the oldest.
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kMaxKeptReplays = 50;
constexpr const char* kLastReplayName = "last.rpl";

// "replays/" + name; false (logged) when the folder or the file cannot be written.
bool WriteReplayFile(const std::string& name, const std::vector<uint8_t>& bytes);
// False (logged when it exists) when the file cannot be read or is larger than any replay
// (kReplayMaxBytes, the recorder's own limit); such a file is renamed to ".bad".
bool ReadReplayFile(const std::string& name, std::vector<uint8_t>& out);
void DeleteReplayFile(const std::string& name);
// The replay kept with a saved game: "ply3.sav" keeps "ply3.rpl".
std::string SavedGameReplayName(const std::string& saveFile);

struct ReplayIndexEntry {
    uint32_t sequence = 0;
    std::string listFile;     // "hs1.dat" or "hs5.dat"
    std::string playerName;
    uint32_t score = 0;
    int32_t levels = 0;
};

// The kept replays by high-score entry.
class CReplayIndex {
public:
    // A missing index is empty; a damaged one is set aside (".bad") and counts as empty.
    void Load();
    bool Save() const;

    // Keeps bytes as the replay of an entry now in the list of listFile; entries of that
    // list that are no longer among listEntries lose their replays, and the oldest go
    // while more than kMaxKeptReplays are kept.
    bool Keep(const ReplayIndexEntry& entry, const std::vector<uint8_t>& bytes,
              const std::vector<ReplayIndexEntry>& listEntries);
    // The kept replay of the entry (file name), or "" when it has none. The n-th of equal
    // entries in a list is the n-th kept for them.
    std::string Find(const std::string& listFile, const std::string& playerName, uint32_t score, int32_t levels,
                     int32_t sameBefore) const;

    const std::vector<ReplayIndexEntry>& Entries() const { return m_entries; }
    static std::string FileFor(uint32_t sequence);

private:
    void DropLeftEntries(const std::string& listFile, const std::vector<ReplayIndexEntry>& listEntries);
    void DropOldest(size_t keep);

    std::vector<ReplayIndexEntry> m_entries;   // oldest first
    uint32_t m_nextSequence = 1;
};
