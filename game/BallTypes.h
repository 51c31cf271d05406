#pragma once
// The cell codes and the shape of the ball field.
#include <cstdint>

// What a cell of the field holds: -1 empty, 0..7 the ordinary colours, 8..12 power-ups,
// 13 an obstacle. Codes outside -1..13 can come from a damaged level file: they stay in
// the grid but are never drawn, matched, triggered or given to the player.
namespace BallColour {
constexpr int32_t Empty = -1;
constexpr int32_t FirstColour = 0;
constexpr int32_t LastColour = 7;
constexpr int32_t ColourCount = 8;
constexpr int32_t Explosion = 8;
constexpr int32_t ChangeColor = 9;
constexpr int32_t ArrowLeft = 10;
constexpr int32_t ArrowRight = 11;
constexpr int32_t Multicolor = 12;
constexpr int32_t Obstacle = 13;
constexpr int32_t CodeCount = 14;

inline bool IsOrdinary(int32_t colour) { return colour >= FirstColour && colour <= LastColour; }
// Power-ups that act when a shot rests beside them (not obstacles).
inline bool IsPowerUp(int32_t colour) { return colour >= Explosion && colour <= Multicolor; }
// Power-ups and obstacles: the balls that change what an impact does.
inline bool IsSpecial(int32_t colour) { return colour >= Explosion && colour <= Obstacle; }
// A code that has a sprite and a meaning.
inline bool IsKnown(int32_t colour) { return colour >= Empty && colour < CodeCount; }
}  // namespace BallColour

struct BallCell {
    int32_t colour = BallColour::Empty;
    uint32_t frame = 0;

    bool IsEmpty() const { return colour == BallColour::Empty; }
    bool operator==(const BallCell& other) const = default;
};
static_assert(sizeof(BallCell) == 8, "a field cell is 8 bytes, as in the level file");

constexpr int32_t kBoardRows = 13;
constexpr int32_t kBoardColumns = 10;
constexpr int32_t kBoardCells = kBoardRows * kBoardColumns;
constexpr uint32_t kLevelFileSize = kBoardCells * sizeof(BallCell);   // 1040
constexpr float kBallSize = 32.0f;
constexpr float kRowSpacing = 28.0f;
constexpr float kShortRowIndent = 16.0f;
constexpr float kBoardOriginX = 160.0f;
constexpr float kBoardOriginY = 32.0f;

// A cell code's ball in the atlas (data/art/atlas.txt): the ordinary colours are the
// frames of the region "balls" in code order, the power-ups and the obstacle (8..13) the
// frames of the region "specials".
constexpr bool BallInSpecialsRegion(int32_t colour) { return colour >= BallColour::ColourCount; }
constexpr int32_t BallAtlasFrame(int32_t colour) {
    return BallInSpecialsRegion(colour) ? colour - BallColour::ColourCount : colour;
}

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct CellPos {
    int32_t column = 0;
    int32_t row = 0;
    bool operator==(const CellPos& other) const = default;
};

using BoardGrid = BallCell[kBoardRows][kBoardColumns];

// The shape of the field. Odd rows are short: drawn half a ball to the right and nine
// balls long; column 9 of a short row exists in storage only and is never part of the game.
constexpr bool IsShortFieldRow(int32_t row) { return row >= 0 && row < kBoardRows && (row % 2) == 1; }
constexpr int32_t FieldRowLength(int32_t row) { return IsShortFieldRow(row) ? kBoardColumns - 1 : kBoardColumns; }
// A cell that takes part in the game (not column 9 of a short row, not off the grid).
constexpr bool IsFieldCell(int32_t column, int32_t row) {
    return row >= 0 && row < kBoardRows && column >= 0 && column < FieldRowLength(row);
}

constexpr int32_t kMaxFieldNeighbours = 6;
// The cells touching (column, row) in the order upper-left, upper-right, lower-left,
// lower-right, left, right; none for a cell outside the game.
inline int32_t FieldNeighbours(int32_t column, int32_t row, CellPos out[kMaxFieldNeighbours]) {
    if (!IsFieldCell(column, row)) {
        return 0;
    }
    const int32_t shift = IsShortFieldRow(row) ? 0 : 1;
    const CellPos candidates[kMaxFieldNeighbours] = {
        {column - shift, row - 1}, {column - shift + 1, row - 1},
        {column - shift, row + 1}, {column - shift + 1, row + 1},
        {column - 1, row},         {column + 1, row},
    };
    int32_t count = 0;
    for (const CellPos& candidate : candidates) {
        if (IsFieldCell(candidate.column, candidate.row)) {
            out[count++] = candidate;
        }
    }
    return count;
}
