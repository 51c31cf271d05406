#include "gui/LocalMatchSide.h"

void CLocalMatchSide::BeginStep(const CVersusMatch& match, int32_t side) {
    m_hasStep = false;
    if (match.Phase() == EVersusPhase::Playing) {
        // Read every step, stepped or not, so that keys and the pad turn the launcher evenly.
        const CPlayfield& field = match.Field(side);
        const PlayInput input = m_device.IsHeld()
                                    ? m_deviceAim.Read(field, m_device, m_fieldOffsetX, CPlayfield::kStepLength)
                                    : m_aim.Read(field, true, true, CPlayfield::kStepLength);
        m_step = ReplayStep::FromPlayInput(input);
        m_hasStep = true;
    } else if (m_readyAsked) {
        m_step = ReplayStep();
        m_step.input = ReplayInput::Dismiss;
        m_hasStep = true;
    }
    m_readyAsked = false;
}

ReplayStep CLocalMatchSide::TakeStep(const CVersusMatch&, int32_t) {
    m_hasStep = false;
    return m_step;
}

void CLocalMatchSide::StepDone(const CVersusMatch&, int32_t, const MatchSideStep& played) {
    if (played.step.Has(ReplayInput::Dismiss) && !played.readyRefused) {
        m_readyDone = true;
    }
}

bool CLocalMatchSide::TakeReadyDone() {
    const bool done = m_readyDone;
    m_readyDone = false;
    return done;
}
