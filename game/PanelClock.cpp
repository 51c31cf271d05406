#include "game/PanelClock.h"

#include "core/Random.h"

namespace {
// The effects' own generator draws the celebration's rhythm: it is for the eye only.
float RandomUnit(float scale) {
    return static_cast<float>(RandomNext()) * scale / 32767.0f;
}
}  // namespace

void CPanelClock::Show(EPanelMode mode) {
    m_mode = mode;
    m_effectClock = 0.0f;
    m_effectDue = false;
    switch (mode) {
        case EPanelMode::GameDone:
            m_timer = 20.0f;
            m_effectDue = true;
            m_effectDelay = RandomUnit(9.99f) * 0.1f;
            break;
        case EPanelMode::LevelDone:
            m_timer = 5.0f;
            break;
        case EPanelMode::GameSaved:
            m_timer = 0.8f;
            break;
        default:
            m_timer = 2.5f;
            break;
    }
}

bool CPanelClock::TakeEffect() {
    const bool due = m_effectDue;
    m_effectDue = false;
    return due;
}

bool CPanelClock::Step(float dt, bool& saveRequested, bool allLevelsDone, bool dismissHit, bool pauseKeyHit) {
    if (m_mode == EPanelMode::None) {
        return true;
    }
    if (saveRequested) {
        m_timer = -1.0f;
        if (m_mode == EPanelMode::GameDone || allLevelsDone) {
            saveRequested = false;
        }
        return true;
    }
    if (m_mode == EPanelMode::GameDone && m_timer > 15.0f) {
        m_effectClock += dt;
        if (m_effectClock >= m_effectDelay) {
            m_effectClock -= m_effectDelay;
            m_effectDue = true;
            m_effectDelay = 0.1f + 0.1f * RandomUnit(3.99f);
        }
    }
    if (dismissHit || (m_mode == EPanelMode::Pause && pauseKeyHit)) {
        m_timer = -1.0f;
        return true;
    }
    if (m_mode == EPanelMode::Pause) {
        return false;
    }
    m_timer -= dt;
    return m_timer < 0.0f;
}
