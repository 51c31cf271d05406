#include "engine/Engine.h"

#include "core/Log.h"
#include "core/Random.h"
#include "engine/StateManager.h"
#include "core/Timer.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
void SleepMilliseconds(int32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

constexpr int kScreenshotSlots = 100;
constexpr size_t kTgaHeaderSize = 18;

// "qvt00.tga" .. "qvt99.tga" in folder (empty: the working directory): the first that
// cannot be opened for reading, or false.
bool FindFreeScreenshotName(const std::string& folder, std::string& path) {
    const std::string prefix = folder.empty() ? std::string() : folder + "/";
    for (int number = 0; number < kScreenshotSlots; ++number) {
        char name[16];
        std::snprintf(name, sizeof(name), "qvt%d%d.tga", number / 10, number % 10);
        path = prefix + name;
        FILE* existing = std::fopen(path.c_str(), "rb");
        if (existing == nullptr) {
            return true;
        }
        std::fclose(existing);
    }
    return false;
}
}  // namespace

CEngine& CEngine::Get() {
    static CEngine engine;
    return engine;
}

CEngine::CEngine() : m_sleep(&SleepMilliseconds) {
    CTimer::Get().Advance();
    RandomSeedWithTime();
}

void CEngine::SetSleepFunction(SleepFunction sleep) {
    m_sleep = sleep != nullptr ? sleep : &SleepMilliseconds;
}

bool CEngine::Create(CWindow& window, int width, int height, bool fullscreen, int bpp, int depth, int stencil) {
    m_window = &window;
    CFileManager& files = CFileManager::Get();
    if (!files.HasFileSystems()) {
        files.MountFileSystem("");
    }
    if (!CInput::Get().Create()) {
        CLog::Get().Write("CEngine::Init_InputSystem CInput FAILED");
        CWindow::ShowMessageBox("Input Error!", "CEngine::Init_InputSystem CInput FAILED");
        return false;
    }
    if (!CSoundBass::Get().Init()) {
        return false;
    }
    if (!CGfxOGL::Get().Create(window.GetSdlWindow(), width, height, bpp, depth, stencil, fullscreen)) {
        return false;
    }
    // Changed pictures are shown at the display's pace; the steps keep theirs.
    CGfxOGL::Get().SetPresentInterval(1.0 / window.GetRefreshRate());
    // The window shows black at once, the picture the intro starts from, while the start-up
    // hook loads the fonts and sounds.
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Clear();
    gfx.Present();
    window.EnterFullscreen();
    CMouseCursor::Get().Init();
    if (m_startupHook != nullptr && !m_startupHook()) {
        return false;
    }
    if (!CStateManager::Lower().SetState(m_firstState, false)) {
        CLog::Get().Write("CEngine::Create FAILED Couldn't set default game state: %d", m_firstState);
        return false;
    }
    return true;
}

void CEngine::Activate() {
    CLog::Get().Write("CEngine::Activate");
    CInput::Get().Activate();
    CStateManager::Lower().Activate();
    CStateManager::Upper().Activate();
    // The time spent inactive is not handed to the states.
    CTimer::Get().Advance();
    CGfxOGL::Get().Activate();
    CSoundBass::Get().Resume();
}

void CEngine::Deactivate() {
    CSoundBass::Get().Pause();
    CLog::Get().Write("CEngine::Deactivate");
    CStateManager::Upper().Deactivate();
    CStateManager::Lower().Deactivate();
    CInput::Get().Deactivate();
    CGfxOGL::Get().Deactivate();
}

void CEngine::Frame() {
    CTimer& timer = CTimer::Get();
    timer.Advance();
    m_accumulator += static_cast<float>(timer.GetElapsedSeconds());
    m_frameStartTicks = timer.GetTicks();

    RunUpdateSteps();
    RenderFrame();
    PaceFrame();
    ApplyStateRequests();
}

void CEngine::RunUpdateSteps() {
    m_lastStepCount = 0;
    while (m_accumulator >= m_fixedStep) {
        // The pointer is read with the buttons, before the states: a click that arrives
        // with a move acts where the pointer went, not where it was a step before.
        CInput::Get().Update();
        CMouseCursor::Get().Update(m_fixedStep);
        CStateManager::Upper().Update(m_fixedStep);
        CStateManager::Lower().Update(m_fixedStep);
        if (m_overlayUpdate != nullptr) {
            m_overlayUpdate(m_fixedStep);
        }
        m_accumulator -= m_fixedStep;
        ++m_lastStepCount;
    }
}

void CEngine::RenderFrame() {
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Clear();
    gfx.BeginScene();
    gfx.LoadIdentity();
    CStateManager::Lower().Render();
    CStateManager::Upper().Render();
    if (m_overlayRender != nullptr) {
        m_overlayRender();
    }
    CMouseCursor::Get().Draw();
    gfx.EndScene();
    gfx.Present();
}

bool CEngine::IsPictureStill() const {
    return CGfxOGL::Get().GetUnchangedFrames() >= kStillFrames;
}

void CEngine::PaceFrame() {
    m_lastFrameMs = static_cast<float>(CTimer::Get().GetSecondsSince(m_frameStartTicks) * 1000.0);
    m_lastSleepMs = kFrameBudgetMs - static_cast<int32_t>(m_lastFrameMs);
    if (IsPictureStill()) {
        return;   // the application waits for input instead
    }
    if (m_lastSleepMs >= 0) {
        m_sleep(m_lastSleepMs);
    }
}

void CEngine::ApplyStateRequests() {
    CStateManager& upper = CStateManager::Upper();
    CStateManager& lower = CStateManager::Lower();
    upper.ApplyPendingExit();
    lower.ApplyPendingExit();
    upper.ApplyPendingEnter();
    lower.ApplyPendingEnter();
}

void CEngine::Destroy() {
    CStateManager::Upper().SetState(kStateNone, true);
    CStateManager::Lower().SetState(kStateNone, true);
    if (m_shutdownHook != nullptr) {
        m_shutdownHook();
    }
    CMouseCursor::Get().Destroy();
    CGfxOGL::Get().Destroy();
    CInput::Get().Destroy();
    CSoundBass::Get().Destroy();
}

void CEngine::OnClientResize(int width, int height) {
    // The picture stays 640x480 whatever the window's size: the renderer letterboxes it into
    // the window, so the renderer's own width and height are left as they are.
    CLog::Get().Write("Client Rect Size %d*%d", width, height);
}

bool CEngine::OnEscape() {
    if (CStateManager::Lower().OnEscape()) {
        return true;
    }
    return CStateManager::Upper().OnEscape();
}

bool CEngine::CloseRequestEnds() {
    if (TakeQuitRequest()) {
        return true;
    }
    // Both layers hear it: the editor's field below and its panel above.
    const bool lowerHolds = CStateManager::Lower().OnCloseRequested();
    const bool upperHolds = CStateManager::Upper().OnCloseRequested();
    return !lowerHolds && !upperHolds;
}

void CEngine::OnChar(int32_t code) {
    CStateManager::Upper().OnChar(code);
    CStateManager::Lower().OnChar(code);
}

void CEngine::BroadcastMessage(int32_t messageId, int32_t parameter) {
    CStateManager::Lower().OnMessage(messageId, parameter);
    CStateManager::Upper().OnMessage(messageId, parameter);
}

void CEngine::SetLowerState(int32_t stateId) {
    CStateManager::Lower().RequestState(stateId);
}

void CEngine::SetLowerState(int32_t stateId, std::unique_ptr<CEngineState> state) {
    CStateManager::Lower().RequestState(stateId, std::move(state));
}

void CEngine::SetUpperState(int32_t stateId) {
    CStateManager::Upper().RequestState(stateId);
}

void CEngine::SetStateLogging(bool logging) {
    m_stateLogging = logging;
    CStateManager::Lower().SetLogging(logging);
    CStateManager::Upper().SetLogging(logging);
}

bool CEngine::SaveScreenshot() {
    std::string name;
    if (!FindFreeScreenshotName(m_screenshotFolder, name)) {
        CLog::Get().Write("CEngine::SaveScreenshot FAILED no free name, qvt00.tga to qvt99.tga all exist");
        return false;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    const int width = gfx.GetPictureWidth();
    const int height = gfx.GetPictureHeight();
    std::vector<uint8_t> buffer((static_cast<size_t>(width) * height + 6) * 3, 0);
    buffer[2] = 2;   // uncompressed true colour
    WriteLe16(buffer.data() + 12, static_cast<uint16_t>(width));
    WriteLe16(buffer.data() + 14, static_cast<uint16_t>(height));
    buffer[16] = 24;  // bits per pixel; descriptor 0: rows from the bottom up
    uint8_t* const pixels = buffer.data() + kTgaHeaderSize;
    if (!gfx.ReadPixels(pixels)) {
        CLog::Get().Write("CEngine::SaveScreenshot FAILED ReadPixels");
        return false;
    }
    const size_t pixelCount = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < pixelCount; ++i) {
        std::swap(pixels[i * 3], pixels[i * 3 + 2]);
    }
    if (!WriteFileAtPath(name, buffer.data(), buffer.size())) {
        CLog::Get().Write("CEngine::SaveScreenshot FAILED write file: %s", name.c_str());
        return false;
    }
    return true;
}

void CEngine::Minimize() {
    if (m_window != nullptr) {
        m_window->Minimize();
    }
}

bool CEngine::TakeQuitRequest() {
    const bool requested = m_quitRequested;
    m_quitRequested = false;
    return requested;
}

void CEngine::Quit() {
    m_quitRequested = true;
    if (m_window != nullptr) {
        m_window->PostQuit();
    }
}
