// CGfxOGL on SDL_Renderer: batches are built in the 4096-vertex array, transformed by the
// world matrix on the CPU in End and handed to SDL_RenderGeometry. Every frame is drawn
// into a picture-sized target texture that Present scales into the window.
#include "platform/Gfx.h"

#include "core/Log.h"
#include "core/Timer.h"
#include "platform/Textures.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr float kDegreesToRadians = 0.0174532924f;
constexpr float kAxisThreshold = 0.00001f;
constexpr int kMaxStripTriangles = CGfxOGL::kMaxVertices - 2;

// One colour channel: the product truncated to an integer, its low 8 bits kept.
uint32_t ColorByte(float value) {
    const float product = value * 255.0f;
    if (!(product > -2147483648.0f && product < 2147483648.0f)) {
        return 0;   // not representable: no defined low byte
    }
    return static_cast<uint32_t>(static_cast<int32_t>(product)) & 0xFFu;
}

EBlendFactor FactorFromGl(uint32_t factor) {
    switch (factor) {
        case GL_SRC_ALPHA: return EBlendFactor::SrcAlpha;
        case GL_ONE_MINUS_SRC_ALPHA: return EBlendFactor::InvSrcAlpha;
        default: return EBlendFactor::One;   // GL_ONE and every other value
    }
}

SDL_BlendFactor SdlFactor(EBlendFactor factor, SDL_BlendFactor unset) {
    switch (factor) {
        case EBlendFactor::One: return SDL_BLENDFACTOR_ONE;
        case EBlendFactor::SrcAlpha: return SDL_BLENDFACTOR_SRC_ALPHA;
        case EBlendFactor::InvSrcAlpha: return SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA;
        case EBlendFactor::None: break;
    }
    return unset;
}

SDL_BlendMode ComposeBlend(SDL_BlendFactor source, SDL_BlendFactor destination) {
    return SDL_ComposeCustomBlendMode(source, destination, SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
                                      SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
}

}  // namespace

// One recorded drawing operation. Vertices of geometry live in the frame's vertex list;
// textures are named by handle and looked up when drawn, so a rebuilt texture is found.
enum class ECommand : uint8_t { Clear, Geometry, Copy, Fill };

struct GfxCommand {
    ECommand kind = ECommand::Clear;
    bool strip = false;
    uint32_t blendMode = 0;
    uint32_t color = 0;   // ARGB: the clear colour, or the modulation of a copy or fill
    TextureHandle texture;
    int firstVertex = 0;
    int vertexCount = 0;
    float uLeft = 0.0f, vTop = 0.0f, uRight = 0.0f, vBottom = 0.0f;
    SDL_FRect rect{0.0f, 0.0f, 0.0f, 0.0f};

    bool operator==(const GfxCommand& o) const {
        return kind == o.kind && strip == o.strip && blendMode == o.blendMode && color == o.color &&
               texture.id == o.texture.id && texture.index == o.texture.index && firstVertex == o.firstVertex &&
               vertexCount == o.vertexCount && uLeft == o.uLeft && vTop == o.vTop && uRight == o.uRight &&
               vBottom == o.vBottom && rect.x == o.rect.x && rect.y == o.rect.y && rect.w == o.rect.w &&
               rect.h == o.rect.h;
    }
};

// Everything drawn since the last Clear. Both lists keep their capacity, so recording a
// frame allocates nothing once the first busy frames have been seen.
struct GfxFrameRecord {
    std::vector<GfxCommand> commands;
    std::vector<SDL_Vertex> vertices;

    void Reset() {
        commands.clear();
        vertices.clear();
    }
    void CopyFrom(const GfxFrameRecord& other) {
        commands.assign(other.commands.begin(), other.commands.end());
        vertices.assign(other.vertices.begin(), other.vertices.end());
    }
    bool operator==(const GfxFrameRecord& other) const {
        // SDL_Vertex is five floats and four bytes without padding: compared byte for byte.
        return commands == other.commands && vertices.size() == other.vertices.size() &&
               (vertices.empty() ||
                std::memcmp(vertices.data(), other.vertices.data(), vertices.size() * sizeof(SDL_Vertex)) == 0);
    }
};

struct GfxDrawBuffers {
    SDL_Vertex vertices[CGfxOGL::kMaxVertices];   // one batch, transformed
    int stripIndices[kMaxStripTriangles * 3];
    GfxFrameRecord frame;   // being recorded
    GfxFrameRecord shown;   // on screen
    std::vector<uint8_t> readBuffer;   // one picture of RGB24, made by the first ReadPixels
};

namespace {

bool SamePlace(const SDL_Vertex& a, const SDL_Vertex& b) {
    return a.position.x == b.position.x && a.position.y == b.position.y && a.tex_coord.x == b.tex_coord.x &&
           a.tex_coord.y == b.tex_coord.y && a.color.r == b.color.r && a.color.g == b.color.g &&
           a.color.b == b.color.b && a.color.a == b.color.a;
}

bool SameColour(const SDL_Vertex& a, const SDL_Vertex& b) {
    return a.color.r == b.color.r && a.color.g == b.color.g && a.color.b == b.color.b && a.color.a == b.color.a;
}

uint32_t PackColour(const SDL_Color& c) {
    return (uint32_t{c.a} << 24) | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// Corners of one quad: top-left, bottom-left, top-right, bottom-right. True when it is an
// upright rectangle with the texture upright on it and one colour.
bool IsUprightQuad(const SDL_Vertex& tl, const SDL_Vertex& bl, const SDL_Vertex& tr, const SDL_Vertex& br) {
    return tl.position.x == bl.position.x && tr.position.x == br.position.x && tl.position.y == tr.position.y &&
           bl.position.y == br.position.y && tl.position.x < tr.position.x && tl.position.y < bl.position.y &&
           tl.tex_coord.x == bl.tex_coord.x && tr.tex_coord.x == br.tex_coord.x &&
           tl.tex_coord.y == tr.tex_coord.y && bl.tex_coord.y == br.tex_coord.y &&
           tl.tex_coord.x < tr.tex_coord.x && tl.tex_coord.y < bl.tex_coord.y && SameColour(tl, bl) &&
           SameColour(tl, tr) && SameColour(tl, br);
}

}  // namespace

CGfxOGL& CGfxOGL::Get() {
    static CGfxOGL instance;
    return instance;
}

CGfxOGL::CGfxOGL()
    : m_vertices(), m_world(GfxMatrix::Identity()), m_rotation(GfxMatrix::Identity()),
      m_translation(GfxMatrix::Identity()),
      m_lastWorld(GfxMatrix::Identity()), m_draw(std::make_unique<GfxDrawBuffers>()) {
    for (int triangle = 0; triangle < kMaxStripTriangles; ++triangle) {
        m_draw->stripIndices[triangle * 3 + 0] = triangle;
        m_draw->stripIndices[triangle * 3 + 1] = triangle + 1;
        m_draw->stripIndices[triangle * 3 + 2] = triangle + 2;
    }
    ResolveBlendMode();
}

// SDL may already be shut down at process exit: the renderer is released by Destroy only.
CGfxOGL::~CGfxOGL() = default;

bool CGfxOGL::Create(SDL_Window* window, int width, int height, int bpp, int depth, int stencil, bool fullscreen) {
    CLog::Get().Write("CGfxOGL::Create - width=%d, height=%d, bpp=%d, depth=%d. stencil=%d", width, height, bpp,
                      depth, stencil);
    m_window = window;
    m_width = width;
    m_height = height;
    m_bpp = bpp;
    m_depth = depth;
    m_stencil = stencil;
    m_fullscreen = fullscreen;
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

void CGfxOGL::ClearColor(float r, float g, float b, float /*a*/) {
    m_clearColor = 0xFF000000u | (ColorByte(r) << 16) | (ColorByte(g) << 8) | ColorByte(b);
}

void CGfxOGL::Color(float r, float g, float b, float a) {
    m_currentColor = (ColorByte(a) << 24) | (ColorByte(r) << 16) | (ColorByte(g) << 8) | ColorByte(b);
}

// Starts a new picture: everything recorded before is dropped.
void CGfxOGL::Clear() {
    GfxFrameRecord& frame = m_draw->frame;
    frame.Reset();
    GfxCommand clear;
    clear.kind = ECommand::Clear;
    clear.color = m_clearColor;
    frame.commands.push_back(clear);
}

void CGfxOGL::BeginScene() {}

void CGfxOGL::EndScene() {}

bool CGfxOGL::FrameMatchesShown(int outputWidth, int outputHeight) const {
    return m_forcedPresents == 0 && outputWidth == m_shownWidth && outputHeight == m_shownHeight &&
           m_draw->frame == m_draw->shown;
}

void CGfxOGL::Present() {
    if (m_renderer == nullptr) {
        return;
    }
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_SetRenderTarget(m_renderer, nullptr);
    SDL_GetRendererOutputSize(m_renderer, &outputWidth, &outputHeight);
    if (FrameMatchesShown(outputWidth, outputHeight)) {
        ++m_unchangedFrames;
        return;
    }
    m_unchangedFrames = 0;
    CTimer& timer = CTimer::Get();
    if (m_forcedPresents == 0 && m_presentInterval > 0.0 && m_presentCount > 0 &&
        timer.GetSecondsSince(m_lastPresentTicks) < m_presentInterval) {
        return;   // a later frame shows it, at the display's pace
    }
    if (outputWidth == m_pictureWidth && outputHeight == m_pictureHeight) {
        DrawRecorded();   // the window is the picture
    } else {
        if (m_target == nullptr && !CreateTarget()) {
            return;
        }
        SDL_SetRenderTarget(m_renderer, m_target);
        DrawRecorded();
        SDL_SetRenderTarget(m_renderer, nullptr);
        // The letterbox from the renderer's real output size, whatever the window manager did.
        const GfxRect place = FitPicture(outputWidth, outputHeight, m_pictureWidth, m_pictureHeight);
        const SDL_Rect destination = {place.x, place.y, place.w, place.h};
        SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 0xFF);
        SDL_RenderClear(m_renderer);
        SDL_RenderCopy(m_renderer, m_target, nullptr, &destination);
    }
    SDL_RenderPresent(m_renderer);
    m_draw->shown.CopyFrom(m_draw->frame);
    m_shownWidth = outputWidth;
    m_shownHeight = outputHeight;
    m_lastPresentTicks = timer.GetTicks();
    m_forcedPresents = std::max(m_forcedPresents - 1, 0);
    ++m_presentCount;
}

// Carries out the recorded frame on the current render target.
void CGfxOGL::DrawRecorded() {
    const GfxFrameRecord& frame = m_draw->frame;
    CTextures& textures = CTextures::Get();
    for (const GfxCommand& command : frame.commands) {
        const SDL_BlendMode mode = static_cast<SDL_BlendMode>(command.blendMode);
        const Uint8 a = static_cast<Uint8>(command.color >> 24);
        const Uint8 r = static_cast<Uint8>(command.color >> 16);
        const Uint8 g = static_cast<Uint8>(command.color >> 8);
        const Uint8 b = static_cast<Uint8>(command.color);
        const TextureRecord& record = textures.Find(command.texture);
        SDL_Texture* const texture = record.texture;
        switch (command.kind) {
            case ECommand::Clear:
                SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
                SDL_SetRenderDrawColor(m_renderer, r, g, b, 0xFF);
                SDL_RenderClear(m_renderer);
                break;
            case ECommand::Geometry: {
                if (texture != nullptr) {
                    SDL_SetTextureBlendMode(texture, mode);
                    SDL_SetTextureColorMod(texture, 0xFF, 0xFF, 0xFF);
                    SDL_SetTextureAlphaMod(texture, 0xFF);
                } else {
                    SDL_SetRenderDrawBlendMode(m_renderer, mode);
                }
                const int* indices = command.strip ? m_draw->stripIndices : nullptr;
                const int indexCount = command.strip ? (command.vertexCount - 2) * 3 : 0;
                SDL_RenderGeometry(m_renderer, texture, frame.vertices.data() + command.firstVertex,
                                   command.vertexCount, indices, indexCount);
                break;
            }
            case ECommand::Copy:
                if (texture != nullptr) {
                    const int left = static_cast<int>(std::lround(command.uLeft * static_cast<float>(record.width)));
                    const int top = static_cast<int>(std::lround(command.vTop * static_cast<float>(record.height)));
                    const int right = static_cast<int>(std::lround(command.uRight * static_cast<float>(record.width)));
                    const int bottom =
                        static_cast<int>(std::lround(command.vBottom * static_cast<float>(record.height)));
                    const SDL_Rect source = {left, top, std::max(right - left, 1), std::max(bottom - top, 1)};
                    SDL_SetTextureBlendMode(texture, mode);
                    SDL_SetTextureColorMod(texture, r, g, b);
                    SDL_SetTextureAlphaMod(texture, a);
                    SDL_RenderCopyF(m_renderer, texture, &source, &command.rect);
                    break;
                }
                [[fallthrough]];   // the texture is gone: the quad in its colour, as untextured
            case ECommand::Fill:
                SDL_SetRenderDrawBlendMode(m_renderer, mode);
                SDL_SetRenderDrawColor(m_renderer, r, g, b, a);
                SDL_RenderFillRectF(m_renderer, &command.rect);
                break;
        }
    }
}

void CGfxOGL::Enable(uint32_t capability) {
    switch (capability) {
        case GL_BLEND: m_blendEnabled = true; break;
        case GL_CULL_FACE: m_cullEnabled = true; break;
        case GL_DEPTH_TEST: m_depthEnabled = true; break;
        case GL_TEXTURE_2D: m_textureEnabled = true; break;
        default: break;
    }
}

void CGfxOGL::Disable(uint32_t capability) {
    switch (capability) {
        case GL_BLEND: m_blendEnabled = false; break;
        case GL_CULL_FACE: m_cullEnabled = false; break;
        case GL_DEPTH_TEST: m_depthEnabled = false; break;
        case GL_TEXTURE_2D: m_textureEnabled = false; break;
        default: break;
    }
}

void CGfxOGL::BlendFunc(uint32_t source, uint32_t destination) {
    SendBlendFactors(FactorFromGl(source), FactorFromGl(destination));
}

void CGfxOGL::SendBlendFactors(EBlendFactor source, EBlendFactor destination) {
    bool changed = false;
    if (source != m_srcFactor) {
        m_srcFactor = source;
        ++m_factorSendCount;
        changed = true;
    }
    if (destination != m_dstFactor) {
        m_dstFactor = destination;
        ++m_factorSendCount;
        changed = true;
    }
    if (changed) {
        ResolveBlendMode();
    }
}

// The SDL blend mode for the factors last sent. Before any factor was sent the source is
// ONE and the destination ZERO (a plain copy).
void CGfxOGL::ResolveBlendMode() {
    const SDL_BlendFactor source = SdlFactor(m_srcFactor, SDL_BLENDFACTOR_ONE);
    const SDL_BlendFactor destination = SdlFactor(m_dstFactor, SDL_BLENDFACTOR_ZERO);
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    if (source == SDL_BLENDFACTOR_SRC_ALPHA && destination == SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA) {
        mode = SDL_BLENDMODE_BLEND;
    } else if (source == SDL_BLENDFACTOR_SRC_ALPHA && destination == SDL_BLENDFACTOR_ONE) {
        mode = SDL_BLENDMODE_ADD;
    } else if (source == SDL_BLENDFACTOR_ONE && destination == SDL_BLENDFACTOR_ZERO) {
        mode = SDL_BLENDMODE_NONE;
    } else if (m_customBlendSupported) {
        mode = ComposeBlend(source, destination);
    } else if (destination == SDL_BLENDFACTOR_ONE) {
        mode = SDL_BLENDMODE_ADD;
    } else if (destination == SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA) {
        mode = SDL_BLENDMODE_BLEND;
    }
    m_sdlBlendMode = static_cast<uint32_t>(mode);
}

void CGfxOGL::LoadIdentity() {
    m_world = GfxMatrix::Identity();
    m_rotationPending = false;
    m_translationPending = false;
}

void CGfxOGL::Translate(float x, float y, float z) {
    m_translation = GfxMatrix::Translation(x, y, z);
    m_translationPending = true;
}

void CGfxOGL::Rotate(float angleDegrees, float x, float y, float z) {
    const float radians = angleDegrees * kDegreesToRadians;
    if (x > kAxisThreshold) {
        m_rotation = GfxMatrix::RotationX(radians);
    }
    if (y > kAxisThreshold) {
        m_rotation = GfxMatrix::RotationY(radians);
    }
    if (z > kAxisThreshold) {
        m_rotation = GfxMatrix::RotationZ(radians);
    }
    m_rotationPending = true;
}

void CGfxOGL::Begin(uint32_t mode) {
    m_primitiveMode = (mode == GL_TRIANGLE_STRIP) ? GL_TRIANGLE_STRIP : GL_TRIANGLES;
    m_vertexCount = 0;
    m_texCoordCount = 0;
}

void CGfxOGL::TexCoord(float u, float v) {
    if (m_texCoordCount < kMaxVertices) {
        m_vertices[m_texCoordCount].u = u;
        m_vertices[m_texCoordCount].v = v;
        ++m_texCoordCount;
    }
}

void CGfxOGL::Vertex(float x, float y) {
    if (m_vertexCount < kMaxVertices) {
        GfxVertex& vertex = m_vertices[m_vertexCount];
        vertex.x = x;
        vertex.y = y;
        vertex.z = 0.0f;
        vertex.color = m_currentColor;
        ++m_vertexCount;
    }
}

void CGfxOGL::End() {
    if (m_primitiveMode == 0) {
        return;
    }
    const int primitiveCount = (m_primitiveMode == GL_TRIANGLE_STRIP) ? m_vertexCount - 2 : m_vertexCount / 3;
    if (primitiveCount <= 0) {
        m_lastPrimitiveCount = 0;
        m_lastBlended = false;
        return;
    }
    ApplyPendingTransforms();
    m_lastWorld = m_world;
    const bool blended = !(m_currentColor == kOpaqueWhite && !m_blendEnabled);
    m_lastPrimitiveCount = primitiveCount;
    m_lastBlended = blended;
    RecordBatch(primitiveCount, blended);
}

// The pending rotation and translation stay in force until LoadIdentity, so a second End
// applies them again.
void CGfxOGL::ApplyPendingTransforms() {
    if (m_rotationPending) {
        m_world = m_world * m_rotation;
    }
    if (m_translationPending) {
        m_world = m_world * m_translation;
    }
}

// Transforms the batch and adds it to the frame: as copies or fills when it is made of
// upright quads, as triangles otherwise.
void CGfxOGL::RecordBatch(int primitiveCount, bool blended) {
    const bool strip = (m_primitiveMode == GL_TRIANGLE_STRIP);
    const int usedVertices = strip ? m_vertexCount : primitiveCount * 3;
    const GfxMatrix& w = m_world;
    SDL_Vertex* out = m_draw->vertices;
    for (int i = 0; i < usedVertices; ++i) {
        const GfxVertex& in = m_vertices[i];
        // +0.5: a pixel's centre lies at its integer coordinate in the program's convention
        // and at +0.5 in SDL's.
        out[i].position.x = in.x * w.m[0][0] + in.y * w.m[1][0] + in.z * w.m[2][0] + w.m[3][0] + 0.5f;
        out[i].position.y = in.x * w.m[0][1] + in.y * w.m[1][1] + in.z * w.m[2][1] + w.m[3][1] + 0.5f;
        out[i].color.a = static_cast<Uint8>(in.color >> 24);
        out[i].color.r = static_cast<Uint8>(in.color >> 16);
        out[i].color.g = static_cast<Uint8>(in.color >> 8);
        out[i].color.b = static_cast<Uint8>(in.color);
        out[i].tex_coord.x = in.u;
        out[i].tex_coord.y = in.v;
    }
    const uint32_t mode = blended ? m_sdlBlendMode : static_cast<uint32_t>(SDL_BLENDMODE_NONE);
    // A sprite's strip: top-left, bottom-left, top-right, bottom-right.
    static constexpr int kStripCorners[6] = {0, 1, 2, 3, -1, -1};
    // A glyph's two triangles: top-left, bottom-left, bottom-right, top-right, top-left, bottom-right.
    static constexpr int kGlyphCorners[6] = {0, 1, 3, 2, 4, 5};
    if (m_quadCopies && strip && usedVertices == 4 && RecordQuads(1, kStripCorners, 4, mode)) {
        return;
    }
    if (m_quadCopies && !strip && usedVertices % 6 == 0 && RecordQuads(usedVertices / 6, kGlyphCorners, 6, mode)) {
        return;
    }
    GfxFrameRecord& frame = m_draw->frame;
    GfxCommand command;
    command.kind = ECommand::Geometry;
    command.strip = strip;
    command.blendMode = mode;
    command.texture = CTextures::Get().GetBoundTexture() != nullptr ? CTextures::Get().GetBound() : TextureHandle();
    command.firstVertex = static_cast<int>(frame.vertices.size());
    command.vertexCount = usedVertices;
    frame.vertices.insert(frame.vertices.end(), out, out + usedVertices);
    frame.commands.push_back(command);
}

// corners: the vertex of each quad at top-left, bottom-left, top-right, bottom-right, and
// two that must repeat top-left and bottom-right (-1: none). False, with nothing recorded,
// when any quad is not upright.
bool CGfxOGL::RecordQuads(int quadCount, const int (&corners)[6], int stride, uint32_t blendMode) {
    const SDL_Vertex* in = m_draw->vertices;
    for (int quad = 0; quad < quadCount; ++quad) {
        const SDL_Vertex* v = in + quad * stride;
        if (!IsUprightQuad(v[corners[0]], v[corners[1]], v[corners[2]], v[corners[3]])) {
            return false;
        }
        if (corners[4] >= 0 && (!SamePlace(v[corners[4]], v[corners[0]]) || !SamePlace(v[corners[5]], v[corners[3]]))) {
            return false;
        }
    }
    const bool textured = CTextures::Get().GetBoundTexture() != nullptr;
    const TextureHandle texture = textured ? CTextures::Get().GetBound() : TextureHandle();
    GfxFrameRecord& frame = m_draw->frame;
    for (int quad = 0; quad < quadCount; ++quad) {
        const SDL_Vertex* v = in + quad * stride;
        const SDL_Vertex& topLeft = v[corners[0]];
        const SDL_Vertex& bottomRight = v[corners[3]];
        GfxCommand command;
        command.kind = textured ? ECommand::Copy : ECommand::Fill;
        command.blendMode = blendMode;
        command.color = PackColour(topLeft.color);
        command.texture = texture;
        command.uLeft = topLeft.tex_coord.x;
        command.vTop = topLeft.tex_coord.y;
        command.uRight = bottomRight.tex_coord.x;
        command.vBottom = bottomRight.tex_coord.y;
        command.rect = SDL_FRect{topLeft.position.x, topLeft.position.y, bottomRight.position.x - topLeft.position.x,
                                 bottomRight.position.y - topLeft.position.y};
        frame.commands.push_back(command);
    }
    return true;
}

void CGfxOGL::ApplyMatrices() {
    // The projection maps picture pixels 1:1 onto the target; only the flag remains to keep.
    m_matricesApplied = true;
}

void CGfxOGL::EnsureMatrices() {
    if (!m_matricesApplied) {
        ApplyMatrices();
    }
}

void CGfxOGL::ResetRenderStates() {
    m_blendEnabled = false;
    m_cullEnabled = false;
    m_depthEnabled = false;
    m_matricesApplied = false;
    m_textureEnabled = false;
    m_srcFactor = EBlendFactor::None;
    m_dstFactor = EBlendFactor::None;
    ResolveBlendMode();
    if (m_renderer != nullptr) {
        SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
    }
}

bool CGfxOGL::ReadPixels(uint8_t* buffer) {
    if (m_renderer == nullptr || buffer == nullptr) {
        return false;
    }
    const int rowBytes = m_pictureWidth * 3;
    std::vector<uint8_t>& picture = m_draw->readBuffer;
    picture.resize(static_cast<size_t>(rowBytes) * m_pictureHeight);
    if (m_target == nullptr && !CreateTarget()) {
        return false;
    }
    // The picture recorded since the last Clear, drawn off screen at its own size.
    SDL_SetRenderTarget(m_renderer, m_target);
    DrawRecorded();
    const SDL_Rect whole = {0, 0, m_pictureWidth, m_pictureHeight};
    const bool read = SDL_RenderReadPixels(m_renderer, &whole, SDL_PIXELFORMAT_RGB24, picture.data(), rowBytes) == 0;
    SDL_SetRenderTarget(m_renderer, nullptr);
    if (!read) {
        CLog::Get().Write("CGfxOGL::ReadPixels FAILED, %s", SDL_GetError());
        return false;
    }
    // The caller's buffer holds GetWidth() x GetHeight() pixels, bottom row first; parts
    // outside the picture stay black.
    const int copyBytes = std::min(m_width, m_pictureWidth) * 3;
    const size_t outRowBytes = static_cast<size_t>(m_width) * 3;
    for (int outRow = 0; outRow < m_height; ++outRow) {
        uint8_t* destination = buffer + outRowBytes * outRow;
        std::fill(destination, destination + outRowBytes, uint8_t{0});
        const int pictureRow = m_height - 1 - outRow;
        if (pictureRow >= 0 && pictureRow < m_pictureHeight) {
            std::copy_n(picture.data() + static_cast<size_t>(rowBytes) * pictureRow, copyBytes, destination);
        }
    }
    return true;
}

GfxRect CGfxOGL::FitPicture(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
    GfxRect place{0, 0, outputWidth, outputHeight};
    if (outputWidth <= 0 || outputHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        return place;
    }
    const int64_t outputByPictureHeight = int64_t{outputWidth} * pictureHeight;
    const int64_t pictureByOutputHeight = int64_t{pictureWidth} * outputHeight;
    if (outputByPictureHeight <= pictureByOutputHeight) {
        // The output is narrower than the picture: full width, bars above and below.
        place.h = static_cast<int>((int64_t{outputWidth} * pictureHeight + pictureWidth / 2) / pictureWidth);
        place.y = (outputHeight - place.h) / 2;
    } else {
        place.w = static_cast<int>((int64_t{outputHeight} * pictureWidth + pictureHeight / 2) / pictureHeight);
        place.x = (outputWidth - place.w) / 2;
    }
    return place;
}

void CGfxOGL::GetOutputSize(int& width, int& height) const {
    width = m_pictureWidth;
    height = m_pictureHeight;
    if (m_window != nullptr) {
        // Window coordinates: the unit of mouse positions.
        SDL_GetWindowSize(m_window, &width, &height);
    }
}

GfxRect CGfxOGL::GetPictureRect() const {
    int width = 0;
    int height = 0;
    GetOutputSize(width, height);
    return FitPicture(width, height, m_pictureWidth, m_pictureHeight);
}

void CGfxOGL::WindowToPicture(int windowX, int windowY, float& pictureX, float& pictureY) const {
    const GfxRect place = GetPictureRect();
    if (place.w <= 0 || place.h <= 0) {
        pictureX = static_cast<float>(windowX);
        pictureY = static_cast<float>(windowY);
        return;
    }
    pictureX = static_cast<float>(windowX - place.x) * static_cast<float>(m_pictureWidth) / static_cast<float>(place.w);
    pictureY = static_cast<float>(windowY - place.y) * static_cast<float>(m_pictureHeight) / static_cast<float>(place.h);
}

void CGfxOGL::PictureToWindow(float pictureX, float pictureY, int& windowX, int& windowY) const {
    const GfxRect place = GetPictureRect();
    windowX = place.x + static_cast<int>(std::lround(pictureX * static_cast<float>(place.w) / static_cast<float>(m_pictureWidth)));
    windowY = place.y + static_cast<int>(std::lround(pictureY * static_cast<float>(place.h) / static_cast<float>(m_pictureHeight)));
}
