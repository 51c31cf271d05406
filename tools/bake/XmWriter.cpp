#include "tools/bake/XmWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr char kXmIdText[] = "Extended Module: ";
constexpr uint16_t kXmVersion = 0x0104;
constexpr uint32_t kXmHeaderSize = 276;           // from the header-size field to the patterns
constexpr uint32_t kXmPatternHeaderSize = 9;
constexpr uint32_t kXmInstrumentHeaderSize = 263;  // with the sample header part and padding
constexpr uint32_t kXmSampleHeaderSize = 40;
constexpr int kXmOrderTableSize = 256;
constexpr int kXmMaxRows = 256;
constexpr uint8_t kXmSample16Bit = 0x10;
constexpr uint8_t kXmSampleLoopForward = 0x01;
constexpr uint8_t kXmEnvelopeOn = 0x01;
constexpr uint8_t kXmEnvelopeSustain = 0x02;

class CByteWriter {
public:
    explicit CByteWriter(std::vector<uint8_t>& out) : m_out(out) {}
    void U8(uint32_t value) { m_out.push_back(static_cast<uint8_t>(value & 0xFF)); }
    void U16(uint32_t value) {
        U8(value);
        U8(value >> 8);
    }
    void U32(uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    // A text field of exactly size bytes, padded with zeros (or spaces) and cut if longer.
    void Text(const std::string& text, size_t size, char pad) {
        for (size_t i = 0; i < size; ++i) {
            U8(static_cast<uint8_t>(i < text.size() ? text[i] : pad));
        }
    }
    void Zeros(size_t count) { m_out.insert(m_out.end(), count, 0); }
    void Bytes(const std::vector<uint8_t>& bytes) { m_out.insert(m_out.end(), bytes.begin(), bytes.end()); }

private:
    std::vector<uint8_t>& m_out;
};

void WriteHeader(CByteWriter& out, const XmModule& module) {
    out.Text(kXmIdText, 17, ' ');
    out.Text(module.name, 20, ' ');
    out.U8(0x1A);
    out.Text("Pellora bake", 20, ' ');
    out.U16(kXmVersion);
    out.U32(kXmHeaderSize);
    out.U16(static_cast<uint32_t>(module.orders.size()));
    out.U16(static_cast<uint32_t>(module.restartPosition));
    out.U16(static_cast<uint32_t>(module.channels));
    out.U16(static_cast<uint32_t>(module.patterns.size()));
    out.U16(static_cast<uint32_t>(module.instruments.size()));
    out.U16(1);  // linear frequency table
    out.U16(static_cast<uint32_t>(module.speed));
    out.U16(static_cast<uint32_t>(module.bpm));
    for (int i = 0; i < kXmOrderTableSize; ++i) {
        out.U8(i < static_cast<int>(module.orders.size()) ? module.orders[static_cast<size_t>(i)] : 0);
    }
}

void WritePattern(CByteWriter& out, const XmPattern& pattern, int channels) {
    const std::vector<uint8_t> packed = PackXmPattern(pattern, channels);
    out.U32(kXmPatternHeaderSize);
    out.U8(0);  // packing type
    out.U16(static_cast<uint32_t>(pattern.rows));
    out.U16(static_cast<uint32_t>(packed.size()));
    out.Bytes(packed);
}

void WriteInstrument(CByteWriter& out, const XmInstrument& instrument) {
    out.U32(kXmInstrumentHeaderSize);
    out.Text(instrument.name, 22, '\0');
    out.U8(0);   // type
    out.U16(1);  // one sample
    out.U32(kXmSampleHeaderSize);
    out.Zeros(96);  // every note plays sample 0
    for (int i = 0; i < kXmMaxEnvelopePoints; ++i) {
        const bool used = i < static_cast<int>(instrument.volumeEnvelope.size());
        out.U16(used ? instrument.volumeEnvelope[static_cast<size_t>(i)].tick : 0);
        out.U16(used ? instrument.volumeEnvelope[static_cast<size_t>(i)].value : 0);
    }
    out.Zeros(48);  // panning envelope
    out.U8(static_cast<uint32_t>(instrument.volumeEnvelope.size()));
    out.U8(0);      // panning envelope points
    out.U8(instrument.sustainPoint >= 0 ? static_cast<uint32_t>(instrument.sustainPoint) : 0);
    out.U8(0);      // volume loop start
    out.U8(0);      // volume loop end
    out.Zeros(3);   // panning sustain, loop start, loop end
    uint8_t volumeType = 0;
    if (!instrument.volumeEnvelope.empty()) {
        volumeType |= kXmEnvelopeOn;
        if (instrument.sustainPoint >= 0) {
            volumeType |= kXmEnvelopeSustain;
        }
    }
    out.U8(volumeType);
    out.U8(0);      // panning type
    out.Zeros(4);   // vibrato type, sweep, depth, rate
    out.U16(instrument.fadeout);
    out.Zeros(22);  // reserved

    const bool looped = instrument.loopLength > 0;
    out.U32(static_cast<uint32_t>(instrument.sample.size() * 2));
    out.U32(looped ? instrument.loopStart * 2 : 0);
    out.U32(looped ? instrument.loopLength * 2 : 0);
    out.U8(instrument.volume);
    out.U8(static_cast<uint8_t>(instrument.finetune));
    out.U8(kXmSample16Bit | (looped ? kXmSampleLoopForward : 0));
    out.U8(instrument.panning);
    out.U8(static_cast<uint8_t>(instrument.relativeNote));
    out.U8(0);  // sample packing: delta
    out.Text(instrument.name, 22, '\0');
    out.Bytes(DeltaEncodeSample(instrument.sample));
}

bool Fail(std::string& error, const char* reason, int index) {
    char text[160];
    std::snprintf(text, sizeof(text), "%s (%d)", reason, index);
    error = text;
    return false;
}
}  // namespace

bool ValidateXmModule(const XmModule& module, std::string& error) {
    if (module.channels < 1 || module.channels > kXmMaxChannels) {
        return Fail(error, "channel count out of range", module.channels);
    }
    if (module.orders.empty() || module.orders.size() > kXmOrderTableSize) {
        return Fail(error, "order table size out of range", static_cast<int>(module.orders.size()));
    }
    if (module.restartPosition < 0 || module.restartPosition >= static_cast<int>(module.orders.size())) {
        return Fail(error, "restart position outside the order table", module.restartPosition);
    }
    if (module.speed < 1 || module.speed > 31 || module.bpm < 32 || module.bpm > 255) {
        return Fail(error, "speed or tempo out of range", module.speed);
    }
    if (module.patterns.empty() || module.patterns.size() > 256 || module.instruments.size() > 128) {
        return Fail(error, "pattern or instrument count out of range", static_cast<int>(module.patterns.size()));
    }
    for (const uint8_t order : module.orders) {
        if (order >= module.patterns.size()) {
            return Fail(error, "order names a missing pattern", order);
        }
    }
    for (size_t i = 0; i < module.patterns.size(); ++i) {
        const XmPattern& pattern = module.patterns[i];
        if (pattern.rows < 1 || pattern.rows > kXmMaxRows ||
            pattern.cells.size() != static_cast<size_t>(pattern.rows * module.channels)) {
            return Fail(error, "pattern size does not match its rows and channels", static_cast<int>(i));
        }
        for (const XmCell& cell : pattern.cells) {
            if (cell.note > kXmNoteOff || cell.instrument > module.instruments.size()) {
                return Fail(error, "pattern holds a bad note or instrument", static_cast<int>(i));
            }
        }
    }
    for (size_t i = 0; i < module.instruments.size(); ++i) {
        const XmInstrument& instrument = module.instruments[i];
        if (instrument.sample.empty() || instrument.volume > 64 ||
            instrument.loopStart + instrument.loopLength > instrument.sample.size() ||
            instrument.volumeEnvelope.size() > kXmMaxEnvelopePoints ||
            instrument.sustainPoint >= static_cast<int>(instrument.volumeEnvelope.size())) {
            return Fail(error, "instrument out of range", static_cast<int>(i));
        }
    }
    return true;
}

std::vector<uint8_t> PackXmPattern(const XmPattern& pattern, int channels) {
    std::vector<uint8_t> packed;
    for (int row = 0; row < pattern.rows; ++row) {
        for (int channel = 0; channel < channels; ++channel) {
            const XmCell& cell = pattern.At(row, channel, channels);
            uint8_t flags = 0x80;
            flags |= cell.note != 0 ? 0x01 : 0;
            flags |= cell.instrument != 0 ? 0x02 : 0;
            flags |= cell.volume != 0 ? 0x04 : 0;
            flags |= cell.effect != 0 ? 0x08 : 0;
            flags |= cell.effectParam != 0 ? 0x10 : 0;
            packed.push_back(flags);
            const uint8_t fields[] = {cell.note, cell.instrument, cell.volume, cell.effect, cell.effectParam};
            for (int field = 0; field < 5; ++field) {
                if ((flags & (1 << field)) != 0) {
                    packed.push_back(fields[field]);
                }
            }
        }
    }
    return packed;
}

std::vector<uint8_t> DeltaEncodeSample(const std::vector<int16_t>& sample) {
    std::vector<uint8_t> bytes;
    bytes.reserve(sample.size() * 2);
    int16_t previous = 0;
    for (const int16_t value : sample) {
        const uint16_t delta = static_cast<uint16_t>(static_cast<uint16_t>(value) - static_cast<uint16_t>(previous));
        bytes.push_back(static_cast<uint8_t>(delta & 0xFF));
        bytes.push_back(static_cast<uint8_t>(delta >> 8));
        previous = value;
    }
    return bytes;
}

std::vector<uint8_t> WriteXm(const XmModule& module) {
    std::string error;
    std::vector<uint8_t> bytes;
    if (!ValidateXmModule(module, error)) {
        return bytes;
    }
    CByteWriter out(bytes);
    WriteHeader(out, module);
    for (const XmPattern& pattern : module.patterns) {
        WritePattern(out, pattern, module.channels);
    }
    for (const XmInstrument& instrument : module.instruments) {
        WriteInstrument(out, instrument);
    }
    return bytes;
}

double XmPlayingSeconds(const XmModule& module) {
    // One tick lasts 2.5 / bpm seconds.
    const double secondsPerRow = static_cast<double>(module.speed) * 2.5 / static_cast<double>(module.bpm);
    double seconds = 0.0;
    for (const uint8_t order : module.orders) {
        if (order < module.patterns.size()) {
            seconds += secondsPerRow * module.patterns[order].rows;
        }
    }
    return seconds;
}

void XmTuning(double sampleRate, double toneHz, int8_t& relativeNote, int8_t& finetune) {
    constexpr double kMiddleC = 261.6255653;
    constexpr double kRateAtMiddleC = 8363.0;  // a sample without tuning plays at this rate on C-4
    const double semitones = 12.0 * std::log2(sampleRate * kMiddleC / toneHz / kRateAtMiddleC);
    double whole = std::round(semitones);
    double fine = std::round((semitones - whole) * 128.0);
    if (fine > 127.0) {
        fine -= 128.0;
        whole += 1.0;
    }
    relativeNote = static_cast<int8_t>(std::clamp(whole, -96.0, 95.0));
    finetune = static_cast<int8_t>(std::clamp(fine, -128.0, 127.0));
}
