#include "game/Board.h"

#include "core/Log.h"
#include "game/Effects.h"
#include "resources/LittleEndian.h"

#include <cmath>
#include <cstring>

namespace {
constexpr float kFallStartVelocity = 300.0f;
constexpr float kFallBaseAcceleration = 500.0f;
constexpr float kFallAccelerationPerRow = 100.0f;
constexpr float kFallOffScreenY = 480.0f;
constexpr size_t kFallingReserve = kBoardCells;

void ClearGrid(BoardGrid& grid) {
    for (auto& row : grid) {
        for (BallCell& cell : row) {
            cell = BallCell();
        }
    }
}

// The top-left corner of a cell relative to the field's origin.
Vec3 CellOffset(int32_t column, int32_t row) {
    return Vec3{kBallSize * static_cast<float>(column) + (IsShortFieldRow(row) ? kShortRowIndent : 0.0f),
                kRowSpacing * static_cast<float>(row), 0.0f};
}

}  // namespace

CBoard::CBoard() {
    m_falling.reserve(kFallingReserve);
    m_recoloured.reserve(kMaxNeighbours * 2);
    m_explosions.reserve(kMaxNeighbours * 2);
    ClearGrids();
    ResetPlacement();
}


void CBoard::Play(EGameSound sound) const {
    if (!m_silent) {
        m_sounds->Play(sound);
    }
}

// ---------------------------------------------------------------- the field

void CBoard::ClearGrids() {
    ClearGrid(m_removal);
    ClearGrid(m_anchor);
    ClearGrid(m_grid);
    m_removalInProgress = false;
}

bool CBoard::LoadFromBytes(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size != kLevelFileSize) {
        CLog::Get().Write("CBoard::LoadFromBytes FAILED, size: %zu", size);
        return false;
    }
    ClearGrids();
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const uint8_t* record = bytes + (row * kBoardColumns + column) * sizeof(BallCell);
            m_grid[row][column].colour = static_cast<int32_t>(ReadLe32(record));
            m_grid[row][column].frame = ReadLe32(record + 4);
        }
    }
    return true;
}

void StoreGridBytes(const BoardGrid& grid, uint8_t* out) {
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            uint8_t* record = out + (row * kBoardColumns + column) * sizeof(BallCell);
            WriteLe32(record, static_cast<uint32_t>(grid[row][column].colour));
            WriteLe32(record + 4, grid[row][column].frame);
        }
    }
}

void CBoard::StoreToBytes(uint8_t* out) const {
    StoreGridBytes(m_grid, out);
}

void CBoard::SetCell(int32_t colour, uint32_t frame, int32_t column, int32_t row) {
    if (column < 0 || column >= kBoardColumns || row < 0 || row >= kBoardRows) {
        return;
    }
    m_grid[row][column].colour = colour;
    m_grid[row][column].frame = frame;
}

const BallCell& CBoard::CellAt(int32_t column, int32_t row) const {
    if (column < 0 || column >= kBoardColumns || row < 0 || row >= kBoardRows) {
        return m_grid[0][0];
    }
    return m_grid[row][column];
}

void CBoard::CopyFieldFrom(const CBoard& other) {
    std::memcpy(m_grid, other.m_grid, sizeof(m_grid));
    m_origin = other.m_origin;
    m_bottomRow = other.m_bottomRow;
    ClearGrid(m_removal);
    ClearGrid(m_anchor);
    ClearTransient();
}

int32_t CBoard::BallCount() const {
    int32_t count = 0;
    for (const auto& row : m_grid) {
        for (const BallCell& cell : row) {
            count += cell.IsEmpty() ? 0 : 1;
        }
    }
    return count;
}

bool CBoard::RowHoldsBall(int32_t row) const {
    if (row < 0 || row >= kBoardRows) {
        return false;
    }
    for (const BallCell& cell : m_grid[row]) {
        if (!cell.IsEmpty()) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- geometry

void CBoard::ResetPlacement() {
    m_origin = Vec3{kBoardOriginX, kBoardOriginY, 0.0f};
    m_bottomRow = kLowestRow;
}

Vec3 CBoard::CellTopLeft(int32_t column, int32_t row) const {
    const Vec3 offset = CellOffset(column, row);
    return Vec3{m_origin.x + offset.x, m_origin.y + offset.y, m_origin.z};
}

Vec3 CBoard::CellCenter(int32_t column, int32_t row) const {
    const Vec3 corner = CellTopLeft(column, row);
    return Vec3{corner.x + kBallSize * 0.5f, corner.y + kRowSpacing * 0.5f, corner.z};
}

// ---------------------------------------------------------------- sticking

int32_t CBoard::SupportKind(int32_t column, int32_t row) const {
    if (row == 0) {
        return 1;
    }
    CellPos neighbours[kMaxNeighbours];
    const int32_t count = Neighbours(column, row, neighbours);
    bool above = false, below = false, beside = false;
    for (int32_t i = 0; i < count; ++i) {
        const CellPos& n = neighbours[i];
        if (m_grid[n.row][n.column].IsEmpty()) {
            continue;
        }
        if (n.row < row) {
            above = true;
        } else if (n.row > row) {
            below = true;
        } else {
            beside = true;
        }
    }
    if (above) return 1;
    if (below) return 2;
    if (beside) return 3;
    return 0;
}

bool CBoard::FindStickCell(const Vec3& position, CellPos& out) const {
    const float px = position.x - m_origin.x;
    const float py = position.y - m_origin.y;

    int32_t row = static_cast<int32_t>(std::lround(py / kRowSpacing));
    row = row < 0 ? 0 : (row > kLowestRow ? kLowestRow : row);
    const int32_t length = RowLength(row);
    int32_t column = static_cast<int32_t>(std::lround(px / kBallSize));
    column = column < 0 ? 0 : (column > length - 1 ? length - 1 : column);

    CellPos candidates[9];
    int32_t candidateCount = 0;
    candidates[candidateCount++] = {column, row};
    if (column > 0) candidates[candidateCount++] = {column - 1, row};
    if (column + 1 < length) candidates[candidateCount++] = {column + 1, row};
    for (const int32_t otherRow : {row - 1, row + 1}) {
        if (otherRow < 0 || otherRow > kLowestRow) {
            continue;
        }
        candidates[candidateCount++] = {column, otherRow};
        if (column > 0) candidates[candidateCount++] = {column - 1, otherRow};
        if (column + 1 < RowLength(otherRow)) candidates[candidateCount++] = {column + 1, otherRow};
    }

    int32_t bestSupport = 4;
    float bestDistance = 0.0f;
    bool found = false;
    for (int32_t i = 0; i < candidateCount; ++i) {
        const CellPos& candidate = candidates[i];
        // Column 9 of a short row lies outside the field: never a resting place.
        if (!IsPlayable(candidate.column, candidate.row)) {
            continue;
        }
        const Vec3 corner = CellOffset(candidate.column, candidate.row);
        const float dx = px - corner.x;
        const float dy = py - corner.y;
        const float distance = dx * dx + dy * dy;
        if (!m_grid[candidate.row][candidate.column].IsEmpty() || distance > kStickDistanceSquared) {
            continue;
        }
        const int32_t support = SupportKind(candidate.column, candidate.row);
        if (support == 0) {
            continue;
        }
        if (!found || support < bestSupport || (support == bestSupport && distance < bestDistance)) {
            found = true;
            bestSupport = support;
            bestDistance = distance;
            out = candidate;
        }
    }
    if (!found) {
        CLog::Get().Write("FAILED COULDN'T SAVE BALL");
    }
    return found;
}

// ---------------------------------------------------------------- matching

void CBoard::GroupSearch(int32_t colour, uint32_t frame, int32_t column, int32_t row, int32_t& count) {
    ++count;
    BallCell& cell = m_grid[row][column];
    if (!cell.IsEmpty()) {
        m_removal[row][column] = cell;
        cell = BallCell();
    }
    if (colour == BallColour::Empty) {
        return;
    }
    CellPos neighbours[kMaxNeighbours];
    const int32_t neighbourCount = Neighbours(column, row, neighbours);
    for (int32_t i = 0; i < neighbourCount; ++i) {
        const CellPos& n = neighbours[i];
        const BallCell& other = m_grid[n.row][n.column];
        if (other.colour == colour && other.frame == frame) {
            GroupSearch(colour, frame, n.column, n.row, count);
        }
    }
}

int32_t CBoard::RemovalCount() const {
    int32_t count = 0;
    for (const auto& row : m_removal) {
        for (const BallCell& cell : row) {
            count += cell.IsEmpty() ? 0 : 1;
        }
    }
    return count;
}

LandingResult CBoard::RemoveMatches(int32_t colour, uint32_t frame, int32_t column, int32_t row) {
    if (!IsPlayable(column, row)) {
        return LandingResult{};
    }
    ClearGrid(m_removal);
    int32_t count = 0;
    const bool multicolor = colour == BallColour::Multicolor;
    if (multicolor) {
        m_removal[row][column] = m_grid[row][column];
        m_grid[row][column] = BallCell();
        CellPos neighbours[kMaxNeighbours];
        const int32_t neighbourCount = Neighbours(column, row, neighbours);
        for (int32_t i = 0; i < neighbourCount; ++i) {
            const CellPos& n = neighbours[i];
            const BallCell& other = m_grid[n.row][n.column];
            if (other.colour == BallColour::FirstColour && other.frame == frame) {
                GroupSearch(BallColour::FirstColour, frame, n.column, n.row, count);
            }
        }
        for (int32_t ordinary = BallColour::FirstColour + 1; ordinary <= BallColour::LastColour; ++ordinary) {
            GroupSearch(ordinary, frame, column, row, count);
        }
        count = RemovalCount();
    } else {
        GroupSearch(colour, frame, column, row, count);
    }

    if (count < 3 && !(multicolor && count == 2)) {
        Restore();
        return LandingResult{};
    }

    m_removalInProgress = true;
    for (int32_t r = 0; r < kBoardRows; ++r) {
        for (int32_t c = 0; c < kBoardColumns; ++c) {
            if (m_removal[r][c].IsEmpty()) {
                continue;
            }
            AddFallingBall(m_removal[r][c], c, r);
            if (multicolor && m_effects != nullptr) {
                const FallingBall& ball = m_falling.back();
                m_effects->Burst(ball.x + 16.0f, ball.y + 10.0f, 1);
                m_effects->AddSparkle(ball.x + 16.0f, ball.y + 10.0f);
            }
        }
    }
    Play(multicolor ? EGameSound::BallRemoveMultiball : EGameSound::BallRemove);
    const int32_t dropped = DropLoose();
    return LandingResult{true, count + dropped};
}

void CBoard::Restore() {
    m_removalInProgress = true;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            BallCell& kept = m_removal[row][column];
            if (kept.IsEmpty()) {
                continue;
            }
            if (kept.colour == BallColour::Multicolor) {
                Play(EGameSound::PowerupMulticolorBallMissed);
                Burst(column, row, kBurstParticles);
            } else {
                m_grid[row][column] = kept;
            }
            kept = BallCell();
        }
    }
}

// ---------------------------------------------------------------- falling

void CBoard::Spread(int32_t column, int32_t row) {
    const BallCell& cell = m_grid[row][column];
    if (cell.IsEmpty() || !m_anchor[row][column].IsEmpty()) {
        return;
    }
    m_anchor[row][column] = cell;
    CellPos neighbours[kMaxNeighbours];
    const int32_t count = Neighbours(column, row, neighbours);
    for (int32_t i = 0; i < count; ++i) {
        Spread(neighbours[i].column, neighbours[i].row);
    }
}

int32_t CBoard::DropLoose() {
    ClearGrid(m_anchor);
    for (int32_t column = 0; column < kBoardColumns; ++column) {
        const BallCell& cell = m_grid[0][column];
        if (cell.IsEmpty() || !m_anchor[0][column].IsEmpty()) {
            continue;
        }
        m_anchor[0][column] = cell;
        CellPos neighbours[kMaxNeighbours];
        const int32_t count = Neighbours(column, 0, neighbours);
        for (int32_t i = 0; i < count; ++i) {
            Spread(neighbours[i].column, neighbours[i].row);
        }
    }
    m_removalInProgress = true;
    int32_t dropped = 0;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            BallCell& cell = m_grid[row][column];
            if (cell.colour == m_anchor[row][column].colour) {
                continue;
            }
            ++dropped;
            AddFallingBall(cell, column, row);
            cell = BallCell();
        }
    }
    return dropped;
}

void CBoard::AddFallingBall(const BallCell& cell, int32_t column, int32_t row) {
    FallingBall ball;
    ball.colour = cell.colour;
    ball.frame = cell.frame;
    ball.acceleration = kFallBaseAcceleration + kFallAccelerationPerRow * static_cast<float>(row);
    ball.velocity = kFallStartVelocity;
    const Vec3 corner = CellTopLeft(column, row);
    ball.x = corner.x;
    ball.y = corner.y;
    m_falling.push_back(ball);
    ++m_fallingCreatedTotal;
}

void CBoard::UpdateFalling(float dt) {
    if (!m_removalInProgress) {
        return;
    }
    if (m_falling.empty()) {
        m_removalInProgress = false;
        return;
    }
    for (FallingBall& ball : m_falling) {
        ball.velocity += ball.acceleration * dt;
        ball.y += ball.velocity * dt;
    }
    size_t kept = 0;
    for (size_t i = 0; i < m_falling.size(); ++i) {
        if (m_falling[i].y <= kFallOffScreenY) {
            m_falling[kept++] = m_falling[i];
        }
    }
    m_falling.resize(kept);
}

void CBoard::Burst(int32_t column, int32_t row, int32_t count) const {
    if (m_effects == nullptr) {
        return;
    }
    const Vec3 centre = CellCenter(column, row);
    m_effects->Burst(centre.x, centre.y, count);
}

// ---------------------------------------------------------------- saved games

namespace {
void CopyGrid(const BoardGrid& from, BoardGrid& to) {
    std::memcpy(to, from, sizeof(BoardGrid));
}
}  // namespace

BoardSaveState CBoard::SaveState() const {
    BoardSaveState state;
    CopyGrid(m_grid, state.grid);
    CopyGrid(m_removal, state.removal);
    CopyGrid(m_anchor, state.anchor);
    state.recolourTimer = m_recolourTimer;
    state.explosionTimer = m_explosionTimer;
    state.bottomRow = m_bottomRow;
    state.origin = m_origin;
    state.removalInProgress = m_removalInProgress;
    state.resolving = m_resolving;
    state.arrowLeftRunning = m_arrows[kArrowLeft].running;
    state.arrowRightRunning = m_arrows[kArrowRight].running;
    const ArrowSweep& arrow = m_arrows[kArrowLeft].running ? m_arrows[kArrowLeft] : m_arrows[kArrowRight];
    state.arrowTimer = arrow.timer;
    state.arrowX = arrow.x;
    state.arrowY = arrow.y;
    state.effectCell = m_effectCell;
    state.flyingMulticolor = m_flyingMulticolor;
    return state;
}

void CBoard::RestoreState(const BoardSaveState& state) {
    ClearTransient();
    CopyGrid(state.grid, m_grid);
    CopyGrid(state.removal, m_removal);
    CopyGrid(state.anchor, m_anchor);
    m_recolourTimer = state.recolourTimer;
    m_explosionTimer = state.explosionTimer;
    m_bottomRow = state.bottomRow;
    m_origin = state.origin;
    m_removalInProgress = state.removalInProgress;
    m_resolving = state.resolving;
    m_effectCell = state.effectCell;
    const bool running[2] = {state.arrowLeftRunning, state.arrowRightRunning};
    for (int32_t direction = kArrowLeft; direction <= kArrowRight; ++direction) {
        ArrowSweep& arrow = m_arrows[direction];
        arrow.running = running[direction];
        arrow.timer = state.arrowTimer;
        arrow.x = state.arrowX;
        arrow.y = state.arrowY;
        // The arrow's next cell is the effect cell it last set.
        arrow.column = state.effectCell.column;
        arrow.row = state.effectCell.row;
    }
    m_flyingMulticolor = state.flyingMulticolor;
}
