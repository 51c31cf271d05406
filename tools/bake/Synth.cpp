#include "tools/bake/Synth.h"

#include <algorithm>
#include <cmath>

CSynthNoise::CSynthNoise(uint32_t seed) : m_state(seed != 0 ? seed : 0x9E3779B9u) {}

uint32_t CSynthNoise::NextBits() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

float CSynthNoise::NextUnit() {
    return static_cast<float>(NextBits() >> 8) / 16777216.0f;
}

float CSynthNoise::NextBipolar() {
    return NextUnit() * 2.0f - 1.0f;
}

bool ParseSynthWave(const std::string& text, ESynthWave& out) {
    static const struct {
        const char* name;
        ESynthWave wave;
    } kWaves[] = {{"sine", ESynthWave::Sine}, {"triangle", ESynthWave::Triangle},
                  {"square", ESynthWave::Square}, {"saw", ESynthWave::Saw}};
    for (const auto& entry : kWaves) {
        if (text == entry.name) {
            out = entry.wave;
            return true;
        }
    }
    return false;
}

bool ParseSynthFilter(const std::string& text, ESynthFilter& out) {
    static const struct {
        const char* name;
        ESynthFilter filter;
    } kFilters[] = {{"none", ESynthFilter::None}, {"lowpass", ESynthFilter::LowPass},
                    {"highpass", ESynthFilter::HighPass}, {"bandpass", ESynthFilter::BandPass}};
    for (const auto& entry : kFilters) {
        if (text == entry.name) {
            out = entry.filter;
            return true;
        }
    }
    return false;
}

namespace {
// The correction that smooths a unit step at phase 0 over one sample on each side.
float StepSmoothing(float phase, float phaseStep) {
    if (phaseStep <= 0.0f) {
        return 0.0f;
    }
    if (phase < phaseStep) {
        const float x = phase / phaseStep;
        return x + x - x * x - 1.0f;
    }
    if (phase > 1.0f - phaseStep) {
        const float x = (phase - 1.0f) / phaseStep;
        return x * x + x + x + 1.0f;
    }
    return 0.0f;
}

float WrapPhase(float phase) {
    return phase - std::floor(phase);
}
}  // namespace

float SynthWaveAt(ESynthWave wave, float phase, float phaseStep) {
    phase = WrapPhase(phase);
    switch (wave) {
        case ESynthWave::Sine:
            return std::sin(2.0f * kSynthPi * phase);
        case ESynthWave::Triangle:
            return phase < 0.5f ? 4.0f * phase - 1.0f : 3.0f - 4.0f * phase;
        case ESynthWave::Square: {
            float value = phase < 0.5f ? 1.0f : -1.0f;
            value += StepSmoothing(phase, phaseStep);
            value -= StepSmoothing(WrapPhase(phase + 0.5f), phaseStep);
            return value;
        }
        case ESynthWave::Saw:
            return 2.0f * phase - 1.0f - StepSmoothing(phase, phaseStep);
    }
    return 0.0f;
}

CSynthFilter::CSynthFilter(ESynthFilter type, float resonance)
    : m_type(type), m_damping(1.0f / std::max(resonance, 0.3f)) {}

float CSynthFilter::Process(float input, float cutoffHz, int sampleRate) {
    if (m_type == ESynthFilter::None) {
        return input;
    }
    const float nyquistSafe = 0.45f * static_cast<float>(sampleRate);
    const float cutoff = std::clamp(cutoffHz, 10.0f, nyquistSafe);
    const float g = std::tan(kSynthPi * cutoff / static_cast<float>(sampleRate));
    const float a1 = 1.0f / (1.0f + g * (g + m_damping));
    const float a2 = g * a1;
    const float a3 = g * a2;
    const float v3 = input - m_state2;
    const float band = a1 * m_state1 + a2 * v3;
    const float low = m_state2 + a2 * m_state1 + a3 * v3;
    m_state1 = 2.0f * band - m_state1;
    m_state2 = 2.0f * low - m_state2;
    switch (m_type) {
        case ESynthFilter::LowPass:
            return low;
        case ESynthFilter::HighPass:
            return input - m_damping * band - low;
        case ESynthFilter::BandPass:
            return band * m_damping;
        case ESynthFilter::None:
            break;
    }
    return input;
}

float SynthEnvelope::At(float seconds) const {
    if (seconds < 0.0f || seconds >= Length()) {
        return 0.0f;
    }
    if (seconds < attack) {
        return seconds / attack;
    }
    if (seconds < attack + hold) {
        return 1.0f;
    }
    // An exponential fall of 60 dB over the decay, bent so that it ends exactly at zero.
    const float x = (seconds - attack - hold) / decay;
    const float floor = 0.001f;
    return (std::pow(floor, x) - floor) / (1.0f - floor);
}

bool ParseNoteName(const std::string& text, int& semitoneFromC0) {
    static const int kLetterSemitones[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (text.size() < 2 || text.size() > 3) {
        return false;
    }
    const char letter = text[0];
    if (letter < 'A' || letter > 'G') {
        return false;
    }
    int semitone = kLetterSemitones[letter - 'A'];
    size_t position = 1;
    if (text[position] == '#') {
        ++semitone;
        ++position;
    } else if (text[position] == 'b') {
        --semitone;
        ++position;
    }
    if (position + 1 != text.size() || text[position] < '0' || text[position] > '8') {
        return false;
    }
    semitoneFromC0 = (text[position] - '0') * 12 + semitone;
    return true;
}

float NoteFrequency(int semitoneFromC0) {
    constexpr int kA4 = 4 * 12 + 9;
    return 440.0f * std::pow(2.0f, static_cast<float>(semitoneFromC0 - kA4) / 12.0f);
}

void MixInto(SynthSignal& target, const SynthSignal& source, size_t offset, float gain) {
    if (target.size() < offset + source.size()) {
        target.resize(offset + source.size(), 0.0f);
    }
    for (size_t i = 0; i < source.size(); ++i) {
        target[offset + i] += source[i] * gain;
    }
}

void ApplyFades(SynthSignal& signal, int sampleRate, float fadeInSeconds, float fadeOutSeconds) {
    const size_t count = signal.size();
    const size_t fadeIn = std::min(count, static_cast<size_t>(fadeInSeconds * static_cast<float>(sampleRate)));
    const size_t fadeOut = std::min(count, static_cast<size_t>(fadeOutSeconds * static_cast<float>(sampleRate)));
    for (size_t i = 0; i < fadeIn; ++i) {
        const float x = static_cast<float>(i) / static_cast<float>(fadeIn);
        signal[i] *= 0.5f - 0.5f * std::cos(kSynthPi * x);
    }
    for (size_t i = 0; i < fadeOut; ++i) {
        const float x = static_cast<float>(i) / static_cast<float>(fadeOut);
        signal[count - 1 - i] *= 0.5f - 0.5f * std::cos(kSynthPi * x);
    }
}

float DecibelsToGain(float decibels) {
    return std::pow(10.0f, decibels / 20.0f);
}

float GainToDecibels(float gain) {
    return gain > 1e-10f ? 20.0f * std::log10(gain) : -200.0f;
}

SynthLevels MeasureSignal(const SynthSignal& signal, int sampleRate) {
    SynthLevels levels;
    levels.seconds = static_cast<float>(signal.size()) / static_cast<float>(sampleRate);
    float peak = 0.0f;
    for (const float sample : signal) {
        peak = std::max(peak, std::fabs(sample));
    }
    levels.peakDb = GainToDecibels(peak);

    const size_t window = std::max<size_t>(1, static_cast<size_t>(sampleRate / 100));
    std::vector<double> windowPower;
    for (size_t start = 0; start < signal.size(); start += window) {
        const size_t end = std::min(signal.size(), start + window);
        double sum = 0.0;
        for (size_t i = start; i < end; ++i) {
            sum += static_cast<double>(signal[i]) * signal[i];
        }
        windowPower.push_back(sum / static_cast<double>(end - start));
    }
    const double loudest = windowPower.empty() ? 0.0 : *std::max_element(windowPower.begin(), windowPower.end());
    if (loudest <= 0.0) {
        return levels;
    }
    const double threshold = loudest * 0.001;  // 30 dB below the loudest window
    double activePower = 0.0;
    size_t activeWindows = 0;
    for (const double power : windowPower) {
        if (power >= threshold) {
            activePower += power;
            ++activeWindows;
        }
    }
    levels.rmsDb = 10.0f * static_cast<float>(std::log10(activePower / static_cast<double>(activeWindows)));
    return levels;
}

float NormaliseSignal(SynthSignal& signal, int sampleRate, float targetRmsDb, float ceilingDb) {
    const SynthLevels before = MeasureSignal(signal, sampleRate);
    if (before.peakDb <= -199.0f) {
        return before.rmsDb;
    }
    const float gainDb = std::min(targetRmsDb - before.rmsDb, ceilingDb - before.peakDb);
    const float gain = DecibelsToGain(gainDb);
    for (float& sample : signal) {
        sample *= gain;
    }
    return before.rmsDb + gainDb;
}
