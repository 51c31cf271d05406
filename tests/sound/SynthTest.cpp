// The synthesis building blocks: noise, notes, envelopes, filters, measurement, fades.
#include "tools/bake/Synth.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr int kRate = kSynthSampleRate;

SynthSignal Sine(float hz, float amplitude, float seconds) {
    SynthSignal signal(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < signal.size(); ++i) {
        signal[i] = amplitude * std::sin(2.0f * kSynthPi * hz * static_cast<float>(i) / kRate);
    }
    return signal;
}

TEST(SynthNoiseTest, SameSeedRepeatsAndOtherSeedsDiffer) {
    CSynthNoise first(42);
    CSynthNoise second(42);
    CSynthNoise other(43);
    int differences = 0;
    double sum = 0.0;
    for (int i = 0; i < 10000; ++i) {
        const float a = first.NextBipolar();
        ASSERT_EQ(a, second.NextBipolar());
        ASSERT_GE(a, -1.0f);
        ASSERT_LT(a, 1.0f);
        differences += a != other.NextBipolar() ? 1 : 0;
        sum += a;
    }
    EXPECT_GT(differences, 9900);
    EXPECT_LT(std::fabs(sum / 10000.0), 0.03);   // centred
}

TEST(SynthNoteTest, NamesMapToSemitonesAndPitches) {
    const struct {
        const char* name;
        bool valid;
        int semitone;
    } kCases[] = {
        {"C4", true, 48}, {"A4", true, 57}, {"F#5", true, 66}, {"Bb3", true, 46},
        {"C0", true, 0},  {"B8", true, 107}, {"H4", false, 0}, {"C", false, 0},
        {"C#", false, 0}, {"c4", false, 0},  {"C4x", false, 0}, {"C9", false, 0},
    };
    for (const auto& test : kCases) {
        int semitone = -1;
        EXPECT_EQ(ParseNoteName(test.name, semitone), test.valid) << test.name;
        if (test.valid) {
            EXPECT_EQ(semitone, test.semitone) << test.name;
        }
    }
    EXPECT_NEAR(NoteFrequency(57), 440.0f, 0.01f);
    EXPECT_NEAR(NoteFrequency(48), 261.63f, 0.01f);
    EXPECT_NEAR(NoteFrequency(69), 880.0f, 0.02f);
}

TEST(SynthEnvelopeTest, RisesHoldsAndFallsToExactSilence) {
    SynthEnvelope envelope;
    envelope.attack = 0.01f;
    envelope.hold = 0.05f;
    envelope.decay = 0.2f;
    EXPECT_FLOAT_EQ(envelope.At(0.0f), 0.0f);
    EXPECT_NEAR(envelope.At(0.005f), 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(envelope.At(0.03f), 1.0f);
    EXPECT_NEAR(envelope.At(0.06f + 0.2f / 3.0f), 0.1f, 0.01f);   // -20 dB a third into the decay
    EXPECT_LT(envelope.At(envelope.Length() - 1e-4f), 0.001f);
    EXPECT_FLOAT_EQ(envelope.At(envelope.Length()), 0.0f);
    EXPECT_FLOAT_EQ(envelope.At(-0.01f), 0.0f);
    float previous = 2.0f;
    for (float t = 0.06f; t < envelope.Length(); t += 0.001f) {
        ASSERT_LE(envelope.At(t), previous) << t;
        previous = envelope.At(t);
    }
}

TEST(SynthFilterTest, PassesAndStopsTheRightBands) {
    const struct {
        ESynthFilter type;
        float cutoff;
        float toneHz;
        float minGainDb;
        float maxGainDb;
    } kCases[] = {
        {ESynthFilter::LowPass, 500.0f, 100.0f, -1.0f, 1.0f},
        {ESynthFilter::LowPass, 500.0f, 5000.0f, -200.0f, -30.0f},
        {ESynthFilter::HighPass, 3000.0f, 200.0f, -200.0f, -40.0f},
        {ESynthFilter::HighPass, 3000.0f, 9000.0f, -2.0f, 1.0f},
        {ESynthFilter::BandPass, 2000.0f, 2000.0f, -1.0f, 1.0f},
        {ESynthFilter::BandPass, 2000.0f, 200.0f, -200.0f, -12.0f},
        {ESynthFilter::None, 100.0f, 5000.0f, -0.1f, 0.1f},
    };
    for (const auto& test : kCases) {
        CSynthFilter filter(test.type, 0.707f);
        const SynthSignal input = Sine(test.toneHz, 0.5f, 0.5f);
        SynthSignal output(input.size());
        for (size_t i = 0; i < input.size(); ++i) {
            output[i] = filter.Process(input[i], test.cutoff, kRate);
        }
        // Compare the settled second half only.
        const SynthSignal settledIn(input.begin() + static_cast<long>(input.size() / 2), input.end());
        const SynthSignal settledOut(output.begin() + static_cast<long>(output.size() / 2), output.end());
        const float gainDb = MeasureSignal(settledOut, kRate).rmsDb - MeasureSignal(settledIn, kRate).rmsDb;
        EXPECT_GE(gainDb, test.minGainDb) << static_cast<int>(test.type) << " at " << test.toneHz;
        EXPECT_LE(gainDb, test.maxGainDb) << static_cast<int>(test.type) << " at " << test.toneHz;
    }
}

TEST(SynthWaveTest, WavesStayInRangeAndSawEdgesAreSmoothed) {
    for (const ESynthWave wave : {ESynthWave::Sine, ESynthWave::Triangle, ESynthWave::Square, ESynthWave::Saw}) {
        double sum = 0.0;
        for (int i = 0; i < 1000; ++i) {
            const float value = SynthWaveAt(wave, static_cast<float>(i) / 1000.0f, 0.01f);
            ASSERT_LE(std::fabs(value), 1.0001f);
            sum += value;
        }
        EXPECT_NEAR(sum / 1000.0, 0.0, 0.02) << static_cast<int>(wave);
    }
    // Without smoothing a saw jumps from +1 to -1 at the wrap; with it both sides meet near 0.
    EXPECT_NEAR(SynthWaveAt(ESynthWave::Saw, 0.9999f, 0.01f), 0.0f, 0.05f);
    EXPECT_NEAR(SynthWaveAt(ESynthWave::Saw, 0.0001f, 0.01f), 0.0f, 0.05f);
    EXPECT_NEAR(SynthWaveAt(ESynthWave::Saw, 0.5f, 0.01f), 0.0f, 1e-5f);
}

TEST(SynthLevelsTest, MeasuresPeakAndActiveLoudness) {
    const SynthSignal sine = Sine(1000.0f, 0.5f, 0.5f);
    const SynthLevels levels = MeasureSignal(sine, kRate);
    EXPECT_NEAR(levels.seconds, 0.5f, 1e-3f);
    EXPECT_NEAR(levels.peakDb, -6.02f, 0.05f);
    EXPECT_NEAR(levels.rmsDb, -9.03f, 0.05f);
    // Silence around the sound does not lower its measured loudness.
    SynthSignal padded(static_cast<size_t>(kRate), 0.0f);
    MixInto(padded, sine, 5000, 1.0f);
    EXPECT_NEAR(MeasureSignal(padded, kRate).rmsDb, -9.03f, 0.1f);
    EXPECT_LE(MeasureSignal(SynthSignal(100, 0.0f), kRate).rmsDb, -199.0f);
}

TEST(SynthLevelsTest, NormalisingReachesTheTargetUnlessThePeakWouldPassTheCeiling) {
    SynthSignal quiet = Sine(440.0f, 0.01f, 0.3f);
    EXPECT_NEAR(NormaliseSignal(quiet, kRate, -18.0f, -1.5f), -18.0f, 0.01f);
    EXPECT_NEAR(MeasureSignal(quiet, kRate).rmsDb, -18.0f, 0.05f);

    // A single click is limited by its peak, not pushed to the loudness target.
    SynthSignal click(2000, 0.0f);
    click[1000] = 0.1f;
    click[1001] = -0.05f;
    NormaliseSignal(click, kRate, -6.0f, -1.5f);
    EXPECT_NEAR(MeasureSignal(click, kRate).peakDb, -1.5f, 0.01f);
}

TEST(SynthFadeTest, FadesSilenceBothEndsAndLeaveTheMiddle) {
    SynthSignal signal(1000, 1.0f);
    ApplyFades(signal, 1000, 0.1f, 0.2f);   // 100 and 200 samples
    EXPECT_FLOAT_EQ(signal.front(), 0.0f);
    EXPECT_LT(signal.back(), 0.001f);
    EXPECT_NEAR(signal[50], 0.5f, 0.02f);
    EXPECT_NEAR(signal[899], 0.5f, 0.02f);
    EXPECT_FLOAT_EQ(signal[500], 1.0f);
    EXPECT_FLOAT_EQ(signal[100], 1.0f);
    EXPECT_FLOAT_EQ(signal[799], 1.0f);
}
}  // namespace
