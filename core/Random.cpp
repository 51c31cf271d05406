#include "core/Random.h"

#include <ctime>

namespace {
CRandom g_effectsRandom;
std::optional<uint32_t> g_fixedSeed;
}  // namespace

uint32_t TimeSeed() {
    return g_fixedSeed ? *g_fixedSeed : static_cast<uint32_t>(std::time(nullptr));
}

void FixTimeSeed(std::optional<uint32_t> seed) {
    g_fixedSeed = seed;
}

void RandomSeed(uint32_t seed) {
    g_effectsRandom.Seed(seed);
}

int32_t RandomNext() {
    return g_effectsRandom.Next();
}

uint32_t RandomState() {
    return g_effectsRandom.State();
}

void RandomSeedWithTime() {
    RandomSeed(TimeSeed());
}
