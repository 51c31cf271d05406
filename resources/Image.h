#pragma once
// A decoded picture: rows top to bottom (see the TGA loader for the exceptions), each
// pixel R, G, B or R, G, B, A, no padding. Loaders fill the image only on success.
#include <cstdint>
#include <string>
#include <vector>

struct CImage {
    std::vector<uint8_t> pixels;
    int32_t bytesPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class CImageFormat {
public:
    virtual ~CImageFormat() = default;
    virtual const char* GetExtension() const = 0;
    virtual int32_t GetFormatId() const = 0;
    virtual bool SupportsExtension(const std::string& extension) const = 0;
    virtual bool Load(const std::string& fileName, CImage& image) = 0;
    virtual const char* GetDescription() const = 0;
};

class CImageFormatJpg : public CImageFormat {
public:
    const char* GetExtension() const override { return ".jpg"; }
    int32_t GetFormatId() const override { return 1; }
    bool SupportsExtension(const std::string& extension) const override;
    bool Load(const std::string& fileName, CImage& image) override;
    const char* GetDescription() const override { return "JPG Loader v1.00, 2004-11-13"; }
    // Decodes JPEG bytes already in memory (the fuzz target and Load use it). Colour
    // pictures only: grey-scale and four-component (CMYK) files are refused, and so is a
    // picture larger than 8192 pixels on a side. A truncated file decodes what is present.
    static bool Decode(const uint8_t* data, size_t size, const std::string& fileName, CImage& image);
};

class CImageFormatTga : public CImageFormat {
public:
    const char* GetExtension() const override { return ".tga"; }
    int32_t GetFormatId() const override { return 2; }
    bool SupportsExtension(const std::string& extension) const override;
    bool Load(const std::string& fileName, CImage& image) override;
    const char* GetDescription() const override { return "TGA Loader v1.00, 2004-09-23"; }
    // Decodes TGA bytes already in memory (the fuzz target and Load use it).
    // Uncompressed 24/32-bit files come out top row first whatever their origin; run-length
    // (24/32-bit) and 16-bit files keep the row order of the file. Larger than 8192 pixels
    // on a side, an empty picture, other depths and short files are refused.
    static bool Decode(const uint8_t* data, size_t size, const std::string& fileName, CImage& image);
};

class CImageLoader {
public:
    static CImageLoader& Get();
    // name without extension: ".jpg" is tried first, then ".tga".
    bool LoadImage(const std::string& name, CImage& image);

private:
    CImageLoader();
    std::vector<CImageFormat*> m_formats;
    CImageFormatJpg m_jpg;
    CImageFormatTga m_tga;
};
