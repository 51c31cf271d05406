#pragma once
// Turning the launcher without a mouse: the arrow keys and the pad's d-pad turn it at a
// steady speed that grows after a moment held, the stick turns it in proportion to its
// deflection, and the slow turn (Shift or a shoulder button) is for the last fine degree.
// The result is a point to aim at, so the game reads it as it reads the mouse.
#include "game/BallTypes.h"

#include <cstdint>

// Degrees per second, and the seconds a key is held before it speeds up and until it
// reaches full speed.
constexpr float kAimSteadySpeed = 50.0f;
constexpr float kAimFastSpeed = 150.0f;
constexpr float kAimAccelerateAfter = 0.3f;
constexpr float kAimFullSpeedAfter = 1.0f;
constexpr float kAimSlowSpeed = 12.0f;
// The stick at full deflection; slow, the same as the slow keys.
constexpr float kAimStickSpeed = 150.0f;
// The launcher turns no further than this either side of straight up.
constexpr float kAimLimit = 80.0f;

// How fast a held key turns the launcher after heldSeconds, in degrees per second.
float KeyTurnSpeed(float heldSeconds, bool slow);
// How fast a stick deflection (past the dead zone, -1 to 1) turns it, signed.
float StickTurnSpeed(float deflection, bool slow);
// A point straight along the launcher turned by angle degrees (0 is straight up).
void AimPoint(const Vec3& launcher, float angle, float& x, float& y);

class CLauncherSteering {
public:
    // One step: the launcher's angle after dt with keyTurn (-1, 0, 1) and the stick's
    // deflection; the keys win when both are used. Returns false when nothing turns it.
    bool Step(float& angle, int32_t keyTurn, float stick, bool slow, float dt);
    float HeldSeconds() const { return m_heldSeconds; }

private:
    float m_heldSeconds = 0.0f;
    int32_t m_heldTurn = 0;
};
