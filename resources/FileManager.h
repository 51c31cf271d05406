#pragma once
// Every data file of the game is read and written through the file manager: names are
// plain relative names, looked up in the mounted folders and archives in mount order.
#include "resources/File.h"
#include "resources/FileSystem.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// Reasons of a refused write besides the system's error numbers (which are positive).
constexpr int kWriteRefusedUnreadable = -1;   // the file could not be read and is kept as it is
constexpr int kWriteRefusedByOtherCopy = -2;  // another copy of the program holds the folder

// Told of every write, rename or removal that did not happen: the file's name and the
// system's error number, or one of the reasons above.
using WriteFailureHandler = void (*)(const std::string& name, int error);

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
    // For reading, the copy of name after the first skip copies found (an edited file
    // hides a shipped one of its name); null, without a log line, when there is none or
    // it cannot be opened.
    CFile* OpenFileAfter(const std::string& filter, const std::string& name, int32_t skip);
    // How many of the file systems whose root path contains filter hold name.
    int32_t CountCopies(const std::string& filter, const std::string& name);
    bool Exists(const std::string& name);
    bool Delete(const std::string& name);
    // Creates a folder in the first folder mounted (where files are written).
    bool MakeFolder(const std::string& name);
    bool Rename(const std::string& oldName, const std::string& newName);
    // Closes and deletes the file; the pointer becomes null. For a written file, false
    // when the data did not all reach the disk (the old file is kept then).
    bool CloseFile(CFile*& file);

    // Reads a whole file (at most its first limit bytes) into out. False (and logged) when
    // it cannot be opened or read; out is empty then.
    bool LoadWholeFile(const std::string& name, std::vector<uint8_t>& out, uint32_t limit = UINT32_MAX);
    bool LoadWholeFile(const std::string& filter, const std::string& name, std::vector<uint8_t>& out,
                       uint32_t limit = UINT32_MAX);
    // Creates or replaces name with size bytes; false when any of it did not reach the disk
    // (the old file is kept then).
    bool SaveWholeFile(const std::string& name, const void* bytes, size_t size);
    bool SaveWholeFile(const std::string& filter, const std::string& name, const void* bytes, size_t size);

    // Guards of what the player owns; all of them end with UnmountAll.
    //
    // A file that exists but could not be read is never replaced, renamed or removed:
    // writes of it fail with kWriteRefusedUnreadable.
    void ProtectUnreadable(const std::string& name);
    // A file that was read but found damaged: before it is first replaced, renamed or
    // removed, its bytes are kept beside it as name + ".bad" (replacing an older copy),
    // and the log names the copy. When the copy cannot be made, the change is refused.
    void MarkDamaged(const std::string& name);
    // Every write is refused (another copy of the program holds the write folder);
    // reading goes on.
    void RefuseWrites(bool refuse) { m_writesRefused = refuse; }
    bool WritesRefused() const { return m_writesRefused; }
    void SetWriteFailureHandler(WriteFailureHandler handler) { m_failureHandler = handler; }

private:
    // False (and reported) when name may not be changed now; keeps a damaged file first.
    bool MayChange(const std::string& name);
    bool KeepDamagedCopy(const std::string& name);
    void ReportFailure(const std::string& name, int error);

    CFileManager() = default;
    ~CFileManager();
    CFileManager(const CFileManager&) = delete;
    CFileManager& operator=(const CFileManager&) = delete;

    std::vector<std::unique_ptr<CFileSystemBase>> m_fileSystems;
    std::set<std::string> m_unreadable;
    // Folders that could not be made, with the system's reason: a file written into one is
    // refused for that reason, not for the folder's absence.
    std::map<std::string, int> m_folderErrors;
    std::set<std::string> m_damaged;
    bool m_writesRefused = false;
    WriteFailureHandler m_failureHandler = nullptr;
};

// Owns one open file of a file system and closes it through CFileManager::CloseFile when it
// goes (so a failed write is reported as every other one is). Null when the open failed.
class CFileHandle {
public:
    CFileHandle() = default;
    explicit CFileHandle(CFile* file) : m_file(file) {}
    ~CFileHandle() { Close(); }
    CFileHandle(CFileHandle&& other) noexcept : m_file(other.m_file) { other.m_file = nullptr; }
    CFileHandle& operator=(CFileHandle&& other) noexcept;
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    explicit operator bool() const { return m_file != nullptr; }
    CFile* operator->() const { return m_file; }
    CFile& operator*() const { return *m_file; }

    // Closes now; for a written file, false when the data did not all reach the disk.
    bool Close() { return CFileManager::Get().CloseFile(m_file); }
    // Writes size bytes and closes; false (nothing replaced) when any of it failed or the
    // file is not open.
    bool WriteAndClose(const void* bytes, size_t size);

private:
    CFile* m_file = nullptr;
};
