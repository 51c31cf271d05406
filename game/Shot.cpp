#include "game/Shot.h"

#include "game/Board.h"

#include <cmath>

float LauncherAngle(const Vec3& launcher, float mouseX, float mouseY) {
    return std::atan2(mouseY - launcher.y, mouseX - launcher.x) * 57.29578f + 90.0f;
}

Vec3 ShotStartPosition(const Vec3& launcher) {
    return Vec3{launcher.x - kBallSize * 0.5f, launcher.y - kBallSize * 0.5f, 0.0f};
}

void StartShot(ShotState& shot, const Vec3& launcher, float targetX, float targetY) {
    shot.flying = true;
    shot.position = ShotStartPosition(launcher);
    const float dx = targetX - shot.position.x;
    const float dy = targetY - shot.position.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.0f) {
        shot.velocity = Vec3{dx / length * kShotSpeed, dy / length * kShotSpeed, 0.0f};
    } else {
        shot.velocity = Vec3{0.0f, -kShotSpeed, 0.0f};   // a target on the ball itself: straight up
    }
}

void MoveShot(ShotState& shot, float dt) {
    shot.position.x += shot.velocity.x * dt;
    shot.position.y += shot.velocity.y * dt;
    if (shot.position.x >= kRightWallX) {
        shot.velocity.x = -shot.velocity.x;
    }
    if (shot.position.x <= kLeftWallX) {
        shot.velocity.x = -shot.velocity.x;
    }
}

bool RowTouchesShot(const CBoard& board, int32_t row, const Vec3& position) {
    for (int32_t column = 0; column < kBoardColumns; ++column) {
        if (board.CellAt(column, row).IsEmpty()) {
            continue;
        }
        const Vec3 corner = board.CellTopLeft(column, row);
        const float dx = position.x - corner.x;
        const float dy = position.y - corner.y;
        if (dx * dx + dy * dy <= CBoard::kStickDistanceSquared) {
            return true;
        }
    }
    return false;
}

bool StepShot(ShotState& shot, const CBoard& board, float dt) {
    if (!shot.flying) {
        return false;
    }
    MoveShot(shot, dt);
    bool rests = shot.position.y <= board.Origin().y;
    for (int32_t row = 0; row < kBoardRows && !rests; ++row) {
        rests = RowTouchesShot(board, row, shot.position);
    }
    if (rests) {
        shot.flying = false;
    }
    return rests;
}
