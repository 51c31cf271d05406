#pragma once
// What one side of a network match sends while it plays, made up but shaped like the real
// thing: 150 steps a second sent in a batch every 50 ms, a field checksum after every 150th
// step, and now and then an attack. Every piece is a function of the side and the step, so
// the receiving end can check each one it gets against what must have been sent.
#include "net/NetSession.h"

#include <array>
#include <cstdint>
#include <string>

constexpr uint32_t kPlayStepsPerSecond = 150;
constexpr uint64_t kPlayBatchMs = 50;
constexpr uint32_t kPlayChecksumEvery = 150;

// The input of a side's step: the aim sweeps to and fro, a shot every two seconds.
ReplayStep PlayStep(uint32_t side, uint32_t step);
// The balls a side's field sends on a step (0: no attack there); about one attack in two seconds.
uint8_t PlayAttackBalls(uint32_t side, uint32_t step);
// The field checksum a side reports after a step that is due for one.
uint32_t PlayChecksum(uint32_t side, uint32_t step);

// The sending end.
class CPlayTraffic {
public:
    explicit CPlayTraffic(uint32_t side, uint64_t batchMs = kPlayBatchMs) : m_side(side), m_batchMs(batchMs) {}
    // Sends the steps play has made by elapsedMs after the match began, once a batch is due,
    // with their attacks and checksums; false if the session refused any of it.
    bool Send(CNetSession& session, uint64_t elapsedMs);
    uint32_t StepsSent() const { return m_steps; }
    uint32_t AttacksSent() const { return m_attacks; }
    uint32_t ChecksumsSent() const { return m_checksums; }

private:
    uint32_t m_side;
    uint64_t m_batchMs;
    uint32_t m_steps = 0;
    uint32_t m_attacks = 0;
    uint32_t m_checksums = 0;
    uint64_t m_lastBatchMs = 0;
    std::array<ReplayStep, kMaxNetInputSteps> m_batch{};
};

// The receiving end: takes what the opponent's traffic brought and checks every piece.
class CPlayReceiver {
public:
    explicit CPlayReceiver(uint32_t opponentSide) : m_side(opponentSide) {}
    void Take(CNetSession& session);
    uint32_t Steps() const { return m_steps; }
    uint32_t Attacks() const { return m_attacks; }
    uint32_t Checksums() const { return m_checksums; }
    // Pieces that were not the one due next (a wrong, repeated or missing piece), and the first.
    uint32_t Wrong() const { return m_wrong; }
    const std::string& FirstWrong() const { return m_firstWrong; }
    bool HasAll(const CPlayTraffic& sender) const;

private:
    void Fault(const std::string& what);

    uint32_t m_side;
    uint32_t m_steps = 0;
    uint32_t m_attacks = 0;
    uint32_t m_nextAttackFrom = 0;      // the next attack is on this step or after it
    uint32_t m_checksums = 0;
    uint32_t m_wrong = 0;
    std::string m_firstWrong;
};
