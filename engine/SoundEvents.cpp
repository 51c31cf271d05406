#include "engine/SoundEvents.h"

#include <cstring>

CSound g_soundPowerupExplosion;
CSound g_soundPowerupChangeColor;
CSound g_soundPowerupArrow;
CSound g_soundPowerupMulticolorBall;
CSound g_soundFireBall;
CSound g_soundBallStick;
CSound g_soundLevelDone;
CSound g_soundSwapBall;
CSound g_soundMoveLevelDown;
CSound g_soundCountdown;
CSound g_soundBallHitObstacle;
CSound g_soundShakeLevel;
CSound g_soundGameOver;
CSound g_soundCombo;
CSound g_soundExtraLife;
CSound g_soundLevelDonePerfect;
CSound g_soundPowerupArrowEachBallHit;
CSound g_soundBallRemoveMultiball;
CSound g_soundPowerupMulticolorBallMissed;
CSound g_soundBallRemove;
CSound g_soundPowerupExplosionSmall;
CSound g_soundPowerupMulticolorBallArrived;
CSound g_soundGameDone;
CSound g_soundMenuMouseOverItem;
CSound g_soundMenuExecuteItem;

namespace {
const SoundEvent kSoundEvents[kSoundEventCount] = {
    {"powerup_explosion", &g_soundPowerupExplosion, 1},
    {"powerup_changecolor", &g_soundPowerupChangeColor, 1},
    {"powerup_arrow", &g_soundPowerupArrow, 1},
    {"powerup_multicolorball", &g_soundPowerupMulticolorBall, 1},
    {"fire_ball", &g_soundFireBall, 1},
    {"ball_stick", &g_soundBallStick, 1},
    {"level_done", &g_soundLevelDone, 1},
    {"swap_ball", &g_soundSwapBall, 1},
    {"move_level_down", &g_soundMoveLevelDown, 1},
    {"countdown", &g_soundCountdown, 1},
    {"ball_hit_obstacle", &g_soundBallHitObstacle, 1},
    {"shake_level", &g_soundShakeLevel, 1},
    {"game_over", &g_soundGameOver, 1},
    {"combo", &g_soundCombo, 1},
    {"extra_life", &g_soundExtraLife, 1},
    {"level_done_perfect", &g_soundLevelDonePerfect, 1},
    {"powerup_arrow_each_ball_hit", &g_soundPowerupArrowEachBallHit, 1},
    {"ball_remove_multiball", &g_soundBallRemoveMultiball, 1},
    {"powerup_multicolorball_missed", &g_soundPowerupMulticolorBallMissed, 1},
    {"ball_remove", &g_soundBallRemove, 1},
    {"powerup_explosion_small", &g_soundPowerupExplosionSmall, 2},
    {"powerup_multicolorball_arrived", &g_soundPowerupMulticolorBallArrived, 1},
    {"game_done", &g_soundGameDone, 1},
    {"menu_mouse_over_item", &g_soundMenuMouseOverItem, 1},
    {"menu_execute_item", &g_soundMenuExecuteItem, 1},
};
}  // namespace

const SoundEvent* GetSoundEvents() {
    return kSoundEvents;
}

CSound* FindSoundEvent(const char* name) {
    for (const SoundEvent& event : kSoundEvents) {
        if (std::strcmp(event.name, name) == 0) {
            return event.sound;
        }
    }
    return nullptr;
}

void LoadSoundEvents() {
    for (const SoundEvent& event : kSoundEvents) {
        event.sound->Load(event.name, event.playbacks);
    }
}

void FreeSoundEvents() {
    for (const SoundEvent& event : kSoundEvents) {
        event.sound->Free();
    }
}
