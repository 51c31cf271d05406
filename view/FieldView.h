#pragma once
// Drawing of the game core: the field, the falling balls, the launcher with the ball in
// hand and the next ball, the particles, the flying multicolour ball, the arrows, the idle
// countdown and the score pop-ups. The scene around it (background, frame, panels) belongs
// to the screen that owns the playfield.
#include "game/Playfield.h"

class CSpriteList;
class CSprite;
class CFont;

// The sprites the playfield draws with; owned by the screen that owns the playfield.
struct PlayfieldSprites {
    CSpriteList* balls = nullptr;
    CSprite* launcher = nullptr;
    CSprite* arrow = nullptr;
    CSprite* particle = nullptr;
    CSprite* countdownDigits = nullptr;
    const CFont* popUpFont = nullptr;
};

// Draws one ball with its colour's sprite and frame at (x, y), its top-left; codes
// without a sprite (empty, damaged) draw nothing.
void DrawBall(CSpriteList& balls, const BallCell& ball, float x, float y);
// The balls resting in the field, shifted by the shake offset.
void DrawBoardField(const CBoard& board, CSpriteList& balls, float offsetX, float offsetY);
// The balls that removals cut loose, on their way down.
void DrawFallingBalls(const CBoard& board, CSpriteList& balls, float offsetX, float offsetY);
// Everything the playfield shows, in its drawing order. Without a ball sprite list nothing.
void DrawPlayfield(const CPlayfield& playfield, const PlayfieldSprites& sprites);

// This playfield's pop-ups are centred with this font's measure (null: uncentred); each
// playfield keeps its own font.
void SetPopUpFont(CPlayfield& playfield, const CFont* font);

// The playfield drawn small, as the opponent's field of a versus match: the field area
// (x 160..480, y 32 down to the deck) is shown with its top-left at (left, top), every
// position scaled by scale. The sprites must be cut at that scale (balls 32 * scale).
// The field, the falling balls, the ball in hand and the launcher are drawn; the effects,
// the pop-ups and the next ball are left out at this size.
struct MiniatureView {
    float left = 0.0f;
    float top = 0.0f;
    float scale = 0.5f;
};
void DrawPlayfieldMiniature(const CPlayfield& playfield, const PlayfieldSprites& sprites, const MiniatureView& view);
