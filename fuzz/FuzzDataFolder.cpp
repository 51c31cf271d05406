#include "fuzz/FuzzDataFolder.h"

#include "resources/FileManager.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

std::string g_folder;

}  // namespace

bool MountFuzzDataFolder() {
    std::error_code error;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path(error);
    const std::filesystem::path folder = base / ("pellora-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot make %s\n", folder.c_str());
        return false;
    }
    g_folder = folder.string();
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
    CFileManager::Get().UnmountAll();
    CFileManager::Get().MountFileSystem(g_folder);
    return CFileManager::Get().HasFileSystems();
}

bool WriteFuzzDataFile(const std::string& name, const uint8_t* data, size_t size) {
    FILE* file = std::fopen((g_folder + "/" + name).c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}
