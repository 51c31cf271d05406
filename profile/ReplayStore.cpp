#include "profile/ReplayStore.h"

#include "core/Log.h"
#include "game/Replay.h"
#include "profile/StoredFile.h"
#include "resources/ByteRecord.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
constexpr const char* kFolder = "replays";
constexpr const char* kIndexName = "replays/index.dat";
constexpr uint32_t kIndexVersion = 1;
constexpr char kIndexMagic[5] = "PRIX";
constexpr size_t kTextBytes = 16;
constexpr size_t kEntryBytes = 4 + kTextBytes + kTextBytes + 4 + 4;

std::string PathOf(const std::string& name) {
    return std::string(kFolder) + "/" + name;
}

// The numbers a replay file takes ("r<number>.rpl"); the next number is one past the
// highest entry at most this.
constexpr uint32_t kMaxReplaySequence = 999999999;

template <typename Fields, typename Entry>
void TransferIndexEntry(Fields& fields, Entry& entry) {
    fields.U32(entry.sequence);
    fields.Text(entry.listFile, kTextBytes);
    fields.Text(entry.playerName, kTextBytes);
    fields.U32(entry.score);
    fields.I32(entry.levels);
}

// A number the store could have given: the texts ended within their fields.
bool IsStoredEntry(const ReplayIndexEntry& entry) {
    return entry.sequence != 0 && entry.sequence < kMaxReplaySequence && entry.listFile.size() < kTextBytes &&
           entry.playerName.size() < kTextBytes;
}

// No recording grows as large as path: it is renamed to path + ".bad" (replacing an older
// one) without reading it, so that nothing written next replaces it.
void SetAside(const std::string& path) {
    CFileManager& files = CFileManager::Get();
    const std::string kept = path + ".bad";
    if ((files.Exists(kept) && !files.Delete(kept)) || !files.Rename(path, kept)) {
        CLog::Get().Write("ReadReplayFile FAILED, %s cannot be set aside as %s", path.c_str(), kept.c_str());
        return;
    }
    CLog::Get().Write("ReadReplayFile: %s is kept as %s", path.c_str(), kept.c_str());
}

bool SameEntry(const ReplayIndexEntry& a, const ReplayIndexEntry& b) {
    return a.listFile == b.listFile && a.playerName == b.playerName && a.score == b.score && a.levels == b.levels;
}
}  // namespace

bool WriteReplayFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    CFileManager::Get().MakeFolder(kFolder);
    if (!WriteStoredFile(PathOf(name), bytes)) {
        CLog::Get().Write("WriteReplayFile FAILED, file: %s", PathOf(name).c_str());
        return false;
    }
    return true;
}

bool ReadReplayFile(const std::string& name, std::vector<uint8_t>& out) {
    const std::string path = PathOf(name);
    const EStoredRead read = ReadStoredFile(path, static_cast<uint32_t>(kReplayMaxBytes) + 1, out);
    if (read == EStoredRead::Failed) {
        CLog::Get().Write("ReadReplayFile FAILED, file: %s", path.c_str());
        return false;
    }
    if (read == EStoredRead::Read && out.size() > kReplayMaxBytes) {
        CLog::Get().Write("ReadReplayFile FAILED, %s is larger than any replay (more than %zu bytes)", path.c_str(),
                          kReplayMaxBytes);
        out.clear();
        SetAside(path);
        return false;
    }
    return read == EStoredRead::Read;
}

void DeleteReplayFile(const std::string& name) {
    CFileManager& files = CFileManager::Get();
    if (files.Exists(PathOf(name))) {
        files.Delete(PathOf(name));
    }
}

std::string SavedGameReplayName(const std::string& saveFile) {
    const size_t dot = saveFile.rfind('.');
    return saveFile.substr(0, dot) + ".rpl";
}

std::string CReplayIndex::FileFor(uint32_t sequence) {
    char name[24];
    std::snprintf(name, sizeof name, "r%u.rpl", sequence);
    return name;
}

void CReplayIndex::Load() {
    m_entries.clear();
    m_nextSequence = 1;
    std::vector<uint8_t> bytes;
    if (ReadStoredFile(kIndexName, kStoredListHeadBytes + kEntryBytes * kMaxKeptReplays + 4, bytes) !=
        EStoredRead::Read) {
        return;
    }
    StoredListHead head;
    const char* why = CheckStoredList(bytes, kIndexMagic, kIndexVersion, kMaxKeptReplays, kEntryBytes, head);
    CByteReader reader(bytes.data() + kStoredListHeadBytes, bytes.size() - kStoredListHeadBytes);
    CFieldReader fields(reader);
    std::vector<ReplayIndexEntry> entries;
    uint32_t highest = 0;
    for (uint32_t i = 0; why == nullptr && i < head.count; ++i) {
        ReplayIndexEntry entry;
        TransferIndexEntry(fields, entry);
        if (!IsStoredEntry(entry)) {
            why = "entry out of range";
        }
        highest = std::max(highest, entry.sequence);
        entries.push_back(entry);
    }
    if (why != nullptr) {
        CLog::Get().Write("CReplayIndex::Load FAILED, %s: %s", kIndexName, why);
        MarkStoredFileDamaged(kIndexName);
        return;
    }
    m_entries = std::move(entries);
    m_nextSequence = head.nextSequence;
    // The next replay must not take an entry's file, nor a number past the last the names
    // hold (counting on from there would wrap): one past the highest entry.
    if (m_nextSequence <= highest || m_nextSequence > kMaxReplaySequence) {
        m_nextSequence = highest + 1;
        CLog::Get().Write("CReplayIndex::Load FAILED, %s: the next number %u is out of range, %u is taken instead",
                          kIndexName, head.nextSequence, m_nextSequence);
        MarkStoredFileDamaged(kIndexName);
        Save();
    }
}

bool CReplayIndex::Save() const {
    const std::vector<uint8_t> bytes =
        EncodeStoredList(kIndexMagic, kIndexVersion, m_nextSequence, m_entries,
                         [](CFieldWriter& fields, const ReplayIndexEntry& entry) { TransferIndexEntry(fields, entry); });
    CFileManager::Get().MakeFolder(kFolder);
    return WriteStoredFile(kIndexName, bytes);
}

bool CReplayIndex::Keep(const ReplayIndexEntry& entry, const std::vector<uint8_t>& bytes,
                        const std::vector<ReplayIndexEntry>& listEntries) {
    if (m_nextSequence >= kMaxReplaySequence) {
        CLog::Get().Write("CReplayIndex::Keep FAILED, every replay number up to %u has been given", kMaxReplaySequence);
        return false;
    }
    ReplayIndexEntry kept = entry;
    kept.sequence = m_nextSequence;
    if (!WriteReplayFile(FileFor(kept.sequence), bytes)) {
        return false;
    }
    ++m_nextSequence;
    m_entries.push_back(kept);
    DropLeftEntries(entry.listFile, listEntries);
    // Besides the kept ones: the last game and a few saved games.
    DropOldest(static_cast<size_t>(kMaxKeptReplays) - 10);
    return Save();
}

// An entry keeps its replay while the list holds as many equal entries as the index.
void CReplayIndex::DropLeftEntries(const std::string& listFile, const std::vector<ReplayIndexEntry>& listEntries) {
    for (size_t i = m_entries.size(); i-- > 0;) {
        const ReplayIndexEntry& entry = m_entries[i];
        if (entry.listFile != listFile) {
            continue;
        }
        const auto inList = std::count_if(listEntries.begin(), listEntries.end(),
                                          [&](const ReplayIndexEntry& other) { return SameEntry(entry, other); });
        const auto newerKept = std::count_if(m_entries.begin() + static_cast<std::ptrdiff_t>(i) + 1, m_entries.end(),
                                             [&](const ReplayIndexEntry& other) { return SameEntry(entry, other); });
        if (newerKept >= inList) {
            DeleteReplayFile(FileFor(entry.sequence));
            m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void CReplayIndex::DropOldest(size_t keep) {
    while (m_entries.size() > keep) {
        DeleteReplayFile(FileFor(m_entries.front().sequence));
        m_entries.erase(m_entries.begin());
    }
}

std::string CReplayIndex::Find(const std::string& listFile, const std::string& playerName, uint32_t score,
                               int32_t levels, int32_t sameBefore) const {
    ReplayIndexEntry wanted;
    wanted.listFile = listFile;
    wanted.playerName = playerName;
    wanted.score = score;
    wanted.levels = levels;
    // Equal entries in a list: the older ranks first, as the list orders them.
    int32_t seen = 0;
    for (const ReplayIndexEntry& entry : m_entries) {
        if (SameEntry(entry, wanted) && seen++ == sameBefore) {
            return FileFor(entry.sequence);
        }
    }
    return std::string();
}
