#include "gui/SideDevice.h"

#include "platform/Input.h"
#include "profile/Language.h"

#include <cmath>
#include <cstdio>
#include <iterator>

namespace {
struct KeyHalf {
    uint8_t left, right, fire, swap, slow;
};
constexpr KeyHalf kLeftKeys = {DIK_A, DIK_D, DIK_W, DIK_S, DIK_LSHIFT};
constexpr KeyHalf kRightKeys = {DIK_LEFT, DIK_RIGHT, DIK_UP, DIK_DOWN, DIK_RSHIFT};

DeviceButtons ReadKeyHalf(const KeyHalf& keys) {
    const CInput& input = CInput::Get();
    DeviceButtons buttons;
    buttons.fire = input.KeyHit(keys.fire);
    buttons.swap = input.KeyHit(keys.swap);
    buttons.leftHit = input.KeyHit(keys.left);
    buttons.rightHit = input.KeyHit(keys.right);
    buttons.turn = (input.KeyDown(keys.right) ? 1 : 0) - (input.KeyDown(keys.left) ? 1 : 0);
    buttons.slow = input.KeyDown(keys.slow);
    return buttons;
}

// The stick past its dead zone, scaled back to -1 to 1.
float StickBeyondDeadZone(float deflection) {
    const float magnitude = std::fabs(deflection);
    if (magnitude <= kStickDeadZone) {
        return 0.0f;
    }
    const float scaled = std::fmin((magnitude - kStickDeadZone) / (1.0f - kStickDeadZone), 1.0f);
    return deflection < 0.0f ? -scaled : scaled;
}

DeviceButtons ReadPad(int32_t slot) {
    const CInput& input = CInput::Get();
    DeviceButtons buttons;
    buttons.fire = input.PadSlotHit(slot, EPadButton::A);
    buttons.swap = input.PadSlotHit(slot, EPadButton::X);
    buttons.leftHit = input.PadSlotHit(slot, EPadButton::DpadLeft);
    buttons.rightHit = input.PadSlotHit(slot, EPadButton::DpadRight);
    buttons.turn = (input.PadSlotDown(slot, EPadButton::DpadRight) ? 1 : 0) -
                   (input.PadSlotDown(slot, EPadButton::DpadLeft) ? 1 : 0);
    buttons.stick = StickBeyondDeadZone(input.PadSlotStickX(slot));
    buttons.slow = input.PadSlotDown(slot, EPadButton::LeftShoulder) ||
                   input.PadSlotDown(slot, EPadButton::RightShoulder);
    return buttons;
}

DeviceButtons ReadMouse() {
    const CInput& input = CInput::Get();
    DeviceButtons buttons;
    buttons.fire = input.MouseButtonHit(kMouseLeft);
    buttons.swap = input.MouseButtonHit(kMouseRight);
    return buttons;
}
}  // namespace

DeviceButtons ReadDeviceButtons(const SideDevice& device) {
    switch (device.kind) {
        case EDeviceKind::LeftKeys: return ReadKeyHalf(kLeftKeys);
        case EDeviceKind::RightKeys: return ReadKeyHalf(kRightKeys);
        case EDeviceKind::Mouse: return ReadMouse();
        case EDeviceKind::Pad: return ReadPad(device.padSlot);
        case EDeviceKind::None:
        default: return DeviceButtons();
    }
}

bool IsDeviceConnected(const SideDevice& device) {
    if (device.kind == EDeviceKind::Pad) {
        return CInput::Get().IsPadSlotConnected(device.padSlot);
    }
    return device.kind != EDeviceKind::None;
}

bool IsDeviceUnplugged(const SideDevice& device) {
    return device.kind == EDeviceKind::Pad && CInput::Get().PadSlotUnplugged(device.padSlot);
}

int32_t ListSideDevices(SideDevice (&devices)[kMaxSideDevices]) {
    int32_t count = 0;
    devices[count++] = SideDevice{EDeviceKind::LeftKeys, 0};
    devices[count++] = SideDevice{EDeviceKind::RightKeys, 0};
    devices[count++] = SideDevice{EDeviceKind::Mouse, 0};
    for (int32_t slot = 0; slot < kMaxPadSlots; ++slot) {
        if (CInput::Get().IsPadSlotConnected(slot)) {
            devices[count++] = SideDevice{EDeviceKind::Pad, slot};
        }
    }
    return count;
}

void DeviceName(const SideDevice& device, char* text, size_t size) {
    const CLanguage& texts = CLanguage::Get();
    switch (device.kind) {
        case EDeviceKind::LeftKeys: std::snprintf(text, size, "%s", texts.TxtDeviceLeftKeys()); break;
        case EDeviceKind::RightKeys: std::snprintf(text, size, "%s", texts.TxtDeviceRightKeys()); break;
        case EDeviceKind::Mouse: std::snprintf(text, size, "%s", texts.TxtDeviceMouse()); break;
        case EDeviceKind::Pad: std::snprintf(text, size, texts.TxtDevicePad(), device.padSlot + 1); break;
        case EDeviceKind::None:
        default: std::snprintf(text, size, "%s", ""); break;
    }
}

void DeviceLogName(const SideDevice& device, char* text, size_t size) {
    static constexpr const char* kKinds[] = {"no device", "left keys", "right keys", "mouse", "pad"};
    const auto kind = static_cast<size_t>(device.kind);
    if (device.kind == EDeviceKind::Pad) {
        std::snprintf(text, size, "pad %d", device.padSlot + 1);
    } else {
        std::snprintf(text, size, "%s", kind < std::size(kKinds) ? kKinds[kind] : "?");
    }
}

PlayInput CDeviceAim::Read(const CPlayfield& playfield, const SideDevice& device, float fieldOffsetX, float dt) {
    const DeviceButtons buttons = ReadDeviceButtons(device);
    PlayInput play;
    play.fireHit = buttons.fire;
    play.swapHit = buttons.swap;
    if (device.kind == EDeviceKind::Mouse) {
        const CMouseCursor& cursor = CMouseCursor::Get();
        play.mouseX = cursor.GetX() - fieldOffsetX;
        play.mouseY = cursor.GetY();
        play.mouseMoved = cursor.HasMoved();
        return play;
    }
    float angle = playfield.LauncherRotation();
    play.mouseMoved = m_steering.Step(angle, buttons.turn, buttons.stick, buttons.slow, dt);
    AimPoint(playfield.LauncherPosition(), angle, play.mouseX, play.mouseY);
    return play;
}
