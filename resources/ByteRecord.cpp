#include "resources/ByteRecord.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- writing

CByteWriter::CByteWriter(std::vector<uint8_t>& out) : m_vector(&out), m_size(out.size()) {}

CByteWriter::CByteWriter(uint8_t* buffer, size_t room) : m_buffer(buffer), m_room(buffer != nullptr ? room : 0) {}

uint8_t* CByteWriter::Claim(size_t count) {
    if (m_failed) {
        return nullptr;
    }
    if (m_counting) {
        m_size += count;
        return nullptr;
    }
    if (m_vector != nullptr) {
        m_vector->resize(m_size + count);
        uint8_t* at = m_vector->data() + m_size;
        m_size += count;
        return at;
    }
    if (count > m_room - m_size) {
        m_failed = true;
        return nullptr;
    }
    uint8_t* at = m_buffer + m_size;
    m_size += count;
    return at;
}

const uint8_t* CByteWriter::Data() const {
    return m_vector != nullptr ? m_vector->data() : m_buffer;
}

void CByteWriter::U8(uint32_t value) {
    if (uint8_t* at = Claim(1)) {
        at[0] = static_cast<uint8_t>(value);
    }
}

void CByteWriter::U16(uint32_t value) {
    if (uint8_t* at = Claim(2)) {
        at[0] = static_cast<uint8_t>(value);
        at[1] = static_cast<uint8_t>(value >> 8);
    }
}

void CByteWriter::U32(uint32_t value) {
    if (uint8_t* at = Claim(4)) {
        for (int32_t i = 0; i < 4; ++i) {
            at[i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
}

void CByteWriter::F32(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void CByteWriter::Varint(uint32_t value) {
    while (value >= 0x80) {
        U8((value & 0x7F) | 0x80);
        value >>= 7;
    }
    U8(value);
}

void CByteWriter::Bytes(const uint8_t* data, size_t count) {
    if (uint8_t* at = Claim(count); at != nullptr && count > 0) {
        std::memcpy(at, data, count);
    }
}

void CByteWriter::Zeros(size_t count) {
    if (uint8_t* at = Claim(count); at != nullptr && count > 0) {
        std::memset(at, 0, count);
    }
}

void CByteWriter::Text(const std::string& text, size_t size) {
    const size_t length = size > 0 ? std::min(text.size(), size - 1) : 0;
    Bytes(reinterpret_cast<const uint8_t*>(text.data()), length);
    Zeros(size - length);
}

void CByteWriter::PatchU32(size_t at, uint32_t value) {
    if (m_failed || at > m_size || m_size - at < 4) {
        m_failed = true;
        return;
    }
    if (m_counting) {
        return;
    }
    uint8_t* bytes = (m_vector != nullptr ? m_vector->data() : m_buffer) + at;
    for (int32_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// ---------------------------------------------------------------- reading

const uint8_t* CByteReader::Take(size_t count) {
    if (m_failed || count > m_size - m_at) {
        m_failed = true;
        return nullptr;
    }
    const uint8_t* at = m_data + m_at;
    m_at += count;
    return at;
}

uint8_t CByteReader::U8() {
    const uint8_t* at = Take(1);
    return at != nullptr ? at[0] : 0;
}

uint16_t CByteReader::U16() {
    const uint8_t* at = Take(2);
    return at != nullptr ? static_cast<uint16_t>(at[0] | (at[1] << 8)) : 0;
}

uint32_t CByteReader::U32() {
    const uint8_t* at = Take(4);
    if (at == nullptr) {
        return 0;
    }
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
           (static_cast<uint32_t>(at[3]) << 24);
}

float CByteReader::F32() {
    const uint32_t bits = U32();
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint32_t CByteReader::Varint() {
    uint32_t value = 0;
    for (int32_t shift = 0; shift < 35; shift += 7) {
        const uint32_t part = U8();
        value |= (part & 0x7F) << shift;
        if ((part & 0x80) == 0) {
            return value;
        }
    }
    m_failed = true;
    return 0;
}

void CByteReader::Bytes(uint8_t* out, size_t count) {
    if (const uint8_t* at = Take(count); at != nullptr && count > 0) {
        std::memcpy(out, at, count);
    }
}

void CByteReader::Bytes(std::vector<uint8_t>& out, size_t count) {
    if (count == 0 && !m_failed) {
        out.clear();
    } else if (const uint8_t* at = Take(count)) {
        out.assign(at, at + count);
    }
}

void CByteReader::Text(std::string& text, size_t size) {
    if (const uint8_t* at = Take(size)) {
        const char* start = reinterpret_cast<const char*>(at);
        text.assign(start, strnlen(start, size));
    }
}

void CByteReader::Skip(size_t count) {
    Take(count);
}
