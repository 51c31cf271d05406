#pragma once
// A tracker module in the extended-module (XM, version 0x0104) layout: header, order
// table, packed patterns and instruments with one 16-bit delta-encoded sample each.
#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t kXmNoteOff = 97;       // the key-off note
constexpr int kXmMaxChannels = 32;
constexpr int kXmMaxEnvelopePoints = 12;

struct XmCell {
    uint8_t note = 0;          // 0 nothing, 1 = C-0 .. 96 = B-7, 97 key off
    uint8_t instrument = 0;    // 0 nothing, 1.. instrument number
    uint8_t volume = 0;        // volume column: 0 nothing, 0x10..0x50 set volume 0..64
    uint8_t effect = 0;
    uint8_t effectParam = 0;

    bool IsEmpty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && effectParam == 0; }
};

struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells;   // rows * channels, row by row

    XmCell& At(int row, int channel, int channels) { return cells[static_cast<size_t>(row * channels + channel)]; }
    const XmCell& At(int row, int channel, int channels) const {
        return cells[static_cast<size_t>(row * channels + channel)];
    }
};

struct XmEnvelopePoint {
    uint16_t tick = 0;
    uint16_t value = 0;       // 0..64
};

struct XmInstrument {
    std::string name;
    std::vector<int16_t> sample;
    uint32_t loopStart = 0;     // in sample frames
    uint32_t loopLength = 0;    // 0: no loop
    uint8_t volume = 64;
    int8_t finetune = 0;
    int8_t relativeNote = 0;
    uint8_t panning = 128;
    std::vector<XmEnvelopePoint> volumeEnvelope;   // empty: no envelope
    int sustainPoint = -1;                        // index into volumeEnvelope, -1 none
    uint16_t fadeout = 0;
};

struct XmModule {
    std::string name;
    int channels = 8;
    int speed = 6;            // ticks per row
    int bpm = 125;
    int restartPosition = 0;
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// False (with a reason) when the module breaks a limit of the layout.
bool ValidateXmModule(const XmModule& module, std::string& error);
// The file bytes; empty when the module is not valid.
std::vector<uint8_t> WriteXm(const XmModule& module);
// One pattern's packed data, as stored after its pattern header.
std::vector<uint8_t> PackXmPattern(const XmPattern& pattern, int channels);
// Sample data as stored: little-endian 16-bit differences to the previous value.
std::vector<uint8_t> DeltaEncodeSample(const std::vector<int16_t>& sample);
// Seconds the order table takes once through (the module uses no speed changes).
double XmPlayingSeconds(const XmModule& module);
// The relative note and finetune that make a sample recorded at sampleRate, holding a
// tone of toneHz, sound at its true pitch: middle C (C4 = 261.63 Hz) on note C-4.
void XmTuning(double sampleRate, double toneHz, int8_t& relativeNote, int8_t& finetune);
