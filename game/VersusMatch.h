#pragma once
// A versus match: two sides play the same duel level with the same colour seed, each on a
// playfield of its own with the single-player rules. A shot that takes off more than
// three balls (its group and the balls it cut loose) sends attack balls to the other side;
// they wait beside that side's launcher, shown as incoming, and hang into its field only
// between its turns. A round ends when a side loses (a ball left in its lowest row) or
// clears its field; the first side to win two rounds wins the match.
//
// The match runs in the fixed steps of the playfields; each side's input comes in a
// PlayInput, so the player, the computer, a replay or the network can drive either side.
//
// Each side takes its steps one at a time (StepSide), as whatever drives it has them
// (game/MatchSide.h). Attack balls travel a number of steps (VersusRules), counted on the
// target's own steps, and a side may not run further ahead of the other than that, so two
// programs that each play one side at once and the other as its steps arrive see every
// attack land at the same step of its target. In one program the travel is nil and the
// sides step in turn, the first side first. A side stops at its own end or at the time
// limit; the round is decided once both sides have played to the earliest stop, and the
// next round starts when both sides are ready for it (SetSideReady).
#include "core/Random.h"
#include "game/Playfield.h"

constexpr int32_t kVersusSides = 2;

// Attack balls for a shot that took off `takenOff` balls (the balls the board let fall:
// a group and what it cut loose, or what a power-up cut loose): none up to three, then
// one for each ball past three, at most kMaxAttackBalls.
constexpr int32_t kAttackThreshold = 3;
constexpr int32_t kMaxAttackBalls = 8;
int32_t AttackBalls(int32_t takenOff);

// Hangs up to count attack balls into board, one by one, each in a free cell of the highest
// row that has one where a ball can hang (the top row, or right below a ball), above the
// lowest row, in a colour of the field's ordinary balls. Returns how many
// found a cell. Every ball stays held and the lowest row stays empty.
int32_t LandAttackBalls(CBoard& board, int32_t count, CRandom& random);
// Whether every ball of board hangs from the top row through other balls.
bool AllBallsHeld(const CBoard& board);

// The duel levels, played in turn by the rounds of a match.
constexpr int32_t kDuelLevelCount = 3;
// The level grid of a round (round 0 is the first), or false if its text is broken.
bool DuelLevel(int32_t round, BoardGrid& grid);

struct VersusRules {
    int32_t difficulty = kNormalDifficulty;
    int32_t roundsToWin = 2;
    int32_t maxRounds = 5;             // drawn rounds replay, up to this many in all
    float incomingSeconds = 1.0f;      // attack balls wait at least this long before landing
    float roundSeconds = 300.0f;       // then the side with fewer balls wins the round
    bool attacks = true;               // off: two games side by side (the simulator's baseline)
    // Attack balls sent on a side's step n arrive on the target's step n + this, and their
    // wait before they land counts from the step that sent them. Nil in one program: the
    // sides step in turn, and an attack of the second side reaches the first on its next step.
    int32_t attackTravelSteps = 0;
};

enum class EVersusPhase {
    Playing,     // both sides play the round
    RoundOver,   // a side lost or cleared; the owner starts the next round
    MatchOver,   // a side won enough rounds (or the rounds ran out)
};

enum class ERoundEnd {
    None,
    Lost,        // the loser left a ball in its lowest row
    Cleared,     // the winner cleared its field
    TimeUp,      // the round ran out of time: fewer balls won
};

struct VersusSideCounts {
    int32_t attacksSent = 0;       // shots that sent attack balls
    int32_t ballsSent = 0;
    int32_t ballsLanded = 0;       // attack balls that hung into this side's field
    int32_t shots = 0;
};

struct VersusRoundResult {
    int32_t winner = -1;           // -1: a draw (both sides ended in the same step)
    ERoundEnd end = ERoundEnd::None;
    int64_t steps = 0;
    VersusSideCounts sides[kVersusSides];
};

class CVersusMatch {
public:
    CVersusMatch();
    CVersusMatch(const CVersusMatch&) = delete;
    CVersusMatch& operator=(const CVersusMatch&) = delete;

    // A new match: the first round starts on the first duel level.
    void Start(const VersusRules& rules, uint32_t seed);
    // After RoundOver: the next round.
    void StartNextRound();
    // A round on a given field (the tests' fixtures); both sides get a copy of grid.
    void StartRoundOn(const BoardGrid& grid);
    // One fixed step of both sides in one program (the simulator's and the tests' way);
    // after the round only the fields are swept on (SweepFields).
    void Step(const PlayInput inputs[kVersusSides]);
    // The fields of a decided round go on (a lost field is swept) without steps of the sides.
    void SweepFields();

    int32_t AttackTravelSteps() const { return m_rules.attackTravelSteps; }
    // Whether a side may take its next step: it is not waiting for the next round, and every
    // attack that could arrive on that step has been sent (the other side is far enough).
    // Without travel the sides take their steps in turn, the first side first.
    bool CanStepSide(int32_t side) const;
    // One fixed step of one side; decides the round when both sides have played far enough.
    void StepSide(int32_t side, const PlayInput& input);
    // After the round is decided: the side is ready for the next round, which starts when
    // both are. False (and nothing changes) while the round is still being played.
    bool SetSideReady(int32_t side);
    bool IsSideReady(int32_t side) const { return m_sides[side].ready; }
    // The steps a side has played in this round, and whether it has stopped.
    int32_t SideSteps(int32_t side) const { return m_sides[side].steps; }
    // What a side has done in this round so far.
    const VersusSideCounts& SideCounts(int32_t side) const { return m_sides[side].counts; }
    bool IsSideStopped(int32_t side) const { return m_sides[side].stopped; }

    CPlayfield& Field(int32_t side) { return m_sides[side].playfield; }
    const CPlayfield& Field(int32_t side) const { return m_sides[side].playfield; }
    int32_t Incoming(int32_t side) const { return m_sides[side].incoming; }
    // What the player sees waiting: the incoming balls and those still on their way.
    int32_t IncomingShown(int32_t side) const;
    int32_t RoundsWon(int32_t side) const { return m_sides[side].roundsWon; }
    int32_t RoundNumber() const { return m_round; }   // 1 for the first round
    EVersusPhase Phase() const { return m_phase; }
    const VersusRoundResult& Round() const { return m_result; }
    // The side that won the match, -1 while it runs or after a drawn match.
    int32_t MatchWinner() const;
    const VersusRules& Rules() const { return m_rules; }
    uint32_t RoundSeed() const { return m_roundSeed; }
    // The seed the match started with.
    uint32_t Seed() const { return m_seed; }

private:
    // Attack balls on their way to a side, landing in its incoming on its step arriveStep.
    struct TravellingAttack {
        int32_t arriveStep = 0;
        int32_t balls = 0;
    };
    static constexpr int32_t kMaxTravelling = 16;

    // One side: its playfield, and the answers to its events that change the field at once.
    struct Side : IPlayfieldListener {
        void OnMulticolorArrived() override { playfield.GiveMulticolorBall(); }
        void OnRowBonus(int32_t points, float x, float y) override { playfield.AddScore(points, x, y); }

        CPlayfield playfield;
        CRandom attackRandom;           // where and in which colours its attack balls land
        int64_t takenMark = 0;          // balls taken off before the current turn
        int32_t incoming = 0;
        float incomingAge = 0.0f;
        bool wasAiming = false;
        VersusSideCounts counts;
        int32_t roundsWon = 0;
        int32_t steps = 0;              // steps played in this round
        bool stopped = false;           // ended, or reached the time limit, at stopStep
        ERoundEnd end = ERoundEnd::None;
        int32_t stopStep = 0;
        int32_t stopBalls = 0;          // balls in its field when it stopped
        bool ready = false;             // waits for the next round
        TravellingAttack travelling[kMaxTravelling];
        int32_t travellingCount = 0;
    };

    void StartRound(const BoardGrid& grid);
    void PlaySide(int32_t side, const PlayInput& input);
    static void UpdateField(Side& side, const PlayInput& input);
    void SendAttack(int32_t from, int32_t takenOff);
    void ReceiveAttacks(Side& side);
    void LandIncoming(int32_t side);
    // The end of this step's round for one side: lost, cleared or nothing.
    ERoundEnd SideEnd(int32_t side) const;
    void StopSide(int32_t side, ERoundEnd end);
    // Once both sides have played to the earliest stop, its side decides the round.
    void DecideRound();
    void FinishRound(int32_t winner, ERoundEnd end);
    int32_t FewerBallsSide() const;

    VersusRules m_rules;
    Side m_sides[kVersusSides];
    EVersusPhase m_phase = EVersusPhase::MatchOver;
    VersusRoundResult m_result;
    uint32_t m_seed = 1;
    uint32_t m_roundSeed = 1;
    int32_t m_round = 0;
};
