#include "tools/sim/Bot.h"

#include "core/Random.h"

#include <cmath>

namespace {
constexpr float kMinAngle = -80.0f;
constexpr float kMaxAngle = 80.0f;
constexpr float kAngleStep = 0.75f;
constexpr int32_t kMaxAngles = 256;
constexpr int32_t kFlightStepLimit = 1500;
constexpr int32_t kEffectStepLimit = 3000;
constexpr double kLostBallValue = -400.0;
constexpr double kLifeLostValue = -1.0e6;
}  // namespace

CBot::CBot() {
    m_probe.SetSilent(true);
    m_probe.SetEffects(nullptr);
}

void CBot::MouseForAngle(float degrees, float& mouseX, float& mouseY) {
    const float radians = degrees * 0.017453292f;
    const float dx = std::sin(radians);
    const float dy = -std::cos(radians);
    // Far enough out for a precise aim, inside the cursor's area (y below 370 is off limits).
    float distance = 200.0f;
    const float needed = (kLauncherPosition.y - 369.0f) / -dy;
    distance = needed > distance ? needed : distance;
    if (std::fabs(dx) > 1e-4f) {
        const float room = (dx > 0.0f ? 639.0f - kLauncherPosition.x : kLauncherPosition.x) / std::fabs(dx);
        distance = room < distance ? room : distance;
    }
    mouseX = std::round(kLauncherPosition.x + dx * distance);
    mouseY = std::round(kLauncherPosition.y + dy * distance);
    mouseY = mouseY > 369.0f ? 369.0f : mouseY;
}

BotChoice CBot::RandomAim() {
    BotChoice choice;
    const float degrees = kMinAngle + (kMaxAngle - kMinAngle) * static_cast<float>(RandomNext()) / 32767.0f;
    MouseForAngle(degrees, choice.mouseX, choice.mouseY);
    choice.swapFirst = (RandomNext() & 7) == 0;
    return choice;
}

CBot::Landing CBot::Fly(const CBoard& board, float degrees) const {
    Landing landing;
    MouseForAngle(degrees, landing.mouseX, landing.mouseY);
    ShotState shot;
    StartShot(shot, kLauncherPosition, landing.mouseX - 16.0f, landing.mouseY - 16.0f);
    for (int32_t step = 0; step < kFlightStepLimit; ++step) {
        if (StepShot(shot, board, CPlayfield::kStepLength)) {
            landing.rests = true;
            break;
        }
    }
    if (landing.rests) {
        landing.found = board.FindStickCell(shot.position, landing.cell);
    }
    return landing;
}

double CBot::FieldShape(const CBoard& board, int32_t dangerRow) const {
    double value = 0.0;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            if (board.CellAt(column, row).IsEmpty()) {
                continue;
            }
            if (row >= dangerRow) {
                return kLifeLostValue;
            }
            value -= 1.0 + 0.15 * row * row;
        }
    }
    return value;
}

double CBot::EvaluatePowerUps(const BallCell& ball, const CellPos& cell) {
    const int32_t before = m_probe.BallCount();
    PowerUpEntry entries[CBoard::kMaxNeighbours];
    const int32_t entryCount = m_probe.SpecialNeighbours(cell.column, cell.row, entries);
    double bonus = 0.0;
    for (int32_t i = 0; i < entryCount; ++i) {
        if (entries[i].colour == BallColour::Obstacle) {
            continue;
        }
        bonus += entries[i].colour == BallColour::Multicolor ? 600.0 : 150.0;
        m_probe.TriggerPowerUp(entries[i], ball);
    }
    for (int32_t step = 0; step < kEffectStepLimit && m_probe.IsResolving(); ++step) {
        m_probe.UpdateEffects(CPlayfield::kStepLength);
    }
    return bonus + 120.0 * (before - m_probe.BallCount());
}

double CBot::Evaluate(const CPlayfield& playfield, const BallCell& ball, const CellPos& cell, bool moveDownComing) {
    const CBoard& board = playfield.Board();
    m_probe.CopyFieldFrom(board);
    double value = 0.0;
    bool hasPowerUp = false;
    CellPos neighbours[CBoard::kMaxNeighbours];
    const int32_t count = m_probe.Neighbours(cell.column, cell.row, neighbours);
    int32_t sameColour = 0;
    for (int32_t i = 0; i < count; ++i) {
        const BallCell& other = m_probe.CellAt(neighbours[i].column, neighbours[i].row);
        hasPowerUp = hasPowerUp || BallColour::IsPowerUp(other.colour);
        sameColour += (other.colour == ball.colour && other.frame == ball.frame) ? 1 : 0;
    }
    if (hasPowerUp) {
        value += EvaluatePowerUps(ball, cell);
    } else {
        const int32_t before = m_probe.BallCount();
        m_probe.SetCell(ball.colour, ball.frame, cell.column, cell.row);
        m_probe.RemoveMatches(ball.colour, ball.frame, cell.column, cell.row);
        const int32_t taken = before + 1 - m_probe.BallCount();
        if (taken > 0) {
            value += 150.0 * taken + 60.0;
        } else {
            value += 25.0 * sameColour - 10.0;
        }
    }
    // Balls the next move-down would bring into the bottom row cost a life at once.
    const int32_t dangerRow = board.BottomRow() - (moveDownComing ? 1 : 0);
    const double shape = FieldShape(m_probe, dangerRow);
    if (shape <= kLifeLostValue) {
        return kLifeLostValue + value;
    }
    return value + shape;
}

BotChoice CBot::Choose(const CPlayfield& playfield) {
    BotChoice best;
    best.value = -1.0e18;
    const BallCell balls[2] = {playfield.CurrentBall(), playfield.NextBallCell()};
    const bool canSwap = balls[1].colour != BallColour::Empty && !playfield.IsMulticolorPending();
    const bool moveDownComing = playfield.ShotsBeforeMoveDown() <= 1;

    CellPos seen[kMaxAngles];
    int32_t seenCount = 0;
    for (float degrees = kMinAngle; degrees <= kMaxAngle + 1e-3f; degrees += kAngleStep) {
        const Landing landing = Fly(playfield.Board(), degrees);
        if (!landing.rests) {
            continue;
        }
        bool repeated = false;
        for (int32_t i = 0; i < seenCount && landing.found; ++i) {
            repeated = repeated || seen[i] == landing.cell;
        }
        if (repeated) {
            continue;
        }
        if (landing.found && seenCount < kMaxAngles) {
            seen[seenCount++] = landing.cell;
        }
        for (int32_t which = 0; which < (canSwap ? 2 : 1); ++which) {
            const double value = landing.found ? Evaluate(playfield, balls[which], landing.cell, moveDownComing)
                                               : kLostBallValue;
            // A swap costs nothing but prefer the ball in hand when equal.
            const double adjusted = value - (which == 1 ? 0.5 : 0.0);
            if (adjusted > best.value) {
                best.value = adjusted;
                best.swapFirst = which == 1;
                best.mouseX = landing.mouseX;
                best.mouseY = landing.mouseY;
            }
        }
    }
    return best;
}
