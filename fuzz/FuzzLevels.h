#pragma once
// The levels the replay fuzz target and its seeds play: 1 and 2, a top row of colour 0
// above a short row of colours 1 to 3.
#include "game/ReplayPlayback.h"

#include <cstdint>
#include <vector>

class CFuzzLevels final : public IReplayLevels {
public:
    bool LevelBytes(int32_t number, std::vector<uint8_t>& bytes) override;
};
