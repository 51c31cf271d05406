#pragma once
// The colour of the coming balls: only colours still in the field are given, colours given
// least often so far are preferred, and one colour is not given three times in a row.
#include "game/BallTypes.h"

class CBoard;
class CRandom;

// The chooser's memory, as a saved game keeps it.
struct NextBallState {
    int32_t presentColours[BallColour::ColourCount] = {};
    int32_t presentCount = 0;
    int32_t givenCounts[BallColour::ColourCount] = {};
    int32_t candidates[BallColour::ColourCount] = {};
    int32_t candidateCount = 0;
    int32_t runLength = 1;
    int32_t lastColour = BallColour::Empty;
};

class CNextBallChooser {
public:
    // Counts the ordinary colours in the field and picks the candidates among them; at a
    // level start the count of balls given per colour starts again.
    void Survey(const CBoard& board, bool levelStart);
    // The ball in hand and the next ball after a turn. The next ball moves into the hand when
    // its colour is still in the field (or it is the multicolour ball), else a candidate does.
    // The picks draw from the game's generator.
    void Choose(BallCell& current, BallCell& next, CRandom& random);

    int32_t PresentColourCount() const { return m_state.presentCount; }
    int32_t CandidateCount() const { return m_state.candidateCount; }
    int32_t GivenCount(int32_t colour) const { return m_state.givenCounts[colour & 7]; }

    const NextBallState& State() const { return m_state; }
    void SetState(const NextBallState& state) { m_state = state; }

private:
    void CountPresentColours(const CBoard& board);
    void ChooseCandidates();
    bool IsPresent(int32_t colour) const;
    void ApplyRepeatRule(int32_t pickedIndex, BallCell& next);

    NextBallState m_state;
};
