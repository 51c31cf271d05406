#pragma once
// A mono 16-bit PCM RIFF/WAVE file from a float signal (-1..1, rounded, clamped).
#include "tools/bake/Synth.h"

#include <cstdint>
#include <vector>

std::vector<uint8_t> WriteWav16Mono(const SynthSignal& signal, int sampleRate);
// The 16-bit value a float sample becomes in the file.
int16_t FloatToPcm16(float sample);
