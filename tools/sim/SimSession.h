#pragma once
// Plays one level headless through the real per-step update of CPlayfield, the way the
// game drives it: one fixed step after another, the player's clicks as input, the
// playfield's events answered as the game answers them.
#include "game/Playfield.h"
#include "tools/sim/Bot.h"

#include <cstdint>
#include <string>
#include <vector>

struct LevelBytes {
    std::string name;
    std::vector<uint8_t> bytes;   // the 1040-byte level file
};

struct SimOptions {
    int32_t difficulty = kNormalDifficulty;
    uint32_t seed = 1;
    bool randomAims = false;        // the soak run's player instead of the bot
    bool checkInvariants = false;   // check the field after every step
    int64_t stepLimit = 150LL * 60 * 30;
};

struct LevelResult {
    bool cleared = false;
    int32_t shots = 0;
    int32_t score = 0;
    int32_t livesLost = 0;
    int64_t steps = 0;
    std::string fault;   // the first broken invariant, empty when none
};

// Plays one level on the given playfield, which may have played other levels before, as
// the game's playfield has.
LevelResult PlayLevel(CPlayfield& playfield, const LevelBytes& level, const SimOptions& options, CBot& bot);

// Level files from the sources in a folder (01.txt, 02.txt, ...), or from a level pack
// (a folder or archive mounted through the file manager: 1.lvl, 2.lvl, ...).
bool LoadLevelSources(const std::string& folder, std::vector<LevelBytes>& out, std::string& error);
bool LoadLevelPack(const std::string& path, std::vector<LevelBytes>& out, std::string& error);
