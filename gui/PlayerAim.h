#pragma once
// What the player's devices give a field for one step of play: the mouse aims, or the keys
// and the pad turn the launcher, whichever moved last; the fire and swap buttons of all
// three. The game and the versus match read their player through it.
#include "game/Playfield.h"
#include "gui/LauncherSteering.h"

class CPlayerAim {
public:
    // steer: the keys and the pad may turn the launcher in this step; buttonsFree: their
    // presses were not taken by a focused button.
    PlayInput Read(const CPlayfield& playfield, bool steer, bool buttonsFree, float dt);

private:
    CLauncherSteering m_steering;
    bool m_aimByKeys = false;
    float m_keyAimX = 0.0f, m_keyAimY = 0.0f;
};
