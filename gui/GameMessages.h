#pragma once
// The messages of a game's flow, which CGame broadcasts to the states of both layers (the HUD
// among them).
#include "gui/StateNumbers.h"

#include <cstdint>

constexpr int32_t kMessageLevelFinished = 3001;
constexpr int32_t kMessageMulticolorArrived = 3002;
constexpr int32_t kMessageLevelStart = 3003;
constexpr int32_t kMessageReplayLevel = 3004;
constexpr int32_t kMessageLifeLost = 3005;
constexpr int32_t kMessageRowBonus = 3006;
// In editor test play: back to the editor (the editor's own state number).
constexpr int32_t kMessageBackToEditor = kStateEditor;
