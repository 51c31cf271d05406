#include "platform/Window.h"

#include "core/Log.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "platform/KeyTable.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdio>

namespace {
// A point of the window in picture pixels.
void WindowPointToPicture(int windowX, int windowY, int32_t& x, int32_t& y) {
    float pictureX = 0.0f;
    float pictureY = 0.0f;
    CGfxOGL::Get().WindowToPicture(windowX, windowY, pictureX, pictureY);
    x = static_cast<int32_t>(std::floor(pictureX));
    y = static_cast<int32_t>(std::floor(pictureY));
}

// The system pointer, in picture pixels.
void ReadSystemPointer(int32_t& x, int32_t& y) {
    int windowX = 0;
    int windowY = 0;
    SDL_GetMouseState(&windowX, &windowY);
    WindowPointToPicture(windowX, windowY, x, y);
}

void MoveSystemPointer(float pictureX, float pictureY) {
    SDL_Window* const window = CWindow::Get().GetSdlWindow();
    if (window == nullptr) {
        return;
    }
    int windowX = 0;
    int windowY = 0;
    CGfxOGL::Get().PictureToWindow(pictureX, pictureY, windowX, windowY);
    SDL_WarpMouseInWindow(window, windowX, windowY);
}

void ConfineSystemPointer(float minX, float minY, float maxX, float maxY) {
    CWindow::Get().RefreshPointerConfinement();
}

void SwitchTextInput(bool on) {
    if (on) {
        SDL_StartTextInput();
    } else {
        SDL_StopTextInput();
    }
}

bool IsHeadlessDriver(const char* driver) {
    return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0 ||
           SDL_strcmp(driver, "evdev") == 0;
}

// Pellora's number of a controller button; Count for buttons the game does not use.
EPadButton PadButtonOf(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_CONTROLLER_BUTTON_A: return EPadButton::A;
        case SDL_CONTROLLER_BUTTON_B: return EPadButton::B;
        case SDL_CONTROLLER_BUTTON_X: return EPadButton::X;
        case SDL_CONTROLLER_BUTTON_Y: return EPadButton::Y;
        case SDL_CONTROLLER_BUTTON_BACK: return EPadButton::Back;
        case SDL_CONTROLLER_BUTTON_START: return EPadButton::Start;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return EPadButton::LeftShoulder;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return EPadButton::RightShoulder;
        case SDL_CONTROLLER_BUTTON_DPAD_UP: return EPadButton::DpadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return EPadButton::DpadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return EPadButton::DpadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return EPadButton::DpadRight;
        default: return EPadButton::Count;
    }
}

// An axis value as -1 to 1.
float AxisUnit(int16_t value) {
    return value < 0 ? static_cast<float>(value) / 32768.0f : static_cast<float>(value) / 32767.0f;
}

int MouseButtonNumber(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return kMouseLeft;
        case SDL_BUTTON_RIGHT: return kMouseRight;
        case SDL_BUTTON_MIDDLE: return kMouseMiddle;
        case SDL_BUTTON_X1: return kMouseFourth;
        default: return -1;
    }
}
}  // namespace

CWindow& CWindow::Get() {
    static CWindow window;
    return window;
}

bool CWindow::InitVideo() {
    if (m_videoStarted) {
        return true;
    }
    // Focus loss is handled by the program itself (minimised in full screen only).
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Pellora: no display could be opened (%s)\n", SDL_GetError());
        CLog::Get().Write("CWindow::InitVideo FAILED %s", SDL_GetError());
        return false;
    }
    // Without any display SDL falls back to drivers that draw nowhere; the game would run
    // unseen. They are taken only when asked for by name (the tests do).
    const char* const driver = SDL_GetCurrentVideoDriver();
    if (SDL_getenv("SDL_VIDEODRIVER") == nullptr && driver != nullptr && IsHeadlessDriver(driver)) {
        std::fprintf(stderr, "Pellora: no display could be opened (no X11 or Wayland display; only \"%s\" video)\n",
                     driver);
        CLog::Get().Write("CWindow::InitVideo FAILED no display, video driver %s", driver);
        SDL_Quit();
        return false;
    }
    // Controllers are optional: without them the game is played by mouse and keys. SDL reads
    // SDL_GAMECONTROLLERCONFIG for pads its own table does not know, and announces every pad,
    // those present at start too, as an added device.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        CLog::Get().Write("CWindow::InitVideo FAILED no game controllers, %s", SDL_GetError());
    }
    m_videoStarted = true;
    return true;
}

bool CWindow::Create(const char* title, int width, int height, bool fullscreen) {
    m_width = width;
    m_height = height;
    m_fullscreen = fullscreen;
    // The renderer is chosen first: the window gets the flags it needs and is mapped once.
    const Uint32 rendererFlags = CGfxOGL::Get().PrepareRenderer();
    // Full screen: borderless over the desktop until EnterFullscreen, since SDL waits up to
    // 0.1 s for the window manager when a window is shown full screen.
    SDL_DisplayMode desktop{};
    const bool overDesktop = fullscreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0;
    Uint32 flags = (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE) | rendererFlags;
    int x = SDL_WINDOWPOS_CENTERED;
    int y = SDL_WINDOWPOS_CENTERED;
    int w = width;
    int h = height;
    if (overDesktop) {
        flags = SDL_WINDOW_BORDERLESS | rendererFlags;
        x = 0;
        y = 0;
        w = desktop.w;
        h = desktop.h;
    }
    m_fullscreenPending = overDesktop;
    m_window = SDL_CreateWindow(title, x, y, w, h, flags);
    if (m_window == nullptr) {
        std::fprintf(stderr, "Pellora: the window could not be created (%s)\n", SDL_GetError());
        CLog::Get().Write("CWindow::Create FAILED %s", SDL_GetError());
        return false;
    }
    SDL_SetWindowMinimumSize(m_window, 320, 240);
    SDL_DisableScreenSaver();
    SDL_ShowCursor(SDL_DISABLE);
    // Typed text only while a screen asks for a name (CInput::SetTextEntry).
    SwitchTextInput(CInput::Get().IsTextEntryOn());
    CInput::Get().SetTextEntrySwitch(&SwitchTextInput);
    CMouseCursor::Get().SetPointerFunctions(&ReadSystemPointer, &MoveSystemPointer);
    CMouseCursor::Get().SetConfineFunction(&ConfineSystemPointer);
    return true;
}

void CWindow::EnterFullscreen() {
    if (m_window == nullptr || !m_fullscreenPending) {
        return;
    }
    m_fullscreenPending = false;
    if (SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        CLog::Get().Write("CWindow::EnterFullscreen FAILED %s", SDL_GetError());
    }
}

void CWindow::Destroy() {
    CMouseCursor::Get().SetPointerFunctions(nullptr, nullptr);
    CMouseCursor::Get().SetConfineFunction(nullptr);
    CInput::Get().SetTextEntrySwitch(nullptr);
    if (m_window != nullptr) {
        SDL_StopTextInput();
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }
}

void CWindow::ShutdownVideo() {
    CloseAllPads();
    if (m_videoStarted) {
        SDL_Quit();
        m_videoStarted = false;
    }
}

bool CWindow::PollEvent(IWindowEvents& events) {
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) {
        return false;
    }
    HandleEvent(event, events);
    return true;
}

void CWindow::WaitEvent(IWindowEvents& events) {
    SDL_Event event;
    if (SDL_WaitEvent(&event) != 0) {
        HandleEvent(event, events);
    }
}

bool CWindow::WaitEventTimeout(IWindowEvents& events, int milliseconds) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, milliseconds) == 0) {
        return false;
    }
    HandleEvent(event, events);
    return true;
}

void CWindow::HandleEvent(const SDL_Event& event, IWindowEvents& events) {
    switch (event.type) {
        case SDL_QUIT:
            events.OnCloseRequested();
            break;
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window.event, event.window.data1, event.window.data2, events);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            HandleKey(event.key.keysym.scancode, event.type == SDL_KEYDOWN, event.key.repeat != 0,
                      event.key.keysym.mod, events);
            break;
        case SDL_TEXTINPUT: {
            uint8_t codes[sizeof(event.text.text)];
            const size_t count = Utf8ToWindows1252(event.text.text, codes, sizeof(codes));
            for (size_t i = 0; i < count; ++i) {
                events.OnCharacter(codes[i]);
            }
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.type == SDL_MOUSEBUTTONDOWN) {
                // Where the press was made, which the pointer's state may have left already
                // or not yet reached when the next step reads it.
                int32_t x = 0;
                int32_t y = 0;
                WindowPointToPicture(event.button.x, event.button.y, x, y);
                CMouseCursor::Get().NoteButtonDown(x, y);
            }
            CInput::Get().SetButtonHeld(MouseButtonNumber(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
            break;
        case SDL_CONTROLLERDEVICEADDED:
            OpenPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            ClosePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            HandlePadButton(event.cbutton.which, event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN, events);
            break;
        case SDL_CONTROLLERAXISMOTION:
            HandlePadAxis(event.caxis.which, event.caxis.axis, event.caxis.value);
            break;
        default:
            break;
    }
}

void CWindow::OpenPad(int deviceIndex) {
    SDL_GameController* const pad = SDL_GameControllerOpen(deviceIndex);
    if (pad == nullptr) {
        CLog::Get().Write("CWindow::OpenPad FAILED %s", SDL_GetError());
        return;
    }
    for (SDL_GameController*& slot : m_pads) {
        if (slot == pad) {
            SDL_GameControllerClose(pad);   // announced twice: it is open already
            return;
        }
    }
    for (int32_t index = 0; index < kMaxPads; ++index) {
        SDL_GameController*& slot = m_pads[index];
        if (slot == nullptr) {
            slot = pad;
            m_slotStickX[index] = 0.0f;
            m_slotStickY[index] = 0.0f;
            CInput::Get().PadConnected(index);
            CLog::Get().Write("CWindow::OpenPad %s", SDL_GameControllerName(pad) != nullptr ? SDL_GameControllerName(pad) : "");
            return;
        }
    }
    CLog::Get().Write("CWindow::OpenPad FAILED more than %d controllers", kMaxPads);
    SDL_GameControllerClose(pad);
}

void CWindow::ClosePad(int32_t instanceId) {
    const int32_t index = PadSlotOf(instanceId);
    if (index < 0) {
        return;
    }
    SDL_GameControllerClose(m_pads[index]);
    m_pads[index] = nullptr;
    m_stickX = 0.0f;
    m_stickY = 0.0f;
    CInput::Get().PadDisconnected(index);
}

int32_t CWindow::PadSlotOf(int32_t instanceId) const {
    for (int32_t index = 0; index < kMaxPads; ++index) {
        SDL_GameController* const pad = m_pads[index];
        if (pad != nullptr && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == instanceId) {
            return index;
        }
    }
    return -1;
}

void CWindow::CloseAllPads() {
    for (SDL_GameController*& slot : m_pads) {
        if (slot != nullptr) {
            SDL_GameControllerClose(slot);
            slot = nullptr;
        }
    }
}

int CWindow::OpenPadCount() const {
    int count = 0;
    for (const SDL_GameController* slot : m_pads) {
        count += slot != nullptr ? 1 : 0;
    }
    return count;
}

void CWindow::HandlePadButton(int32_t instanceId, uint8_t button, bool down, IWindowEvents& events) {
    const EPadButton padButton = PadButtonOf(button);
    if (padButton == EPadButton::Count) {
        return;
    }
    CInput::Get().SetPadButtonHeld(padButton, down, PadSlotOf(instanceId));
    // Back does what Escape does, on its release as Escape.
    if (padButton == EPadButton::Back && !down) {
        events.OnEscapeReleased();
    }
}

void CWindow::HandlePadAxis(int32_t instanceId, uint8_t axis, int16_t value) {
    const int32_t index = PadSlotOf(instanceId);
    float* const slotAxis = axis == SDL_CONTROLLER_AXIS_LEFTX ? m_slotStickX : m_slotStickY;
    if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
        m_stickX = AxisUnit(value);
    } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
        m_stickY = AxisUnit(value);
    } else {
        return;
    }
    if (index >= 0) {
        slotAxis[index] = AxisUnit(value);
        CInput::Get().SetPadStick(m_slotStickX[index], m_slotStickY[index], index);
    }
    CInput::Get().SetPadStick(m_stickX, m_stickY, -1);
}

void CWindow::HandleKey(uint32_t scancode, bool down, bool repeat, uint16_t modifiers, IWindowEvents& events) {
    const bool isReturn = scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
    if (down && isReturn && (modifiers & KMOD_ALT) != 0) {
        // Alt+Enter switches the screen and nothing else: its Return neither chooses the
        // focused item nor types.
        if (!repeat) {
            ToggleFullscreen();
        }
        return;
    }
    CInput::Get().SetKeyHeld(DikFromScancode(static_cast<int32_t>(scancode)), down);
    if (down) {
        // Backspace and Return type a character of their own, repeating while held.
        if (scancode == SDL_SCANCODE_BACKSPACE) {
            events.OnCharacter(8);
        } else if (isReturn) {
            events.OnCharacter(13);
        }
        return;
    }
    if (scancode == SDL_SCANCODE_ESCAPE) {
        events.OnEscapeReleased();
    } else if (scancode == SDL_SCANCODE_F8) {
        events.OnScreenshotKey();
    }
}

void CWindow::HandleWindowEvent(uint8_t windowEvent, int32_t data1, int32_t data2, IWindowEvents& events) {
    switch (windowEvent) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            events.OnFocusGained();
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            events.OnFocusLost();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
            CGfxOGL::Get().Invalidate();   // the window's contents may be gone
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            CGfxOGL::Get().Invalidate();
            events.OnClientResize(data1, data2);
            if (m_pointerConfined) {
                ConfinePointer(true);   // the picture moved inside the window
            }
            break;
        case SDL_WINDOWEVENT_CLOSE:
            events.OnCloseRequested();
            break;
        default:
            break;
    }
}

void CWindow::Minimize() {
    if (m_window != nullptr) {
        SDL_MinimizeWindow(m_window);
    }
}

void CWindow::SetClientSize(int width, int height) {
    if (m_window != nullptr) {
        SDL_SetWindowSize(m_window, width, height);
        SDL_PumpEvents();
    }
}

void CWindow::Restore() {
    if (m_window != nullptr && (SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0) {
        SDL_RestoreWindow(m_window);
    }
}

void CWindow::ToggleFullscreen() {
    if (m_window == nullptr) {
        return;
    }
    const bool fullscreen = !m_fullscreen;
    if (fullscreen) {
        CoverDisplay();
    }
    if (SDL_SetWindowFullscreen(m_window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        CLog::Get().Write("CWindow::ToggleFullscreen FAILED %s", SDL_GetError());
        return;
    }
    m_fullscreen = fullscreen;
    m_fullscreenPending = false;
    if (!fullscreen) {
        SDL_SetWindowBordered(m_window, SDL_TRUE);   // it may have been made borderless
        SDL_SetWindowSize(m_window, m_width, m_height);
        SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    ConfinePointer(m_pointerConfined);
}

// Without a window manager nobody stretches a full-screen window over the display, so the
// window is made borderless and given the display's place and size itself, as at a start in
// full screen; with one, the full-screen state has the last word anyway.
void CWindow::CoverDisplay() {
    SDL_Rect bounds{};
    const int display = SDL_GetWindowDisplayIndex(m_window);
    if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
        CLog::Get().Write("CWindow::CoverDisplay FAILED %s", SDL_GetError());
        return;
    }
    SDL_SetWindowBordered(m_window, SDL_FALSE);
    SDL_SetWindowPosition(m_window, bounds.x, bounds.y);
    SDL_SetWindowSize(m_window, bounds.w, bounds.h);
}

void CWindow::PostQuit() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void CWindow::ConfinePointer(bool confine) {
    m_pointerConfined = confine;
    if (m_window == nullptr) {
        return;
    }
    // Only a full-screen game holds the pointer; a window lets it leave.
    if (!confine || !m_fullscreen) {
        SDL_SetWindowMouseRect(m_window, nullptr);
        return;
    }
    const CMouseCursor& cursor = CMouseCursor::Get();
    int left = 0, top = 0, right = 0, bottom = 0;
    CGfxOGL::Get().PictureToWindow(std::trunc(cursor.GetMinX()), std::trunc(cursor.GetMinY()), left, top);
    CGfxOGL::Get().PictureToWindow(std::trunc(cursor.GetMaxX()), std::trunc(cursor.GetMaxY()), right, bottom);
    const SDL_Rect area = {left, top, right - left + 1, bottom - top + 1};
    SDL_SetWindowMouseRect(m_window, &area);
}

int CWindow::GetRefreshRate() const {
    constexpr int kUnknownRate = 60;
    SDL_DisplayMode mode{};
    if (m_window == nullptr || SDL_GetWindowDisplayMode(m_window, &mode) != 0 || mode.refresh_rate <= 0) {
        return kUnknownRate;
    }
    return mode.refresh_rate;
}

void CWindow::ShowMessageBox(const char* caption, const char* text) {
    std::fprintf(stderr, "Pellora: %s: %s\n", caption, text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, CWindow::Get().GetSdlWindow());
}
