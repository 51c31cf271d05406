#pragma once
// CGfxOGL: the one renderer. A small immediate-mode 2D interface that speaks OpenGL's
// enumerants, carried out on SDL_Renderer. Pixel coordinates of the 640x480 picture,
// origin top-left, y down. A frame's batches are recorded, not drawn: Present draws and
// shows them only when they differ from the frame on screen. A picture the size of the
// output is drawn straight into the window; any other size goes through a 640x480 target
// scaled into the window (aspect kept, black bars). Axis-aligned quads (sprites, glyphs,
// panels) are drawn as copies with colour modulation; triangles only where rotation needs
// them.
#include <cstdint>
#include <memory>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

constexpr uint32_t GL_ZERO = 0;
constexpr uint32_t GL_ONE = 1;
constexpr uint32_t GL_TRIANGLES = 0x0004;
constexpr uint32_t GL_TRIANGLE_STRIP = 0x0005;
constexpr uint32_t GL_SRC_ALPHA = 0x0302;
constexpr uint32_t GL_ONE_MINUS_SRC_ALPHA = 0x0303;
constexpr uint32_t GL_CULL_FACE = 0x0B44;
constexpr uint32_t GL_DEPTH_TEST = 0x0B71;
constexpr uint32_t GL_BLEND = 0x0BE2;
constexpr uint32_t GL_TEXTURE_2D = 0x0DE1;

struct GfxVertex {
    float x, y, z;
    uint32_t color;  // ARGB, alpha in the top byte
    float u, v;
};
static_assert(sizeof(GfxVertex) == 24, "a vertex is 24 bytes");

// Row-vector 4x4 matrix: a point p is transformed as p * m.
struct GfxMatrix {
    float m[4][4];
    static GfxMatrix Identity();
    static GfxMatrix Translation(float x, float y, float z);
    static GfxMatrix RotationZ(float radians);
    GfxMatrix operator*(const GfxMatrix& other) const;
};

enum class EBlendFactor : uint8_t { None = 0, One, SrcAlpha, InvSrcAlpha };

// Which SDL renderer draws: a GPU's, or SDL's software renderer without any GL.
enum class ERendererPath : uint8_t { Software, Gpu };

struct RendererChoice {
    ERendererPath path = ERendererPath::Software;
    const char* reason = "";
};

// Where the picture sits in the window: as large as fits, aspect kept, centred.
struct GfxRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct GfxDrawBuffers;

class CGfxOGL {
public:
    static constexpr int kMaxVertices = 4096;
    // Frames presented even unchanged after Create or Invalidate.
    static constexpr int kForcedPresents = 30;

    static CGfxOGL& Get();

    // The renderer path from the setting (the PELLORA_RENDERER variable: "software" or "gpu",
    // anything else or nothing chooses by the machine) and whether a GPU is there.
    static RendererChoice ChooseRendererPath(const char* setting, bool gpuPresent);
    // True when a DRM render node of a real GPU driver exists.
    static bool HasGpuRenderNode();
    // Chooses the path before the window exists (no GL is loaded for the software path) and
    // returns the SDL window flags that path needs, so the window is mapped only once.
    uint32_t PrepareRenderer();
    ERendererPath GetRendererPath() const { return m_path; }
    // The SDL renderer's name ("software", "opengl", ...), empty without a renderer.
    const char* GetRendererName() const;

    // Makes the renderer for the window (an SDL_Window*); false and one log line on failure.
    bool Create(SDL_Window* window, int width, int height, int bpp, int depth, int stencil, bool fullscreen);
    void Destroy();
    void Activate();
    void Deactivate();
    void SetSize(int width, int height);
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    void ClearColor(float r, float g, float b, float a);
    void Color(float r, float g, float b, float a);
    void Clear();
    void BeginScene();
    void EndScene();
    // Draws and shows the frame if it differs from the one on screen (or the screen needs
    // it again); an unchanged frame presents nothing.
    void Present();
    // The window's contents were lost or moved (exposed, resized, restored): the next
    // Presents draw even an unchanged frame, for a few frames, since a window manager may
    // map or move the window only after it said so.
    void Invalidate() { m_forcedPresents = kForcedPresents; }
    // A changed frame is shown at most once per this many seconds: the display's refresh
    // interval, as a display shows no more. A frame held back is shown by the first Present
    // after the interval, changed again or not. 0 (the default) shows every changed frame;
    // the frames forced after Create or Invalidate are always shown.
    void SetPresentInterval(double seconds) { m_presentInterval = seconds; }
    // Frames actually drawn and shown since Create.
    int GetPresentCount() const { return m_presentCount; }
    // Presents in a row that found the frame unchanged and showed nothing (0 without a
    // renderer, and after every frame that was shown).
    int GetUnchangedFrames() const { return m_unchangedFrames; }
    // Upright quads as copies (the default) or, when false, every batch as triangles (the
    // tests compare the two pictures).
    void SetQuadCopies(bool copies) { m_quadCopies = copies; }

    void Enable(uint32_t capability);
    void Disable(uint32_t capability);
    void BlendFunc(uint32_t source, uint32_t destination);

    void LoadIdentity();
    void Translate(float x, float y, float z);
    void Rotate(float angleDegrees, float x, float y, float z);

    void Begin(uint32_t mode);
    void TexCoord(float u, float v);
    void Vertex(float x, float y);
    void End();

    void ApplyMatrices();
    void EnsureMatrices();
    void ResetRenderStates();

    // The current frame's picture (GetPictureWidth() x GetPictureHeight() pixels) as R, G, B,
    // bottom row first.
    bool ReadPixels(uint8_t* buffer);

    // The picture's size: 640x480 for every screen but those designed wider (the two-player
    // match); the window shows it letterboxed as always. The next frames are drawn in full.
    void SetPictureSize(int width, int height);
    int GetPictureWidth() const { return m_pictureWidth; }
    int GetPictureHeight() const { return m_pictureHeight; }
    // Everything drawn from now is moved by (x, y) picture pixels, so a scene drawn for the
    // 640x480 picture can be placed anywhere in a wider one. (0, 0) by default.
    void SetPictureOffset(float x, float y) {
        m_offsetX = x;
        m_offsetY = y;
    }

    // Window pixels to picture pixels and back (the picture is letterboxed in the window).
    void WindowToPicture(int windowX, int windowY, float& pictureX, float& pictureY) const;
    void PictureToWindow(float pictureX, float pictureY, int& windowX, int& windowY) const;
    // The picture's place in an output of the given size.
    static GfxRect FitPicture(int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);
    // The picture's place in the current output (the whole picture when there is no window).
    GfxRect GetPictureRect() const;

    // The window code calls this on SDL_RENDER_DEVICE_RESET (and SDL_RENDER_TARGETS_RESET):
    // makes the picture target again and rebuilds every texture from its file.
    void OnDeviceReset();

    SDL_Renderer* GetRenderer() const { return m_renderer; }
    bool IsCreated() const { return m_renderer != nullptr; }

    // What the last End did; tests read these (they work without a device too).
    int GetLastPrimitiveCount() const { return m_lastPrimitiveCount; }
    bool GetLastBlended() const { return m_lastBlended; }
    int GetVertexCount() const { return m_vertexCount; }
    const GfxVertex* GetVertices() const { return m_vertices; }
    uint32_t GetCurrentColor() const { return m_currentColor; }
    uint32_t GetClearColor() const { return m_clearColor; }
    const GfxMatrix& GetWorldMatrix() const { return m_world; }
    // The world matrix the last drawing End used (callers reset the live one after End).
    const GfxMatrix& GetLastDrawWorld() const { return m_lastWorld; }
    bool IsBlendEnabled() const { return m_blendEnabled; }
    EBlendFactor GetSourceFactor() const { return m_srcFactor; }
    EBlendFactor GetDestinationFactor() const { return m_dstFactor; }
    // How often a blend factor was actually sent (the cache skips unchanged ones).
    int GetFactorSendCount() const { return m_factorSendCount; }

private:
    CGfxOGL();
    ~CGfxOGL();
    CGfxOGL(const CGfxOGL&) = delete;
    CGfxOGL& operator=(const CGfxOGL&) = delete;

    bool CreateRenderer();
    bool CreateTarget();
    bool IsSoftwareRasteriser() const;
    void SendBlendFactors(EBlendFactor source, EBlendFactor destination);
    void ResolveBlendMode();
    void ApplyPendingTransforms();
    void RecordBatch(int primitiveCount, bool blended);
    bool RecordQuads(int quadCount, const int (&corners)[6], int stride, uint32_t blendMode);
    void DrawRecorded();
    bool FrameMatchesShown(int outputWidth, int outputHeight) const;
    void GetOutputSize(int& width, int& height) const;

    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_target = nullptr;   // the 640x480 picture
    bool m_active = false;
    int m_height = 480;
    int m_width = 640;
    bool m_blendEnabled = false;
    bool m_matricesApplied = false;
    EBlendFactor m_srcFactor = EBlendFactor::None;
    EBlendFactor m_dstFactor = EBlendFactor::None;

    GfxVertex m_vertices[kMaxVertices];
    int m_vertexCount = 0;
    int m_texCoordCount = 0;
    uint32_t m_primitiveMode = 0;   // 0 before the first Begin
    uint32_t m_currentColor = 0xFFFFFFFFu;
    uint32_t m_clearColor = 0xFF000000u;
    static constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

    GfxMatrix m_world;
    GfxMatrix m_rotation;
    GfxMatrix m_translation;
    bool m_rotationPending = false;
    bool m_translationPending = false;

    int m_lastPrimitiveCount = 0;
    bool m_lastBlended = false;
    GfxMatrix m_lastWorld;
    int m_factorSendCount = 0;

    int m_pictureWidth = 640;    // the target's size, set at Create and by SetPictureSize
    int m_pictureHeight = 480;
    float m_offsetX = 0.0f;
    float m_offsetY = 0.0f;
    bool m_customBlendSupported = false;
    uint32_t m_sdlBlendMode = 0;   // SDL_BlendMode for the factors last sent
    std::unique_ptr<GfxDrawBuffers> m_draw;

    ERendererPath m_path = ERendererPath::Software;
    bool m_pathChosen = false;
    int m_forcedPresents = kForcedPresents;
    bool m_quadCopies = true;
    int m_presentCount = 0;
    int m_unchangedFrames = 0;
    double m_presentInterval = 0.0;
    int64_t m_lastPresentTicks = 0;
    int m_shownWidth = 0;             // the output size of the frame on screen
    int m_shownHeight = 0;
};
