#pragma once
// The atlas plan of data/art/atlas.txt: every named region of every baked texture, in the
// order of the file. The baker paints the atlas from it and writes the game's table of it
// (AtlasRegions.h), so the game, the tools and the tests cut sprites from one list.
#include "tools/bake/ArtConfig.h"

#include <string>
#include <vector>

// One region of a texture: frame f lies at (x + (f mod columns) w, y + (f div columns) h).
struct AtlasRegion {
    int x = 0, y = 0, width = 0, height = 0, frames = 1, columns = 1;
    int FrameX(int frame) const { return x + (frame % columns) * width; }
    int FrameY(int frame) const { return y + (frame / columns) * height; }
    int Rows() const { return (frames + columns - 1) / columns; }
};

struct AtlasEntry {
    std::string name;
    std::string texture;
    int textureWidth = 0;
    int textureHeight = 0;
    AtlasRegion region;
};

class CAtlasPlan {
public:
    // Reads atlas.txt against textures.txt (which gives each texture's size). Stops the bake
    // naming the line when a record is malformed, a name is not a lower case word or is used
    // twice, a region comes before any texture, a texture is not baked, or a frame lies
    // outside its texture.
    void Read(const CArtConfig& atlas, const CArtConfig& textures);

    const std::vector<AtlasEntry>& Entries() const { return m_entries; }
    // The region called name in texture; stops the bake when there is none.
    const AtlasRegion& Find(const std::string& texture, const std::string& name) const;

private:
    std::string m_path;
    std::vector<AtlasEntry> m_entries;
};

// The name of a region's constant in the table: "button_pause" is "kButtonPause".
std::string AtlasConstantName(const std::string& regionName);
// The text of AtlasRegions.h for the plan: same plan, same bytes.
std::string AtlasHeaderText(const CAtlasPlan& plan);
