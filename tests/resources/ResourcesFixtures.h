#pragma once
// Fixtures shared by the resource tests: a temporary folder, a zip writer with knobs for
// the odd layouts the archive walk must cope with, TGA and JPEG makers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

Bytes BytesOf(const std::string& text);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
// Empty when the file cannot be read.
Bytes ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> ListFolder(const std::string& path);

// A fresh folder under the system's temporary folder, removed with everything in it.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

struct CZipEntrySpec {
    CZipEntrySpec(std::string entryName, Bytes entryData, Bytes extraField = {}, uint16_t compression = 0)
        : name(std::move(entryName)), data(std::move(entryData)), extra(std::move(extraField)), method(compression) {}

    std::string name;
    Bytes data;
    Bytes extra;              // extra field of the local header
    uint16_t method = 0;      // 0 stored, 8 deflated (data are written as given)
    uint8_t signatureFirst = 0x50;
    uint8_t signatureSecond = 0x4B;
};

// A zip file as a standard tool would write it: local headers, data, central directory
// and its end record (both of the latter with the usual "PK" signatures).
Bytes MakeZip(const std::vector<CZipEntrySpec>& entries);

// A TGA file: 18-byte header, an ID field of idLength bytes, then payload as given.
Bytes MakeTga(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
              const Bytes& payload, uint8_t idLength = 0);

// JPEG bytes from libjpeg: components 3 (RGB), 1 (grey) or 4 (CMYK).
Bytes MakeJpeg(int width, int height, int components, const Bytes& pixels, int quality = 95);
// A smooth colour picture, 3 bytes per pixel, top row first.
Bytes MakeGradient(int width, int height);

// Every resource test starts and ends with nothing mounted and captures the log.
class CResourcesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    bool LogHas(const std::string& text) const;

    CTempFolder m_temp;
    std::vector<std::string> m_log;
};
