#pragma once
// The sound events of the game: one CSound each, loaded at start-up in the order of
// EGameSound. Game and GUI code play an event with PlayGameSound(EGameSound::Combo) once
// the handler is installed, or through its object: GetSoundEvent(EGameSound::Combo).Play().
#include "game/GameSounds.h"
#include "platform/Sound.h"

CSound& GetSoundEvent(EGameSound sound);
// The event whose name is given ("combo"), or null.
CSound* FindSoundEvent(const char* name);
void LoadSoundEvents();
void FreeSoundEvents();
// Makes PlayGameSound play the event's sound object.
void InstallSoundEventHandler();
