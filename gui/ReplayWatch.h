#pragma once
// What watching a game's replay and watching a kept match share: the keys (pause, speed)
// and the banner at the top of the field.
#include "platform/Sprite.h"

#include <cstdint>
#include <string>

// P, Space, Pause, the pad's Start or A pause and resume; Right and Left (or the pad's)
// double and halve the speed between 1 and 4 steps per step.
void ReadReplayWatchKeys(bool& paused, int32_t& speed);
// The shaded box behind the banner, placed at the top of the field.
void PrepareReplayBannerShade(CSprite& shade);
// The banner ("REPLAY x2", the end, a difference) at titleSize over its shade, with the keys
// under it.
void DrawReplayBanner(const CSprite& shade, const std::string& banner, int32_t titleSize);
// "REPLAY" and the speed or the pause.
std::string ReplayBannerText(bool paused, int32_t speed);
