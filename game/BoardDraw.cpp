// Drawing of the field and the falling balls with the ball sprite list.
#include "game/Board.h"

#include "platform/Sprite.h"

namespace {
void DrawBall(CSpriteList& balls, int32_t colour, uint32_t frame, float x, float y) {
    if (colour < 0 || colour >= balls.Count()) {
        return;
    }
    CSprite& sprite = balls.Get(colour);
    sprite.SetPos(x, y);
    sprite.SetFrame(static_cast<int32_t>(frame));
    sprite.Draw();
}
}  // namespace

void CBoard::DrawField(CSpriteList& balls, float offsetX, float offsetY) const {
    for (int32_t row = 0; row < kBoardRows; ++row) {
        float x = m_origin.x + (IsShortRow(row) ? kShortRowIndent : 0.0f) + offsetX;
        const float y = m_origin.y + kRowSpacing * static_cast<float>(row) + offsetY;
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const BallCell& cell = m_grid[row][column];
            DrawBall(balls, cell.colour, cell.frame, x, y);
            x += m_ballWidth;
        }
    }
}

void CBoard::DrawFalling(CSpriteList& balls, float offsetX, float offsetY) const {
    for (const FallingBall& ball : m_falling) {
        DrawBall(balls, ball.colour, ball.frame, ball.x + offsetX, ball.y + offsetY);
    }
}
