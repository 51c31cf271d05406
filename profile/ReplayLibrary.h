#pragma once
// The replays list: the player's last games and matches, kept in "replays/" beside the
// high-score replays (profile/ReplayStore.h).
//   library.dat        the list: one entry per kept game or match, with what the Replays
//                      screen shows (date, mode, players, result or score, length)
//   g<sequence>.rpl    a game the list keeps
//   m<sequence>.rec    a match the list keeps (game/MatchRecord.h)
// The list keeps the last kLibraryKept games and matches; a game linked from a high-score
// list (its replay the high-score index's "r<N>.rpl") is kept besides them for as long as
// its entry is in the list, and the library never deletes that file. A damaged list is set
// aside (".bad"), logged, and starts empty; the replay files stay where they are and no new
// file takes the name of one that is there.
#include "game/MatchRecord.h"
#include "game/Replay.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kLibraryKept = 30;
// The list never holds more entries than this (the kept ones and every high-score replay).
constexpr int32_t kLibraryMaxEntries = 128;
constexpr const char* kLibraryIndexName = "replays/library.dat";

enum class ELibraryKind : uint8_t {
    Game = 1,
    Match = 2,
};

struct LibraryEntry {
    uint32_t sequence = 0;
    ELibraryKind kind = ELibraryKind::Game;
    EMatchMode mode = EMatchMode::Computer;      // matches only
    uint32_t date = 0;                           // seconds since 1970 (UTC); 0: unknown
    std::string file;                            // in "replays/"
    bool finished = false;                       // played to its end, not left
    // Games: the player, the score, the levels finished.
    // Matches: each side's player (kind, the computer's strength, name), the rounds won
    // and the winner (-1 for none), and the side of this program's player.
    EMatchSideKind kinds[kVersusSides] = {EMatchSideKind::Player, EMatchSideKind::Player};
    uint8_t strengths[kVersusSides] = {};
    std::string names[kVersusSides];
    int32_t roundsWon[kVersusSides] = {};
    int32_t winner = -1;
    int32_t ownSide = 0;
    uint32_t score = 0;
    int32_t levels = 0;
    uint32_t steps = 0;                          // its length, 150 steps a second
};

// The entry of a recorded game, and of a kept match, on the given date.
LibraryEntry GameLibraryEntry(const ReplayData& replay, uint32_t date);
LibraryEntry MatchLibraryEntry(const MatchRecord& record);

class CReplayLibrary {
public:
    // Reads the list; entries whose file has gone are dropped, and the high-score replays
    // it does not list yet are taken in.
    void Load();
    bool Save() const;

    // Keeps a game or a match: its bytes in a new file of the list, then the oldest go
    // while more than kLibraryKept are kept that no high-score list links. False (logged)
    // when the file cannot be written.
    bool Add(LibraryEntry entry, const std::vector<uint8_t>& bytes);
    // Keeps a game whose replay a high-score list links (file, "r<N>.rpl").
    bool AddLinked(LibraryEntry entry, const std::string& file);

    // Newest first.
    std::vector<LibraryEntry> Newest() const;
    const std::vector<LibraryEntry>& Entries() const { return m_entries; }   // oldest first
    // Whether a high-score list links the entry's file.
    bool IsLinked(const LibraryEntry& entry) const;

private:
    bool Insert(LibraryEntry entry);
    void DropOldest();
    void TakeInHighScoreReplays();
    // A sequence whose files are free, from m_nextSequence on.
    uint32_t FreeSequence() const;

    std::vector<LibraryEntry> m_entries;     // oldest first
    std::vector<std::string> m_linked;       // the files the high-score index names
    uint32_t m_nextSequence = 1;
};
