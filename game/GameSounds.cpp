#include "game/GameSounds.h"

namespace {
// The events in loading order; all but the small explosion play one at a time.
const char* const kSoundNames[kGameSoundCount] = {
    "powerup_explosion",
    "powerup_changecolor",
    "powerup_arrow",
    "powerup_multicolorball",
    "fire_ball",
    "ball_stick",
    "level_done",
    "swap_ball",
    "move_level_down",
    "countdown",
    "ball_hit_obstacle",
    "shake_level",
    "game_over",
    "combo",
    "extra_life",
    "level_done_perfect",
    "powerup_arrow_each_ball_hit",
    "ball_remove_multiball",
    "powerup_multicolorball_missed",
    "ball_remove",
    "powerup_explosion_small",
    "powerup_multicolorball_arrived",
    "game_done",
    "menu_mouse_over_item",
    "menu_execute_item",
};

GameSoundHandler g_handler = nullptr;
void* g_handlerUser = nullptr;
}  // namespace

int32_t GameSoundPlaybacks(EGameSound sound) {
    return sound == EGameSound::PowerupExplosionSmall ? 2 : 1;
}

const char* GameSoundName(EGameSound sound) {
    const int32_t index = static_cast<int32_t>(sound);
    if (index < 0 || index >= kGameSoundCount) {
        return "";
    }
    return kSoundNames[index];
}

void SetGameSoundHandler(GameSoundHandler handler, void* user) {
    g_handler = handler;
    g_handlerUser = user;
}

void PlayGameSound(EGameSound sound) {
    if (g_handler != nullptr) {
        g_handler(sound, g_handlerUser);
    }
}

namespace {
class CHeardSounds final : public IGameSoundSink {
public:
    void Play(EGameSound sound) override { PlayGameSound(sound); }
};

class CSilentSounds final : public IGameSoundSink {
public:
    void Play(EGameSound) override {}
};
}  // namespace

IGameSoundSink& HeardSounds() {
    static CHeardSounds heard;
    return heard;
}

IGameSoundSink& SilentSounds() {
    static CSilentSounds silent;
    return silent;
}
