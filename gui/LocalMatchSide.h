#pragma once
// The player at this machine at the controls of a side of a versus match: the mouse, the
// keys and the pad are read once every fixed step while the round is played and give that
// step; once the round is decided, the side is ready for the next one when the player has
// read the panel and says so (a ready step in that fixed step only). A side given a device
// of its own (two players at one machine) reads only that device.
#include "game/MatchSide.h"
#include "gui/PlayerAim.h"
#include "gui/SideDevice.h"

class CLocalMatchSide final : public IMatchSide {
public:
    // Only this device plays the side from now; the mouse's pointer is moved by
    // fieldOffsetX into the field's coordinates. No device: every device plays it.
    void SetDevice(const SideDevice& device, float fieldOffsetX) {
        m_device = device;
        m_fieldOffsetX = fieldOffsetX;
    }
    const SideDevice& Device() const { return m_device; }
    // The player wants the next round: a ready step in this fixed step, if the match lets it.
    void AskReady() { m_readyAsked = true; }
    // Whether the ready step was taken since the last call.
    bool TakeReadyDone();

    void BeginStep(const CVersusMatch& match, int32_t side) override;
    bool HasStep(const CVersusMatch&, int32_t) override { return m_hasStep; }
    ReplayStep TakeStep(const CVersusMatch& match, int32_t side) override;
    void StepPlayed(const CVersusMatch&, int32_t, const MatchSideStep&) override {}
    void StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;

private:
    CPlayerAim m_aim;
    CDeviceAim m_deviceAim;
    SideDevice m_device;
    float m_fieldOffsetX = 0.0f;
    ReplayStep m_step;
    bool m_hasStep = false;
    bool m_readyAsked = false;
    bool m_readyDone = false;
};
