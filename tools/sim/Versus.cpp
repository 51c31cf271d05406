#include "tools/sim/Versus.h"

#include "game/BotPlayer.h"
#include "tools/sim/SimSession.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t kMatchSeedStep = 104729u;

const char* EndName(ERoundEnd end) {
    switch (end) {
        case ERoundEnd::Lost: return "lost";
        case ERoundEnd::Cleared: return "cleared";
        case ERoundEnd::TimeUp: return "time up";
        case ERoundEnd::None:
        default: return "-";
    }
}

double Seconds(int64_t steps) {
    return static_cast<double>(steps) * CPlayfield::kStepLength;
}

// One match, its rounds appended to result; false when a field broke a rule.
bool PlayMatch(const VersusSimOptions& options, uint32_t seed, VersusSimResult& result) {
    CVersusMatch match;
    CBotPlayer players[kVersusSides] = {CBotPlayer(options.strengths[0], seed * 2u + 1u),
                                        CBotPlayer(options.strengths[1], seed * 2u + 2u)};
    for (int32_t side = 0; side < kVersusSides; ++side) {
        if (options.sides[side] == ESimSide::Beginner) {
            players[side].ConfigureRules(BeginnerRules(), seed * 2u + 1u + static_cast<uint32_t>(side));
        }
    }
    const auto next = [&](int32_t side) {
        return options.sides[side] == ESimSide::Idle ? PlayInput()
                                                     : players[side].Next(match.Field(side), CPlayfield::kStepLength);
    };
    InvariantState states[kVersusSides];
    match.Start(options.rules, seed);
    for (;;) {
        for (int32_t side = 0; side < kVersusSides; ++side) {
            RememberLoad(match.Field(side), states[side]);
            players[side].Forget();
        }
        while (match.Phase() == EVersusPhase::Playing) {
            const PlayInput inputs[kVersusSides] = {next(0), next(1)};
            match.Step(inputs);
            for (int32_t side = 0; options.checkInvariants && side < kVersusSides; ++side) {
                std::string fault = CheckInvariants(match.Field(side), states[side]);
                if (fault.empty()) {
                    fault = CheckVersusField(match.Field(side));
                }
                if (!fault.empty()) {
                    char where[96];
                    std::snprintf(where, sizeof(where), "match seed %u round %d side %d: ", seed, match.RoundNumber(),
                                  side);
                    result.fault = where + fault;
                    return false;
                }
            }
        }
        result.rounds.push_back(match.Round());
        if (match.Phase() == EVersusPhase::MatchOver || static_cast<int32_t>(result.rounds.size()) >= options.rounds) {
            break;
        }
        match.StartNextRound();
    }
    if (match.Phase() == EVersusPhase::MatchOver) {
        ++result.matches;
        const int32_t winner = match.MatchWinner();
        if (winner >= 0) {
            ++result.matchesWon[winner];
        }
    }
    return true;
}
}  // namespace

BotStrengthRules BeginnerRules() {
    BotStrengthRules rules;
    rules.thinkSeconds = 3.0f;
    rules.aimErrorDegrees = 3.0f;
    rules.plannedFirstShots = 1;
    return rules;
}

bool ParseSimSide(const char* text, ESimSide& side, EBotStrength& strength) {
    if (std::strcmp(text, "idle") == 0 || std::strcmp(text, "beginner") == 0) {
        side = text[0] == 'i' ? ESimSide::Idle : ESimSide::Beginner;
        return true;
    }
    side = ESimSide::Computer;
    return ParseBotStrength(text, strength);
}

const char* SimSideName(ESimSide side, EBotStrength strength) {
    switch (side) {
        case ESimSide::Idle: return "idle";
        case ESimSide::Beginner: return "beginner";
        case ESimSide::Computer:
        default: return BotStrengthName(strength);
    }
}

std::string CheckVersusField(const CPlayfield& playfield) {
    if (!playfield.IsReady() || playfield.IsFlying() || playfield.IsMovingDown()) {
        return std::string();
    }
    const CBoard& board = playfield.Board();
    if (!AllBallsHeld(board)) {
        return "a ball hangs from nothing between turns";
    }
    if (board.BottomRow() >= 0 && board.RowHoldsBall(board.BottomRow())) {
        return "a ball waits in the lowest row between turns";
    }
    return std::string();
}

VersusSimResult PlayVersus(const VersusSimOptions& options) {
    VersusSimResult result;
    for (uint32_t match = 0; static_cast<int32_t>(result.rounds.size()) < options.rounds; ++match) {
        if (!PlayMatch(options, options.seed + match * kMatchSeedStep, result)) {
            break;
        }
    }
    return result;
}

std::string FormatVersusReport(const VersusSimOptions& options, const VersusSimResult& result) {
    std::string text;
    char line[256];
    int32_t roundWins[kVersusSides] = {};
    int32_t ends[4] = {};
    int32_t lostWithAttack = 0;
    int32_t losses = 0;
    int64_t attacks = 0, balls = 0;
    std::vector<double> lengths;
    for (size_t i = 0; i < result.rounds.size(); ++i) {
        const VersusRoundResult& round = result.rounds[i];
        std::snprintf(line, sizeof(line),
                      "round %3zu  winner %-4s %-8s %6.1f s  shots %3d/%3d  attacks %2d/%2d  balls sent %3d/%3d  "
                      "landed %3d/%3d\n",
                      i + 1, round.winner < 0 ? "draw" : (round.winner == 0 ? "A" : "B"), EndName(round.end),
                      Seconds(round.steps), round.sides[0].shots, round.sides[1].shots, round.sides[0].attacksSent,
                      round.sides[1].attacksSent, round.sides[0].ballsSent, round.sides[1].ballsSent,
                      round.sides[0].ballsLanded, round.sides[1].ballsLanded);
        text += line;
        if (round.winner >= 0) {
            ++roundWins[round.winner];
        }
        ++ends[static_cast<int32_t>(round.end)];
        lengths.push_back(Seconds(round.steps));
        for (const VersusSideCounts& side : round.sides) {
            attacks += side.attacksSent;
            balls += side.ballsSent;
        }
        if (round.end == ERoundEnd::Lost && round.winner >= 0) {
            ++losses;
            lostWithAttack += round.sides[1 - round.winner].ballsLanded > 0 ? 1 : 0;
        }
    }
    std::sort(lengths.begin(), lengths.end());
    const size_t count = lengths.size();
    std::snprintf(line, sizeof(line), "A %s against B %s, %zu rounds, %d matches%s\n",
                  SimSideName(options.sides[0], options.strengths[0]),
                  SimSideName(options.sides[1], options.strengths[1]), count, result.matches,
                  options.rules.attacks ? "" : " (no attacks)");
    text += line;
    std::snprintf(line, sizeof(line), "wins: rounds A %d B %d draws %zu; matches A %d B %d\n", roundWins[0],
                  roundWins[1], count - static_cast<size_t>(roundWins[0] + roundWins[1]), result.matchesWon[0],
                  result.matchesWon[1]);
    text += line;
    if (count > 0) {
        std::snprintf(line, sizeof(line), "round length: min %.1f s, median %.1f s, max %.1f s\n", lengths.front(),
                      lengths[count / 2], lengths.back());
        text += line;
    }
    std::snprintf(line, sizeof(line),
                  "ends: lost %d, cleared %d, time up %d; losers hit by attack balls %d of %d; attacks %lld, "
                  "attack balls %lld\n",
                  ends[static_cast<int32_t>(ERoundEnd::Lost)], ends[static_cast<int32_t>(ERoundEnd::Cleared)],
                  ends[static_cast<int32_t>(ERoundEnd::TimeUp)], lostWithAttack, losses,
                  static_cast<long long>(attacks), static_cast<long long>(balls));
    text += line;
    return text;
}
