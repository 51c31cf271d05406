#include "gui/LauncherSteering.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kDegreesToRadians = 0.017453292f;
// How far from the launcher the aim point lies: well inside the field.
constexpr float kAimDistance = 200.0f;
}  // namespace

float KeyTurnSpeed(float heldSeconds, bool slow) {
    if (slow) {
        return kAimSlowSpeed;
    }
    if (heldSeconds <= kAimAccelerateAfter) {
        return kAimSteadySpeed;
    }
    const float ramp = std::min((heldSeconds - kAimAccelerateAfter) / (kAimFullSpeedAfter - kAimAccelerateAfter), 1.0f);
    return kAimSteadySpeed + (kAimFastSpeed - kAimSteadySpeed) * ramp;
}

float StickTurnSpeed(float deflection, bool slow) {
    return deflection * (slow ? kAimSlowSpeed : kAimStickSpeed);
}

void AimPoint(const Vec3& launcher, float angle, float& x, float& y) {
    x = launcher.x + std::sin(angle * kDegreesToRadians) * kAimDistance;
    y = launcher.y - std::cos(angle * kDegreesToRadians) * kAimDistance;
}

bool CLauncherSteering::Step(float& angle, int32_t keyTurn, float stick, bool slow, float dt) {
    if (keyTurn != m_heldTurn) {
        m_heldTurn = keyTurn;
        m_heldSeconds = 0.0f;
    }
    float speed = 0.0f;
    if (keyTurn != 0) {
        speed = static_cast<float>(keyTurn) * KeyTurnSpeed(m_heldSeconds, slow);
        m_heldSeconds += dt;
    } else if (stick != 0.0f) {
        speed = StickTurnSpeed(stick, slow);
    } else {
        return false;
    }
    angle = std::clamp(angle + speed * dt, -kAimLimit, kAimLimit);
    return true;
}
