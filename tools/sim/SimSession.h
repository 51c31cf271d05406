#pragma once
// Plays one level headless through the real per-step update of CPlayfield, the way the
// game drives it: one fixed step after another, the player's clicks as input, the
// playfield's events answered as the game answers them.
#include "game/Playfield.h"
#include "game/Bot.h"

#include <cstddef>
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

// What the field checks compare against: the loaded level's column nine, how long power-ups
// have been resolving, and the balls taken off before this attempt and never scored.
struct InvariantState {
    BallCell loadedColumnNine[kBoardRows];
    int32_t resolvingSteps = 0;
    int64_t uncountedBefore = 0;
};
// After a level is loaded on playfield: what the checks start from.
void RememberLoad(const CPlayfield& playfield, InvariantState& state);
// The first broken rule of the field after a step (codes, short rows, falling balls,
// power-ups that never settle, removed balls counted), empty when none.
std::string CheckInvariants(const CPlayfield& playfield, InvariantState& state);

// Plays one level on the given playfield, which may have played other levels before, as
// the game's playfield has.
LevelResult PlayLevel(CPlayfield& playfield, const LevelBytes& level, const SimOptions& options, CBot& bot);

// One game through the pack the way the game's screen plays it (CGameFlow): the score,
// the lives and the statistics are carried from level to level, extra lives are given,
// the accuracy bonus is paid, a lost life replays the level and the game ends at game
// over or after the last level. With packCheck every level is judged: a game lost on a
// level continues it once with a fresh set of lives (the score kept), and a level lost
// again is not cleared; the game goes on at the next level with fresh lives.
struct GameOptions {
    size_t first = 0;          // the first and last level played, counted from 0
    size_t last = SIZE_MAX;
    bool packCheck = false;
};

struct GameLevelResult {
    LevelResult level;         // shots, score and steps of this level alone
    int32_t livesAfter = 0;    // spare lives when it ended
    int32_t rescues = 0;       // fresh sets of lives it needed (pack check)
};

struct GameResult {
    std::vector<GameLevelResult> levels;   // in the order played
    int32_t score = 0;
    int32_t lives = 0;          // spare lives at the end
    int32_t extraLives = 0;     // extra lives given by the score
    int32_t accuracyBonus = 0;  // summed over the finished levels
    bool packDone = false;      // the game went past the last level
    bool gameOver = false;      // the game ended with the last life lost
    int64_t steps = 0;
    std::string fault;          // the first broken invariant, empty when none
    int32_t LevelsCleared() const;
};

GameResult PlayGame(const std::vector<LevelBytes>& levels, const GameOptions& game, const SimOptions& options,
                    CBot& bot);

// Level files from the sources in a folder (01.txt, 02.txt, ...), or from a level pack
// (a folder or archive mounted through the file manager: 1.lvl, 2.lvl, ...).
bool LoadLevelSources(const std::string& folder, std::vector<LevelBytes>& out, std::string& error);
bool LoadLevelPack(const std::string& path, std::vector<LevelBytes>& out, std::string& error);
