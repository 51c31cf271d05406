#pragma once
// CApplication: the one window and its event loop around the engine. A frame runs whenever
// no event is waiting and the application is active; an inactive application sleeps in the
// event queue, and so does an active one between frames while its picture is still.
#include "platform/Window.h"

class CApplication final : public IWindowEvents {
public:
    static CApplication& Get();

    // True when the loop ended with a quit code of 0; false when start-up failed.
    bool Run(const char* title, int width, int height, bool fullscreen, int bpp, int depth, int stencil);
    // Start-up failed because no display could be opened.
    bool HadNoDisplay() const { return m_noDisplay; }
    bool IsActive() const { return m_active; }

    void OnFocusGained() override;
    void OnFocusLost() override;
    void OnCloseRequested() override;
    void OnEscapeReleased() override;
    void OnScreenshotKey() override;
    void OnCharacter(uint8_t code) override;
    void OnClientResize(int width, int height) override;

private:
    CApplication() = default;
    void RunLoop();

    bool m_active = true;
    bool m_quit = false;
    int m_quitCode = 0;
    bool m_noDisplay = false;
};
