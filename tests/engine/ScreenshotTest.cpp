// F8: the screenshot file's name, header and pixel order, taken from a real renderer on SDL's
// dummy video driver (software rendering, no display needed).
#include "engine/Engine.h"
#include "core/Log.h"
#include "platform/Gfx.h"
#include "platform/Textures.h"
#include "platform/Window.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr size_t kTgaSize = 18 + kWidth * kHeight * 3;

class ScreenshotTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_RENDER_DRIVER", "software", 1);
        CWindow& window = CWindow::Get();
        ASSERT_TRUE(window.InitVideo());
        ASSERT_TRUE(window.Create("Pellora test", kWidth, kHeight, false));
        ASSERT_TRUE(CGfxOGL::Get().Create(window.GetSdlWindow(), kWidth, kHeight, 32, 32, 0, false));
    }
    static void TearDownTestSuite() {
        CGfxOGL::Get().Destroy();
        CWindow::Get().Destroy();
        CWindow::Get().ShutdownVideo();
    }
    void SetUp() override {
        m_previous = fs::current_path();
        ASSERT_FALSE(m_temp.Path().empty());
        fs::current_path(m_temp.Path());
    }
    void TearDown() override { fs::current_path(m_previous); }
    // A red picture with a green band over its top ten rows.
    static void DrawKnownPicture() {
        CGfxOGL& gfx = CGfxOGL::Get();
        gfx.ClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        gfx.Clear();
        gfx.BeginScene();
        gfx.LoadIdentity();
        CTextures::Get().Bind(TextureHandle());
        gfx.Disable(GL_BLEND);
        gfx.Color(0.0f, 1.0f, 0.0f, 1.0f);
        gfx.Begin(GL_TRIANGLE_STRIP);
        gfx.Vertex(0.0f, 0.0f);
        gfx.Vertex(0.0f, 10.0f);
        gfx.Vertex(static_cast<float>(kWidth), 0.0f);
        gfx.Vertex(static_cast<float>(kWidth), 10.0f);
        gfx.End();
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
        gfx.EndScene();
        gfx.Present();
    }
    static void Touch(const std::string& name) { std::ofstream(name) << "x"; }

    fs::path m_previous;
    CTempFolder m_temp;
};

TEST_F(ScreenshotTest, NextFreeNumberGetsABottomUpBgrTarga) {
    for (const char* name : {"qvt00.tga", "qvt01.tga", "qvt02.tga", "qvt03.tga", "qvt04.tga"}) {
        Touch(name);
    }
    DrawKnownPicture();
    ASSERT_TRUE(CEngine::Get().SaveScreenshot());
    EXPECT_FALSE(fs::exists("qvt06.tga"));
    const std::vector<uint8_t> file = ReadFileBytes("qvt05.tga");
    ASSERT_EQ(file.size(), kTgaSize);
    // Header: all zero but the image type, the size and the bit depth.
    const uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x02, 0xE0, 0x01, 24, 0};
    EXPECT_TRUE(std::equal(std::begin(header), std::end(header), file.begin()));
    const auto pixel = [&file](int fileRow, int column) {
        const size_t at = 18 + (static_cast<size_t>(fileRow) * kWidth + column) * 3;
        return std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(at),
                                    file.begin() + static_cast<std::ptrdiff_t>(at + 3));
    };
    const std::vector<uint8_t> red = {0, 0, 255};    // B, G, R
    const std::vector<uint8_t> green = {0, 255, 0};
    EXPECT_EQ(pixel(0, 0), red);                     // the first row is the picture's bottom
    EXPECT_EQ(pixel(kHeight - 11, 320), red);
    EXPECT_EQ(pixel(kHeight - 10, 320), green);      // the band is at the end of the file
    EXPECT_EQ(pixel(kHeight - 1, kWidth - 1), green);
    // The files that were there are left alone.
    EXPECT_EQ(ReadFileBytes("qvt04.tga").size(), 1u);
}

TEST_F(ScreenshotTest, GapsAreFilledFirstAndAHundredFilesStopIt) {
    Touch("qvt00.tga");
    Touch("qvt02.tga");
    DrawKnownPicture();
    ASSERT_TRUE(CEngine::Get().SaveScreenshot());
    EXPECT_EQ(fs::file_size("qvt01.tga"), kTgaSize);

    for (int number = 0; number < 100; ++number) {
        char name[16];
        std::snprintf(name, sizeof(name), "qvt%02d.tga", number);
        if (!fs::exists(name)) {
            Touch(name);
        }
    }
    std::vector<std::string> log;
    CLog::Get().SetCapture(&log);
    EXPECT_FALSE(CEngine::Get().SaveScreenshot());
    CLog::Get().SetCapture(nullptr);
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "CEngine::SaveScreenshot FAILED no free name, qvt00.tga to qvt99.tga all exist"),
              log.end());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_temp.Path()), fs::directory_iterator()), 100);
    EXPECT_EQ(fs::file_size("qvt99.tga"), 1u);
}
}  // namespace
