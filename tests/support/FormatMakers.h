#pragma once
// Bytes of the file formats the game reads, made by the tests and the fuzz seed maker:
// little-endian fields, zip archives with knobs for the odd layouts the archive walk must
// cope with, TGA and JPEG pictures.
#include "tests/support/TestFiles.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Little-endian fields.
void Put16(Bytes& out, uint32_t value);
void Put32(Bytes& out, uint32_t value);

struct CZipEntrySpec {
    CZipEntrySpec(std::string entryName, Bytes entryData, Bytes extraField = {}, uint16_t compression = 0)
        : name(std::move(entryName)), data(std::move(entryData)), extra(std::move(extraField)), method(compression) {}

    std::string name;
    Bytes data;
    Bytes extra;              // extra field of the local header
    uint16_t method = 0;      // 0 stored, 8 deflated (data are written as given)
    uint8_t signatureFirst = 0x50;
    uint8_t signatureSecond = 0x4B;
    uint16_t time = 0x6000;   // DOS time and date of both headers
    uint16_t date = 0x5821;
};

// A zip file as a standard tool would write it: local headers, data, central directory
// and its end record (both of the latter with the usual "PK" signatures).
Bytes MakeZip(const std::vector<CZipEntrySpec>& entries);

// A TGA file: the 18-byte header, the ID field as given, then the payload as given.
Bytes MakeTgaWithId(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
                    const Bytes& idField, const Bytes& payload);
// The same with an ID field of idLength filler bytes (0xA0, 0xA1, ...).
Bytes MakeTga(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
              const Bytes& payload, uint8_t idLength = 0);

struct CJpegOptions {
    bool progressive = false;
    bool fullChroma = false;   // no chroma subsampling (colour pictures only)
    int restartRows = 0;       // a restart marker every this many MCU rows; 0 for none
};

// JPEG bytes from libjpeg: components 3 (RGB), 1 (grey) or 4 (CMYK); pixels top row first.
Bytes MakeJpeg(int width, int height, int components, const Bytes& pixels, int quality = 95,
               const CJpegOptions& options = {});
