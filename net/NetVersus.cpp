#include "net/NetVersus.h"

#include "core/Log.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- the match

void CNetVersus::Start(CNetSession& session, CVersusMatch& match) {
    m_session = &session;
    m_match = &match;
    m_own = session.IsHost() ? 0 : 1;
    m_end = session.State() == ENetSessionState::Playing ? ENetVersusEnd::None : ENetVersusEnd::OpponentLeft;
    m_why.clear();
    m_record = MatchRecord();
    m_record.mode = EMatchMode::Network;
    m_record.settings = session.Settings();
    m_record.attackTravelSteps = kNetAttackTravelSteps;
    m_record.seed = session.Seed();
    m_record.ownSide = m_own;
    m_record.sides[m_own].kind = EMatchSideKind::Player;
    m_record.sides[1 - m_own].kind = EMatchSideKind::Remote;
    m_record.sides[1 - m_own].name = session.OpponentName();
    // Room for the runs of a long match, so that keeping them does not allocate as it plays.
    for (MatchRecordSide& side : m_record.sides) {
        side.runs.reserve(kRecordRunsReserved);
    }
    const ReplayStep start;
    m_glances.Reset(start.aimX, start.aimY);
    m_ownSteps = m_sentSteps = m_unsentCount = m_servicesSinceStep = 0;
    m_opponentSteps = 0;
    m_filling = true;
    m_fillingFor = 0;
    m_hasAttack = m_hasSum = false;
    m_sumsAgreed = m_attacksAgreed = 0;
    std::fill(std::begin(m_opponentSums), std::end(m_opponentSums), NetChecksum());
    match.Start(RulesFromNetSettings(session.Settings()), session.Seed());
}

void CNetVersus::DriveSides(CMatchSides& sides, IMatchSide& player) {
    m_ownSide.m_player = &player;
    sides.Set(OwnSide(), &m_ownSide);
    sides.Set(OpponentSide(), &m_remoteSide);
    sides.SetFirst(OwnSide());
}

void CNetVersus::Keep(std::vector<ReplayRun>& runs, const ReplayStep& step) {
    if (runs.size() >= kRecordRunsKept) {
        return;   // the record keeps the match up to here
    }
    if (!runs.empty() && runs.back().step == step) {
        ++runs.back().count;
        return;
    }
    runs.push_back(ReplayRun{step, 1});
}

// ---------------------------------------------------------------- this program's side

void CNetVersus::COwnSide::BeginStep(const CVersusMatch& match, int32_t side) {
    m_player->BeginStep(match, side);
}

bool CNetVersus::COwnSide::HasStep(const CVersusMatch& match, int32_t side) {
    return m_net.IsRunning() && m_player->HasStep(match, side);
}

ReplayStep CNetVersus::COwnSide::TakeStep(const CVersusMatch& match, int32_t side) {
    ReplayStep step = m_player->TakeStep(match, side);
    // The own field takes the aim as it is; the other program gets what a replay keeps,
    // which plays the same, since only a fired shot's aim reaches the rules.
    m_kept = m_net.m_glances.Keep(step);
    const bool ready = step.Has(ReplayInput::Dismiss) && match.Phase() != EVersusPhase::Playing;
    for (ReplayStep* each : {&step, &m_kept}) {
        each->input &= static_cast<uint16_t>(~ReplayInput::Dismiss);
        if (ready) {
            each->input |= ReplayInput::Dismiss;
        }
    }
    m_net.m_servicesSinceStep = 0;
    return step;
}

void CNetVersus::COwnSide::StepPlayed(const CVersusMatch& match, int32_t side, const MatchSideStep& played) {
    ++m_net.m_ownSteps;
    // The side as its step left it: whether the next round starts with it depends on
    // how far the other side has come in each program.
    if (m_net.m_ownSteps % kNetCheckSteps == 0) {
        m_net.m_session->SendChecksum(m_net.m_ownSteps, VersusSideChecksum(match, side));
    }
    m_player->StepPlayed(match, side, played);
}

void CNetVersus::COwnSide::StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) {
    Keep(m_net.m_record.sides[side].runs, m_kept);
    m_net.m_unsent[m_net.m_unsentCount++] = m_kept;
    if (played.ballsSent > 0) {
        m_net.m_session->SendAttack(NetAttack{m_net.m_ownSteps, static_cast<uint8_t>(played.ballsSent)});
    }
    if (m_net.m_unsentCount >= kNetSendSteps) {
        m_net.SendOwnSteps();
    }
    m_player->StepDone(match, side, played);
}

void CNetVersus::SendOwnSteps() {
    if (m_unsentCount == 0) {
        return;
    }
    if (!m_session->SendInputs(m_sentSteps, m_unsent, m_unsentCount)) {
        // The session has ended; Service says why.
        m_unsentCount = 0;
        return;
    }
    m_sentSteps += m_unsentCount;
    m_unsentCount = 0;
}

size_t CNetVersus::OpponentStepsWaiting() const {
    return m_session == nullptr ? 0 : m_session->ReceivedStepsWaiting();
}

// ---------------------------------------------------------------- the other side

uint32_t CNetVersus::OpponentStepsDue() {
    if (!IsRunning()) {
        return 0;
    }
    const size_t waiting = m_session->ReceivedStepsWaiting();
    if (waiting == 0) {
        m_filling = true;
        m_fillingFor = 0;
        return 0;
    }
    if (m_filling) {
        // After a gap: wait until some steps have arrived, or a little while has passed.
        ++m_fillingFor;
        if (waiting < kNetPlayBehindSteps && m_fillingFor < kNetPlayBehindSteps &&
            m_session->State() == ENetSessionState::Playing) {
            return 0;
        }
        m_filling = false;
    }
    // One step per step; more while too many wait, to come back to the small delay.
    uint32_t due = 1;
    if (waiting > 2 * kNetPlayBehindSteps) {
        due = std::min<uint32_t>(kNetCatchUpSteps, static_cast<uint32_t>(waiting - kNetPlayBehindSteps));
    }
    if (m_session->State() != ENetSessionState::Playing) {
        due = static_cast<uint32_t>(std::min<size_t>(waiting, kNetCatchUpSteps));   // the last steps of a player who left
    }
    return due;
}

void CNetVersus::CRemoteSide::BeginStep(const CVersusMatch&, int32_t) {
    m_due = m_net.OpponentStepsDue();
    m_taken = 0;
}

bool CNetVersus::CRemoteSide::HasStep(const CVersusMatch&, int32_t) {
    return m_taken < m_due && m_net.IsRunning() && m_net.m_session->ReceivedStepsWaiting() > 0;
}

ReplayStep CNetVersus::CRemoteSide::TakeStep(const CVersusMatch&, int32_t) {
    ReplayStep step;
    m_net.m_session->TakeStep(step);
    ++m_taken;
    return step;
}

void CNetVersus::CRemoteSide::StepPlayed(const CVersusMatch& match, int32_t side, const MatchSideStep& played) {
    const uint32_t steps = ++m_net.m_opponentSteps;
    Keep(m_net.m_record.sides[side].runs, played.step);
    if (steps % kNetCheckSteps == 0) {
        m_net.m_opponentSums[(steps / kNetCheckSteps) % kKeptSums] = NetChecksum{steps, VersusSideChecksum(match, side)};
    }
}

void CNetVersus::CRemoteSide::StepDone(const CVersusMatch&, int32_t, const MatchSideStep& played) {
    if (played.readyRefused) {
        m_net.Finish(ENetVersusEnd::OutOfStep,
                     "the other side was ready for the next round before its round was decided here");
        return;
    }
    m_net.CheckOpponentAttack(static_cast<uint32_t>(played.ballsSent));
    m_net.CheckOpponentSums();
}

void CNetVersus::CheckOpponentAttack(uint32_t balls) {
    // The other program sends each attack before the steps that hold it.
    if (!m_hasAttack) {
        m_hasAttack = m_session->TakeAttack(m_attack);
    }
    const bool said = m_hasAttack && m_attack.step == m_opponentSteps;
    if (balls == 0 && !said && !(m_hasAttack && m_attack.step < m_opponentSteps)) {
        return;
    }
    if (balls == 0 || !said || m_attack.balls != balls) {
        char why[160];
        std::snprintf(why, sizeof why, "attack at step %u: worked out %u balls, the other side said %u at step %u",
                      m_opponentSteps, balls, m_hasAttack ? m_attack.balls : 0u, m_hasAttack ? m_attack.step : 0u);
        Finish(ENetVersusEnd::OutOfStep, why);
        return;
    }
    m_hasAttack = false;
    ++m_attacksAgreed;
}

void CNetVersus::CheckOpponentSums() {
    for (;;) {
        if (!m_hasSum) {
            m_hasSum = m_session->TakeChecksum(m_sum);
        }
        if (!m_hasSum || m_sum.step > m_opponentSteps) {
            return;   // none said, or not played that far yet
        }
        const NetChecksum& kept = m_opponentSums[(m_sum.step / kNetCheckSteps) % kKeptSums];
        if (m_sum.step % kNetCheckSteps != 0 || kept.step != m_sum.step || kept.checksum != m_sum.checksum) {
            char why[160];
            std::snprintf(why, sizeof why, "field checksum at step %u: %08X here, %08X there", m_sum.step,
                          kept.step == m_sum.step ? kept.checksum : 0u, m_sum.checksum);
            Finish(ENetVersusEnd::OutOfStep, why);
            return;
        }
        m_hasSum = false;
        ++m_sumsAgreed;
    }
}

void CNetVersus::Service() {
    if (m_session == nullptr) {
        return;
    }
    // Steps go out in batches of kNetSendSteps as they are played; those of a side that
    // has stopped stepping (a round's panel, a wait) go out after as many frames.
    if (IsRunning() && m_unsentCount > 0 && ++m_servicesSinceStep >= kNetSendSteps) {
        SendOwnSteps();
    }
    m_session->Service();
    if (!IsRunning() || m_session->State() != ENetSessionState::Ended) {
        return;
    }
    if (m_match->Phase() == EVersusPhase::MatchOver) {
        Finish(ENetVersusEnd::MatchOver, "");
        return;
    }
    switch (m_session->EndReason()) {
        case ENetEndReason::Left:
            Finish(ENetVersusEnd::OpponentLeft, "this side left");
            return;
        case ENetEndReason::ProtocolError:
            Finish(ENetVersusEnd::Broken, "the other program broke the protocol");
            return;
        default:
            break;
    }
    if (m_session->OpponentGoodbye() == ENetGoodbye::OutOfStep) {
        Finish(ENetVersusEnd::OutOfStep, "the other side found the fields no longer agree");
        return;
    }
    // The steps it sent before it went are played first: they may end the match.
    if (m_session->ReceivedStepsWaiting() == 0 || !m_match->CanStepSide(OpponentSide())) {
        Finish(ENetVersusEnd::OpponentLeft, NetEndReasonName(m_session->EndReason()));
    }
}

void CNetVersus::Leave() {
    if (m_session == nullptr) {
        return;
    }
    if (IsRunning()) {
        SendOwnSteps();
    }
    const bool over = m_match->Phase() == EVersusPhase::MatchOver;
    m_session->Leave(over ? ENetGoodbye::MatchOver : ENetGoodbye::Quit);
    if (m_end == ENetVersusEnd::None) {
        m_end = over ? ENetVersusEnd::MatchOver : ENetVersusEnd::OpponentLeft;
    }
    // Whoever owns the session may close it from now on.
    m_session = nullptr;
}

void CNetVersus::Forget() {
    m_session = nullptr;
    if (m_end == ENetVersusEnd::None) {
        m_end = ENetVersusEnd::OpponentLeft;
    }
}

void CNetVersus::Finish(ENetVersusEnd end, const std::string& why) {
    if (m_end != ENetVersusEnd::None) {
        return;
    }
    m_end = end;
    m_why = why;
    if (end == ENetVersusEnd::OutOfStep) {
        CLog::Get().Write("CNetVersus FAILED, out of step: %s", why.c_str());
        if (m_session->State() == ENetSessionState::Playing) {
            SendOwnSteps();
            m_session->Leave(ENetGoodbye::OutOfStep);
        }
    } else if (end == ENetVersusEnd::Broken || end == ENetVersusEnd::OpponentLeft) {
        CLog::Get().Write("CNetVersus: the match ended early: %s", why.c_str());
    }
}
