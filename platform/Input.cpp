#include "platform/Input.h"

#include "core/Log.h"
#include "platform/Gfx.h"

#include <cmath>
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
}

void CInput::SetKeyHeld(uint8_t code, bool held) {
    if (code == 0) {
        return;   // a key without a number
    }
    m_heldKeys[code] = held ? 0x80 : 0x00;
    if (held) {
        m_pressedKeys[code] = 0x80;
    }
}

void CInput::SetButtonHeld(int button, bool held) {
    if (button < 0 || button > 3) {
        return;
    }
    m_heldButtons[button] = held ? 0x80 : 0x00;
    if (held) {
        m_pressedButtons[button] = 0x80;
    }
}

void CInput::ReleaseAll() {
    std::memset(m_heldKeys, 0, sizeof(m_heldKeys));
    std::memset(m_heldButtons, 0, sizeof(m_heldButtons));
    std::memset(m_pressedKeys, 0, sizeof(m_pressedKeys));
    std::memset(m_pressedButtons, 0, sizeof(m_pressedButtons));
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
    if (m_readPointer != nullptr) {
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
    if (clamped) {
        MoveSystemPointer();
    }
    m_prevX = m_curX;
    m_prevY = m_curY;
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

void CMouseCursor::MoveSystemPointer() const {
    if (m_movePointer != nullptr) {
        // Rounded half away from zero, as the system pointer takes whole pixels.
        m_movePointer(std::round(m_x), std::round(m_y));
    }
}

void CMouseCursor::Draw() const {
    if (!m_visible) {
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
