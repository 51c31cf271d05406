// The small pictures of the shared atlas: balls, power-ups, launcher, HUD icons and
// effects. Every cell keeps a transparent margin so that filtering never bleeds.
#include "tools/bake/Art.h"

#include <cmath>

namespace {
constexpr float kPi = 3.14159265358979f;
const Rgba kWhite{1.0f, 1.0f, 1.0f, 1.0f};
const Rgba kBlack{0.0f, 0.0f, 0.0f, 1.0f};

Shape SymbolShape(const std::string& name, float cx, float cy, float size) {
    using namespace shape;
    if (name == "circle") {
        return Circle(cx, cy, size * 0.38f);
    }
    if (name == "triangle") {
        const float r = size * 0.56f;
        return Polygon({{cx, cy - r}, {cx + r * 0.866f, cy + r * 0.5f}, {cx - r * 0.866f, cy + r * 0.5f}});
    }
    if (name == "square") {
        const float h = size * 0.36f;
        return RoundRect(cx - h, cy - h, cx + h, cy + h, size * 0.07f);
    }
    if (name == "diamond") {
        const float h = size * 0.54f;
        return Polygon({{cx, cy - h}, {cx + h * 0.78f, cy}, {cx, cy + h}, {cx - h * 0.78f, cy}});
    }
    if (name == "star") {
        return Star(cx, cy + size * 0.04f, size * 0.58f, size * 0.25f, 5, 0.0f);
    }
    if (name == "cross") {
        const float l = size * 0.48f;
        const float w = size * 0.15f;
        return Union(RoundRect(cx - l, cy - w, cx + l, cy + w, w * 0.4f), RoundRect(cx - w, cy - l, cx + w, cy + l, w * 0.4f));
    }
    if (name == "ring") {
        return Ring(cx, cy, size * 0.2f, size * 0.45f);
    }
    if (name == "heart") {
        return Heart(cx, cy + size * 0.04f, size * 1.05f);
    }
    BakeFail("unknown ball symbol '" + name + "'");
}

// A glass sphere: body shading, inner bounce light, rim and the top highlight. The body
// paint decides the colour (a plain hue for ordinary balls, a rainbow for multicolour).
void DrawGlassBall(CCanvas& canvas, float cx, float cy, float radius, const Paint& body, const Rgba& rimColour,
                   float shadowStrength, float highlightStrength) {
    DrawSoftShadow(canvas, shape::Circle(cx + 0.9f, cy + 1.3f, radius - 0.3f), WithAlpha(kBlack, shadowStrength), 1);
    canvas.Fill(shape::Circle(cx, cy, radius), body);
    // Darker towards the lower edge, as light falls from the top left.
    canvas.Fill(shape::Circle(cx, cy, radius),
                paint::Radial(cx - radius * 0.35f, cy - radius * 0.45f, radius * 1.55f,
                              {{0.0f, WithAlpha(kBlack, 0.0f)}, {0.55f, WithAlpha(kBlack, 0.0f)}, {1.0f, WithAlpha(kBlack, 0.45f)}}));
    // Light gathered inside the glass at the bottom right.
    const Shape crescent = shape::Subtract(shape::Circle(cx, cy, radius - 1.3f),
                                           shape::Circle(cx - radius * 0.16f, cy - radius * 0.2f, radius - 1.0f));
    canvas.Fill(crescent, paint::Linear(cx, cy, WithAlpha(kWhite, 0.0f), cx + radius * 0.6f, cy + radius * 0.8f,
                                        WithAlpha(kWhite, 0.42f)));
    canvas.Fill(shape::Ring(cx, cy, radius - 0.95f, radius), paint::Solid(WithAlpha(rimColour, 0.8f)));
    (void)highlightStrength;
}

void DrawGloss(CCanvas& canvas, float cx, float cy, float radius, float strength) {
    const float hx = cx - radius * 0.32f;
    const float hy = cy - radius * 0.45f;
    canvas.Fill(shape::Ellipse(hx, hy, radius * 0.5f, radius * 0.27f, -32.0f),
                paint::Linear(hx, hy - radius * 0.3f, WithAlpha(kWhite, 0.95f * strength), hx, hy + radius * 0.3f,
                              WithAlpha(kWhite, 0.08f * strength)));
    canvas.Fill(shape::Circle(hx - radius * 0.14f, hy - radius * 0.05f, radius * 0.09f), paint::Solid(WithAlpha(kWhite, strength)));
}

Paint BallBody(const Rgba& colour, float cx, float cy, float radius) {
    return paint::Radial(cx - radius * 0.35f, cy - radius * 0.4f, radius * 1.45f,
                         {{0.0f, MixRgba(colour, kWhite, 0.5f)},
                          {0.32f, MixRgba(colour, kWhite, 0.08f)},
                          {0.75f, colour},
                          {1.0f, ScaleRgb(colour, 0.55f)}});
}

void DrawSymbol(CCanvas& canvas, const Shape& symbol, const Rgba& colour) {
    canvas.Fill(shape::Offset(symbol, 0.6f, 0.8f), paint::Solid(WithAlpha(ScaleRgb(colour, 0.3f), 0.65f)));
    canvas.Fill(symbol, paint::Solid(WithAlpha(MixRgba(colour, kWhite, 0.82f), 0.95f)));
}

void DrawBomb(const ArtSources& art, CCanvas& canvas) {
    const Rgba body = art.balls.Colour("bomb");
    const Rgba spark = art.balls.Colour("fuse_spark");
    const Rgba metal = art.balls.Colour("metal");
    const float cx = 14.5f, cy = 18.0f, r = 11.6f;
    const float sparkX = 25.8f, sparkY = 5.6f;
    DrawSoftShadow(canvas, shape::Circle(cx + 1.0f, cy + 1.3f, r), WithAlpha(kBlack, 0.45f), 1);
    // The cap and the fuse behind the body's top right.
    const Shape cap = shape::Rotate(shape::RoundRect(cx + 3.5f, cy - 14.5f, cx + 9.5f, cy - 8.5f, 1.2f), cx + 6.5f, cy - 11.5f, 40.0f);
    canvas.Fill(cap, paint::Linear(cx + 3.0f, cy - 14.0f, ScaleRgb(metal, 1.2f), cx + 10.0f, cy - 8.0f, ScaleRgb(metal, 0.5f)));
    const Shape fuse = shape::Union(shape::Capsule(cx + 8.0f, cy - 13.0f, cx + 10.0f, cy - 14.8f, 1.1f),
                                    shape::Capsule(cx + 10.0f, cy - 14.8f, sparkX, sparkY, 1.1f));
    canvas.Fill(fuse, paint::Solid(Rgba{0.78f, 0.62f, 0.38f, 1.0f}));
    canvas.Fill(shape::Circle(cx, cy, r), BallBody(body, cx, cy, r));
    canvas.Fill(shape::Ring(cx, cy, r - 0.9f, r), paint::Solid(WithAlpha(kBlack, 0.7f)));
    DrawGloss(canvas, cx, cy, r, 0.75f);
    // The spark: a glow and a bright star.
    CCanvas glow(canvas.Width(), canvas.Height());
    glow.Fill(shape::Circle(sparkX, sparkY, 3.2f), paint::Solid(spark));
    glow.Blur(1);
    canvas.Draw(glow, 0, 0, 0.9f);
    canvas.Fill(shape::Star(sparkX, sparkY, 4.2f, 1.4f, 8, 8.0f), paint::Solid(spark));
    canvas.Fill(shape::Circle(sparkX, sparkY, 1.3f), paint::Solid(kWhite));
}

void DrawSplash(const ArtSources& art, CCanvas& canvas) {
    const Rgba a = art.balls.Colour("splash_a");
    const Rgba b = art.balls.Colour("splash_b");
    const float cx = 16.0f, cy = 16.0f;
    Shape splash = shape::Circle(cx, cy, 9.0f);
    const int lobes = 9;
    for (int i = 0; i < lobes; ++i) {
        const float angle = static_cast<float>(i) * 2.0f * kPi / static_cast<float>(lobes) + 0.3f;
        const float reach = 9.0f + 3.5f * HashUnit(static_cast<uint32_t>(i), 7u);
        const float size = 2.2f + 1.6f * HashUnit(static_cast<uint32_t>(i), 11u);
        splash = shape::Union(splash, shape::Capsule(cx, cy, cx + std::cos(angle) * reach, cy + std::sin(angle) * reach, size));
    }
    // Droplets flung off the splash.
    for (int i = 0; i < 4; ++i) {
        const float angle = static_cast<float>(i) * 1.7f + 0.9f;
        splash = shape::Union(splash, shape::Circle(cx + std::cos(angle) * 14.0f, cy + std::sin(angle) * 13.5f, 1.3f));
    }
    DrawSoftShadow(canvas, shape::Offset(splash, 0.8f, 1.1f), WithAlpha(kBlack, 0.45f), 1);
    canvas.Fill(splash, paint::LinearStops(4.0f, 4.0f, 28.0f, 28.0f,
                                           {{0.0f, MixRgba(b, kWhite, 0.2f)}, {0.45f, b}, {0.55f, a}, {1.0f, ScaleRgb(a, 0.7f)}}));
    // Three colour dabs show what the splash does: it paints balls.
    canvas.Fill(shape::Circle(cx - 3.2f, cy + 2.2f, 2.6f), paint::Solid(Rgba{0.15f, 0.45f, 0.95f, 1.0f}));
    canvas.Fill(shape::Circle(cx + 3.4f, cy + 2.6f, 2.6f), paint::Solid(Rgba{0.25f, 0.8f, 0.3f, 1.0f}));
    canvas.Fill(shape::Circle(cx, cy - 2.8f, 2.6f), paint::Solid(Rgba{1.0f, 0.92f, 0.3f, 1.0f}));
    canvas.Fill(shape::Ellipse(cx - 4.0f, cy - 5.0f, 3.4f, 1.6f, -35.0f), paint::Solid(WithAlpha(kWhite, 0.7f)));
}

void DrawArrowBall(const ArtSources& art, CCanvas& canvas, bool left) {
    const float cx = 16.0f, cy = 16.0f, r = art.balls.Number("ball_radius");
    const Rgba base = art.balls.Colour("arrow_ball");
    DrawGlassBall(canvas, cx, cy, r, BallBody(base, cx, cy, r), ScaleRgb(base, 0.35f), art.balls.Number("shadow_strength"), 1.0f);
    const float d = left ? -1.0f : 1.0f;
    const Shape arrow = shape::Polygon({{cx + d * 9.5f, cy},
                                        {cx + d * 1.0f, cy - 8.0f},
                                        {cx + d * 1.0f, cy - 3.6f},
                                        {cx - d * 8.5f, cy - 3.6f},
                                        {cx - d * 8.5f, cy + 3.6f},
                                        {cx + d * 1.0f, cy + 3.6f},
                                        {cx + d * 1.0f, cy + 8.0f}});
    const Rgba mark = art.balls.Colour("arrow_mark");
    canvas.Fill(shape::Offset(arrow, 0.6f, 0.9f), paint::Solid(WithAlpha(kBlack, 0.35f)));
    canvas.Fill(arrow, paint::Linear(cx, cy - 8.0f, ScaleRgb(mark, 1.35f), cx, cy + 8.0f, mark));
    DrawGloss(canvas, cx, cy, r, art.balls.Number("highlight_strength"));
}

void DrawRainbowBall(const ArtSources& art, CCanvas& canvas) {
    const float cx = 16.0f, cy = 16.0f, r = art.balls.Number("ball_radius");
    const Paint rainbow = [cx, cy, r](float x, float y) {
        const float hue = std::atan2(y - cy, x - cx) / (2.0f * kPi) + 0.5f;
        const float distance = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) / r;
        const Rgba colour = HsvToRgba(hue, 0.85f, 1.0f);
        return MixRgba(kWhite, colour, std::min(1.0f, distance * 1.6f));
    };
    DrawGlassBall(canvas, cx, cy, r, rainbow, Rgba{0.2f, 0.15f, 0.3f, 1.0f}, art.balls.Number("shadow_strength"), 1.0f);
    canvas.Fill(shape::Star(cx, cy + 0.5f, 5.5f, 2.3f, 5, 0.0f), paint::Solid(WithAlpha(kWhite, 0.95f)));
    DrawGloss(canvas, cx, cy, r, art.balls.Number("highlight_strength"));
}

void DrawStone(const ArtSources& art, CCanvas& canvas) {
    const Rgba stone = art.balls.Colour("stone");
    const float cx = 16.0f, cy = 16.0f, r = 13.8f;
    const Shape rock = [cx, cy, r](float x, float y) {
        const float angle = std::atan2(y - cy, x - cx);
        const float wobble = (FractalNoise(std::cos(angle) * 1.6f + 3.0f, std::sin(angle) * 1.6f + 3.0f, 31u, 3) - 0.5f) * 3.2f;
        return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - (r + wobble);
    };
    DrawSoftShadow(canvas, shape::Offset(rock, 1.0f, 1.4f), WithAlpha(kBlack, 0.5f), 1);
    const Paint granite = [stone, cx, cy, r](float x, float y) {
        const float grain = FractalNoise(x * 0.55f, y * 0.55f, 77u, 3);
        const float speck = HashUnit(static_cast<uint32_t>(x * 3.0f), static_cast<uint32_t>(y * 3.0f), 5u);
        const float light = 1.0f - 0.55f * std::min(1.0f, std::hypot(x - (cx - 5.0f), y - (cy - 6.0f)) / (r * 1.6f));
        float shade = 0.55f + 0.5f * light + (grain - 0.5f) * 0.45f;
        if (speck > 0.93f) {
            shade *= 0.7f;
        }
        return ScaleRgb(stone, shade);
    };
    canvas.Fill(rock, granite);
    // Light from the top left, shade towards the bottom right, so the stone stands out.
    canvas.Fill(rock, paint::Radial(cx - 5.0f, cy - 6.0f, r * 2.0f,
                                    {{0.0f, WithAlpha(kWhite, 0.28f)}, {0.35f, WithAlpha(kWhite, 0.0f)},
                                     {0.7f, WithAlpha(kBlack, 0.0f)}, {1.0f, WithAlpha(kBlack, 0.5f)}}));
    // A jagged crack with a branch, lit on one side.
    const Shape crack = shape::Union(
        shape::Union(shape::Capsule(9.0f, 9.5f, 12.5f, 12.0f, 0.5f), shape::Capsule(12.5f, 12.0f, 11.5f, 15.5f, 0.55f)),
        shape::Union(shape::Capsule(11.5f, 15.5f, 15.0f, 19.0f, 0.5f), shape::Capsule(12.5f, 12.0f, 16.5f, 11.0f, 0.4f)));
    canvas.Fill(shape::Offset(crack, 0.6f, 0.6f), paint::Solid(WithAlpha(kWhite, 0.3f)));
    canvas.Fill(crack, paint::Solid(WithAlpha(ScaleRgb(stone, 0.22f), 0.95f)));
    // Pits in the surface.
    for (int i = 0; i < 5; ++i) {
        const float px = cx - 7.0f + HashUnit(static_cast<uint32_t>(i), 3u) * 15.0f;
        const float py = cy - 5.0f + HashUnit(static_cast<uint32_t>(i), 4u) * 14.0f;
        canvas.Fill(shape::Circle(px, py, 0.9f), paint::Solid(WithAlpha(ScaleRgb(stone, 0.35f), 0.8f)));
    }
    canvas.Fill(shape::Subtract(rock, shape::Offset(rock, 1.2f, 1.4f)), paint::Solid(WithAlpha(kWhite, 0.25f)));
}

Shape HudIcon(const std::string& icon) {
    using namespace shape;
    if (icon == "pause") {
        return Union(RoundRect(10.5f, 9.5f, 14.5f, 22.5f, 1.2f), RoundRect(17.5f, 9.5f, 21.5f, 22.5f, 1.2f));
    }
    if (icon == "menu") {
        return Union(Union(RoundRect(9.5f, 10.0f, 22.5f, 12.8f, 1.2f), RoundRect(9.5f, 14.6f, 22.5f, 17.4f, 1.2f)),
                     RoundRect(9.5f, 19.2f, 22.5f, 22.0f, 1.2f));
    }
    if (icon == "exit") {
        return Union(Capsule(11.0f, 11.0f, 21.0f, 21.0f, 1.8f), Capsule(21.0f, 11.0f, 11.0f, 21.0f, 1.8f));
    }
    BakeFail("unknown HUD icon '" + icon + "'");
}
}  // namespace

void DrawSoftShadow(CCanvas& canvas, const Shape& shape, const Rgba& colour, int blurRadius) {
    CCanvas shadow(canvas.Width(), canvas.Height());
    shadow.Fill(shape, paint::Solid(colour));
    shadow.Blur(blurRadius);
    canvas.Draw(shadow, 0, 0);
}

void DrawOutlinedText(CCanvas& canvas, const CGlyphFace& face, const std::u32string& text, float pixelSize, float x,
                      float baseline, const Paint& fill, const Rgba& outline, float outlineWidth, float shadowAlpha,
                      float letterSpacing) {
    constexpr int kScale = 4;
    CMask high(canvas.Width() * kScale, canvas.Height() * kScale);
    face.DrawText(text, pixelSize * kScale, x * kScale, baseline * kScale, high, letterSpacing * kScale);
    const CMask body = high.Downsample(kScale);
    const CMask rim = high.Dilate(outlineWidth * kScale).Downsample(kScale);
    if (shadowAlpha > 0.0f) {
        CCanvas shadow(canvas.Width(), canvas.Height());
        shadow.FillMask(rim.coverage, paint::Solid(WithAlpha(kBlack, shadowAlpha)));
        shadow.Blur(static_cast<int>(std::ceil(pixelSize / 24.0f)));
        canvas.Draw(shadow, static_cast<int>(std::lround(pixelSize / 22.0f)), static_cast<int>(std::lround(pixelSize / 16.0f)));
    }
    canvas.FillMask(rim.coverage, paint::Solid(outline));
    canvas.FillMask(body.coverage, fill);
}

CCanvas PaintBall(const ArtSources& art, int colour) {
    const ArtRecord* record = art.balls.Find("ball", std::to_string(colour));
    Rgba hue;
    if (record == nullptr || record->values.size() != 3 || !ParseHexColour(record->values[1].c_str(), hue)) {
        BakeFail(art.balls.Path() + ": need 'ball " + std::to_string(colour) + " <#rrggbb> <symbol>'");
    }
    const float r = art.balls.Number("ball_radius");
    CCanvas canvas(32, 32);
    DrawGlassBall(canvas, 16.0f, 16.0f, r, BallBody(hue, 16.0f, 16.0f, r), ScaleRgb(hue, 0.38f), art.balls.Number("shadow_strength"),
                  1.0f);
    DrawSymbol(canvas, SymbolShape(record->values[2], 16.0f, 16.5f, art.balls.Number("symbol_size")), hue);
    DrawGloss(canvas, 16.0f, 16.0f, r, art.balls.Number("highlight_strength"));
    return canvas;
}

CCanvas PaintSpecial(const ArtSources& art, int code) {
    CCanvas canvas(32, 32);
    switch (code) {
        case 8: DrawBomb(art, canvas); break;
        case 9: DrawSplash(art, canvas); break;
        case 10: DrawArrowBall(art, canvas, true); break;
        case 11: DrawArrowBall(art, canvas, false); break;
        case 12: DrawRainbowBall(art, canvas); break;
        case 13: DrawStone(art, canvas); break;
        default: BakeFail("no picture for ball code " + std::to_string(code));
    }
    return canvas;
}

CCanvas PaintLauncher(const ArtSources& art) {
    const Rgba metal = art.balls.Colour("metal");
    const Rgba accent = art.balls.Colour("accent");
    const float cx = 32.0f, cy = 32.0f;
    CCanvas canvas(64, 64);
    // Fins at the sides.
    const Shape fins = shape::Union(shape::Polygon({{cx - 21.0f, cy - 6.0f}, {cx - 29.0f, cy + 12.0f}, {cx - 27.0f, cy + 17.0f}, {cx - 17.0f, cy + 10.0f}}),
                                    shape::Polygon({{cx + 21.0f, cy - 6.0f}, {cx + 17.0f, cy + 10.0f}, {cx + 27.0f, cy + 17.0f}, {cx + 29.0f, cy + 12.0f}}));
    // The barrel: a tapered nose pointing up.
    const Shape barrel = shape::Union(shape::Polygon({{cx - 4.5f, cy - 29.0f}, {cx + 4.5f, cy - 29.0f}, {cx + 7.5f, cy - 15.0f}, {cx - 7.5f, cy - 15.0f}}),
                                      shape::RoundRect(cx - 6.5f, cy - 30.5f, cx + 6.5f, cy - 26.5f, 1.5f));
    const Shape ring = shape::Ring(cx, cy, 16.8f, 21.5f);
    const Shape all = shape::Union(shape::Union(fins, barrel), shape::Circle(cx, cy, 21.5f));
    DrawSoftShadow(canvas, shape::Offset(all, 1.5f, 2.0f), WithAlpha(kBlack, 0.5f), 2);
    const Paint steel = paint::LinearStops(cx - 24.0f, 0.0f, cx + 24.0f, 0.0f,
                                           {{0.0f, ScaleRgb(metal, 0.45f)}, {0.35f, ScaleRgb(metal, 1.25f)}, {0.55f, metal}, {1.0f, ScaleRgb(metal, 0.4f)}});
    canvas.Fill(fins, paint::Linear(0.0f, cy - 6.0f, ScaleRgb(accent, 0.9f), 0.0f, cy + 17.0f, ScaleRgb(accent, 0.35f)));
    canvas.Fill(shape::Circle(cx, cy, 16.8f), paint::Radial(cx, cy, 16.8f, {{0.0f, Rgba{0.02f, 0.08f, 0.14f, 0.95f}}, {1.0f, Rgba{0.05f, 0.2f, 0.3f, 0.95f}}}));
    canvas.Fill(ring, paint::Radial(cx - 8.0f, cy - 10.0f, 34.0f,
                                    {{0.0f, ScaleRgb(metal, 1.35f)}, {0.5f, metal}, {1.0f, ScaleRgb(metal, 0.35f)}}));
    canvas.Fill(shape::Ring(cx, cy, 16.8f, 17.8f), paint::Solid(WithAlpha(accent, 0.9f)));
    canvas.Fill(shape::Ring(cx, cy, 20.8f, 21.5f), paint::Solid(WithAlpha(ScaleRgb(metal, 0.3f), 0.9f)));
    // Rivets on the ring.
    for (int i = 0; i < 6; ++i) {
        const float angle = static_cast<float>(i) * kPi / 3.0f + kPi / 6.0f;
        const float rx = cx + std::cos(angle) * 19.2f;
        const float ry = cy + std::sin(angle) * 19.2f;
        canvas.Fill(shape::Circle(rx, ry, 1.1f), paint::Radial(rx - 0.4f, ry - 0.4f, 1.4f, {{0.0f, kWhite}, {1.0f, ScaleRgb(metal, 0.5f)}}));
    }
    // The barrel lies over the ring, so the aim reads at a glance.
    canvas.Fill(barrel, steel);
    // A glowing stripe along the barrel shows the aim.
    canvas.Fill(shape::Polygon({{cx - 1.5f, cy - 26.0f}, {cx + 1.5f, cy - 26.0f}, {cx + 2.5f, cy - 15.0f}, {cx - 2.5f, cy - 15.0f}}),
                paint::Linear(0.0f, cy - 26.0f, MixRgba(accent, kWhite, 0.7f), 0.0f, cy - 15.0f, accent));
    return canvas;
}

CCanvas PaintHudButton(const ArtSources& art, const std::string& icon, bool hovered) {
    const Rgba base = art.balls.Colour(hovered ? "button_hover" : "button");
    const Rgba ink = art.balls.Colour(hovered ? "icon_hover" : "icon");
    CCanvas canvas(32, 32);
    const float cx = 16.0f, cy = 16.0f, r = 14.2f;
    if (hovered) {
        CCanvas glow(32, 32);
        glow.Fill(shape::Circle(cx, cy, r + 0.5f), paint::Solid(art.balls.Colour("accent")));
        glow.Blur(1);
        canvas.Draw(glow, 0, 0, 0.9f);
    } else {
        DrawSoftShadow(canvas, shape::Circle(cx + 0.8f, cy + 1.2f, r), WithAlpha(kBlack, 0.5f), 1);
    }
    canvas.Fill(shape::Circle(cx, cy, r), paint::Radial(cx - 4.0f, cy - 6.0f, r * 1.7f,
                                                        {{0.0f, ScaleRgb(base, 1.35f)}, {0.5f, base}, {1.0f, ScaleRgb(base, 0.45f)}}));
    canvas.Fill(shape::Ring(cx, cy, r - 1.2f, r), paint::Solid(WithAlpha(MixRgba(base, kWhite, 0.55f), 0.9f)));
    const Shape symbol = HudIcon(icon);
    canvas.Fill(shape::Offset(symbol, 0.6f, 0.9f), paint::Solid(WithAlpha(kBlack, 0.45f)));
    canvas.Fill(symbol, paint::Solid(ink));
    canvas.Fill(shape::Ellipse(cx - 2.5f, cy - 8.0f, 8.0f, 3.2f, -8.0f),
                paint::Linear(0.0f, cy - 11.0f, WithAlpha(kWhite, 0.55f), 0.0f, cy - 5.0f, WithAlpha(kWhite, 0.0f)));
    return canvas;
}

CCanvas PaintParticle(int size) {
    CCanvas canvas(size, size);
    const float c = static_cast<float>(size) * 0.5f;
    canvas.FillAll(paint::Radial(c, c, c - 1.0f,
                                 {{0.0f, kWhite},
                                  {0.15f, WithAlpha(kWhite, 0.9f)},
                                  {0.4f, WithAlpha(kWhite, 0.42f)},
                                  {0.7f, WithAlpha(kWhite, 0.12f)},
                                  {1.0f, WithAlpha(kWhite, 0.0f)}}));
    return canvas;
}

CCanvas PaintLifeIcon(const ArtSources& art) {
    const Rgba red = art.balls.Colour("life");
    CCanvas canvas(32, 32);
    const Shape heart = shape::Heart(16.0f, 16.5f, 27.0f);
    DrawSoftShadow(canvas, shape::Offset(heart, 0.9f, 1.3f), WithAlpha(kBlack, 0.55f), 1);
    canvas.Fill(heart, paint::Solid(art.balls.Colour("outline")));
    const Shape inner = shape::Heart(16.0f, 16.6f, 24.0f);
    canvas.Fill(inner, paint::Radial(11.0f, 9.0f, 22.0f, {{0.0f, MixRgba(red, kWhite, 0.45f)}, {0.45f, red}, {1.0f, ScaleRgb(red, 0.5f)}}));
    canvas.Fill(shape::Ellipse(11.0f, 10.0f, 3.8f, 2.2f, -35.0f), paint::Solid(WithAlpha(kWhite, 0.8f)));
    return canvas;
}

CCanvas PaintSparkle(int size) {
    CCanvas canvas(size, size);
    const float c = static_cast<float>(size) * 0.5f;
    canvas.FillAll(paint::Radial(c, c, c * 0.7f, {{0.0f, WithAlpha(kWhite, 0.7f)}, {1.0f, WithAlpha(kWhite, 0.0f)}}));
    canvas.Fill(shape::Star(c, c, c - 1.5f, c * 0.12f, 4, 0.0f),
                paint::Radial(c, c, c - 1.5f, {{0.0f, kWhite}, {0.5f, WithAlpha(kWhite, 0.8f)}, {1.0f, WithAlpha(kWhite, 0.1f)}}));
    return canvas;
}

CCanvas PaintArrowEffect(const ArtSources& art, bool pointsLeft) {
    const Rgba accent = art.balls.Colour("accent");
    CCanvas canvas(32, 32);
    const float d = pointsLeft ? -1.0f : 1.0f;
    const float tip = 16.0f + d * 14.5f;
    // Motion streaks behind the head.
    for (int i = 0; i < 3; ++i) {
        const float y = 10.0f + static_cast<float>(i) * 6.0f;
        const float length = i == 1 ? 22.0f : 15.0f;
        canvas.Fill(shape::Capsule(tip - d * 6.0f, y, tip - d * length, y, i == 1 ? 1.6f : 1.1f),
                    paint::Linear(tip, 0.0f, WithAlpha(MixRgba(accent, kWhite, 0.5f), 0.95f), tip - d * length, 0.0f, WithAlpha(accent, 0.0f)));
    }
    const Shape head = shape::Polygon({{tip, 16.0f}, {tip - d * 10.0f, 6.5f}, {tip - d * 7.0f, 16.0f}, {tip - d * 10.0f, 25.5f}});
    CCanvas glow(32, 32);
    glow.Fill(head, paint::Solid(accent));
    glow.Blur(2);
    canvas.Draw(glow, 0, 0);
    canvas.Fill(head, paint::Linear(tip, 0.0f, kWhite, tip - d * 10.0f, 0.0f, MixRgba(accent, kWhite, 0.3f)));
    return canvas;
}

CCanvas PaintDigit(const ArtSources& art, int digit) {
    CCanvas canvas(32, 32);
    const std::u32string text(1, static_cast<char32_t>(U'0' + digit));
    const float size = 30.0f;
    const float x = 16.0f - art.bold.MeasureText(text, size) * 0.5f;
    DrawOutlinedText(canvas, art.bold, text, size, x, 27.0f,
                     paint::Linear(0.0f, 6.0f, art.balls.Colour("digit_top"), 0.0f, 27.0f, art.balls.Colour("digit_bottom")),
                     art.balls.Colour("outline"), 2.0f, 0.5f);
    return canvas;
}

CCanvas PaintSliderEnd(const ArtSources& art, bool left, bool hovered) {
    const Rgba accent = art.balls.Colour("accent");
    CCanvas canvas(10, 32);
    // The track is a rounded bar 16 pixels high with a groove; an end piece holds its cap.
    const float capX = left ? 9.0f : 1.0f;
    const float innerX0 = left ? capX : -1.0f;
    const float innerX1 = left ? 11.0f : capX;
    const Shape body = shape::Union(shape::Circle(capX, 16.0f, 8.0f), shape::Rect(innerX0, 8.0f, innerX1, 24.0f));
    canvas.Fill(body, paint::Linear(0.0f, 8.0f, ScaleRgb(art.balls.Colour("metal"), 1.1f), 0.0f, 24.0f,
                                    ScaleRgb(art.balls.Colour("metal"), 0.4f)));
    const Shape groove = shape::Union(shape::Circle(capX, 16.0f, 5.0f), shape::Rect(innerX0, 11.0f, innerX1, 21.0f));
    canvas.Fill(groove, paint::Linear(0.0f, 11.0f, Rgba{0.01f, 0.05f, 0.1f, 1.0f}, 0.0f, 21.0f,
                                      hovered ? ScaleRgb(accent, 0.8f) : Rgba{0.05f, 0.2f, 0.28f, 1.0f}));
    return canvas;
}

CCanvas PaintSliderMiddle(const ArtSources& art, bool hovered) {
    const Rgba accent = art.balls.Colour("accent");
    CCanvas canvas(32, 32);
    canvas.Fill(shape::Rect(-1.0f, 8.0f, 33.0f, 24.0f),
                paint::Linear(0.0f, 8.0f, ScaleRgb(art.balls.Colour("metal"), 1.1f), 0.0f, 24.0f, ScaleRgb(art.balls.Colour("metal"), 0.4f)));
    canvas.Fill(shape::Rect(-1.0f, 11.0f, 33.0f, 21.0f),
                paint::Linear(0.0f, 11.0f, Rgba{0.01f, 0.05f, 0.1f, 1.0f}, 0.0f, 21.0f, hovered ? ScaleRgb(accent, 0.8f) : Rgba{0.05f, 0.2f, 0.28f, 1.0f}));
    return canvas;
}

CCanvas PaintSliderKnob(const ArtSources& art, bool hovered) {
    const Rgba base = hovered ? art.balls.Colour("icon_hover") : art.balls.Colour("accent");
    CCanvas canvas(24, 24);
    DrawGlassBall(canvas, 12.0f, 12.0f, 10.5f, BallBody(base, 12.0f, 12.0f, 10.5f), ScaleRgb(base, 0.3f), 0.5f, 1.0f);
    DrawGloss(canvas, 12.0f, 12.0f, 10.5f, 0.9f);
    return canvas;
}

CCanvas PaintIcon(const ArtSources& art, int size) {
    const float s = static_cast<float>(size);
    CCanvas canvas(size, size);
    const Shape tile = shape::RoundRect(s * 0.05f, s * 0.05f, s * 0.95f, s * 0.95f, s * 0.2f);
    canvas.Fill(tile, paint::Linear(0.0f, s * 0.05f, art.scene.Colour("sky_top"), 0.0f, s * 0.95f, art.scene.Colour("sky_bottom")));
    canvas.Fill(tile, paint::Radial(s * 0.5f, s * 0.45f, s * 0.55f,
                                    {{0.0f, WithAlpha(art.scene.Colour("glow"), 0.55f)}, {1.0f, WithAlpha(art.scene.Colour("glow"), 0.0f)}}));
    canvas.Fill(shape::Subtract(tile, shape::RoundRect(s * 0.075f, s * 0.075f, s * 0.925f, s * 0.925f, s * 0.18f)),
                paint::Solid(WithAlpha(art.scene.Colour("rail"), 0.7f)));
    // Three touching balls, as they hang in the field: one above two.
    const float radius = s * 0.2f;
    const float scale = radius / art.balls.Number("ball_radius");
    struct IconBall {
        int colour;
        float x, y;
    };
    const IconBall balls[] = {{2, 0.5f, 0.33f}, {0, 0.3f, 0.33f + 0.2f * 1.732f}, {5, 0.7f, 0.33f + 0.2f * 1.732f}};
    for (const IconBall& ball : balls) {
        const ArtRecord* record = art.balls.Find("ball", std::to_string(ball.colour));
        Rgba hue;
        if (record == nullptr || record->values.size() != 3 || !ParseHexColour(record->values[1].c_str(), hue)) {
            BakeFail(art.balls.Path() + ": need 'ball " + std::to_string(ball.colour) + " <#rrggbb> <symbol>'");
        }
        const float cx = s * ball.x;
        const float cy = s * ball.y;
        DrawGlassBall(canvas, cx, cy, radius, BallBody(hue, cx, cy, radius), ScaleRgb(hue, 0.38f),
                      art.balls.Number("shadow_strength"), 1.0f);
        DrawSymbol(canvas, SymbolShape(record->values[2], cx, cy + 0.5f * scale, art.balls.Number("symbol_size") * scale), hue);
        DrawGloss(canvas, cx, cy, radius, art.balls.Number("highlight_strength"));
    }
    return canvas;
}
