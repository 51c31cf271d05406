#include "resources/ArchiveCheck.h"

#include "core/Log.h"
#include "resources/Crc32.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

namespace {
bool FileExists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& out) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size > 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(static_cast<size_t>(size));
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    std::fclose(file);
    return ok;
}
}  // namespace

uint32_t ArchiveCrcRegister(const char* path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return 0xFFFFFFFFu;
    }
    return Crc32Register(bytes.data(), bytes.size());
}

const ArchiveExpectation* FindDamagedArchive(const ArchiveExpectation* archives, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const ArchiveExpectation& archive = archives[i];
        if (!FileExists(archive.path)) {
            continue;
        }
        const uint32_t crc = ArchiveCrcRegister(archive.path);
        if (crc != archive.crcRegister) {
            CLog::Get().Write("CheckArchives FAILED, file: %s, crc: 0x%08X", archive.path, crc);
            return &archive;
        }
    }
    return nullptr;
}

bool CheckArchives(const ArchiveExpectation* archives, size_t count) {
    return FindDamagedArchive(archives, count) == nullptr;
}
