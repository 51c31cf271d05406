#include "game/LevelFile.h"

std::string LevelFileName(int32_t number) {
    return std::to_string(number) + ".lvl";
}
