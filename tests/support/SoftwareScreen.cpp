#include "tests/support/SoftwareScreen.h"

#include "engine/StateManager.h"
#include "platform/Input.h"
#include "platform/Gfx.h"
#include "platform/Window.h"

#include <cstdlib>

bool OpenSoftwareScreen() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    CWindow& window = CWindow::Get();
    return window.InitVideo() && window.Create("Pellora test", kScreenWidth, kScreenHeight, false) &&
           CGfxOGL::Get().Create(window.GetSdlWindow(), kScreenWidth, kScreenHeight, 32, 32, 0, false);
}

void CloseSoftwareScreen() {
    CGfxOGL::Get().Destroy();
    CWindow::Get().Destroy();
    CWindow::Get().ShutdownVideo();
}

Bytes DrawScreen(EDrawnLayers layers, bool withPointer) {
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Clear();
    gfx.BeginScene();
    gfx.LoadIdentity();
    if (layers == EDrawnLayers::Both) {
        CStateManager::Lower().Render();
    }
    CStateManager::Upper().Render();
    if (withPointer) {
        CMouseCursor::Get().Draw();
    }
    gfx.EndScene();
    Bytes pixels(static_cast<size_t>(gfx.GetPictureWidth()) * gfx.GetPictureHeight() * 3);
    if (!gfx.ReadPixels(pixels.data())) {
        return {};
    }
    return pixels;
}

size_t PictureWidthOf(const Bytes& pixels) {
    return pixels.size() / (static_cast<size_t>(kScreenHeight) * 3);
}

int32_t DifferingPixels(const Bytes& a, const Bytes& b, int left, int top, int right, int bottom) {
    int32_t count = 0;
    const size_t width = PictureWidthOf(a);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const size_t i = ((kScreenHeight - 1 - y) * width + x) * 3;
            count += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] ? 1 : 0;
        }
    }
    return count;
}

bool KeepPicture(const Bytes& pixels, const std::string& name) {
    const char* folder = std::getenv("PELLORA_E2E_SHOTS");
    if (folder == nullptr) {
        return true;
    }
    Bytes tga(18, 0);
    tga[2] = 2;
    const size_t width = PictureWidthOf(pixels);
    tga[12] = static_cast<uint8_t>(width & 0xFF);
    tga[13] = static_cast<uint8_t>(width >> 8);
    tga[14] = kScreenHeight & 0xFF;
    tga[15] = kScreenHeight >> 8;
    tga[16] = 24;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
        tga.insert(tga.end(), {pixels[i + 2], pixels[i + 1], pixels[i]});
    }
    return WriteFileBytes(std::string(folder) + "/" + name, tga);
}
