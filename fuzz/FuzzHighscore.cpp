// Loads the input as a high-score file through the file manager, then ranks and inserts a
// score taken from it.
#include "core/Log.h"
#include "fuzz/FuzzDataFolder.h"
#include "profile/Highscore.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    if (!MountFuzzDataFolder()) {
        __builtin_trap();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HighscoreEntry entries[kHighscoreEntries];
    const bool whole = DecodeHighscoreEntries(data, size, entries);
    if (whole != (size >= kHighscoreFileSize)) {
        __builtin_trap();
    }
    const std::vector<uint8_t> written = EncodeHighscoreEntries(entries);
    if (written.size() != kHighscoreFileSize) {
        __builtin_trap();
    }
    HighscoreEntry reread[kHighscoreEntries];
    DecodeHighscoreEntries(written.data(), written.size(), reread);
    if (std::memcmp(reread, entries, sizeof(entries)) != 0) {
        __builtin_trap();
    }

    if (!WriteFuzzDataFile("hs5.dat", data, size)) {
        return 0;
    }
    CHighscore& list = CHighscore::Get();
    list.SelectFile("hs5.dat");
    for (int32_t i = 0; i < kHighscoreEntries; ++i) {
        if (std::memchr(list.Entry(i).name, 0, sizeof(list.Entry(i).name)) == nullptr) {
            __builtin_trap();
        }
    }
    const int32_t rank = list.FindRank(size >= 4 ? entries[0].nameCheck : 1);
    if (rank < -1 || rank >= kHighscoreEntries) {
        __builtin_trap();
    }
    return 0;
}
