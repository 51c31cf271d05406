// The power-up effects of CBoard: explosions, colour changes, arrows and the multicolour
// ball that flies to the launcher. They run over several update steps ("resolving").
#include "game/Board.h"

#include <cmath>

namespace {
constexpr float kArrowSpeed = 320.0f;
constexpr float kArrowStepTime = 0.1f;
constexpr float kRecolourTime = 0.5f;
constexpr float kExplosionStepTime = 0.05f;
constexpr float kMulticolorSpeed = 500.0f;
constexpr float kMulticolorArrivalSquared = 20.0f;
constexpr Vec3 kMulticolorTarget = {304.0f, 404.0f, 0.0f};
}  // namespace

int32_t CBoard::SpecialNeighbours(int32_t column, int32_t row, PowerUpEntry out[kMaxNeighbours]) const {
    CellPos neighbours[kMaxNeighbours];
    const int32_t count = Neighbours(column, row, neighbours);
    int32_t special = 0;
    for (int32_t i = 0; i < count; ++i) {
        const BallCell& cell = CellAt(neighbours[i].column, neighbours[i].row);
        if (BallColour::IsSpecial(cell.colour)) {
            out[special++] = PowerUpEntry{neighbours[i].column, neighbours[i].row, cell.colour, cell.frame};
        }
    }
    return special;
}

int32_t CBoard::TriggerPowerUp(const PowerUpEntry& entry, const BallCell& shot) {
    if (entry.colour == BallColour::Explosion || entry.colour == BallColour::ChangeColor) {
        SetCell(shot.colour, shot.frame, entry.column, entry.row);
    } else {
        Burst(entry.column, entry.row, kBurstParticles);
    }
    return ActivatePowerUp(entry, shot.colour);
}

int32_t CBoard::ActivatePowerUp(const PowerUpEntry& entry, int32_t shotColour) {
    m_recolourTimer = 0.0f;
    m_explosionTimer = 0.0f;
    m_resolving = true;
    const int32_t column = entry.column;
    const int32_t row = entry.row;
    if (!IsPlayable(column, row)) {
        return 0;
    }
    int32_t dropped = 0;
    CellPos neighbours[kMaxNeighbours];
    const int32_t neighbourCount = Neighbours(column, row, neighbours);

    switch (entry.colour) {
        case BallColour::Explosion:
            m_effectCell = CellPos{column, row + 2};
            Burst(column, row, kBurstParticles);
            SetCell(BallColour::Empty, 0, column, row);
            for (int32_t i = 0; i < neighbourCount; ++i) {
                const CellPos& n = neighbours[i];
                if (!m_grid[n.row][n.column].IsEmpty()) {
                    m_explosions.push_back(CellRecord{n.column, n.row, BallColour::Empty, 0});
                }
            }
            break;
        case BallColour::ChangeColor:
            SetCell(shotColour, 0, column, row);
            for (int32_t i = 0; i < neighbourCount; ++i) {
                const CellPos& n = neighbours[i];
                if (!m_grid[n.row][n.column].IsEmpty()) {
                    SetCell(shotColour, 0, n.column, n.row);
                    m_recoloured.push_back(CellRecord{n.column, n.row, shotColour, 0});
                }
            }
            break;
        case BallColour::ArrowLeft:
            dropped = StartArrow(kArrowLeft, entry);
            break;
        case BallColour::ArrowRight:
            dropped = StartArrow(kArrowRight, entry);
            break;
        case BallColour::Multicolor: {
            SetCell(BallColour::Empty, 0, column, row);
            Burst(column, row, kBurstParticles);
            FlyingMulticolor& ball = m_flyingMulticolor;
            ball.running = true;
            ball.position = CellTopLeft(column, row);
            ball.target = kMulticolorTarget;
            const float dx = ball.target.x - ball.position.x;
            const float dy = ball.target.y - ball.position.y;
            const float length = std::sqrt(dx * dx + dy * dy);
            ball.velocity = length > 0.0f ? Vec3{dx / length * kMulticolorSpeed, dy / length * kMulticolorSpeed, 0.0f}
                                          : Vec3{0.0f, 0.0f, 0.0f};
            break;
        }
        default:
            break;
    }
    return dropped;
}

int32_t CBoard::StartArrow(int32_t direction, const PowerUpEntry& entry) {
    ArrowSweep& arrow = m_arrows[direction];
    arrow.timer = 0.0f;
    arrow.running = true;
    arrow.column = entry.column;
    arrow.row = entry.row;
    m_effectCell = CellPos{entry.column, entry.row};
    const Vec3 corner = CellTopLeft(entry.column, entry.row);
    arrow.x = corner.x;
    arrow.y = corner.y;
    SetCell(BallColour::Empty, 0, entry.column, entry.row);
    Burst(entry.column, entry.row, kBurstParticles);
    arrow.column += direction == kArrowLeft ? -1 : 1;
    if (arrow.column < 0 || arrow.column >= kBoardColumns) {
        arrow.running = false;
        return DropLoose();
    }
    return 0;
}

int32_t CBoard::StepArrow(int32_t direction, float dt) {
    ArrowSweep& arrow = m_arrows[direction];
    if (!arrow.running) {
        return 0;
    }
    arrow.x += (direction == kArrowLeft ? -kArrowSpeed : kArrowSpeed) * dt;
    arrow.timer += dt;
    if (arrow.timer <= kArrowStepTime) {
        return 0;
    }
    arrow.timer -= kArrowStepTime;
    bool hit = false;
    if (!CellAt(arrow.column, arrow.row).IsEmpty()) {
        Burst(arrow.column, arrow.row, kBurstParticles);
        Play(EGameSound::PowerupArrowEachBallHit);
        SetCell(BallColour::Empty, 0, arrow.column, arrow.row);
        hit = true;
    }
    arrow.column += direction == kArrowLeft ? -1 : 1;
    m_effectCell = CellPos{arrow.column, arrow.row};
    if (arrow.column < 0 || arrow.column >= kBoardColumns) {
        arrow.running = false;
    } else if (hit) {
        return DropLoose();
    }
    return 0;
}

void CBoard::UpdateFlyingMulticolor(float dt) {
    FlyingMulticolor& ball = m_flyingMulticolor;
    if (!ball.running) {
        return;
    }
    ball.position.x += ball.velocity.x * dt;
    ball.position.y += ball.velocity.y * dt;
    const float dx = ball.target.x - ball.position.x;
    const float dy = ball.target.y - ball.position.y;
    if (dx * dx + dy * dy < kMulticolorArrivalSquared) {
        ball.running = false;
        m_multicolorArrived = true;
        Play(EGameSound::PowerupMulticolorBallArrived);
    }
}

void CBoard::UpdateRecoloured(float dt) {
    if (m_recoloured.empty()) {
        return;
    }
    m_recolourTimer += dt;
    if (m_recolourTimer > kRecolourTime) {
        m_recolourTimer -= kRecolourTime;
        m_recoloured.clear();
    }
}

void CBoard::UpdateExplosions(float dt) {
    if (m_explosions.empty()) {
        return;
    }
    m_explosionTimer += dt;
    while (m_explosionTimer > kExplosionStepTime && !m_explosions.empty()) {
        m_explosionTimer -= kExplosionStepTime;
        Play(EGameSound::PowerupExplosionSmall);
        const CellRecord record = m_explosions.front();
        m_explosions.erase(m_explosions.begin());
        Burst(record.column, record.row, kBurstParticles);
        SetCell(record.colour, record.frame, record.column, record.row);
    }
}

int32_t CBoard::UpdateEffects(float dt) {
    if (!m_resolving) {
        return 0;
    }
    UpdateFlyingMulticolor(dt);
    int32_t dropped = StepArrow(kArrowLeft, dt);
    dropped += StepArrow(kArrowRight, dt);
    UpdateRecoloured(dt);
    UpdateExplosions(dt);
    const bool running = !m_recoloured.empty() || !m_explosions.empty() || m_arrows[kArrowLeft].running ||
                         m_arrows[kArrowRight].running || m_flyingMulticolor.running;
    if (running) {
        return dropped;
    }
    dropped += DropLoose();
    m_resolving = false;
    m_recolourTimer = 0.0f;
    m_explosionTimer = 0.0f;
    return dropped;
}

bool CBoard::TakeMulticolorArrived() {
    const bool arrived = m_multicolorArrived;
    m_multicolorArrived = false;
    return arrived;
}

void CBoard::ClearTransient() {
    m_falling.clear();
    m_recoloured.clear();
    m_explosions.clear();
    m_removalInProgress = false;
    m_resolving = false;
    m_arrows[kArrowLeft] = ArrowSweep();
    m_arrows[kArrowRight] = ArrowSweep();
    m_explosionTimer = 0.0f;
    m_recolourTimer = 0.0f;
    m_flyingMulticolor = FlyingMulticolor();
    m_multicolorArrived = false;
}
