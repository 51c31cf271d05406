#include "tests/net/PlayTraffic.h"

#include <algorithm>

namespace {

uint32_t Mix(uint32_t side, uint32_t step) {
    uint32_t value = step * 0x9E3779B1u ^ (side + 1) * 0x85EBCA77u;
    value ^= value >> 15;
    value *= 0x2C1B3C6Du;
    value ^= value >> 12;
    return value;
}

}  // namespace

ReplayStep PlayStep(uint32_t side, uint32_t step) {
    // A triangle sweep over the launcher's width, in quarter pixels as a mouse gives them.
    const uint32_t phase = (step * 3 + side * 500) % 2400;
    const uint32_t across = phase < 1200 ? phase : 2400 - phase;
    ReplayStep input;
    input.aimX = 20.0f + static_cast<float>(across) * 0.5f;
    input.aimY = 150.0f + static_cast<float>(Mix(side, step) % 800) * 0.25f;
    input.input = ReplayInput::Moved;
    if (step % 300 == 200) {
        input.input |= ReplayInput::Fire;
    }
    if (step % 1500 == 1000) {
        input.input |= ReplayInput::Swap;
    }
    return input;
}

uint8_t PlayAttackBalls(uint32_t side, uint32_t step) {
    const uint32_t value = Mix(side ^ 0x5A5A, step);
    return value % 300 == 0 ? static_cast<uint8_t>(1 + (value >> 9) % kMaxAttackBalls) : 0;
}

uint32_t PlayChecksum(uint32_t side, uint32_t step) { return Mix(side ^ 0xC0DE, step); }

bool CPlayTraffic::Send(CNetSession& session, uint64_t elapsedMs) {
    if (elapsedMs < m_lastBatchMs + m_batchMs) {
        return true;
    }
    m_lastBatchMs = elapsedMs;
    const uint32_t due = static_cast<uint32_t>(elapsedMs * kPlayStepsPerSecond / 1000);
    bool good = true;
    while (good && m_steps < due) {
        const uint32_t first = m_steps;
        const uint32_t count = std::min<uint32_t>(due - first, kMaxNetInputSteps);
        for (uint32_t i = 0; i < count; ++i) {
            m_batch[i] = PlayStep(m_side, first + i);
        }
        good = session.SendInputs(first, m_batch.data(), count);
        m_steps += count;
        for (uint32_t step = first; good && step < first + count; ++step) {
            if (const uint8_t balls = PlayAttackBalls(m_side, step); balls > 0) {
                good = session.SendAttack(NetAttack{step, balls});
                ++m_attacks;
            }
            if ((step + 1) % kPlayChecksumEvery == 0) {
                good = good && session.SendChecksum(step, PlayChecksum(m_side, step));
                ++m_checksums;
            }
        }
    }
    return good;
}

void CPlayReceiver::Take(CNetSession& session) {
    ReplayStep step;
    while (session.TakeStep(step)) {
        if (!(step == PlayStep(m_side, m_steps)) || session.NextReceivedStep() != m_steps + 1) {
            Fault("step " + std::to_string(m_steps));
        }
        ++m_steps;
    }
    NetAttack attack;
    while (session.TakeAttack(attack)) {
        uint32_t expected = m_nextAttackFrom;
        while (expected < attack.step && PlayAttackBalls(m_side, expected) == 0) {
            ++expected;
        }
        if (attack.step != expected || attack.balls != PlayAttackBalls(m_side, attack.step)) {
            Fault("attack " + std::to_string(m_attacks) + " on step " + std::to_string(attack.step));
        }
        m_nextAttackFrom = attack.step + 1;
        ++m_attacks;
    }
    NetChecksum checksum;
    while (session.TakeChecksum(checksum)) {
        const uint32_t expected = (m_checksums + 1) * kPlayChecksumEvery - 1;
        if (checksum.step != expected || checksum.checksum != PlayChecksum(m_side, expected)) {
            Fault("checksum " + std::to_string(m_checksums) + " on step " + std::to_string(checksum.step));
        }
        ++m_checksums;
    }
}

bool CPlayReceiver::HasAll(const CPlayTraffic& sender) const {
    return m_steps >= sender.StepsSent() && m_attacks >= sender.AttacksSent() && m_checksums >= sender.ChecksumsSent();
}

void CPlayReceiver::Fault(const std::string& what) {
    if (m_wrong++ == 0) {
        m_firstWrong = what;
    }
}
