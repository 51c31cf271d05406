#include "tools/bake/GlyphRaster.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <ft2build.h>
#include FT_FREETYPE_H

struct CGlyphFace::Library {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

CMask CMask::Dilate(float radius) const {
    CMask out(width, height);
    const int reach = static_cast<int>(std::ceil(radius));
    std::vector<int> spans(static_cast<size_t>(2 * reach + 1));
    for (int dy = -reach; dy <= reach; ++dy) {
        const float half = radius * radius - static_cast<float>(dy * dy);
        spans[static_cast<size_t>(dy + reach)] = half < 0.0f ? -1 : static_cast<int>(std::floor(std::sqrt(half)));
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float value = At(x, y);
            if (value <= 0.0f) {
                continue;
            }
            for (int dy = -reach; dy <= reach; ++dy) {
                const int ty = y + dy;
                const int span = spans[static_cast<size_t>(dy + reach)];
                if (ty < 0 || ty >= height || span < 0) {
                    continue;
                }
                const int from = std::max(0, x - span);
                const int to = std::min(width - 1, x + span);
                float* row = &out.coverage[static_cast<size_t>(ty) * width];
                for (int tx = from; tx <= to; ++tx) {
                    row[tx] = std::max(row[tx], value);
                }
            }
        }
    }
    return out;
}

CMask CMask::Downsample(int factor) const {
    CMask out(width / factor, height / factor);
    const float scale = 1.0f / static_cast<float>(factor * factor);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            float sum = 0.0f;
            for (int sy = 0; sy < factor; ++sy) {
                for (int sx = 0; sx < factor; ++sx) {
                    sum += At(x * factor + sx, y * factor + sy);
                }
            }
            out.At(x, y) = sum * scale;
        }
    }
    return out;
}

bool CMask::Bounds(int& x0, int& y0, int& x1, int& y1) const {
    x0 = width;
    y0 = height;
    x1 = -1;
    y1 = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (At(x, y) > 0.0f) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
        }
    }
    return x1 >= 0;
}

CGlyphFace::CGlyphFace() : m_library(new Library) {}

CGlyphFace::~CGlyphFace() {
    if (m_library->face != nullptr) {
        FT_Done_Face(m_library->face);
    }
    if (m_library->library != nullptr) {
        FT_Done_FreeType(m_library->library);
    }
    delete m_library;
}

bool CGlyphFace::Open(const std::string& path) {
    if (m_library->library == nullptr && FT_Init_FreeType(&m_library->library) != 0) {
        return false;
    }
    return FT_New_Face(m_library->library, path.c_str(), 0, &m_library->face) == 0;
}

bool CGlyphFace::HasGlyph(uint32_t codePoint) const {
    return m_library->face != nullptr && FT_Get_Char_Index(m_library->face, codePoint) != 0;
}

bool CGlyphFace::Render(uint32_t codePoint, float pixelSize, GlyphImage& out) const {
    FT_Face face = m_library->face;
    if (face == nullptr) {
        return false;
    }
    const FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(pixelSize * 64.0f));
    if (FT_Set_Char_Size(face, 0, size, 72, 72) != 0) {
        return false;
    }
    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
        return false;
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    out.left = face->glyph->bitmap_left;
    out.top = face->glyph->bitmap_top;
    out.advance = static_cast<float>(face->glyph->advance.x) / 64.0f;
    out.mask = CMask(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
    for (int y = 0; y < out.mask.height; ++y) {
        for (int x = 0; x < out.mask.width; ++x) {
            out.mask.At(x, y) = static_cast<float>(bitmap.buffer[y * bitmap.pitch + x]) / 255.0f;
        }
    }
    return true;
}

float CGlyphFace::MeasureText(const std::u32string& text, float pixelSize) const {
    float width = 0.0f;
    GlyphImage glyph;
    for (char32_t c : text) {
        if (Render(c, pixelSize, glyph)) {
            width += glyph.advance;
        }
    }
    return width;
}

void CGlyphFace::DrawText(const std::u32string& text, float pixelSize, float x, float baseline, CMask& mask,
                          float letterSpacing) const {
    GlyphImage glyph;
    float pen = x;
    for (char32_t c : text) {
        if (!Render(c, pixelSize, glyph)) {
            continue;
        }
        const int ox = static_cast<int>(std::lround(pen)) + glyph.left;
        const int oy = static_cast<int>(std::lround(baseline)) - glyph.top;
        for (int y = 0; y < glyph.mask.height; ++y) {
            for (int gx = 0; gx < glyph.mask.width; ++gx) {
                const int tx = ox + gx;
                const int ty = oy + y;
                if (tx >= 0 && ty >= 0 && tx < mask.width && ty < mask.height) {
                    mask.At(tx, ty) = std::max(mask.At(tx, ty), glyph.mask.At(gx, y));
                }
            }
        }
        pen += glyph.advance + letterSpacing;
    }
}

std::string FindSystemFont(const std::string& fileName) {
    const char* folders[] = {"/usr/share/fonts/truetype/dejavu/", "/usr/share/fonts/dejavu/", "/usr/local/share/fonts/"};
    for (const char* folder : folders) {
        const std::string path = std::string(folder) + fileName;
        if (std::ifstream(path).good()) {
            return path;
        }
    }
    return std::string();
}
