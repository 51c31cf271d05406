// sound.nuf: every sound event rendered from its recipe in data/sound/events.txt, and the
// menu music compiled from data/sound/music.txt.
#include "tools/bake/Bake.h"
#include "tools/bake/MusicScore.h"
#include "tools/bake/SoundRecipes.h"
#include "tools/bake/WavWriter.h"
#include "tools/bake/XmWriter.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {
// The events the game loads at start-up; each needs a recipe.
const char* const kSoundEvents[] = {
    "powerup_explosion", "powerup_changecolor", "powerup_arrow", "powerup_multicolorball",
    "fire_ball", "ball_stick", "level_done", "swap_ball", "move_level_down", "countdown",
    "ball_hit_obstacle", "shake_level", "game_over", "combo", "extra_life",
    "level_done_perfect", "powerup_arrow_each_ball_hit", "ball_remove_multiball",
    "powerup_multicolorball_missed", "ball_remove", "powerup_explosion_small",
    "powerup_multicolorball_arrived", "game_done", "menu_mouse_over_item", "menu_execute_item",
};

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pellora-bake: BakeSounds FAILED, cannot read %s\n", path.c_str());
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool HasEveryEvent(const std::vector<SoundRecipe>& recipes) {
    bool complete = true;
    for (const char* event : kSoundEvents) {
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
