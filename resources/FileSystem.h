#pragma once
// A mounted source of files: a folder (CFileSystem) or a zip archive (CFileSystemZip).
#include <cstdint>
#include <string>

class CFile;

class CFileSystemBase {
public:
    virtual ~CFileSystemBase() = default;
    virtual bool Delete(const std::string& name) = 0;
    virtual bool Exists(const std::string& name) = 0;
    virtual bool MakeUniqueName(const std::string& prefix, const std::string& suffix, std::string& out) = 0;
    virtual bool IsFolder() const = 0;
    // Creates the folder name inside this file system (true when it is there afterwards);
    // archives have none.
    virtual bool MakeFolder(const std::string& /*name*/) { return false; }
    virtual CFile* OpenFile(const std::string& name, int32_t mode) = 0;
    virtual bool Mount(const std::string& path) = 0;
    // True if text occurs anywhere in the root path (an empty text always does).
    virtual bool PathContains(const std::string& text) const;
    virtual bool Rename(const std::string& oldName, const std::string& newName) = 0;
    virtual void Unmount() = 0;

    const std::string& GetRootPath() const { return m_rootPath; }

protected:
    std::string m_name;
    std::string m_rootPath;
};

// A folder on disk. Names are relative; absolute names, empty names and names with a ".."
// part (split at "/" or "\\") are refused with a log line, so that a name taken from a
// damaged or hostile file never makes the game read or write outside the folder.
// Names are passed to the operating system as they are: on Linux they are case-sensitive.
class CFileSystem : public CFileSystemBase {
public:
    // True when name stays inside the folder (see above).
    static bool IsSafeName(const std::string& name);

    bool Delete(const std::string& name) override;
    bool Exists(const std::string& name) override;
    bool MakeUniqueName(const std::string& prefix, const std::string& suffix, std::string& out) override;
    bool IsFolder() const override { return true; }
    bool MakeFolder(const std::string& name) override;
    CFile* OpenFile(const std::string& name, int32_t mode) override;
    bool Mount(const std::string& path) override;
    // Fails when newName already exists (an existing file is never replaced by a rename).
    bool Rename(const std::string& oldName, const std::string& newName) override;
    void Unmount() override {}

    // A write killed before its end leaves its temporary file ("<name>.tmp-" and six
    // letters or digits). Mount removes those of the user that are older than
    // kStaleTemporaryAge seconds, in the folder and in the user's folders below it (the
    // replays, the edited levels) up to kTemporarySweepDepth deep, links not followed: a
    // second copy of the program writing into the same folder at that moment holds only
    // fresh ones.
    static constexpr int64_t kStaleTemporaryAge = 600;
    static constexpr int32_t kTemporarySweepDepth = 4;
    static bool IsTemporaryName(const std::string& name);
    // Removes the stale temporary files as of now (seconds since the epoch); their count.
    int32_t RemoveStaleTemporaryFiles(int64_t now);

private:
    bool CheckName(const char* operation, const std::string& name) const;
    int32_t RemoveStaleTemporaryFilesIn(const std::string& folderPath, int64_t now, int32_t depthLeft);
};
