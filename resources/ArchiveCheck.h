#pragma once
// The start-up check of the data archives: each present archive must carry the CRC register
// of the archives this build was made with. A missing archive is skipped.
#include <cstddef>
#include <cstdint>

struct ArchiveExpectation {
    const char* path;       // relative to the working directory
    uint32_t crcRegister;   // CRC-32 register without the final inversion
};

// The register over the whole file; 0xFFFFFFFF when it cannot be read or is empty.
uint32_t ArchiveCrcRegister(const char* path);
// The first present archive whose register differs (one log line names it), or null.
const ArchiveExpectation* FindDamagedArchive(const ArchiveExpectation* archives, size_t count);
// False at the first present archive whose register differs (one log line names it).
bool CheckArchives(const ArchiveExpectation* archives, size_t count);
