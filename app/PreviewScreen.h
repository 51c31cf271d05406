#pragma once
// CPreviewScreen: the first screen until the intro, the menus and the real game screen
// exist. A playable preview of the game: the level pack played with the real playfield on
// the real scene, a plain HUD (lives, score, level, the three icon buttons), a pause panel,
// and an art card (menu button) with the title, the studio mark and a working slider for
// the sound effects volume. Cleared levels lead to the next level, a lost game starts over
// at level 1. Escape is left to the engine, so it still ends the program.
#include "engine/EngineState.h"
#include "view/FieldView.h"
#include "platform/Sprite.h"

class CPreviewScreen final : public CEngineState, private IPlayfieldListener {
public:
    bool Init() override;
    void Shutdown() override;
    const char* GetName() const override { return "CPreviewScreen"; }
    void Render() override;
    void Update(float dt) override;

private:
    enum EHudButton { kButtonPause = 0, kButtonMenu = 1, kButtonExit = 2, kButtonCount = 3, kNoButton = -1 };
    enum class ELevelRequest { None, Replay, Next, NewGame };

    // IPlayfieldListener: what the game screen will do, in the simplest form.
    void OnLevelFinished() override { m_levelRequest = ELevelRequest::Next; }
    void OnMulticolorArrived() override { m_playfield.GiveMulticolorBall(); }
    void OnReplayLevel() override { m_levelRequest = ELevelRequest::Replay; }
    void OnRowBonus(int32_t points, float x, float y) override { m_playfield.AddScore(points, x, y); }
    void OnGameOver() override { m_levelRequest = ELevelRequest::NewGame; }

    // A missing picture is logged and drawn as nothing; the preview runs on.
    void LoadSceneSprites();
    void BuildPlayfieldSprites();
    void BuildHudSprites();
    // Loads level n, or level 1 when n does not exist; false when not even level 1 loads.
    bool StartLevel(int32_t levelNumber);
    void ApplyLevelRequest();

    void UpdatePlay(float dt);
    void UpdateCard();
    void PressButton(int32_t button);
    int32_t ButtonAt(float x, float y) const;
    bool IsOverSlider(float x, float y) const;
    void SetVolumeFromCursor(float x);

    void RenderScene();
    void RenderHud();
    void RenderPausePanel();
    void RenderCard();
    void RenderSlider(float x, float y, float fraction, bool hovered);
    void DrawDarkPanel(float left, float top, float width, float height);

    CPlayfield m_playfield;
    PlayfieldSprites m_sprites;

    // The field's sprites, cut from "texpack_face".
    CSpriteList m_balls;
    CSprite m_launcher;
    CSprite m_arrow;
    CSprite m_particle;
    CSprite m_digits;

    // The scene and the art card.
    CSprite m_background;
    CSprite m_frame;
    CSprite m_border;
    CSprite m_bottom;
    CSprite m_dark;
    CSprite m_title;
    CSprite m_studioMark;
    CSprite m_sliderLeft;
    CSprite m_sliderMiddle;
    CSprite m_sliderRight;
    CSprite m_sliderKnob;

    // The HUD.
    CSprite m_buttons[kButtonCount];
    CSprite m_lifeIcon;

    int32_t m_levelNumber = 1;
    bool m_hasLevel = false;
    ELevelRequest m_levelRequest = ELevelRequest::None;
    int32_t m_hoveredButton = kNoButton;
    bool m_paused = false;
    bool m_cardShown = false;
    bool m_draggingKnob = false;
    float m_extraLifeBanner = 0.0f;
};
