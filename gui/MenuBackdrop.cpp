#include "gui/MenuBackdrop.h"

#include "core/Log.h"
#include "gui/GuiArt.h"
#include "platform/Font.h"

namespace {
void LoadScenePicture(CSprite& sprite, const GuiPicture& picture, bool blend) {
    if (!sprite.Load(picture.name)) {
        CLog::Get().Write("CPlayfieldScene::Load FAILED, picture: %s", picture.name);
        return;
    }
    sprite.SetBlend(blend);
}
}  // namespace

void CPlayfieldScene::Load() {
    LoadScenePicture(m_background, kBackgroundPicture, false);
    LoadScenePicture(m_frame, kFramePicture, true);
    LoadScenePicture(m_border, kBorderPicture, true);
    LoadScenePicture(m_bottom, kBottomPicture, false);
    m_background.SetPos(0.0f, 0.0f);
    m_frame.SetPos(kFrameLeft, kFrameTop);
}

void CPlayfieldScene::Draw(const CPlayfield& playfield) const {
    m_background.Draw();
    m_frame.Draw();
    // The ceiling: two bars stacked over the field's top line, moving down with it.
    const float shakeX = playfield.ShakeOffsetX();
    const float shakeY = playfield.ShakeOffsetY();
    const float top = playfield.Board().Origin().y;
    m_border.SetPos(kBorderLeft + shakeX, top - kBorderHeight + shakeY);
    m_border.Draw();
    m_border.SetPos(kBorderLeft + shakeX, top - 2.0f * kBorderHeight + shakeY);
    m_border.Draw();
    m_bottom.SetPos(0.0f, kBottomTop);
    m_bottom.Draw();
    m_bottom.SetPos(kBottomWidth, kBottomTop);
    m_bottom.Draw();
}

CMenuBackdrop::~CMenuBackdrop() {
    SetPopUpFont(m_playfield, nullptr);
}

void CMenuBackdrop::Prepare() {
    m_scene.Load();
    m_sprites.popUpFont = &CFont::Third();
    SetPopUpFont(m_playfield, &CFont::Third());
    m_prepared = true;
}

void CMenuBackdrop::Update(float dt) {
    // An empty field: the pop-ups and effects run down, no turn is ever played.
    m_playfield.PopUps().Update(dt);
}

void CMenuBackdrop::Render() const {
    if (!m_prepared) {
        return;
    }
    m_scene.Draw(m_playfield);
    DrawPlayfield(m_playfield, m_sprites);
}
