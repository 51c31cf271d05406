#include "core/Random.h"

#include <ctime>

namespace {
uint32_t g_randomState = 1;
}

void RandomSeed(uint32_t seed) {
    g_randomState = seed;
}

int32_t RandomNext() {
    g_randomState = g_randomState * 214013u + 2531011u;
    return static_cast<int32_t>((g_randomState >> 16) & 0x7FFF);
}

uint32_t RandomState() {
    return g_randomState;
}

void RandomSeedWithTime() {
    RandomSeed(static_cast<uint32_t>(std::time(nullptr)));
}
