#pragma once
// Text for the baked pictures: FreeType draws outline glyphs into coverage masks at a
// high resolution; masks are widened for outlines and shrunk back for smooth edges.
#include <cstdint>
#include <string>
#include <vector>

// A grey coverage picture, 0..1 per pixel.
struct CMask {
    int width = 0;
    int height = 0;
    std::vector<float> coverage;

    CMask() = default;
    CMask(int w, int h) : width(w), height(h), coverage(static_cast<size_t>(w) * h, 0.0f) {}
    float At(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
    float& At(int x, int y) { return coverage[static_cast<size_t>(y) * width + x]; }

    // Every pixel takes the largest value within radius (a round brush).
    CMask Dilate(float radius) const;
    // Averages factor x factor blocks (width and height must divide).
    CMask Downsample(int factor) const;
    // Ink bounds: false when the mask is empty.
    bool Bounds(int& x0, int& y0, int& x1, int& y1) const;
};

struct GlyphImage {
    int left = 0;          // pixels from the pen to the bitmap's left edge
    int top = 0;           // pixels from the baseline up to the bitmap's top edge
    float advance = 0.0f;  // pen advance in pixels
    CMask mask;
};

class CGlyphFace {
public:
    CGlyphFace();
    ~CGlyphFace();
    CGlyphFace(const CGlyphFace&) = delete;
    CGlyphFace& operator=(const CGlyphFace&) = delete;

    bool Open(const std::string& path);
    bool HasGlyph(uint32_t codePoint) const;
    // Unhinted outline rendering at a fractional pixel size.
    bool Render(uint32_t codePoint, float pixelSize, GlyphImage& out) const;
    // Width of a text in pixels (sum of advances and kerning).
    float MeasureText(const std::u32string& text, float pixelSize) const;
    // Adds a text to mask with its pen starting at (x, baseline) in mask pixels.
    void DrawText(const std::u32string& text, float pixelSize, float x, float baseline, CMask& mask,
                  float letterSpacing = 0.0f) const;

private:
    struct Library;
    Library* m_library;
};

// The fonts the baker uses (Debian package fonts-dejavu-core).
std::string FindSystemFont(const std::string& fileName);
