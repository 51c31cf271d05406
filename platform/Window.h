#pragma once
// The one application window on SDL2: creation, the event pump, message boxes, minimise,
// full screen toggling, the game controllers plugged in and out. The rest of the program sees no SDL: the pump reports what happened
// through IWindowEvents, and key and button states go straight into CInput.
#include "platform/Input.h"
#include <cstdint>

struct SDL_Window;
union SDL_Event;
struct _SDL_GameController;

// What the event pump reports to the application.
class IWindowEvents {
public:
    virtual ~IWindowEvents() = default;
    virtual void OnFocusGained() = 0;
    virtual void OnFocusLost() = 0;
    // The close button or the desktop asked the program to end.
    virtual void OnCloseRequested() = 0;
    // Escape and F8 act when the key is released.
    virtual void OnEscapeReleased() = 0;
    virtual void OnScreenshotKey() = 0;
    // One typed character as a Windows-1252 byte (8 for Backspace, 13 for Return).
    virtual void OnCharacter(uint8_t code) = 0;
    // The window's drawable size changed.
    virtual void OnClientResize(int width, int height) = 0;
};

class CWindow {
public:
    static CWindow& Get();

    // Starts SDL's video. False when there is no display; the cause is on stderr.
    bool InitVideo();
    // The window over the desktop's own mode (full screen) or a resizable window; the
    // system pointer is hidden and the screen saver is kept off. A full-screen window is
    // mapped borderless over the whole desktop first, so that its first picture does not wait
    // for the window manager; EnterFullscreen then makes it full screen.
    bool Create(const char* title, int width, int height, bool fullscreen);
    // Asks for full screen for a window created full screen (once its first picture is
    // shown); a window manager may take a moment to answer.
    void EnterFullscreen();
    void Destroy();
    // Ends SDL (after the services are gone).
    void ShutdownVideo();
    // Controllers open now.
    int OpenPadCount() const;

    // Handles one waiting event; false when none was waiting.
    bool PollEvent(IWindowEvents& events);
    // Blocks until an event arrives and handles it.
    void WaitEvent(IWindowEvents& events);
    // Blocks until an event arrives (and handles it) or the time is up; false on time-out.
    bool WaitEventTimeout(IWindowEvents& events, int milliseconds);

    void Minimize();
    // A window's new size in pixels (the benchmarks' way to stand in for another display);
    // the renderer sees it once the events are pumped.
    void SetClientSize(int width, int height);
    // Shows a minimised window again.
    void Restore();
    void ToggleFullscreen();
    bool IsFullscreen() const { return m_fullscreen; }
    // Asks the event pump to end the program (a quit event with code 0).
    void PostQuit();
    // Keeps the system pointer inside the mouse cursor's confinement (full screen only),
    // or lets it go.
    void ConfinePointer(bool confine);
    // Applies a changed confinement rectangle if the pointer is being held.
    void RefreshPointerConfinement() { ConfinePointer(m_pointerConfined); }

    SDL_Window* GetSdlWindow() const { return m_window; }
    // The refresh rate of the window's display in Hz; 60 when it is not known.
    int GetRefreshRate() const;

    // A message box with the same text on stderr (works without a window too).
    static void ShowMessageBox(const char* caption, const char* text);

    static constexpr int kMaxPads = kMaxPadSlots;

private:
    // The window borderless over its whole display.
    void CoverDisplay();
    CWindow() = default;
    void OpenPad(int deviceIndex);
    void ClosePad(int32_t instanceId);
    void CloseAllPads();
    // The slot of the open controller with that instance id, -1 when none is.
    int32_t PadSlotOf(int32_t instanceId) const;
    void HandlePadButton(int32_t instanceId, uint8_t button, bool down, IWindowEvents& events);
    void HandlePadAxis(int32_t instanceId, uint8_t axis, int16_t value);
    void HandleEvent(const SDL_Event& event, IWindowEvents& events);
    void HandleKey(uint32_t scancode, bool down, bool repeat, uint16_t modifiers, IWindowEvents& events);
    void HandleWindowEvent(uint8_t windowEvent, int32_t data1, int32_t data2, IWindowEvents& events);

    SDL_Window* m_window = nullptr;
    bool m_videoStarted = false;
    bool m_fullscreen = true;
    bool m_pointerConfined = false;
    bool m_fullscreenPending = false;   // borderless over the desktop until EnterFullscreen
    int m_width = 640;
    int m_height = 480;
    _SDL_GameController* m_pads[kMaxPads] = {};
    float m_stickX = 0.0f, m_stickY = 0.0f;
    float m_slotStickX[kMaxPads] = {};
    float m_slotStickY[kMaxPads] = {};
};
