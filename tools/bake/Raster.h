#pragma once
// A small software painter for the baked pictures: a float RGBA canvas (premultiplied
// alpha), shapes given as signed inside-functions that are supersampled for smooth
// edges, paints that colour a point, and a few filters (blur, shift). Everything is
// plain arithmetic on the canvas, so the same calls always give the same pixels.
#include <cstdint>
#include <functional>
#include <vector>

// A straight (not premultiplied) colour, each channel 0..1.
struct Rgba {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

Rgba MixRgba(const Rgba& from, const Rgba& to, float t);
Rgba ScaleRgb(const Rgba& colour, float factor);  // darker below 1, lighter above
Rgba WithAlpha(const Rgba& colour, float alpha);
// "#rrggbb" or "rrggbb", optionally followed by two more hex digits of alpha.
bool ParseHexColour(const char* text, Rgba& out);
Rgba HsvToRgba(float hue, float saturation, float value);  // hue in turns (0..1)

// A shape: negative inside, positive outside. Only the sign is needed for coverage, so
// predicates may answer -1 / +1; true distances make the combinators below exact.
using Shape = std::function<float(float x, float y)>;
// A paint: the colour at a point of the canvas (pixel centre coordinates).
using Paint = std::function<Rgba(float x, float y)>;

struct Point2 {
    float x = 0.0f, y = 0.0f;
};

namespace shape {
Shape Circle(float cx, float cy, float radius);
Shape Ellipse(float cx, float cy, float rx, float ry, float angleDegrees = 0.0f);
Shape Ring(float cx, float cy, float innerRadius, float outerRadius);
Shape Rect(float x0, float y0, float x1, float y1);
Shape RoundRect(float x0, float y0, float x1, float y1, float radius);
Shape Polygon(std::vector<Point2> points);                       // non-zero winding
Shape Capsule(float ax, float ay, float bx, float by, float radius);  // a thick round line
Shape Star(float cx, float cy, float outer, float inner, int points, float angleDegrees);
Shape Heart(float cx, float cy, float size);
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape from, Shape cut);
Shape Offset(Shape s, float dx, float dy);
Shape Rotate(Shape s, float cx, float cy, float angleDegrees);
}  // namespace shape

namespace paint {
Paint Solid(const Rgba& colour);
Paint Linear(float x0, float y0, const Rgba& c0, float x1, float y1, const Rgba& c1);
// Colour stops along the distance from a centre, t = distance / radius.
struct Stop {
    float t;
    Rgba colour;
};
Paint Radial(float cx, float cy, float radius, std::vector<Stop> stops);
Paint LinearStops(float x0, float y0, float x1, float y1, std::vector<Stop> stops);
}  // namespace paint

// Deterministic value noise in 0..1 (smooth), and a hash in 0..1 for integer seeds.
float HashUnit(uint32_t a, uint32_t b = 0, uint32_t c = 0);
float ValueNoise(float x, float y, uint32_t seed);
float FractalNoise(float x, float y, uint32_t seed, int octaves);

class CCanvas {
public:
    CCanvas(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void Clear(const Rgba& colour);
    // Paints a shape with antialiased edges: samples x samples points per pixel.
    void Fill(const Shape& inside, const Paint& colour, int samples = 6);
    // Lays every pixel of the paint over the canvas (a full-canvas gradient, say).
    void FillAll(const Paint& colour);
    // Paints through a coverage mask of the canvas size (0..1 per pixel).
    void FillMask(const std::vector<float>& coverage, const Paint& colour);
    // Draws another canvas over this one with its top-left at (x, y) and an opacity.
    void Draw(const CCanvas& source, int x, int y, float opacity = 1.0f);
    // Box blur of all channels, repeated three times (close to a Gaussian).
    void Blur(int radius);
    // Multiplies alpha (and the premultiplied colour) by factor.
    void Fade(float factor);
    // Sets every visible pixel to one colour, keeping coverage (for shadows and glows).
    void Tint(const Rgba& colour);

    // Premultiplied pixel access.
    const float* PixelAt(int x, int y) const { return &m_pixels[(static_cast<size_t>(y) * m_width + x) * 4]; }
    float AlphaAt(int x, int y) const { return PixelAt(x, y)[3]; }

    // 8-bit output, rows top to bottom: straight RGBA, or RGB over black.
    std::vector<uint8_t> ToRgba8() const;
    std::vector<uint8_t> ToRgb8() const;

private:
    void Blend(size_t index, const Rgba& colour, float coverage);
    void BoxBlurPass(int radius, bool horizontal);

    int m_width;
    int m_height;
    std::vector<float> m_pixels;  // premultiplied R, G, B, A
};

// Copies a square region of one canvas into another (used to cut atlas cells).
void CopyRegion(const CCanvas& from, int fx, int fy, int width, int height, CCanvas& to, int tx, int ty);
