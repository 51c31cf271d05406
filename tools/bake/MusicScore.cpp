#include "tools/bake/MusicScore.h"

#include "tools/bake/Synth.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

namespace {
constexpr int kVoiceRate = 22050;
constexpr float kSamplePeak = 0.89f;

// ---- generated instrument samples ----

struct VoiceSample {
    SynthSignal signal;
    size_t loopStart = 0;
    size_t loopLength = 0;
    double toneHz = 261.6255653;   // the pitch recorded (drums: played back unchanged on C-4)
};

// Sum of harmonics of a tone whose period is a whole number of samples, so any run of
// whole periods loops without a seam. amplitude(h, t) gives each harmonic's level.
template <typename Amplitude>
SynthSignal AdditivePeriodic(size_t frames, int period, int harmonics, Amplitude amplitude) {
    SynthSignal signal(frames, 0.0f);
    for (size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(kVoiceRate);
        const float cycle = static_cast<float>(i % static_cast<size_t>(period)) / static_cast<float>(period);
        float value = 0.0f;
        for (int h = 1; h <= harmonics; ++h) {
            value += amplitude(h, t) * std::sin(2.0f * kSynthPi * cycle * static_cast<float>(h));
        }
        signal[i] = value;
    }
    return signal;
}

// A warm, slowly beating chord pad: three saw-like oscillators a few cents apart, each
// fitting a whole number of cycles into the loop, which is the entire sample.
VoiceSample MakePad() {
    constexpr int kPeriod = 128;
    constexpr int kCycles = 150;
    constexpr int kHarmonics = 24;
    const size_t frames = static_cast<size_t>(kPeriod) * kCycles;
    CSynthNoise random(7);
    VoiceSample voice;
    voice.signal.assign(frames, 0.0f);
    for (const int cycles : {kCycles - 1, kCycles, kCycles + 1}) {
        for (int h = 1; h <= kHarmonics; ++h) {
            const float amplitude = std::exp(-static_cast<float>(h - 1) / 3.0f) / static_cast<float>(h);
            const float phase = random.NextUnit();
            const float step = static_cast<float>(cycles * h) / static_cast<float>(frames);
            for (size_t i = 0; i < frames; ++i) {
                voice.signal[i] += amplitude * std::sin(2.0f * kSynthPi * (step * static_cast<float>(i) + phase));
            }
        }
    }
    voice.loopStart = 0;
    voice.loopLength = frames;
    voice.toneHz = static_cast<double>(kVoiceRate) / kPeriod;
    return voice;
}

// A round bass with a soft pluck at the start; the steady tail loops.
VoiceSample MakeBass() {
    constexpr int kPeriod = 128;
    constexpr int kAttackPeriods = 86;   // about half a second before the loop
    constexpr int kLoopPeriods = 16;
    const float pluckEnd = static_cast<float>(kAttackPeriods * kPeriod) / kVoiceRate;
    const float steady[] = {1.0f, 0.45f, 0.18f, 0.08f, 0.04f, 0.02f};
    VoiceSample voice;
    voice.signal = AdditivePeriodic(static_cast<size_t>(kPeriod) * (kAttackPeriods + kLoopPeriods), kPeriod, 12,
                                    [&](int h, float t) {
                                        const float base = h <= 6 ? steady[h - 1] : 0.0f;
                                        const float pluck = std::max(0.0f, std::exp(-t / 0.07f) - std::exp(-pluckEnd / 0.07f));
                                        return base + pluck * 0.6f / static_cast<float>(h);
                                    });
    const size_t attack = static_cast<size_t>(0.004f * kVoiceRate);
    for (size_t i = 0; i < attack; ++i) {
        voice.signal[i] *= static_cast<float>(i) / static_cast<float>(attack);
    }
    voice.loopStart = static_cast<size_t>(kPeriod) * kAttackPeriods;
    voice.loopLength = static_cast<size_t>(kPeriod) * kLoopPeriods;
    voice.toneHz = static_cast<double>(kVoiceRate) / kPeriod;
    return voice;
}

// Two-operator frequency modulation: a sine carrier bent by a sine modulator whose depth
// falls away, under an exponential decay.
SynthSignal FmTone(float hz, float ratio, float index, float indexDecay, float decay, float seconds) {
    const size_t frames = static_cast<size_t>(seconds * kVoiceRate);
    SynthEnvelope envelope;
    envelope.attack = 0.003f;
    envelope.decay = decay;
    SynthSignal signal(frames, 0.0f);
    for (size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / kVoiceRate;
        const float depth = index * std::pow(0.001f, t / indexDecay);
        const float modulator = std::sin(2.0f * kSynthPi * hz * ratio * t);
        signal[i] = std::sin(2.0f * kSynthPi * hz * t + depth * modulator) * envelope.At(t);
    }
    return signal;
}

// An electric-piano lead: a mellow body and a short metallic tine at the strike.
VoiceSample MakeKeys() {
    VoiceSample voice;
    voice.toneHz = NoteFrequency(5 * 12);  // C5
    const float hz = static_cast<float>(voice.toneHz);
    voice.signal = FmTone(hz, 1.0f, 1.6f, 1.2f, 2.4f, 2.2f);
    MixInto(voice.signal, FmTone(hz, 14.0f, 0.8f, 0.08f, 0.25f, 0.3f), 0, 0.16f);
    ApplyFades(voice.signal, kVoiceRate, 0.0005f, 0.05f);
    return voice;
}

// A soft music-box bell for arpeggios and echoes.
VoiceSample MakeBell() {
    VoiceSample voice;
    voice.toneHz = NoteFrequency(6 * 12);  // C6
    const float hz = static_cast<float>(voice.toneHz);
    voice.signal = FmTone(hz, 3.0f, 1.1f, 0.5f, 1.8f, 1.6f);
    MixInto(voice.signal, FmTone(hz * 2.76f, 1.0f, 0.0f, 1.0f, 0.35f, 0.4f), 0, 0.12f);
    ApplyFades(voice.signal, kVoiceRate, 0.0005f, 0.05f);
    return voice;
}

// A gentle kick: a low sine falling in pitch.
VoiceSample MakeKick() {
    const size_t frames = static_cast<size_t>(0.42f * kVoiceRate);
    SynthEnvelope envelope;
    envelope.attack = 0.002f;
    envelope.decay = 0.4f;
    VoiceSample voice;
    voice.signal.assign(frames, 0.0f);
    float phase = 0.0f;
    for (size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / kVoiceRate;
        const float hz = 48.0f + 72.0f * std::exp(-t / 0.04f);
        voice.signal[i] = std::sin(2.0f * kSynthPi * phase) * envelope.At(t);
        phase += hz / kVoiceRate;
    }
    return voice;
}

// Filtered noise bursts: a brushed snare and a shaker.
VoiceSample MakeNoiseHit(uint32_t seed, ESynthFilter type, float cutoff, float resonance, float attack, float decay) {
    const size_t frames = static_cast<size_t>((attack + decay) * kVoiceRate) + 1;
    SynthEnvelope envelope;
    envelope.attack = attack;
    envelope.decay = decay;
    CSynthNoise noise(seed);
    CSynthFilter filter(type, resonance);
    VoiceSample voice;
    voice.signal.assign(frames, 0.0f);
    for (size_t i = 0; i < frames; ++i) {
        const float t = static_cast<float>(i) / kVoiceRate;
        voice.signal[i] = filter.Process(noise.NextBipolar(), cutoff, kVoiceRate) * envelope.At(t);
    }
    return voice;
}

bool MakeVoice(const std::string& name, VoiceSample& voice) {
    if (name == "pad") {
        voice = MakePad();
    } else if (name == "bass") {
        voice = MakeBass();
    } else if (name == "keys") {
        voice = MakeKeys();
    } else if (name == "bell") {
        voice = MakeBell();
    } else if (name == "kick") {
        voice = MakeKick();
    } else if (name == "brush") {
        voice = MakeNoiseHit(11, ESynthFilter::BandPass, 2600.0f, 0.7f, 0.006f, 0.22f);
    } else if (name == "shaker") {
        voice = MakeNoiseHit(23, ESynthFilter::HighPass, 6000.0f, 0.8f, 0.01f, 0.08f);
    } else {
        return false;
    }
    return true;
}

std::vector<int16_t> ToPcm16(const SynthSignal& signal) {
    float peak = 0.0f;
    for (const float sample : signal) {
        peak = std::max(peak, std::fabs(sample));
    }
    const float gain = peak > 0.0f ? kSamplePeak * 32767.0f / peak : 0.0f;
    std::vector<int16_t> pcm(signal.size());
    for (size_t i = 0; i < signal.size(); ++i) {
        pcm[i] = static_cast<int16_t>(std::lround(signal[i] * gain));
    }
    return pcm;
}

// ---- the score text ----

struct GridHit {
    int instrument = 0;   // 1-based
    int volume = 64;
};

struct ScoreTrack {
    std::string name;
    std::vector<int> channels;    // 0-based
    int instrument = 0;           // 1-based, 0 for a grid track
    std::map<char, GridHit> grid;
};

struct ScorePattern {
    std::string name;
    std::map<size_t, std::string> lines;   // track index -> tokens
};

struct Score {
    std::vector<std::string> instrumentNames;
    std::vector<ScoreTrack> tracks;
    std::vector<ScorePattern> patterns;
    std::vector<std::string> orderNames;
    int rows = 64;
};

std::map<std::string, std::string> ReadSettings(std::stringstream& stream) {
    std::map<std::string, std::string> settings;
    std::string pair;
    while (stream >> pair) {
        const size_t equals = pair.find('=');
        settings[pair.substr(0, equals)] = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
    }
    return settings;
}

bool ParseInt(const std::string& text, int minimum, int maximum, int& out) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < minimum || value > maximum) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

int FindName(const std::vector<std::string>& names, const std::string& name) {
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

bool ParseEnvelope(const std::map<std::string, std::string>& settings, XmInstrument& instrument) {
    if (settings.count("fadeout") == 0) {
        return settings.count("attack") == 0 && settings.count("decay") == 0 && settings.count("sustain") == 0;
    }
    int attack = 0;
    int decay = 0;
    int sustain = 64;
    int fadeout = 0;
    const auto read = [&](const char* key, int maximum, int& out) {
        const auto found = settings.find(key);
        return found == settings.end() || ParseInt(found->second, 0, maximum, out);
    };
    if (!read("attack", 200, attack) || !read("decay", 400, decay) || !read("sustain", 64, sustain) ||
        !read("fadeout", 4095, fadeout)) {
        return false;
    }
    instrument.volumeEnvelope.push_back({0, static_cast<uint16_t>(attack > 0 ? 0 : 64)});
    if (attack > 0) {
        instrument.volumeEnvelope.push_back({static_cast<uint16_t>(attack), 64});
    }
    instrument.volumeEnvelope.push_back({static_cast<uint16_t>(attack + std::max(decay, 1)), static_cast<uint16_t>(sustain)});
    instrument.sustainPoint = static_cast<int>(instrument.volumeEnvelope.size()) - 1;
    instrument.fadeout = static_cast<uint16_t>(fadeout);
    return true;
}

bool ParseInstrument(std::stringstream& stream, Score& score, XmModule& module, std::string& problem) {
    std::string name;
    std::string voiceName;
    stream >> name >> voiceName;
    VoiceSample voice;
    if (name.empty() || FindName(score.instrumentNames, name) >= 0 || !MakeVoice(voiceName, voice)) {
        problem = "bad instrument '" + name + "' or voice '" + voiceName + "'";
        return false;
    }
    const std::map<std::string, std::string> settings = ReadSettings(stream);
    XmInstrument instrument;
    instrument.name = name;
    int volume = 64;
    if ((settings.count("volume") != 0 && !ParseInt(settings.at("volume"), 0, 64, volume)) ||
        !ParseEnvelope(settings, instrument)) {
        problem = "bad settings of instrument '" + name + "'";
        return false;
    }
    instrument.volume = static_cast<uint8_t>(volume);
    instrument.sample = ToPcm16(voice.signal);
    instrument.loopStart = static_cast<uint32_t>(voice.loopStart);
    instrument.loopLength = static_cast<uint32_t>(voice.loopLength);
    XmTuning(kVoiceRate, voice.toneHz, instrument.relativeNote, instrument.finetune);
    score.instrumentNames.push_back(name);
    module.instruments.push_back(instrument);
    return true;
}

bool ParseGrid(const std::string& text, const Score& score, ScoreTrack& track) {
    std::stringstream stream(text);
    std::string entry;
    while (std::getline(stream, entry, ',')) {
        const size_t first = entry.find(':');
        const size_t second = entry.find(':', first + 1);
        if (first != 1 || second == std::string::npos || entry[0] == '.') {
            return false;
        }
        GridHit hit;
        hit.instrument = FindName(score.instrumentNames, entry.substr(2, second - 2)) + 1;
        if (hit.instrument == 0 || !ParseInt(entry.substr(second + 1), 0, 64, hit.volume)) {
            return false;
        }
        track.grid[entry[0]] = hit;
    }
    return !track.grid.empty();
}

bool ParseTrack(std::stringstream& stream, Score& score, const XmModule& module, std::string& problem) {
    ScoreTrack track;
    stream >> track.name;
    const std::map<std::string, std::string> settings = ReadSettings(stream);
    problem = "bad track '" + track.name + "'";
    if (track.name.empty() || settings.count("channels") == 0) {
        return false;
    }
    for (const ScoreTrack& other : score.tracks) {
        if (other.name == track.name) {
            return false;
        }
    }
    std::stringstream channels(settings.at("channels"));
    std::string item;
    while (std::getline(channels, item, ',')) {
        int channel = 0;
        if (!ParseInt(item, 1, module.channels, channel)) {
            return false;
        }
        track.channels.push_back(channel - 1);
    }
    if (track.channels.empty()) {
        return false;
    }
    if (settings.count("grid") != 0) {
        if (!ParseGrid(settings.at("grid"), score, track) || track.channels.size() != 1) {
            return false;
        }
    } else {
        track.instrument = settings.count("instrument") != 0 ? FindName(score.instrumentNames, settings.at("instrument")) + 1 : 0;
        if (track.instrument == 0) {
            return false;
        }
    }
    score.tracks.push_back(track);
    return true;
}

bool ParsePatternHeading(std::stringstream& stream, Score& score, std::string& problem) {
    ScorePattern pattern;
    std::string word;
    std::string source;
    stream >> pattern.name >> word >> source;
    problem = "bad pattern heading '" + pattern.name + "'";
    if (pattern.name.empty() || (!word.empty() && word != "from")) {
        return false;
    }
    for (const ScorePattern& other : score.patterns) {
        if (other.name == pattern.name) {
            return false;
        }
        if (other.name == source) {
            pattern.lines = other.lines;
        }
    }
    if (word == "from" && pattern.lines.empty()) {
        problem = "pattern '" + pattern.name + "' copies an unknown or empty pattern";
        return false;
    }
    score.patterns.push_back(pattern);
    return true;
}

bool ParseTrackLine(const std::string& keyword, std::stringstream& stream, Score& score, std::string& problem) {
    for (size_t i = 0; i < score.tracks.size(); ++i) {
        if (score.tracks[i].name == keyword) {
            if (score.patterns.empty()) {
                problem = "track line outside a pattern";
                return false;
            }
            std::string rest;
            std::getline(stream, rest);
            score.patterns.back().lines[i] = rest;
            return true;
        }
    }
    problem = "unknown keyword or track '" + keyword + "'";
    return false;
}

bool ParseScoreLine(const std::string& line, Score& score, XmModule& module, std::string& problem) {
    std::stringstream stream(line);
    std::string keyword;
    stream >> keyword;
    if (keyword == "title") {
        std::getline(stream >> std::ws, module.name);
        return true;
    }
    std::string value;
    if (keyword == "speed" || keyword == "bpm" || keyword == "rows" || keyword == "channels" || keyword == "restart") {
        stream >> value;
        const bool parsed = (keyword == "speed" && ParseInt(value, 1, 31, module.speed)) ||
                            (keyword == "bpm" && ParseInt(value, 32, 255, module.bpm)) ||
                            (keyword == "rows" && ParseInt(value, 1, 256, score.rows)) ||
                            (keyword == "channels" && ParseInt(value, 1, kXmMaxChannels, module.channels)) ||
                            (keyword == "restart" && ParseInt(value, 0, 255, module.restartPosition));
        problem = "bad value of " + keyword;
        return parsed;
    }
    if (keyword == "instrument") {
        return ParseInstrument(stream, score, module, problem);
    }
    if (keyword == "track") {
        return ParseTrack(stream, score, module, problem);
    }
    if (keyword == "pattern") {
        return ParsePatternHeading(stream, score, problem);
    }
    if (keyword == "order") {
        while (stream >> value) {
            score.orderNames.push_back(value);
        }
        return true;
    }
    return ParseTrackLine(keyword, stream, score, problem);
}

// ---- compiling patterns ----

struct NoteToken {
    std::vector<uint8_t> notes;   // empty for a rest or a hold
    bool rest = false;
    int rows = 0;
    int volume = -1;
};

bool ParseNoteToken(const std::string& text, NoteToken& token) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return false;
    }
    const std::string pitch = text.substr(0, slash);
    std::string length = text.substr(slash + 1);
    const size_t at = length.find('@');
    if (at != std::string::npos) {
        if (!ParseInt(length.substr(at + 1), 0, 64, token.volume)) {
            return false;
        }
        length = length.substr(0, at);
    }
    if (!ParseInt(length, 1, 256, token.rows)) {
        return false;
    }
    if (pitch == "r") {
        token.rest = true;
        return true;
    }
    if (pitch == "~") {
        return true;
    }
    std::stringstream notes(pitch);
    std::string name;
    while (std::getline(notes, name, '+')) {
        int semitone = 0;
        if (!ParseNoteName(name, semitone) || semitone + 1 >= kXmNoteOff) {
            return false;
        }
        token.notes.push_back(static_cast<uint8_t>(semitone + 1));
    }
    return !token.notes.empty();
}

void WriteNoteToken(const NoteToken& token, const ScoreTrack& track, int row, XmPattern& pattern, int channels) {
    for (size_t voice = 0; voice < track.channels.size(); ++voice) {
        XmCell& cell = pattern.At(row, track.channels[voice], channels);
        if (token.rest) {
            cell.note = kXmNoteOff;
        } else if (voice < token.notes.size()) {
            cell.note = token.notes[voice];
            cell.instrument = static_cast<uint8_t>(track.instrument);
            if (token.volume >= 0) {
                cell.volume = static_cast<uint8_t>(0x10 + token.volume);
            }
        } else if (!token.notes.empty()) {
            cell.note = kXmNoteOff;
        }
    }
}

bool CompileNoteLine(const std::string& line, const ScoreTrack& track, XmPattern& pattern, int channels,
                     std::string& problem) {
    std::stringstream stream(line);
    std::string text;
    int row = 0;
    while (stream >> text) {
        NoteToken token;
        if (!ParseNoteToken(text, token) || token.notes.size() > track.channels.size()) {
            problem = "bad token '" + text + "' in track " + track.name;
            return false;
        }
        if (row + token.rows > pattern.rows) {
            break;
        }
        WriteNoteToken(token, track, row, pattern, channels);
        row += token.rows;
    }
    if (row != pattern.rows) {
        problem = "track " + track.name + " does not fill the pattern's rows";
        return false;
    }
    return true;
}

bool CompileGridLine(const std::string& line, const ScoreTrack& track, XmPattern& pattern, int channels,
                     std::string& problem) {
    int row = 0;
    for (const char mark : line) {
        if (mark == ' ' || mark == '\t') {
            continue;
        }
        if (row >= pattern.rows) {
            row = pattern.rows + 1;
            break;
        }
        if (mark != '.') {
            const auto hit = track.grid.find(mark);
            if (hit == track.grid.end()) {
                problem = std::string("unknown mark '") + mark + "' in track " + track.name;
                return false;
            }
            XmCell& cell = pattern.At(row, track.channels[0], channels);
            cell.note = 4 * 12 + 1;   // C-4: the drum sounds as recorded
            cell.instrument = static_cast<uint8_t>(hit->second.instrument);
            cell.volume = static_cast<uint8_t>(0x10 + hit->second.volume);
        }
        ++row;
    }
    if (row != pattern.rows) {
        problem = "track " + track.name + " does not fill the pattern's rows";
        return false;
    }
    return true;
}

bool CompilePatterns(const Score& score, XmModule& module, std::string& error) {
    for (const ScorePattern& source : score.patterns) {
        XmPattern pattern;
        pattern.rows = score.rows;
        pattern.cells.assign(static_cast<size_t>(score.rows * module.channels), XmCell());
        for (const auto& [trackIndex, line] : source.lines) {
            const ScoreTrack& track = score.tracks[trackIndex];
            std::string problem;
            const bool compiled = track.grid.empty() ? CompileNoteLine(line, track, pattern, module.channels, problem)
                                                     : CompileGridLine(line, track, pattern, module.channels, problem);
            if (!compiled) {
                error = "pattern " + source.name + ": " + problem;
                return false;
            }
        }
        module.patterns.push_back(pattern);
    }
    for (const std::string& name : score.orderNames) {
        int index = -1;
        for (size_t i = 0; i < score.patterns.size(); ++i) {
            if (score.patterns[i].name == name) {
                index = static_cast<int>(i);
            }
        }
        if (index < 0) {
            error = "order names an unknown pattern '" + name + "'";
            return false;
        }
        module.orders.push_back(static_cast<uint8_t>(index));
    }
    return true;
}
}  // namespace

bool CompileMusicScore(const std::string& text, XmModule& module, std::string& error) {
    module = XmModule();
    Score score;
    std::stringstream stream(text);
    std::string rawLine;
    int lineNumber = 0;
    while (std::getline(stream, rawLine)) {
        ++lineNumber;
        std::string line = rawLine.substr(0, rawLine.find('#'));
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        std::string problem;
        if (!ParseScoreLine(line, score, module, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
    }
    if (!CompilePatterns(score, module, error)) {
        return false;
    }
    return ValidateXmModule(module, error);
}
