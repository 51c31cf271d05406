#pragma once
// The sound events of the game: one global CSound each, loaded at start-up in table order.
// Game and GUI code play an event through its object, e.g. g_soundCombo.Play(), or look one
// up by its name with FindSoundEvent("combo").
#include "platform/Sound.h"

#include <cstdint>

extern CSound g_soundPowerupExplosion;
extern CSound g_soundPowerupChangeColor;
extern CSound g_soundPowerupArrow;
extern CSound g_soundPowerupMulticolorBall;
extern CSound g_soundFireBall;
extern CSound g_soundBallStick;
extern CSound g_soundLevelDone;
extern CSound g_soundSwapBall;
extern CSound g_soundMoveLevelDown;
extern CSound g_soundCountdown;
extern CSound g_soundBallHitObstacle;
extern CSound g_soundShakeLevel;
extern CSound g_soundGameOver;
extern CSound g_soundCombo;
extern CSound g_soundExtraLife;
extern CSound g_soundLevelDonePerfect;
extern CSound g_soundPowerupArrowEachBallHit;
extern CSound g_soundBallRemoveMultiball;
extern CSound g_soundPowerupMulticolorBallMissed;
extern CSound g_soundBallRemove;
extern CSound g_soundPowerupExplosionSmall;
extern CSound g_soundPowerupMulticolorBallArrived;
extern CSound g_soundGameDone;
extern CSound g_soundMenuMouseOverItem;
extern CSound g_soundMenuExecuteItem;

struct SoundEvent {
    const char* name;       // also the base name of its ".wav" or ".ogg" file
    CSound* sound;
    int32_t playbacks;      // how many may sound at once
};

constexpr int kSoundEventCount = 25;
// The table in loading order.
const SoundEvent* GetSoundEvents();
// The event of that name, or null.
CSound* FindSoundEvent(const char* name);
void LoadSoundEvents();
void FreeSoundEvents();
