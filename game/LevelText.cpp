#include "game/LevelText.h"

#include "game/Board.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const char kSymbols[BallColour::CodeCount] = {'0', '1', '2', '3', '4', '5', '6', '7', '*', '~', '<', '>', '@', '#'};

std::string LineError(int32_t lineNumber, const char* what) {
    char text[128];
    std::snprintf(text, sizeof(text), "line %d: %s", lineNumber, what);
    return text;
}
}  // namespace

char LevelCharForColour(int32_t colour) {
    if (colour == BallColour::Empty) {
        return '.';
    }
    if (colour < 0 || colour >= BallColour::CodeCount) {
        return '?';
    }
    return kSymbols[colour];
}

bool LevelColourForChar(char symbol, int32_t& colour) {
    if (symbol == '.') {
        colour = BallColour::Empty;
        return true;
    }
    for (int32_t code = 0; code < BallColour::CodeCount; ++code) {
        if (kSymbols[code] == symbol) {
            colour = code;
            return true;
        }
    }
    return false;
}

bool ParseLevelText(const std::string& text, BoardGrid& grid, std::string& error) {
    for (auto& row : grid) {
        for (BallCell& cell : row) {
            cell = BallCell();
        }
    }
    int32_t row = 0;
    int32_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.pop_back();
        }
        if (line.empty() || line[0] == ';') {
            if (end == text.size()) {
                break;
            }
            continue;
        }
        if (row >= kBoardRows) {
            error = LineError(lineNumber, "more than 13 rows");
            return false;
        }
        size_t first = 0;
        if (IsShortFieldRow(row)) {
            if (line[0] != ' ') {
                error = LineError(lineNumber, "a short row must start with one space");
                return false;
            }
            first = 1;
        } else if (line[0] == ' ') {
            error = LineError(lineNumber, "a long row must not be indented");
            return false;
        }
        const std::string cells = line.substr(first);
        if (static_cast<int32_t>(cells.size()) != FieldRowLength(row)) {
            error = LineError(lineNumber, IsShortFieldRow(row) ? "a short row holds 9 cells" : "a long row holds 10 cells");
            return false;
        }
        for (int32_t column = 0; column < FieldRowLength(row); ++column) {
            int32_t colour = BallColour::Empty;
            if (!LevelColourForChar(cells[static_cast<size_t>(column)], colour)) {
                error = LineError(lineNumber, "unknown cell character");
                return false;
            }
            grid[row][column].colour = colour;
        }
        ++row;
        if (end == text.size()) {
            break;
        }
    }
    if (row != kBoardRows) {
        error = LineError(lineNumber, "a level has 13 rows");
        return false;
    }
    return true;
}

std::string FormatLevelText(const BoardGrid& grid) {
    std::string text;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        if (IsShortFieldRow(row)) {
            text += ' ';
        }
        for (int32_t column = 0; column < FieldRowLength(row); ++column) {
            text += LevelCharForColour(grid[row][column].colour);
        }
        text += '\n';
    }
    return text;
}

namespace {
using CellMask = std::array<std::array<bool, kBoardColumns>, kBoardRows>;

// Grows the marked cells through their neighbours: through free cells when throughFree,
// else through balls.
void SpreadThroughField(const BoardGrid& grid, CellMask& marked, bool throughFree) {
    std::vector<CellPos> stack;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            if (marked[row][column]) {
                stack.push_back({column, row});
            }
        }
    }
    CellPos neighbours[kMaxFieldNeighbours];
    while (!stack.empty()) {
        const CellPos cell = stack.back();
        stack.pop_back();
        const int32_t count = FieldNeighbours(cell.column, cell.row, neighbours);
        for (int32_t i = 0; i < count; ++i) {
            const CellPos& n = neighbours[i];
            if (!marked[n.row][n.column] && grid[n.row][n.column].IsEmpty() == throughFree) {
                marked[n.row][n.column] = true;
                stack.push_back(n);
            }
        }
    }
}
}  // namespace

void LevelFileBytes(const BoardGrid& grid, uint8_t* out) {
    BoardGrid stored;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            stored[row][column] = IsFieldCell(column, row) ? grid[row][column] : BallCell();
        }
    }
    StoreGridBytes(stored, out);
}

bool CheckLevelDesign(const BoardGrid& grid, const LevelCheckRules& rules, std::string& error) {
    char text[160];
    for (int32_t row = kBoardRows - rules.freeLowestRows; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            if (!grid[row][column].IsEmpty()) {
                std::snprintf(text, sizeof(text), "row %d must be free at the start", row);
                error = text;
                return false;
            }
        }
    }
    // Held: every ball reaches row 0 through balls.
    CellMask held = {};
    for (int32_t column = 0; column < kBoardColumns; ++column) {
        held[0][column] = !grid[0][column].IsEmpty();
    }
    SpreadThroughField(grid, held, false);
    // Reachable: free cells connected to the bottom row through free cells.
    CellMask reachable = {};
    for (int32_t column = 0; column < FieldRowLength(kBoardRows - 1); ++column) {
        reachable[kBoardRows - 1][column] = true;
    }
    SpreadThroughField(grid, reachable, true);
    CellPos neighbours[kMaxFieldNeighbours];
    bool used[BallColour::ColourCount] = {};
    bool offered[BallColour::ColourCount] = {};
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const int32_t colour = grid[row][column].colour;
            if (colour == BallColour::Empty) {
                continue;
            }
            if (IsShortFieldRow(row) && column == kBoardColumns - 1) {
                std::snprintf(text, sizeof(text), "row %d column 9 lies outside a short row", row);
                error = text;
                return false;
            }
            if (!held[row][column]) {
                std::snprintf(text, sizeof(text), "the ball at row %d column %d hangs from nothing", row, column);
                error = text;
                return false;
            }
            if (!BallColour::IsOrdinary(colour)) {
                continue;
            }
            used[colour] = true;
            const int32_t count = FieldNeighbours(column, row, neighbours);
            for (int32_t i = 0; i < count; ++i) {
                const CellPos& n = neighbours[i];
                offered[colour] = offered[colour] || reachable[n.row][n.column];
            }
        }
    }
    for (int32_t colour = 0; colour < BallColour::ColourCount; ++colour) {
        if (used[colour] && !offered[colour]) {
            std::snprintf(text, sizeof(text), "colour %d is used but no ball of it can be reached", colour);
            error = text;
            return false;
        }
    }
    return true;
}
