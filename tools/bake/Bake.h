#pragma once
// The asset baker: every file the game loads is generated here from the sources in
// data/ and packed into the three archives of the data folder. Same sources, same bytes.
#include <cstdint>
#include <string>
#include <vector>

struct BakedFile {
    std::string name;            // the name the game opens, e.g. "texpack_face.tga"
    std::vector<uint8_t> bytes;
};
using BakedFiles = std::vector<BakedFile>;

struct BakeContext {
    std::string sourceRoot;      // the repository root
    std::string dataDir;         // sourceRoot + "/data"
};

// gfx.nuf: textures and fonts.
BakedFiles BakeGraphics(const BakeContext& context);
BakedFiles BakeFonts(const BakeContext& context);
// The desktop icons "<size>x<size>/pellora.png", one for each of kIconSizes (not archived:
// they are installed into the icon theme).
constexpr int kIconSizes[] = {32, 48, 64, 128, 256};
BakedFiles BakeIcons(const BakeContext& context);
// sound.nuf: the sound events and the music.
BakedFiles BakeSounds(const BakeContext& context);
// levels.nuf: the level pack.
BakedFiles BakeLevels(const BakeContext& context);
