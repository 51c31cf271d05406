#include "profile/StoredFile.h"

#include "resources/FileManager.h"


EStoredRead ReadStoredFile(const std::string& name, uint32_t maxBytes, std::vector<uint8_t>& out) {
    out.clear();
    CFileManager& files = CFileManager::Get();
    if (!files.Exists(name)) {
        return EStoredRead::Missing;
    }
    if (!files.LoadWholeFile(name, out, maxBytes)) {
        files.ProtectUnreadable(name);
        return EStoredRead::Failed;
    }
    return EStoredRead::Read;
}

void MarkStoredFileDamaged(const std::string& name) {
    CFileManager::Get().MarkDamaged(name);
}

bool WriteStoredFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    return CFileManager::Get().SaveWholeFile(name, bytes.data(), bytes.size());
}
