#pragma once
// The single source of time of the frame loop.
#include <cstdint>

class CTimer {
public:
    static CTimer& Get();

    // Tests replace the clock: a function returning ticks, and its ticks per second; null
    // brings the steady clock back.
    using TickSource = int64_t (*)();
    void SetTickSource(TickSource source, int64_t frequency);

    void Advance();
    // Seconds between the last two samples, capped at 0.1 s.
    double GetElapsedSeconds() const;
    int64_t GetTicks() const;
    // Seconds from the given ticks to now, not capped.
    double GetSecondsSince(int64_t ticks) const;

private:
    CTimer();
    int64_t Sample() const;

    TickSource m_source = nullptr;
    bool m_useHighResolution = true;
    double m_secondsPerTick = 0.0;
    int64_t m_frequency = 0;
    int64_t m_currentTicks = 0;
    int64_t m_previousTicks = 0;
};
