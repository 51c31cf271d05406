#include "app/SoundEvents.h"

#include <cstring>

namespace {
CSound g_soundEvents[kGameSoundCount];

EGameSound EventAt(int32_t index) {
    return static_cast<EGameSound>(index);
}

void PlaySoundEvent(EGameSound sound, void*) {
    GetSoundEvent(sound).Play();
}
}  // namespace

CSound& GetSoundEvent(EGameSound sound) {
    const int32_t index = static_cast<int32_t>(sound);
    return g_soundEvents[(index >= 0 && index < kGameSoundCount) ? index : 0];
}

CSound* FindSoundEvent(const char* name) {
    for (int32_t i = 0; i < kGameSoundCount; ++i) {
        if (std::strcmp(GameSoundName(EventAt(i)), name) == 0) {
            return &g_soundEvents[i];
        }
    }
    return nullptr;
}

void LoadSoundEvents() {
    for (int32_t i = 0; i < kGameSoundCount; ++i) {
        g_soundEvents[i].Load(GameSoundName(EventAt(i)), GameSoundPlaybacks(EventAt(i)));
    }
}

void FreeSoundEvents() {
    for (CSound& sound : g_soundEvents) {
        sound.Free();
    }
}

void InstallSoundEventHandler() {
    SetGameSoundHandler(&PlaySoundEvent, nullptr);
}
