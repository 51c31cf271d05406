#pragma once
// The ten best results of one difficulty, kept in "hs" + difficulty + ".dat" in the data
// folder: exactly the 440 bytes of the ten entries, best first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kHighscoreEntries = 10;
constexpr size_t kHighscoreFileSize = 440;

// One entry, stored byte for byte (44 bytes, little-endian).
struct HighscoreEntry {
    char name[28] = {};         // NUL-terminated player name
    uint32_t nameCheck = 0;     // HighscoreChecksum of name
    uint32_t score = 0;
    uint32_t scoreCheck = 0;    // HighscoreChecksum of the decimal text of score
    int32_t levels = 0;         // levels completed in that game
};
static_assert(sizeof(HighscoreEntry) == 44, "HighscoreEntry is the 44-byte entry of hs*.dat");

// The checksum written beside names and scores: CRC-32 with the register inverted after
// every byte. "abc" gives 0x5900434F.
uint32_t HighscoreChecksum(const char* text);
// The ten entries from the bytes of a high-score file: whole entries as stored (names
// terminated), entries past a short file empty. True when all 440 bytes were there.
bool DecodeHighscoreEntries(const uint8_t* bytes, size_t size, HighscoreEntry (&entries)[kHighscoreEntries]);
std::vector<uint8_t> EncodeHighscoreEntries(const HighscoreEntry (&entries)[kHighscoreEntries]);
// "hs" + difficulty in decimal + ".dat".
std::string HighscoreFileName(int32_t difficulty);

class CHighscore {
public:
    static CHighscore& Get();

    // Points the list at fileName, forgets the last rank and loads the file.
    void SelectFile(const std::string& fileName);
    // A missing file gives the default list (not written yet). False (and logged) when
    // the file exists but cannot be read; the entries then stay as they were. A short file
    // keeps its whole entries and empties the rest.
    bool Load();
    // Writes the 440 bytes; false (and logged) when the file cannot be written.
    bool Save();

    // Position 0 to 9 the score would take, -1 when every entry is at least as high
    // (an equal score ranks below the older entry).
    int32_t FindRank(uint32_t score) const;
    // Inserts the result at its rank, drops the tenth entry and saves. False when the
    // score does not enter the list.
    bool AddEntry(uint32_t score, int32_t levels, const char* name);

    // The entry at position (0 best); positions outside the list give an empty entry.
    const HighscoreEntry& Entry(int32_t position) const;
    // Position of the entry added last since the file was selected, -1 when none.
    int32_t GetLastRank() const { return m_lastRank; }
    const std::string& GetFileName() const { return m_fileName; }

    // The ten default entries, named with the current language's product name.
    void FillDefaults();

private:
    CHighscore() = default;
    CHighscore(const CHighscore&) = delete;
    CHighscore& operator=(const CHighscore&) = delete;

    int32_t m_lastRank = -1;
    std::string m_fileName;
    HighscoreEntry m_entries[kHighscoreEntries];
};
