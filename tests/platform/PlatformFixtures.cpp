#include "PlatformFixtures.h"

#include "engine/Log.h"
#include "platform/Gfx.h"
#include "platform/Textures.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

void PutU16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(Bytes& out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutText(Bytes& out, const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        out.push_back(static_cast<uint8_t>(*p));
    }
}

}  // namespace

Bytes MakeTga(int width, int height, int bytesPerPixel, const std::vector<Rgba>& pixels) {
    Bytes out(18, 0);
    out[2] = 2;   // uncompressed true colour
    out[12] = static_cast<uint8_t>(width);
    out[13] = static_cast<uint8_t>(width >> 8);
    out[14] = static_cast<uint8_t>(height);
    out[15] = static_cast<uint8_t>(height >> 8);
    out[16] = static_cast<uint8_t>(bytesPerPixel * 8);
    out[17] = 0x20;   // top-left origin
    for (const Rgba& pixel : pixels) {
        out.push_back(pixel.b);
        out.push_back(pixel.g);
        out.push_back(pixel.r);
        if (bytesPerPixel == 4) {
            out.push_back(pixel.a);
        }
    }
    return out;
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
    PutU32(out, 36 + uint32_t(sampleCount));
    PutText(out, "WAVE");
    PutText(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);       // PCM
    PutU16(out, 1);       // mono
    PutU32(out, kRate);
    PutU32(out, kRate);   // bytes per second
    PutU16(out, 1);       // block align
    PutU16(out, 8);       // bits per sample
    PutText(out, "data");
    PutU32(out, uint32_t(sampleCount));
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
    std::string pattern = (std::filesystem::temp_directory_path() / "pellora_platform_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    CFileManager::Get().UnmountAll();
    CFileManager::Get().MountFileSystem(m_folder);
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
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void CPlatformTest::WriteFile(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(PathOf(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes CPlatformTest::ReadFile(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool CPlatformTest::FileExists(const std::string& name) const {
    return std::filesystem::exists(PathOf(name));
}

bool CPlatformTest::LogHas(const std::string& line) const {
    return std::find(m_log.begin(), m_log.end(), line) != m_log.end();
}
