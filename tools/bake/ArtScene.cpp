// The large pictures: backdrop, frame, ceiling bar, bottom strip, shading panel, logos,
// mouse pointer, and the atlas that gathers the small cells.
#include "tools/bake/Art.h"

#include <cmath>

namespace {
const Rgba kWhite{1.0f, 1.0f, 1.0f, 1.0f};
const Rgba kBlack{0.0f, 0.0f, 0.0f, 1.0f};

// Screen geometry the frame is drawn against: the frame's top-left lies at (64, 2).
constexpr float kFrameX = 64.0f;
constexpr float kFrameY = 2.0f;
constexpr float kFieldLeft = 160.0f;
constexpr float kFieldRight = 480.0f;
constexpr float kLauncherX = 320.0f;
constexpr float kLauncherY = 418.0f;
constexpr float kNextBallX = 170.0f;  // top-left of the waiting ball
constexpr float kNextBallY = 410.0f;

void PutRegion(CCanvas& atlas, const AtlasRegion& region, int frame, const CCanvas& cell) {
    if (frame >= region.frames || cell.Width() != region.width || cell.Height() != region.height) {
        BakeFail("atlas cell does not fit its region");
    }
    atlas.Draw(cell, region.FrameX(frame), region.FrameY(frame));
}

// One rivet: a small domed circle.
void DrawRivet(CCanvas& canvas, float x, float y, float r, const Rgba& metal) {
    canvas.Fill(shape::Circle(x + 0.4f, y + 0.5f, r), paint::Solid(WithAlpha(kBlack, 0.45f)));
    canvas.Fill(shape::Circle(x, y, r), paint::Radial(x - r * 0.4f, y - r * 0.4f, r * 1.6f,
                                                      {{0.0f, ScaleRgb(metal, 1.5f)}, {0.5f, metal}, {1.0f, ScaleRgb(metal, 0.4f)}}));
}
}  // namespace

CCanvas PaintAtlas(const ArtSources& art, int width, int height) {
    const char* const texture = "texpack_face";
    const CAtlasPlan& plan = art.plan;
    CCanvas atlas(width, height);
    const AtlasRegion& balls = plan.Find(texture, "balls");
    for (int colour = 0; colour < balls.frames; ++colour) {
        PutRegion(atlas, balls, colour, PaintBall(art, colour));
    }
    const AtlasRegion& specials = plan.Find(texture, "specials");
    for (int i = 0; i < specials.frames; ++i) {
        PutRegion(atlas, specials, i, PaintSpecial(art, 8 + i));
    }
    PutRegion(atlas, plan.Find(texture, "launcher"), 0, PaintLauncher(art));
    const char* icons[] = {"pause", "menu", "exit"};
    for (const char* icon : icons) {
        const AtlasRegion& button = plan.Find(texture, std::string("button_") + icon);
        PutRegion(atlas, button, 0, PaintHudButton(art, icon, false));
        PutRegion(atlas, button, 1, PaintHudButton(art, icon, true));
    }
    const AtlasRegion& arrows = plan.Find(texture, "arrows");
    PutRegion(atlas, arrows, 0, PaintArrowEffect(art, true));
    PutRegion(atlas, arrows, 1, PaintArrowEffect(art, false));
    const AtlasRegion& particle = plan.Find(texture, "particle");
    PutRegion(atlas, particle, 0, PaintParticle(particle.width));
    PutRegion(atlas, plan.Find(texture, "life"), 0, PaintLifeIcon(art));
    const AtlasRegion& sparkle = plan.Find(texture, "sparkle");
    PutRegion(atlas, sparkle, 0, PaintSparkle(sparkle.width));
    const AtlasRegion& digits = plan.Find(texture, "digits");
    for (int digit = 0; digit < digits.frames; ++digit) {
        PutRegion(atlas, digits, digit, PaintDigit(art, digit));
    }
    for (int hovered = 0; hovered < 2; ++hovered) {
        PutRegion(atlas, plan.Find(texture, "slider_left"), hovered, PaintSliderEnd(art, true, hovered != 0));
        PutRegion(atlas, plan.Find(texture, "slider_right"), hovered, PaintSliderEnd(art, false, hovered != 0));
        PutRegion(atlas, plan.Find(texture, "slider_middle"), hovered, PaintSliderMiddle(art, hovered != 0));
        PutRegion(atlas, plan.Find(texture, "slider_knob"), hovered, PaintSliderKnob(art, hovered != 0));
    }
    return atlas;
}

CCanvas PaintSliderStrip(const ArtSources& art, const std::string& piece, int width, int height) {
    const AtlasRegion& strip = art.plan.Find(piece, piece + "_strip");
    CCanvas canvas(width, height);
    for (int hovered = 0; hovered < 2; ++hovered) {
        if (piece == "slider_left") {
            PutRegion(canvas, strip, hovered, PaintSliderEnd(art, true, hovered != 0));
        } else if (piece == "slider_right") {
            PutRegion(canvas, strip, hovered, PaintSliderEnd(art, false, hovered != 0));
        } else if (piece == "slider_middle") {
            PutRegion(canvas, strip, hovered, PaintSliderMiddle(art, hovered != 0));
        } else if (piece == "slider_knob") {
            PutRegion(canvas, strip, hovered, PaintSliderKnob(art, hovered != 0));
        } else {
            BakeFail("unknown slider piece " + piece);
        }
    }
    return canvas;
}

CCanvas PaintBackground(const ArtSources& art, int width, int height) {
    const CArtConfig& scene = art.scene;
    CCanvas canvas(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    canvas.FillAll(paint::Linear(0.0f, 0.0f, scene.Colour("sky_top"), 0.0f, h, scene.Colour("sky_bottom")));
    canvas.FillAll(paint::Radial(w * 0.5f, h * 0.42f, w * 0.62f,
                                 {{0.0f, WithAlpha(scene.Colour("glow"), 0.55f)}, {1.0f, WithAlpha(scene.Colour("glow"), 0.0f)}}));
    // Soft out-of-focus lights, drawn on their own layer and blurred.
    CCanvas bokeh(width, height);
    const int count = static_cast<int>(scene.Number("bokeh_count"));
    const uint32_t seed = static_cast<uint32_t>(scene.Number("bokeh_seed"));
    const Rgba tints[] = {scene.Colour("bokeh_a"), scene.Colour("bokeh_b"), scene.Colour("bokeh_c")};
    for (int i = 0; i < count; ++i) {
        const uint32_t n = static_cast<uint32_t>(i);
        const float x = HashUnit(seed, n, 1u) * w;
        const float y = HashUnit(seed, n, 2u) * h * 0.95f;
        const float r = 6.0f + std::pow(HashUnit(seed, n, 3u), 2.2f) * 42.0f;
        const float alpha = 0.05f + 0.13f * HashUnit(seed, n, 4u) * (1.0f - r / 60.0f);
        const Rgba tint = tints[static_cast<int>(HashUnit(seed, n, 5u) * 2.999f)];
        bokeh.Fill(shape::Circle(x, y, r), paint::Radial(x, y, r, {{0.0f, WithAlpha(tint, alpha * 0.7f)}, {0.85f, WithAlpha(tint, alpha)}, {1.0f, WithAlpha(tint, alpha * 1.4f)}}));
    }
    bokeh.Blur(2);
    canvas.Draw(bokeh, 0, 0);
    // A calm, darker well behind the field keeps the balls easy to read.
    CCanvas well(width, height);
    well.Fill(shape::RoundRect(kFieldLeft - 4.0f, -20.0f, kFieldRight + 4.0f, 420.0f, 10.0f),
              paint::Linear(0.0f, 0.0f, WithAlpha(scene.Colour("field_shade"), 0.55f), 0.0f, 420.0f, WithAlpha(scene.Colour("field_shade"), 0.3f)));
    well.Blur(6);
    canvas.Draw(well, 0, 0);
    // Faint light rays falling into the well.
    for (int i = 0; i < 5; ++i) {
        const float x = kFieldLeft + 30.0f + static_cast<float>(i) * 64.0f + HashUnit(seed, static_cast<uint32_t>(i), 9u) * 20.0f;
        CCanvas ray(width, height);
        ray.Fill(shape::Polygon({{x - 6.0f, 0.0f}, {x + 10.0f, 0.0f}, {x + 40.0f, 400.0f}, {x + 8.0f, 400.0f}}),
                 paint::Linear(0.0f, 0.0f, WithAlpha(scene.Colour("glow"), 0.10f), 0.0f, 400.0f, WithAlpha(scene.Colour("glow"), 0.0f)));
        ray.Blur(4);
        canvas.Draw(ray, 0, 0);
    }
    // The floor along the bottom that carries the launcher deck and the labels.
    const float deckTop = kFrameY + scene.Number("deck_top");
    canvas.Fill(shape::Rect(-1.0f, deckTop, w + 1.0f, h + 1.0f),
                paint::Linear(0.0f, deckTop, scene.Colour("deck"), 0.0f, h, ScaleRgb(scene.Colour("deck"), 0.6f)));
    canvas.Fill(shape::Rect(-1.0f, deckTop, w + 1.0f, deckTop + 1.5f), paint::Solid(WithAlpha(scene.Colour("deck_rim"), 0.7f)));
    // A gentle vignette.
    canvas.FillAll(paint::Radial(w * 0.5f, h * 0.5f, w * 0.72f,
                                 {{0.0f, WithAlpha(kBlack, 0.0f)}, {0.7f, WithAlpha(kBlack, 0.0f)}, {1.0f, WithAlpha(kBlack, 0.45f)}}));
    return canvas;
}

CCanvas PaintFrame(const ArtSources& art, int width, int height) {
    const CArtConfig& scene = art.scene;
    CCanvas canvas(width, height);
    const float fieldLeft = kFieldLeft - kFrameX;    // 96
    const float fieldRight = kFieldRight - kFrameX;  // 416
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float deckTop = scene.Number("deck_top");
    const Rgba dark = scene.Colour("pillar_dark");
    const Rgba light = scene.Colour("pillar_light");
    const Rgba rail = scene.Colour("rail");
    const Rgba deck = scene.Colour("deck");
    const Rgba rim = scene.Colour("deck_rim");

    // Pillars and the deck under the field as one body, with a hole for the field.
    const Shape pillars = shape::Union(shape::RoundRect(2.0f, 0.0f, fieldLeft, h + 20.0f, 12.0f),
                                       shape::RoundRect(fieldRight, 0.0f, w - 2.0f, h + 20.0f, 12.0f));
    const Shape deckShape = shape::Rect(fieldLeft - 2.0f, deckTop, fieldRight + 2.0f, h + 1.0f);
    const float launcherX = kLauncherX - kFrameX;
    const float launcherY = kLauncherY - kFrameY;
    const float nextX = kNextBallX - kFrameX + 16.0f;
    const float nextY = kNextBallY - kFrameY + 16.0f;
    const Shape body = shape::Union(pillars, deckShape);
    DrawSoftShadow(canvas, body, WithAlpha(kBlack, 0.6f), 2);
    canvas.Fill(shape::Intersect(body, pillars), paint::LinearStops(0.0f, 0.0f, w, 0.0f,
                                                                    {{0.0f, dark}, {0.09f, light}, {0.18f, dark},
                                                                     {0.82f, dark}, {0.91f, light}, {1.0f, dark}}));
    canvas.Fill(shape::Intersect(body, deckShape), paint::Linear(0.0f, deckTop, deck, 0.0f, h, ScaleRgb(deck, 0.55f)));
    // Inset glass panels on the pillars.
    const float panelTop = 46.0f;
    const float panelBottom = deckTop - 14.0f;
    for (int side = 0; side < 2; ++side) {
        const float x0 = side == 0 ? 18.0f : fieldRight + 14.0f;
        const float x1 = side == 0 ? fieldLeft - 14.0f : w - 18.0f;
        canvas.Fill(shape::RoundRect(x0 - 1.5f, panelTop - 1.5f, x1 + 1.5f, panelBottom + 1.5f, 9.0f), paint::Solid(WithAlpha(rim, 0.35f)));
        canvas.Fill(shape::RoundRect(x0, panelTop, x1, panelBottom, 8.0f),
                    paint::Linear(0.0f, panelTop, Rgba{0.02f, 0.06f, 0.12f, 0.92f}, 0.0f, panelBottom, Rgba{0.03f, 0.12f, 0.2f, 0.92f}));
        // A column of small lights, like beads on a string.
        const float cx = (x0 + x1) * 0.5f;
        for (int i = 0; i < 9; ++i) {
            const float cy = panelTop + 24.0f + static_cast<float>(i) * (panelBottom - panelTop - 48.0f) / 8.0f;
            const float glowAlpha = 0.25f + 0.2f * static_cast<float>(i % 3);
            CCanvas bead(width, height);
            bead.Fill(shape::Circle(cx, cy, 4.0f), paint::Solid(WithAlpha(rail, glowAlpha)));
            bead.Blur(2);
            canvas.Draw(bead, 0, 0);
            canvas.Fill(shape::Circle(cx, cy, 2.2f), paint::Radial(cx - 0.6f, cy - 0.6f, 2.6f, {{0.0f, kWhite}, {1.0f, rail}}));
        }
        // Pillar caps with rivets.
        for (int i = 0; i < 2; ++i) {
            const float rx = side == 0 ? 14.0f + static_cast<float>(i) * (fieldLeft - 28.0f) : fieldRight + 10.0f + static_cast<float>(i) * (w - fieldRight - 24.0f);
            DrawRivet(canvas, rx, 22.0f, 2.6f, scene.Colour("bar_light"));
            DrawRivet(canvas, rx, deckTop + 30.0f, 2.6f, scene.Colour("bar_light"));
        }
    }
    // The bright rails the balls bounce off.
    for (int side = 0; side < 2; ++side) {
        const float x = side == 0 ? fieldLeft - 6.0f : fieldRight;
        const Shape railShape = shape::RoundRect(x, 0.0f, x + 6.0f, deckTop + 6.0f, 3.0f);
        canvas.Fill(railShape, paint::Linear(x, 0.0f, ScaleRgb(rail, 0.45f), x + 6.0f, 0.0f, ScaleRgb(rail, 0.7f)));
        canvas.Fill(shape::RoundRect(x + 1.5f, 0.0f, x + 3.5f, deckTop + 5.0f, 1.0f), paint::Solid(WithAlpha(MixRgba(rail, kWhite, 0.6f), 0.9f)));
    }
    // Deck rim, the launcher socket and the slot of the waiting ball.
    canvas.Fill(shape::Rect(fieldLeft + 3.0f, deckTop, fieldRight - 3.0f, deckTop + 2.0f), paint::Solid(WithAlpha(rim, 0.85f)));
    // A soft glow under the launcher and a shallow cradle for the waiting ball.
    canvas.Fill(shape::Ellipse(launcherX, launcherY + 12.0f, 46.0f, 14.0f),
                paint::Radial(launcherX, launcherY + 12.0f, 46.0f, {{0.0f, WithAlpha(rim, 0.35f)}, {1.0f, WithAlpha(rim, 0.0f)}}));
    canvas.Fill(shape::Ellipse(nextX, nextY + 12.0f, 20.0f, 6.0f),
                paint::Radial(nextX, nextY + 12.0f, 20.0f, {{0.0f, WithAlpha(kBlack, 0.55f)}, {1.0f, WithAlpha(kBlack, 0.0f)}}));
    return canvas;
}

CCanvas PaintBorderBar(const ArtSources& art, int width, int height) {
    const CArtConfig& scene = art.scene;
    const Rgba dark = scene.Colour("bar_dark");
    const Rgba light = scene.Colour("bar_light");
    CCanvas canvas(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    canvas.Fill(shape::Rect(0.0f, 0.0f, w, h - 5.0f),
                paint::LinearStops(0.0f, 0.0f, 0.0f, h - 5.0f,
                                   {{0.0f, ScaleRgb(dark, 0.8f)}, {0.55f, dark}, {0.8f, light}, {1.0f, ScaleRgb(dark, 0.7f)}}));
    // The lower lip with its glowing edge, the line the field hangs from.
    canvas.Fill(shape::Rect(0.0f, h - 5.0f, w, h - 2.0f), paint::Solid(scene.Colour("rail")));
    canvas.Fill(shape::Rect(0.0f, h - 2.0f, w, h), paint::Linear(0.0f, h - 2.0f, WithAlpha(kBlack, 0.55f), 0.0f, h, WithAlpha(kBlack, 0.0f)));
    for (float x = 13.0f; x < w; x += 32.0f) {
        DrawRivet(canvas, x + 3.0f, 11.0f, 2.4f, light);
    }
    return canvas;
}

CCanvas PaintBottomStrip(const ArtSources& art, int width, int height) {
    const CArtConfig& scene = art.scene;
    CCanvas canvas(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const Rgba deck = scene.Colour("deck");
    canvas.Fill(shape::Rect(-1.0f, -1.0f, w + 1.0f, h + 1.0f), paint::Linear(0.0f, 0.0f, ScaleRgb(deck, 0.8f), 0.0f, h, ScaleRgb(deck, 0.35f)));
    canvas.Fill(shape::Rect(-1.0f, 0.0f, w + 1.0f, 2.0f), paint::Solid(WithAlpha(scene.Colour("deck_rim"), 0.75f)));
    canvas.Fill(shape::Rect(-1.0f, 2.0f, w + 1.0f, 4.0f), paint::Solid(WithAlpha(kBlack, 0.35f)));
    // Rivets spaced so that two strips side by side continue the pattern.
    for (float x = 20.0f; x < w; x += 40.0f) {
        DrawRivet(canvas, x, h * 0.55f, 2.2f, scene.Colour("bar_light"));
    }
    return canvas;
}

CCanvas PaintDarkPanel(const ArtSources& art, int width, int height) {
    CCanvas canvas(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    canvas.Fill(shape::RoundRect(10.0f, 10.0f, w - 10.0f, h - 10.0f, 18.0f),
                paint::Linear(0.0f, 0.0f, Rgba{0.02f, 0.05f, 0.1f, 1.0f}, 0.0f, h, Rgba{0.01f, 0.03f, 0.07f, 1.0f}));
    canvas.Blur(4);
    canvas.Fade(art.scene.Number("dark_alpha"));
    return canvas;
}

CCanvas PaintTitleLogo(const ArtSources& art, int width, int height) {
    const CArtConfig& scene = art.scene;
    CCanvas canvas(width, height);
    const std::u32string title = U"Pellora";
    const float size = 66.0f;
    const float spacing = 1.0f;
    const float textWidth = art.bold.MeasureText(title, size) + spacing * static_cast<float>(title.size() - 1);
    const float x = (static_cast<float>(width) - textWidth) * 0.5f;
    const float baseline = static_cast<float>(height) * 0.5f + size * 0.36f;
    // A glow behind the letters.
    CCanvas glow(width, height);
    DrawOutlinedText(glow, art.bold, title, size, x, baseline, paint::Solid(scene.Colour("glow")), scene.Colour("glow"), 6.0f, 0.0f, spacing);
    glow.Blur(5);
    canvas.Draw(glow, 0, 0, 0.8f);
    const float top = baseline - size * 0.75f;
    DrawOutlinedText(canvas, art.bold, title, size, x, baseline,
                     paint::LinearStops(0.0f, top, 0.0f, baseline, {{0.0f, scene.Colour("logo_top")}, {0.5f, MixRgba(scene.Colour("logo_top"), scene.Colour("logo_bottom"), 0.45f)}, {1.0f, scene.Colour("logo_bottom")}}),
                     scene.Colour("logo_outline"), 4.0f, 0.6f, spacing);
    // A glossy line across the upper half of the letters.
    CMask high(width * 4, height * 4);
    art.bold.DrawText(title, size * 4.0f, x * 4.0f, baseline * 4.0f, high, spacing * 4.0f);
    CMask shine = high.Downsample(4);
    for (int yy = 0; yy < shine.height; ++yy) {
        const float t = (static_cast<float>(yy) - top) / (baseline - top);
        const float band = t < 0.0f || t > 0.42f ? 0.0f : 0.45f * (1.0f - t / 0.42f);
        for (int xx = 0; xx < shine.width; ++xx) {
            shine.At(xx, yy) *= band;
        }
    }
    canvas.FillMask(shine.coverage, paint::Solid(kWhite));
    return canvas;
}

CCanvas PaintStudioLogo(const ArtSources& art, int width, int height) {
    const CArtConfig& scene = art.scene;
    CCanvas canvas(width, height);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    canvas.FillAll(paint::Radial(w * 0.5f, h * 0.45f, w * 0.7f, {{0.0f, Rgba{0.07f, 0.11f, 0.2f, 1.0f}}, {1.0f, Rgba{0.01f, 0.015f, 0.03f, 1.0f}}}));
    // The mark: three glass pebbles in a tight triangle, on a soft light.
    const float cx = w * 0.5f;
    const float cy = h * 0.4f;
    CCanvas halo(width, height);
    halo.Fill(shape::Circle(cx, cy, 70.0f), paint::Radial(cx, cy, 70.0f, {{0.0f, WithAlpha(scene.Colour("glow"), 0.6f)}, {1.0f, WithAlpha(scene.Colour("glow"), 0.0f)}}));
    halo.Blur(6);
    canvas.Draw(halo, 0, 0);
    struct Pebble {
        float dx, dy;
        Rgba colour;
    };
    const Pebble pebbles[] = {{-24.0f, 16.0f, Rgba{0.18f, 0.39f, 0.91f, 1.0f}},
                              {24.0f, 16.0f, Rgba{0.91f, 0.19f, 0.23f, 1.0f}},
                              {0.0f, -24.0f, Rgba{0.97f, 0.83f, 0.16f, 1.0f}}};
    for (const Pebble& pebble : pebbles) {
        const float px = cx + pebble.dx;
        const float py = cy + pebble.dy;
        const float r = 26.0f;
        DrawSoftShadow(canvas, shape::Circle(px + 3.0f, py + 5.0f, r), WithAlpha(kBlack, 0.6f), 4);
        canvas.Fill(shape::Circle(px, py, r),
                    paint::Radial(px - r * 0.35f, py - r * 0.4f, r * 1.45f,
                                  {{0.0f, MixRgba(pebble.colour, kWhite, 0.5f)}, {0.35f, pebble.colour}, {1.0f, ScaleRgb(pebble.colour, 0.45f)}}));
        canvas.Fill(shape::Ellipse(px - r * 0.32f, py - r * 0.45f, r * 0.5f, r * 0.26f, -32.0f),
                    paint::Linear(0.0f, py - r * 0.75f, WithAlpha(kWhite, 0.9f), 0.0f, py - r * 0.2f, WithAlpha(kWhite, 0.05f)));
    }
    const std::u32string name = U"PELLWORKS";
    const float size = 44.0f;
    const float spacing = 8.0f;
    const float nameWidth = art.bold.MeasureText(name, size) + spacing * static_cast<float>(name.size() - 1);
    DrawOutlinedText(canvas, art.bold, name, size, (w - nameWidth) * 0.5f, h * 0.72f,
                     paint::Linear(0.0f, h * 0.72f - 34.0f, scene.Colour("studio_ink"), 0.0f, h * 0.72f, ScaleRgb(scene.Colour("studio_ink"), 0.75f)),
                     WithAlpha(kBlack, 0.0f), 0.5f, 0.6f, spacing);
    const std::u32string motto = U"small games, polished";
    const float mottoSize = 18.0f;
    const float mottoSpacing = 2.0f;
    const float mottoWidth = art.regular.MeasureText(motto, mottoSize) + mottoSpacing * static_cast<float>(motto.size() - 1);
    DrawOutlinedText(canvas, art.regular, motto, mottoSize, (w - mottoWidth) * 0.5f, h * 0.72f + 36.0f,
                     paint::Solid(WithAlpha(scene.Colour("glow"), 1.0f)), WithAlpha(kBlack, 0.0f), 0.5f, 0.0f, mottoSpacing);
    canvas.Fill(shape::Rect(w * 0.5f - 110.0f, h * 0.72f + 12.0f, w * 0.5f + 110.0f, h * 0.72f + 13.5f),
                paint::LinearStops(w * 0.5f - 110.0f, 0.0f, w * 0.5f + 110.0f, 0.0f,
                                   {{0.0f, WithAlpha(scene.Colour("glow"), 0.0f)}, {0.5f, scene.Colour("glow")}, {1.0f, WithAlpha(scene.Colour("glow"), 0.0f)}}));
    return canvas;
}

CCanvas PaintMouseCursor(const ArtSources& art, int width, int height) {
    CCanvas canvas(width, height);
    // The tip sits on the top-left pixel.
    const Shape arrow = shape::Polygon({{0.2f, 0.2f}, {0.2f, 21.0f}, {5.2f, 16.4f}, {9.0f, 25.0f}, {12.6f, 23.4f},
                                        {8.9f, 15.2f}, {15.4f, 15.0f}});
    DrawSoftShadow(canvas, shape::Offset(arrow, 1.6f, 1.8f), WithAlpha(kBlack, 0.55f), 1);
    canvas.Fill(arrow, paint::Solid(art.scene.Colour("logo_outline")));
    const Shape inner = shape::Polygon({{1.6f, 3.4f}, {1.6f, 17.6f}, {5.6f, 13.9f}, {9.7f, 22.9f}, {11.0f, 22.3f},
                                        {7.0f, 13.7f}, {12.2f, 13.6f}});
    canvas.Fill(inner, paint::Linear(0.0f, 2.0f, kWhite, 0.0f, 22.0f, MixRgba(kWhite, art.scene.Colour("rail"), 0.45f)));
    return canvas;
}
