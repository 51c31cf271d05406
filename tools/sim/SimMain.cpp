// pellora-sim: plays level files headless through the real rules.
//   pellora-sim [--difficulty N] [--seed S] [--one-game] [--check-field] (--pack <levels.nuf|folder> | --sources <folder>)
//   pellora-sim --soak <games> [--seed S] (--pack ... | --sources ...)
//   pellora-sim --report [--seeds N] [--seed S] [--table FILE] [--chart FILE] [--check] (--pack ... | --sources ...)
//   pellora-sim --versus STRENGTH_A STRENGTH_B [--rounds N] [--seed S] [--difficulty N] [--check-field] [--no-attacks]
//   pellora-sim --replay FILE [--pack ... | --sources ...]   (the shipped pack by default)
//   pellora-sim --match-record FILE
// Bot mode plays the pack as one game the way the game's screen does (lives, score and
// statistics carried from level to level) and prints one line per level. It checks the
// pack: a game lost on a level continues it once with fresh lives, and the run exits
// non-zero when a level was not cleared even so. With --one-game it plays a plain game to
// its end (game over or the pack done) and exits non-zero only on a fault.
// Soak mode plays random aims over many seeds and checks the field after every step.
// Report mode plays every level over N seeds, prints the table of measured difficulty,
// writes the table and the SVG chart of the curve (or, with --check, fails when the
// files differ from what it measured), and fails when a level was never cleared or the
// pack's order does not follow the curve.
// Replay mode plays a recorded game through the rules alone and checks every field
// checksum and the final score against the recording; a difference names its step. Given
// a match record (any kept match, "replays/m*.rec"), it plays both sides' steps through
// the rules and checks that the match ends as the record says; no levels are needed.
// Match-record mode plays the kept steps of a network match that went out of step
// (replays/outofstep.rec) through the rules, both sides, and prints where each side got to
// and its field checksum every second, to set beside the log line of each program.
// Versus mode plays bot against bot on the duel levels (strengths easy, normal, hard, or a
// player who never fires, idle, or the model of a beginner) in
// best-of-three matches until N rounds are played, and prints each round, the wins, the
// round lengths and the attacks; with --check-field it fails on the first broken rule of
// either field.
#include "core/Log.h"
#include "game/ReplayPlayback.h"
#include "game/MatchRecord.h"
#include "resources/File.h"
#include "resources/UserFolders.h"
#include "tools/sim/Report.h"
#include "tools/sim/SimSession.h"
#include "tools/sim/Versus.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: pellora-sim [--difficulty N] [--seed S] [--soak GAMES] [--first N] [--last N]\n"
                 "                   [--one-game] [--check-field]\n"
                 "                   [--report [--seeds N] [--table FILE] [--chart FILE] [--check]]\n"
                 "                   [--replay FILE]   (a game with the shipped pack unless given one, or a match)\n"
                 "                   (--pack <levels.nuf|folder> | --sources <folder>)\n"
                 "       pellora-sim --match-record FILE\n"
                 "       pellora-sim --versus STRENGTH_A STRENGTH_B [--rounds N] [--seed S] [--difficulty N]\n"
                 "                   [--check-field] [--no-attacks]   (sides: easy, normal, hard, idle, beginner)\n");
    return 2;
}

int RunBot(const std::vector<LevelBytes>& levels, const SimOptions& options, GameOptions game) {
    // A range that holds no level of the pack would otherwise pass with nothing played.
    if (game.first >= levels.size() || game.first > game.last) {
        std::fprintf(stderr, "pellora-sim: no level in --first %zu --last %zu of a pack of %zu\n", game.first + 1,
                     game.last + 1, levels.size());
        return 2;
    }
    CBot bot;
    const GameResult result = PlayGame(levels, game, options, bot);
    int32_t number = static_cast<int32_t>(game.first);
    for (const GameLevelResult& played : result.levels) {
        const LevelResult& level = played.level;
        ++number;
        std::printf("level %2d %-8s %s shots %3d score %8d lives lost %d lives left %d steps %lld%s\n", number,
                    levels[static_cast<size_t>(number) - 1].name.c_str(), level.cleared ? "cleared    " : "NOT CLEARED",
                    level.shots, level.score, level.livesLost, played.livesAfter, static_cast<long long>(level.steps),
                    played.rescues > 0 ? " (fresh lives)" : "");
    }
    std::printf("game: score %d, accuracy bonus %d, extra lives %d, lives left %d, %s\n", result.score,
                result.accuracyBonus, result.extraLives, result.lives,
                result.packDone ? "the pack done" : (result.gameOver ? "game over" : "stopped"));
    if (!result.fault.empty()) {
        std::printf("FAILED: %s\n", result.fault.c_str());
        return 1;
    }
    if (!game.packCheck) {
        return 0;
    }
    const size_t played = std::min(game.last, levels.size() - 1) + 1 - game.first;
    const int32_t cleared = result.LevelsCleared();
    std::printf("%d of %zu levels cleared at difficulty %d\n", cleared, played, options.difficulty);
    return static_cast<size_t>(cleared) == played ? 0 : 1;
}

int RunVersus(VersusSimOptions options, const SimOptions& common) {
    options.seed = common.seed;
    options.checkInvariants = common.checkInvariants;
    options.rules.difficulty = common.difficulty;
    const VersusSimResult result = PlayVersus(options);
    std::fputs(FormatVersusReport(options, result).c_str(), stdout);
    if (!result.fault.empty()) {
        std::printf("FAILED: %s\n", result.fault.c_str());
        return 1;
    }
    return result.rounds.empty() ? 1 : 0;
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
using PackLevel = LevelBytes;

class CPackLevels final : public IReplayLevels {
public:
    explicit CPackLevels(const std::vector<PackLevel>& levels) : m_levels(levels) {}
    bool LevelBytes(int32_t number, std::vector<uint8_t>& bytes) override {
        if (number < 1 || static_cast<size_t>(number) > m_levels.size()) {
            return false;
        }
        bytes = m_levels[static_cast<size_t>(number) - 1].bytes;
        return true;
    }

private:
    const std::vector<PackLevel>& m_levels;
};

// Reads a recording and decodes it; false after one line on stderr with the file and why.
template <typename Recording>
bool ReadRecording(const std::string& path,
                   bool (*decode)(const std::vector<uint8_t>&, Recording&, std::string&), Recording& recording) {
    std::vector<uint8_t> bytes;
    std::string why = "cannot be read";
    if (ReadFileAtPath(path, bytes) && decode(bytes, recording, why)) {
        return true;
    }
    std::fprintf(stderr, "pellora-sim: %s: %s\n", path.c_str(), why.c_str());
    return false;
}

int RunReplay(const std::vector<LevelBytes>& levels, const std::string& path) {
    ReplayData replay;
    if (!ReadRecording(path, &DecodeReplay, replay)) {
        return 2;
    }
    const ReplayHeader& header = replay.header;
    std::printf("replay: %s, difficulty %d, level %d, %u steps (%.1f s)%s\n", header.playerName.c_str(),
                header.difficulty, header.levelNumber, header.steps, header.steps / 150.0,
                header.fromSave ? ", begins with a saved game" : "");
    CPackLevels pack(levels);
    const ReplayVerdict verdict = VerifyReplay(replay, pack);
    if (!verdict.agrees) {
        std::printf("DIVERGED at step %u (%.2f s): %s\n", verdict.divergedAt, verdict.divergedAt / 150.0,
                    verdict.why.c_str());
        return 1;
    }
    std::printf("agrees: %u steps, %u field checksums equal", verdict.stepsPlayed, verdict.checksAgreed);
    if (header.finished) {
        std::printf(", final score %u, %d levels finished", verdict.finalScore, verdict.levelsFinished);
    }
    std::printf("\n");
    return 0;
}

const char* ModeName(EMatchMode mode) {
    switch (mode) {
        case EMatchMode::Computer: return "against the computer";
        case EMatchMode::TwoPlayers: return "two players at one machine";
        case EMatchMode::Network:
        default: return "over the network";
    }
}

// A kept match played again through the rules: it must end where the record says.
int RunMatchReplay(const std::string& path) {
    MatchRecord record;
    if (!ReadRecording(path, &DecodeMatchRecord, record)) {
        return 2;
    }
    std::printf("match: %s, seed %u, %u and %u steps (%.1f s)%s\n", ModeName(record.mode), record.seed,
                record.SideSteps(0), record.SideSteps(1), record.LengthSteps() / 150.0,
                record.hasOutcome ? "" : ", no result kept (an older record)");
    const MatchRecordVerdict verdict = VerifyMatchRecord(record);
    const MatchOutcome& played = verdict.played;
    std::printf("played: round %d, rounds won %d - %d, %s\n", played.round, played.roundsWon[0], played.roundsWon[1],
                played.finished ? (played.winner < 0 ? "a draw" : (played.winner == 0 ? "side 0 won" : "side 1 won"))
                                : "left before its end");
    if (!verdict.agrees) {
        std::printf("DIVERGED: %s\n", verdict.why.c_str());
        return 1;
    }
    std::printf("agrees: %u steps played as kept\n", verdict.stepsPlayed);
    return 0;
}

int RunMatchRecord(const std::string& path) {
    MatchRecord record;
    if (!ReadRecording(path, &DecodeMatchRecord, record)) {
        return 2;
    }
    std::printf("match record: seed %u, kept by side %d\n", record.seed, record.ownSide);
    CVersusMatch match;
    const uint32_t played = PlayMatchRecord(record, match, [&](int32_t side, uint32_t steps) {
        if (steps % kMatchCheckSteps == 0) {
            std::printf("side %d step %u checksum %08X\n", side, steps, VersusSideChecksum(match, side));
        }
    });
    std::printf("played %u steps: round %d, rounds won %d - %d, %s\n", played, match.RoundNumber(), match.RoundsWon(0),
                match.RoundsWon(1), match.Phase() == EVersusPhase::MatchOver ? "the match is over" : "the match goes on");
    return 0;
}

struct ReportFiles {
    std::string table;
    std::string chart;
    bool check = false;   // compare with the files instead of writing them
};

// Writes text to path, or with check compares it; false with a message on a difference.
bool PutFile(const std::string& path, const std::string& text, bool check) {
    if (path.empty()) {
        return true;
    }
    if (check) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream stored;
        stored << in.rdbuf();
        if (!in || stored.str() != text) {
            std::fprintf(stderr, "pellora-sim: %s is not current; run the level report again (see data/levels/README.md)\n",
                         path.c_str());
            return false;
        }
        return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        std::fprintf(stderr, "pellora-sim: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

int RunReport(const std::vector<LevelBytes>& levels, const ReportOptions& options, const ReportFiles& files) {
    const std::vector<LevelMeasure> measures = MeasurePack(levels, options);
    const std::string table = FormatReportTable(measures, options);
    std::fputs(table.c_str(), stdout);
    bool good = PutFile(files.table, table, files.check);
    good = PutFile(files.chart, FormatCurveSvg(measures), files.check) && good;
    for (size_t i = 0; i < measures.size(); ++i) {
        if (measures[i].cleared == 0) {
            std::fprintf(stderr, "pellora-sim: level %zu was not cleared in any game\n", i + 1);
            good = false;
        }
    }
    std::string error;
    if (!CheckPackOrder(Difficulties(measures), OrderRules(), error)) {
        std::fprintf(stderr, "pellora-sim: the order does not follow the measured curve:\n%s", error.c_str());
        good = false;
    }
    return good ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv) {
    CLog::Get().SetEnabled(false);
    SimOptions options;
    std::string pack, sources, replayFile;
    int32_t soakGames = 0;
    bool report = false;
    ReportOptions reportOptions;
    ReportFiles reportFiles;
    GameOptions game;
    game.packCheck = true;
    VersusSimOptions versus;
    bool versusRun = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--difficulty") == 0 && hasValue) {
            options.difficulty = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--seed") == 0 && hasValue) {
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--soak") == 0 && hasValue) {
            soakGames = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--report") == 0) {
            report = true;
        } else if (std::strcmp(argv[i], "--seeds") == 0 && hasValue) {
            reportOptions.seeds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--table") == 0 && hasValue) {
            reportFiles.table = argv[++i];
        } else if (std::strcmp(argv[i], "--chart") == 0 && hasValue) {
            reportFiles.chart = argv[++i];
        } else if (std::strcmp(argv[i], "--check") == 0) {
            reportFiles.check = true;
        } else if (std::strcmp(argv[i], "--pack") == 0 && hasValue) {
            pack = argv[++i];
        } else if (std::strcmp(argv[i], "--sources") == 0 && hasValue) {
            sources = argv[++i];
        } else if (std::strcmp(argv[i], "--first") == 0 && hasValue) {
            game.first = static_cast<size_t>(std::max(1, std::atoi(argv[++i])) - 1);
        } else if (std::strcmp(argv[i], "--last") == 0 && hasValue) {
            game.last = static_cast<size_t>(std::max(1, std::atoi(argv[++i])) - 1);
        } else if (std::strcmp(argv[i], "--one-game") == 0) {
            game.packCheck = false;
        } else if (std::strcmp(argv[i], "--replay") == 0 && hasValue) {
            replayFile = argv[++i];
        } else if (std::strcmp(argv[i], "--match-record") == 0 && hasValue) {
            return RunMatchRecord(argv[++i]);
        } else if (std::strcmp(argv[i], "--check-field") == 0) {
            options.checkInvariants = true;
        } else if (std::strcmp(argv[i], "--versus") == 0 && i + 2 < argc) {
            versusRun = true;
            if (!ParseSimSide(argv[i + 1], versus.sides[0], versus.strengths[0]) ||
                !ParseSimSide(argv[i + 2], versus.sides[1], versus.strengths[1])) {
                return Usage();
            }
            i += 2;
        } else if (std::strcmp(argv[i], "--rounds") == 0 && hasValue) {
            versus.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--no-attacks") == 0) {
            versus.rules.attacks = false;
        } else {
            return Usage();
        }
    }
    if (versusRun) {
        return RunVersus(versus, options);
    }
    if (!replayFile.empty()) {
        // A match record needs no levels: the duel levels are the rules' own.
        std::vector<uint8_t> head;
        if (ReadFileAtPath(replayFile, head) && LooksLikeMatchRecord(head)) {
            return RunMatchReplay(replayFile);
        }
    }
    if (!replayFile.empty() && pack.empty() && sources.empty()) {
        // A replay is of the shipped levels unless told otherwise.
        pack = FindShippedArchive(ProgramFolder(), "levels.nuf");
        if (pack.empty()) {
            std::fprintf(stderr, "pellora-sim: no levels.nuf beside the program or in its build; name one with --pack\n");
            return 2;
        }
        std::fprintf(stderr, "pellora-sim: the shipped levels, %s\n", pack.c_str());
    }
    std::vector<LevelBytes> levels;
    std::string error;
    const bool loaded = !pack.empty() ? LoadLevelPack(pack, levels, error)
                                      : (!sources.empty() ? LoadLevelSources(sources, levels, error) : false);
    if (!loaded) {
        std::fprintf(stderr, "pellora-sim: %s\n", error.empty() ? "no levels given" : error.c_str());
        return error.empty() ? Usage() : 2;
    }
    if (!replayFile.empty()) {
        return RunReplay(levels, replayFile);
    }
    if (report) {
        reportOptions.difficulty = options.difficulty;
        reportOptions.firstSeed = options.seed;
        return RunReport(levels, reportOptions, reportFiles);
    }
    return soakGames > 0 ? RunSoak(levels, options, soakGames) : RunBot(levels, options, game);
}
