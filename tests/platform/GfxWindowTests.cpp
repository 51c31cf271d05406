// The renderer on a real SDL window (the dummy video driver and the software renderer):
// what a drawn picture leaves in the frame, the letterbox mapping and a device reset.
#include "PlatformFixtures.h"

#include "platform/Gfx.h"
#include "platform/Sprite.h"
#include "platform/Textures.h"

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class GfxWindowTest : public CPlatformTest {
protected:
    void SetUp() override {
        CPlatformTest::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        m_frame.assign(size_t(kWidth) * kHeight * 3, 0xAA);
    }

    void TearDown() override {
        CGfxOGL::Get().Destroy();
        if (m_window != nullptr) {
            SDL_DestroyWindow(m_window);
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        CPlatformTest::TearDown();
    }

    void OpenWindow(int width, int height) {
        m_window = SDL_CreateWindow("Pellora", 0, 0, width, height, SDL_WINDOW_HIDDEN);
        ASSERT_NE(m_window, nullptr) << SDL_GetError();
        ASSERT_TRUE(CGfxOGL::Get().Create(m_window, kWidth, kHeight, 32, 32, 0, false));
    }

    void ClearFrame() {
        CGfxOGL& gfx = CGfxOGL::Get();
        gfx.ClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        gfx.Clear();
        gfx.BeginScene();
        gfx.LoadIdentity();
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }

    void ReadFrame() { ASSERT_TRUE(CGfxOGL::Get().ReadPixels(m_frame.data())); }

    // The frame is stored bottom row first.
    Rgba PixelAt(int x, int y) const {
        const uint8_t* p = m_frame.data() + (size_t(kHeight - 1 - y) * kWidth + size_t(x)) * 3;
        return Rgba{p[0], p[1], p[2], 255};
    }

    static void ExpectColour(const Rgba& actual, const Rgba& expected, const char* where) {
        EXPECT_NEAR(actual.r, expected.r, 3) << where;
        EXPECT_NEAR(actual.g, expected.g, 3) << where;
        EXPECT_NEAR(actual.b, expected.b, 3) << where;
    }

    SDL_Window* m_window = nullptr;
    Bytes m_frame;
};

const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlack{0, 0, 0, 255};

// An 8x8 picture: red top half, green bottom half.
Bytes TwoBandTga(int bytesPerPixel) {
    std::vector<Rgba> pixels;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            pixels.push_back(y < 4 ? kRed : kGreen);
        }
    }
    return MakeTga(8, 8, bytesPerPixel, pixels);
}

TEST_F(GfxWindowTest, TexturedQuadLandsOnItsPixelsWithColoursKept) {
    for (const int bytesPerPixel : {3, 4}) {
        SCOPED_TRACE(bytesPerPixel);
        WriteFile("bands.tga", TwoBandTga(bytesPerPixel));
        OpenWindow(kWidth, kHeight);
        CSprite sprite;
        ASSERT_TRUE(sprite.Load("bands"));
        sprite.SetPos(100.0f, 40.0f);
        ClearFrame();
        sprite.Draw();
        ReadFrame();
        ExpectColour(PixelAt(100, 40), kRed, "top-left corner");
        // Rows next to the band edge are left out: renderers differ by half a texel there.
        ExpectColour(PixelAt(107, 42), kRed, "red band");
        ExpectColour(PixelAt(100, 45), kGreen, "green band");
        ExpectColour(PixelAt(107, 47), kGreen, "bottom-right corner");
        ExpectColour(PixelAt(99, 40), kBlack, "left of the quad");
        ExpectColour(PixelAt(108, 47), kBlack, "right of the quad");
        ExpectColour(PixelAt(100, 39), kBlack, "above the quad");
        ExpectColour(PixelAt(100, 48), kBlack, "below the quad");
        CGfxOGL::Get().Destroy();
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }
}

TEST_F(GfxWindowTest, AlphaOfA32BitPictureBlends) {
    WriteFile("glass.tga", MakeSolidTga(4, 4, 4, Rgba{200, 0, 100, 128}));
    OpenWindow(kWidth, kHeight);
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("glass"));
    sprite.SetBlend(true);
    sprite.SetPos(10.0f, 10.0f);
    ClearFrame();
    sprite.Draw();
    ReadFrame();
    ExpectColour(PixelAt(11, 11), Rgba{100, 0, 50, 255}, "half of the colour over black");
}

TEST_F(GfxWindowTest, MissingTextureDrawsInTheCurrentColour) {
    OpenWindow(kWidth, kHeight);
    CSprite sprite;
    EXPECT_FALSE(sprite.Load("nothing_here"));
    sprite.SetSize(6, 6);
    sprite.SetPos(300.0f, 200.0f);
    ClearFrame();
    CGfxOGL::Get().Color(0.0f, 0.0f, 1.0f, 1.0f);
    sprite.Draw();
    ReadFrame();
    ExpectColour(PixelAt(302, 202), Rgba{0, 0, 255, 255}, "inside");
    ExpectColour(PixelAt(306, 202), kBlack, "outside");
}

TEST_F(GfxWindowTest, DeviceResetRebuildsTextures) {
    WriteFile("bands.tga", TwoBandTga(3));
    OpenWindow(kWidth, kHeight);
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("bands"));
    const int32_t memory = CTextures::Get().GetMemInUse();
    CGfxOGL::Get().OnDeviceReset();
    EXPECT_NE(CTextures::Get().Find(sprite.GetTexture()).texture, nullptr);
    EXPECT_EQ(CTextures::Get().GetMemInUse(), memory);
    sprite.SetPos(20.0f, 20.0f);
    ClearFrame();
    sprite.Draw();
    ReadFrame();
    ExpectColour(PixelAt(21, 21), kRed, "after the reset");
}

TEST_F(GfxWindowTest, TexturesLoadedBeforeTheRendererGetTheirPicturesAtCreate) {
    WriteFile("bands.tga", TwoBandTga(3));
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("bands"));
    EXPECT_EQ(CTextures::Get().Find(sprite.GetTexture()).texture, nullptr);
    OpenWindow(kWidth, kHeight);
    EXPECT_NE(CTextures::Get().Find(sprite.GetTexture()).texture, nullptr);
    EXPECT_EQ(CTextures::Get().GetMemInUse(), 8 * 8 * 3);
}

TEST(GfxLetterbox, PictureFitsTheOutputWithAspectKept) {
    struct Case {
        int outputWidth, outputHeight;
        GfxRect expected;
    };
    const Case cases[] = {
        {640, 480, {0, 0, 640, 480}},       {1920, 1080, {240, 0, 1440, 1080}}, {1280, 1024, {0, 32, 1280, 960}},
        {800, 600, {0, 0, 800, 600}},       {1000, 480, {180, 0, 640, 480}},    {320, 400, {0, 80, 320, 240}},
        {0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const GfxRect place = CGfxOGL::FitPicture(c.outputWidth, c.outputHeight, 640, 480);
        EXPECT_EQ(place.x, c.expected.x) << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(place.y, c.expected.y) << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(place.w, c.expected.w) << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(place.h, c.expected.h) << c.outputWidth << "x" << c.outputHeight;
    }
}

TEST_F(GfxWindowTest, WindowAndPicturePositionsMapThroughTheBars) {
    OpenWindow(1920, 1080);
    struct Case {
        int windowX, windowY;
        float pictureX, pictureY;
    };
    const Case cases[] = {
        {240, 0, 0.0f, 0.0f},
        {1680, 1080, 640.0f, 480.0f},
        {960, 540, 320.0f, 240.0f},
        {0, 0, -240.0f * 640.0f / 1440.0f, 0.0f},   // in the left bar: outside the picture
    };
    CGfxOGL& gfx = CGfxOGL::Get();
    for (const Case& c : cases) {
        float x = 0.0f, y = 0.0f;
        gfx.WindowToPicture(c.windowX, c.windowY, x, y);
        EXPECT_NEAR(x, c.pictureX, 1e-3f) << c.windowX << "," << c.windowY;
        EXPECT_NEAR(y, c.pictureY, 1e-3f) << c.windowX << "," << c.windowY;
        int backX = 0, backY = 0;
        gfx.PictureToWindow(c.pictureX, c.pictureY, backX, backY);
        EXPECT_EQ(backX, c.windowX);
        EXPECT_EQ(backY, c.windowY);
    }
    // Present draws into the window and gives the picture target back for the next frame.
    ClearFrame();
    gfx.Present();
    gfx.Color(0.0f, 1.0f, 0.0f, 1.0f);
    gfx.Begin(GL_TRIANGLES);
    gfx.Vertex(50.0f, 50.0f);
    gfx.Vertex(60.0f, 50.0f);
    gfx.Vertex(50.0f, 60.0f);
    gfx.End();
    ReadFrame();
    ExpectColour(PixelAt(52, 52), kGreen, "drawn after Present");
}

}  // namespace
