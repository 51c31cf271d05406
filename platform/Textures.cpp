// CTextures: records shared by name, each holding one SDL texture (ARGB8888, linear
// filtering). Without a renderer (tests, tools) a record still carries the picture's size,
// so sprites and fonts measure and lay out the same; it gets its SDL texture when the
// renderer is created.
#include "platform/Textures.h"

#include "core/Log.h"
#include "resources/Image.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

CTextures& CTextures::Get() {
    // The log is made first so that it is still there when the table logs at exit.
    CLog::Get();
    static CTextures instance;
    return instance;
}

CTextures::~CTextures() {
    LogStats(true);
    FreeAll();
}

TextureHandle CTextures::Load(const std::string& name) {
    for (const std::unique_ptr<TextureRecord>& record : m_records) {
        if (name == record->name) {
            return TextureHandle{record->index, record->id};
        }
    }
    if (name.size() >= sizeof(TextureRecord::name)) {
        CLog::Get().Write("CTextures::Load FAILED name too long: %.64s...", name.c_str());
        return TextureHandle{};
    }
    auto record = std::make_unique<TextureRecord>();
    std::memcpy(record->name, name.c_str(), name.size() + 1);
    ++m_idCounter;
    if (m_idCounter == 0) {
        m_idCounter = 1;
    }
    record->id = m_idCounter;
    record->index = static_cast<uint32_t>(m_records.size());

    CImage image;
    if (!CImageLoader::Get().LoadImage(name, image) || !GenerateTexture(*record, image)) {
        return TextureHandle{};
    }
    const TextureHandle handle{record->index, record->id};
    m_records.push_back(std::move(record));
    return handle;
}

void CTextures::Free(TextureHandle& handle) {
    if (handle.id == 0) {
        return;
    }
    for (auto it = m_records.begin(); it != m_records.end(); ++it) {
        if ((*it)->id == handle.id) {
            ReleaseRecord(**it);
            m_records.erase(it);
            handle.id = 0;
            return;
        }
    }
}

void CTextures::FreeAll() {
    for (const std::unique_ptr<TextureRecord>& record : m_records) {
        ReleaseRecord(*record);
    }
    m_records.clear();
}

// Gives back the record's SDL texture and its share of memInUse.
void CTextures::ReleaseRecord(TextureRecord& record) {
    if (record.texture != nullptr) {
        SDL_DestroyTexture(record.texture);
        record.texture = nullptr;
    }
    if (record.generated) {
        m_memInUse -= record.size;
        record.generated = false;
    }
}

const TextureRecord& CTextures::Find(const TextureHandle& handle) const {
    if (handle.id == 0) {
        return m_empty;
    }
    if (handle.index < m_records.size() && m_records[handle.index]->id == handle.id) {
        return *m_records[handle.index];
    }
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
        if ((*it)->id == handle.id) {
            return **it;
        }
    }
    return m_empty;
}

bool CTextures::Bind(const TextureHandle& handle) {
    if (handle.id != m_bound.id) {
        m_bound = handle;
    }
    return true;
}

// Looked up at every draw, so a freed or rebuilt record never leaves a stale texture bound.
SDL_Texture* CTextures::GetBoundTexture() const {
    return Find(m_bound).texture;
}

void CTextures::ReleaseAll() {
    for (const std::unique_ptr<TextureRecord>& record : m_records) {
        ReleaseRecord(*record);
    }
}

void CTextures::RecreateAll() {
    for (const std::unique_ptr<TextureRecord>& record : m_records) {
        CImage image;
        if (CImageLoader::Get().LoadImage(record->name, image)) {
            GenerateTexture(*record, image);
        }
    }
}

bool CTextures::GenerateTexture(TextureRecord& record, CImage& image) {
    if (image.pixels.empty()) {
        CLog::Get().Write("CTextures::GenerateTexture - No imagedata - FAILED");
        return false;
    }
    const int64_t pixelCount = int64_t{image.width} * image.height;
    const bool shapeValid = (image.bytesPerPixel == 3 || image.bytesPerPixel == 4) && image.width > 0 &&
                            image.height > 0 && int64_t(image.pixels.size()) >= pixelCount * image.bytesPerPixel;
    if (!shapeValid) {
        CLog::Get().Write("CTextures::GenerateTexture - Bad image %dx%d, %d bytes per pixel (FAILED)", image.width,
                          image.height, image.bytesPerPixel);
        return false;
    }
    if (record.texture != nullptr || record.generated) {
        CLog::Get().Write("CTextures::GenerateTexture - Texture already loaded (FAILED)");
        return false;
    }
    if (m_renderer != nullptr && !UploadTexture(record, image, m_renderer)) {
        return false;
    }
    record.size = static_cast<int32_t>(pixelCount * image.bytesPerPixel);
    record.width = image.width;
    record.height = image.height;
    record.generated = true;
    m_memInUse += record.size;
    return true;
}

// Makes the SDL texture: every texture is 32-bit ARGB whatever the source; a picture
// without alpha becomes opaque.
bool CTextures::UploadTexture(TextureRecord& record, const CImage& image, SDL_Renderer* renderer) {
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                             image.width, image.height);
    if (texture == nullptr) {
        CLog::Get().Write("CTextures::GenerateTexture - CreateTexture FAILED, %s", SDL_GetError());
        return false;
    }
    const size_t pixelCount = size_t(image.width) * size_t(image.height);
    const size_t stride = size_t(image.bytesPerPixel);
    std::vector<uint32_t> argb(pixelCount);
    for (size_t i = 0; i < pixelCount; ++i) {
        const uint8_t* source = image.pixels.data() + i * stride;
        const uint32_t alpha = (stride == 4) ? source[3] : 0xFFu;
        argb[i] = (alpha << 24) | (uint32_t{source[0]} << 16) | (uint32_t{source[1]} << 8) | source[2];
    }
    if (SDL_UpdateTexture(texture, nullptr, argb.data(), image.width * 4) != 0) {
        CLog::Get().Write("CTextures::GenerateTexture - LoadSurfaceFromMemory FAILED, %s", SDL_GetError());
        SDL_DestroyTexture(texture);
        return false;
    }
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
    record.texture = texture;
    return true;
}

void CTextures::LogStats(bool listNames) const {
    CLog::Get().Write("Antal texturer %d, gfx mem in use %d", static_cast<int>(m_records.size()), m_memInUse);
    if (listNames) {
        for (const std::unique_ptr<TextureRecord>& record : m_records) {
            CLog::Get().Write("%s", record->name);
        }
    }
}
