#pragma once
// One program of a network match for the tests and the benchmark: its session, its match
// and a bot at the controls of its own side, stepped as the match screen steps it.
#include "game/MatchSide.h"
#include "net/NetVersus.h"

#include <memory>

struct BotMatchProgram {
    std::unique_ptr<CNetSession> session;
    CVersusMatch match;
    CNetVersus net;
    CBotMatchSide bot{EBotStrength::Normal, 1};
    CMatchSides sides;
    // After a round the bot says it is ready at once; otherwise only once the test lets it.
    bool readyAfterRound = true;

    // One fixed step of the sides, without the traffic: its own side when it may (false
    // when it had to wait for the other), then the other side's steps that are due.
    bool StepSides();
    // The traffic, then StepSides; a session that has ended is still serviced.
    void Frame();
};
