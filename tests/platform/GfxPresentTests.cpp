// What reaches the screen: an unchanged frame presents nothing, any change presents once;
// quads drawn as copies give the picture the triangles give; the renderer path follows the
// setting and the machine.
#include "PlatformFixtures.h"

#include "core/Timer.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "platform/Sprite.h"
#include "platform/Textures.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A picture with something in every texel: smooth colour ramps (as the game's art is smooth:
// renderers may sample half a texel apart), an opaque rim and a translucent inside, so
// placement, blending, filtering and modulation all show.
Bytes RampTga(int width, int height) {
    std::vector<Rgba> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
            pixels.push_back(Rgba{static_cast<uint8_t>(x * 255 / (width - 1)), static_cast<uint8_t>(y * 255 / (height - 1)),
                                  static_cast<uint8_t>((x + y) * 255 / (width + height - 2)), static_cast<uint8_t>(edge == 0 ? 255 : std::min(255, 60 + edge * 40))});
        }
    }
    return MakeTga(width, height, 4, pixels);
}

class GfxScreenTest : public CPlatformTest {
protected:
    void SetUp() override {
        CPlatformTest::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        WriteFile("ramp.tga", RampTga(32, 32));
        WriteFile("mousecursor.tga", MakeSolidTga(8, 8, 4, Rgba{255, 255, 255, 200}));
        WriteFile("face.tga", RampTga(512, 64));
        WriteFile("face.dat", MakeFontInfo({{'A', 32, 2, 10, 3}, {'B', 64, 3, 11, 5}, {'C', 96, 1, 20, 2}}));
    }

    void TearDown() override {
        CGfxOGL::Get().SetQuadCopies(true);
        CGfxOGL::Get().Destroy();
        if (m_window != nullptr) {
            SDL_DestroyWindow(m_window);
        }
        unsetenv("PELLORA_RENDERER");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        CPlatformTest::TearDown();
    }

    void OpenWindow() {
        m_window = SDL_CreateWindow("Pellora", 0, 0, kWidth, kHeight, SDL_WINDOW_HIDDEN);
        ASSERT_NE(m_window, nullptr) << SDL_GetError();
        ASSERT_TRUE(CGfxOGL::Get().Create(m_window, kWidth, kHeight, 32, 32, 0, false));
    }

    static void BeginFrame() {
        CGfxOGL& gfx = CGfxOGL::Get();
        gfx.ClearColor(0.1f, 0.2f, 0.3f, 1.0f);
        gfx.Clear();
        gfx.BeginScene();
        gfx.LoadIdentity();
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }

    std::vector<uint8_t> ReadFrame() const {
        std::vector<uint8_t> frame(size_t(kWidth) * kHeight * 3, 0);
        EXPECT_TRUE(CGfxOGL::Get().ReadPixels(frame.data()));
        return frame;
    }

    SDL_Window* m_window = nullptr;
};

// One scene of what the game draws: plain, blended, added, scaled, tinted, region and
// rotated sprites, a translucent panel and text.
struct Scene {
    CSprite plain, blended, added, scaled, tinted, region, turned;
    CFont font;

    bool Load() {
        bool loaded = plain.Load("ramp") && blended.Load("ramp") && added.Load("ramp") && scaled.Load("ramp") &&
                      tinted.Load("ramp") && turned.Load("ramp");
        loaded = loaded && region.LoadRegion(plain.GetTexture(), 16.0f, 16.0f, 0.25f, 0.25f, 0.75f, 0.75f);
        font.InitSimple("face", "face.dat", 32, 32);
        blended.SetBlend(true);
        added.SetBlend(true);
        added.SetBlendFunc(GL_SRC_ALPHA, GL_ONE);
        scaled.SetBlend(true);
        scaled.SetSize(64.0f, 48.0f);
        tinted.SetBlend(true);
        turned.SetBlend(true);
        turned.SetCentered();
        turned.SetRotation(30.0f);
        return loaded && font.IsLoaded();
    }

    void Draw() const {
        CGfxOGL& gfx = CGfxOGL::Get();
        plain.Draw();
        blended.Draw();
        added.Draw();
        scaled.Draw();
        gfx.Color(1.0f, 0.5f, 0.25f, 0.5f);
        tinted.Draw();
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
        region.Draw();
        turned.Draw();
        CTextures::Get().Bind(TextureHandle());
        gfx.Enable(GL_BLEND);
        gfx.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gfx.Color(0.0f, 0.0f, 0.0f, 0.5f);
        gfx.LoadIdentity();
        gfx.Begin(GL_TRIANGLE_STRIP);
        gfx.Vertex(300.0f, 100.0f);
        gfx.Vertex(300.0f, 180.0f);
        gfx.Vertex(500.0f, 100.0f);
        gfx.Vertex(500.0f, 180.0f);
        gfx.End();
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
        font.Print("ABCABC", 310.0f, 120.0f);
    }
};

void PlaceScene(Scene& scene) {
    scene.plain.SetPos(10, 10);
    scene.blended.SetPos(30, 20);
    scene.added.SetPos(50, 30);
    scene.scaled.SetPos(100, 100);
    scene.tinted.SetPos(200, 40);
    scene.region.SetPos(240, 40);
    scene.turned.SetPos(400, 300);
}

TEST_F(GfxScreenTest, QuadsDrawnAsCopiesMatchTheTrianglePicture) {
    OpenWindow();
    Scene scene;
    ASSERT_TRUE(scene.Load());
    PlaceScene(scene);
    CGfxOGL& gfx = CGfxOGL::Get();

    gfx.SetQuadCopies(false);
    BeginFrame();
    scene.Draw();
    const std::vector<uint8_t> triangles = ReadFrame();
    gfx.SetQuadCopies(true);
    BeginFrame();
    scene.Draw();
    const std::vector<uint8_t> copies = ReadFrame();

    // The same picture within a small tolerance: blending arithmetic may differ a little;
    // nothing may be missing, misplaced, untinted or blended otherwise. The scaled sprite is
    // filtered by the copies and sampled at the nearest texel by the triangles: there only
    // the average difference is held small.
    size_t differing = 0;
    size_t drawn = 0;
    int largest = 0;
    int64_t scaledSum = 0;
    int64_t scaledCount = 0;
    const uint8_t background[3] = {25, 51, 76};
    for (size_t i = 0; i < copies.size(); i += 3) {
        const int x = static_cast<int>((i / 3) % kWidth);
        const int y = kHeight - 1 - static_cast<int>((i / 3) / kWidth);
        int difference = 0;
        bool isBackground = true;
        for (size_t c = 0; c < 3; ++c) {
            difference = std::max(difference, std::abs(int(copies[i + c]) - int(triangles[i + c])));
            isBackground = isBackground && std::abs(int(triangles[i + c]) - int(background[c])) <= 1;
        }
        if (x >= 100 && x < 164 && y >= 100 && y < 148) {
            scaledSum += difference;
            ++scaledCount;
            continue;
        }
        drawn += isBackground ? 0 : 1;
        largest = std::max(largest, difference);
        differing += difference > 16 ? 1 : 0;
    }
    EXPECT_GT(drawn, 10000u) << "the scene must cover a fair part of the picture";
    EXPECT_LE(differing, drawn * 3 / 100) << "largest difference " << largest;
    ASSERT_EQ(scaledCount, 64 * 48);
    EXPECT_LE(scaledSum / scaledCount, 24) << "the scaled sprite";
}

TEST_F(GfxScreenTest, UnchangedFramePresentsNothingAndEachChangePresentsOnce) {
    OpenWindow();
    Scene scene;
    ASSERT_TRUE(scene.Load());
    PlaceScene(scene);
    CMouseCursor& cursor = CMouseCursor::Get();
    ASSERT_TRUE(cursor.Init());
    static int32_t pointerX = 100;
    static int32_t pointerY = 100;
    cursor.SetPointerFunctions([](int32_t& x, int32_t& y) { x = pointerX; y = pointerY; }, nullptr);
    std::string text = "ABC";
    CGfxOGL& gfx = CGfxOGL::Get();
    auto frame = [&]() {
        cursor.Update(1.0f / 150.0f);
        BeginFrame();
        scene.Draw();
        scene.font.Print(text.c_str(), 20.0f, 400.0f);
        cursor.Draw();
        gfx.EndScene();
        gfx.Present();
    };

    CSprite other;
    ASSERT_TRUE(other.Load("face"));
    ASSERT_NE(other.GetTexture().id, scene.region.GetTexture().id);
    // A new window is drawn for a few frames whatever they show, then only on change.
    for (int i = 0; i < CGfxOGL::kForcedPresents + 10; ++i) {
        frame();
    }
    ASSERT_EQ(gfx.GetPresentCount(), CGfxOGL::kForcedPresents);
    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const Change changes[] = {
        {"nothing", [] {}},
        {"a moved sprite", [&] { scene.plain.Move(1.0f, 0.0f); }},
        {"a moved cursor", [] { pointerX += 3; }},
        {"a changed text", [&] { text = "ABA"; }},
        {"a changed colour", [&] { scene.blended.SetBlendFunc(GL_SRC_ALPHA, GL_ONE); }},
        {"another texture alone", [&] {
             // The same region of another picture at the same place and size.
             ASSERT_TRUE(scene.region.LoadRegion(other.GetTexture(), 16.0f, 16.0f, 0.25f, 0.25f, 0.75f, 0.75f));
             scene.region.SetPos(240, 40);
         }},
        {"the window's contents lost", [&] { gfx.Invalidate(); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const int before = gfx.GetPresentCount();
        change.make();
        frame();
        const std::string what = change.what;
        EXPECT_EQ(gfx.GetPresentCount() - before, what == "nothing" ? 0 : 1);
        for (int i = 0; i < CGfxOGL::kForcedPresents + 10; ++i) {
            frame();
        }
        const int expected = what == "nothing" ? 0 : what == "the window's contents lost" ? CGfxOGL::kForcedPresents : 1;
        EXPECT_EQ(gfx.GetPresentCount() - before, expected) << "the same frame again presents nothing";
    }
    cursor.SetPointerFunctions(nullptr, nullptr);
    cursor.Destroy();
}

int64_t g_fakeMicros = 0;
int64_t FakeMicros() {
    return g_fakeMicros;
}
int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// At the display's pace: a change sooner than the interval after the last shown frame is held
// back and shown by the first frame once the interval has passed, even when that frame is
// the same; forced frames ignore the interval; a still picture counts its unchanged frames.
TEST_F(GfxScreenTest, ChangedFramesAreShownAtMostOncePerInterval) {
    OpenWindow();
    CTimer::Get().SetTickSource(&FakeMicros, 1000000);
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.SetPresentInterval(1.0 / 60.0);
    int shade = 0;
    // One frame 10 ms after the last; "change" gives it a clear colour not used before.
    auto frame = [&](bool change) {
        g_fakeMicros += 10000;
        shade += change ? 1 : 0;
        gfx.ClearColor(static_cast<float>(shade) / 64.0f, 0.2f, 0.3f, 1.0f);
        gfx.Clear();
        gfx.Present();
        return gfx.GetPresentCount();
    };
    for (int i = 0; i < CGfxOGL::kForcedPresents; ++i) {
        EXPECT_EQ(frame(true), i + 1) << "forced frame " << i << " is shown at once";
    }
    const int shown = gfx.GetPresentCount();
    struct Step {
        bool change;
        int presents;          // presents since the forced frames
        int unchangedFrames;
    };
    // Frames are 10 ms apart, the interval 16.7 ms.
    const Step steps[] = {
        {true, 0, 0},    // 10 ms after the last shown: held back
        {false, 1, 0},   // 20 ms: the held-back picture is shown
        {false, 1, 1},   // unchanged
        {true, 2, 0},    // 20 ms after the last shown: shown at once
        {true, 2, 0},    // 10 ms: held back
        {true, 3, 0},    // 20 ms: the newest picture is shown
        {false, 3, 1},
        {false, 3, 2},
    };
    for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); ++i) {
        EXPECT_EQ(frame(steps[i].change) - shown, steps[i].presents) << "frame " << i;
        EXPECT_EQ(gfx.GetUnchangedFrames(), steps[i].unchangedFrames) << "frame " << i;
    }
    gfx.Invalidate();
    EXPECT_EQ(frame(true) - shown, 4) << "a forced frame right after a shown one";
    CTimer::Get().SetTickSource(&SteadyNanoseconds, 1000000000);
}

TEST_F(GfxScreenTest, ScreenshotOfAnUnpresentedFrameShowsWhatWasDrawn) {
    OpenWindow();
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("ramp"));
    sprite.SetPos(5, 5);
    CGfxOGL& gfx = CGfxOGL::Get();
    for (int i = 0; i < CGfxOGL::kForcedPresents; ++i) {
        BeginFrame();
        sprite.Draw();
        gfx.Present();
    }
    const std::vector<uint8_t> first = ReadFrame();
    // The same frame again: nothing is presented, the screenshot still has the picture.
    BeginFrame();
    sprite.Draw();
    gfx.Present();
    EXPECT_EQ(gfx.GetPresentCount(), CGfxOGL::kForcedPresents);
    EXPECT_EQ(ReadFrame(), first);
}

struct PathCase {
    const char* setting;
    bool gpu;
    ERendererPath expected;
};

TEST(GfxRendererChoice, SettingForcesEitherPathAndOtherwiseTheMachineDecides) {
    const PathCase cases[] = {
        {nullptr, false, ERendererPath::Software}, {nullptr, true, ERendererPath::Gpu},
        {"", true, ERendererPath::Gpu},            {"software", true, ERendererPath::Software},
        {"SOFTWARE", true, ERendererPath::Software}, {"gpu", false, ERendererPath::Gpu},
        {"gpu", true, ERendererPath::Gpu},         {"banana", false, ERendererPath::Software},
    };
    for (const PathCase& c : cases) {
        const RendererChoice choice = CGfxOGL::ChooseRendererPath(c.setting, c.gpu);
        EXPECT_EQ(choice.path, c.expected) << (c.setting ? c.setting : "(unset)") << " gpu=" << c.gpu;
        EXPECT_STRNE(choice.reason, "");
    }
}

TEST_F(GfxScreenTest, ForcedPathsEndInAWorkingRendererThatTheLogNames) {
    // The dummy video driver has no GL: a forced GPU path falls back to the software
    // renderer and says so; the forced software path gets it directly.
    for (const char* setting : {"software", "gpu"}) {
        SCOPED_TRACE(setting);
        m_log.clear();
        setenv("PELLORA_RENDERER", setting, 1);
        CGfxOGL& gfx = CGfxOGL::Get();
        const uint32_t flags = gfx.PrepareRenderer();
        EXPECT_EQ(flags, std::string(setting) == "gpu" ? uint32_t{SDL_WINDOW_OPENGL} : 0u);
        EXPECT_TRUE(LogHas(std::string("CGfxOGL::PrepareRenderer - ") +
                           (std::string(setting) == "gpu" ? "GPU" : "software") + " renderer (set by PELLORA_RENDERER)"));
        OpenWindow();
        EXPECT_STREQ(gfx.GetRendererName(), "software");
        EXPECT_EQ(gfx.GetRendererPath(), ERendererPath::Software);
        EXPECT_TRUE(LogHas("CGfxOGL::Create - renderer software"));
        const bool fellBack = std::any_of(m_log.begin(), m_log.end(), [](const std::string& line) {
            return line.rfind("CGfxOGL::Create - no GPU renderer", 0) == 0;
        });
        EXPECT_EQ(fellBack, std::string(setting) == "gpu");
        EXPECT_STREQ(SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION), "0");
        gfx.Destroy();
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }
}

}  // namespace
