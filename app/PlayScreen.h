#pragma once
// CPlayScreen (state 10004): what "Play" starts until the full game screen arrives. The
// level pack played with the real playfield on the real scene, a plain HUD (lives, score,
// level, the player's name, the three icon buttons) and a pause panel. Cleared levels lead
// to the next level, a lost game starts over at level 1. Escape and the menu button go
// back to the main menu; the exit button ends the program.
#include "engine/EngineState.h"
#include "gui/MenuBackdrop.h"
#include "view/FieldView.h"
#include "platform/Sprite.h"

class CPlayScreen final : public CEngineState, private IPlayfieldListener {
public:
    bool Init() override;
    void Shutdown() override;
    const char* GetName() const override { return "CPlayScreen"; }
    void Render() override;
    void Update(float dt) override;
    bool OnEscape() override;

private:
    enum EHudButton { kButtonPause = 0, kButtonMenu = 1, kButtonExit = 2, kButtonCount = 3, kNoButton = -1 };
    enum class ELevelRequest { None, Replay, Next, NewGame };

    // IPlayfieldListener: what the game screen will do, in the simplest form.
    void OnLevelFinished() override { m_levelRequest = ELevelRequest::Next; }
    void OnMulticolorArrived() override { m_playfield.GiveMulticolorBall(); }
    void OnReplayLevel() override { m_levelRequest = ELevelRequest::Replay; }
    void OnRowBonus(int32_t points, float x, float y) override { m_playfield.AddScore(points, x, y); }
    void OnGameOver() override { m_levelRequest = ELevelRequest::NewGame; }

    // A missing picture is logged and drawn as nothing; the game runs on.
    void LoadSceneSprites();
    void BuildPlayfieldSprites();
    void BuildHudSprites();
    // Loads level n, or level 1 when n does not exist; false when not even level 1 loads.
    bool StartLevel(int32_t levelNumber);
    void ApplyLevelRequest();

    void UpdatePlay(float dt);
    void PressButton(int32_t button);
    int32_t ButtonAt(float x, float y) const;

    void RenderScene();
    void RenderHud();
    void RenderPausePanel();
    void DrawDarkPanel(float left, float top, float width, float height);

    CPlayfield m_playfield;
    PlayfieldSprites m_sprites;

    // The field's sprites, cut from "texpack_face".
    CSpriteList m_balls;
    CSprite m_launcher;
    CSprite m_arrow;
    CSprite m_particle;
    CSprite m_digits;

    // The scene and the pause panel's shading.
    CPlayfieldScene m_scene;
    CSprite m_dark;

    // The HUD.
    CSprite m_buttons[kButtonCount];
    CSprite m_lifeIcon;

    int32_t m_levelNumber = 1;
    bool m_hasLevel = false;
    ELevelRequest m_levelRequest = ELevelRequest::None;
    int32_t m_hoveredButton = kNoButton;
    bool m_paused = false;
    float m_extraLifeBanner = 0.0f;
};
