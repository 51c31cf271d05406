// Level files of CBoard through the file manager, in the level pack (filter "levels").
#include "game/Board.h"

#include "core/Log.h"
#include "resources/FileManager.h"

#include <vector>

namespace {
const char* const kLevelFilter = "levels";
}

namespace {
// Larger files are not levels; only their first bytes are read.
constexpr uint32_t kLevelReadLimit = 64 * 1024;

// The cells no level may hold: codes outside the known ones, balls in a cell off the field
// (column 9 of a short row), empty cells with a frame. Emptied; their count.
int32_t CleanField(CBoard& board) {
    int32_t cleaned = 0;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const BallCell cell = board.CellAt(column, row);
            const bool unknown = !BallColour::IsKnown(cell.colour);
            const bool offField = !cell.IsEmpty() && !IsFieldCell(column, row);
            const bool framedEmpty = cell.IsEmpty() && cell.frame != 0;
            if (unknown || offField || framedEmpty) {
                board.SetCell(BallColour::Empty, 0, column, row);
                ++cleaned;
            }
        }
    }
    return cleaned;
}
}  // namespace

CBoard::ELevelRead CBoard::LoadJudgedBytes(const uint8_t* bytes, size_t size, int32_t& cleaned) {
    cleaned = 0;
    if (bytes == nullptr || size < kLevelFileSize) {
        ClearGrids();
        return ELevelRead::Refused;
    }
    LoadFromBytes(bytes, kLevelFileSize);
    cleaned = CleanField(*this);
    return cleaned > 0 || size > kLevelFileSize ? ELevelRead::Cleaned : ELevelRead::Loaded;
}

CBoard::ELevelRead CBoard::ReadLevel(const std::string& fileName) {
    ClearGrids();
    CFileManager& files = CFileManager::Get();
    std::vector<uint8_t> bytes;
    const int32_t copies = files.CountCopies(kLevelFilter, fileName);
    for (int32_t copy = 0; copy < copies; ++copy) {
        CFileHandle file(files.OpenFileAfter(kLevelFilter, fileName, copy));
        bytes.clear();
        const bool read = file && file->ReadAll(bytes, kLevelReadLimit);
        file.Close();
        int32_t cleaned = 0;
        const ELevelRead result = read ? LoadJudgedBytes(bytes.data(), bytes.size(), cleaned) : ELevelRead::Refused;
        if (result == ELevelRead::Refused) {
            // The first copies are edited ones that hide the shipped level of their name.
            const bool hidesAnother = copy + 1 < copies;
            CLog::Get().Write("CBoard::LoadLevel FAILED, level file %s%s: %zu bytes instead of %u", fileName.c_str(),
                              hidesAnother ? " (the edited copy; the next copy is tried)" : "", bytes.size(),
                              kLevelFileSize);
            continue;
        }
        if (result == ELevelRead::Cleaned) {
            CLog::Get().Write("CBoard::LoadLevel cleaned %d cells, %zu bytes: %s", cleaned, bytes.size(),
                              fileName.c_str());
        }
        return copy > 0 ? ELevelRead::FellBack : result;
    }
    if (copies == 0) {
        CLog::Get().Write("CBoard::LoadLevel FAILED, file: %s", fileName.c_str());
    }
    ClearGrids();
    return ELevelRead::Refused;
}

bool CBoard::LoadLevel(const std::string& fileName) {
    return ReadLevel(fileName) != ELevelRead::Refused;
}

bool CBoard::SaveLevel(const std::string& fileName) const {
    uint8_t bytes[kLevelFileSize];
    StoreToBytes(bytes);
    if (!CFileManager::Get().SaveWholeFile(kLevelFilter, fileName, bytes, kLevelFileSize)) {
        CLog::Get().Write("CBoard::SaveLevel FAILED, write: %s", fileName.c_str());
        return false;
    }
    return true;
}
