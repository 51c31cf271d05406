#include "gui/Intro.h"

#include "engine/Engine.h"
#include "gui/GuiArt.h"
#include "platform/Gfx.h"
#include "platform/Input.h"

bool CIntro::InitScreen() {
    m_skipRequested = false;
    const CGfxOGL& gfx = CGfxOGL::Get();
    m_picture.LoadPicture(kIntroPicture.name, false);
    m_picture.SetSize(gfx.GetWidth(), gfx.GetHeight());
    m_picture.SetPos(0, 0);
    AddWidget(&m_picture);
    CMouseCursor::Get().SetVisible(false);
    m_elapsed = 0.0f;
    m_fade = 0.0f;
    m_fadingIn = true;
    m_fadingOut = false;
    m_done = false;
    return true;
}

void CIntro::ShutdownScreen() {
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 1.0f);
}

bool CIntro::SkipPressed() const {
    const CInput& input = CInput::Get();
    return input.MouseButtonHit(kMouseLeft) || input.MouseButtonHit(kMouseRight) || input.KeyHit(DIK_SPACE) ||
           input.KeyHit(DIK_RETURN) || input.KeyHit(DIK_NUMPADENTER) || input.NavHit(ENavAction::Activate);
}

void CIntro::UpdateScreen(float dt) {
    if (m_done) {
        return;
    }
    // Modulated towards black, not made transparent.
    m_picture.SetTinted(true);
    m_picture.SetTint(m_fade, m_fade, m_fade, 1.0f);
    if (SkipPressed()) {
        m_skipRequested = true;
        return;
    }
    if (m_fadingIn) {
        m_fade += dt;
        if (m_fade >= 1.0f) {
            m_fade = 1.0f;
            m_fadingIn = false;
        }
        return;
    }
    if (m_fadingOut) {
        m_fade -= dt;
        if (m_fade < 0.0f) {
            CMouseCursor::Get().SetVisible(true);
            m_done = true;
            CEngine::Get().SetUpperState(kStateEmpty);
            CEngine::Get().SetLowerState(kStateStart);
        }
        return;
    }
    m_elapsed += dt;
    if (m_skipRequested || m_elapsed >= kShowSeconds) {
        m_fadingOut = true;
    }
}
