#pragma once
// The devices two players at one machine play with, one each: the left half of the
// keyboard (A/D turn, W fire, S swap, left Shift slow), the right half (the arrows, Up
// fire, Down swap, right Shift slow), the mouse (it aims, left button fires, right button
// swaps) and every connected controller (stick or d-pad turn, A fires, X swaps, a shoulder
// button slow). Each is read on its own, so the other player's keys never move this
// player's launcher.
#include "game/Playfield.h"
#include "gui/LauncherSteering.h"
#include "platform/Input.h"

#include <cstdint>

enum class EDeviceKind : uint8_t { None, LeftKeys, RightKeys, Mouse, Pad };

struct SideDevice {
    EDeviceKind kind = EDeviceKind::None;
    int32_t padSlot = 0;   // the controller's slot, for a pad

    bool IsHeld() const { return kind != EDeviceKind::None; }
    bool operator==(const SideDevice& other) const {
        return kind == other.kind && (kind != EDeviceKind::Pad || padSlot == other.padSlot);
    }
};

// What one device does in this step.
struct DeviceButtons {
    bool fire = false;         // hit in this step
    bool swap = false;
    bool leftHit = false;      // a turn key (or the stick pushed) hit in this step
    bool rightHit = false;
    int32_t turn = 0;          // -1, 0 or 1 while a turn key is held
    float stick = 0.0f;        // the stick past its dead zone, -1 to 1
    bool slow = false;
};

DeviceButtons ReadDeviceButtons(const SideDevice& device);
// Whether the device is there: the keyboard halves and the mouse always are.
bool IsDeviceConnected(const SideDevice& device);
// True in the one step after the device was pulled out.
bool IsDeviceUnplugged(const SideDevice& device);
// The devices that can take a side now, in a fixed order: the two keyboard halves, the
// mouse, then the connected controllers. Returns how many were written.
constexpr int32_t kMaxSideDevices = 3 + kMaxPadSlots;
int32_t ListSideDevices(SideDevice (&devices)[kMaxSideDevices]);
// The device's name as a player reads it ("Keys A D W S", "Pad 2"), in the current language.
void DeviceName(const SideDevice& device, char* text, size_t size);

// The device's name in the log, the same in every language ("left keys", "pad 2").
void DeviceLogName(const SideDevice& device, char* text, size_t size);

// One side's aim from its own device: the mouse aims at its pointer (fieldOffsetX moves
// the pointer from the picture into the field's own coordinates), the keys and the pad
// turn the launcher as in the single-player game.
class CDeviceAim {
public:
    PlayInput Read(const CPlayfield& playfield, const SideDevice& device, float fieldOffsetX, float dt);

private:
    CLauncherSteering m_steering;
};
