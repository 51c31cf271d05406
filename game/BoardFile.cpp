// Level files of CBoard through the file manager, in the level pack (filter "levels").
#include "game/Board.h"

#include "core/Log.h"
#include "resources/FileManager.h"

namespace {
const char* const kLevelFilter = "levels";
}

bool CBoard::LoadLevel(const std::string& fileName) {
    ClearGrids();
    CFileManager& files = CFileManager::Get();
    CFile* file = files.OpenFile(kLevelFilter, fileName, kFileRead);
    if (file == nullptr) {
        CLog::Get().Write("CBoard::LoadLevel FAILED, file: %s", fileName.c_str());
        return false;
    }
    uint8_t bytes[kLevelFileSize];
    const bool read = file->Read(bytes, kLevelFileSize);
    files.CloseFile(file);
    if (!read) {
        CLog::Get().Write("CBoard::LoadLevel FAILED, short file: %s", fileName.c_str());
        return false;
    }
    return LoadFromBytes(bytes, kLevelFileSize);
}

bool CBoard::SaveLevel(const std::string& fileName) const {
    CFileManager& files = CFileManager::Get();
    CFile* file = files.OpenFile(kLevelFilter, fileName, kFileWriteNew);
    if (file == nullptr) {
        CLog::Get().Write("CBoard::SaveLevel FAILED, file: %s", fileName.c_str());
        return false;
    }
    uint8_t bytes[kLevelFileSize];
    StoreToBytes(bytes);
    const bool written = file->Write(bytes, kLevelFileSize);
    const bool closed = files.CloseFile(file);
    if (!written || !closed) {
        CLog::Get().Write("CBoard::SaveLevel FAILED, write: %s", fileName.c_str());
        return false;
    }
    return true;
}
