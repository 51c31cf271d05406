#include "tools/bake/SoundRecipes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {
std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseFloat(const std::string& text, float& out) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

bool ParseCount(const std::string& text, int maximum, int& out) {
    float value = 0.0f;
    if (!ParseFloat(text, value) || value < 0.0f || value > static_cast<float>(maximum) ||
        value != std::floor(value)) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

// "C5,E5/2,G5": each note starts one step (times the previous note's multiplier) later.
bool ParseNoteList(const std::string& text, std::vector<SynthNote>& notes, std::vector<float>& lengths) {
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        float steps = 1.0f;
        const size_t slash = item.find('/');
        if (slash != std::string::npos) {
            if (!ParseFloat(item.substr(slash + 1), steps) || steps <= 0.0f) {
                return false;
            }
            item = item.substr(0, slash);
        }
        int semitone = 0;
        if (!ParseNoteName(item, semitone)) {
            return false;
        }
        SynthNote note;
        note.frequency = NoteFrequency(semitone);
        notes.push_back(note);
        lengths.push_back(steps);
    }
    return !notes.empty();
}

struct FloatKey {
    const char* name;
    float SynthLayer::*member;
    float minimum;
    float maximum;
};

const FloatKey kLayerFloatKeys[] = {
    {"at", &SynthLayer::at, 0.0f, 3.0f},
    {"freq", &SynthLayer::frequency, 20.0f, 10000.0f},
    {"bend", &SynthLayer::bendSemitones, -60.0f, 60.0f},
    {"glide", &SynthLayer::glide, 0.0f, 3.0f},
    {"detune", &SynthLayer::detuneCents, 0.0f, 100.0f},
    {"fm_ratio", &SynthLayer::fmRatio, 0.0f, 20.0f},
    {"fm_index", &SynthLayer::fmIndex, 0.0f, 20.0f},
    {"fm_decay", &SynthLayer::fmDecay, 0.0f, 5.0f},
    {"vibrato_rate", &SynthLayer::vibratoRate, 0.0f, 40.0f},
    {"vibrato_depth", &SynthLayer::vibratoDepth, 0.0f, 12.0f},
    {"tremolo_rate", &SynthLayer::tremoloRate, 0.0f, 60.0f},
    {"tremolo_depth", &SynthLayer::tremoloDepth, 0.0f, 1.0f},
    {"level", &SynthLayer::level, 0.0f, 4.0f},
    {"cutoff", &SynthLayer::cutoff, 20.0f, 20000.0f},
    {"cutoff_end", &SynthLayer::cutoffEnd, 0.0f, 20000.0f},
    {"q", &SynthLayer::resonance, 0.3f, 20.0f},
    {"span", &SynthLayer::sparkleSpan, 0.0f, 3.0f},
    {"freq_min", &SynthLayer::sparkleMinHz, 20.0f, 10000.0f},
    {"freq_max", &SynthLayer::sparkleMaxHz, 20.0f, 10000.0f},
};

bool ParseEnvelopeKey(const std::string& key, const std::string& value, SynthEnvelope& envelope, bool& known) {
    float* target = nullptr;
    float minimum = 0.0f;
    if (key == "attack") {
        target = &envelope.attack;
        minimum = 0.0005f;
    } else if (key == "hold") {
        target = &envelope.hold;
    } else if (key == "decay") {
        target = &envelope.decay;
        minimum = 0.002f;
    }
    known = target != nullptr;
    return !known || (ParseFloat(value, *target) && *target >= minimum && *target <= 3.0f);
}

bool ParseLayerKey(const std::string& key, const std::string& value, SynthLayer& layer, float& step,
                   std::vector<float>& noteLengths) {
    for (const FloatKey& entry : kLayerFloatKeys) {
        if (key == entry.name) {
            float parsed = 0.0f;
            if (!ParseFloat(value, parsed) || parsed < entry.minimum || parsed > entry.maximum) {
                return false;
            }
            layer.*entry.member = parsed;
            return true;
        }
    }
    bool envelopeKey = false;
    if (!ParseEnvelopeKey(key, value, layer.envelope, envelopeKey)) {
        return false;
    }
    if (envelopeKey) {
        return true;
    }
    if (key == "wave") {
        return ParseSynthWave(value, layer.wave);
    }
    if (key == "filter") {
        return ParseSynthFilter(value, layer.filter);
    }
    if (key == "notes") {
        return ParseNoteList(value, layer.notes, noteLengths);
    }
    if (key == "step") {
        return ParseFloat(value, step) && step >= 0.0f && step <= 1.0f;
    }
    if (key == "count") {
        return ParseCount(value, 64, layer.sparkleCount);
    }
    if (key == "seed") {
        int seed = 0;
        if (!ParseCount(value, 1000000, seed)) {
            return false;
        }
        layer.seed = static_cast<uint32_t>(seed) + 1;
        return true;
    }
    return false;
}

bool ParseLayerKind(const std::string& text, ESynthLayerKind& kind) {
    if (text == "tone") {
        kind = ESynthLayerKind::Tone;
    } else if (text == "noise") {
        kind = ESynthLayerKind::Noise;
    } else if (text == "sparkle") {
        kind = ESynthLayerKind::Sparkle;
    } else {
        return false;
    }
    return true;
}

bool ParseLayerLine(const std::string& text, SynthLayer& layer, std::string& problem) {
    std::stringstream stream(text);
    std::string kindText;
    stream >> kindText;
    if (!ParseLayerKind(kindText, layer.kind)) {
        problem = "unknown layer kind '" + kindText + "'";
        return false;
    }
    float step = 0.0f;
    std::vector<float> noteLengths;
    std::string pair;
    while (stream >> pair) {
        const size_t equals = pair.find('=');
        if (equals == std::string::npos ||
            !ParseLayerKey(pair.substr(0, equals), pair.substr(equals + 1), layer, step, noteLengths)) {
            problem = "bad layer setting '" + pair + "'";
            return false;
        }
    }
    float start = 0.0f;
    for (size_t i = 0; i < layer.notes.size(); ++i) {
        layer.notes[i].start = start;
        start += step * noteLengths[i];
    }
    if (layer.sparkleMaxHz < layer.sparkleMinHz) {
        problem = "freq_max below freq_min";
        return false;
    }
    return true;
}

bool ParseRecipeSetting(const std::string& key, const std::string& value, SoundRecipe& recipe) {
    float parsed = 0.0f;
    if (!ParseFloat(value, parsed)) {
        return false;
    }
    if (key == "length" && parsed >= 0.05f && parsed <= 3.0f) {
        recipe.length = parsed;
    } else if (key == "loudness" && parsed >= -40.0f && parsed <= -3.0f) {
        recipe.loudnessDb = parsed;
    } else if (key == "fade_in" && parsed >= 0.0005f && parsed <= 1.0f) {
        recipe.fadeIn = parsed;
    } else if (key == "fade_out" && parsed >= 0.001f && parsed <= 2.0f) {
        recipe.fadeOut = parsed;
    } else {
        return false;
    }
    return true;
}

bool ParseRecipeLine(const std::string& line, std::vector<SoundRecipe>& recipes, std::string& problem) {
    if (line.front() == '[') {
        if (line.back() != ']' || line.size() < 3) {
            problem = "bad event heading";
            return false;
        }
        const std::string name = Trim(line.substr(1, line.size() - 2));
        for (const SoundRecipe& recipe : recipes) {
            if (recipe.name == name) {
                problem = "event '" + name + "' given twice";
                return false;
            }
        }
        recipes.emplace_back();
        recipes.back().name = name;
        return true;
    }
    if (recipes.empty()) {
        problem = "setting before the first event";
        return false;
    }
    SoundRecipe& recipe = recipes.back();
    if (line.compare(0, 6, "layer ") == 0) {
        recipe.layers.emplace_back();
        return ParseLayerLine(line.substr(6), recipe.layers.back(), problem);
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos ||
        !ParseRecipeSetting(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), recipe)) {
        problem = "bad setting";
        return false;
    }
    return true;
}

float ExponentialGlide(float from, float to, float fraction) {
    if (to <= 0.0f || from <= 0.0f) {
        return from;
    }
    return from * std::pow(to / from, std::clamp(fraction, 0.0f, 1.0f));
}

// One pitched voice of a tone or sparkle layer.
SynthSignal RenderVoice(const SynthLayer& layer, float frequency, int sampleRate) {
    const float rate = static_cast<float>(sampleRate);
    const size_t count = static_cast<size_t>(layer.envelope.Length() * rate) + 1;
    const float glideSeconds = layer.glide > 0.0f ? layer.glide : layer.envelope.Length();
    SynthSignal voice(count, 0.0f);
    float phase = 0.0f;
    float modulatorPhase = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / rate;
        float semitones = layer.bendSemitones * std::min(t / glideSeconds, 1.0f);
        semitones += layer.vibratoDepth * std::sin(2.0f * kSynthPi * layer.vibratoRate * t);
        const float hz = frequency * std::pow(2.0f, semitones / 12.0f);
        const float phaseStep = hz / rate;
        float modulation = 0.0f;
        if (layer.fmRatio > 0.0f) {
            const float index = layer.fmDecay > 0.0f ? layer.fmIndex * std::pow(0.001f, t / layer.fmDecay)
                                                     : layer.fmIndex;
            modulation = index * std::sin(2.0f * kSynthPi * modulatorPhase) / (2.0f * kSynthPi);
            modulatorPhase += phaseStep * layer.fmRatio;
            modulatorPhase -= std::floor(modulatorPhase);
        }
        voice[i] = SynthWaveAt(layer.wave, phase + modulation, phaseStep) * layer.envelope.At(t);
        phase += phaseStep;
        phase -= std::floor(phase);
    }
    return voice;
}

SynthSignal RenderTone(const SynthLayer& layer, int sampleRate) {
    std::vector<SynthNote> notes = layer.notes;
    if (notes.empty()) {
        notes.push_back(SynthNote{layer.frequency, 0.0f});
    }
    SynthSignal mix;
    for (const SynthNote& note : notes) {
        const size_t offset = static_cast<size_t>(note.start * static_cast<float>(sampleRate));
        MixInto(mix, RenderVoice(layer, note.frequency, sampleRate), offset, 1.0f);
        if (layer.detuneCents > 0.0f) {
            const float ratio = std::pow(2.0f, layer.detuneCents / 1200.0f);
            MixInto(mix, RenderVoice(layer, note.frequency * ratio, sampleRate), offset, 0.5f);
            MixInto(mix, RenderVoice(layer, note.frequency / ratio, sampleRate), offset, 0.5f);
        }
    }
    return mix;
}

SynthSignal RenderNoise(const SynthLayer& layer, int sampleRate) {
    const float rate = static_cast<float>(sampleRate);
    const size_t count = static_cast<size_t>(layer.envelope.Length() * rate) + 1;
    CSynthNoise noise(layer.seed);
    SynthSignal signal(count, 0.0f);
    for (size_t i = 0; i < count; ++i) {
        signal[i] = noise.NextBipolar() * layer.envelope.At(static_cast<float>(i) / rate);
    }
    return signal;
}

SynthSignal RenderSparkle(const SynthLayer& layer, int sampleRate) {
    CSynthNoise random(layer.seed);
    SynthSignal mix;
    for (int i = 0; i < layer.sparkleCount; ++i) {
        const float start = random.NextUnit() * layer.sparkleSpan;
        const float hz = ExponentialGlide(layer.sparkleMinHz, layer.sparkleMaxHz, random.NextUnit());
        const float gain = 0.5f + 0.5f * random.NextUnit();
        const size_t offset = static_cast<size_t>(start * static_cast<float>(sampleRate));
        MixInto(mix, RenderVoice(layer, hz, sampleRate), offset, gain);
    }
    return mix;
}

// Filter (with its cutoff sweep) and tremolo over the whole layer.
void ShapeLayer(const SynthLayer& layer, SynthSignal& signal, int sampleRate) {
    const float rate = static_cast<float>(sampleRate);
    const float seconds = static_cast<float>(signal.size()) / rate;
    CSynthFilter filter(layer.filter, layer.resonance);
    for (size_t i = 0; i < signal.size(); ++i) {
        const float t = static_cast<float>(i) / rate;
        const float cutoff = layer.cutoffEnd > 0.0f ? ExponentialGlide(layer.cutoff, layer.cutoffEnd, t / seconds)
                                                    : layer.cutoff;
        float value = filter.Process(signal[i], cutoff, sampleRate);
        if (layer.tremoloDepth > 0.0f) {
            value *= 1.0f - layer.tremoloDepth * (0.5f - 0.5f * std::cos(2.0f * kSynthPi * layer.tremoloRate * t));
        }
        signal[i] = value * layer.level;
    }
}
}  // namespace

bool ParseSoundRecipes(const std::string& text, std::vector<SoundRecipe>& recipes, std::string& error) {
    recipes.clear();
    std::stringstream stream(text);
    std::string rawLine;
    int lineNumber = 0;
    while (std::getline(stream, rawLine)) {
        ++lineNumber;
        const std::string line = Trim(rawLine.substr(0, rawLine.find('#')));
        if (line.empty()) {
            continue;
        }
        std::string problem;
        if (!ParseRecipeLine(line, recipes, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
    }
    for (const SoundRecipe& recipe : recipes) {
        if (recipe.layers.empty()) {
            error = "event '" + recipe.name + "' has no layer";
            return false;
        }
    }
    return true;
}

SynthSignal RenderSynthLayer(const SynthLayer& layer, int sampleRate) {
    SynthSignal signal;
    switch (layer.kind) {
        case ESynthLayerKind::Tone:
            signal = RenderTone(layer, sampleRate);
            break;
        case ESynthLayerKind::Noise:
            signal = RenderNoise(layer, sampleRate);
            break;
        case ESynthLayerKind::Sparkle:
            signal = RenderSparkle(layer, sampleRate);
            break;
    }
    ShapeLayer(layer, signal, sampleRate);
    return signal;
}

SynthSignal RenderSoundRecipe(const SoundRecipe& recipe, int sampleRate) {
    const size_t count = static_cast<size_t>(recipe.length * static_cast<float>(sampleRate));
    SynthSignal mix(count, 0.0f);
    for (const SynthLayer& layer : recipe.layers) {
        const size_t offset = static_cast<size_t>(layer.at * static_cast<float>(sampleRate));
        MixInto(mix, RenderSynthLayer(layer, sampleRate), offset, 1.0f);
    }
    mix.resize(count);
    ApplyFades(mix, sampleRate, recipe.fadeIn, recipe.fadeOut);
    NormaliseSignal(mix, sampleRate, recipe.loudnessDb, kSoundCeilingDb);
    return mix;
}
