// Drawing of the field and the falling balls with the ball sprite list.
#include "game/Board.h"

#include "platform/Sprite.h"

void DrawBall(CSpriteList& balls, const BallCell& ball, float x, float y) {
    if (ball.colour < 0 || ball.colour >= balls.Count()) {
        return;
    }
    CSprite& sprite = balls.Get(ball.colour);
    sprite.SetPos(x, y);
    sprite.SetFrame(static_cast<int32_t>(ball.frame));
    sprite.Draw();
}

void CBoard::DrawField(CSpriteList& balls, float offsetX, float offsetY) const {
    for (int32_t row = 0; row < kBoardRows; ++row) {
        float x = m_origin.x + (IsShortRow(row) ? kShortRowIndent : 0.0f) + offsetX;
        const float y = m_origin.y + kRowSpacing * static_cast<float>(row) + offsetY;
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const BallCell& cell = m_grid[row][column];
            DrawBall(balls, cell, x, y);
            x += m_ballWidth;
        }
    }
}

void CBoard::DrawFalling(CSpriteList& balls, float offsetX, float offsetY) const {
    for (const FallingBall& ball : m_falling) {
        DrawBall(balls, BallCell{ball.colour, ball.frame}, ball.x + offsetX, ball.y + offsetY);
    }
}
