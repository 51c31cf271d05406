// pellora-sim: plays level files headless through the real rules.
//   pellora-sim [--difficulty N] [--seed S] (--pack <levels.nuf|folder> | --sources <folder>)
//   pellora-sim --soak <games> [--seed S] (--pack ... | --sources ...)
// Bot mode prints one line per level and exits non-zero when a level was not cleared.
// Soak mode plays random aims over many seeds and checks the field after every step.
#include "core/Log.h"
#include "tools/sim/SimSession.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: pellora-sim [--difficulty N] [--seed S] [--soak GAMES] [--first N] [--last N]\n"
                 "                   (--pack <levels.nuf|folder> | --sources <folder>)\n");
    return 2;
}

int RunBot(const std::vector<LevelBytes>& levels, const SimOptions& options, size_t first, size_t last) {
    // A range that holds no level of the pack would otherwise pass with nothing played.
    if (first >= levels.size() || first > last) {
        std::fprintf(stderr, "pellora-sim: no level in --first %zu --last %zu of a pack of %zu\n", first + 1, last + 1,
                     levels.size());
        return 2;
    }
    last = std::min(last, levels.size() - 1);
    CBot bot;
    CPlayfield playfield;
    int32_t failures = 0;
    for (size_t i = first; i <= last; ++i) {
        const LevelResult result = PlayLevel(playfield, levels[i], options, bot);
        std::printf("level %2zu %-8s %s shots %3d score %8d lives lost %d steps %lld\n", i + 1,
                    levels[i].name.c_str(), result.cleared ? "cleared    " : "NOT CLEARED", result.shots,
                    result.score, result.livesLost, static_cast<long long>(result.steps));
        failures += result.cleared ? 0 : 1;
    }
    const size_t played = last + 1 - first;
    std::printf("%d of %zu levels cleared at difficulty %d\n", static_cast<int>(played) - failures, played,
                options.difficulty);
    return failures == 0 ? 0 : 1;
}

int RunSoak(const std::vector<LevelBytes>& levels, SimOptions options, int32_t games) {
    CBot bot;
    CPlayfield playfield;
    options.randomAims = true;
    options.checkInvariants = true;
    options.stepLimit = 150LL * 60 * 5;
    int64_t steps = 0;
    for (int32_t game = 0; game < games; ++game) {
        const LevelBytes& level = levels[static_cast<size_t>(game) % levels.size()];
        options.seed = options.seed * 1103515245u + 12345u + static_cast<uint32_t>(game);
        const LevelResult result = PlayLevel(playfield, level, options, bot);
        steps += result.steps;
        if (!result.fault.empty()) {
            std::printf("soak game %d (%s, seed %u) FAILED after %lld steps: %s\n", game, level.name.c_str(),
                        options.seed, static_cast<long long>(result.steps), result.fault.c_str());
            return 1;
        }
    }
    std::printf("soak: %d games, %lld steps, every invariant held\n", games, static_cast<long long>(steps));
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    CLog::Get().SetEnabled(false);
    SimOptions options;
    std::string pack, sources;
    int32_t soakGames = 0;
    size_t first = 0, last = 100000;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--difficulty") == 0 && hasValue) {
            options.difficulty = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--seed") == 0 && hasValue) {
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--soak") == 0 && hasValue) {
            soakGames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--pack") == 0 && hasValue) {
            pack = argv[++i];
        } else if (std::strcmp(argv[i], "--sources") == 0 && hasValue) {
            sources = argv[++i];
        } else if (std::strcmp(argv[i], "--first") == 0 && hasValue) {
            first = static_cast<size_t>(std::max(1, std::atoi(argv[++i])) - 1);
        } else if (std::strcmp(argv[i], "--last") == 0 && hasValue) {
            last = static_cast<size_t>(std::max(1, std::atoi(argv[++i])) - 1);
        } else {
            return Usage();
        }
    }
    std::vector<LevelBytes> levels;
    std::string error;
    const bool loaded = !pack.empty() ? LoadLevelPack(pack, levels, error)
                                      : (!sources.empty() ? LoadLevelSources(sources, levels, error) : false);
    if (!loaded) {
        std::fprintf(stderr, "pellora-sim: %s\n", error.empty() ? "no levels given" : error.c_str());
        return error.empty() ? Usage() : 2;
    }
    return soakGames > 0 ? RunSoak(levels, options, soakGames) : RunBot(levels, options, first, last);
}
