#pragma once
// CWelcomeScreen: the first screen until the intro exists. Shows the background, a row of
// bouncing balls, the logo, the program's name and a band of coloured tiles (drawn without
// any texture, so the screen is never one flat colour even without data).
#include "engine/EngineState.h"
#include "platform/Sprite.h"

class CWelcomeScreen final : public CEngineState {
public:
    bool Init() override;
    void Shutdown() override;
    const char* GetName() const override { return "CWelcomeScreen"; }
    void Render() override;
    void Update(float dt) override;

private:
    static constexpr int kBallCount = 8;

    void DrawTiles() const;
    void DrawBalls();

    CSprite m_background;
    CSprite m_logo;
    CSpriteList m_balls;
    bool m_hasBackground = false;
    bool m_hasLogo = false;
    float m_time = 0.0f;
};
