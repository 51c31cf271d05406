#pragma once
// Pellora's pseudo-random generator: state = state * 214013 + 2531011 (mod 2^32); a draw is
// bits 16..30 of the new state, 0..32767.
//
// Two kinds of generator draw from that rule. Each game owns a `CRandom` for its rules (the
// colour of the coming balls), seeded at the game's start and at every level load, so that
// a game is its seeds and its inputs and can be played again exactly. Everything that only
// draws (particles, fireworks, the shake of the field, panel effects) uses the one
// process-wide generator below and so can never change play.
#include <cstdint>
#include <optional>

constexpr int32_t kRandomMax = 32767;

class CRandom {
public:
    CRandom() = default;
    explicit CRandom(uint32_t seed) : m_state(seed) {}

    void Seed(uint32_t seed) { m_state = seed; }
    // The next number, 0..32767.
    int32_t Next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int32_t>((m_state >> 16) & 0x7FFF);
    }
    uint32_t State() const { return m_state; }

private:
    uint32_t m_state = 1;
};

// A seed from the current time in seconds, or the one fixed by FixTimeSeed (tests that
// want the same game every run); FixTimeSeed(std::nullopt) gives the clock back.
uint32_t TimeSeed();
void FixTimeSeed(std::optional<uint32_t> seed);

// The process-wide generator of the effects (seeded with the time at engine creation).
void RandomSeed(uint32_t seed);
int32_t RandomNext();
uint32_t RandomState();
void RandomSeedWithTime();
