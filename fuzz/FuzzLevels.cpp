#include "fuzz/FuzzLevels.h"

#include "game/Board.h"

bool CFuzzLevels::LevelBytes(int32_t number, std::vector<uint8_t>& bytes) {
    if (number < 1 || number > 2) {
        return false;
    }
    CBoard board;
    for (int32_t column = 0; column < kBoardColumns; ++column) {
        board.SetCell(0, 0, column, 0);
        if (column < kBoardColumns - 1) {
            board.SetCell(1 + column % 3, 0, column, 1);
        }
    }
    bytes.assign(kLevelFileSize, 0);
    board.StoreToBytes(bytes.data());
    return true;
}
