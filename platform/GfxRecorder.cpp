// The frame recorder: a batch becomes copies and fills when it is made of upright quads,
// triangles otherwise; Present replays the recorded frame only when it differs from the
// one on screen (GfxFrameRecord's comparison).
#include "platform/GfxFrame.h"

#include <algorithm>
#include <cmath>

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
        out[i].position.x = in.x * w.m[0][0] + in.y * w.m[1][0] + in.z * w.m[2][0] + w.m[3][0] + m_offsetX + 0.5f;
        out[i].position.y = in.x * w.m[0][1] + in.y * w.m[1][1] + in.z * w.m[2][1] + w.m[3][1] + m_offsetY + 0.5f;
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

