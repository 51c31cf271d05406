// Bakes every picture listed in data/art/textures.txt from the parameter files of
// data/art; the painters live in ArtSprites.cpp and ArtScene.cpp.
#include "tools/bake/Art.h"
#include "tools/bake/Bake.h"
#include "tools/bake/ImageWriters.h"

namespace {
void LoadConfig(CArtConfig& config, const BakeContext& context, const char* file) {
    if (!config.Load(context.dataDir + "/art/" + file)) {
        BakeFail(std::string("missing data/art/") + file);
    }
}

void OpenFace(CGlyphFace& face, const char* fileName) {
    const std::string path = FindSystemFont(fileName);
    if (path.empty() || !face.Open(path)) {
        BakeFail(std::string("cannot open the font ") + fileName + " (install fonts-dejavu-core)");
    }
}

CCanvas PaintTexture(const ArtSources& art, const std::string& name, int width, int height) {
    if (name == "texpack_face") {
        return PaintAtlas(art, width, height);
    }
    if (name == "bakgrund") {
        return PaintBackground(art, width, height);
    }
    if (name == "stolpar") {
        return PaintFrame(art, width, height);
    }
    if (name == "border") {
        return PaintBorderBar(art, width, height);
    }
    if (name == "bottom") {
        return PaintBottomStrip(art, width, height);
    }
    if (name == "dark") {
        return PaintDarkPanel(art, width, height);
    }
    if (name == "logga") {
        return PaintTitleLogo(art, width, height);
    }
    if (name == "qvt_logo") {
        return PaintStudioLogo(art, width, height);
    }
    if (name == "mousecursor") {
        return PaintMouseCursor(art, width, height);
    }
    if (name.rfind("slider_", 0) == 0) {
        return PaintSliderStrip(art, name, width, height);
    }
    BakeFail("data/art/textures.txt names '" + name + "', which no painter makes");
}
}  // namespace

BakedFiles BakeGraphics(const BakeContext& context) {
    ArtSources art;
    LoadConfig(art.textures, context, "textures.txt");
    LoadConfig(art.atlas, context, "atlas.txt");
    LoadConfig(art.balls, context, "balls.txt");
    LoadConfig(art.scene, context, "scene.txt");
    art.plan.Read(art.atlas, art.textures);
    OpenFace(art.bold, "DejaVuSans-Bold.ttf");
    OpenFace(art.regular, "DejaVuSans.ttf");
    const int quality = static_cast<int>(art.textures.Number("jpeg_quality"));

    BakedFiles files;
    for (const ArtRecord* record : art.textures.All("texture")) {
        const std::string where = art.textures.Path() + ":" + std::to_string(record->line);
        if (record->values.size() != 4) {
            BakeFail(where + ": need 'texture <name> <format> <width> <height>'");
        }
        const std::string& name = record->values[0];
        const std::string& format = record->values[1];
        const int width = static_cast<int>(ParseNumber(record->values[2], where));
        const int height = static_cast<int>(ParseNumber(record->values[3], where));
        const CCanvas canvas = PaintTexture(art, name, width, height);
        if (canvas.Width() != width || canvas.Height() != height) {
            BakeFail(where + ": the painter of '" + name + "' made a picture of another size");
        }
        if (format == "tga32" || format == "tga24") {
            files.push_back({name + ".tga", CanvasToTga(canvas, format == "tga32")});
        } else if (format == "jpg") {
            files.push_back({name + ".jpg", CanvasToJpeg(canvas, quality)});
        } else {
            BakeFail(where + ": unknown format '" + format + "'");
        }
    }
    return files;
}

BakedFiles BakeIcons(const BakeContext& context) {
    ArtSources art;
    LoadConfig(art.balls, context, "balls.txt");
    LoadConfig(art.scene, context, "scene.txt");
    BakedFiles files;
    for (const int size : kIconSizes) {
        const CCanvas icon = PaintIcon(art, size);
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        files.push_back({folder + "/pellora.png", EncodePng(icon.ToRgba8(), size, size)});
    }
    return files;
}
