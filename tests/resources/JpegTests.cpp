// JPEG decoding from memory and the loader's choice between ".jpg" and ".tga".
#include "tests/resources/ResourcesFixtures.h"

#include "resources/FileManager.h"
#include "resources/Image.h"

#include <cstdlib>

namespace {

class JpegTest : public CResourcesTest {
protected:
    bool Decode(const Bytes& file, CImage& image) {
        return CImageFormatJpg::Decode(file.data(), file.size(), "pic.jpg", image);
    }
};

struct CDifference {
    int largest = 0;
    double mean = 0.0;
};

CDifference Compare(const Bytes& a, const Bytes& b, size_t count) {
    CDifference difference;
    long total = 0;
    for (size_t i = 0; i < count; ++i) {
        const int d = std::abs(int(a[i]) - int(b[i]));
        difference.largest = std::max(difference.largest, d);
        total += d;
    }
    difference.mean = count ? double(total) / double(count) : 0.0;
    return difference;
}

TEST_F(JpegTest, ColourPictureDecodesCloseToTheSource) {
    const struct {
        int width;
        int height;
    } sizes[] = {{16, 16}, {33, 17}, {1, 1}, {64, 48}};
    for (const auto& size : sizes) {
        const Bytes source = MakeGradient(size.width, size.height);
        CImage image;
        ASSERT_TRUE(Decode(MakeJpeg(size.width, size.height, 3, source), image)) << size.width;
        EXPECT_EQ(image.width, size.width);
        EXPECT_EQ(image.height, size.height);
        EXPECT_EQ(image.bytesPerPixel, 3);
        ASSERT_EQ(image.pixels.size(), source.size());
        const CDifference difference = Compare(image.pixels, source, source.size());
        EXPECT_LE(difference.largest, 24) << size.width << "x" << size.height;
        EXPECT_LE(difference.mean, 4.0) << size.width << "x" << size.height;
    }
}

TEST_F(JpegTest, GreyAndFourComponentPicturesAreRefused) {
    const Bytes grey(16 * 16, 128);
    const Bytes cmyk(16 * 16 * 4, 60);
    const struct {
        const char* what;
        Bytes file;
        const char* logLine;
    } cases[] = {
        {"grey", MakeJpeg(16, 16, 1, grey), "CImageFormatJpg::Load FAILED Grayscale not supported: pic.jpg"},
        {"cmyk", MakeJpeg(16, 16, 4, cmyk), "CImageFormatJpg::Load FAILED 4 colour components not supported: pic.jpg"},
    };
    for (const auto& c : cases) {
        m_log.clear();
        CImage image;
        EXPECT_FALSE(Decode(c.file, image)) << c.what;
        EXPECT_TRUE(LogHas(c.logLine)) << c.what;
        EXPECT_TRUE(image.pixels.empty()) << c.what;
        EXPECT_EQ(image.width, 0) << c.what;
    }
}

TEST_F(JpegTest, TruncatedPictureDecodesWhatIsPresent) {
    const int width = 128;
    const int height = 128;
    const Bytes source = MakeGradient(width, height);
    const Bytes full = MakeJpeg(width, height, 3, source);
    size_t scanStart = 0;
    for (size_t i = 0; i + 1 < full.size() && scanStart == 0; ++i) {
        if (full[i] == 0xFF && full[i + 1] == 0xDA) {
            scanStart = i;
        }
    }
    ASSERT_GT(scanStart, 0u);
    const size_t scanBytes = full.size() - scanStart;
    for (size_t keep : {scanStart + scanBytes * 3 / 4, scanStart + scanBytes / 2, scanStart + 20}) {
        const Bytes cut(full.begin(), full.begin() + static_cast<long>(keep));
        CImage image;
        ASSERT_TRUE(Decode(cut, image)) << keep;
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        ASSERT_EQ(image.pixels.size(), source.size());
        if (keep > scanStart + scanBytes / 4) {
            // The first row of blocks came before the cut and matches the source.
            const CDifference top = Compare(image.pixels, source, static_cast<size_t>(width) * 3 * 16);
            EXPECT_LE(top.mean, 4.0) << keep;
            // The bottom rows came after it: the decoder filled them, far from the source.
            const size_t bottomStart = source.size() - static_cast<size_t>(width) * 3 * 16;
            const CDifference bottom = Compare(Bytes(image.pixels.begin() + static_cast<long>(bottomStart),
                                                     image.pixels.end()),
                                               Bytes(source.begin() + static_cast<long>(bottomStart), source.end()),
                                               source.size() - bottomStart);
            EXPECT_GT(bottom.mean, 10.0) << keep;
        }
    }
}

TEST_F(JpegTest, DamagedDataFailsCleanly) {
    const Bytes good = MakeJpeg(16, 16, 3, MakeGradient(16, 16));
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(i * 131 + 7);
    }
    Bytes badFrame = good;
    // The frame header's component count (SOF0 marker at the usual place after the tables).
    for (size_t i = 0; i + 9 < badFrame.size(); ++i) {
        if (badFrame[i] == 0xFF && badFrame[i + 1] == 0xC0) {
            badFrame[i + 9] = 0;  // zero components: the library refuses the frame
            break;
        }
    }
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"empty", {}},
        {"noise", noise},
        {"start marker only", {0xFF, 0xD8}},
        {"header cut before the frame", Bytes(good.begin(), good.begin() + 20)},
        {"zero components", badFrame},
    };
    for (const auto& c : cases) {
        m_log.clear();
        CImage image;
        EXPECT_FALSE(Decode(c.file, image)) << c.what;
        EXPECT_TRUE(LogHas("CImageFormatJpg::Load FAILED")) << c.what;
        EXPECT_TRUE(LogHas(": pic.jpg")) << c.what;
        EXPECT_TRUE(image.pixels.empty()) << c.what;
    }
}

TEST_F(JpegTest, ACommentRunningPastTheEndIsNotReadBeyondIt) {
    // The file ends inside a comment segment. Right behind the file's bytes in memory lies
    // the rest of a whole picture: a decoder that skipped the comment past the end would
    // find it and decode it; ours meets the end of the file and refuses the picture.
    const Bytes good = MakeJpeg(16, 16, 3, MakeGradient(16, 16));
    const size_t commentBytes = 40;
    Bytes memory = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, static_cast<uint8_t>(commentBytes + 2)};
    memory.insert(memory.end(), commentBytes, 'c');
    memory.insert(memory.end(), good.begin() + 2, good.end());
    const size_t fileSize = 6 + commentBytes / 2;
    CImage image;
    EXPECT_FALSE(CImageFormatJpg::Decode(memory.data(), fileSize, "pic.jpg", image));
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_TRUE(LogHas("CImageFormatJpg::Load FAILED"));
    // The same bytes as one whole file decode: the picture behind the comment is sound.
    EXPECT_TRUE(CImageFormatJpg::Decode(memory.data(), memory.size(), "pic.jpg", image));
}

TEST_F(JpegTest, PicturesLargerThan8192PixelsAreRefused) {
    const Bytes row(8193 * 3, 90);
    CImage image;
    EXPECT_FALSE(Decode(MakeJpeg(8193, 1, 3, row), image));
    EXPECT_TRUE(LogHas("CImageFormatJpg::Load FAILED picture larger than 8192 pixels: pic.jpg"));
}

class ImageLoaderTest : public CResourcesTest {};

TEST_F(ImageLoaderTest, JpegIsTriedBeforeTga) {
    const Bytes colourJpeg = MakeJpeg(8, 8, 3, MakeGradient(8, 8));
    const Bytes greyJpeg = MakeJpeg(8, 8, 1, Bytes(64, 100));
    const Bytes tga = MakeTga(2, 32, 2, 1, 0, {1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_TRUE(WriteFileBytes(m_temp / "both.jpg", colourJpeg));
    EXPECT_TRUE(WriteFileBytes(m_temp / "both.tga", tga));
    EXPECT_TRUE(WriteFileBytes(m_temp / "grey.jpg", greyJpeg));
    EXPECT_TRUE(WriteFileBytes(m_temp / "grey.tga", tga));
    EXPECT_TRUE(WriteFileBytes(m_temp / "only.tga", tga));
    CFileManager::Get().MountFileSystem(m_temp.Path());

    const struct {
        const char* name;
        bool loads;
        int bytesPerPixel;
        int width;
        const char* logLine;
    } cases[] = {
        {"both", true, 3, 8, nullptr},
        {"grey", false, 0, 0, "CImageFormatJpg::Load FAILED Grayscale not supported: grey.jpg"},
        {"only", true, 4, 2, nullptr},
        {"none", false, 0, 0, "CImageLoader::LoadImage FAILED File not found: none"},
    };
    for (const auto& c : cases) {
        m_log.clear();
        CImage image;
        EXPECT_EQ(CImageLoader::Get().LoadImage(c.name, image), c.loads) << c.name;
        EXPECT_EQ(image.bytesPerPixel, c.bytesPerPixel) << c.name;
        EXPECT_EQ(image.width, c.width) << c.name;
        if (c.logLine) {
            EXPECT_TRUE(LogHas(c.logLine)) << c.name;
        }
    }
}

}  // namespace
