#pragma once
// The computer player (the simulator's and the versus opponent's): before each shot it
// tries aims with the real flight and the real stick search on copies of the field. It
// plans two shots ahead: the ball in hand or, after a swap, the next ball first, then the
// ball that stays on the launcher on the field the first shot leaves. At full strength it
// draws no random numbers; a weaker bot misses its aim by draws from its own generator,
// so a seed fixes its game either way.
#include "core/Random.h"
#include "game/Playfield.h"

struct BotChoice {
    bool swapFirst = false;   // swap the balls, then fire
    float mouseX = 320.0f;
    float mouseY = 200.0f;
    double value = 0.0;
};

// What a field looks like to the bot when it plans a shot.
struct BotSituation {
    BallCell current;
    BallCell next;                      // colour Empty: none
    bool canSwap = true;
    int32_t shotsBeforeMoveDown = 5;    // 1: the field moves down after this shot
};

// The strengths a player can choose for the computer opponent.
enum class EBotStrength { Easy, Normal, Hard };
constexpr int32_t kBotStrengthCount = 3;

// What a strength changes: how long the bot looks before it fires, how far its aim may
// miss (degrees either side, evenly drawn), and how many of its best first shots get
// their follow-up searched (1: none, it takes the best single shot).
struct BotStrengthRules {
    float thinkSeconds = 0.0f;
    float aimErrorDegrees = 0.0f;
    int32_t plannedFirstShots = 6;
};
BotStrengthRules RulesForStrength(EBotStrength strength);
// "easy", "normal", "hard"; false for anything else.
bool ParseBotStrength(const char* text, EBotStrength& strength);
const char* BotStrengthName(EBotStrength strength);

class CBot {
public:
    static constexpr int32_t kPlannedFirstShots = 6;   // first shots whose follow-up is searched

    CBot();
    // A bot of a strength whose aim errors draw from a generator seeded with seed.
    CBot(EBotStrength strength, uint32_t seed);
    // The strength and the seed of its aim errors from now on.
    void Configure(EBotStrength strength, uint32_t seed);
    // Rules of no strength of the game's (the simulator's model of a beginner).
    void ConfigureRules(const BotStrengthRules& rules, uint32_t seed);
    BotChoice Choose(const CPlayfield& playfield);
    // The same choice for a bare field (the tests' fixtures).
    BotChoice ChooseOnBoard(const CBoard& board, const BotSituation& situation);
    const BotStrengthRules& Strength() const { return m_strength; }
    // A random aim in the launcher's range (the soak run's player).
    static BotChoice RandomAim(CRandom& random);
    static void MouseForAngle(float degrees, float& mouseX, float& mouseY);
    // The launcher angle (degrees, 0 straight up) that a mouse position aims at.
    static float AngleForMouse(float mouseX, float mouseY);

    struct Landing {
        bool rests = false;
        bool found = false;
        CellPos cell;
        float mouseX = 0.0f, mouseY = 0.0f;
    };
    // A trial shot at an angle (degrees, 0 straight up): where it rests. likeTheGame flies
    // it with the game's own StepShot; otherwise the bot's quicker flight, which the tests
    // hold to the same landings.
    static Landing Fly(const CBoard& board, float degrees, bool likeTheGame);

private:
    struct FirstShot {
        int32_t landing = 0;
        int32_t which = 0;   // 0: the ball in hand, 1: the next ball after a swap
        double value = 0.0;
    };
    static constexpr int32_t kMaxLandings = 256;

    // The chosen aim moved by the strength's aim error.
    void MissAim(BotChoice& choice);
    // Whether the missed aim would hang the ball close above the rows that cost a life.
    static bool MissIsDangerous(const CBoard& board, const BotChoice& aimed, const BotChoice& missed);
    // The distinct cells a shot can reach on board, one aim each.
    int32_t FindLandings(const CBoard& board, float angleStep, Landing out[kMaxLandings]) const;
    // The value of ball resting in cell of board; m_probe then holds the field it leaves.
    double Evaluate(const CBoard& board, const BallCell& ball, const CellPos& cell, int32_t dangerRow);
    double EvaluatePowerUps(const BallCell& ball, const CellPos& cell);
    double FieldShape(const CBoard& board, int32_t dangerRow) const;
    // The best value of the second shot with ball on the field m_after.
    double BestFollowUp(const BallCell& ball, int32_t dangerRow);

    BotStrengthRules m_strength;
    CRandom m_random;
    CBoard m_probe;
    CBoard m_after;
    Landing m_landings[kMaxLandings];
    Landing m_followLandings[kMaxLandings];
    FirstShot m_firstShots[kMaxLandings * 2];
};
