#pragma once
// CEngine: the order of start-up and shut-down of the platform services, the fixed-step frame
// loop over the two state layers, and the few operations states use to talk to the program.
#include "engine/EngineState.h"

#include <cstdint>
#include <memory>
#include <string>

class CWindow;

class CEngine {
public:
    using StartupHook = bool (*)();
    using ShutdownHook = void (*)();
    using SleepFunction = void (*)(int32_t milliseconds);
    using OverlayUpdate = void (*)(float dt);
    using OverlayRender = void (*)();

    static constexpr int32_t kFrameBudgetMs = 10;
    // A picture unchanged for this many frames in a row is still: the loop then stops pacing
    // at the frame budget and waits for input instead, at most kStillWaitMs before the next
    // frame. That wait stays below the 0.1 s cap of a frame's time, so the states are still
    // handed all of it in fixed steps; the first changed frame brings the budget back.
    static constexpr int32_t kStillFrames = 10;
    static constexpr int32_t kStillWaitMs = 50;

    static CEngine& Get();

    bool Create(CWindow& window, int width, int height, bool fullscreen, int bpp, int depth, int stencil);
    void Activate();
    void Deactivate();
    // One pass of the frame loop: fixed update steps, drawing, pacing, deferred state changes.
    void Frame();
    void Destroy();

    void OnClientResize(int width, int height);
    bool OnEscape();
    // The window's close request (the player's, or the event of the program's own Quit):
    // true when the program ends now, false when a state keeps it running to ask first
    // (the program's own Quit is never asked about).
    bool CloseRequestEnds();
    void OnChar(int32_t code);
    void BroadcastMessage(int32_t messageId, int32_t parameter);
    void SetLowerState(int32_t stateId);
    // A screen built by its caller, who handed it its data; the layer owns it from now.
    void SetLowerState(int32_t stateId, std::unique_ptr<CEngineState> state);
    void SetUpperState(int32_t stateId);
    void SetStateLogging(bool logging);
    // Writes the next free "qvtNN.tga" into the screenshot folder; false when none is written.
    bool SaveScreenshot();
    // Empty (the default): the working directory.
    void SetScreenshotFolder(const std::string& folder) { m_screenshotFolder = folder; }
    void Minimize();
    // Asks the window's event pump to end the program.
    void Quit();
    // True once after Quit was asked (so that screens tested without a window can see it).
    bool TakeQuitRequest();

    void SetStartupHook(StartupHook hook) { m_startupHook = hook; }
    // The state the lower layer starts with once the start-up hook has run.
    void SetFirstState(int32_t stateId) { m_firstState = stateId; }
    void SetShutdownHook(ShutdownHook hook) { m_shutdownHook = hook; }
    // What the program shows over both layers whatever screen is up (its notices): updated
    // after the layers in every step, drawn after them before the cursor.
    void SetOverlay(OverlayUpdate update, OverlayRender render) {
        m_overlayUpdate = update;
        m_overlayRender = render;
    }
    // The frame pacing's sleep; tests install their own.
    void SetSleepFunction(SleepFunction sleep);

    float GetFixedStep() const { return m_fixedStep; }
    float GetAccumulator() const { return m_accumulator; }
    void ResetAccumulator() { m_accumulator = 0.0f; }
    // True when the last kStillFrames frames showed nothing new.
    bool IsPictureStill() const;
    // Update steps run by the last Frame.
    int32_t GetLastStepCount() const { return m_lastStepCount; }
    bool IsStateLogging() const { return m_stateLogging; }

    // Carries out the state changes requested so far, all exits of both layers before any
    // entry (the end of every frame; screens tested without a frame loop call it too).
    void ApplyStateRequests();

private:
    CEngine();
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    void RunUpdateSteps();
    void RenderFrame();
    void PaceFrame();

    CWindow* m_window = nullptr;
    bool m_stateLogging = false;
    std::string m_screenshotFolder;
    const float m_fixedStep = 1.0f / 150.0f;
    StartupHook m_startupHook = nullptr;
    int32_t m_firstState = kStateEmpty;
    ShutdownHook m_shutdownHook = nullptr;
    OverlayUpdate m_overlayUpdate = nullptr;
    OverlayRender m_overlayRender = nullptr;
    SleepFunction m_sleep = nullptr;

    float m_accumulator = 0.0f;
    int64_t m_frameStartTicks = 0;
    float m_lastFrameMs = 0.0f;
    int32_t m_lastSleepMs = 0;
    int32_t m_lastStepCount = 0;
    bool m_quitRequested = false;
};
