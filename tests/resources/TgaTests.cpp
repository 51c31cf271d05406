// TGA decoding: raw, run-length and 16-bit pictures, and the files that are refused.
#include "tests/resources/ResourcesFixtures.h"

#include "resources/FileManager.h"
#include "resources/Image.h"

namespace {

class TgaTest : public CResourcesTest {
protected:
    bool Decode(const Bytes& file, CImage& image) {
        return CImageFormatTga::Decode(file.data(), file.size(), "pic.tga", image);
    }
};

// A 3 by 2 picture, top row first, as R, G, B.
const Bytes kTopDownRgb = {
    255, 0, 0,     0, 255, 0,     0, 0, 255,
    10, 20, 30,    40, 50, 60,    70, 80, 90,
};

// The same picture stored B, G, R, with rows in the given order.
Bytes StoredRows(bool bottomRowFirst) {
    Bytes stored;
    for (int i = 0; i < 2; ++i) {
        const int row = bottomRowFirst ? 1 - i : i;
        for (int x = 0; x < 3; ++x) {
            const uint8_t* pixel = &kTopDownRgb[static_cast<size_t>((row * 3 + x) * 3)];
            stored.insert(stored.end(), {pixel[2], pixel[1], pixel[0]});
        }
    }
    return stored;
}

TEST_F(TgaTest, BothRowOrdersDecodeTopRowFirst) {
    const struct {
        const char* what;
        uint8_t imageType;
        uint8_t descriptor;
        bool bottomRowFirst;
        uint8_t idLength;
    } cases[] = {
        {"bottom-left origin", 2, 0x00, true, 0},
        {"top-left origin", 2, 0x20, false, 0},
        {"bottom-left with ID field", 2, 0x00, true, 7},
        {"other image type, top-left", 0, 0x28, false, 0},
    };
    for (const auto& c : cases) {
        CImage image;
        ASSERT_TRUE(Decode(MakeTga(c.imageType, 24, 3, 2, c.descriptor, StoredRows(c.bottomRowFirst), c.idLength),
                           image))
            << c.what;
        EXPECT_EQ(image.width, 3) << c.what;
        EXPECT_EQ(image.height, 2) << c.what;
        EXPECT_EQ(image.bytesPerPixel, 3) << c.what;
        EXPECT_EQ(image.pixels, kTopDownRgb) << c.what;
    }
}

TEST_F(TgaTest, ThirtyTwoBitsKeepAlpha) {
    const Bytes stored = {1, 2, 3, 4, 5, 6, 7, 8};  // two pixels B, G, R, A; bottom-left origin
    CImage image;
    ASSERT_TRUE(Decode(MakeTga(2, 32, 1, 2, 0x08, stored), image));
    EXPECT_EQ(image.bytesPerPixel, 4);
    EXPECT_EQ(image.pixels, (Bytes{7, 6, 5, 8, 3, 2, 1, 4}));
}

TEST_F(TgaTest, SixteenBitsBecomeThreeBytesInFileOrder) {
    // A1 R5 G5 B5: pure red with the attribute bit, pure green, pure blue, a mix.
    const uint16_t values[] = {0xFC00, 0x03E0, 0x001F, 0x4210 | 0x0421};
    Bytes stored;
    for (uint16_t v : values) {
        stored.push_back(static_cast<uint8_t>(v));
        stored.push_back(static_cast<uint8_t>(v >> 8));
    }
    CImage image;
    ASSERT_TRUE(Decode(MakeTga(2, 16, 2, 2, 0x00, stored), image));
    EXPECT_EQ(image.bytesPerPixel, 3);
    EXPECT_EQ(image.pixels, (Bytes{248, 0, 0, 0, 248, 0, 0, 0, 248, 0x88, 0x88, 0x88}));
    for (uint8_t channel : image.pixels) {
        EXPECT_EQ(channel & 0x07, 0);
    }
}

TEST_F(TgaTest, RunLengthPackets) {
    const Bytes p = {10, 20, 30};  // B, G, R
    const Bytes q = {40, 50, 60};
    const Bytes pRgb = {30, 20, 10};
    const Bytes qRgb = {60, 50, 40};
    auto repeat = [](const Bytes& pixel, int count) {
        Bytes out;
        for (int i = 0; i < count; ++i) {
            out.insert(out.end(), pixel.begin(), pixel.end());
        }
        return out;
    };
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& part : parts) {
            out.insert(out.end(), part.begin(), part.end());
        }
        return out;
    };
    Bytes raw128;
    Bytes raw128Rgb;
    for (int i = 0; i < 128; ++i) {
        raw128.insert(raw128.end(), {uint8_t(i), uint8_t(i + 1), uint8_t(i + 2)});
        raw128Rgb.insert(raw128Rgb.end(), {uint8_t(i + 2), uint8_t(i + 1), uint8_t(i)});
    }
    const struct {
        const char* what;
        uint16_t width;
        Bytes payload;
        Bytes expected;
    } cases[] = {
        {"0x80 repeats once", 2, join({{0x80}, p, {0x80}, q}), join({pRgb, qRgb})},
        {"0xFF repeats 128 times", 128, join({{0xFF}, p}), repeat(pRgb, 128)},
        {"0x7F brings 128 raw pixels", 128, join({{0x7F}, raw128}), raw128Rgb},
        {"raw then run", 4, join({{0x01}, p, q, {0x81}, q}), join({pRgb, qRgb, qRgb, qRgb})},
        {"run past the last pixel stops there", 3, join({{0xFF}, q, {0xFF}, p}), repeat(qRgb, 3)},
        {"raw past the last pixel stops there", 2, join({{0x02}, p, q}), join({pRgb, qRgb})},
    };
    for (const auto& c : cases) {
        CImage image;
        ASSERT_TRUE(Decode(MakeTga(10, 24, c.width, 1, 0x20, c.payload), image)) << c.what;
        EXPECT_EQ(image.width, c.width) << c.what;
        EXPECT_EQ(image.pixels, c.expected) << c.what;
    }
}

TEST_F(TgaTest, RunLengthKeepsFileRowOrderAndAlpha) {
    // Two rows; the origin bit is not applied to run-length pictures.
    const Bytes payload = {0x80, 1, 2, 3, 4, 0x80, 5, 6, 7, 8};
    for (uint8_t descriptor : {uint8_t(0x08), uint8_t(0x28)}) {
        CImage image;
        ASSERT_TRUE(Decode(MakeTga(10, 32, 1, 2, descriptor, payload), image));
        EXPECT_EQ(image.bytesPerPixel, 4);
        EXPECT_EQ(image.pixels, (Bytes{3, 2, 1, 4, 7, 6, 5, 8})) << int(descriptor);
    }
}

TEST_F(TgaTest, RefusedFiles) {
    const Bytes enough(4096, 0x11);
    const struct {
        const char* what;
        Bytes file;
        const char* logLine;
    } cases[] = {
        {"8-bit colour-mapped", MakeTga(1, 8, 2, 2, 0, enough), "unknown fileformat: pic.tga"},
        {"8-bit grey", MakeTga(3, 8, 2, 2, 0, enough), "unknown fileformat: pic.tga"},
        {"run-length 16-bit", MakeTga(10, 16, 2, 2, 0, enough), "unknown fileformat: pic.tga"},
        {"run-length 8-bit", MakeTga(10, 8, 2, 2, 0, enough), "unknown fileformat: pic.tga"},
        {"15-bit", MakeTga(2, 15, 2, 2, 0, enough), "unknown fileformat: pic.tga"},
        {"wider than 8192", MakeTga(2, 24, 8193, 1, 0, enough), "bad size 8193x1: pic.tga"},
        {"taller than 8192", MakeTga(10, 32, 1, 65535, 0, enough), "bad size 1x65535: pic.tga"},
        {"no pixels", MakeTga(2, 24, 0, 5, 0, enough), "bad size 0x5: pic.tga"},
        {"empty file", {}, "truncated file: pic.tga"},
        {"header cut", Bytes(17, 0), "truncated file: pic.tga"},
        {"ID field cut", MakeTga(2, 24, 1, 1, 0, {}, 9), "truncated file: pic.tga"},
        {"raw rows cut", MakeTga(2, 24, 3, 2, 0, Bytes(17, 1)), "truncated file: pic.tga"},
        {"16-bit pixels cut", MakeTga(2, 16, 2, 2, 0, Bytes(7, 1)), "truncated file: pic.tga"},
        {"run-length packets cut", MakeTga(10, 24, 200, 1, 0, {0xFF, 1, 2, 3, 0xFF, 1, 2}),
         "truncated file: pic.tga"},
        {"run-length raw packet cut", MakeTga(10, 24, 4, 1, 0, {0x03, 1, 2, 3, 4, 5, 6}), "truncated file: pic.tga"},
        {"run-length run packet cut", MakeTga(10, 24, 4, 1, 0, {0x00, 1, 2, 3, 0x82, 4, 5}), "truncated file: pic.tga"},
        {"huge header, tiny file", MakeTga(2, 32, 8192, 8192, 0, Bytes(64, 1)), "truncated file: pic.tga"},
    };
    for (const auto& c : cases) {
        m_log.clear();
        CImage image;
        image.width = 77;
        EXPECT_FALSE(Decode(c.file, image)) << c.what;
        EXPECT_TRUE(LogHas(std::string("CImageFormatTga::Load FAILED ") + c.logLine)) << c.what;
        EXPECT_EQ(image.width, 77) << c.what;
        EXPECT_TRUE(image.pixels.empty()) << c.what;
    }
}

TEST_F(TgaTest, LoadReadsThroughTheFileManager) {
    EXPECT_TRUE(
        WriteFileBytes(m_temp / "pics.nuf", MakeZip({{"packed.tga", MakeTga(2, 24, 3, 2, 0, StoredRows(true))}})));
    CFileManager::Get().MountFileSystem(m_temp / "pics.nuf");
    CImageFormatTga tga;
    CImage image;
    ASSERT_TRUE(tga.Load("packed.tga", image));
    EXPECT_EQ(image.pixels, kTopDownRgb);
    EXPECT_FALSE(tga.Load("absent.tga", image));
    EXPECT_TRUE(LogHas("CImageFormatTga::Load FAILED couldn't open file: absent.tga"));
    EXPECT_TRUE(tga.SupportsExtension("tga"));
    EXPECT_TRUE(tga.SupportsExtension("TGA"));
    EXPECT_FALSE(tga.SupportsExtension("Tga"));
}

}  // namespace
