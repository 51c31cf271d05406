// Mounts the input as an archive and reads every listed entry.
#include "core/Log.h"
#include "resources/File.h"
#include "resources/FileManager.h"
#include "resources/FileSystemZip.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string ArchivePath() {
    return "/tmp/pellora-fuzz-zip-" + std::to_string(::getpid()) + ".nuf";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ArchivePath();
    if (!WriteFileAtPath(path, data, size)) {
        return 0;
    }
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
    std::remove(path.c_str());
    return 0;
}
