#pragma once
// Inside the renderer: the recorded frame and the buffers its parts share (Gfx.cpp draws
// into them, GfxRecorder.cpp records and replays them, GfxPresent.cpp shows them).
#include "platform/Gfx.h"
#include "platform/Textures.h"

#include <SDL.h>

#include <cstring>
#include <vector>

constexpr int kMaxStripTriangles = CGfxOGL::kMaxVertices - 2;

// Source and destination factors added; the destination's alpha is kept as blending does.
inline SDL_BlendMode ComposeBlend(SDL_BlendFactor source, SDL_BlendFactor destination) {
    return SDL_ComposeCustomBlendMode(source, destination, SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
                                      SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
}

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
