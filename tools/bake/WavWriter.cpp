#include "tools/bake/WavWriter.h"

#include <algorithm>
#include <cmath>

namespace {
void PutU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(tag[i]));
    }
}
}  // namespace

int16_t FloatToPcm16(float sample) {
    const float scaled = std::round(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
    return static_cast<int16_t>(scaled);
}

std::vector<uint8_t> WriteWav16Mono(const SynthSignal& signal, int sampleRate) {
    const uint32_t dataBytes = static_cast<uint32_t>(signal.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    PutU32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);                                   // format chunk size
    PutU16(out, 1);                                    // PCM
    PutU16(out, 1);                                    // mono
    PutU32(out, static_cast<uint32_t>(sampleRate));
    PutU32(out, static_cast<uint32_t>(sampleRate) * 2);  // bytes per second
    PutU16(out, 2);                                    // bytes per frame
    PutU16(out, 16);                                   // bits per sample
    PutTag(out, "data");
    PutU32(out, dataBytes);
    for (const float sample : signal) {
        PutU16(out, static_cast<uint16_t>(FloatToPcm16(sample)));
    }
    return out;
}
