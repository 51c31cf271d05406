#pragma once
// The sprites a game draws its playfield with, cut from the shared texture "texpack_face"
// through the generated atlas table: the balls of every cell code, the launcher, the
// arrows, the particle glow and the countdown digits.
#include "platform/Sprite.h"
#include "view/FieldView.h"

class CGameSprites {
public:
    CGameSprites() = default;
    CGameSprites(const CGameSprites&) = delete;
    CGameSprites& operator=(const CGameSprites&) = delete;

    // Cuts every sprite; a missing texture leaves sprites that draw nothing.
    void Build();
    void Clear();
    const PlayfieldSprites& Sprites() const { return m_sprites; }
    CSprite& Launcher() { return m_launcher; }

private:
    CSpriteList m_balls;
    CSprite m_launcher;
    CSprite m_arrow;
    CSprite m_particle;
    CSprite m_digits;
    PlayfieldSprites m_sprites;
};

// The shared texture "texpack_face" (loaded once at start-up, shared by name).
TextureHandle FaceTexture();

// The play screen, for the game and the versus match alike: the field can be aimed at down
// to kPlayCursorBottom (the launcher sits below it); the score ends on the right at
// kPlayScoreRight, its top at kPlayScoreTop, and grows to the left.
constexpr float kPlayCursorBottom = 370.0f;
constexpr float kPlayScoreRight = 474.0f;
constexpr float kPlayScoreTop = 417.0f;
// The score at the foot of the play screen, over its shadow.
void DrawPlayScore(int32_t score);
