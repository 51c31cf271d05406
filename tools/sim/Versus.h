#pragma once
// Bot against bot in versus matches, headless: the simulator's --versus run and the
// figures that tune the attack rule.
#include "game/Bot.h"
#include "game/VersusMatch.h"

#include <string>
#include <vector>

// Who plays a side: the computer at a strength, a player who never fires (whom the computer
// beats at every strength), or the simulator's model of a beginner (whom easy loses to).
enum class ESimSide { Computer, Idle, Beginner };

// The beginner: slow, a few degrees off, no plan beyond the shot in hand.
BotStrengthRules BeginnerRules();
// "easy", "normal", "hard", "idle" or "beginner"; false for anything else.
bool ParseSimSide(const char* text, ESimSide& side, EBotStrength& strength);
const char* SimSideName(ESimSide side, EBotStrength strength);

struct VersusSimOptions {
    EBotStrength strengths[kVersusSides] = {EBotStrength::Normal, EBotStrength::Normal};
    ESimSide sides[kVersusSides] = {ESimSide::Computer, ESimSide::Computer};
    int32_t rounds = 6;            // matches are played until this many rounds are done
    uint32_t seed = 1;
    bool checkInvariants = false;  // check both fields after every step
    VersusRules rules;
};

struct VersusSimResult {
    std::vector<VersusRoundResult> rounds;
    int32_t matchesWon[kVersusSides] = {};
    int32_t matches = 0;
    std::string fault;   // the first broken rule of a field, empty when none
};

VersusSimResult PlayVersus(const VersusSimOptions& options);
// The report of a run: one line per round, then wins, round lengths and attacks.
std::string FormatVersusReport(const VersusSimOptions& options, const VersusSimResult& result);
// The rules of a versus field between two steps, on top of CheckInvariants: while the
// ball in hand waits and the field stands still, every ball hangs from the top row and
// the lowest row is empty.
std::string CheckVersusField(const CPlayfield& playfield);
