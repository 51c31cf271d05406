// Drawing of the playfield: the field, the launcher and its balls, the effects, the
// pop-ups. The scene around it (background, frame, panels) belongs to the owner.
#include "game/Playfield.h"

#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Sprite.h"

namespace {
const CFont* g_popUpFont = nullptr;

int32_t MeasurePopUp(const char* text) {
    return g_popUpFont != nullptr ? g_popUpFont->Measure(text) : 0;
}

void DrawParticles(const CParticleSystem& system, CSprite& sprite) {
    CGfxOGL& gfx = CGfxOGL::Get();
    for (int32_t i = 0; i < CParticleSystem::kCapacity; ++i) {
        const Particle& particle = system.At(i);
        if (!particle.active) {
            continue;
        }
        const float life = 1.0f - particle.age / particle.lifetime;
        gfx.Color(particle.grey, particle.grey, particle.grey, life);
        sprite.SetPos(particle.x, particle.y);
        sprite.Draw();
    }
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
}
}  // namespace

void SetPopUpFont(CPlayfield& playfield, const CFont* font) {
    g_popUpFont = font;
    playfield.PopUps().SetMeasure(font != nullptr ? &MeasurePopUp : nullptr, font != nullptr ? font->GetCharHeight() : 0);
}

void CPlayfield::Draw(const PlayfieldSprites& sprites) const {
    if (sprites.balls == nullptr) {
        return;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    const float shakeX = ShakeOffsetX();
    const float shakeY = ShakeOffsetY();

    m_board.DrawField(*sprites.balls, shakeX, shakeY);
    if (sprites.launcher != nullptr) {
        sprites.launcher->SetPos(m_launcher.x + shakeX, m_launcher.y + shakeY);
        sprites.launcher->SetRotation(m_launcherAngle);
        sprites.launcher->Draw();
    }
    if (m_clearing) {
        if (sprites.particle != nullptr) {
            DrawParticles(m_effects.System(0), *sprites.particle);
            DrawParticles(m_effects.System(1), *sprites.particle);
        }
    } else {
        if (m_ready || m_multicolorPending) {
            DrawBall(*sprites.balls, m_current, m_shot.position.x, m_shot.position.y);
        }
        DrawBall(*sprites.balls, m_next, 170.0f, 410.0f);
        if (sprites.particle != nullptr) {
            DrawParticles(m_effects.System(0), *sprites.particle);
            DrawParticles(m_effects.System(1), *sprites.particle);
        }
        const FlyingMulticolor& flying = m_board.FlyingBall();
        if (flying.running) {
            DrawBall(*sprites.balls, BallCell{BallColour::Multicolor, 0}, flying.position.x, flying.position.y);
        }
    }
    if (sprites.popUpFont != nullptr) {
        for (int32_t i = 0; i < CScorePopUps::kSlots; ++i) {
            const PopUp& popUp = m_popUps.Slot(i);
            if (!popUp.active) {
                continue;
            }
            gfx.Color(popUp.red, popUp.green, popUp.blue, popUp.alpha);
            sprites.popUpFont->Print(popUp.text, popUp.x, popUp.y);
        }
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (m_clearing) {
        return;
    }
    m_board.DrawFalling(*sprites.balls, shakeX, shakeY);
    // Repainted balls flash white while their record lasts.
    for (const CellRecord& record : m_board.Recoloured()) {
        const Vec3 corner = m_board.CellTopLeft(record.column, record.row);
        gfx.Color(1.0f, 1.0f, 1.0f, 0.5f);
        DrawBall(*sprites.balls, BallCell{record.colour, record.frame}, corner.x + shakeX, corner.y + shakeY);
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (m_idleRunning && sprites.countdownDigits != nullptr) {
        const float t = m_idleTimer;
        CSprite& digit = *sprites.countdownDigits;
        digit.SetFrame(m_countdownDigit);
        digit.SetSize((1.0f + t) * 32.0f, (1.0f + t) * 32.0f);
        digit.SetPos(180.0f + 30.0f * t, 410.0f - 40.0f * t);
        gfx.Color(1.0f, 1.0f, 1.0f, t);
        digit.Draw();
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (sprites.arrow != nullptr) {
        for (int32_t direction = 0; direction < 2; ++direction) {
            const ArrowSweep& arrow = m_board.Arrow(direction);
            if (arrow.running) {
                // A two-frame arrow sprite shows each direction in its own frame.
                sprites.arrow->SetFrame(direction);
                sprites.arrow->SetPos(arrow.x + shakeX, arrow.y + shakeY);
                sprites.arrow->Draw();
            }
        }
    }
}
