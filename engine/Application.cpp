#include "engine/Application.h"

#include "engine/Engine.h"
#include "platform/Window.h"

CApplication& CApplication::Get() {
    static CApplication application;
    return application;
}

bool CApplication::Run(const char* title, int width, int height, bool fullscreen, int bpp, int depth, int stencil) {
    CWindow& window = CWindow::Get();
    if (!window.InitVideo()) {
        m_noDisplay = true;
        return false;
    }
    if (!window.Create(title, width, height, fullscreen)) {
        m_noDisplay = true;
        window.ShutdownVideo();
        return false;
    }
    CEngine& engine = CEngine::Get();
    if (!engine.Create(window, width, height, fullscreen, bpp, depth, stencil)) {
        return false;
    }
    m_active = true;
    m_quit = false;
    window.ConfinePointer(true);
    RunLoop();
    window.ConfinePointer(false);
    engine.Destroy();
    window.Destroy();
    window.ShutdownVideo();
    return m_quitCode == 0;
}

void CApplication::RunLoop() {
    CWindow& window = CWindow::Get();
    CEngine& engine = CEngine::Get();
    while (!m_quit) {
        if (window.PollEvent(*this)) {
            continue;
        }
        if (m_active) {
            engine.Frame();
            if (engine.IsPictureStill()) {
                // Nothing on screen changes: sleep in the event queue until input arrives or
                // the next frame is due.
                window.WaitEventTimeout(*this, CEngine::kStillWaitMs);
            }
        } else {
            window.WaitEvent(*this);
        }
    }
}

void CApplication::OnFocusGained() {
    m_active = true;
    CWindow::Get().Restore();
    CEngine::Get().Activate();
    CWindow::Get().ConfinePointer(true);
}

void CApplication::OnFocusLost() {
    if (!m_active) {
        return;
    }
    CEngine::Get().Deactivate();
    m_active = false;
    CWindow& window = CWindow::Get();
    window.ConfinePointer(false);
    // In full screen the game gets out of the way; a window stays where it is.
    if (window.IsFullscreen()) {
        window.Minimize();
    }
}

void CApplication::OnCloseRequested() {
    if (!CEngine::Get().CloseRequestEnds()) {
        return;   // a screen asks first and ends the program itself
    }
    m_active = false;
    m_quit = true;
    m_quitCode = 0;
}

void CApplication::OnEscapeReleased() {
    if (!CEngine::Get().OnEscape()) {
        m_active = false;
        CEngine::Get().Quit();
    }
}

void CApplication::OnScreenshotKey() {
    CEngine::Get().SaveScreenshot();
}

void CApplication::OnCharacter(uint8_t code) {
    CEngine::Get().OnChar(code);
}

void CApplication::OnClientResize(int width, int height) {
    CEngine::Get().OnClientResize(width, height);
}
