// pellora_e2e_files: the end-to-end tests' own files for a data folder.
//   pellora_e2e_files saved-game <level text> <lives> <score> <save file> <field file>
// writes the saved game of a game that has just started the level (level 1 of the pack,
// normal difficulty) with the given spare lives and score, as the game would save it.
#include "core/Random.h"
#include "game/LevelText.h"
#include "game/Playfield.h"
#include "game/SavedGame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
bool WriteBytes(const char* path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "pellora_e2e_files: cannot write %s\n", path);
        return false;
    }
    return true;
}

bool ReadLevel(const char* path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    BoardGrid grid;
    std::string error;
    if (!in || !ParseLevelText(text.str(), grid, error)) {
        std::fprintf(stderr, "pellora_e2e_files: %s: %s\n", path, in ? error.c_str() : "cannot read");
        return false;
    }
    bytes.resize(kLevelFileSize);
    LevelFileBytes(grid, bytes.data());
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 7 || std::strcmp(argv[1], "saved-game") != 0) {
        std::fprintf(stderr, "usage: pellora_e2e_files saved-game <level text> <lives> <score> <save file> <field file>\n");
        return 2;
    }
    std::vector<uint8_t> level;
    if (!ReadLevel(argv[2], level)) {
        return 1;
    }
    CPlayfield playfield;
    if (!playfield.LoadLevelBytes(level.data(), level.size())) {
        std::fprintf(stderr, "pellora_e2e_files: the level of %s does not load\n", argv[2]);
        return 1;
    }
    playfield.Random().Seed(1);
    playfield.SetDifficulty(kNormalDifficulty);
    playfield.StartLevel();
    playfield.Progress().lives = std::atoi(argv[3]);
    playfield.Progress().score = std::atoi(argv[4]);
    SavedGameValues values;
    values.firstLevel = 1;
    values.levelNumber = 1;
    values.lastLevel = 0x7FFFFFFF;   // no last level: the whole pack
    values.difficulty = kNormalDifficulty;
    values.levelFileName = "1.lvl";
    std::vector<uint8_t> saveBytes, fieldBytes;
    EncodeSavedGame(CaptureSavedGame(values, playfield), saveBytes, fieldBytes);
    return WriteBytes(argv[5], saveBytes) && WriteBytes(argv[6], fieldBytes) ? 0 : 1;
}
