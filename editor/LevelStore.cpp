#include "editor/LevelStore.h"

#include "core/Log.h"
#include "resources/FileManager.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace {
const char* const kLevelFilter = "levels";
const char* const kLevelFolderName = "levels";

// The level folder as its own file system, to ask what it holds apart from the archive.
std::unique_ptr<CFileSystem>& Folder() {
    static std::unique_ptr<CFileSystem> folder;
    return folder;
}

bool ReadLevelBytes(const std::string& name, std::vector<uint8_t>& bytes) {
    // Nothing longer than a level is of use; a huge file is not read whole.
    return CFileManager::Get().LoadWholeFile(kLevelFilter, name, bytes, 2 * kLevelFileSize);
}

}  // namespace

bool MountLevelFolder(const std::string& dataFolder) {
    const std::string path = dataFolder + "/" + kLevelFolderName;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    auto folder = std::make_unique<CFileSystem>();
    if (error || !folder->Mount(path)) {
        CLog::Get().Write("MountLevelFolder FAILED, folder: %s", path.c_str());
        Folder().reset();
        return false;
    }
    CFileManager::Get().MountFileSystem(path);
    Folder() = std::move(folder);
    return true;
}

void ForgetLevelFolder() {
    Folder().reset();
}

bool LevelFolderHolds(const std::string& name) {
    return Folder() != nullptr && Folder()->Exists(name);
}

bool CopyLevelIntoFolder(const std::string& name) {
    if (LevelFolderHolds(name)) {
        return true;
    }
    std::vector<uint8_t> bytes;
    if (CFileManager::Get().WritesRefused()) {
        CLog::Get().Write("CopyLevelIntoFolder FAILED, writing is refused: %s", name.c_str());
        return false;
    }
    if (Folder() == nullptr || !ReadLevelBytes(name, bytes)) {
        CLog::Get().Write("CopyLevelIntoFolder FAILED, file: %s", name.c_str());
        return false;
    }
    if (!CFileHandle(Folder()->OpenFile(name, kFileWriteNew)).WriteAndClose(bytes.data(), bytes.size())) {
        CLog::Get().Write("CopyLevelIntoFolder FAILED, write: %s", name.c_str());
        return false;
    }
    return true;
}

int32_t LevelNumberOf(const std::string& name) {
    int64_t number = 0;
    size_t i = 0;
    for (; i < name.size() && name[i] != '.'; ++i) {
        if (name[i] < '0' || name[i] > '9' || number > kMaxEditorLevels) {
            return 0;
        }
        number = number * 10 + (name[i] - '0');
    }
    return i == 0 || number > kMaxEditorLevels ? 0 : static_cast<int32_t>(number);
}

bool LevelExists(int32_t number) {
    return CFileManager::Get().Exists(LevelFileName(number));
}

int32_t CountLevels() {
    int32_t count = 0;
    while (count < kMaxEditorLevels && LevelExists(count + 1)) {
        ++count;
    }
    return count;
}

bool CanAddLevel(int32_t levelCount) {
    return levelCount != kLevelsPerPage && levelCount < kMaxEditorLevels;
}

ELevelLoad LoadEditorLevel(CBoard& board, const std::string& name) {
    if (!CFileManager::Get().Exists(name)) {
        return ELevelLoad::Missing;
    }
    // The same judgement as the game's, of the copy the editor would write over.
    std::vector<uint8_t> bytes;
    int32_t cleaned = 0;
    const bool read = ReadLevelBytes(name, bytes);
    const CBoard::ELevelRead result =
        read ? board.LoadJudgedBytes(bytes.data(), bytes.size(), cleaned) : CBoard::ELevelRead::Refused;
    if (result == CBoard::ELevelRead::Refused) {
        board.ClearGrids();
        CLog::Get().Write("CEditor::LoadLevel FAILED, %zu bytes instead of %u: %s", bytes.size(), kLevelFileSize,
                          name.c_str());
        return ELevelLoad::Refused;
    }
    if (result == CBoard::ELevelRead::Cleaned) {
        // Saving the repaired level keeps the file as it was beside it.
        CFileManager::Get().MarkDamaged(name);
        CLog::Get().Write("CEditor::LoadLevel cleaned %d cells out of range, %zu bytes: %s", cleaned, bytes.size(),
                          name.c_str());
        return ELevelLoad::Cleaned;
    }
    return ELevelLoad::Loaded;
}

bool SaveEditorLevel(const CBoard& board, const std::string& name) {
    if (Folder() == nullptr) {
        CLog::Get().Write("CEditor::SaveLevel FAILED, no level folder: %s", name.c_str());
        return false;
    }
    return board.SaveLevel(name);
}

bool ExchangeLevels(const std::string& first, const std::string& second) {
    if (!CopyLevelIntoFolder(first) || !CopyLevelIntoFolder(second)) {
        return false;
    }
    CFileManager& files = CFileManager::Get();
    if (!files.Rename(second, kSwapLevelName)) {
        CLog::Get().Write("ExchangeLevels FAILED, rename %s to %s", second.c_str(), kSwapLevelName);
        return false;
    }
    if (!files.Rename(first, second)) {
        files.Rename(kSwapLevelName, second);
        CLog::Get().Write("ExchangeLevels FAILED, rename %s to %s", first.c_str(), second.c_str());
        return false;
    }
    if (!files.Rename(kSwapLevelName, first)) {
        files.Rename(second, first);
        files.Rename(kSwapLevelName, second);
        CLog::Get().Write("ExchangeLevels FAILED, rename %s to %s", kSwapLevelName, first.c_str());
        return false;
    }
    return true;
}

bool RecoverSwapLeftover() {
    if (!LevelFolderHolds(kSwapLevelName)) {
        return false;
    }
    const int32_t count = CountLevels();
    const std::string name = LevelFileName(count + 1);
    if (count >= kMaxEditorLevels || !CFileManager::Get().Rename(kSwapLevelName, name)) {
        CLog::Get().Write("RecoverSwapLeftover FAILED, %s stays", kSwapLevelName);
        return false;
    }
    CLog::Get().Write("RecoverSwapLeftover %s kept as %s", kSwapLevelName, name.c_str());
    return true;
}
