#pragma once
// CIntro (state 10007), the first screen: the studio mark fades in from black, stays two
// seconds and fades out, then the start screen follows. A click, Space, Return or keypad
// Enter shortens the wait (a fade already running is finished first).
#include "gui/GuiState.h"

class CIntro final : public CGuiState {
public:
    static constexpr float kShowSeconds = 2.0f;

    const char* GetName() const override { return "CIntro"; }
    bool InitScreen() override;
    void ShutdownScreen() override;
    void UpdateScreen(float dt) override;

    float Fade() const { return m_fade; }
    bool IsDone() const { return m_done; }
    const CGuiImage& Picture() const { return m_picture; }

private:
    bool SkipPressed() const;

    CGuiImage m_picture;
    float m_elapsed = 0.0f;
    float m_fade = 0.0f;
    bool m_fadingIn = false;
    bool m_fadingOut = false;
    bool m_done = false;
    bool m_skipRequested = false;
};
