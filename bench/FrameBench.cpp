// What one frame of the game screen costs the program itself: building the batches of a busy
// scene (a level's field, shots in flight, falling balls, particles, pop-ups, the HUD and the
// cursor), comparing it with the frame on screen, and drawing it with the software renderer.
// Runs on SDL's dummy video driver with the baked data of the build.
#include "app/Globals.h"
#include "gui/Game.h"
#include "gui/GuiVersus.h"
#include "gui/ScreenFlow.h"
#include "core/Log.h"
#include "core/Random.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "platform/Textures.h"
#include "platform/Window.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "resources/FileManager.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kStep = 1.0f / 150.0f;

// The pointer sweeps across the field, so the launcher turns and every shot flies elsewhere.
int32_t g_pointerStep = 0;
void SweepingPointer(int32_t& x, int32_t& y) {
    x = 180 + static_cast<int32_t>(140.0 + 130.0 * std::sin(g_pointerStep * 0.013));
    y = 200;
}

// One frame of a screen as the engine draws it, recorded and not yet shown, on a picture
// of the screen's width (the two-player match is wider than the rest).
void RecordScreen(CEngineState& screen, int pictureWidth = kWidth) {
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.SetPictureSize(pictureWidth, kHeight);
    gfx.Clear();
    gfx.BeginScene();
    gfx.LoadIdentity();
    screen.Render();
    CMouseCursor::Get().Draw();
    gfx.EndScene();
}

class CBusyScene {
public:
    static CBusyScene& Get() {
        static CBusyScene scene;
        return scene;
    }
    bool IsReady() const { return m_ready; }
    void Record() { RecordScreen(m_screen); }

private:
    CBusyScene() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("PELLORA_RENDERER", "software", 1);
        CLog::Get().SetEnabled(false);
        const std::string data = std::string(PELLORA_BINARY_DIR) + "/pellora_data";
        CFileManager& files = CFileManager::Get();
        // Whatever the game writes (its silent save at a level start) goes to a folder of
        // the benchmark's own, never into the build's data folder.
        char scratch[] = "/tmp/pellora-bench.XXXXXX";
        if (mkdtemp(scratch) == nullptr) {
            std::fprintf(stderr, "FrameBench: no scratch folder\n");
            return;
        }
        files.MountFileSystem(scratch);
        for (const char* archive : {"/gfx.nuf", "/sound.nuf", "/levels.nuf"}) {
            files.MountFileSystem(data + archive);
        }
        CWindow& window = CWindow::Get();
        if (!window.InitVideo() || !window.Create("Pellora bench", kWidth, kHeight, false) ||
            !CGfxOGL::Get().Create(window.GetSdlWindow(), kWidth, kHeight, 32, 32, 0, false) ||
            !CInput::Get().Create()) {
            std::fprintf(stderr, "FrameBench: no window or renderer on the dummy video driver\n");
            return;
        }
        CMouseCursor::Get().Init();
        CMouseCursor::Get().SetVisible(true);
        CMouseCursor::Get().SetPointerFunctions(&SweepingPointer, nullptr);
        CLanguage::Get().Load();
        InstallLanguageGameTexts();
        g_texpackFace = CTextures::Get().Load("texpack_face");
        CFont::InitProgramFonts();
        RandomSeed(7);
        CreatePlayer("Bench");
        g_levelNumber = 1;
        g_firstLevel = 1;
        g_lastLevel = kNoLastLevel;
        g_continueSavedGame = false;
        if (g_texpackFace.id == 0 || !m_screen.Init()) {
            std::fprintf(stderr, "FrameBench: the game screen's pictures did not load from %s\n", data.c_str());
            return;
        }
        // The level-start panel, then four seconds of play with a shot every 0.3 s: balls
        // fly, land, burst and fall.
        CInput& input = CInput::Get();
        for (int step = 0; step < 1000; ++step) {
            ++g_pointerStep;
            input.SetButtonHeld(kMouseLeft, step % 45 < 3);
            input.Update();
            CMouseCursor::Get().Update(kStep);
            m_screen.Update(kStep);
        }
        input.SetButtonHeld(kMouseLeft, false);
        m_ready = true;
    }

    CGame m_screen;
    bool m_ready = false;
};

bool Prepare(benchmark::State& state) {
    if (!CBusyScene::Get().IsReady()) {
        state.SkipWithError("the busy scene could not be set up");
        return false;
    }
    return true;
}

// Building the batches: what every frame costs before anything is drawn.
void RecordFrames(benchmark::State& state, void (*record)()) {
    for (auto _ : state) {
        record();
        benchmark::DoNotOptimize(CGfxOGL::Get().GetVertexCount());
    }
}

// A changed picture: built, compared and drawn by the software renderer into the window.
void DrawFrames(benchmark::State& state, void (*record)()) {
    CGfxOGL& gfx = CGfxOGL::Get();
    for (auto _ : state) {
        record();
        gfx.Invalidate();
        gfx.Present();
    }
}

void RecordBusyScene() { CBusyScene::Get().Record(); }

void BM_RecordBusyFrame(benchmark::State& state) {
    if (Prepare(state)) {
        RecordFrames(state, &RecordBusyScene);
    }
}
BENCHMARK(BM_RecordBusyFrame)->Unit(benchmark::kMicrosecond);

// A still picture: the frame is built and found equal to the one on screen, nothing drawn.
void BM_UnchangedBusyFrame(benchmark::State& state) {
    if (!Prepare(state)) {
        return;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    for (int frame = 0; frame <= CGfxOGL::kForcedPresents; ++frame) {
        CBusyScene::Get().Record();
        gfx.Present();
    }
    const int presents = gfx.GetPresentCount();
    for (auto _ : state) {
        CBusyScene::Get().Record();
        gfx.Present();
    }
    if (gfx.GetPresentCount() != presents) {
        state.SkipWithError("an unchanged frame was drawn");
    }
}
BENCHMARK(BM_UnchangedBusyFrame)->Unit(benchmark::kMicrosecond);

void BM_DrawnBusyFrame(benchmark::State& state) {
    if (Prepare(state)) {
        DrawFrames(state, &RecordBusyScene);
    }
}
BENCHMARK(BM_DrawnBusyFrame)->Unit(benchmark::kMicrosecond);

// A versus match in play on the same window: the player's field full size and the
// computer's at half size, after thirteen seconds in which both sides fire (the player
// every second) and attacks wait and land. It should cost at most about twice the game's
// frame.
class CVersusScene {
public:
    static CVersusScene& Get() {
        static CVersusScene scene;
        return scene;
    }
    bool IsReady() const { return m_ready; }
    void Record() { RecordScreen(m_screen); }

private:
    CVersusScene() {
        if (!CBusyScene::Get().IsReady() || !m_screen.Init()) {
            return;
        }
        g_versusStrength = static_cast<int32_t>(EBotStrength::Hard);
        m_screen.StartMatch(11);
        CInput& input = CInput::Get();
        for (int step = 0; step < 2000 && m_screen.Match().Phase() == EVersusPhase::Playing; ++step) {
            ++g_pointerStep;
            input.SetButtonHeld(kMouseLeft, step % 150 < 3);
            input.Update();
            CMouseCursor::Get().Update(kStep);
            m_screen.Update(kStep);
        }
        input.SetButtonHeld(kMouseLeft, false);
        // Mid-round: a round that ended shows its panel instead.
        m_ready = m_screen.Match().Phase() == EVersusPhase::Playing;
    }

    CGuiVersus m_screen;
    bool m_ready = false;
};

// The busy scene (which makes the window) and then the scene of its own.
template <typename Scene>
bool PrepareScene(benchmark::State& state, const char* failure) {
    if (!Prepare(state)) {
        return false;
    }
    if (!Scene::Get().IsReady()) {
        state.SkipWithError(failure);
        return false;
    }
    return true;
}

bool PrepareVersus(benchmark::State& state) {
    return PrepareScene<CVersusScene>(state, "the versus scene could not be set up");
}

void RecordVersusScene() { CVersusScene::Get().Record(); }

void BM_RecordVersusFrame(benchmark::State& state) {
    if (PrepareVersus(state)) {
        RecordFrames(state, &RecordVersusScene);
    }
}
BENCHMARK(BM_RecordVersusFrame)->Unit(benchmark::kMicrosecond);

void BM_DrawnVersusFrame(benchmark::State& state) {
    if (PrepareVersus(state)) {
        DrawFrames(state, &RecordVersusScene);
    }
}
BENCHMARK(BM_DrawnVersusFrame)->Unit(benchmark::kMicrosecond);

// Two players at one machine: both fields full size on the wide picture, scaled into the
// 640x480 window as on a 4:3 display, after thirteen seconds in which both turn and fire
// (one every second, the other every 1.3 s) and attacks wait and land. It should cost at most 1.5 times
// the versus frame against the computer.
class CTwoPlayerScene {
public:
    static CTwoPlayerScene& Get() {
        static CTwoPlayerScene scene;
        return scene;
    }
    bool IsReady() const { return m_ready; }
    void Record() { RecordScreen(m_screen, kWidePictureWidth); }

private:
    static TwoPlayerSetup Setup() {
        TwoPlayerSetup setup;
        setup.devices[0] = SideDevice{EDeviceKind::LeftKeys, 0};
        setup.devices[1] = SideDevice{EDeviceKind::RightKeys, 0};
        setup.names[0] = "Ann";
        setup.names[1] = "Bea";
        return setup;
    }
    CTwoPlayerScene() : m_screen(Setup(), 11) {
        if (!CBusyScene::Get().IsReady() || !m_screen.Init()) {
            return;
        }
        CInput& input = CInput::Get();
        for (int step = 0; step < 2000 && m_screen.Match().Phase() == EVersusPhase::Playing; ++step) {
            // Each sweeps its launcher slowly one way and back, so that the shots spread
            // over the field.
            const bool firstRight = (step / 450) % 2 == 0;
            const bool secondRight = (step / 390) % 2 == 1;
            input.SetKeyHeld(DIK_LSHIFT, true);
            input.SetKeyHeld(DIK_RSHIFT, true);
            input.SetKeyHeld(DIK_D, firstRight);
            input.SetKeyHeld(DIK_A, !firstRight);
            input.SetKeyHeld(DIK_RIGHT, secondRight);
            input.SetKeyHeld(DIK_LEFT, !secondRight);
            input.SetKeyHeld(DIK_W, step % 150 == 60);
            input.SetKeyHeld(DIK_UP, step % 195 == 60);
            input.Update();
            CMouseCursor::Get().Update(kStep);
            m_screen.Update(kStep);
        }
        for (const uint8_t key : {DIK_W, DIK_A, DIK_D, DIK_UP, DIK_LEFT, DIK_RIGHT, DIK_LSHIFT, DIK_RSHIFT}) {
            input.SetKeyHeld(key, false);
        }
                m_ready = m_screen.Match().Phase() == EVersusPhase::Playing;
    }

    CGuiVersus m_screen;
    bool m_ready = false;
};

bool PrepareTwoPlayers(benchmark::State& state) {
    return PrepareScene<CTwoPlayerScene>(state, "the two-player scene could not be set up");
}

void RecordTwoPlayerScene() { CTwoPlayerScene::Get().Record(); }

void BM_RecordTwoPlayerFrame(benchmark::State& state) {
    if (PrepareTwoPlayers(state)) {
        RecordFrames(state, &RecordTwoPlayerScene);
    }
}
BENCHMARK(BM_RecordTwoPlayerFrame)->Unit(benchmark::kMicrosecond);

void BM_DrawnTwoPlayerFrame(benchmark::State& state) {
    if (PrepareTwoPlayers(state)) {
        DrawFrames(state, &RecordTwoPlayerScene);
    }
}
BENCHMARK(BM_DrawnTwoPlayerFrame)->Unit(benchmark::kMicrosecond);

// The two frames as a wide display shows them (1280x720 here): both pictures are scaled
// into the window, the versus picture with bars at its sides.
constexpr int kWideWindowWidth = 1280;
constexpr int kWideWindowHeight = 720;

class CWideWindow {
public:
    CWideWindow() { CWindow::Get().SetClientSize(kWideWindowWidth, kWideWindowHeight); }
    ~CWideWindow() { CWindow::Get().SetClientSize(kWidth, kHeight); }
};

void BM_DrawnVersusFrameWide(benchmark::State& state) {
    if (PrepareVersus(state)) {
        CWideWindow wide;
        DrawFrames(state, &RecordVersusScene);
    }
}
BENCHMARK(BM_DrawnVersusFrameWide)->Unit(benchmark::kMicrosecond);

void BM_DrawnTwoPlayerFrameWide(benchmark::State& state) {
    if (PrepareTwoPlayers(state)) {
        CWideWindow wide;
        DrawFrames(state, &RecordTwoPlayerScene);
    }
}
BENCHMARK(BM_DrawnTwoPlayerFrameWide)->Unit(benchmark::kMicrosecond);
}  // namespace
