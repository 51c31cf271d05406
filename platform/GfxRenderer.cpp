// The choice of renderer (a GPU's or SDL's software renderer) and its life: made for the
// window, rebuilt after a device reset, destroyed with the picture target.
#include "platform/GfxFrame.h"

#include "core/Log.h"

#include <filesystem>
#include <string>

bool CGfxOGL::Create(SDL_Window* window, int width, int height, int bpp, int depth, int stencil, bool /*fullscreen*/) {
    CLog::Get().Write("CGfxOGL::Create - width=%d, height=%d, bpp=%d, depth=%d. stencil=%d", width, height, bpp,
                      depth, stencil);
    m_window = window;
    m_width = width;
    m_height = height;
    if (m_window == nullptr || width <= 0 || height <= 0) {
        CLog::Get().Write("CGfxOGL::Create - FAILED no window or no size");
        return false;
    }
    if (!CreateRenderer()) {
        return false;
    }
    m_pictureWidth = width;
    m_pictureHeight = height;
    m_draw->frame.Reset();
    m_draw->shown.Reset();
    Invalidate();
    m_presentCount = 0;
    m_unchangedFrames = 0;
    ClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    ResetRenderStates();
    ApplyMatrices();
    Color(1.0f, 1.0f, 1.0f, 1.0f);
    m_active = true;
    CTextures::Get().SetRenderer(m_renderer);
    // Textures loaded before there was a renderer get their device textures now.
    if (CTextures::Get().GetCount() > 0) {
        CTextures::Get().ReleaseAll();
        CTextures::Get().RecreateAll();
    }
    return true;
}

RendererChoice CGfxOGL::ChooseRendererPath(const char* setting, bool gpuPresent) {
    if (setting != nullptr && SDL_strcasecmp(setting, "software") == 0) {
        return {ERendererPath::Software, "set by PELLORA_RENDERER"};
    }
    if (setting != nullptr && SDL_strcasecmp(setting, "gpu") == 0) {
        return {ERendererPath::Gpu, "set by PELLORA_RENDERER"};
    }
    if (gpuPresent) {
        return {ERendererPath::Gpu, "a GPU render node is present"};
    }
    return {ERendererPath::Software, "no GPU render node"};
}

bool CGfxOGL::HasGpuRenderNode() {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator nodes("/dev/dri", error);
    if (error) {
        return false;
    }
    for (const fs::directory_entry& node : nodes) {
        const std::string name = node.path().filename().string();
        if (name.rfind("renderD", 0) != 0) {
            continue;
        }
        // Virtual DRM devices have render nodes but draw on the CPU.
        const fs::path driver = fs::read_symlink("/sys/class/drm/" + name + "/device/driver", error);
        const std::string driverName = error ? std::string() : driver.filename().string();
        if (driverName != "vgem" && driverName != "vkms") {
            return true;
        }
    }
    return false;
}

uint32_t CGfxOGL::PrepareRenderer() {
    const RendererChoice choice = ChooseRendererPath(SDL_getenv("PELLORA_RENDERER"), HasGpuRenderNode());
    m_path = choice.path;
    m_pathChosen = true;
    CLog::Get().Write("CGfxOGL::PrepareRenderer - %s renderer (%s)",
                      m_path == ERendererPath::Gpu ? "GPU" : "software", choice.reason);
    if (m_path == ERendererPath::Software) {
        // Without this SDL backs the software renderer's window with a GL texture.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        return 0;
    }
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    return SDL_WINDOW_OPENGL;
}

const char* CGfxOGL::GetRendererName() const {
    static SDL_RendererInfo info;
    if (m_renderer == nullptr || SDL_GetRendererInfo(m_renderer, &info) != 0) {
        return "";
    }
    return info.name;
}

// Mesa without a GPU driver still offers OpenGL, drawn on the CPU by its own threads.
bool CGfxOGL::IsSoftwareRasteriser() const {
    using GetStringFunction = const unsigned char* (*)(unsigned int);
    constexpr unsigned int kGlRenderer = 0x1F01;
    const auto getString = reinterpret_cast<GetStringFunction>(SDL_GL_GetProcAddress("glGetString"));
    const char* name = getString != nullptr ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
    if (name == nullptr) {
        return false;
    }
    CLog::Get().Write("CGfxOGL::Create - GL renderer %s", name);
    return std::strstr(name, "llvmpipe") != nullptr || std::strstr(name, "softpipe") != nullptr ||
           std::strstr(name, "swrast") != nullptr || std::strstr(name, "Software Rasterizer") != nullptr;
}

bool CGfxOGL::CreateRenderer() {
    if (!m_pathChosen) {
        PrepareRenderer();
    }
    if (m_path == ERendererPath::Gpu) {
        m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
        if (m_renderer == nullptr) {
            CLog::Get().Write("CGfxOGL::Create - no GPU renderer (%s), using the software renderer", SDL_GetError());
        } else if (SDL_getenv("PELLORA_RENDERER") == nullptr && IsSoftwareRasteriser()) {
            CLog::Get().Write("CGfxOGL::Create - the GPU renderer draws on the CPU, using the software renderer");
            SDL_DestroyRenderer(m_renderer);
            m_renderer = nullptr;
        }
    }
    if (m_renderer == nullptr) {
        m_path = ERendererPath::Software;
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (m_renderer == nullptr) {
        CLog::Get().Write("CGfxOGL::Create - CreateDevice FAILED, %s", SDL_GetError());
        return false;
    }
    CLog::Get().Write("CGfxOGL::Create - renderer %s", GetRendererName());
    const SDL_BlendMode oneOne = ComposeBlend(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE);
    m_customBlendSupported = SDL_SetRenderDrawBlendMode(m_renderer, oneOne) == 0;
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
    return true;
}

void CGfxOGL::SetPictureSize(int width, int height) {
    if (width <= 0 || height <= 0 || (width == m_pictureWidth && height == m_pictureHeight)) {
        return;
    }
    CLog::Get().Write("CGfxOGL::SetPictureSize %dx%d", width, height);
    if (m_target != nullptr) {
        SDL_DestroyTexture(m_target);
        m_target = nullptr;
    }
    m_pictureWidth = width;
    m_pictureHeight = height;
    Invalidate();
}

bool CGfxOGL::CreateTarget() {
    m_target = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, m_pictureWidth,
                                 m_pictureHeight);
    if (m_target == nullptr) {
        CLog::Get().Write("CGfxOGL::Create - FAILED to create the picture target, %s", SDL_GetError());
        return false;
    }
    SDL_SetTextureBlendMode(m_target, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(m_target, SDL_ScaleModeLinear);
    return true;
}

void CGfxOGL::Destroy() {
    if (m_renderer != nullptr) {
        // The renderer takes its textures with it; the records stay for a later Create.
        CTextures::Get().ReleaseAll();
        if (m_target != nullptr) {
            SDL_DestroyTexture(m_target);
            m_target = nullptr;
        }
        SDL_DestroyRenderer(m_renderer);
        m_renderer = nullptr;
        CTextures::Get().SetRenderer(nullptr);
    }
    m_window = nullptr;
    m_pathChosen = false;
    m_unchangedFrames = 0;
    m_presentInterval = 0.0;
    m_draw->frame.Reset();
    m_draw->shown.Reset();
}

void CGfxOGL::OnDeviceReset() {
    if (m_renderer == nullptr) {
        return;
    }
    CLog::Get().Write("CGfxOGL::OnDeviceReset");
    CTextures::Get().ReleaseAll();
    if (m_target != nullptr) {
        SDL_DestroyTexture(m_target);
        m_target = nullptr;
    }
    CTextures::Get().RecreateAll();
    ResetRenderStates();
    ApplyMatrices();
    Invalidate();
}

void CGfxOGL::Activate() {
    if (!m_active) {
        CLog::Get().Write("CGfxOGL::Activate");
        m_active = true;
    }
}

void CGfxOGL::Deactivate() {
    if (m_active) {
        CLog::Get().Write("CGfxOGL::Deactivate");
        m_active = false;
    }
}

void CGfxOGL::SetSize(int width, int height) {
    m_width = width;
    m_height = height;
}
