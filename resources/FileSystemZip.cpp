#include "resources/FileSystemZip.h"

#include "core/Log.h"
#include "resources/File.h"
#include "resources/LittleEndian.h"

#include <climits>
#include <memory>

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50u;
constexpr uint32_t kLocalHeaderSignatureAlt = 0x04034C51u;
constexpr uint32_t kLongestListedName = 254;

bool ReadSignature(CFile& file) {
    uint8_t bytes[4];
    if (!file.Read(bytes, sizeof(bytes))) {
        return false;
    }
    const uint32_t signature = ReadLe32(bytes);
    return signature == kLocalHeaderSignature || signature == kLocalHeaderSignatureAlt;
}

}  // namespace

CFileSystemZip::~CFileSystemZip() {
    Unmount();
}

bool CFileSystemZip::Exists(const std::string& name) {
    for (const Entry& entry : m_entries) {
        if (entry.name == name) {
            return true;
        }
    }
    return false;
}

CFile* CFileSystemZip::OpenFile(const std::string& name, int32_t mode) {
    if (mode != kFileRead) {
        if (Exists(name)) {
            CLog::Get().Write("CFileSystemZip::OpenFile FAILED, archive entries are read-only: %s", name.c_str());
        }
        return nullptr;
    }
    for (const Entry& entry : m_entries) {
        if (entry.name != name) {
            continue;
        }
        CFile* file = new CFile();
        if (file->Open(m_rootPath, kFileRead)) {
            file->SetSize(entry.size);
            file->SetStartOffset(entry.dataOffset);
            file->Rewind();
            return file;
        }
        delete file;
    }
    return nullptr;
}

bool CFileSystemZip::Mount(const std::string& path) {
    m_rootPath = path;
    CLog::Get().Write("CFileSystemZip Added, path: %s", m_rootPath.c_str());

    std::unique_ptr<CFile> file = std::make_unique<CFile>();
    if (!file->Open(m_rootPath, kFileRead)) {
        return false;
    }
    const uint64_t archiveSize = file->GetSize();
    if (archiveSize > static_cast<uint64_t>(INT32_MAX)) {
        CLog::Get().Write("CFileSystemZip::Mount FAILED, archive larger than 2 GiB: %s", m_rootPath.c_str());
        return false;
    }

    bool walking = ReadSignature(*file);
    while (walking) {
        // The rest of the fixed header: version, flags, method, time, date, CRC, sizes,
        // name length and extra field length.
        uint8_t header[26];
        if (!file->Read(header, sizeof(header))) {
            break;
        }
        const uint32_t dataSize = ReadLe32(header + 14);
        const uint16_t nameLength = ReadLe16(header + 22);
        const uint16_t extraLength = ReadLe16(header + 24);

        const int32_t nameOffset = file->Tell();
        if (nameOffset < 0) {
            break;
        }
        const uint64_t dataOffset = static_cast<uint64_t>(nameOffset) + nameLength + extraLength;
        if (dataOffset + dataSize > archiveSize) {
            CLog::Get().Write("CFileSystemZip::Mount FAILED, entry runs past the end: %s", m_rootPath.c_str());
            break;
        }
        if (nameLength <= kLongestListedName) {
            std::string name(nameLength, '\0');
            if (!file->Read(name.data(), nameLength)) {
                break;
            }
            m_entries.push_back(Entry{dataSize, std::move(name), static_cast<uint32_t>(dataOffset)});
        }
        file->Rewind();
        file->Skip(static_cast<int32_t>(dataOffset + dataSize));
        walking = ReadSignature(*file);
    }
    file->Close();
    return true;
}

void CFileSystemZip::Unmount() {
    m_entries.clear();
}
