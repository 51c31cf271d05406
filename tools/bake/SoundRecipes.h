#pragma once
// Sound-event recipes: a text of events, each a few layers of tones, noise or sparkles,
// rendered into a normalised mono signal.
//
//   [ball_stick]               an event; its name is the file's base name
//   length = 0.12              seconds of the file
//   loudness = -20             target loudness of the active part, dBFS
//   layer tone wave=sine freq=1400 bend=-12 attack=0.001 decay=0.06 level=1
//
// Layer kinds and their keys (every key is optional):
//   tone    wave freq bend glide notes step detune fm_ratio fm_index fm_decay
//           vibrato_rate vibrato_depth
//   noise   seed
//   sparkle count span freq_min freq_max seed wave fm_ratio fm_index fm_decay
//   all     at attack hold decay level filter cutoff cutoff_end q tremolo_rate tremolo_depth
// notes is a comma list of note names, each optionally /n to last n steps
// ("C5,E5,G5/2"); each note starts step seconds after the one before.
#include "tools/bake/Synth.h"

#include <string>
#include <vector>

enum class ESynthLayerKind { Tone, Noise, Sparkle };

struct SynthNote {
    float frequency = 440.0f;
    float start = 0.0f;       // seconds after the layer's start
};

struct SynthLayer {
    ESynthLayerKind kind = ESynthLayerKind::Tone;
    ESynthWave wave = ESynthWave::Sine;
    float at = 0.0f;
    float frequency = 440.0f;
    float bendSemitones = 0.0f;
    float glide = 0.0f;             // seconds of the bend; 0 = the whole envelope
    std::vector<SynthNote> notes;   // empty: one note at frequency
    float detuneCents = 0.0f;       // adds two quieter voices this far above and below
    float fmRatio = 0.0f;           // 0 = no frequency modulation
    float fmIndex = 0.0f;
    float fmDecay = 0.0f;           // seconds for the index to fall 60 dB; 0 = constant
    float vibratoRate = 0.0f;
    float vibratoDepth = 0.0f;      // semitones
    float tremoloRate = 0.0f;
    float tremoloDepth = 0.0f;      // 0..1
    SynthEnvelope envelope;
    float level = 1.0f;
    ESynthFilter filter = ESynthFilter::None;
    float cutoff = 2000.0f;
    float cutoffEnd = 0.0f;         // 0 = cutoff throughout
    float resonance = 0.707f;
    int sparkleCount = 8;
    float sparkleSpan = 0.5f;
    float sparkleMinHz = 1500.0f;
    float sparkleMaxHz = 5000.0f;
    uint32_t seed = 1;
};

struct SoundRecipe {
    std::string name;
    float length = 0.5f;
    float loudnessDb = -18.0f;
    float fadeIn = 0.002f;
    float fadeOut = 0.01f;
    std::vector<SynthLayer> layers;
};

// Peak ceiling of every rendered event.
constexpr float kSoundCeilingDb = -1.5f;

// False with a message naming the line when the text is not a valid recipe list.
bool ParseSoundRecipes(const std::string& text, std::vector<SoundRecipe>& recipes, std::string& error);
// The event's samples: layers mixed, faded at both ends and normalised.
SynthSignal RenderSoundRecipe(const SoundRecipe& recipe, int sampleRate);
// One layer alone, before mixing (starting at its own time 0).
SynthSignal RenderSynthLayer(const SynthLayer& layer, int sampleRate);
