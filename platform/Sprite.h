#pragma once
// CSprite: a textured rectangle with position, size, frame grid, rotation and blending.
// Everything on screen is drawn as sprites or font text.
#include "platform/Gfx.h"
#include "platform/Textures.h"

#include <memory>
#include <string>
#include <vector>

struct SpriteInfo {
    float width = 0.0f, height = 0.0f;
    float halfWidth = 0.0f, halfHeight = 0.0f;
    bool blend = false;
    uint32_t srcFactor = GL_SRC_ALPHA;
    uint32_t dstFactor = GL_ONE_MINUS_SRC_ALPHA;
    bool centered = false;
    int32_t columns = 0, rows = 0;
    float frameU = 0.0f, frameV = 0.0f;
    float originU = 0.0f, originV = 0.0f;
};

class CSprite {
public:
    CSprite() = default;
    virtual ~CSprite();
    CSprite(const CSprite&) = delete;
    CSprite& operator=(const CSprite&) = delete;

    bool Load(const std::string& fileName);
    bool LoadRegion(const TextureHandle& texture, float width, float height,
                    float uStart, float vStart, float uEnd, float vEnd);
    void SetSize(float width, float height);
    void SetSize(int width, int height) { SetSize(static_cast<float>(width), static_cast<float>(height)); }
    void SetFrameSize(float frameWidth, float frameHeight);
    void SetFrameGrid(int32_t columns, int32_t rows, float frameU, float frameV);
    void SetFrame(int32_t frame);
    int32_t FrameCount() const;
    void SetTexCoords(float uLeft, float vTop, float uRight, float vBottom);
    void SetPos(float x, float y) { m_x = x; m_y = y; }
    void SetPos(int x, int y) { SetPos(static_cast<float>(x), static_cast<float>(y)); }
    void SetPos(float x, float y, float z) { m_x = x; m_y = y; m_z = z; }
    void Move(float dx, float dy) { m_x += dx; m_y += dy; }
    void SetRotation(float angleDegrees);
    void SetBlend(bool blend);
    void SetBlendFunc(uint32_t source, uint32_t destination);
    void SetCentered();
    void SetParent(const CSprite* parent) { m_parent = parent; }
    void Draw() const;

    float GetX() const { return m_x; }
    float GetY() const { return m_y; }
    float GetZ() const { return m_z; }
    float GetWidth() const { return m_info ? m_info->width : 0.0f; }
    float GetHeight() const { return m_info ? m_info->height : 0.0f; }
    int32_t GetFrame() const { return m_frame; }
    bool IsRotated() const { return m_rotated; }
    float GetAngle() const { return m_angle; }
    float GetULeft() const { return m_uLeft; }
    float GetURight() const { return m_uRight; }
    float GetVTop() const { return m_vTop; }
    float GetVBottom() const { return m_vBottom; }
    const SpriteInfo* GetInfo() const { return m_info.get(); }
    const TextureHandle& GetTexture() const { return m_texture; }

private:
    TextureHandle m_texture;
    const CSprite* m_parent = nullptr;
    bool m_ownsTexture = true;
    std::unique_ptr<SpriteInfo> m_info;
    float m_x = 0.0f, m_y = 0.0f, m_z = 0.0f;
    bool m_rotated = false;
    float m_angle = 0.0f;
    int32_t m_frame = -1;
    float m_uLeft = 0.0f, m_uRight = 1.0f, m_vTop = 0.0f, m_vBottom = 1.0f;
};

// Sprites cut from one shared texture (the balls of "texpack_face", for instance).
class CSpriteList {
public:
    // Appends a sprite showing the region (left, top)-(right, bottom) in texture coordinates.
    void AddRegion(const TextureHandle& texture, float textureWidth, float textureHeight,
                   float spriteWidth, float spriteHeight, float left, float top, float right, float bottom);
    int32_t Count() const { return static_cast<int32_t>(m_sprites.size()); }
    // An index past the end yields the first sprite (an empty list yields an empty sprite).
    CSprite& Get(int32_t index);
    void SetSize(float width, float height);
    void Clear() { m_sprites.clear(); }

private:
    std::vector<std::unique_ptr<CSprite>> m_sprites;
    CSprite m_none;
};
