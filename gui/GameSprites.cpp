#include "gui/GameSprites.h"

#include "AtlasRegions.h"
#include "game/BallTypes.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Textures.h"

namespace {
// The launcher is sampled from half a texel inside its left and top edges, which keeps
// the filter off the balls beside and above it in the atlas.
constexpr float kLauncherInset = 0.5f;

// A sprite showing frame 0 of a region of "texpack_face", stepping through the region's
// frame grid.
void CutRegion(CSprite& sprite, const Atlas::Region& region) {
    const Atlas::Uv uv = region.FrameUv(0);
    sprite.LoadRegion(FaceTexture(), static_cast<float>(region.width), static_cast<float>(region.height), uv.left, uv.top,
                      uv.right, uv.bottom);
    sprite.SetFrameGrid(region.columns, region.Rows(), region.FrameU(), region.FrameV());
    sprite.SetBlend(true);
}
}  // namespace

TextureHandle FaceTexture() {
    return CTextures::Get().Load(Atlas::kBalls.texture);
}

void CGameSprites::Build() {
    const TextureHandle face = FaceTexture();
    // Each cell code's ball is a frame of the region its code belongs to.
    m_balls.Clear();
    for (int32_t code = 0; code < BallColour::CodeCount; ++code) {
        const Atlas::Region& region = BallInSpecialsRegion(code) ? Atlas::kSpecials : Atlas::kBalls;
        const Atlas::Uv uv = region.FrameUv(BallAtlasFrame(code));
        m_balls.AddRegion(face, static_cast<float>(region.textureWidth), static_cast<float>(region.textureHeight),
                          static_cast<float>(region.width), static_cast<float>(region.height), uv.left, uv.top, uv.right,
                          uv.bottom);
        m_balls.Get(code).SetBlend(true);
    }
    // The launcher turns about its centre, the pivot.
    const Atlas::Region& launcher = Atlas::kLauncher;
    const Atlas::Uv launcherUv = launcher.FrameUv(0);
    m_launcher.LoadRegion(face, static_cast<float>(launcher.width), static_cast<float>(launcher.height),
                          launcher.U(static_cast<float>(launcher.x) + kLauncherInset),
                          launcher.V(static_cast<float>(launcher.y) + kLauncherInset), launcherUv.right, launcherUv.bottom);
    m_launcher.SetCentered();
    m_launcher.SetBlend(true);
    // Frame 0 the left arrow, frame 1 the right one.
    CutRegion(m_arrow, Atlas::kArrows);
    // A soft glow, centred on the particle and added to what is below.
    CutRegion(m_particle, Atlas::kParticle);
    m_particle.SetSize(16.0f, 16.0f);
    m_particle.SetCentered();
    m_particle.SetBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Digits 0..9.
    CutRegion(m_digits, Atlas::kDigits);

    m_sprites.balls = &m_balls;
    m_sprites.launcher = &m_launcher;
    m_sprites.arrow = &m_arrow;
    m_sprites.particle = &m_particle;
    m_sprites.countdownDigits = &m_digits;
    m_sprites.popUpFont = &CFont::Third();
}

void CGameSprites::Clear() {
    m_balls.Clear();
    m_sprites = PlayfieldSprites();
}

void DrawPlayScore(int32_t score) {
    CGfxOGL& gfx = CGfxOGL::Get();
    const CFont& numbers = CFont::Third();
    gfx.Color(0.0f, 0.0f, 0.0f, 0.5f);
    numbers.PrintIntRight(score, kPlayScoreRight + 2.0f, kPlayScoreTop + 2.0f);
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    numbers.PrintIntRight(score, kPlayScoreRight, kPlayScoreTop);
}
