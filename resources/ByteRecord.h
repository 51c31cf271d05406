#pragma once
// The one reader and writer of Pellora's own little-endian records: replays, saved games,
// the player list, the replay index, network messages and match records.
//
// The writer appends to a byte vector, fills a fixed buffer (a network packet) without
// allocating, or only counts the bytes. The reader walks a span of bytes. Both are bounded: a read past the end gives
// zeros and a write past the room writes nothing, and either sets a failure flag that stays
// set, so a codec reads or writes a whole record and asks Failed() once.
//
// A record whose fields are the same both ways is one list of fields, a template over
// CFieldWriter and CFieldReader: their operations have the same names and take each field
// by reference, so reading and writing can never disagree about a layout.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CByteWriter {
public:
    // Writes nothing and counts: the size a record would take.
    CByteWriter() : m_counting(true) {}
    // Appends to out (what it holds already stays in front).
    explicit CByteWriter(std::vector<uint8_t>& out);
    // Fills buffer from its start; more than room bytes fail.
    CByteWriter(uint8_t* buffer, size_t room);

    void U8(uint32_t value);
    void U16(uint32_t value);
    void U32(uint32_t value);
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value);
    // Seven bits a byte, lowest first; the top bit says another byte follows.
    void Varint(uint32_t value);
    void Bytes(const uint8_t* data, size_t count);
    void Zeros(size_t count);
    // A text field of size bytes: the text cut to size - 1 bytes, then zeros.
    void Text(const std::string& text, size_t size);
    // Overwrites four bytes written before (a length or a CRC known only at the end).
    void PatchU32(size_t at, uint32_t value);

    size_t Size() const { return m_size; }
    // The bytes written so far (from the start of the buffer or the vector).
    const uint8_t* Data() const;
    bool Failed() const { return m_failed; }

private:
    // Where the next count bytes go, or null (and failed) when they do not fit.
    uint8_t* Claim(size_t count);

    std::vector<uint8_t>* m_vector = nullptr;
    uint8_t* m_buffer = nullptr;
    size_t m_room = 0;
    size_t m_size = 0;
    bool m_counting = false;
    bool m_failed = false;
};

class CByteReader {
public:
    CByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(data != nullptr ? size : 0) {}
    explicit CByteReader(const std::vector<uint8_t>& bytes) : CByteReader(bytes.data(), bytes.size()) {}

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32();
    // A varint of at most five bytes; a longer one fails.
    uint32_t Varint();
    // count bytes into out; fails (out untouched) when fewer are left.
    void Bytes(uint8_t* out, size_t count);
    void Bytes(std::vector<uint8_t>& out, size_t count);
    // A text field of size bytes: the text up to its first zero, or all size bytes.
    void Text(std::string& text, size_t size);
    void Skip(size_t count);
    // The codec found a value it refuses: the record fails as if it were cut short.
    void Fail() { m_failed = true; }

    size_t Position() const { return m_at; }
    size_t Left() const { return m_size - m_at; }
    bool AtEnd() const { return m_at >= m_size; }
    bool Failed() const { return m_failed; }

private:
    // The next count bytes, or null (and failed) when fewer are left.
    const uint8_t* Take(size_t count);

    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_failed = false;
};

// The writing half of a field list.
class CFieldWriter {
public:
    static constexpr bool kReading = false;
    explicit CFieldWriter(CByteWriter& out) : m_out(out) {}

    void U8(const uint8_t& value) { m_out.U8(value); }
    void U16(const uint16_t& value) { m_out.U16(value); }
    void U32(const uint32_t& value) { m_out.U32(value); }
    void I32(const int32_t& value) { m_out.I32(value); }
    void F32(const float& value) { m_out.F32(value); }
    // One byte, 1 or 0.
    void Flag(const bool& value) { m_out.U8(value ? 1 : 0); }
    void Flag(const uint8_t& value) { m_out.U8(value != 0 ? 1 : 0); }
    // One byte that must be 1 or 0 when read.
    void ExactFlag(const bool& value) { m_out.U8(value ? 1 : 0); }
    void Text(const std::string& text, size_t size) { m_out.Text(text, size); }
    // A character buffer byte for byte, whatever it holds.
    template <size_t N>
    void Chars(const char (&text)[N]) {
        m_out.Bytes(reinterpret_cast<const uint8_t*>(text), N);
    }

    bool Failed() const { return m_out.Failed(); }

private:
    CByteWriter& m_out;
};

// The reading half of a field list.
class CFieldReader {
public:
    static constexpr bool kReading = true;
    explicit CFieldReader(CByteReader& in) : m_in(in) {}

    void U8(uint8_t& value) { value = m_in.U8(); }
    void U16(uint16_t& value) { value = m_in.U16(); }
    void U32(uint32_t& value) { value = m_in.U32(); }
    void I32(int32_t& value) { value = m_in.I32(); }
    void F32(float& value) { value = m_in.F32(); }
    // Any byte but 0 is set.
    void Flag(bool& value) { value = m_in.U8() != 0; }
    void Flag(uint8_t& value) { value = m_in.U8() != 0 ? 1 : 0; }
    // A byte other than 1 or 0 fails the record.
    void ExactFlag(bool& value) {
        const uint8_t byte = m_in.U8();
        if (byte > 1) {
            m_in.Fail();
        }
        value = byte == 1;
    }
    void Text(std::string& text, size_t size) { m_in.Text(text, size); }
    template <size_t N>
    void Chars(char (&text)[N]) {
        m_in.Bytes(reinterpret_cast<uint8_t*>(text), N);
    }

    bool Failed() const { return m_in.Failed(); }

private:
    CByteReader& m_in;
};
