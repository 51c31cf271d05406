#include "profile/ReplayLibrary.h"

#include "core/Log.h"
#include "profile/ReplayStore.h"
#include "profile/StoredFile.h"
#include "resources/ByteRecord.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
constexpr uint32_t kLibraryVersion = 1;
constexpr char kLibraryMagic[5] = "PRLB";
constexpr size_t kTextBytes = 16;
constexpr size_t kSideBytes = 1 + 1 + kTextBytes + 1;
constexpr size_t kEntryBytes = 4 + 1 + 1 + 1 + 4 + kTextBytes + kVersusSides * kSideBytes + 1 + 1 + 4 + 4 + 4;
constexpr uint8_t kNoWinner = 0xFF;
constexpr uint32_t kMaxSequence = 999999999;

// An entry as whole numbers, the way the file keeps it.
struct StoredEntry {
    uint32_t sequence = 0;
    uint8_t kind = 0;
    uint8_t mode = 0;
    bool finished = false;
    uint32_t date = 0;
    std::string file;
    uint8_t sideKinds[kVersusSides] = {};
    uint8_t strengths[kVersusSides] = {};
    std::string names[kVersusSides];
    uint8_t roundsWon[kVersusSides] = {};
    uint8_t winner = kNoWinner;
    uint8_t ownSide = 0;
    uint32_t score = 0;
    int32_t levels = 0;
    uint32_t steps = 0;
};

template <typename Fields, typename Entry>
void TransferEntry(Fields& fields, Entry& entry) {
    fields.U32(entry.sequence);
    fields.U8(entry.kind);
    fields.U8(entry.mode);
    fields.ExactFlag(entry.finished);
    fields.U32(entry.date);
    fields.Text(entry.file, kTextBytes);
    for (int32_t side = 0; side < kVersusSides; ++side) {
        fields.U8(entry.sideKinds[side]);
        fields.U8(entry.strengths[side]);
        fields.Text(entry.names[side], kTextBytes);
        fields.U8(entry.roundsWon[side]);
    }
    fields.U8(entry.winner);
    fields.U8(entry.ownSide);
    fields.U32(entry.score);
    fields.I32(entry.levels);
    fields.U32(entry.steps);
}

StoredEntry ToStored(const LibraryEntry& entry) {
    StoredEntry stored;
    stored.sequence = entry.sequence;
    stored.kind = static_cast<uint8_t>(entry.kind);
    stored.mode = static_cast<uint8_t>(entry.mode);
    stored.finished = entry.finished;
    stored.date = entry.date;
    stored.file = entry.file;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        stored.sideKinds[side] = static_cast<uint8_t>(entry.kinds[side]);
        stored.strengths[side] = entry.strengths[side];
        stored.names[side] = entry.names[side];
        stored.roundsWon[side] = static_cast<uint8_t>(std::clamp(entry.roundsWon[side], 0, 255));
    }
    stored.winner = entry.winner < 0 ? kNoWinner : static_cast<uint8_t>(entry.winner);
    stored.ownSide = static_cast<uint8_t>(entry.ownSide);
    stored.score = entry.score;
    stored.levels = entry.levels;
    stored.steps = entry.steps;
    return stored;
}

// A file name the library or the high-score index gives: letters, digits and one dot.
bool IsReplayFileName(const std::string& name) {
    if (name.empty() || name.size() >= kTextBytes || name.front() == '.') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.';
    }) && std::count(name.begin(), name.end(), '.') == 1;
}

// The entry the store could have written, or false.
bool FromStored(const StoredEntry& stored, LibraryEntry& entry) {
    if (stored.sequence > kMaxSequence || stored.kind < 1 || stored.kind > 2 ||
        stored.mode < 1 || stored.mode > 3 || !IsReplayFileName(stored.file) ||
        (stored.winner != kNoWinner && stored.winner >= kVersusSides) || stored.ownSide >= kVersusSides) {
        return false;
    }
    entry.sequence = stored.sequence;
    entry.kind = static_cast<ELibraryKind>(stored.kind);
    entry.mode = static_cast<EMatchMode>(stored.mode);
    entry.finished = stored.finished;
    entry.date = stored.date;
    entry.file = stored.file;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        if (stored.sideKinds[side] < 1 || stored.sideKinds[side] > 3 || stored.strengths[side] > 2 ||
            stored.names[side].size() >= kTextBytes || stored.roundsWon[side] > 20) {
            return false;
        }
        entry.kinds[side] = static_cast<EMatchSideKind>(stored.sideKinds[side]);
        entry.strengths[side] = stored.strengths[side];
        entry.names[side] = stored.names[side];
        entry.roundsWon[side] = stored.roundsWon[side];
    }
    entry.winner = stored.winner == kNoWinner ? -1 : stored.winner;
    entry.ownSide = stored.ownSide;
    entry.score = stored.score;
    entry.levels = stored.levels;
    entry.steps = stored.steps;
    return true;
}

std::string FileName(ELibraryKind kind, uint32_t sequence) {
    char name[24];
    std::snprintf(name, sizeof name, kind == ELibraryKind::Match ? "m%u.rec" : "g%u.rpl", sequence);
    return name;
}

bool ReplayFileExists(const std::string& name) {
    return CFileManager::Get().Exists(std::string("replays/") + name);
}
}  // namespace

LibraryEntry GameLibraryEntry(const ReplayData& replay, uint32_t date) {
    LibraryEntry entry;
    entry.kind = ELibraryKind::Game;
    entry.date = date;
    entry.finished = replay.header.finished;
    entry.names[0] = replay.header.playerName;
    entry.score = replay.header.finished ? replay.header.finalScore : static_cast<uint32_t>(replay.header.score);
    entry.levels = replay.header.levelsFinished;
    entry.steps = replay.header.steps;
    return entry;
}

LibraryEntry MatchLibraryEntry(const MatchRecord& record) {
    LibraryEntry entry;
    entry.kind = ELibraryKind::Match;
    entry.mode = record.mode;
    entry.date = record.date;
    entry.finished = record.hasOutcome && record.outcome.finished;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        entry.kinds[side] = record.sides[side].kind;
        entry.strengths[side] = record.sides[side].strength;
        entry.names[side] = record.sides[side].name.substr(0, kTextBytes - 1);
        entry.roundsWon[side] = record.outcome.roundsWon[side];
    }
    entry.winner = record.outcome.winner;
    entry.ownSide = record.ownSide;
    entry.steps = record.LengthSteps();
    return entry;
}

void CReplayLibrary::Load() {
    m_entries.clear();
    m_linked.clear();
    m_nextSequence = 1;
    std::vector<uint8_t> bytes;
    const EStoredRead read =
        ReadStoredFile(kLibraryIndexName, kStoredListHeadBytes + kEntryBytes * kLibraryMaxEntries + 4, bytes);
    const char* why = nullptr;
    std::vector<LibraryEntry> entries;
    StoredListHead head;
    if (read == EStoredRead::Read) {
        why = CheckStoredList(bytes, kLibraryMagic, kLibraryVersion, kLibraryMaxEntries, kEntryBytes, head);
        CByteReader reader(bytes.data() + kStoredListHeadBytes, bytes.size() - kStoredListHeadBytes);
        CFieldReader fields(reader);
        for (uint32_t i = 0; why == nullptr && i < head.count; ++i) {
            StoredEntry stored;
            TransferEntry(fields, stored);
            LibraryEntry entry;
            if (reader.Failed() || !FromStored(stored, entry)) {
                why = "entry out of range";
            }
            entries.push_back(std::move(entry));
        }
    }
    if (why != nullptr) {
        // The replay files stay; new ones never take the name of one that is there.
        CLog::Get().Write("CReplayLibrary::Load FAILED, %s: %s; it is set aside and the list starts empty",
                          kLibraryIndexName, why);
        MarkStoredFileDamaged(kLibraryIndexName);
        entries.clear();
        head.nextSequence = 1;
    }
    bool changed = why != nullptr;
    for (LibraryEntry& entry : entries) {
        if (!ReplayFileExists(entry.file)) {
            changed = true;   // its high-score entry left the list, or the file was removed
            continue;
        }
        m_entries.push_back(std::move(entry));
    }
    m_nextSequence = std::clamp<uint32_t>(head.nextSequence, 1, kMaxSequence);
    const size_t before = m_entries.size();
    TakeInHighScoreReplays();
    if (changed || m_entries.size() != before) {
        Save();
    }
}

void CReplayLibrary::TakeInHighScoreReplays() {
    CReplayIndex index;
    index.Load();
    for (const ReplayIndexEntry& kept : index.Entries()) {
        const std::string file = CReplayIndex::FileFor(kept.sequence);
        m_linked.push_back(file);
        const bool listed = std::any_of(m_entries.begin(), m_entries.end(),
                                        [&](const LibraryEntry& entry) { return entry.file == file; });
        if (listed || static_cast<int32_t>(m_entries.size()) >= kLibraryMaxEntries) {
            continue;
        }
        std::vector<uint8_t> bytes;
        ReplayData replay;
        std::string why;
        if (!ReadReplayFile(file, bytes) || !DecodeReplay(bytes, replay, why)) {
            continue;
        }
        LibraryEntry entry = GameLibraryEntry(replay, 0);
        entry.file = file;
        entry.sequence = kept.sequence;
        entry.names[0] = kept.playerName.substr(0, kTextBytes - 1);
        // Older than anything the list kept itself.
        m_entries.insert(m_entries.begin(), std::move(entry));
    }
}

bool CReplayLibrary::Save() const {
    const std::vector<uint8_t> bytes =
        EncodeStoredList(kLibraryMagic, kLibraryVersion, m_nextSequence, m_entries,
                         [](CFieldWriter& fields, const LibraryEntry& entry) {
                             const StoredEntry stored = ToStored(entry);
                             TransferEntry(fields, stored);
                         });
    CFileManager::Get().MakeFolder("replays");
    if (!WriteStoredFile(kLibraryIndexName, bytes)) {
        CLog::Get().Write("CReplayLibrary::Save FAILED, file: %s", kLibraryIndexName);
        return false;
    }
    return true;
}

bool CReplayLibrary::IsLinked(const LibraryEntry& entry) const {
    return std::find(m_linked.begin(), m_linked.end(), entry.file) != m_linked.end();
}

uint32_t CReplayLibrary::FreeSequence() const {
    uint32_t sequence = m_nextSequence;
    while (sequence < kMaxSequence &&
           (ReplayFileExists(FileName(ELibraryKind::Game, sequence)) ||
            ReplayFileExists(FileName(ELibraryKind::Match, sequence)))) {
        ++sequence;
    }
    return sequence;
}

bool CReplayLibrary::Add(LibraryEntry entry, const std::vector<uint8_t>& bytes) {
    const uint32_t sequence = FreeSequence();
    if (sequence >= kMaxSequence) {
        CLog::Get().Write("CReplayLibrary::Add FAILED, every number up to %u has been given", kMaxSequence);
        return false;
    }
    entry.sequence = sequence;
    entry.file = FileName(entry.kind, sequence);
    if (!WriteReplayFile(entry.file, bytes)) {
        return false;
    }
    m_nextSequence = sequence + 1;
    return Insert(std::move(entry));
}

bool CReplayLibrary::AddLinked(LibraryEntry entry, const std::string& file) {
    if (!IsReplayFileName(file)) {
        CLog::Get().Write("CReplayLibrary::AddLinked FAILED, not a replay's name: %s", file.c_str());
        return false;
    }
    entry.file = file;
    if (!IsLinked(entry)) {
        m_linked.push_back(file);
    }
    // Taken in already when the list was read: this entry says more (its date).
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&](const LibraryEntry& listed) { return listed.file == file; }),
                    m_entries.end());
    return Insert(std::move(entry));
}

bool CReplayLibrary::Insert(LibraryEntry entry) {
    m_entries.push_back(std::move(entry));
    DropOldest();
    return Save();
}

// The oldest unlinked entries go, with their files, while more than kLibraryKept are kept;
// a high-score replay's file is the high-score index's to remove.
void CReplayLibrary::DropOldest() {
    auto unlinked = [&] {
        return std::count_if(m_entries.begin(), m_entries.end(),
                             [&](const LibraryEntry& entry) { return !IsLinked(entry); });
    };
    for (auto count = unlinked(); count > kLibraryKept || static_cast<int32_t>(m_entries.size()) > kLibraryMaxEntries;
         --count) {
        const auto oldest = std::find_if(m_entries.begin(), m_entries.end(),
                                         [&](const LibraryEntry& entry) { return !IsLinked(entry); });
        if (oldest == m_entries.end()) {
            break;
        }
        DeleteReplayFile(oldest->file);
        m_entries.erase(oldest);
    }
}

std::vector<LibraryEntry> CReplayLibrary::Newest() const {
    return std::vector<LibraryEntry>(m_entries.rbegin(), m_entries.rend());
}
