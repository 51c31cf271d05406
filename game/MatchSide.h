#pragma once
// What drives one side of a versus match, step by step: the player at this machine (its
// devices), the computer, the other program over the network, or a record played again.
// The match screen, the tests and the tools all step a match through CMatchSides: once per
// fixed step, each side in turn takes the steps it has, as far as the match lets it.
#include "game/BotPlayer.h"
#include "game/Replay.h"
#include "game/VersusMatch.h"

// One step a side took, as the match played it.
struct MatchSideStep {
    ReplayStep step;
    int32_t ballsSent = 0;        // attack balls the step sent to the other side
    bool readyRefused = false;    // a ready step (Dismiss) before the round was decided
};

class IMatchSide {
public:
    virtual ~IMatchSide() = default;
    // Once per fixed step, before any side steps.
    virtual void BeginStep(const CVersusMatch& match, int32_t side) = 0;
    // Whether the side has a step to take now; asked only when the match lets it step.
    virtual bool HasStep(const CVersusMatch& match, int32_t side) = 0;
    // Its next step, after HasStep said so. Dismiss in it makes the side ready for the next
    // round once the round is decided.
    virtual ReplayStep TakeStep(const CVersusMatch& match, int32_t side) = 0;
    // The match played the step: the side as its step left it, before a ready step may
    // start the next round.
    virtual void StepPlayed(const CVersusMatch& match, int32_t side, const MatchSideStep& played) = 0;
    // After the step and its readiness.
    virtual void StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) = 0;
};

// The sides of one match and the order they step in.
class CMatchSides {
public:
    void Set(int32_t side, IMatchSide* driver) { m_drivers[side] = driver; }
    IMatchSide* Driver(int32_t side) const { return m_drivers[side]; }
    int32_t First() const { return m_first; }
    // The side that takes its steps first in each fixed step (the player's own side over the
    // network, where it plays at once; the first side in one program).
    void SetFirst(int32_t side) { m_first = side; }
    // One fixed step: every side begins it, then each side in order takes its steps while
    // it has them and the match lets it. Returns the steps taken.
    int32_t Step(CVersusMatch& match);

private:
    IMatchSide* m_drivers[kVersusSides] = {};
    int32_t m_first = 0;
};

// One step of a side, as CMatchSides plays it: the step, then its readiness when it asks.
MatchSideStep PlayMatchStep(CVersusMatch& match, int32_t side, IMatchSide& driver);

// The computer at the controls of a side: a step every fixed step while the round is
// played, and once it is decided, ready for the next round at once (or when let).
class CBotMatchSide final : public IMatchSide {
public:
    CBotMatchSide(EBotStrength strength, uint32_t seed) : m_bot(strength, seed) {}

    void Configure(EBotStrength strength, uint32_t seed) { m_bot.Configure(strength, seed); }
    // False: after a round the side waits until it is let be ready (the tests' other player
    // reading its panel).
    void SetReadyAfterRound(bool ready) { m_readyAfterRound = ready; }
    const CBotPlayer& Player() const { return m_bot; }

    void BeginStep(const CVersusMatch& match, int32_t side) override;
    bool HasStep(const CVersusMatch& match, int32_t side) override;
    ReplayStep TakeStep(const CVersusMatch& match, int32_t side) override;
    void StepPlayed(const CVersusMatch&, int32_t, const MatchSideStep&) override {}
    void StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;

private:
    CBotPlayer m_bot;
    bool m_readyAfterRound = true;
    bool m_hasStep = false;
};
