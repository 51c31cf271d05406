#include "tests/resources/ResourcesFixtures.h"

#include "engine/Log.h"
#include "resources/Crc32.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jpeglib.h>

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(path)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

CTempFolder::CTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pellora-res-XXXXXX").string();
    if (::mkdtemp(pattern.data())) {
        m_path = pattern;
    }
}

CTempFolder::~CTempFolder() {
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

namespace {

void Put16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

}  // namespace

Bytes MakeZip(const std::vector<CZipEntrySpec>& entries) {
    Bytes archive;
    Bytes central;
    for (const CZipEntrySpec& entry : entries) {
        const uint32_t localOffset = static_cast<uint32_t>(archive.size());
        const uint32_t crc = Crc32(entry.data.data(), entry.data.size());
        const uint32_t size = static_cast<uint32_t>(entry.data.size());
        archive.push_back(entry.signatureFirst);
        archive.push_back(entry.signatureSecond);
        archive.push_back(0x03);
        archive.push_back(0x04);
        Put16(archive, 20);            // version needed
        Put16(archive, 0);             // flags
        Put16(archive, entry.method);
        Put16(archive, 0x6000);        // time
        Put16(archive, 0x5821);        // date
        Put32(archive, crc);
        Put32(archive, size);          // compressed size
        Put32(archive, size);          // uncompressed size (stand-in for deflated data)
        Put16(archive, static_cast<uint32_t>(entry.name.size()));
        Put16(archive, static_cast<uint32_t>(entry.extra.size()));
        Append(archive, BytesOf(entry.name));
        Append(archive, entry.extra);
        Append(archive, entry.data);

        Put32(central, 0x02014B50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, 0);
        Put16(central, entry.method);
        Put16(central, 0x6000);
        Put16(central, 0x5821);
        Put32(central, crc);
        Put32(central, size);
        Put32(central, size);
        Put16(central, static_cast<uint32_t>(entry.name.size()));
        Put16(central, 0);             // extra
        Put16(central, 0);             // comment
        Put16(central, 0);             // disk
        Put16(central, 0);             // internal attributes
        Put32(central, 0);             // external attributes
        Put32(central, localOffset);
        Append(central, BytesOf(entry.name));
    }
    const uint32_t centralOffset = static_cast<uint32_t>(archive.size());
    Append(archive, central);
    Put32(archive, 0x06054B50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, static_cast<uint32_t>(entries.size()));
    Put16(archive, static_cast<uint32_t>(entries.size()));
    Put32(archive, static_cast<uint32_t>(central.size()));
    Put32(archive, centralOffset);
    Put16(archive, 0);
    return archive;
}

Bytes MakeTga(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
              const Bytes& payload, uint8_t idLength) {
    Bytes file(18, 0);
    file[0] = idLength;
    file[2] = imageType;
    file[12] = static_cast<uint8_t>(width);
    file[13] = static_cast<uint8_t>(width >> 8);
    file[14] = static_cast<uint8_t>(height);
    file[15] = static_cast<uint8_t>(height >> 8);
    file[16] = depth;
    file[17] = descriptor;
    for (uint8_t i = 0; i < idLength; ++i) {
        file.push_back(static_cast<uint8_t>(0xA0 + i));
    }
    Append(file, payload);
    return file;
}

Bytes MakeJpeg(int width, int height, int components, const Bytes& pixels, int quality) {
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + rowBytes * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

Bytes MakeGradient(int width, int height) {
    Bytes pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<uint8_t>(40 + x * 160 / width));
            pixels.push_back(static_cast<uint8_t>(30 + y * 180 / height));
            pixels.push_back(static_cast<uint8_t>(200 - (x + y) * 100 / (width + height)));
        }
    }
    return pixels;
}

void CResourcesTest::SetUp() {
    ASSERT_FALSE(m_temp.Path().empty());
    CFileManager::Get().UnmountAll();
    CLog::Get().SetEnabled(true);
    CLog::Get().SetCapture(&m_log);
}

void CResourcesTest::TearDown() {
    CFileManager::Get().UnmountAll();
    CLog::Get().SetCapture(nullptr);
}

bool CResourcesTest::LogHas(const std::string& text) const {
    for (const std::string& line : m_log) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}
