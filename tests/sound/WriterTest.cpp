// The WAV and XM writers: header fields, pattern packing, sample encoding, tuning, limits.
#include "tools/bake/WavWriter.h"
#include "tools/bake/XmWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {
uint32_t ReadU16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t offset) {
    return ReadU16(bytes, offset) | (ReadU16(bytes, offset + 2) << 16);
}

std::string ReadText(const std::vector<uint8_t>& bytes, size_t offset, size_t size) {
    return std::string(bytes.begin() + static_cast<long>(offset), bytes.begin() + static_cast<long>(offset + size));
}

TEST(WavWriterTest, HeaderDescribesSixteenBitMono) {
    const SynthSignal signal = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 2.0f, -2.0f};
    const std::vector<uint8_t> wav = WriteWav16Mono(signal, 22050);
    ASSERT_EQ(wav.size(), 44u + signal.size() * 2);
    EXPECT_EQ(ReadText(wav, 0, 4), "RIFF");
    EXPECT_EQ(ReadText(wav, 8, 8), "WAVEfmt ");
    EXPECT_EQ(ReadText(wav, 36, 4), "data");
    const struct {
        size_t offset;
        bool wide;
        uint32_t value;
    } kFields[] = {
        {4, true, 36 + 14},   // RIFF size
        {16, true, 16},       // format chunk size
        {20, false, 1},       // PCM
        {22, false, 1},       // channels
        {24, true, 22050},    // sample rate
        {28, true, 44100},    // bytes per second
        {32, false, 2},       // bytes per frame
        {34, false, 16},      // bits per sample
        {40, true, 14},       // data size
    };
    for (const auto& field : kFields) {
        EXPECT_EQ(field.wide ? ReadU32(wav, field.offset) : ReadU16(wav, field.offset), field.value) << field.offset;
    }
    const int16_t expected[] = {0, 16384, -16384, 32767, -32767, 32767, -32767};
    for (size_t i = 0; i < signal.size(); ++i) {
        EXPECT_EQ(static_cast<int16_t>(ReadU16(wav, 44 + i * 2)), expected[i]) << i;
    }
}

XmModule SmallModule() {
    XmModule module;
    module.name = "Test Tune";
    module.channels = 4;
    module.speed = 5;
    module.bpm = 110;
    module.restartPosition = 1;
    module.orders = {0, 1, 0};
    for (int p = 0; p < 2; ++p) {
        XmPattern pattern;
        pattern.rows = 16 + p * 16;
        pattern.cells.assign(static_cast<size_t>(pattern.rows * module.channels), XmCell());
        module.patterns.push_back(pattern);
    }
    module.patterns[0].At(0, 0, 4) = XmCell{49, 1, 0x50, 0x0C, 0x20};
    module.patterns[0].At(1, 2, 4).note = kXmNoteOff;
    XmInstrument instrument;
    instrument.name = "tone";
    instrument.sample = {0, 1000, -1000, 32767, -32768, 5};
    instrument.loopStart = 2;
    instrument.loopLength = 3;
    instrument.relativeNote = 12;
    instrument.finetune = -7;
    instrument.volume = 48;
    instrument.volumeEnvelope = {{0, 0}, {10, 64}, {20, 40}};
    instrument.sustainPoint = 2;
    instrument.fadeout = 700;
    module.instruments.push_back(instrument);
    return module;
}

TEST(XmWriterTest, HeaderFieldsMatchTheModule) {
    const XmModule module = SmallModule();
    const std::vector<uint8_t> xm = WriteXm(module);
    ASSERT_GT(xm.size(), 336u);
    EXPECT_EQ(ReadText(xm, 0, 17), "Extended Module: ");
    EXPECT_EQ(ReadText(xm, 17, 20), "Test Tune           ");
    EXPECT_EQ(xm[37], 0x1A);
    const struct {
        size_t offset;
        bool wide;
        uint32_t value;
        const char* field;
    } kFields[] = {
        {58, false, 0x0104, "version"},   {60, true, 276, "header size"},
        {64, false, 3, "song length"},    {66, false, 1, "restart position"},
        {68, false, 4, "channels"},       {70, false, 2, "patterns"},
        {72, false, 1, "instruments"},    {74, false, 1, "linear frequencies"},
        {76, false, 5, "speed"},          {78, false, 110, "tempo"},
    };
    for (const auto& field : kFields) {
        EXPECT_EQ(field.wide ? ReadU32(xm, field.offset) : ReadU16(xm, field.offset), field.value) << field.field;
    }
    EXPECT_EQ(xm[80], 0);
    EXPECT_EQ(xm[81], 1);
    EXPECT_EQ(xm[82], 0);
    for (size_t i = 83; i < 336; ++i) {
        ASSERT_EQ(xm[i], 0) << "order table entry " << i - 80;
    }
}

TEST(XmWriterTest, PatternsPackEveryCellAndInstrumentsLeadToTheirSamples) {
    const XmModule module = SmallModule();
    const std::vector<uint8_t> xm = WriteXm(module);
    size_t offset = 60 + ReadU32(xm, 60);
    for (const XmPattern& pattern : module.patterns) {
        EXPECT_EQ(ReadU32(xm, offset), 9u);
        EXPECT_EQ(xm[offset + 4], 0);
        EXPECT_EQ(ReadU16(xm, offset + 5), static_cast<uint32_t>(pattern.rows));
        const uint32_t packedSize = ReadU16(xm, offset + 7);
        const std::vector<uint8_t> packed = PackXmPattern(pattern, module.channels);
        ASSERT_EQ(packedSize, packed.size());
        EXPECT_TRUE(std::equal(packed.begin(), packed.end(), xm.begin() + static_cast<long>(offset + 9)));
        offset += 9 + packedSize;
    }
    // Pattern 0: a full cell, then empty cells of one byte each, then a lone key off.
    const std::vector<uint8_t> packed = PackXmPattern(module.patterns[0], module.channels);
    const std::vector<uint8_t> start = {0x9F, 49, 1, 0x50, 0x0C, 0x20, 0x80, 0x80, 0x80, 0x80, 0x80, 0x81, kXmNoteOff, 0x80};
    ASSERT_GE(packed.size(), start.size());
    EXPECT_TRUE(std::equal(start.begin(), start.end(), packed.begin()));
    EXPECT_EQ(packed.size(), start.size() + (16 * 4 - 8));

    const XmInstrument& instrument = module.instruments[0];
    const size_t header = offset;
    EXPECT_EQ(ReadU32(xm, header), 263u);
    EXPECT_EQ(ReadText(xm, header + 4, 4), "tone");
    EXPECT_EQ(ReadU16(xm, header + 27), 1u);          // samples
    EXPECT_EQ(ReadU32(xm, header + 29), 40u);         // sample header size
    EXPECT_EQ(ReadU16(xm, header + 129 + 4), 10u);    // second envelope point: tick
    EXPECT_EQ(ReadU16(xm, header + 129 + 6), 64u);    //                        value
    EXPECT_EQ(xm[header + 225], 3);                   // envelope points
    EXPECT_EQ(xm[header + 227], 2);                   // sustain point
    EXPECT_EQ(xm[header + 233], 0x03);                // envelope on, with sustain
    EXPECT_EQ(ReadU16(xm, header + 239), 700u);       // fadeout
    const size_t sample = header + 263;
    EXPECT_EQ(ReadU32(xm, sample), 12u);              // length in bytes
    EXPECT_EQ(ReadU32(xm, sample + 4), 4u);           // loop start in bytes
    EXPECT_EQ(ReadU32(xm, sample + 8), 6u);           // loop length in bytes
    EXPECT_EQ(xm[sample + 12], 48);
    EXPECT_EQ(static_cast<int8_t>(xm[sample + 13]), -7);
    EXPECT_EQ(xm[sample + 14], 0x11);                 // 16-bit, forward loop
    EXPECT_EQ(static_cast<int8_t>(xm[sample + 16]), 12);
    // The delta-encoded data decodes back to the sample and ends the file.
    const size_t data = sample + 40;
    ASSERT_EQ(xm.size(), data + instrument.sample.size() * 2);
    int16_t value = 0;
    for (size_t i = 0; i < instrument.sample.size(); ++i) {
        value = static_cast<int16_t>(value + static_cast<int16_t>(ReadU16(xm, data + i * 2)));
        EXPECT_EQ(value, instrument.sample[i]) << i;
    }
}

TEST(XmWriterTest, BrokenModulesAreRefused) {
    const struct {
        const char* what;
        void (*breakIt)(XmModule&);
    } kCases[] = {
        {"order names a missing pattern", [](XmModule& m) { m.orders.push_back(7); }},
        {"restart beyond the orders", [](XmModule& m) { m.restartPosition = 3; }},
        {"no orders", [](XmModule& m) { m.orders.clear(); }},
        {"too many channels", [](XmModule& m) { m.channels = 33; }},
        {"cells do not fit rows", [](XmModule& m) { m.patterns[1].cells.pop_back(); }},
        {"unknown instrument in a cell", [](XmModule& m) { m.patterns[1].cells[0].instrument = 2; }},
        {"loop past the sample end", [](XmModule& m) { m.instruments[0].loopLength = 5; }},
        {"sustain point past the envelope", [](XmModule& m) { m.instruments[0].sustainPoint = 3; }},
        {"tempo too slow", [](XmModule& m) { m.bpm = 20; }},
        {"empty sample", [](XmModule& m) { m.instruments[0].sample.clear(); m.instruments[0].loopLength = 0; }},
    };
    std::string error;
    ASSERT_TRUE(ValidateXmModule(SmallModule(), error)) << error;
    for (const auto& test : kCases) {
        XmModule module = SmallModule();
        test.breakIt(module);
        EXPECT_FALSE(ValidateXmModule(module, error)) << test.what;
        EXPECT_FALSE(error.empty()) << test.what;
        EXPECT_TRUE(WriteXm(module).empty()) << test.what;
    }
}

TEST(XmWriterTest, PlayingTimeFollowsOrdersRowsSpeedAndTempo) {
    XmModule module = SmallModule();
    // 16 + 32 + 16 rows, 5 ticks a row, a tick 2.5 / 110 s.
    EXPECT_NEAR(XmPlayingSeconds(module), 64 * 5 * 2.5 / 110.0, 1e-9);
    module.speed = 6;
    module.bpm = 125;
    module.orders = {1, 1, 1};
    EXPECT_NEAR(XmPlayingSeconds(module), 96 * 6 * 2.5 / 125.0, 1e-9);
}

TEST(XmWriterTest, TuningPlacesMiddleCOnNoteCFour) {
    const struct {
        double sampleRate;
        double toneHz;
        int relativeNote;
        int finetune;
    } kCases[] = {
        {8363.0, 261.6255653, 0, 0},         // untuned sample at its native rate
        {16726.0, 261.6255653, 12, 0},       // recorded at twice the rate: an octave up
        {8363.0, 523.2511306, -12, 0},       // holding a C5: an octave down
        {22050.0, 22050.0 / 128.0, 24, 2},   // 128-sample period: about two octaves, slightly sharp
        {44100.0, 440.0, 20, -28},           // an A4 at 44.1 kHz
    };
    for (const auto& test : kCases) {
        int8_t relativeNote = 99;
        int8_t finetune = 99;
        XmTuning(test.sampleRate, test.toneHz, relativeNote, finetune);
        EXPECT_EQ(relativeNote, test.relativeNote) << test.sampleRate << " " << test.toneHz;
        EXPECT_EQ(finetune, test.finetune) << test.sampleRate << " " << test.toneHz;
    }
}
}  // namespace
