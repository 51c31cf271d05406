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

// A folder on disk. Names are relative; absolute names and names with a ".." part are
// refused, so nothing outside the folder is ever read or written.
class CFileSystem : public CFileSystemBase {
public:
    bool Delete(const std::string& name) override;
    bool Exists(const std::string& name) override;
    bool MakeUniqueName(const std::string& prefix, const std::string& suffix, std::string& out) override;
    bool IsFolder() const override { return true; }
    CFile* OpenFile(const std::string& name, int32_t mode) override;
    bool Mount(const std::string& path) override;
    bool Rename(const std::string& oldName, const std::string& newName) override;
    void Unmount() override {}
};
