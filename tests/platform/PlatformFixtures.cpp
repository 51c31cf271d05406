#include "PlatformFixtures.h"

#include "core/Log.h"
#include "platform/Gfx.h"
#include "platform/Textures.h"
#include "resources/FileManager.h"
#include "tests/support/FormatMakers.h"

#include <algorithm>
#include <cmath>

namespace {

void PutText(Bytes& out, const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        out.push_back(static_cast<uint8_t>(*p));
    }
}

}  // namespace

Bytes MakeTga(int width, int height, int bytesPerPixel, const std::vector<Rgba>& pixels) {
    Bytes stored;
    for (const Rgba& pixel : pixels) {
        stored.push_back(pixel.b);
        stored.push_back(pixel.g);
        stored.push_back(pixel.r);
        if (bytesPerPixel == 4) {
            stored.push_back(pixel.a);
        }
    }
    constexpr uint8_t kUncompressedTrueColour = 2;
    constexpr uint8_t kTopLeftOrigin = 0x20;
    return MakeTga(kUncompressedTrueColour, static_cast<uint8_t>(bytesPerPixel * 8), static_cast<uint16_t>(width),
                   static_cast<uint16_t>(height), kTopLeftOrigin, stored);
}

Bytes MakeSolidTga(int width, int height, int bytesPerPixel, Rgba colour) {
    return MakeTga(width, height, bytesPerPixel, std::vector<Rgba>(size_t(width) * size_t(height), colour));
}

Bytes MakeFontInfo(const std::vector<FontEntry>& entries) {
    Bytes out(2048, 0);
    for (const FontEntry& entry : entries) {
        const int16_t values[4] = {entry.texX, entry.leftSpace, entry.glyphWidth, entry.rightSpace};
        for (int field = 0; field < 4; ++field) {
            const uint16_t bits = static_cast<uint16_t>(values[field]);
            out[size_t(entry.code) * 8 + size_t(field) * 2] = static_cast<uint8_t>(bits);
            out[size_t(entry.code) * 8 + size_t(field) * 2 + 1] = static_cast<uint8_t>(bits >> 8);
        }
    }
    return out;
}

Bytes MakeSineWav(int sampleCount) {
    constexpr uint32_t kRate = 8000;
    Bytes out;
    PutText(out, "RIFF");
    Put32(out, 36 + uint32_t(sampleCount));
    PutText(out, "WAVE");
    PutText(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);       // PCM
    Put16(out, 1);       // mono
    Put32(out, kRate);
    Put32(out, kRate);   // bytes per second
    Put16(out, 1);       // block align
    Put16(out, 8);       // bits per sample
    PutText(out, "data");
    Put32(out, uint32_t(sampleCount));
    for (int i = 0; i < sampleCount; ++i) {
        const double phase = 2.0 * 3.14159265358979 * 440.0 * i / kRate;
        out.push_back(static_cast<uint8_t>(128 + std::lround(100.0 * std::sin(phase))));
    }
    return out;
}

void TransformPoint(const GfxMatrix& world, float x, float y, float& outX, float& outY) {
    outX = x * world.m[0][0] + y * world.m[1][0] + world.m[3][0];
    outY = x * world.m[0][1] + y * world.m[1][1] + world.m[3][1];
}

void CPlatformTest::SetUp() {
    ASSERT_FALSE(m_temp.Path().empty());
    CFileManager::Get().UnmountAll();
    CFileManager::Get().MountFileSystem(m_temp.Path());
    CTextures::Get().FreeAll();
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.ResetRenderStates();
    gfx.LoadIdentity();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    CLog::Get().SetEnabled(true);
    CLog::Get().SetCapture(&m_log);
}

void CPlatformTest::TearDown() {
    CLog::Get().SetCapture(nullptr);
    CTextures::Get().FreeAll();
    CFileManager::Get().UnmountAll();
}

void CPlatformTest::WriteFile(const std::string& name, const Bytes& bytes) const {
    EXPECT_TRUE(WriteFileBytes(PathOf(name), bytes)) << name;
}

Bytes CPlatformTest::ReadFile(const std::string& name) const {
    return ReadFileBytes(PathOf(name));
}

bool CPlatformTest::FileExists(const std::string& name) const {
    return PathExists(PathOf(name));
}

bool CPlatformTest::LogHas(const std::string& line) const {
    return std::find(m_log.begin(), m_log.end(), line) != m_log.end();
}
