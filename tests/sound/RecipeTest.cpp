// Sound-event recipes and the tune text: parsing, refusals with a line number, rendering,
// and the project's own data/sound sources.
#include "tools/bake/MusicScore.h"
#include "tools/bake/SoundRecipes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {
constexpr int kRate = kSynthSampleRate;

std::string ReadSource(const char* relative) {
    std::ifstream in(std::string(PELLORA_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(SoundRecipeTest, ParsesEventsSettingsAndLayers) {
    const std::string text =
        "# a comment\n"
        "[tick]\n"
        "length = 0.1\n"
        "loudness = -20   # inline comment\n"
        "layer tone wave=square freq=1000 bend=-12 attack=0.001 decay=0.05 level=0.5\n"
        "[chime]\n"
        "length = 1.0\n"
        "fade_out = 0.05\n"
        "layer tone notes=C5,E5/2,G5 step=0.1 fm_ratio=3 fm_index=1\n"
        "layer noise filter=bandpass cutoff=2000 cutoff_end=500 q=2 seed=4\n"
        "layer sparkle count=5 span=0.3 freq_min=2000 freq_max=4000\n";
    std::vector<SoundRecipe> recipes;
    std::string error;
    ASSERT_TRUE(ParseSoundRecipes(text, recipes, error)) << error;
    ASSERT_EQ(recipes.size(), 2u);
    EXPECT_EQ(recipes[0].name, "tick");
    EXPECT_FLOAT_EQ(recipes[0].length, 0.1f);
    EXPECT_FLOAT_EQ(recipes[0].loudnessDb, -20.0f);
    ASSERT_EQ(recipes[0].layers.size(), 1u);
    const SynthLayer& tick = recipes[0].layers[0];
    EXPECT_EQ(tick.wave, ESynthWave::Square);
    EXPECT_FLOAT_EQ(tick.frequency, 1000.0f);
    EXPECT_FLOAT_EQ(tick.bendSemitones, -12.0f);
    EXPECT_FLOAT_EQ(tick.envelope.decay, 0.05f);
    EXPECT_FLOAT_EQ(tick.level, 0.5f);

    ASSERT_EQ(recipes[1].layers.size(), 3u);
    EXPECT_FLOAT_EQ(recipes[1].fadeOut, 0.05f);
    const SynthLayer& chime = recipes[1].layers[0];
    ASSERT_EQ(chime.notes.size(), 3u);
    EXPECT_NEAR(chime.notes[0].frequency, 523.25f, 0.01f);
    EXPECT_FLOAT_EQ(chime.notes[1].start, 0.1f);
    EXPECT_FLOAT_EQ(chime.notes[2].start, 0.3f);   // E5 lasts two steps
    EXPECT_EQ(recipes[1].layers[1].kind, ESynthLayerKind::Noise);
    EXPECT_EQ(recipes[1].layers[1].filter, ESynthFilter::BandPass);
    EXPECT_FLOAT_EQ(recipes[1].layers[1].cutoffEnd, 500.0f);
    EXPECT_EQ(recipes[1].layers[2].kind, ESynthLayerKind::Sparkle);
    EXPECT_EQ(recipes[1].layers[2].sparkleCount, 5);
}

TEST(SoundRecipeTest, RefusesBadTextNamingTheLine) {
    const struct {
        const char* text;
        const char* where;
    } kCases[] = {
        {"length = 0.5\n", "line 1"},
        {"[a]\nlayer buzz freq=100\n", "line 2"},
        {"[a]\nlayer tone freq=100 colour=red\n", "line 2"},
        {"[a]\nlayer tone freq=5\n", "line 2"},
        {"[a]\nlayer tone freq\n", "line 2"},
        {"[a]\n\nlayer tone notes=C5,X5\n", "line 3"},
        {"[a]\nlayer tone wave=pulse\n", "line 2"},
        {"[a]\nlength = 5\nlayer tone\n", "line 2"},
        {"[a]\nloudness = 0\nlayer tone\n", "line 2"},
        {"[a]\nlayer tone\n[a]\nlayer tone\n", "line 3"},
        {"[a\n", "line 1"},
        {"[a]\nlayer sparkle freq_min=4000 freq_max=2000\n", "line 2"},
        {"[a]\nlength = 0.5\n", "no layer"},
    };
    for (const auto& test : kCases) {
        std::vector<SoundRecipe> recipes;
        std::string error;
        EXPECT_FALSE(ParseSoundRecipes(test.text, recipes, error)) << test.text;
        EXPECT_NE(error.find(test.where), std::string::npos) << test.text << " -> " << error;
    }
}

TEST(SoundRecipeTest, RenderingMeetsLengthLoudnessCeilingAndRepeatsExactly) {
    std::vector<SoundRecipe> recipes;
    std::string error;
    ASSERT_TRUE(ParseSoundRecipes("[pad]\nlength = 0.6\nloudness = -20\n"
                                  "layer tone wave=saw freq=220 detune=10 attack=0.05 hold=0.2 decay=0.3 "
                                  "filter=lowpass cutoff=1500\n"
                                  "layer noise filter=highpass cutoff=4000 decay=0.1 level=0.1 seed=3\n"
                                  "[spike]\nlength = 0.2\nloudness = -6\n"
                                  "layer tone freq=3000 attack=0.0005 decay=0.005\n",
                                  recipes, error))
        << error;
    const SynthSignal pad = RenderSoundRecipe(recipes[0], kRate);
    ASSERT_EQ(pad.size(), static_cast<size_t>(0.6f * kRate));
    const SynthLevels padLevels = MeasureSignal(pad, kRate);
    EXPECT_NEAR(padLevels.rmsDb, -20.0f, 0.1f);
    EXPECT_LE(padLevels.peakDb, kSoundCeilingDb + 0.01f);
    EXPECT_FLOAT_EQ(pad.front(), 0.0f);
    EXPECT_LT(std::fabs(pad.back()), 1e-4f);
    EXPECT_EQ(pad, RenderSoundRecipe(recipes[0], kRate));

    // A very short burst cannot reach -6 dB without clipping: its peak stops at the ceiling.
    const SynthLevels spike = MeasureSignal(RenderSoundRecipe(recipes[1], kRate), kRate);
    EXPECT_NEAR(spike.peakDb, kSoundCeilingDb, 0.01f);
    EXPECT_LT(spike.rmsDb, -6.0f);
}

TEST(SoundRecipeTest, NoteListsStartEachNoteOneStepApart) {
    SynthLayer layer;
    layer.envelope.attack = 0.001f;
    layer.envelope.decay = 0.05f;
    layer.notes = {{1000.0f, 0.0f}, {1000.0f, 0.2f}};
    const SynthSignal signal = RenderSynthLayer(layer, kRate);
    const auto energyAround = [&](float seconds) {
        const size_t start = static_cast<size_t>(seconds * kRate);
        double sum = 0.0;
        for (size_t i = start; i < start + 200 && i < signal.size(); ++i) {
            sum += signal[i] * signal[i];
        }
        return sum;
    };
    EXPECT_GT(energyAround(0.0f), 1.0);
    EXPECT_LT(energyAround(0.1f), 1e-6);   // silence between the notes
    EXPECT_GT(energyAround(0.2f), 1.0);
    EXPECT_NEAR(static_cast<float>(signal.size()) / kRate, 0.251f, 0.002f);
}

const char* const kSmallScore =
    "title Small\n"
    "speed 4\n"
    "bpm 100\n"
    "rows 8\n"
    "channels 4\n"
    "instrument pad pad volume=30 attack=10 decay=5 sustain=40 fadeout=800\n"
    "instrument kick kick volume=50\n"
    "track chords channels=1,2,3 instrument=pad\n"
    "track beat channels=4 grid=K:kick:40,k:kick:20\n"
    "pattern a\n"
    "  chords A3+C4+E4/4 C4/2@33 r/2\n"
    "  beat   K...k.K.\n"
    "pattern b from a\n"
    "  chords ~/8\n"
    "order a b a\n"
    "restart 1\n";

TEST(MusicScoreTest, CompilesTracksChordsGridsAndOrders) {
    XmModule module;
    std::string error;
    ASSERT_TRUE(CompileMusicScore(kSmallScore, module, error)) << error;
    EXPECT_EQ(module.name, "Small");
    EXPECT_EQ(module.speed, 4);
    EXPECT_EQ(module.bpm, 100);
    EXPECT_EQ(module.channels, 4);
    EXPECT_EQ(module.restartPosition, 1);
    EXPECT_EQ(module.orders, (std::vector<uint8_t>{0, 1, 0}));
    ASSERT_EQ(module.patterns.size(), 2u);
    ASSERT_EQ(module.instruments.size(), 2u);
    EXPECT_EQ(module.instruments[0].volume, 30);
    EXPECT_EQ(module.instruments[0].sustainPoint, 2);
    EXPECT_EQ(module.instruments[0].fadeout, 800);
    EXPECT_GT(module.instruments[0].loopLength, 0u);   // the pad sustains
    EXPECT_TRUE(module.instruments[1].volumeEnvelope.empty());

    const XmPattern& a = module.patterns[0];
    // Row 0: the chord spread over channels 1..3 (A3 = note 46), a kick on channel 4.
    EXPECT_EQ(a.At(0, 0, 4).note, 46);
    EXPECT_EQ(a.At(0, 1, 4).note, 49);
    EXPECT_EQ(a.At(0, 2, 4).note, 53);
    EXPECT_EQ(a.At(0, 0, 4).instrument, 1);
    EXPECT_EQ(a.At(0, 3, 4).note, 49);
    EXPECT_EQ(a.At(0, 3, 4).instrument, 2);
    EXPECT_EQ(a.At(0, 3, 4).volume, 0x10 + 40);
    // Row 4: a single note with a volume; the chord's other voices are released.
    EXPECT_EQ(a.At(4, 0, 4).note, 49);
    EXPECT_EQ(a.At(4, 0, 4).volume, 0x10 + 33);
    EXPECT_EQ(a.At(4, 1, 4).note, kXmNoteOff);
    EXPECT_EQ(a.At(4, 2, 4).note, kXmNoteOff);
    EXPECT_EQ(a.At(4, 3, 4).volume, 0x10 + 20);
    // Row 6: the rest releases every voice; the soft kick stays.
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(a.At(6, channel, 4).note, kXmNoteOff) << channel;
    }
    EXPECT_TRUE(a.At(1, 0, 4).IsEmpty());
    EXPECT_TRUE(a.At(1, 3, 4).IsEmpty());

    // Pattern b copied the beat and holds instead of playing chords.
    const XmPattern& b = module.patterns[1];
    for (int row = 0; row < 8; ++row) {
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_TRUE(b.At(row, channel, 4).IsEmpty()) << row << " " << channel;
        }
        EXPECT_EQ(b.At(row, 3, 4).note, a.At(row, 3, 4).note) << row;
    }
    EXPECT_FALSE(WriteXm(module).empty());
}

TEST(MusicScoreTest, RefusesBadTunesWithAReason) {
    const struct {
        const char* change;
        const char* replacement;
        const char* expected;
    } kCases[] = {
        {"C4/2@33 r/2", "C4/2@33 r/4", "does not fill"},
        {"C4/2@33 r/2", "C4/2@33", "does not fill"},
        {"C4/2@33", "C4/2@99", "bad token"},
        {"C4/2@33", "H4/2", "bad token"},
        {"A3+C4+E4/4", "A3+C4+E4+G4/4", "bad token"},
        {"K...k.K.", "K...x.K.", "unknown mark"},
        {"order a b a", "order a c a", "unknown pattern"},
        {"instrument kick kick", "instrument kick drum", "bad instrument"},
        {"restart 1", "restart x", "line 16"},
        {"  beat ", "  bongo ", "line 12"},
        {"pattern b from a", "pattern b from z", "unknown or empty"},
        {"channels=1,2,3 instrument=pad", "channels=1,2,9 instrument=pad", "bad track"},
    };
    for (const auto& test : kCases) {
        std::string text = kSmallScore;
        const size_t at = text.find(test.change);
        ASSERT_NE(at, std::string::npos) << test.change;
        text.replace(at, std::strlen(test.change), test.replacement);
        XmModule module;
        std::string error;
        EXPECT_FALSE(CompileMusicScore(text, module, error)) << test.replacement;
        EXPECT_NE(error.find(test.expected), std::string::npos) << test.replacement << " -> " << error;
    }
}

TEST(SoundSourcesTest, EventRecipesParseAndStayWithinTheirLimits) {
    std::vector<SoundRecipe> recipes;
    std::string error;
    ASSERT_TRUE(ParseSoundRecipes(ReadSource("data/sound/events.txt"), recipes, error)) << error;
    EXPECT_EQ(recipes.size(), 25u);
    for (const SoundRecipe& recipe : recipes) {
        EXPECT_GE(recipe.length, 0.05f) << recipe.name;
        EXPECT_LE(recipe.length, 3.0f) << recipe.name;
        EXPECT_GE(recipe.loudnessDb, -26.0f) << recipe.name;
        EXPECT_LE(recipe.loudnessDb, -14.0f) << recipe.name;
    }
}

TEST(SoundSourcesTest, MenuTuneLastsOverAMinuteBeforeItLoops) {
    XmModule module;
    std::string error;
    ASSERT_TRUE(CompileMusicScore(ReadSource("data/sound/music.txt"), module, error)) << error;
    EXPECT_GE(XmPlayingSeconds(module), 60.0);
    EXPECT_GE(module.channels, 4);
    EXPECT_LE(module.channels, 8);
    EXPECT_GE(module.instruments.size(), 4u);
    EXPECT_LT(module.restartPosition, static_cast<int>(module.orders.size()));
    // Calm: between 80 and 110 beats a minute at four rows a beat.
    const double beatsPerMinute = 60.0 / (4.0 * module.speed * 2.5 / module.bpm);
    EXPECT_GE(beatsPerMinute, 80.0);
    EXPECT_LE(beatsPerMinute, 110.0);
}
}  // namespace
