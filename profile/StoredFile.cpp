#include "profile/StoredFile.h"

#include "resources/FileManager.h"

#include <algorithm>

EStoredRead ReadStoredFile(const std::string& name, uint32_t maxBytes, std::vector<uint8_t>& out) {
    out.clear();
    CFileManager& files = CFileManager::Get();
    if (!files.Exists(name)) {
        return EStoredRead::Missing;
    }
    CFile* file = files.OpenFile(name, kFileRead);
    if (!file) {
        files.ProtectUnreadable(name);
        return EStoredRead::Failed;
    }
    out.resize(std::min(file->GetSize(), maxBytes));
    const bool read = out.empty() || file->Read(out.data(), static_cast<uint32_t>(out.size()));
    files.CloseFile(file);
    if (!read) {
        out.clear();
        files.ProtectUnreadable(name);
        return EStoredRead::Failed;
    }
    return EStoredRead::Read;
}

void MarkStoredFileDamaged(const std::string& name) {
    CFileManager::Get().MarkDamaged(name);
}

bool WriteStoredFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    CFileManager& files = CFileManager::Get();
    CFile* file = files.OpenFile(name, kFileWrite);
    if (!file) {
        return false;
    }
    const bool written = bytes.empty() || file->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    const bool closed = files.CloseFile(file);
    return written && closed;
}
