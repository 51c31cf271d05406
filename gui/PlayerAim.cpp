#include "gui/PlayerAim.h"

#include "platform/Input.h"

PlayInput CPlayerAim::Read(const CPlayfield& playfield, bool steer, bool buttonsFree, float dt) {
    const CInput& input = CInput::Get();
    const CMouseCursor& cursor = CMouseCursor::Get();
    PlayInput play;
    if (cursor.HasMoved()) {
        m_aimByKeys = false;
    }
    float angle = playfield.LauncherRotation();
    if (steer && m_steering.Step(angle, input.AimKeys(), input.AimStick(), input.AimSlow(), dt)) {
        m_aimByKeys = true;
        AimPoint(playfield.LauncherPosition(), angle, m_keyAimX, m_keyAimY);
        play.mouseMoved = true;
    } else {
        play.mouseMoved = cursor.HasMoved();
    }
    play.mouseX = m_aimByKeys ? m_keyAimX : cursor.GetX();
    play.mouseY = m_aimByKeys ? m_keyAimY : cursor.GetY();
    const bool fireKey = buttonsFree && (input.KeyHit(DIK_UP) || input.KeyHit(DIK_SPACE) || input.PadHit(EPadButton::A));
    const bool swapKey = buttonsFree && (input.KeyHit(DIK_DOWN) || input.PadHit(EPadButton::X));
    play.fireHit = input.MouseButtonHit(kMouseLeft) || fireKey;
    play.swapHit = input.MouseButtonHit(kMouseRight) || swapKey;
    return play;
}
