#pragma once
// Every data file of the game is read and written through the file manager: names are
// plain relative names, looked up in the mounted folders and archives in mount order.
#include "resources/File.h"
#include "resources/FileSystem.h"

#include <memory>
#include <string>
#include <vector>

class CFileManager {
public:
    static CFileManager& Get();

    // A path containing ".zip" or ".nuf" mounts an archive, anything else a folder.
    void MountFileSystem(const std::string& path);
    bool HasFileSystems() const { return !m_fileSystems.empty(); }
    // Drops every file system (tests mount their own fixtures).
    void UnmountAll();

    // Archives refuse writing modes, so a write goes to the first folder that accepts the
    // name (the data folder, mounted first). A name a folder refuses (absolute, "..") is
    // opened nowhere.
    CFile* OpenFile(const std::string& name, int32_t mode);
    // Only file systems whose root path contains filter are asked.
    CFile* OpenFile(const std::string& filter, const std::string& name, int32_t mode);
    bool Exists(const std::string& name);
    bool Delete(const std::string& name);
    bool Rename(const std::string& oldName, const std::string& newName);
    // Closes and deletes the file; the pointer becomes null. For a written file, false
    // when the data did not all reach the disk (the old file is kept then).
    bool CloseFile(CFile*& file);

    // Reads a whole file into out. False (and logged) when it cannot be opened or read.
    bool LoadWholeFile(const std::string& name, std::vector<uint8_t>& out);

private:
    CFileManager() = default;
    ~CFileManager();
    CFileManager(const CFileManager&) = delete;
    CFileManager& operator=(const CFileManager&) = delete;

    std::vector<std::unique_ptr<CFileSystemBase>> m_fileSystems;
};
