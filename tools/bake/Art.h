#pragma once
// The painters of the baked pictures. Each draws one picture (or one atlas cell) into a
// canvas from the parameters of data/art; BakeGraphics puts them together.
#include "tools/bake/ArtConfig.h"
#include "tools/bake/AtlasPlan.h"
#include "tools/bake/GlyphRaster.h"
#include "tools/bake/Raster.h"

#include <string>

struct ArtSources {
    CArtConfig textures;
    CArtConfig atlas;
    CAtlasPlan plan;   // read from atlas and textures
    CArtConfig balls;
    CArtConfig scene;
    CGlyphFace bold;
    CGlyphFace regular;
};

// Cells of "texpack_face" (each canvas is exactly one frame).
CCanvas PaintBall(const ArtSources& art, int colour);
CCanvas PaintSpecial(const ArtSources& art, int code);  // 8..13
CCanvas PaintLauncher(const ArtSources& art);
CCanvas PaintHudButton(const ArtSources& art, const std::string& icon, bool hovered);
CCanvas PaintParticle(int size);
CCanvas PaintLifeIcon(const ArtSources& art);
CCanvas PaintSparkle(int size);
CCanvas PaintArrowEffect(const ArtSources& art, bool pointsLeft);
CCanvas PaintDigit(const ArtSources& art, int digit);
CCanvas PaintSliderEnd(const ArtSources& art, bool left, bool hovered);
CCanvas PaintSliderMiddle(const ArtSources& art, bool hovered);
CCanvas PaintSliderKnob(const ArtSources& art, bool hovered);

// Whole pictures.
// The program's icon, size x size: three balls of the pack on the night sky of the scene.
CCanvas PaintIcon(const ArtSources& art, int size);
CCanvas PaintAtlas(const ArtSources& art, int width, int height);
CCanvas PaintBackground(const ArtSources& art, int width, int height);
CCanvas PaintFrame(const ArtSources& art, int width, int height);
CCanvas PaintBorderBar(const ArtSources& art, int width, int height);
CCanvas PaintBottomStrip(const ArtSources& art, int width, int height);
CCanvas PaintDarkPanel(const ArtSources& art, int width, int height);
CCanvas PaintTitleLogo(const ArtSources& art, int width, int height);
CCanvas PaintStudioLogo(const ArtSources& art, int width, int height);
CCanvas PaintMouseCursor(const ArtSources& art, int width, int height);
// The picture of a slider piece: its two frames (normal, hovered) in the region
// "<piece>_strip" of the picture.
CCanvas PaintSliderStrip(const ArtSources& art, const std::string& piece, int width, int height);

// Helpers shared by the painters.
// Draws a text mask with a fill paint, an outline of the given width and an optional
// soft shadow; origin is the pen at the baseline, in canvas pixels.
void DrawOutlinedText(CCanvas& canvas, const CGlyphFace& face, const std::u32string& text, float pixelSize, float x,
                      float baseline, const Paint& fill, const Rgba& outline, float outlineWidth, float shadowAlpha,
                      float letterSpacing = 0.0f);
// A soft shadow of a shape: filled, blurred, laid under whatever is drawn next.
void DrawSoftShadow(CCanvas& canvas, const Shape& shape, const Rgba& colour, int blurRadius);
