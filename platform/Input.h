#pragma once
// Keyboard and mouse buttons sampled once per update step; the drawn mouse cursor.
// Keys are numbered by the DIK_ scan codes; the platform maps SDL scancodes onto them.
#include "platform/Textures.h"

#include <cstddef>
#include <cstdint>

constexpr uint8_t DIK_ESCAPE = 0x01, DIK_1 = 0x02, DIK_2 = 0x03, DIK_3 = 0x04, DIK_4 = 0x05, DIK_5 = 0x06,
                  DIK_6 = 0x07, DIK_7 = 0x08, DIK_8 = 0x09, DIK_9 = 0x0A, DIK_0 = 0x0B, DIK_MINUS = 0x0C,
                  DIK_EQUALS = 0x0D, DIK_BACK = 0x0E, DIK_TAB = 0x0F, DIK_Q = 0x10, DIK_W = 0x11, DIK_E = 0x12,
                  DIK_R = 0x13, DIK_T = 0x14, DIK_Y = 0x15, DIK_U = 0x16, DIK_I = 0x17, DIK_O = 0x18, DIK_P = 0x19,
                  DIK_LBRACKET = 0x1A, DIK_RBRACKET = 0x1B, DIK_RETURN = 0x1C, DIK_LCONTROL = 0x1D, DIK_A = 0x1E,
                  DIK_S = 0x1F, DIK_D = 0x20, DIK_F = 0x21, DIK_G = 0x22, DIK_H = 0x23, DIK_J = 0x24, DIK_K = 0x25,
                  DIK_L = 0x26, DIK_SEMICOLON = 0x27, DIK_APOSTROPHE = 0x28, DIK_GRAVE = 0x29, DIK_LSHIFT = 0x2A,
                  DIK_BACKSLASH = 0x2B, DIK_Z = 0x2C, DIK_X = 0x2D, DIK_C = 0x2E, DIK_V = 0x2F, DIK_B = 0x30,
                  DIK_N = 0x31, DIK_M = 0x32, DIK_COMMA = 0x33, DIK_PERIOD = 0x34, DIK_SLASH = 0x35,
                  DIK_RSHIFT = 0x36, DIK_MULTIPLY = 0x37, DIK_LMENU = 0x38, DIK_SPACE = 0x39, DIK_CAPITAL = 0x3A,
                  DIK_F1 = 0x3B, DIK_F2 = 0x3C, DIK_F3 = 0x3D, DIK_F4 = 0x3E, DIK_F5 = 0x3F, DIK_F6 = 0x40,
                  DIK_F7 = 0x41, DIK_F8 = 0x42, DIK_F9 = 0x43, DIK_F10 = 0x44, DIK_NUMLOCK = 0x45, DIK_SCROLL = 0x46,
                  DIK_NUMPAD7 = 0x47, DIK_NUMPAD8 = 0x48, DIK_NUMPAD9 = 0x49, DIK_SUBTRACT = 0x4A, DIK_NUMPAD4 = 0x4B,
                  DIK_NUMPAD5 = 0x4C, DIK_NUMPAD6 = 0x4D, DIK_ADD = 0x4E, DIK_NUMPAD1 = 0x4F, DIK_NUMPAD2 = 0x50,
                  DIK_NUMPAD3 = 0x51, DIK_NUMPAD0 = 0x52, DIK_DECIMAL = 0x53, DIK_F11 = 0x57, DIK_F12 = 0x58,
                  DIK_NUMPADENTER = 0x9C, DIK_RCONTROL = 0x9D, DIK_DIVIDE = 0xB5, DIK_RMENU = 0xB8, DIK_HOME = 0xC7,
                  DIK_UP = 0xC8, DIK_PRIOR = 0xC9, DIK_LEFT = 0xCB, DIK_RIGHT = 0xCD, DIK_END = 0xCF,
                  DIK_DOWN = 0xD0, DIK_NEXT = 0xD1, DIK_INSERT = 0xD2, DIK_DELETE = 0xD3;
constexpr uint8_t DIK_OEM_102 = 0x56, DIK_F13 = 0x64, DIK_F14 = 0x65, DIK_F15 = 0x66, DIK_YEN = 0x7D,
                  DIK_NUMPADEQUALS = 0x8D, DIK_NUMPADCOMMA = 0xB3, DIK_SYSRQ = 0xB7, DIK_PAUSE = 0xC5,
                  DIK_LWIN = 0xDB, DIK_RWIN = 0xDC, DIK_APPS = 0xDD;

// Mouse buttons as CInput numbers them.
constexpr int kMouseLeft = 0, kMouseRight = 1, kMouseMiddle = 2, kMouseFourth = 3;

// The device the player used last. It aims the launcher, and while it is not the mouse the
// screens show a focus and the pointer is hidden.
enum class EInputDevice : uint8_t { Mouse, Keyboard, Pad };

// The buttons of a game controller, by their place on a common pad.
enum class EPadButton : uint8_t {
    A,
    B,
    X,
    Y,
    Back,
    Start,
    LeftShoulder,
    RightShoulder,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    Count
};

// Controllers are told apart by their slot (the order they were plugged in, a freed slot
// taken again), so two players can each hold one.
constexpr int32_t kMaxPadSlots = 8;

// What the screens read: the keys, the pad's buttons and its stick in one.
enum class ENavAction : uint8_t { Up, Down, Left, Right, Activate, Back, Count };

// A stick deflection (-1 to 1) inside this is no deflection at all.
constexpr float kStickDeadZone = 0.25f;
// The deflection past which the stick counts as a pressed direction on the screens.
constexpr float kStickNavThreshold = 0.5f;
// A held direction repeats after this many steps, then every kNavRepeatSteps steps.
constexpr int32_t kNavRepeatDelaySteps = 60;
constexpr int32_t kNavRepeatSteps = 15;

class CInputKeyboard {
public:
    uint8_t current[256] = {};
    uint8_t previous[256] = {};
    bool KeyDown(uint8_t code) const { return (current[code] & 0x80) != 0; }
    bool KeyHit(uint8_t code) const { return (current[code] & 0x80) && !(previous[code] & 0x80); }
};

class CInputMouse {
public:
    struct State {
        int32_t dx = 0, dy = 0, wheel = 0;
        uint8_t buttons[4] = {};
    };
    State current;
    State previous;
    bool ButtonDown(int button) const { return (current.buttons[button & 3] & 0x80) != 0; }
    bool ButtonHit(int button) const {
        return (current.buttons[button & 3] & 0x80) && !(previous.buttons[button & 3] & 0x80);
    }
};

class CInput {
public:
    static CInput& Get();

    bool Create();
    void Destroy();
    void Activate();
    void Deactivate();
    // Takes this step's snapshot of keys and buttons (from the event-fed held state).
    // Before Create (or after Destroy) the snapshots are cleared and the step is logged.
    void Update();
    bool IsCreated() const { return m_created; }

    bool KeyHit(uint32_t code) const { return m_keyboard.KeyHit(static_cast<uint8_t>(code)); }
    bool KeyDown(uint32_t code) const { return m_keyboard.KeyDown(static_cast<uint8_t>(code)); }
    bool MouseButtonHit(int button) const { return !m_consumed && m_mouse.ButtonHit(button); }
    bool MouseButtonDown(int button) const { return m_mouse.ButtonDown(button); }
    void SetConsumed() { m_consumed = true; }
    bool IsConsumed() const { return m_consumed; }

    const CInputKeyboard& Keyboard() const { return m_keyboard; }
    const CInputMouse& Mouse() const { return m_mouse; }

    // The pad: any connected controller's buttons and left stick, merged.
    bool PadDown(EPadButton button) const { return (m_padCurrent[Index(button)] & 0x80) != 0; }
    bool PadHit(EPadButton button) const {
        return (m_padCurrent[Index(button)] & 0x80) && !(m_padPrevious[Index(button)] & 0x80);
    }
    // The stick's deflection in this step, -1 to 1 on each axis (x right, y down).
    float StickX() const { return m_stickX; }
    float StickY() const { return m_stickY; }
    int32_t PadCount() const { return m_padCount; }
    // True in the one step after a controller was pulled out.
    bool PadUnplugged() const { return m_padUnplugged; }

    // One controller by its slot, for a player who holds just that one: its buttons and
    // its left stick, -1 to 1 on each axis (x right, y down), in this step.
    bool PadSlotDown(int32_t slot, EPadButton button) const;
    bool PadSlotHit(int32_t slot, EPadButton button) const;
    float PadSlotStickX(int32_t slot) const;
    bool IsPadSlotConnected(int32_t slot) const;
    // True in the one step after the controller in that slot was pulled out.
    bool PadSlotUnplugged(int32_t slot) const;

    // The screens' directions and choices: a hit in the first step of a press, again while
    // a direction is held (after kNavRepeatDelaySteps, every kNavRepeatSteps). False once
    // the step's navigation was taken (ConsumeNav), so a lower screen does not act on it too.
    bool NavHit(ENavAction action) const;
    void ConsumeNav() { m_navConsumed = true; }
    bool IsNavConsumed() const { return m_navConsumed; }

    // Aiming: -1, 0 or 1 from the arrow keys and the pad's d-pad; the stick's deflection past
    // the dead zone, scaled back to -1 to 1; the slow turn (Shift or a shoulder button).
    int32_t AimKeys() const;
    float AimStick() const;
    bool AimSlow() const;

    EInputDevice LastDevice() const { return m_lastDevice; }
    bool UsesMouse() const { return m_lastDevice == EInputDevice::Mouse; }

    // Fed by the platform's event pump (and by tests): held state between snapshots.
    void SetKeyHeld(uint8_t code, bool held);
    void SetButtonHeld(int button, bool held);
    // The controller in slot (0 to kMaxPadSlots - 1) changed; every pad's state is also
    // merged into the one pad the screens read.
    void SetPadButtonHeld(EPadButton button, bool held, int32_t slot = 0);
    // The left stick, -1 to 1 on each axis.
    void SetPadStick(float x, float y, int32_t slot = 0);
    void PadConnected(int32_t slot = 0);
    // Every pad button and the stick let go; the next step reports PadUnplugged, and
    // PadSlotUnplugged for the slot.
    void PadDisconnected(int32_t slot = 0);
    // The player moved the mouse.
    void NoteMouseMoved() { m_lastDevice = EInputDevice::Mouse; }

    // Typed text is asked for while a screen takes a name: systems with an on-screen
    // keyboard show theirs then. The platform installs the switch.
    using TextEntrySwitch = void (*)(bool on);
    void SetTextEntrySwitch(TextEntrySwitch textEntrySwitch) { m_textEntrySwitch = textEntrySwitch; }
    void SetTextEntry(bool on);
    bool IsTextEntryOn() const { return m_textEntry; }
    void ReleaseAll();

private:
    CInput() = default;
    static size_t Index(EPadButton button) { return static_cast<size_t>(button); }
    static constexpr size_t kPadButtons = static_cast<size_t>(EPadButton::Count);
    static constexpr size_t kNavActions = static_cast<size_t>(ENavAction::Count);
    void UpdatePad();
    void UpdateNav();
    bool NavHeld(ENavAction action) const;

    bool m_consumed = false;
    bool m_created = false;
    CInputKeyboard m_keyboard;
    CInputMouse m_mouse;
    uint8_t m_heldKeys[256] = {};
    uint8_t m_heldButtons[4] = {};
    // Presses since the last snapshot: a press released before the next step still shows
    // as down in that one step, so a quick tap is never lost.
    uint8_t m_pressedKeys[256] = {};
    uint8_t m_pressedButtons[4] = {};

    // One controller's own state, beside the merged one.
    struct PadSlot {
        uint8_t held[kPadButtons] = {};
        uint8_t pressed[kPadButtons] = {};
        uint8_t current[kPadButtons] = {};
        uint8_t previous[kPadButtons] = {};
        float heldStickX = 0.0f;
        float stickX = 0.0f;
        bool connected = false;
        bool unplugPending = false;
        bool unplugged = false;
    };
    static bool IsSlot(int32_t slot) { return slot >= 0 && slot < kMaxPadSlots; }
    void UpdatePadSlots();
    PadSlot m_padSlots[kMaxPadSlots];

    uint8_t m_heldPad[kPadButtons] = {};
    uint8_t m_pressedPad[kPadButtons] = {};
    uint8_t m_padCurrent[kPadButtons] = {};
    uint8_t m_padPrevious[kPadButtons] = {};
    float m_heldStickX = 0.0f, m_heldStickY = 0.0f;
    float m_stickX = 0.0f, m_stickY = 0.0f;
    int32_t m_padCount = 0;
    bool m_unplugPending = false;
    bool m_padUnplugged = false;

    // Steps each navigation action has been held (0: not held).
    int32_t m_navHeldSteps[kNavActions] = {};
    bool m_navConsumed = false;
    TextEntrySwitch m_textEntrySwitch = nullptr;
    bool m_textEntry = false;
    EInputDevice m_lastDevice = EInputDevice::Mouse;
};

class CMouseCursor {
public:
    static CMouseCursor& Get();

    bool Init();
    void Update(float dt);
    // Draws the pointer while it is visible and the mouse is the device in use.
    void Draw() const;
    void SetClip(float minX, float minY, float maxX, float maxY);
    float GetMinX() const { return m_minX; }
    float GetMinY() const { return m_minY; }
    float GetMaxX() const { return m_maxX; }
    float GetMaxY() const { return m_maxY; }
    void SetVisible(bool visible) { m_visible = visible; }
    void SetSize(int32_t size) { m_size = size; }
    void Destroy();

    float GetX() const { return m_x; }
    float GetY() const { return m_y; }
    bool HasMoved() const { return m_moved; }
    bool IsVisible() const { return m_visible; }

    // Where the system pointer is read from and moved to, in picture pixels. The platform
    // installs functions over the window; tests install their own.
    using ReadPointer = void (*)(int32_t& x, int32_t& y);
    using MovePointer = void (*)(float x, float y);
    void SetPointerFunctions(ReadPointer read, MovePointer move);
    // Called by SetClip with the new confinement, so the platform can hold the system
    // pointer inside it.
    using ConfinePointer = void (*)(float minX, float minY, float maxX, float maxY);
    void SetConfineFunction(ConfinePointer confine) { m_confinePointer = confine; }
    // A button went down with the pointer here (picture pixels, from the press itself): the
    // step that takes the press reads the pointer here, wherever the system says it is by
    // then, so that a click acts where it was made. The step after reads the system again.
    void NoteButtonDown(int32_t x, int32_t y);

private:
    CMouseCursor() = default;
    void MoveSystemPointer();

    float m_x = 400.0f, m_y = 300.0f, m_z = 0.0f;
    float m_minX = 0.0f, m_minY = 0.0f, m_maxX = 640.0f, m_maxY = 480.0f;
    int32_t m_curX = 0, m_curY = 0, m_prevX = 0, m_prevY = 0;
    TextureHandle m_texture;
    int32_t m_size = 32;
    bool m_moved = false;
    bool m_visible = false;
    ReadPointer m_readPointer = nullptr;
    MovePointer m_movePointer = nullptr;
    ConfinePointer m_confinePointer = nullptr;
    // Where the pointer was last moved to by the program: reading it back there is no move
    // of the player's.
    bool m_warpPending = false;
    bool m_pressPending = false;
    int32_t m_pressX = 0, m_pressY = 0;
    int32_t m_warpX = 0, m_warpY = 0;
};
