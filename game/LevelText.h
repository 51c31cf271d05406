#pragma once
// The text form of a level, the one people edit (data/levels/NN.txt): 13 lines, one per
// row; short rows (the odd ones) start with one space; one character per cell:
//   0-7 ordinary colours, * explosion, ~ colour change, < arrow left, > arrow right,
//   @ multicolour ball, # obstacle, . empty.
// Lines starting with ';' are comments; trailing spaces are ignored.
#include "game/BallTypes.h"

#include <string>

// The character of a cell code, '?' for a code without one.
char LevelCharForColour(int32_t colour);
// The code of a character, or false when the character means nothing.
bool LevelColourForChar(char symbol, int32_t& colour);

// Fills grid from text; false with a message naming the line on any fault.
bool ParseLevelText(const std::string& text, BoardGrid& grid, std::string& error);
std::string FormatLevelText(const BoardGrid& grid);

// The 1040-byte level file of a grid.
void LevelFileBytes(const BoardGrid& grid, uint8_t* out);

// What a designed level must offer at its start.
struct LevelCheckRules {
    int32_t freeLowestRows = 4;   // rows 13 - n .. 12 hold nothing
};
// Every ball hangs from row 0 through other balls; the lowest rows are free; every
// ordinary colour used touches a free cell that a shot can reach from below. False
// with a message for the first fault.
bool CheckLevelDesign(const BoardGrid& grid, const LevelCheckRules& rules, std::string& error);
