#include "profile/StoredFile.h"

#include "resources/ByteRecord.h"
#include "resources/Crc32.h"
#include "resources/FileManager.h"

#include <cstring>


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

const char* CheckStoredList(const std::vector<uint8_t>& bytes, const char (&magic)[5], uint32_t version,
                            uint32_t maxCount, size_t entryBytes, StoredListHead& head) {
    CByteReader reader(bytes);
    CFieldReader fields(reader);
    TransferListHead(fields, head);
    if (bytes.size() < kStoredListHeadBytes + 4 || std::memcmp(head.magic, magic, 4) != 0) {
        return "not the list it should be";
    }
    if (head.version != version) {
        return "unknown version";
    }
    if (head.count > maxCount || bytes.size() != kStoredListHeadBytes + head.count * entryBytes + 4) {
        return "wrong size";
    }
    if (Crc32(bytes.data(), bytes.size() - 4) != CByteReader(bytes.data() + bytes.size() - 4, 4).U32()) {
        return "damaged (CRC)";
    }
    return nullptr;
}
