#include "game/BotPlayer.h"

PlayInput CBotPlayer::Next(const CPlayfield& playfield, float dt) {
    PlayInput input;
    if (!playfield.CanFire()) {
        return input;
    }
    if (m_turn == ETurn::Thinking) {
        m_thought += dt;
        if (m_thought < m_bot.Strength().thinkSeconds) {
            return input;
        }
        m_choice = m_bot.Choose(playfield);
        m_turn = ETurn::Firing;
        if (m_choice.swapFirst) {
            input.swapHit = true;
            return input;
        }
    }
    input.mouseX = m_choice.mouseX;
    input.mouseY = m_choice.mouseY;
    input.mouseMoved = true;
    input.fireHit = true;
    Forget();
    return input;
}

void CBotPlayer::Forget() {
    m_turn = ETurn::Thinking;
    m_thought = 0.0f;
}
