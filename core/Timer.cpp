#include "core/Timer.h"

#include <chrono>

namespace {
int64_t SteadyClockTicks() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
constexpr double kElapsedCap = static_cast<double>(0.1f);
}  // namespace

CTimer& CTimer::Get() {
    static CTimer timer;
    return timer;
}

CTimer::CTimer() {
    SetTickSource(&SteadyClockTicks, 1000000000);
}

void CTimer::SetTickSource(TickSource source, int64_t frequency) {
    if (source == nullptr) {
        source = &SteadyClockTicks;
        frequency = 1000000000;
    }
    m_source = source;
    m_frequency = frequency > 0 ? frequency : 1000;
    m_useHighResolution = m_frequency > 1000;
    m_secondsPerTick = 1.0 / static_cast<double>(m_frequency);
    m_currentTicks = Sample();
    m_previousTicks = m_currentTicks;
}

int64_t CTimer::Sample() const {
    return m_source();
}

void CTimer::Advance() {
    m_previousTicks = m_currentTicks;
    m_currentTicks = Sample();
}

double CTimer::GetElapsedSeconds() const {
    const double elapsed = static_cast<double>(m_currentTicks - m_previousTicks) * m_secondsPerTick;
    return elapsed > kElapsedCap ? kElapsedCap : elapsed;
}

int64_t CTimer::GetTicks() const {
    return Sample();
}

double CTimer::GetSecondsSince(int64_t ticks) const {
    return static_cast<double>(Sample() - ticks) * m_secondsPerTick;
}
