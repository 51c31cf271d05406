#pragma once
// Building blocks of Pellora's generated audio: a seeded noise source, band-limited
// oscillators, envelopes, a state-variable filter, mixing, fades, level measurement and
// normalisation. Signals are mono float samples in -1..1.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kSynthSampleRate = 22050;
constexpr float kSynthPi = 3.14159265358979f;

using SynthSignal = std::vector<float>;

// A 32-bit xorshift generator: the same seed always gives the same sequence.
class CSynthNoise {
public:
    explicit CSynthNoise(uint32_t seed);
    uint32_t NextBits();
    float NextUnit();       // [0, 1)
    float NextBipolar();    // [-1, 1)

private:
    uint32_t m_state;
};

enum class ESynthWave { Sine, Triangle, Square, Saw };
enum class ESynthFilter { None, LowPass, HighPass, BandPass };

bool ParseSynthWave(const std::string& text, ESynthWave& out);
bool ParseSynthFilter(const std::string& text, ESynthFilter& out);

// One sample of a waveform at phase 0..1; phaseStep (cycles per sample) rounds off the
// edges of square and saw so that high notes do not alias.
float SynthWaveAt(ESynthWave wave, float phase, float phaseStep);

// A two-pole state-variable filter whose cutoff may change every sample.
class CSynthFilter {
public:
    CSynthFilter(ESynthFilter type, float resonance);
    float Process(float input, float cutoffHz, int sampleRate);

private:
    ESynthFilter m_type;
    float m_damping;
    float m_state1 = 0.0f;
    float m_state2 = 0.0f;
};

// Linear attack, a hold at full level, then a decay that reaches exactly zero.
struct SynthEnvelope {
    float attack = 0.002f;
    float hold = 0.0f;
    float decay = 0.2f;

    float Length() const { return attack + hold + decay; }
    float At(float seconds) const;
};

// Note names such as "C4", "F#5", "Bb3" (C4 is middle C, 261.63 Hz) to semitones
// from C0; false for anything else.
bool ParseNoteName(const std::string& text, int& semitoneFromC0);
float NoteFrequency(int semitoneFromC0);

// Adds source * gain into target from sample offset on, growing target when needed.
void MixInto(SynthSignal& target, const SynthSignal& source, size_t offset, float gain);
// Raised-cosine fades at both ends.
void ApplyFades(SynthSignal& signal, int sampleRate, float fadeInSeconds, float fadeOutSeconds);

struct SynthLevels {
    float seconds = 0.0f;
    float peakDb = -200.0f;
    // Loudness of the active part: the mean power of the 10 ms windows within 30 dB of
    // the loudest window.
    float rmsDb = -200.0f;
};
SynthLevels MeasureSignal(const SynthSignal& signal, int sampleRate);

// Scales the signal towards targetRmsDb while keeping its peak at or below ceilingDb.
// Returns the loudness reached (dB).
float NormaliseSignal(SynthSignal& signal, int sampleRate, float targetRmsDb, float ceilingDb);

float DecibelsToGain(float decibels);
float GainToDecibels(float gain);
