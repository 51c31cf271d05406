#pragma once
// Plays a replay through the game session without a screen, as the game's replay watcher
// plays it: the recorded steps drive the same game, every move of its flow must come as
// recorded, every level is read from the given levels and must have the cells it was
// recorded with, and every field checksum must agree. The simulator's --replay and the
// tests use it.
#include "game/GameFlow.h"
#include "game/Playfield.h"
#include "game/Replay.h"

#include <string>

// Where a replay's levels come from: the bytes of level `number`, false when there is none.
class IReplayLevels {
public:
    virtual ~IReplayLevels() = default;
    virtual bool LevelBytes(int32_t number, std::vector<uint8_t>& bytes) = 0;
};

struct ReplayVerdict {
    bool agrees = false;
    uint32_t stepsPlayed = 0;
    uint32_t checksAgreed = 0;
    uint32_t divergedAt = 0;       // the step of the first difference
    std::string why;               // what differed
    uint32_t finalScore = 0;       // what the rules gave
    int32_t levelsFinished = 0;
};

ReplayVerdict VerifyReplay(const ReplayData& replay, IReplayLevels& levels);
