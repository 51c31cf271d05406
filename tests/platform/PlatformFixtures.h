#pragma once
// Fixtures of the platform tests: a temporary folder mounted through the file manager,
// tiny TGA, font info and WAV files written into it, and the captured log.
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct GfxMatrix;

struct Rgba {
    uint8_t r, g, b, a;
};

// An uncompressed TGA with the top-left origin bit set; pixels top row first.
Bytes MakeTga(int width, int height, int bytesPerPixel, const std::vector<Rgba>& pixels);
// One colour for the whole picture.
Bytes MakeSolidTga(int width, int height, int bytesPerPixel, Rgba colour);

struct FontEntry {
    int code;
    int16_t texX, leftSpace, glyphWidth, rightSpace;
};
// A 2048-byte font info file: every entry zero except the given ones.
Bytes MakeFontInfo(const std::vector<FontEntry>& entries);

// A PCM WAV, 8-bit mono at 8000 Hz, holding a sine of the given number of samples.
Bytes MakeSineWav(int sampleCount);

// A point through the world matrix (row vectors: p * m).
void TransformPoint(const GfxMatrix& world, float x, float y, float& outX, float& outY);

// Each test gets a fresh folder as the only mounted file system and the log captured.
class CPlatformTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string PathOf(const std::string& name) const { return m_temp / name; }
    void WriteFile(const std::string& name, const Bytes& bytes) const;
    Bytes ReadFile(const std::string& name) const;
    bool FileExists(const std::string& name) const;
    bool LogHas(const std::string& line) const;

    CTempFolder m_temp;
    std::vector<std::string> m_log;
};
