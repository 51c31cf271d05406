#include "tools/bake/AtlasPlan.h"

#include <cstdio>

namespace {
// A lower case word, or words joined by single '_': "balls", "button_pause".
bool IsRegionName(const std::string& name) {
    if (name.empty() || name.front() < 'a' || name.front() > 'z' || name.back() == '_') {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool word = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        const bool joint = c == '_' && name[i - 1] != '_';
        if (!word && !joint) {
            return false;
        }
    }
    return true;
}

int ParseCount(const std::string& text, const std::string& where) {
    const float value = ParseNumber(text, where);
    const int count = static_cast<int>(value);
    if (static_cast<float>(count) != value) {
        BakeFail(where + ": not a whole number: '" + text + "'");
    }
    return count;
}

// The size textures.txt gives the texture, or false when it does not bake it.
bool TextureSize(const CArtConfig& textures, const std::string& name, int& width, int& height) {
    const ArtRecord* record = textures.Find("texture", name);
    if (record == nullptr || record->values.size() != 4) {
        return false;
    }
    const std::string where = textures.Path() + ":" + std::to_string(record->line);
    width = ParseCount(record->values[2], where);
    height = ParseCount(record->values[3], where);
    return true;
}

AtlasRegion ParseRegion(const ArtRecord& record, const std::string& where) {
    if (record.values.size() != 6 && record.values.size() != 7) {
        BakeFail(where + ": need 'region <name> <x> <y> <w> <h> <frames> [columns]'");
    }
    AtlasRegion region;
    region.x = ParseCount(record.values[1], where);
    region.y = ParseCount(record.values[2], where);
    region.width = ParseCount(record.values[3], where);
    region.height = ParseCount(record.values[4], where);
    region.frames = ParseCount(record.values[5], where);
    region.columns = record.values.size() == 7 ? ParseCount(record.values[6], where) : region.frames;
    if (region.frames <= 0 || region.columns <= 0 || region.width <= 0 || region.height <= 0) {
        BakeFail(where + ": a region needs a size and at least one frame and column");
    }
    return region;
}

bool FitsTexture(const AtlasEntry& entry) {
    const AtlasRegion& r = entry.region;
    const int columns = r.frames < r.columns ? r.frames : r.columns;
    return r.x >= 0 && r.y >= 0 && r.x + columns * r.width <= entry.textureWidth &&
           r.y + r.Rows() * r.height <= entry.textureHeight;
}
}  // namespace

void CAtlasPlan::Read(const CArtConfig& atlas, const CArtConfig& textures) {
    m_path = atlas.Path();
    m_entries.clear();
    std::string texture;
    int textureWidth = 0;
    int textureHeight = 0;
    for (const ArtRecord& record : atlas.Records()) {
        const std::string where = atlas.Path() + ":" + std::to_string(record.line);
        if (record.kind == "texture") {
            if (record.values.size() != 1 || !TextureSize(textures, record.values[0], textureWidth, textureHeight)) {
                BakeFail(where + ": need 'texture <name>' naming a texture of " + textures.Path());
            }
            texture = record.values[0];
            continue;
        }
        if (record.kind != "region") {
            BakeFail(where + ": unknown record '" + record.kind + "'");
        }
        if (texture.empty()) {
            BakeFail(where + ": a region before any 'texture <name>'");
        }
        AtlasEntry entry;
        entry.name = record.values.empty() ? std::string() : record.values[0];
        if (!IsRegionName(entry.name)) {
            BakeFail(where + ": a region name is a lower case word or words joined by '_': '" + entry.name + "'");
        }
        for (const AtlasEntry& other : m_entries) {
            if (other.name == entry.name) {
                BakeFail(where + ": the region name '" + entry.name + "' is used twice");
            }
        }
        entry.texture = texture;
        entry.textureWidth = textureWidth;
        entry.textureHeight = textureHeight;
        entry.region = ParseRegion(record, where);
        if (!FitsTexture(entry)) {
            BakeFail(where + ": the frames of '" + entry.name + "' run outside " + texture);
        }
        m_entries.push_back(entry);
    }
    if (m_entries.empty()) {
        BakeFail(atlas.Path() + ": no region");
    }
}

const AtlasRegion& CAtlasPlan::Find(const std::string& texture, const std::string& name) const {
    for (const AtlasEntry& entry : m_entries) {
        if (entry.texture == texture && entry.name == name) {
            return entry.region;
        }
    }
    BakeFail(m_path + ": need 'region " + name + " <x> <y> <w> <h> <frames> [columns]' in texture " + texture);
}

std::string AtlasConstantName(const std::string& regionName) {
    std::string constant = "k";
    bool wordStart = true;
    for (const char c : regionName) {
        if (c == '_') {
            wordStart = true;
            continue;
        }
        constant += wordStart && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        wordStart = false;
    }
    return constant;
}

std::string AtlasHeaderText(const CAtlasPlan& plan) {
    std::string text =
        "#pragma once\n"
        "// Generated by pellora-bake from data/art/atlas.txt: where each sprite lies in the baked\n"
        "// textures. Change atlas.txt, never this file.\n"
        "#include <cstdint>\n"
        "\n"
        "namespace Atlas {\n"
        "// Texture coordinates of a rectangle, 0..1.\n"
        "struct Uv {\n"
        "    float left, top, right, bottom;\n"
        "};\n"
        "\n"
        "// A region of a texture, in texels: frame f lies at (x + (f mod columns) width,\n"
        "// y + (f div columns) height).\n"
        "struct Region {\n"
        "    const char* name;\n"
        "    const char* texture;\n"
        "    int32_t textureWidth, textureHeight;\n"
        "    int32_t x, y, width, height;\n"
        "    int32_t frames, columns;\n"
        "\n"
        "    constexpr int32_t Rows() const { return (frames + columns - 1) / columns; }\n"
        "    constexpr int32_t FrameX(int32_t frame) const { return x + (frame % columns) * width; }\n"
        "    constexpr int32_t FrameY(int32_t frame) const { return y + (frame / columns) * height; }\n"
        "    // A texel position of the texture as a texture coordinate.\n"
        "    constexpr float U(float texelX) const { return texelX / static_cast<float>(textureWidth); }\n"
        "    constexpr float V(float texelY) const { return texelY / static_cast<float>(textureHeight); }\n"
        "    // One frame's size as texture coordinates: the step of the frame grid.\n"
        "    constexpr float FrameU() const { return U(static_cast<float>(width)); }\n"
        "    constexpr float FrameV() const { return V(static_cast<float>(height)); }\n"
        "    constexpr Uv FrameUv(int32_t frame) const {\n"
        "        const float left = static_cast<float>(FrameX(frame));\n"
        "        const float top = static_cast<float>(FrameY(frame));\n"
        "        return {U(left), V(top), U(left + static_cast<float>(width)), V(top + static_cast<float>(height))};\n"
        "    }\n"
        "};\n"
        "\n";
    std::string list;
    for (const AtlasEntry& entry : plan.Entries()) {
        const AtlasRegion& r = entry.region;
        char line[512];
        std::snprintf(line, sizeof(line), "inline constexpr Region %s{\"%s\", \"%s\", %d, %d, %d, %d, %d, %d, %d, %d};\n",
                      AtlasConstantName(entry.name).c_str(), entry.name.c_str(), entry.texture.c_str(), entry.textureWidth,
                      entry.textureHeight, r.x, r.y, r.width, r.height, r.frames, r.columns);
        text += line;
        list += (list.empty() ? "    " : ",\n    ") + AtlasConstantName(entry.name);
    }
    text += "\n// Every region, in the order of atlas.txt.\n";
    text += "inline constexpr Region kAllRegions[] = {\n" + list + "};\n";
    text += "}  // namespace Atlas\n";
    return text;
}
