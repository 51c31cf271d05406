// sound.nuf: every sound event rendered from its recipe in data/sound/events.txt, and the
// menu music compiled from data/sound/music.txt.
#include "game/GameSounds.h"
#include "resources/File.h"
#include "tools/bake/Bake.h"
#include "tools/bake/MusicScore.h"
#include "tools/bake/SoundRecipes.h"
#include "tools/bake/WavWriter.h"
#include "tools/bake/XmWriter.h"

#include <cstdio>

namespace {
bool ReadText(const std::string& path, std::string& text) {
    std::vector<uint8_t> bytes;
    if (!ReadFileAtPath(path, bytes)) {
        std::fprintf(stderr, "pellora-bake: BakeSounds FAILED, cannot read %s\n", path.c_str());
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

bool HasEveryEvent(const std::vector<SoundRecipe>& recipes) {
    bool complete = true;
    // Every event the game loads at start-up needs a recipe.
    for (int32_t i = 0; i < kGameSoundCount; ++i) {
        const char* event = GameSoundName(static_cast<EGameSound>(i));
        bool found = false;
        for (const SoundRecipe& recipe : recipes) {
            found = found || recipe.name == event;
        }
        if (!found) {
            std::fprintf(stderr, "pellora-bake: BakeSounds FAILED, no recipe for %s\n", event);
            complete = false;
        }
    }
    return complete;
}

bool BakeEvents(const std::string& path, BakedFiles& files) {
    std::string text;
    std::vector<SoundRecipe> recipes;
    std::string error;
    if (!ReadText(path, text)) {
        return false;
    }
    if (!ParseSoundRecipes(text, recipes, error)) {
        std::fprintf(stderr, "pellora-bake: BakeSounds FAILED, %s %s\n", path.c_str(), error.c_str());
        return false;
    }
    if (!HasEveryEvent(recipes)) {
        return false;
    }
    for (const SoundRecipe& recipe : recipes) {
        const SynthSignal signal = RenderSoundRecipe(recipe, kSynthSampleRate);
        const SynthLevels levels = MeasureSignal(signal, kSynthSampleRate);
        if (levels.rmsDb < recipe.loudnessDb - 3.0f) {
            std::fprintf(stderr, "pellora-bake: %s reaches only %.1f dB of %.1f dB (peak-limited)\n",
                         recipe.name.c_str(), levels.rmsDb, recipe.loudnessDb);
        }
        files.push_back({recipe.name + ".wav", WriteWav16Mono(signal, kSynthSampleRate)});
    }
    return true;
}

bool BakeMusic(const std::string& path, BakedFiles& files) {
    std::string text;
    XmModule module;
    std::string error;
    if (!ReadText(path, text)) {
        return false;
    }
    if (!CompileMusicScore(text, module, error)) {
        std::fprintf(stderr, "pellora-bake: BakeSounds FAILED, %s %s\n", path.c_str(), error.c_str());
        return false;
    }
    files.push_back({"i01.xm", WriteXm(module)});
    return true;
}
}  // namespace

BakedFiles BakeSounds(const BakeContext& context) {
    BakedFiles files;
    const bool eventsBaked = BakeEvents(context.dataDir + "/sound/events.txt", files);
    const bool musicBaked = BakeMusic(context.dataDir + "/sound/music.txt", files);
    if (!eventsBaked || !musicBaked) {
        return {};
    }
    return files;
}
