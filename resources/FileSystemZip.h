#pragma once
// A zip archive of stored entries (".nuf" or ".zip"), listed once at mount time by
// walking its local headers (signature "PK\3\4" or "QL\3\4"). Entries are read straight
// out of the archive, as stored (nothing is decompressed or checked); the archive is
// never opened for writing: an entry asked for with a writing mode gives null.
// The walk skips each header's extra field, does not list a name of 255 bytes or more
// (it is skipped and the walk goes on), and ends at the first header whose name, extra
// field or data would run past the end of the archive, keeping the entries before it.
#include "resources/FileSystem.h"

#include <vector>

class CFileSystemZip : public CFileSystemBase {
public:
    struct Entry {
        uint32_t size = 0;
        std::string name;
        uint32_t dataOffset = 0;
    };

    ~CFileSystemZip() override;
    bool Delete(const std::string&) override { return false; }
    bool Exists(const std::string& name) override;
    bool MakeUniqueName(const std::string&, const std::string&, std::string&) override { return false; }
    bool IsFolder() const override { return false; }
    CFile* OpenFile(const std::string& name, int32_t mode) override;
    bool Mount(const std::string& path) override;
    bool Rename(const std::string&, const std::string&) override { return false; }
    void Unmount() override;

    const std::vector<Entry>& GetEntries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};
