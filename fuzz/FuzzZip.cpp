// Mounts the input as an archive and reads every listed entry.
#include "core/Log.h"
#include "resources/File.h"
#include "resources/FileManager.h"
#include "resources/FileSystemZip.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The archive lives in memory (a memfd): each input is written there, never to a disk with
// its syncs, and the zip reader opens it by its /proc path as it opens any archive.
int g_archive = -1;
std::string g_archivePath;

bool WriteArchive(const uint8_t* data, size_t size) {
    if (g_archive < 0 || ::ftruncate(g_archive, 0) != 0) {
        return false;
    }
    size_t written = 0;
    while (written < size) {
        const ssize_t count = ::pwrite(g_archive, data + written, size - written, static_cast<off_t>(written));
        if (count <= 0) {
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    g_archive = ::memfd_create("pellora-fuzz-zip.nuf", MFD_CLOEXEC);
    if (g_archive < 0) {
        std::perror("fuzz_zip: memfd_create");
        std::abort();
    }
    g_archivePath = "/proc/self/fd/" + std::to_string(g_archive);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteArchive(data, size)) {
        __builtin_trap();  // memory that cannot be written: nothing would be tested
    }
    const std::string& path = g_archivePath;
    CFileSystemZip zip;
    if (zip.Mount(path)) {
        std::vector<uint8_t> buffer;
        for (const CFileSystemZip::Entry& entry : zip.GetEntries()) {
            // Every listed entry lies inside the archive.
            if (static_cast<uint64_t>(entry.dataOffset) + entry.size > size || entry.name.size() > 254) {
                __builtin_trap();
            }
            if (zip.OpenFile(entry.name, kFileWriteNew) != nullptr || !zip.Exists(entry.name)) {
                __builtin_trap();
            }
            CFileHandle file(zip.OpenFile(entry.name, kFileRead));
            if (!file) {
                continue;
            }
            if (!file->ReadAll(buffer)) {
                __builtin_trap();  // the bytes of a listed entry are all there
            }
            char line[64];
            file->Rewind();
            file->ReadLine(line, sizeof(line));
        }
    }
    zip.Unmount();
    return 0;
}
