#include "view/FieldView.h"

#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Sprite.h"

namespace {
constexpr float kNextBallX = 170.0f;
constexpr float kNextBallY = 410.0f;

int32_t MeasurePopUp(const void* font, const char* text) {
    return font != nullptr ? static_cast<const CFont*>(font)->Measure(text) : 0;
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

void DrawEffects(const CPlayfield& playfield, const PlayfieldSprites& sprites) {
    if (sprites.particle == nullptr) {
        return;
    }
    const CEffects& effects = playfield.Effects();
    DrawParticles(effects.System(0), *sprites.particle);
    DrawParticles(effects.System(1), *sprites.particle);
}

void DrawLauncher(const CPlayfield& playfield, CSprite* launcher, float shakeX, float shakeY) {
    if (launcher == nullptr) {
        return;
    }
    launcher->SetPos(playfield.LauncherPosition().x + shakeX, playfield.LauncherPosition().y + shakeY);
    launcher->SetRotation(playfield.LauncherRotation());
    launcher->Draw();
}

void DrawBallsInHand(const CPlayfield& playfield, CSpriteList& balls) {
    if (playfield.IsReady() || playfield.IsMulticolorPending()) {
        const ShotState& shot = playfield.Shot();
        DrawBall(balls, playfield.CurrentBall(), shot.position.x, shot.position.y);
    }
    DrawBall(balls, playfield.NextBallCell(), kNextBallX, kNextBallY);
}

void DrawFlyingMulticolor(const CBoard& board, CSpriteList& balls) {
    const FlyingMulticolor& flying = board.FlyingBall();
    if (flying.running) {
        DrawBall(balls, BallCell{BallColour::Multicolor, 0}, flying.position.x, flying.position.y);
    }
}

void DrawPopUps(const CScorePopUps& popUps, const CFont* font) {
    if (font == nullptr) {
        return;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    for (int32_t i = 0; i < CScorePopUps::kSlots; ++i) {
        const PopUp& popUp = popUps.Slot(i);
        if (!popUp.active) {
            continue;
        }
        gfx.Color(popUp.red, popUp.green, popUp.blue, popUp.alpha);
        font->Print(popUp.text, popUp.x, popUp.y);
    }
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
}

// Repainted balls flash white while their record lasts.
void DrawRecoloured(const CBoard& board, CSpriteList& balls, float shakeX, float shakeY) {
    CGfxOGL& gfx = CGfxOGL::Get();
    for (const CellRecord& record : board.Recoloured()) {
        const Vec3 corner = board.CellTopLeft(record.column, record.row);
        gfx.Color(1.0f, 1.0f, 1.0f, 0.5f);
        DrawBall(balls, BallCell{record.colour, record.frame}, corner.x + shakeX, corner.y + shakeY);
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
}

// The idle countdown's digit shrinks and fades as its second runs out. A dark outline and
// a drop shadow of its own shape, faded with it, keep it readable over the deck's dark
// metal and the field's lit glass alike.
void DrawCountdown(const CPlayfield& playfield, CSprite* digits) {
    if (!playfield.IsCountdownRunning() || digits == nullptr) {
        return;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    const float t = playfield.CountdownTime();
    const float size = (1.0f + t) * 32.0f;
    const float x = 180.0f + 30.0f * t;
    const float y = 410.0f - 40.0f * t;
    digits->SetFrame(playfield.CountdownDigit());
    digits->SetSize(size, size);
    // The outline's width grows with the digit: 2 pixels at its smallest, 4 at its largest.
    const float edge = size / 16.0f;
    gfx.Color(0.0f, 0.0f, 0.0f, 0.5f * t);
    digits->SetPos(x + 1.5f * edge, y + 1.5f * edge);
    digits->Draw();
    constexpr float kOutline[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    // Faint per copy: the overlapping copies darken the glyph's edge, not the glow around it.
    gfx.Color(0.02f, 0.03f, 0.06f, 0.5f * t);
    for (const auto& offset : kOutline) {
        digits->SetPos(x + offset[0] * edge, y + offset[1] * edge);
        digits->Draw();
    }
    gfx.Color(1.0f, 1.0f, 1.0f, t);
    digits->SetPos(x, y);
    digits->Draw();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
}

void DrawArrows(const CBoard& board, CSprite* arrow, float shakeX, float shakeY) {
    if (arrow == nullptr) {
        return;
    }
    for (int32_t direction = 0; direction < 2; ++direction) {
        const ArrowSweep& sweep = board.Arrow(direction);
        if (sweep.running) {
            // A two-frame arrow sprite shows each direction in its own frame.
            arrow->SetFrame(direction);
            arrow->SetPos(sweep.x + shakeX, sweep.y + shakeY);
            arrow->Draw();
        }
    }
}
}  // namespace

void DrawBall(CSpriteList& balls, const BallCell& ball, float x, float y) {
    if (ball.colour < 0 || ball.colour >= balls.Count()) {
        return;
    }
    CSprite& sprite = balls.Get(ball.colour);
    sprite.SetPos(x, y);
    sprite.SetFrame(static_cast<int32_t>(ball.frame));
    sprite.Draw();
}

void DrawBoardField(const CBoard& board, CSpriteList& balls, float offsetX, float offsetY) {
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const Vec3 corner = board.CellTopLeft(column, row);
            DrawBall(balls, board.CellAt(column, row), corner.x + offsetX, corner.y + offsetY);
        }
    }
}

void DrawFallingBalls(const CBoard& board, CSpriteList& balls, float offsetX, float offsetY) {
    for (const FallingBall& ball : board.FallingBalls()) {
        DrawBall(balls, BallCell{ball.colour, ball.frame}, ball.x + offsetX, ball.y + offsetY);
    }
}

void SetPopUpFont(CPlayfield& playfield, const CFont* font) {
    playfield.PopUps().SetMeasure(font != nullptr ? &MeasurePopUp : nullptr, font,
                                  font != nullptr ? font->GetCharHeight() : 0);
}

void DrawPlayfield(const CPlayfield& playfield, const PlayfieldSprites& sprites) {
    if (sprites.balls == nullptr) {
        return;
    }
    const CBoard& board = playfield.Board();
    CSpriteList& balls = *sprites.balls;
    const float shakeX = playfield.ShakeOffsetX();
    const float shakeY = playfield.ShakeOffsetY();

    DrawBoardField(board, balls, shakeX, shakeY);
    DrawLauncher(playfield, sprites.launcher, shakeX, shakeY);
    if (!playfield.IsClearing()) {
        DrawBallsInHand(playfield, balls);
    }
    DrawEffects(playfield, sprites);
    if (!playfield.IsClearing()) {
        DrawFlyingMulticolor(board, balls);
    }
    DrawPopUps(playfield.PopUps(), sprites.popUpFont);
    if (playfield.IsClearing()) {
        return;
    }
    DrawFallingBalls(board, balls, shakeX, shakeY);
    DrawRecoloured(board, balls, shakeX, shakeY);
    DrawCountdown(playfield, sprites.countdownDigits);
    DrawArrows(board, sprites.arrow, shakeX, shakeY);
}

namespace {
constexpr float kFieldAreaLeft = 160.0f;
constexpr float kFieldAreaTop = 32.0f;

float MiniX(const MiniatureView& view, float x) {
    return view.left + (x - kFieldAreaLeft) * view.scale;
}
float MiniY(const MiniatureView& view, float y) {
    return view.top + (y - kFieldAreaTop) * view.scale;
}
}  // namespace

void DrawPlayfieldMiniature(const CPlayfield& playfield, const PlayfieldSprites& sprites, const MiniatureView& view) {
    if (sprites.balls == nullptr) {
        return;
    }
    CSpriteList& balls = *sprites.balls;
    const CBoard& board = playfield.Board();
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const Vec3 corner = board.CellTopLeft(column, row);
            DrawBall(balls, board.CellAt(column, row), MiniX(view, corner.x), MiniY(view, corner.y));
        }
    }
    for (const FallingBall& ball : board.FallingBalls()) {
        DrawBall(balls, BallCell{ball.colour, ball.frame}, MiniX(view, ball.x), MiniY(view, ball.y));
    }
    if (sprites.launcher != nullptr) {
        const Vec3& launcher = playfield.LauncherPosition();
        sprites.launcher->SetPos(MiniX(view, launcher.x), MiniY(view, launcher.y));
        sprites.launcher->SetRotation(playfield.LauncherRotation());
        sprites.launcher->Draw();
    }
    if (!playfield.IsClearing() && (playfield.IsReady() || playfield.IsMulticolorPending())) {
        const ShotState& shot = playfield.Shot();
        DrawBall(balls, playfield.CurrentBall(), MiniX(view, shot.position.x), MiniY(view, shot.position.y));
    }
}
