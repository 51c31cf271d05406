#pragma once
// CTextures: the table of all textures, shared by name, reached by handle.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
struct CImage;

struct TextureHandle {
    uint32_t index = 0;
    uint32_t id = 0;   // 0: no texture
    bool operator==(const TextureHandle& other) const { return id == other.id; }
};

struct TextureRecord {
    char name[256] = {};
    SDL_Texture* texture = nullptr;
    int32_t height = 0;
    int32_t width = 0;
    uint32_t index = 0;
    uint32_t id = 0;
    int32_t size = 0;   // width x height x bytes per pixel of the source image
    bool generated = false;   // made from its picture (and counted in memInUse)
};

class CTextures {
public:
    static CTextures& Get();

    TextureHandle Load(const std::string& name);
    void Free(TextureHandle& handle);
    void FreeAll();
    const TextureRecord& Find(const TextureHandle& handle) const;
    bool Bind(const TextureHandle& handle);
    void ReleaseAll();
    void RecreateAll();
    bool GenerateTexture(TextureRecord& record, CImage& image);
    void LogStats(bool listNames) const;
    // The renderer hands itself over when it is made (and null when it goes); textures are
    // made on it, and without one only their records are kept.
    void SetRenderer(SDL_Renderer* renderer) { m_renderer = renderer; }

    const TextureHandle& GetBound() const { return m_bound; }
    // The SDL texture of the bound handle, or null (the renderer draws untextured then).
    SDL_Texture* GetBoundTexture() const;
    int32_t GetMemInUse() const { return m_memInUse; }
    size_t GetCount() const { return m_records.size(); }

private:
    CTextures() = default;
    ~CTextures();
    CTextures(const CTextures&) = delete;
    CTextures& operator=(const CTextures&) = delete;

    void ReleaseRecord(TextureRecord& record);
    bool UploadTexture(TextureRecord& record, const CImage& image, SDL_Renderer* renderer);

    std::vector<std::unique_ptr<TextureRecord>> m_records;
    TextureHandle m_bound;
    TextureRecord m_empty;
    int32_t m_memInUse = 0;
    uint32_t m_idCounter = 0;
    SDL_Renderer* m_renderer = nullptr;
};
