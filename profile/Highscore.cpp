#include "profile/Highscore.h"

#include "core/Log.h"
#include "profile/Language.h"
#include "profile/StoredFile.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kEntrySize = sizeof(HighscoreEntry);
static_assert(kEntrySize * kHighscoreEntries == kHighscoreFileSize);

constexpr uint32_t kDefaultScores[kHighscoreEntries] = {
    1000000, 500000, 400000, 300000, 200000, 100000, 75000, 50000, 25000, 10000,
};

uint32_t ScoreChecksum(uint32_t score) {
    char text[16];
    std::snprintf(text, sizeof(text), "%u", static_cast<unsigned>(score));
    return HighscoreChecksum(text);
}

void SetEntry(HighscoreEntry& entry, uint32_t score, int32_t levels, const char* name) {
    std::memset(entry.name, 0, sizeof(entry.name));
    std::strncpy(entry.name, name != nullptr ? name : "", sizeof(entry.name) - 1);
    entry.nameCheck = HighscoreChecksum(entry.name);
    entry.score = score;
    entry.scoreCheck = ScoreChecksum(score);
    entry.levels = levels;
}

}  // namespace

uint32_t HighscoreChecksum(const char* text) {
    uint32_t c = 0xFFFFFFFFu;
    for (const char* p = text; *p != '\0'; ++p) {
        const uint8_t byte = static_cast<uint8_t>(*p);
        c = ~Crc32Update(c, &byte, 1);
    }
    return ~c;
}

std::string HighscoreFileName(int32_t difficulty) {
    return "hs" + std::to_string(difficulty) + ".dat";
}

bool DecodeHighscoreEntries(const uint8_t* bytes, size_t size, HighscoreEntry (&entries)[kHighscoreEntries]) {
    for (size_t i = 0; i < static_cast<size_t>(kHighscoreEntries); ++i) {
        HighscoreEntry& entry = entries[i];
        entry = HighscoreEntry();
        if ((i + 1) * kEntrySize > size) {
            continue;
        }
        const uint8_t* in = bytes + i * kEntrySize;
        std::memcpy(entry.name, in, sizeof(entry.name));
        entry.name[sizeof(entry.name) - 1] = '\0';
        entry.nameCheck = ReadLe32(in + 28);
        entry.score = ReadLe32(in + 32);
        entry.scoreCheck = ReadLe32(in + 36);
        entry.levels = static_cast<int32_t>(ReadLe32(in + 40));
    }
    return size >= kHighscoreFileSize;
}

std::vector<uint8_t> EncodeHighscoreEntries(const HighscoreEntry (&entries)[kHighscoreEntries]) {
    std::vector<uint8_t> out(kHighscoreFileSize);
    for (size_t i = 0; i < static_cast<size_t>(kHighscoreEntries); ++i) {
        const HighscoreEntry& entry = entries[i];
        uint8_t* at = out.data() + i * kEntrySize;
        std::memcpy(at, entry.name, sizeof(entry.name));
        WriteLe32(at + 28, entry.nameCheck);
        WriteLe32(at + 32, entry.score);
        WriteLe32(at + 36, entry.scoreCheck);
        WriteLe32(at + 40, static_cast<uint32_t>(entry.levels));
    }
    return out;
}

CHighscore& CHighscore::Get() {
    static CHighscore highscore;
    return highscore;
}

void CHighscore::SelectFile(const std::string& fileName) {
    m_lastRank = -1;
    m_fileName = fileName;
    Load();
}

bool CHighscore::Load() {
    std::vector<uint8_t> bytes;
    const EStoredRead result = ReadStoredFile(m_fileName, static_cast<uint32_t>(kHighscoreFileSize), bytes);
    if (result == EStoredRead::Missing) {
        FillDefaults();
        return true;
    }
    if (result == EStoredRead::Failed) {
        CLog::Get().Write("CHighscore::File_Load FAILED couldn't load high score list");
        return false;
    }
    if (!DecodeHighscoreEntries(bytes.data(), bytes.size(), m_entries)) {
        MarkStoredFileDamaged(m_fileName);
        CLog::Get().Write("CHighscore::File_Load FAILED, %s holds %zu of %zu bytes; the missing entries are empty",
                          m_fileName.c_str(), bytes.size(), kHighscoreFileSize);
    }
    return true;
}

bool CHighscore::Save() {
    if (!WriteStoredFile(m_fileName, EncodeHighscoreEntries(m_entries))) {
        CLog::Get().Write("CHighscore::File_Save FAILED couldn't save high score list");
        return false;
    }
    return true;
}

int32_t CHighscore::FindRank(uint32_t score) const {
    for (int32_t i = 0; i < kHighscoreEntries; ++i) {
        if (m_entries[i].score < score) {
            return i;
        }
    }
    return -1;
}

bool CHighscore::AddEntry(uint32_t score, int32_t levels, const char* name) {
    const int32_t rank = FindRank(score);
    if (rank < 0) {
        return false;
    }
    for (int32_t i = kHighscoreEntries - 1; i > rank; --i) {
        m_entries[i] = m_entries[i - 1];
    }
    SetEntry(m_entries[rank], score, levels, name);
    m_lastRank = rank;
    Save();
    return true;
}

const HighscoreEntry& CHighscore::Entry(int32_t position) const {
    static const HighscoreEntry kEmpty;
    if (position < 0 || position >= kHighscoreEntries) {
        return kEmpty;
    }
    return m_entries[position];
}

void CHighscore::FillDefaults() {
    const char* name = CLanguage::Get().TxtProductName();
    for (int32_t i = 0; i < kHighscoreEntries; ++i) {
        SetEntry(m_entries[i], kDefaultScores[i], 0, name);
    }
}
