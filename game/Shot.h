#pragma once
// The flight of a shot: constant speed, bounces off the side walls, rests at the ceiling
// or beside the first ball it comes near. Shared by the game and by the bot's trial shots.
#include "game/BallTypes.h"

class CBoard;

constexpr float kShotSpeed = 750.0f;
constexpr float kRightWallX = 453.0f;
constexpr float kLeftWallX = 155.0f;
constexpr Vec3 kLauncherPosition = {320.0f, 418.0f, 0.0f};

struct ShotState {
    bool flying = false;
    Vec3 position;   // top-left of the ball
    Vec3 velocity;
};

// Where the ball in hand sits: its top-left, so that it is centred on the launcher's pivot.
Vec3 ShotStartPosition(const Vec3& launcher);
// The launcher's rotation in degrees for a mouse position; 0 points straight up.
float LauncherAngle(const Vec3& launcher, float mouseX, float mouseY);
// Starts a shot from the launcher towards target (the mouse position minus (16, 16)).
void StartShot(ShotState& shot, const Vec3& launcher, float targetX, float targetY);
// The shot's motion over dt, bouncing off the side walls.
void MoveShot(ShotState& shot, float dt);
// Whether a ball of the row lies close enough to a shot at position to stop it.
bool RowTouchesShot(const CBoard& board, int32_t row, const Vec3& position);
// One step of flight; true when the ball came to rest in this step (flying is then false).
bool StepShot(ShotState& shot, const CBoard& board, float dt);
