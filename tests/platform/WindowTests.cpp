// The program's window on SDL's dummy video driver: a full-screen window is first mapped
// borderless over the whole desktop, so its first picture need not wait for the window
// manager, and becomes full screen when asked; leaving full screen gives a window of the
// picture's size.
#include "platform/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(WindowTest, FullScreenIsBorderlessOverTheDesktopUntilEntered) {
    CWindow& window = CWindow::Get();
    ASSERT_TRUE(window.InitVideo());
    ASSERT_TRUE(window.Create("Pellora test", 640, 480, true));
    SDL_Window* const sdlWindow = window.GetSdlWindow();
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(sdlWindow, &width, &height);
    EXPECT_EQ(width, desktop.w);
    EXPECT_EQ(height, desktop.h);
    EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_EQ(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_TRUE(window.IsFullscreen());

    window.EnterFullscreen();
    EXPECT_EQ(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP,
              static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));

    window.ToggleFullscreen();
    EXPECT_FALSE(window.IsFullscreen());
    // (The dummy driver cannot give a window its border back, so only X11 shows that.)
    EXPECT_EQ(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    SDL_GetWindowSize(sdlWindow, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    // Asking again later changes nothing: the window stays as the player left it.
    window.EnterFullscreen();
    EXPECT_FALSE(window.IsFullscreen());
    EXPECT_EQ(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);

    window.Destroy();
    window.ShutdownVideo();
}

TEST(WindowTest, AWindowedStartIsBorderedAtThePicturesSize) {
    CWindow& window = CWindow::Get();
    ASSERT_TRUE(window.InitVideo());
    ASSERT_TRUE(window.Create("Pellora test", 640, 480, false));
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window.GetSdlWindow(), &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(SDL_GetWindowFlags(window.GetSdlWindow()) & (SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP), 0u);
    window.EnterFullscreen();
    EXPECT_EQ(SDL_GetWindowFlags(window.GetSdlWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    window.Destroy();
    window.ShutdownVideo();
}

}  // namespace
