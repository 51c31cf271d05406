#pragma once
// The scene around the field (background, frame, the ceiling bars, the bottom strip) and
// the animated backdrop of every menu-like screen: a playfield of the screen's own shown
// in backdrop mode, the empty scene without field, launcher or panels.
#include "game/Playfield.h"
#include "platform/Sprite.h"
#include "view/FieldView.h"

class CPlayfieldScene {
public:
    // Loads the scene's pictures; a missing one is logged and drawn as nothing.
    void Load();
    // The scene around playfield: the ceiling bars follow the field's top line and shake.
    void Draw(const CPlayfield& playfield) const;

private:
    CSprite m_background;
    CSprite m_frame;
    mutable CSprite m_border;
    mutable CSprite m_bottom;
};

class CMenuBackdrop {
public:
    CMenuBackdrop() = default;
    CMenuBackdrop(const CMenuBackdrop&) = delete;
    CMenuBackdrop& operator=(const CMenuBackdrop&) = delete;
    ~CMenuBackdrop();

    // Backdrop mode: the scene only; the playfield's pop-ups measure with its own font.
    void Prepare();
    void Update(float dt);
    void Render() const;
    const CPlayfield& Playfield() const { return m_playfield; }

private:
    CPlayfield m_playfield;
    CPlayfieldScene m_scene;
    PlayfieldSprites m_sprites;   // no balls: the backdrop shows no field
    bool m_prepared = false;
};
