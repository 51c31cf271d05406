#pragma once
// The one process-wide pseudo-random generator that every rule of the game draws from:
// state = state * 214013 + 2531011 (mod 2^32); a draw is bits 16..30 of the new state.
#include <cstdint>

constexpr int32_t kRandomMax = 32767;

void RandomSeed(uint32_t seed);
// The next number, 0..32767.
int32_t RandomNext();
uint32_t RandomState();
// Seeds with the current time in seconds (engine creation, game start, level load).
void RandomSeedWithTime();
