#include "resources/Image.h"

#include "core/Log.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"

#include <algorithm>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint32_t kLargestSide = 8192;
constexpr uint8_t kImageTypeRunLength = 10;
constexpr uint8_t kTopLeftOrigin = 0x20;

struct CTgaHeader {
    uint8_t idLength = 0;
    uint8_t imageType = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t depth = 0;
    uint8_t descriptor = 0;
};

CTgaHeader ParseHeader(const uint8_t* bytes) {
    CTgaHeader header;
    header.idLength = bytes[0];
    header.imageType = bytes[2];
    header.width = ReadLe16(bytes + 12);
    header.height = ReadLe16(bytes + 14);
    header.depth = bytes[16];
    header.descriptor = bytes[17];
    return header;
}

// B, G, R(, A) as stored becomes R, G, B(, A).
void StorePixel(const uint8_t* stored, uint8_t* out, uint32_t bytesPerPixel) {
    out[0] = stored[2];
    out[1] = stored[1];
    out[2] = stored[0];
    if (bytesPerPixel == 4) {
        out[3] = stored[3];
    }
}

// Packets until every pixel is produced; a packet that runs past the last pixel is cut there.
bool DecodeRunLength(const uint8_t* data, size_t size, uint32_t pixelCount, uint32_t bytesPerPixel,
                     uint8_t* out) {
    size_t read = 0;
    uint32_t produced = 0;
    while (produced < pixelCount) {
        if (read >= size) {
            return false;
        }
        const uint8_t packet = data[read++];
        const bool isRun = packet >= 0x80;
        const uint32_t length = isRun ? packet - 127u : packet + 1u;
        const uint32_t used = std::min(length, pixelCount - produced);
        if (isRun) {
            if (size - read < bytesPerPixel) {
                return false;
            }
            for (uint32_t i = 0; i < used; ++i) {
                StorePixel(data + read, out + static_cast<size_t>(produced + i) * bytesPerPixel, bytesPerPixel);
            }
            read += bytesPerPixel;
        } else {
            if ((size - read) / bytesPerPixel < used) {
                return false;
            }
            for (uint32_t i = 0; i < used; ++i) {
                StorePixel(data + read, out + static_cast<size_t>(produced + i) * bytesPerPixel, bytesPerPixel);
                read += bytesPerPixel;
            }
        }
        produced += used;
    }
    return true;
}

void DecodeRows(const uint8_t* data, const CTgaHeader& header, uint32_t bytesPerPixel, uint8_t* out) {
    const size_t rowBytes = static_cast<size_t>(header.width) * bytesPerPixel;
    const bool topFirst = (header.descriptor & kTopLeftOrigin) != 0;
    for (uint32_t row = 0; row < header.height; ++row) {
        const uint32_t target = topFirst ? row : header.height - 1 - row;
        const uint8_t* source = data + row * rowBytes;
        uint8_t* destination = out + target * rowBytes;
        for (uint32_t x = 0; x < header.width; ++x) {
            StorePixel(source + x * bytesPerPixel, destination + x * bytesPerPixel, bytesPerPixel);
        }
    }
}

// A1 R5 G5 B5 little-endian becomes R, G, B with the low three bits zero.
void DecodeHighColour(const uint8_t* data, uint32_t pixelCount, uint8_t* out) {
    for (uint32_t i = 0; i < pixelCount; ++i) {
        const uint32_t value = ReadLe16(data + 2 * i);
        out[3 * i + 0] = static_cast<uint8_t>((value >> 7) & 0xF8);
        out[3 * i + 1] = static_cast<uint8_t>((value >> 2) & 0xF8);
        out[3 * i + 2] = static_cast<uint8_t>((value & 0x1F) << 3);
    }
}

}  // namespace

bool CImageFormatTga::SupportsExtension(const std::string& extension) const {
    return extension == "tga" || extension == "TGA";
}

bool CImageFormatTga::Load(const std::string& fileName, CImage& image) {
    std::vector<uint8_t> bytes;
    if (!CFileManager::Get().LoadWholeFile(fileName, bytes)) {
        CLog::Get().Write("CImageFormatTga::Load FAILED couldn't open file: %s", fileName.c_str());
        return false;
    }
    return Decode(bytes.data(), bytes.size(), fileName, image);
}

bool CImageFormatTga::Decode(const uint8_t* data, size_t size, const std::string& fileName, CImage& image) {
    if (size < kHeaderSize) {
        CLog::Get().Write("CImageFormatTga::Load FAILED truncated file: %s", fileName.c_str());
        return false;
    }
    const CTgaHeader header = ParseHeader(data);
    const bool runLength = header.imageType == kImageTypeRunLength;
    const bool trueColour = header.depth == 24 || header.depth == 32;
    if (!trueColour && (runLength || header.depth != 16)) {
        CLog::Get().Write("CImageFormatTga::Load FAILED unknown fileformat: %s", fileName.c_str());
        return false;
    }
    if (header.width == 0 || header.height == 0 || header.width > kLargestSide || header.height > kLargestSide) {
        CLog::Get().Write("CImageFormatTga::Load FAILED bad size %ux%u: %s", header.width, header.height,
                          fileName.c_str());
        return false;
    }
    const size_t pixelStart = kHeaderSize + header.idLength;
    const size_t available = size > pixelStart ? size - pixelStart : 0;
    const uint8_t* pixelData = data + std::min(pixelStart, size);
    const uint32_t pixelCount = header.width * header.height;
    const uint32_t storedBytesPerPixel = header.depth / 8;
    const uint32_t bytesPerPixel = trueColour ? storedBytesPerPixel : 3;

    // A raw file must hold every pixel; a run-length one at least one packet per 128 pixels.
    const size_t leastBytes = runLength ? (pixelCount + 127) / 128 * (1 + storedBytesPerPixel)
                                        : static_cast<size_t>(pixelCount) * storedBytesPerPixel;
    if (available < leastBytes) {
        CLog::Get().Write("CImageFormatTga::Load FAILED truncated file: %s", fileName.c_str());
        return false;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(pixelCount) * bytesPerPixel);
    if (runLength) {
        if (!DecodeRunLength(pixelData, available, pixelCount, bytesPerPixel, pixels.data())) {
            CLog::Get().Write("CImageFormatTga::Load FAILED truncated file: %s", fileName.c_str());
            return false;
        }
    } else if (trueColour) {
        DecodeRows(pixelData, header, bytesPerPixel, pixels.data());
    } else {
        DecodeHighColour(pixelData, pixelCount, pixels.data());
    }
    image.pixels = std::move(pixels);
    image.bytesPerPixel = static_cast<int32_t>(bytesPerPixel);
    image.width = static_cast<int32_t>(header.width);
    image.height = static_cast<int32_t>(header.height);
    return true;
}
