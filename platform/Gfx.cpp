// CGfxOGL's drawing front: colours, blend states, the world transform and the batches
// between Begin and End, which End hands to the frame recorder (GfxRecorder.cpp). Making
// the renderer is in GfxRenderer.cpp, showing frames in GfxPresent.cpp.
#include "platform/GfxFrame.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.0174532924f;
constexpr float kAxisThreshold = 0.00001f;

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
// Only blending changes what is drawn; culling, depth and texturing are taken and ignored
// (a bound texture is what textures a batch).
void CGfxOGL::Enable(uint32_t capability) {
    if (capability == GL_BLEND) {
        m_blendEnabled = true;
    }
}

void CGfxOGL::Disable(uint32_t capability) {
    if (capability == GL_BLEND) {
        m_blendEnabled = false;
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

// The picture turns only in its own plane: an axis without a z part keeps the former
// rotation.
void CGfxOGL::Rotate(float angleDegrees, float /*x*/, float /*y*/, float z) {
    const float radians = angleDegrees * kDegreesToRadians;
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
    m_matricesApplied = false;
    m_srcFactor = EBlendFactor::None;
    m_dstFactor = EBlendFactor::None;
    ResolveBlendMode();
    if (m_renderer != nullptr) {
        SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
    }
}

