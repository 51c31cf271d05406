#include "platform/Input.h"

#include "core/Log.h"
#include "platform/Gfx.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

CInput& CInput::Get() {
    static CInput input;
    return input;
}

bool CInput::Create() {
    CLog::Get().Write("CInput::Create");
    ReleaseAll();
    m_keyboard = CInputKeyboard();
    m_mouse = CInputMouse();
    std::memset(m_padCurrent, 0, sizeof(m_padCurrent));
    std::memset(m_padPrevious, 0, sizeof(m_padPrevious));
    std::memset(m_navHeldSteps, 0, sizeof(m_navHeldSteps));
    m_stickX = 0.0f;
    m_stickY = 0.0f;
    m_unplugPending = false;
    m_padUnplugged = false;
    m_padCount = 0;   // the pads present are announced by the event pump afterwards
    for (PadSlot& slot : m_padSlots) {
        slot = PadSlot();
    }
    m_lastDevice = EInputDevice::Mouse;
    m_consumed = false;
    m_created = true;
    return true;
}

void CInput::Destroy() {
    CLog::Get().Write("CInput::Destroy");
    ReleaseAll();
    m_created = false;
}

void CInput::Activate() {
    // Keys pressed while another program had the focus were never seen: start clean.
    ReleaseAll();
}

void CInput::Deactivate() {
    // Releases are not delivered while unfocused, so nothing may stay held.
    ReleaseAll();
}

void CInput::Update() {
    m_consumed = false;
    if (!m_created) {
        std::memset(m_keyboard.current, 0, sizeof(m_keyboard.current));
        m_mouse.current = CInputMouse::State();
        CLog::Get().Write("CInputKeyboard::Update FAILED");
        CLog::Get().Write("CInputMouse::Update FAILED");
        return;
    }
    std::memcpy(m_keyboard.previous, m_keyboard.current, sizeof(m_keyboard.current));
    for (int code = 0; code < 256; ++code) {
        m_keyboard.current[code] = m_heldKeys[code] | m_pressedKeys[code];
    }
    m_mouse.previous = m_mouse.current;
    for (int button = 0; button < 4; ++button) {
        m_mouse.current.buttons[button] = m_heldButtons[button] | m_pressedButtons[button];
    }
    std::memset(m_pressedKeys, 0, sizeof(m_pressedKeys));
    std::memset(m_pressedButtons, 0, sizeof(m_pressedButtons));
    UpdatePad();
    UpdateNav();
}

void CInput::UpdatePad() {
    std::memcpy(m_padPrevious, m_padCurrent, sizeof(m_padCurrent));
    for (size_t button = 0; button < kPadButtons; ++button) {
        m_padCurrent[button] = m_heldPad[button] | m_pressedPad[button];
    }
    std::memset(m_pressedPad, 0, sizeof(m_pressedPad));
    m_stickX = m_heldStickX;
    m_stickY = m_heldStickY;
    m_padUnplugged = m_unplugPending;
    m_unplugPending = false;
    UpdatePadSlots();
}

void CInput::UpdatePadSlots() {
    for (PadSlot& slot : m_padSlots) {
        std::memcpy(slot.previous, slot.current, sizeof(slot.current));
        for (size_t button = 0; button < kPadButtons; ++button) {
            slot.current[button] = slot.held[button] | slot.pressed[button];
        }
        std::memset(slot.pressed, 0, sizeof(slot.pressed));
        slot.stickX = slot.heldStickX;
        slot.unplugged = slot.unplugPending;
        slot.unplugPending = false;
    }
}

bool CInput::PadSlotDown(int32_t slot, EPadButton button) const {
    return IsSlot(slot) && button < EPadButton::Count && (m_padSlots[slot].current[Index(button)] & 0x80) != 0;
}

bool CInput::PadSlotHit(int32_t slot, EPadButton button) const {
    return PadSlotDown(slot, button) && !(m_padSlots[slot].previous[Index(button)] & 0x80);
}

float CInput::PadSlotStickX(int32_t slot) const {
    return IsSlot(slot) ? m_padSlots[slot].stickX : 0.0f;
}

bool CInput::IsPadSlotConnected(int32_t slot) const {
    return IsSlot(slot) && m_padSlots[slot].connected;
}

bool CInput::PadSlotUnplugged(int32_t slot) const {
    return IsSlot(slot) && m_padSlots[slot].unplugged;
}

bool CInput::NavHeld(ENavAction action) const {
    const CInputKeyboard& keys = m_keyboard;
    switch (action) {
        case ENavAction::Up:
            return keys.KeyDown(DIK_UP) || PadDown(EPadButton::DpadUp) || m_stickY < -kStickNavThreshold;
        case ENavAction::Down:
            return keys.KeyDown(DIK_DOWN) || PadDown(EPadButton::DpadDown) || m_stickY > kStickNavThreshold;
        case ENavAction::Left:
            return keys.KeyDown(DIK_LEFT) || PadDown(EPadButton::DpadLeft) || m_stickX < -kStickNavThreshold;
        case ENavAction::Right:
            return keys.KeyDown(DIK_RIGHT) || PadDown(EPadButton::DpadRight) || m_stickX > kStickNavThreshold;
        case ENavAction::Activate:
            return keys.KeyDown(DIK_RETURN) || keys.KeyDown(DIK_NUMPADENTER) || keys.KeyDown(DIK_SPACE) ||
                   PadDown(EPadButton::A);
        case ENavAction::Back:
            return PadDown(EPadButton::B);
        default:
            return false;
    }
}

void CInput::UpdateNav() {
    m_navConsumed = false;
    for (size_t action = 0; action < kNavActions; ++action) {
        if (NavHeld(static_cast<ENavAction>(action))) {
            ++m_navHeldSteps[action];
        } else {
            m_navHeldSteps[action] = 0;
        }
    }
}

bool CInput::NavHit(ENavAction action) const {
    if (m_navConsumed) {
        return false;
    }
    const int32_t held = m_navHeldSteps[static_cast<size_t>(action)];
    if (held == 1) {
        return true;
    }
    // Choices never repeat; directions do while held.
    if (action == ENavAction::Activate || action == ENavAction::Back || held <= kNavRepeatDelaySteps) {
        return false;
    }
    return (held - kNavRepeatDelaySteps) % kNavRepeatSteps == 0;
}

int32_t CInput::AimKeys() const {
    const bool left = m_keyboard.KeyDown(DIK_LEFT) || PadDown(EPadButton::DpadLeft);
    const bool right = m_keyboard.KeyDown(DIK_RIGHT) || PadDown(EPadButton::DpadRight);
    return (right ? 1 : 0) - (left ? 1 : 0);
}

float CInput::AimStick() const {
    const float magnitude = std::fabs(m_stickX);
    if (magnitude <= kStickDeadZone) {
        return 0.0f;
    }
    const float scaled = std::min((magnitude - kStickDeadZone) / (1.0f - kStickDeadZone), 1.0f);
    return m_stickX < 0.0f ? -scaled : scaled;
}

bool CInput::AimSlow() const {
    return m_keyboard.KeyDown(DIK_LSHIFT) || m_keyboard.KeyDown(DIK_RSHIFT) || PadDown(EPadButton::LeftShoulder) ||
           PadDown(EPadButton::RightShoulder);
}

namespace {
// The keys that aim and move the screens' focus. Letters, digits, Escape, P and the function
// keys are pressed by mouse players too (names, the editor's brushes, leaving, pausing, F8),
// so they leave the device in use as it is.
bool IsSteeringKey(uint8_t code) {
    switch (code) {
        case DIK_UP:
        case DIK_DOWN:
        case DIK_LEFT:
        case DIK_RIGHT:
        case DIK_RETURN:
        case DIK_NUMPADENTER:
        case DIK_SPACE:
        case DIK_TAB:
        case DIK_LSHIFT:
        case DIK_RSHIFT:
            return true;
        default:
            return false;
    }
}
}  // namespace

void CInput::SetKeyHeld(uint8_t code, bool held) {
    if (code == 0) {
        return;   // a key without a number
    }
    m_heldKeys[code] = held ? 0x80 : 0x00;
    if (held) {
        m_pressedKeys[code] = 0x80;
        if (IsSteeringKey(code)) {
            m_lastDevice = EInputDevice::Keyboard;
        }
    }
}

void CInput::SetButtonHeld(int button, bool held) {
    if (button < 0 || button > 3) {
        return;
    }
    m_heldButtons[button] = held ? 0x80 : 0x00;
    if (held) {
        m_pressedButtons[button] = 0x80;
        m_lastDevice = EInputDevice::Mouse;
    }
}

void CInput::SetPadButtonHeld(EPadButton button, bool held, int32_t slot) {
    if (button >= EPadButton::Count) {
        return;
    }
    m_heldPad[Index(button)] = held ? 0x80 : 0x00;
    if (held) {
        m_pressedPad[Index(button)] = 0x80;
        m_lastDevice = EInputDevice::Pad;
    }
    if (IsSlot(slot)) {
        m_padSlots[slot].held[Index(button)] = held ? 0x80 : 0x00;
        if (held) {
            m_padSlots[slot].pressed[Index(button)] = 0x80;
        }
    }
}

void CInput::SetPadStick(float x, float y, int32_t slot) {
    if (IsSlot(slot)) {
        m_padSlots[slot].heldStickX = std::clamp(x, -1.0f, 1.0f);
    }
    m_heldStickX = std::clamp(x, -1.0f, 1.0f);
    m_heldStickY = std::clamp(y, -1.0f, 1.0f);
    if (std::fabs(m_heldStickX) > kStickDeadZone || std::fabs(m_heldStickY) > kStickDeadZone) {
        m_lastDevice = EInputDevice::Pad;
    }
}

void CInput::PadConnected(int32_t slot) {
    ++m_padCount;
    if (IsSlot(slot)) {
        m_padSlots[slot] = PadSlot();
        m_padSlots[slot].connected = true;
    }
}

void CInput::PadDisconnected(int32_t slot) {
    m_padCount = std::max(m_padCount - 1, 0);
    if (IsSlot(slot)) {
        m_padSlots[slot] = PadSlot();
        m_padSlots[slot].unplugPending = true;
    }
    std::memset(m_heldPad, 0, sizeof(m_heldPad));
    std::memset(m_pressedPad, 0, sizeof(m_pressedPad));
    m_heldStickX = 0.0f;
    m_heldStickY = 0.0f;
    m_unplugPending = true;
}

void CInput::SetTextEntry(bool on) {
    m_textEntry = on;
    if (m_textEntrySwitch != nullptr) {
        m_textEntrySwitch(on);
    }
}

void CInput::ReleaseAll() {
    std::memset(m_heldKeys, 0, sizeof(m_heldKeys));
    std::memset(m_heldButtons, 0, sizeof(m_heldButtons));
    std::memset(m_pressedKeys, 0, sizeof(m_pressedKeys));
    std::memset(m_pressedButtons, 0, sizeof(m_pressedButtons));
    std::memset(m_heldPad, 0, sizeof(m_heldPad));
    std::memset(m_pressedPad, 0, sizeof(m_pressedPad));
    m_heldStickX = 0.0f;
    m_heldStickY = 0.0f;
    for (PadSlot& slot : m_padSlots) {
        std::memset(slot.held, 0, sizeof(slot.held));
        std::memset(slot.pressed, 0, sizeof(slot.pressed));
        slot.heldStickX = 0.0f;
    }
}

CMouseCursor& CMouseCursor::Get() {
    static CMouseCursor cursor;
    return cursor;
}

bool CMouseCursor::Init() {
    m_x = 400.0f;
    m_y = 300.0f;
    m_z = 0.0f;
    m_texture = CTextures::Get().Load("mousecursor");
    m_size = 32;
    m_minX = 0.0f;
    m_minY = 0.0f;
    m_maxX = static_cast<float>(CGfxOGL::Get().GetWidth());
    m_maxY = static_cast<float>(CGfxOGL::Get().GetHeight());
    m_prevX = 0;
    m_prevY = 0;
    m_pressPending = false;
    m_visible = m_texture.id != 0;
    return true;
}

void CMouseCursor::SetPointerFunctions(ReadPointer read, MovePointer move) {
    m_readPointer = read;
    m_movePointer = move;
}

namespace {
// Keeps value inside [low, high]; true when it had to be moved.
bool ClampIntoRange(float& value, float low, float high) {
    if (value < low) {
        value = low;
        return true;
    }
    if (value > high) {
        value = high;
        return true;
    }
    return false;
}
}  // namespace

void CMouseCursor::Update(float dt) {
    m_moved = false;
    if (m_pressPending) {
        m_curX = m_pressX;
        m_curY = m_pressY;
        m_pressPending = false;
    } else if (m_readPointer != nullptr) {
        m_readPointer(m_curX, m_curY);
    }
    bool clamped = false;
    if (m_curX != m_prevX) {
        m_moved = true;
        m_x = static_cast<float>(m_curX);
        clamped = ClampIntoRange(m_x, m_minX, m_maxX);
    }
    if (m_curY != m_prevY) {
        m_moved = true;
        m_y = static_cast<float>(m_curY);
        clamped = ClampIntoRange(m_y, m_minY, m_maxY) || clamped;
    }
    if (m_moved) {
        // The pointer read back where the program put it was not moved by the player.
        const bool ours = m_warpPending && std::abs(m_curX - m_warpX) <= 1 && std::abs(m_curY - m_warpY) <= 1;
        if (!ours) {
            CInput::Get().NoteMouseMoved();
        }
        m_warpPending = false;
    }
    if (clamped) {
        MoveSystemPointer();
    }
    m_prevX = m_curX;
    m_prevY = m_curY;
}

void CMouseCursor::NoteButtonDown(int32_t x, int32_t y) {
    m_pressPending = true;
    m_pressX = x;
    m_pressY = y;
}

void CMouseCursor::SetClip(float minX, float minY, float maxX, float maxY) {
    m_minX = minX;
    m_minY = minY;
    m_maxX = maxX;
    m_maxY = maxY;
    const bool clampedX = ClampIntoRange(m_x, m_minX, m_maxX);
    const bool clampedY = ClampIntoRange(m_y, m_minY, m_maxY);
    if (clampedX || clampedY) {
        MoveSystemPointer();
    }
    if (m_confinePointer != nullptr) {
        m_confinePointer(std::trunc(minX), std::trunc(minY), std::trunc(maxX), std::trunc(maxY));
    }
}

void CMouseCursor::MoveSystemPointer() {
    if (m_movePointer != nullptr) {
        // Rounded half away from zero, as the system pointer takes whole pixels.
        m_movePointer(std::round(m_x), std::round(m_y));
        m_warpPending = true;
        m_warpX = static_cast<int32_t>(std::round(m_x));
        m_warpY = static_cast<int32_t>(std::round(m_y));
    }
}

void CMouseCursor::Draw() const {
    if (!m_visible || !CInput::Get().UsesMouse()) {
        return;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.EnsureMatrices();
    gfx.Enable(GL_BLEND);
    gfx.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    CTextures::Get().Bind(m_texture);
    gfx.LoadIdentity();
    gfx.Translate(m_x, m_y, 0.0f);
    const float size = static_cast<float>(m_size);
    gfx.Begin(GL_TRIANGLE_STRIP);
    gfx.TexCoord(0.0f, 0.0f);
    gfx.Vertex(-0.5f, -0.5f);
    gfx.TexCoord(0.0f, 1.0f);
    gfx.Vertex(-0.5f, size - 0.5f);
    gfx.TexCoord(1.0f, 0.0f);
    gfx.Vertex(size - 0.5f, -0.5f);
    gfx.TexCoord(1.0f, 1.0f);
    gfx.Vertex(size - 0.5f, size - 0.5f);
    gfx.End();
    gfx.LoadIdentity();
}

void CMouseCursor::Destroy() {
    CTextures::Get().Free(m_texture);
}
