#pragma once
// The name of a level's file: its number in decimal and ".lvl" ("1.lvl", "2.lvl", ...), in
// the level pack and in the player's level folder alike.
#include <cstdint>
#include <string>

std::string LevelFileName(int32_t number);
