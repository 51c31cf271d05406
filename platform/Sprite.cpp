// CSprite: one textured rectangle drawn as a strip of four vertices; CSpriteList: sprites
// cut from one shared texture.
#include "platform/Sprite.h"

#include <cmath>

namespace {
constexpr float kRotationThreshold = 0.00001f;
}

CSprite::~CSprite() {
    if (m_ownsTexture && m_texture.id != 0) {
        CTextures::Get().Free(m_texture);
    }
}

bool CSprite::Load(const std::string& fileName) {
    m_texture = CTextures::Get().Load(fileName);
    m_ownsTexture = true;
    m_info = std::make_unique<SpriteInfo>();
    if (m_texture.id == 0) {
        return false;
    }
    const TextureRecord& record = CTextures::Get().Find(m_texture);
    SetSize(record.width, record.height);
    return true;
}

bool CSprite::LoadRegion(const TextureHandle& texture, float width, float height, float uStart, float vStart,
                         float uEnd, float vEnd) {
    m_texture = texture;
    m_ownsTexture = false;
    m_info = std::make_unique<SpriteInfo>();
    if (m_texture.id == 0) {
        return false;
    }
    SetSize(width, height);
    m_info->originU = uStart;
    m_info->originV = vStart;
    SetFrameGrid(1, 1, uEnd - uStart, vEnd - vStart);
    return true;
}

void CSprite::SetSize(float width, float height) {
    if (!m_info) {
        m_info = std::make_unique<SpriteInfo>();
    }
    m_info->width = width;
    m_info->height = height;
    m_info->halfWidth = width * 0.5f;
    m_info->halfHeight = height * 0.5f;
}

void CSprite::SetFrameSize(float frameWidth, float frameHeight) {
    if (!m_info || frameWidth <= 0.0f || frameHeight <= 0.0f) {
        return;
    }
    const int32_t columns = static_cast<int32_t>(std::round(m_info->width / frameWidth));
    const int32_t rows = static_cast<int32_t>(std::round(m_info->height / frameHeight));
    m_info->columns = columns;
    m_info->rows = rows;
    m_info->frameU = (columns != 0) ? 1.0f / static_cast<float>(columns) : 0.0f;
    m_info->frameV = (rows != 0) ? 1.0f / static_cast<float>(rows) : 0.0f;
    SetSize(frameWidth, frameHeight);
    SetFrame(0);
}

void CSprite::SetFrameGrid(int32_t columns, int32_t rows, float frameU, float frameV) {
    if (!m_info) {
        m_info = std::make_unique<SpriteInfo>();
    }
    m_info->columns = columns;
    m_info->rows = rows;
    m_info->frameU = frameU;
    m_info->frameV = frameV;
    SetFrame(0);
}

void CSprite::SetFrame(int32_t frame) {
    if (!m_info || m_info->columns <= 0 || frame == m_frame || frame < 0 || frame >= FrameCount()) {
        return;
    }
    m_frame = frame;
    const int32_t column = frame % m_info->columns;
    const int32_t row = frame / m_info->columns;
    m_uLeft = static_cast<float>(column) * m_info->frameU + m_info->originU;
    m_uRight = m_uLeft + m_info->frameU;
    m_vTop = static_cast<float>(row) * m_info->frameV + m_info->originV;
    m_vBottom = m_vTop + m_info->frameV;
}

int32_t CSprite::FrameCount() const {
    return m_info ? m_info->columns * m_info->rows : 1;
}

void CSprite::SetTexCoords(float uLeft, float vTop, float uRight, float vBottom) {
    m_uLeft = uLeft;
    m_vTop = vTop;
    m_uRight = uRight;
    m_vBottom = vBottom;
}

void CSprite::SetRotation(float angleDegrees) {
    m_angle = angleDegrees;
    m_rotated = angleDegrees >= kRotationThreshold || angleDegrees <= -kRotationThreshold;
}

void CSprite::SetBlend(bool blend) {
    if (m_info) {
        m_info->blend = blend;
    }
}

void CSprite::SetBlendFunc(uint32_t source, uint32_t destination) {
    if (m_info) {
        m_info->srcFactor = source;
        m_info->dstFactor = destination;
    }
}

void CSprite::SetCentered() {
    if (m_info) {
        m_info->centered = true;
    }
}

void CSprite::Draw() const {
    if (!m_info) {
        return;
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Disable(GL_DEPTH_TEST);
    gfx.EnsureMatrices();
    if (m_info->blend) {
        gfx.Enable(GL_BLEND);
        gfx.BlendFunc(m_info->srcFactor, m_info->dstFactor);
    } else {
        gfx.Disable(GL_BLEND);
    }
    CTextures::Get().Bind(m_texture);

    float px = m_x, py = m_y, pz = m_z;
    if (m_parent != nullptr) {
        px += m_parent->m_x;
        py += m_parent->m_y;
        pz += m_parent->m_z;
    }
    gfx.LoadIdentity();
    // Half a pixel up and left puts texel centres on pixel centres.
    gfx.Translate(px - 0.5f, py - 0.5f, pz);
    if (m_rotated) {
        gfx.Rotate(m_angle, 0.0f, 0.0f, 1.0f);
    }

    const float left = m_info->centered ? -m_info->halfWidth : 0.0f;
    const float top = m_info->centered ? -m_info->halfHeight : 0.0f;
    const float right = m_info->centered ? m_info->halfWidth : m_info->width;
    const float bottom = m_info->centered ? m_info->halfHeight : m_info->height;
    gfx.Begin(GL_TRIANGLE_STRIP);
    gfx.TexCoord(m_uLeft, m_vTop);
    gfx.Vertex(left, top);
    gfx.TexCoord(m_uLeft, m_vBottom);
    gfx.Vertex(left, bottom);
    gfx.TexCoord(m_uRight, m_vTop);
    gfx.Vertex(right, top);
    gfx.TexCoord(m_uRight, m_vBottom);
    gfx.Vertex(right, bottom);
    gfx.End();
    gfx.LoadIdentity();
}

void CSpriteList::AddRegion(const TextureHandle& texture, float /*textureWidth*/, float /*textureHeight*/,
                            float spriteWidth, float spriteHeight, float left, float top, float right, float bottom) {
    auto sprite = std::make_unique<CSprite>();
    sprite->LoadRegion(texture, spriteWidth, spriteHeight, left, top, right, bottom);
    m_sprites.push_back(std::move(sprite));
}

CSprite& CSpriteList::Get(int32_t index) {
    if (m_sprites.empty()) {
        return m_none;
    }
    if (index < 0 || index >= Count()) {
        return *m_sprites.front();
    }
    return *m_sprites[static_cast<size_t>(index)];
}

void CSpriteList::SetSize(float width, float height) {
    for (const std::unique_ptr<CSprite>& sprite : m_sprites) {
        sprite->SetSize(width, height);
    }
}
