// pellora-preview <data-folder> <out-folder>
// Reads the baked gfx.nuf and composes PNG previews for the artist: every texture on a
// checkerboard, a mock game scene laid out with the field geometry of the game, and a
// mock menu. The scene is drawn the way the game draws (straight alpha blending, the
// proportional font layout of the font info files), so what looks right here looks
// right in the game. The archive, the pictures and the font info files are read with the
// game's own readers; the sprites are cut with the game's atlas region table.
#include "AtlasRegions.h"
#include "core/Log.h"
#include "game/BallTypes.h"
#include "resources/FileManager.h"
#include "resources/FileSystemZip.h"
#include "resources/FontInfo.h"
#include "resources/Image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>
#include <zlib.h>

namespace {
struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;  // straight alpha, 0..1
    const float* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

struct Colour {
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
};

// The picture as straight-alpha floats.
Image FromLoaded(const CImage& loaded) {
    Image image;
    image.width = loaded.width;
    image.height = loaded.height;
    image.rgba.assign(static_cast<size_t>(image.width) * image.height * 4, 1.0f);
    const size_t pixels = static_cast<size_t>(image.width) * image.height;
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = &loaded.pixels[i * loaded.bytesPerPixel];
        for (int c = 0; c < loaded.bytesPerPixel; ++c) {
            image.rgba[i * 4 + c] = p[c] / 255.0f;
        }
    }
    return image;
}

void Sample(const Image& image, float u, float v, float out[4]) {
    // Bilinear with clamping, as the game's linear filter and clamp addressing.
    const float x = u * image.width - 0.5f;
    const float y = v * image.height - 0.5f;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0;
    const float fy = y - y0;
    for (int c = 0; c < 4; ++c) {
        out[c] = 0.0f;
    }
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            const int sx = std::min(std::max(x0 + i, 0), image.width - 1);
            const int sy = std::min(std::max(y0 + j, 0), image.height - 1);
            const float weight = (i ? fx : 1.0f - fx) * (j ? fy : 1.0f - fy);
            const float* p = image.At(sx, sy);
            // Premultiply for filtering.
            out[0] += p[0] * p[3] * weight;
            out[1] += p[1] * p[3] * weight;
            out[2] += p[2] * p[3] * weight;
            out[3] += p[3] * weight;
        }
    }
}

// Draws the texture rectangle (u0, v0)-(u1, v1) onto the quad with top-left (x, y), size
// (w, h), rotated by angle degrees about (px, py), tinted by colour.
void DrawQuad(Image& target, const Image& texture, float u0, float v0, float u1, float v1, float x, float y, float w, float h,
              const Colour& tint, float angle = 0.0f, float px = 0.0f, float py = 0.0f) {
    const float radians = angle * 3.14159265f / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float reach = std::sqrt(w * w + h * h) + std::fabs(px - x) + std::fabs(py - y);
    const int xs = static_cast<int>(std::floor(angle != 0.0f ? px - reach : x));
    const int xe = static_cast<int>(std::ceil(angle != 0.0f ? px + reach : x + w));
    const int ys = static_cast<int>(std::floor(angle != 0.0f ? py - reach : y));
    const int ye = static_cast<int>(std::ceil(angle != 0.0f ? py + reach : y + h));
    for (int ty = std::max(ys, 0); ty < std::min(ye, target.height); ++ty) {
        for (int tx = std::max(xs, 0); tx < std::min(xe, target.width); ++tx) {
            float qx = tx + 0.5f;
            float qy = ty + 0.5f;
            if (angle != 0.0f) {
                const float dx = qx - px;
                const float dy = qy - py;
                qx = px + dx * c + dy * s;
                qy = py - dx * s + dy * c;
            }
            const float lu = (qx - x) / w;
            const float lv = (qy - y) / h;
            if (lu < 0.0f || lu >= 1.0f || lv < 0.0f || lv >= 1.0f) {
                continue;
            }
            float p[4];
            Sample(texture, u0 + (u1 - u0) * lu, v0 + (v1 - v0) * lv, p);
            const float alpha = p[3] * tint.a;
            if (alpha <= 0.0f) {
                continue;
            }
            float* d = &target.rgba[(static_cast<size_t>(ty) * target.width + tx) * 4];
            const float inv = p[3] > 0.0f ? 1.0f / p[3] : 0.0f;
            d[0] = p[0] * inv * tint.r * alpha + d[0] * (1.0f - alpha);
            d[1] = p[1] * inv * tint.g * alpha + d[1] * (1.0f - alpha);
            d[2] = p[2] * inv * tint.b * alpha + d[2] * (1.0f - alpha);
            d[3] = 1.0f;
        }
    }
}

void DrawImage(Image& target, const Image& texture, float x, float y, const Colour& tint = Colour()) {
    DrawQuad(target, texture, 0, 0, 1, 1, x, y, static_cast<float>(texture.width), static_cast<float>(texture.height), tint);
}

using Textures = std::map<std::string, Image>;

// Draws one frame of an atlas region from its texture.
void DrawRegion(Image& target, const Textures& textures, const Atlas::Region& region, int frame, float x, float y, float w,
                float h, const Colour& tint = Colour(), float angle = 0.0f, float px = 0.0f, float py = 0.0f) {
    const auto texture = textures.find(region.texture);
    if (texture == textures.end()) {
        return;
    }
    const Atlas::Uv uv = region.FrameUv(frame);
    DrawQuad(target, texture->second, uv.left, uv.top, uv.right, uv.bottom, x, y, w, h, tint, angle, px, py);
}

// A ball of the field or the launcher by its cell code.
void DrawBall(Image& target, const Textures& textures, int32_t code, float x, float y) {
    const Atlas::Region& region = BallInSpecialsRegion(code) ? Atlas::kSpecials : Atlas::kBalls;
    DrawRegion(target, textures, region, BallAtlasFrame(code), x, y, static_cast<float>(region.width),
               static_cast<float>(region.height));
}

struct Font {
    const Image* texture = nullptr;
    int cellWidth = 32;
    std::vector<FontGlyphInfo> glyphs = std::vector<FontGlyphInfo>(kFontInfoGlyphs);
};

// A font of the archive: its texture and its font info file; false when either is missing
// or the info file is damaged.
bool LoadFont(const Textures& textures, const char* texture, const char* infoFile, int cellWidth, Font& font) {
    const auto image = textures.find(texture);
    std::vector<uint8_t> bytes;
    if (image == textures.end() || !CFileManager::Get().LoadWholeFile(infoFile, bytes) || !DecodeFontInfo(bytes, font.glyphs)) {
        std::fprintf(stderr, "pellora-preview: no font %s with %s\n", texture, infoFile);
        return false;
    }
    font.texture = &image->second;
    font.cellWidth = cellWidth;
    return true;
}

int Measure(const Font& font, const char* text, int charWidth) {
    const float scale = static_cast<float>(charWidth) / font.cellWidth;
    int pen = 0;
    for (const char* p = text; *p != 0; ++p) {
        const FontGlyphInfo& e = font.glyphs[static_cast<uint8_t>(*p)];
        pen += static_cast<int>((e.leftSpace + e.glyphWidth + e.rightSpace) * scale);
    }
    return pen;
}

void Print(Image& target, const Font& font, const char* text, float x, float y, int charSize, const Colour& tint) {
    const float scale = static_cast<float>(charSize) / font.cellWidth;
    int pen = 0;
    for (const char* p = text; *p != 0; ++p) {
        const int code = static_cast<uint8_t>(*p);
        const FontGlyphInfo& e = font.glyphs[code];
        const float left = x + pen + static_cast<int>(e.leftSpace * scale);
        const float width = static_cast<int>(e.glyphWidth * scale);
        const int row = code / 16;
        if (e.glyphWidth > 0) {
            DrawQuad(target, *font.texture, static_cast<float>(e.texX + e.leftSpace) / (font.cellWidth * 16), row / 16.0f,
                     static_cast<float>(e.texX + e.leftSpace + e.glyphWidth) / (font.cellWidth * 16), (row + 1) / 16.0f,
                     left - 0.5f, y - 0.5f, width, static_cast<float>(charSize), tint);
        }
        pen += static_cast<int>((e.leftSpace + e.glyphWidth + e.rightSpace) * scale);
    }
}

void PrintCentered(Image& target, const Font& font, const char* text, float x, float y, int charSize, const Colour& tint) {
    Print(target, font, text, x - Measure(font, text, charSize) / 2, y, charSize, tint);
}

void WritePng(const Image& image, const std::string& path) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const float* p = image.At(x, y);
            for (int c = 0; c < 3; ++c) {
                raw.push_back(static_cast<uint8_t>(std::lround(std::min(std::max(p[c], 0.0f), 1.0f) * 255.0f)));
            }
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6);
    packed.resize(packedSize);
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&out](const char* type, const std::vector<uint8_t>& data) {
        const uint32_t length = static_cast<uint32_t>(data.size());
        for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(length >> (i * 8)));
        std::vector<uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        const uint32_t crc = static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size())));
        for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(crc >> (i * 8)));
    };
    std::vector<uint8_t> header;
    for (int v : {image.width, image.height}) {
        for (int i = 3; i >= 0; --i) header.push_back(static_cast<uint8_t>(v >> (i * 8)));
    }
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", {});
    if (!WriteFileAtPath(path, out.data(), out.size())) {
        std::fprintf(stderr, "pellora-preview: cannot write %s\n", path.c_str());
    }
}

Image Blank(int width, int height, bool checker) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.assign(static_cast<size_t>(width) * height * 4, 1.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float* d = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
            const float v = checker ? (((x / 8) + (y / 8)) % 2 ? 0.55f : 0.75f) : 0.0f;
            d[0] = d[1] = d[2] = v;
        }
    }
    return image;
}

Image Scaled(const Image& source, int factor) {
    Image out = Blank(source.width * factor, source.height * factor, true);
    DrawQuad(out, source, 0, 0, 1, 1, 0, 0, static_cast<float>(out.width), static_cast<float>(out.height), Colour());
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pellora-preview <data-folder> <out-folder>\n");
        return 2;
    }
    const std::string out = argv[2];
    const std::string archive = std::string(argv[1]) + "/gfx.nuf";
    // Failures are told on stderr; the tool writes no log file.
    CLog::Get().SetEnabled(false);
    CFileSystemZip listing;
    if (!listing.Mount(archive)) {
        std::fprintf(stderr, "pellora-preview: cannot read %s\n", archive.c_str());
        return 1;
    }
    CFileManager::Get().MountFileSystem(archive);
    Textures textures;
    for (const CFileSystemZip::Entry& entry : listing.GetEntries()) {
        const std::string& name = entry.name;
        if (name.size() <= 4 || (name.compare(name.size() - 4, 4, ".tga") != 0 && name.compare(name.size() - 4, 4, ".jpg") != 0)) {
            continue;
        }
        const std::string base = name.substr(0, name.size() - 4);
        CImage loaded;
        if (!CImageLoader::Get().LoadImage(base, loaded)) {
            std::fprintf(stderr, "pellora-preview: %s does not decode\n", name.c_str());
            return 1;
        }
        const Image image = FromLoaded(loaded);
        const int factor = image.width <= 64 ? 4 : (image.width <= 256 ? 2 : 1);
        WritePng(Scaled(image, factor), out + "/tex_" + base + ".png");
        textures[base] = image;
    }
    Font main, small, third;
    const bool haveFonts = LoadFont(textures, "font", "fontdata.dat", 32, main) &&
                           LoadFont(textures, "font2", "fontdata2.dat", 16, small) &&
                           LoadFont(textures, "font3", "fontdata3.dat", 32, third);

    // The game scene.
    Image scene = Blank(640, 480, false);
    DrawImage(scene, textures["bakgrund"], 0, 0);
    DrawImage(scene, textures["stolpar"], 64, 2);
    const float drop = 28.0f;  // the field has moved down one row
    DrawImage(scene, textures["border"], 157, drop + 0.0f);
    DrawImage(scene, textures["border"], 157, drop - 32.0f);
    DrawImage(scene, textures["bottom"], 0, 450);
    DrawImage(scene, textures["bottom"], 320, 450);
    const char* rows[] = {"0011223344", "501122334", "55x6677001", "ab0c7d122", "4455e66770", "01.2.34", "....5"};
    for (int r = 0; r < 7; ++r) {
        for (int c = 0; rows[r][c] != 0; ++c) {
            const char k = rows[r][c];
            if (k == '.') continue;
            const int code = k >= 'a' ? 8 + (k - 'a') : (k == 'x' ? 13 : k - '0');
            DrawBall(scene, textures, code, 160.0f + 32 * c + (r % 2 ? 16 : 0), 32.0f + drop + 28 * r);
        }
    }
    DrawRegion(scene, textures, Atlas::kParticle, 0, 250, 200, 24, 24, Colour{0.65f, 0.65f, 0.65f, 0.8f});
    DrawRegion(scene, textures, Atlas::kParticle, 0, 262, 214, 16, 16, Colour{0.7f, 0.7f, 0.7f, 0.6f});
    DrawRegion(scene, textures, Atlas::kArrows, 0, 330, 32 + drop + 28 * 4, 32, 32);
    // Launcher aimed up-left, the current ball on its pivot, the next ball.
    DrawRegion(scene, textures, Atlas::kLauncher, 0, 288, 386, 64, 64, Colour(), -20.0f, 320, 418);
    DrawBall(scene, textures, 2, 304, 402);
    DrawBall(scene, textures, 5, 170, 410);
    // Countdown digit.
    DrawRegion(scene, textures, Atlas::kDigits, 3, 195, 390, 48, 48, Colour{1, 1, 1, 0.6f});
    // HUD, the menu button hovered.
    DrawRegion(scene, textures, Atlas::kButtonExit, 0, 600, 5, 32, 32);
    DrawRegion(scene, textures, Atlas::kButtonMenu, 1, 568, 5, 32, 32);
    DrawRegion(scene, textures, Atlas::kButtonPause, 0, 536, 5, 32, 32);
    DrawRegion(scene, textures, Atlas::kLife, 0, 18, 6, 32, 32);
    if (haveFonts) {
        Print(scene, main, "x", 53, 4, 32, Colour());
        Print(scene, main, "3", 74, 4, 32, Colour());
        PrintCentered(scene, main, "Go to the", 583, 50, 22, Colour());
        PrintCentered(scene, main, "Main menu", 583, 70, 22, Colour());
        PrintCentered(scene, main, "LEVEL 12", 583, 425, 24, Colour());
        PrintCentered(scene, main, "\xC5" "sa \xD6" "berg", 58, 425, 24, Colour());
        Print(scene, third, "12750", 472, 419, 32, Colour{0, 0, 0, 0.5f});
        Print(scene, third, "12750", 470, 417, 32, Colour());
        PrintCentered(scene, main, "+250", 390, 150, 32, Colour{1, 1, 0.5f, 1});
        PrintCentered(scene, small, "small font: \xE5\xE4\xF6 \xC5\xC4\xD6 0123456789 \x80", 320, 300, 16, Colour());
    }
    WritePng(scene, out + "/scene_game.png");

    // A menu over the backdrop.
    Image menu = Blank(640, 480, false);
    DrawImage(menu, textures["bakgrund"], 0, 0);
    DrawImage(menu, textures["stolpar"], 64, 2);
    DrawImage(menu, textures["border"], 157, 0);
    DrawImage(menu, textures["bottom"], 0, 450);
    DrawImage(menu, textures["bottom"], 320, 450);
    DrawQuad(menu, textures["dark"], 0, 0, 1, 1, 120, 90, 400, 240, Colour());
    const Image& logo = textures["logga"];
    DrawImage(menu, logo, 320.0f - logo.width / 2, 40.0f - logo.height / 2);
    if (haveFonts) {
        const char* items[] = {"Play", "Change player", "Child mode OFF", "Highscore", "Game Options", "Exit game"};
        for (int i = 0; i < 6; ++i) {
            PrintCentered(menu, main, items[i], 320, 110.0f + 36 * i, 32, i == 1 ? Colour{1, 1, 0, 1} : Colour());
        }
        PrintCentered(menu, main, "Current Player", 320, 380, 16, Colour());
        PrintCentered(menu, main, "\xC5" "sa \xD6" "berg", 320, 400, 32, Colour{1, 1, 0.5f, 1});
        PrintCentered(menu, main, "Pellora - made with care, 2026", 322, 460, 16, Colour{0, 0, 0, 1});
        PrintCentered(menu, main, "Pellora - made with care, 2026", 320, 458, 16, Colour());
    }
    // A slider under the menu.
    DrawRegion(menu, textures, Atlas::kSliderLeftStrip, 0, 195, 340, 10, 32);
    DrawRegion(menu, textures, Atlas::kSliderMiddleStrip, 0, 205, 340, 230, 32);
    DrawRegion(menu, textures, Atlas::kSliderRightStrip, 0, 435, 340, 10, 32);
    DrawRegion(menu, textures, Atlas::kSliderKnobStrip, 1, 205 + 230 * 0.6f - 12, 344, 24, 24);
    DrawImage(menu, textures["mousecursor"], 330, 150);
    WritePng(menu, out + "/scene_menu.png");

    Image intro = Blank(640, 480, false);
    DrawImage(intro, textures["qvt_logo"], 0, 0);
    WritePng(intro, out + "/scene_intro.png");
    std::printf("pellora-preview: %zu textures\n", textures.size());
    return 0;
}
