#pragma once
// The sound events of the game, played by name through one installable handler, so that
// the rules stay free of the audio code: the game installs a handler that plays the
// event's sound object; tests and the simulator leave it silent or count the plays.
#include <cstdint>

enum class EGameSound : int32_t {
    PowerupExplosion,
    PowerupChangeColor,
    PowerupArrow,
    PowerupMulticolorBall,
    FireBall,
    BallStick,
    LevelDone,
    SwapBall,
    MoveLevelDown,
    Countdown,
    BallHitObstacle,
    ShakeLevel,
    GameOver,
    Combo,
    ExtraLife,
    LevelDonePerfect,
    PowerupArrowEachBallHit,
    BallRemoveMultiball,
    PowerupMulticolorBallMissed,
    BallRemove,
    PowerupExplosionSmall,
    PowerupMulticolorBallArrived,
    GameDone,
    MenuMouseOverItem,
    MenuExecuteItem,
    Count
};

constexpr int32_t kGameSoundCount = static_cast<int32_t>(EGameSound::Count);

using GameSoundHandler = void (*)(EGameSound sound, void* user);

// The event's name, which is also the base name of its sound file ("ball_stick").
const char* GameSoundName(EGameSound sound);
// How many playbacks of the event may sound at once.
int32_t GameSoundPlaybacks(EGameSound sound);
// Null silences every event.
void SetGameSoundHandler(GameSoundHandler handler, void* user);
void PlayGameSound(EGameSound sound);

// Where a playfield's sound events go: each field has its own, so that a screen chooses
// which fields are heard (a versus match hears the player's own field, not the computer's).
class IGameSoundSink {
public:
    virtual ~IGameSoundSink() = default;
    virtual void Play(EGameSound sound) = 0;
};

// The sink every field starts with: its events go to the installed handler (PlayGameSound).
IGameSoundSink& HeardSounds();
// The sink of a field nobody listens to: it plays nothing.
IGameSoundSink& SilentSounds();
