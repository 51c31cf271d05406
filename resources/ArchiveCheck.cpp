#include "resources/ArchiveCheck.h"

#include "core/Log.h"
#include "resources/Crc32.h"

#include <sys/stat.h>

#include <cstdio>

namespace {
bool FileExists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

// The file is read through one small buffer: the register is the same as over the whole
// file in memory, without touching megabytes of fresh memory at every start.
constexpr size_t kChunkBytes = 64 * 1024;
}  // namespace

uint32_t ArchiveCrcRegister(const char* path) {
    constexpr uint32_t kUnreadable = 0xFFFFFFFFu;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return kUnreadable;
    }
    static uint8_t chunk[kChunkBytes];
    uint32_t reg = 0xFFFFFFFFu;
    size_t total = 0;
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        reg = Crc32Update(reg, chunk, got);
        total += got;
    }
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed || total == 0) {
        return kUnreadable;
    }
    return reg;
}

const ArchiveExpectation* FindDamagedArchive(const ArchiveExpectation* archives, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const ArchiveExpectation& archive = archives[i];
        if (!FileExists(archive.path)) {
            continue;
        }
        const uint32_t crc = ArchiveCrcRegister(archive.path);
        if (crc != archive.crcRegister) {
            // The one line the player sees on stderr (the log tells every failure there).
            CLog::Get().Write("CheckArchives FAILED, file: %s, crc: 0x%08X; the data archive is damaged, please "
                              "reinstall Pellora",
                              archive.path, crc);
            return &archive;
        }
    }
    return nullptr;
}

bool CheckArchives(const ArchiveExpectation* archives, size_t count) {
    return FindDamagedArchive(archives, count) == nullptr;
}
