// levels.nuf: every level source data/levels/NN.txt (NN = 01, 02, ... without gaps)
// becomes the 1040-byte level file "N.lvl". A source that does not parse or does not
// meet the design rules stops the bake (no levels.nuf) with a message naming the file.
#include "tools/bake/Bake.h"

#include "game/LevelText.h"
#include "resources/File.h"

#include <cstdio>

namespace {
bool ReadText(const std::string& path, std::string& text) {
    std::vector<uint8_t> bytes;
    if (!ReadFileAtPath(path, bytes)) {
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}
}  // namespace

BakedFiles BakeLevels(const BakeContext& context) {
    BakedFiles files;
    for (int number = 1;; ++number) {
        char sourceName[32];
        std::snprintf(sourceName, sizeof(sourceName), "%02d.txt", number);
        const std::string path = context.dataDir + "/levels/" + sourceName;
        std::string text;
        if (!ReadText(path, text)) {
            break;
        }
        BoardGrid grid;
        std::string error;
        if (!ParseLevelText(text, grid, error) || !CheckLevelDesign(grid, LevelCheckRules(), error)) {
            std::fprintf(stderr, "pellora-bake: BakeLevels FAILED, %s: %s\n", path.c_str(), error.c_str());
            return {};
        }
        BakedFile file;
        file.name = std::to_string(number) + ".lvl";
        file.bytes.resize(kLevelFileSize);
        LevelFileBytes(grid, file.bytes.data());
        files.push_back(std::move(file));
    }
    return files;
}
