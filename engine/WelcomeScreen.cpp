#include "engine/WelcomeScreen.h"

#include "engine/Globals.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"

#include <cmath>

namespace {
struct TileColour {
    float r, g, b;
};
constexpr TileColour kTileColours[8] = {
    {0.85f, 0.15f, 0.15f}, {0.95f, 0.55f, 0.10f}, {0.95f, 0.90f, 0.20f}, {0.20f, 0.75f, 0.25f},
    {0.15f, 0.70f, 0.85f}, {0.20f, 0.30f, 0.90f}, {0.60f, 0.25f, 0.85f}, {0.90f, 0.40f, 0.70f},
};
constexpr float kTextureSize = 256.0f;
constexpr float kBallSize = 32.0f;
}  // namespace

bool CWelcomeScreen::Init() {
    m_hasBackground = m_background.Load("bakgrund");
    if (m_hasBackground) {
        m_background.SetSize(640.0f, 480.0f);
        m_background.SetPos(0.0f, 0.0f);
    }
    m_hasLogo = m_logo.Load("qvt_logo");
    if (m_hasLogo) {
        m_logo.SetSize(320.0f, 240.0f);
        m_logo.SetPos(160.0f, 40.0f);
    }
    for (int colour = 0; colour < kBallCount; ++colour) {
        const float left = kBallSize * static_cast<float>(colour) / kTextureSize;
        m_balls.AddRegion(g_texpackFace, kTextureSize, kTextureSize, kBallSize, kBallSize,
                          left, 0.0f, left + kBallSize / kTextureSize, kBallSize / kTextureSize);
        m_balls.Get(colour).SetBlend(true);
    }
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
    m_time = 0.0f;
    return true;
}

void CWelcomeScreen::Shutdown() {
    m_balls.Clear();
}

void CWelcomeScreen::Update(float dt) {
    m_time += dt;
}

void CWelcomeScreen::Render() {
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    if (m_hasBackground) {
        m_background.Draw();
    }
    DrawTiles();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    if (m_hasLogo) {
        m_logo.Draw();
    }
    DrawBalls();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    CFont::Main().PrintCentered("Pellora", 320.0f, 300.0f);
}

void CWelcomeScreen::DrawTiles() const {
    CGfxOGL& gfx = CGfxOGL::Get();
    CTextures::Get().Bind(TextureHandle());
    gfx.Disable(GL_BLEND);
    gfx.EnsureMatrices();
    gfx.LoadIdentity();
    constexpr float kTileWidth = 80.0f;
    constexpr float kTop = 440.0f;
    constexpr float kBottom = 480.0f;
    for (int i = 0; i < 8; ++i) {
        // Each tile pulses a little, so the screen visibly runs.
        const float pulse = 0.8f + 0.2f * std::sin(m_time * 2.0f + static_cast<float>(i));
        const TileColour& colour = kTileColours[i];
        gfx.Color(colour.r * pulse, colour.g * pulse, colour.b * pulse, 1.0f);
        const float left = kTileWidth * static_cast<float>(i);
        gfx.Begin(GL_TRIANGLE_STRIP);
        gfx.Vertex(left, kTop);
        gfx.Vertex(left, kBottom);
        gfx.Vertex(left + kTileWidth, kTop);
        gfx.Vertex(left + kTileWidth, kBottom);
        gfx.End();
    }
    gfx.LoadIdentity();
}

void CWelcomeScreen::DrawBalls() {
    const int count = m_balls.Count();
    for (int i = 0; i < count; ++i) {
        CSprite& ball = m_balls.Get(i);
        const float bounce = std::fabs(std::sin(m_time * 3.0f + 0.6f * static_cast<float>(i))) * 40.0f;
        ball.SetPos(192.0f + 32.0f * static_cast<float>(i), 390.0f - bounce);
        ball.Draw();
    }
}
