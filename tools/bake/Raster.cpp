#include "tools/bake/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float Length(float x, float y) {
    return std::sqrt(x * x + y * y);
}

// Distance from p to the segment a-b.
float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax;
    const float dy = by - ay;
    const float lengthSquared = dx * dx + dy * dy;
    float t = lengthSquared > 0.0f ? ((px - ax) * dx + (py - ay) * dy) / lengthSquared : 0.0f;
    t = Clamp01(t);
    return Length(px - (ax + t * dx), py - (ay + t * dy));
}

uint8_t ToByte(float v) {
    return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f));
}

Rgba SampleStops(const std::vector<paint::Stop>& stops, float t) {
    if (stops.empty()) {
        return Rgba{};
    }
    if (t <= stops.front().t) {
        return stops.front().colour;
    }
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].t) {
            const float span = stops[i].t - stops[i - 1].t;
            const float local = span > 0.0f ? (t - stops[i - 1].t) / span : 1.0f;
            return MixRgba(stops[i - 1].colour, stops[i].colour, local);
        }
    }
    return stops.back().colour;
}
}  // namespace

Rgba MixRgba(const Rgba& from, const Rgba& to, float t) {
    return Rgba{from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
                from.a + (to.a - from.a) * t};
}

Rgba ScaleRgb(const Rgba& colour, float factor) {
    if (factor <= 1.0f) {
        return Rgba{colour.r * factor, colour.g * factor, colour.b * factor, colour.a};
    }
    const float toWhite = Clamp01(factor - 1.0f);
    return MixRgba(colour, Rgba{1.0f, 1.0f, 1.0f, colour.a}, toWhite);
}

Rgba WithAlpha(const Rgba& colour, float alpha) {
    return Rgba{colour.r, colour.g, colour.b, alpha};
}

bool ParseHexColour(const char* text, Rgba& out) {
    if (text[0] == '#') {
        ++text;
    }
    const size_t length = std::strlen(text);
    if (length != 6 && length != 8) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return false;
        }
    }
    const unsigned long value = std::strtoul(text, nullptr, 16);
    const unsigned long rgb = length == 8 ? value >> 8 : value;
    out.r = static_cast<float>((rgb >> 16) & 0xFF) / 255.0f;
    out.g = static_cast<float>((rgb >> 8) & 0xFF) / 255.0f;
    out.b = static_cast<float>(rgb & 0xFF) / 255.0f;
    out.a = length == 8 ? static_cast<float>(value & 0xFF) / 255.0f : 1.0f;
    return true;
}

Rgba HsvToRgba(float hue, float saturation, float value) {
    const float h = (hue - std::floor(hue)) * 6.0f;
    const int sector = static_cast<int>(h) % 6;
    const float f = h - std::floor(h);
    const float p = value * (1.0f - saturation);
    const float q = value * (1.0f - saturation * f);
    const float t = value * (1.0f - saturation * (1.0f - f));
    switch (sector) {
        case 0: return Rgba{value, t, p, 1.0f};
        case 1: return Rgba{q, value, p, 1.0f};
        case 2: return Rgba{p, value, t, 1.0f};
        case 3: return Rgba{p, q, value, 1.0f};
        case 4: return Rgba{t, p, value, 1.0f};
        default: return Rgba{value, p, q, 1.0f};
    }
}

namespace shape {
Shape Circle(float cx, float cy, float radius) {
    return [=](float x, float y) { return Length(x - cx, y - cy) - radius; };
}

Shape Ellipse(float cx, float cy, float rx, float ry, float angleDegrees) {
    const float angle = angleDegrees * kPi / 180.0f;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float smaller = std::min(rx, ry);
    return [=](float x, float y) {
        const float dx = x - cx;
        const float dy = y - cy;
        const float u = (dx * c + dy * s) / rx;
        const float v = (-dx * s + dy * c) / ry;
        return (Length(u, v) - 1.0f) * smaller;
    };
}

Shape Ring(float cx, float cy, float innerRadius, float outerRadius) {
    return [=](float x, float y) {
        const float d = Length(x - cx, y - cy);
        return std::max(d - outerRadius, innerRadius - d);
    };
}

Shape Rect(float x0, float y0, float x1, float y1) {
    return RoundRect(x0, y0, x1, y1, 0.0f);
}

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
    const float cx = (x0 + x1) * 0.5f;
    const float cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - radius;
    const float hy = (y1 - y0) * 0.5f - radius;
    return [=](float x, float y) {
        const float qx = std::fabs(x - cx) - hx;
        const float qy = std::fabs(y - cy) - hy;
        const float outside = Length(std::max(qx, 0.0f), std::max(qy, 0.0f));
        const float inside = std::min(std::max(qx, qy), 0.0f);
        return outside + inside - radius;
    };
}

Shape Polygon(std::vector<Point2> points) {
    return [points = std::move(points)](float x, float y) {
        float nearest = 1e9f;
        int winding = 0;
        const size_t count = points.size();
        for (size_t i = 0; i < count; ++i) {
            const Point2& a = points[i];
            const Point2& b = points[(i + 1) % count];
            nearest = std::min(nearest, SegmentDistance(x, y, a.x, a.y, b.x, b.y));
            const float cross = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
            if (a.y <= y) {
                if (b.y > y && cross > 0.0f) {
                    ++winding;
                }
            } else if (b.y <= y && cross < 0.0f) {
                --winding;
            }
        }
        return winding != 0 ? -nearest : nearest;
    };
}

Shape Capsule(float ax, float ay, float bx, float by, float radius) {
    return [=](float x, float y) { return SegmentDistance(x, y, ax, ay, bx, by) - radius; };
}

Shape Star(float cx, float cy, float outer, float inner, int points, float angleDegrees) {
    std::vector<Point2> corners;
    for (int i = 0; i < points * 2; ++i) {
        const float radius = (i % 2 == 0) ? outer : inner;
        const float angle = (angleDegrees - 90.0f) * kPi / 180.0f + static_cast<float>(i) * kPi / static_cast<float>(points);
        corners.push_back(Point2{cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
    }
    return Polygon(std::move(corners));
}

Shape Heart(float cx, float cy, float size) {
    // Two round lobes over a point: circles and a polygon joined.
    const float lobe = size * 0.29f;
    const Shape left = Circle(cx - size * 0.24f, cy - size * 0.14f, lobe);
    const Shape right = Circle(cx + size * 0.24f, cy - size * 0.14f, lobe);
    const Shape point = Polygon({{cx - size * 0.505f, cy - size * 0.05f},
                                 {cx, cy + size * 0.48f},
                                 {cx + size * 0.505f, cy - size * 0.05f},
                                 {cx, cy - size * 0.12f}});
    return Union(Union(left, right), point);
}

Shape Union(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape Intersect(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Shape Subtract(Shape from, Shape cut) {
    return [from = std::move(from), cut = std::move(cut)](float x, float y) { return std::max(from(x, y), -cut(x, y)); };
}

Shape Offset(Shape s, float dx, float dy) {
    return [s = std::move(s), dx, dy](float x, float y) { return s(x - dx, y - dy); };
}

Shape Rotate(Shape s, float cx, float cy, float angleDegrees) {
    const float angle = -angleDegrees * kPi / 180.0f;
    const float c = std::cos(angle);
    const float sn = std::sin(angle);
    return [s = std::move(s), cx, cy, c, sn](float x, float y) {
        const float dx = x - cx;
        const float dy = y - cy;
        return s(cx + dx * c - dy * sn, cy + dx * sn + dy * c);
    };
}
}  // namespace shape

namespace paint {
Paint Solid(const Rgba& colour) {
    return [colour](float, float) { return colour; };
}

Paint Linear(float x0, float y0, const Rgba& c0, float x1, float y1, const Rgba& c1) {
    return LinearStops(x0, y0, x1, y1, {{0.0f, c0}, {1.0f, c1}});
}

Paint Radial(float cx, float cy, float radius, std::vector<Stop> stops) {
    return [=, stops = std::move(stops)](float x, float y) { return SampleStops(stops, Length(x - cx, y - cy) / radius); };
}

Paint LinearStops(float x0, float y0, float x1, float y1, std::vector<Stop> stops) {
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float lengthSquared = std::max(dx * dx + dy * dy, 1e-6f);
    return [=, stops = std::move(stops)](float x, float y) {
        return SampleStops(stops, ((x - x0) * dx + (y - y0) * dy) / lengthSquared);
    };
}
}  // namespace paint

float HashUnit(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFFu) / static_cast<float>(0xFFFFFF);
}

float ValueNoise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    float tx = x - fx;
    float ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    const auto corner = [seed](int cx, int cy) {
        return HashUnit(static_cast<uint32_t>(cx), static_cast<uint32_t>(cy), seed);
    };
    const float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    const float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

float FractalNoise(float x, float y, uint32_t seed, int octaves) {
    float sum = 0.0f;
    float weight = 0.5f;
    float total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u) * weight;
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        weight *= 0.5f;
    }
    return sum / total;
}

CCanvas::CCanvas(int width, int height)
    : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height * 4, 0.0f) {}

void CCanvas::Clear(const Rgba& colour) {
    for (size_t i = 0; i < m_pixels.size(); i += 4) {
        m_pixels[i] = colour.r * colour.a;
        m_pixels[i + 1] = colour.g * colour.a;
        m_pixels[i + 2] = colour.b * colour.a;
        m_pixels[i + 3] = colour.a;
    }
}

void CCanvas::Blend(size_t index, const Rgba& colour, float coverage) {
    const float alpha = Clamp01(colour.a) * coverage;
    if (alpha <= 0.0f) {
        return;
    }
    float* p = &m_pixels[index];
    const float keep = 1.0f - alpha;
    p[0] = colour.r * alpha + p[0] * keep;
    p[1] = colour.g * alpha + p[1] * keep;
    p[2] = colour.b * alpha + p[2] * keep;
    p[3] = alpha + p[3] * keep;
}

void CCanvas::Fill(const Shape& inside, const Paint& colour, int samples) {
    const float step = 1.0f / static_cast<float>(samples);
    const float total = static_cast<float>(samples * samples);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const float cx = static_cast<float>(x) + 0.5f;
            const float cy = static_cast<float>(y) + 0.5f;
            // Far from the edge (the shapes give distances) a pixel is wholly in or out.
            const float centre = inside(cx, cy);
            float coverage;
            if (centre >= 1.0f) {
                continue;
            }
            if (centre <= -1.0f) {
                coverage = 1.0f;
            } else {
                int hits = 0;
                for (int sy = 0; sy < samples; ++sy) {
                    for (int sx = 0; sx < samples; ++sx) {
                        const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) * step;
                        const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) * step;
                        if (inside(px, py) < 0.0f) {
                            ++hits;
                        }
                    }
                }
                if (hits == 0) {
                    continue;
                }
                coverage = static_cast<float>(hits) / total;
            }
            Blend((static_cast<size_t>(y) * m_width + x) * 4, colour(cx, cy), coverage);
        }
    }
}

void CCanvas::FillAll(const Paint& colour) {
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            Blend((static_cast<size_t>(y) * m_width + x) * 4, colour(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f),
                  1.0f);
        }
    }
}

void CCanvas::FillMask(const std::vector<float>& coverage, const Paint& colour) {
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const size_t index = static_cast<size_t>(y) * m_width + x;
            if (coverage[index] > 0.0f) {
                Blend(index * 4, colour(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f), Clamp01(coverage[index]));
            }
        }
    }
}

void CCanvas::Draw(const CCanvas& source, int x, int y, float opacity) {
    for (int sy = 0; sy < source.m_height; ++sy) {
        const int ty = y + sy;
        if (ty < 0 || ty >= m_height) {
            continue;
        }
        for (int sx = 0; sx < source.m_width; ++sx) {
            const int tx = x + sx;
            if (tx < 0 || tx >= m_width) {
                continue;
            }
            const float* s = source.PixelAt(sx, sy);
            const float alpha = s[3] * opacity;
            if (alpha <= 0.0f) {
                continue;
            }
            float* d = &m_pixels[(static_cast<size_t>(ty) * m_width + tx) * 4];
            const float keep = 1.0f - alpha;
            d[0] = s[0] * opacity + d[0] * keep;
            d[1] = s[1] * opacity + d[1] * keep;
            d[2] = s[2] * opacity + d[2] * keep;
            d[3] = alpha + d[3] * keep;
        }
    }
}

void CCanvas::BoxBlurPass(int radius, bool horizontal) {
    const int length = horizontal ? m_width : m_height;
    const int lines = horizontal ? m_height : m_width;
    std::vector<float> line(static_cast<size_t>(length) * 4);
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    for (int l = 0; l < lines; ++l) {
        const auto at = [&](int i) -> float* {
            const int clamped = std::clamp(i, 0, length - 1);
            const int x = horizontal ? clamped : l;
            const int y = horizontal ? l : clamped;
            return &m_pixels[(static_cast<size_t>(y) * m_width + x) * 4];
        };
        for (int i = 0; i < length; ++i) {
            float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            for (int k = -radius; k <= radius; ++k) {
                const int j = i + k;
                if (j < 0 || j >= length) {
                    continue;  // outside is transparent
                }
                const float* p = at(j);
                for (int c = 0; c < 4; ++c) {
                    sum[c] += p[c];
                }
            }
            for (int c = 0; c < 4; ++c) {
                line[static_cast<size_t>(i) * 4 + c] = sum[c] * scale;
            }
        }
        for (int i = 0; i < length; ++i) {
            float* p = at(i);
            for (int c = 0; c < 4; ++c) {
                p[c] = line[static_cast<size_t>(i) * 4 + c];
            }
        }
    }
}

void CCanvas::Blur(int radius) {
    if (radius <= 0) {
        return;
    }
    for (int pass = 0; pass < 3; ++pass) {
        BoxBlurPass(radius, true);
        BoxBlurPass(radius, false);
    }
}

void CCanvas::Fade(float factor) {
    for (float& v : m_pixels) {
        v *= factor;
    }
}

void CCanvas::Tint(const Rgba& colour) {
    for (size_t i = 0; i < m_pixels.size(); i += 4) {
        const float alpha = m_pixels[i + 3];
        m_pixels[i] = colour.r * alpha;
        m_pixels[i + 1] = colour.g * alpha;
        m_pixels[i + 2] = colour.b * alpha;
    }
}

std::vector<uint8_t> CCanvas::ToRgba8() const {
    std::vector<uint8_t> out(static_cast<size_t>(m_width) * m_height * 4);
    for (size_t i = 0; i < m_pixels.size(); i += 4) {
        const float alpha = Clamp01(m_pixels[i + 3]);
        const float inverse = alpha > 0.0f ? 1.0f / alpha : 0.0f;
        out[i] = ToByte(m_pixels[i] * inverse);
        out[i + 1] = ToByte(m_pixels[i + 1] * inverse);
        out[i + 2] = ToByte(m_pixels[i + 2] * inverse);
        out[i + 3] = ToByte(alpha);
    }
    return out;
}

std::vector<uint8_t> CCanvas::ToRgb8() const {
    std::vector<uint8_t> out(static_cast<size_t>(m_width) * m_height * 3);
    for (size_t i = 0, o = 0; i < m_pixels.size(); i += 4, o += 3) {
        out[o] = ToByte(m_pixels[i]);
        out[o + 1] = ToByte(m_pixels[i + 1]);
        out[o + 2] = ToByte(m_pixels[i + 2]);
    }
    return out;
}

void CopyRegion(const CCanvas& from, int fx, int fy, int width, int height, CCanvas& to, int tx, int ty) {
    // Drawing the shifted source onto a transparent canvas of the region's size clips it.
    CCanvas region(width, height);
    region.Draw(from, -fx, -fy);
    to.Draw(region, tx, ty);
}
