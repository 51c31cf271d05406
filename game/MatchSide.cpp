#include "game/MatchSide.h"

namespace {
// No side takes more steps than this in one fixed step (a catch-up takes four).
constexpr int32_t kMaxStepsAtOnce = 64;
}  // namespace

MatchSideStep PlayMatchStep(CVersusMatch& match, int32_t side, IMatchSide& driver) {
    MatchSideStep played;
    played.step = driver.TakeStep(match, side);
    const int32_t sentBefore = match.SideCounts(side).ballsSent;
    match.StepSide(side, played.step.ToPlayInput());
    played.ballsSent = match.SideCounts(side).ballsSent - sentBefore;
    driver.StepPlayed(match, side, played);
    if (played.step.Has(ReplayInput::Dismiss)) {
        played.readyRefused = !match.SetSideReady(side);
    }
    driver.StepDone(match, side, played);
    return played;
}

int32_t CMatchSides::Step(CVersusMatch& match) {
    for (int32_t side = 0; side < kVersusSides; ++side) {
        m_drivers[side]->BeginStep(match, side);
    }
    int32_t taken = 0;
    for (int32_t turn = 0; turn < kVersusSides; ++turn) {
        const int32_t side = turn == 0 ? m_first : 1 - m_first;
        IMatchSide& driver = *m_drivers[side];
        for (int32_t i = 0; i < kMaxStepsAtOnce && match.CanStepSide(side) && driver.HasStep(match, side); ++i) {
            PlayMatchStep(match, side, driver);
            ++taken;
        }
    }
    return taken;
}

// ---------------------------------------------------------------- the computer

void CBotMatchSide::BeginStep(const CVersusMatch&, int32_t) {
    m_hasStep = true;
}

bool CBotMatchSide::HasStep(const CVersusMatch& match, int32_t side) {
    if (!m_hasStep) {
        return false;
    }
    // Once the round is decided only a ready step is left, when it may say so.
    return match.Phase() == EVersusPhase::Playing || (m_readyAfterRound && !match.IsSideReady(side));
}

ReplayStep CBotMatchSide::TakeStep(const CVersusMatch& match, int32_t side) {
    m_hasStep = false;
    if (match.Phase() != EVersusPhase::Playing) {
        ReplayStep ready;
        ready.input = ReplayInput::Dismiss;
        return ready;
    }
    return ReplayStep::FromPlayInput(m_bot.Next(match.Field(side), CPlayfield::kStepLength));
}

void CBotMatchSide::StepDone(const CVersusMatch&, int32_t, const MatchSideStep& played) {
    if (played.step.Has(ReplayInput::Dismiss)) {
        // A new round: a choice not yet fired is dropped.
        m_bot.Forget();
    }
}
