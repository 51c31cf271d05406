#include "game/NextBall.h"

#include "core/Random.h"
#include "game/Board.h"

#include <cmath>

namespace {
constexpr int32_t kGivenCountStart = 1000;
constexpr int32_t kCandidateSpread = 3;

// A random index below count, from one draw (one draw even when there is one choice).
int32_t PickIndex(int32_t count, CRandom& random) {
    if (count <= 1) {
        random.Next();
        return 0;
    }
    const double value = static_cast<double>(random.Next());
    const int32_t index = static_cast<int32_t>(std::floor(value / (32767.0 / (count - 0.01))));
    return index >= count ? count - 1 : index;
}
}  // namespace

void CNextBallChooser::Survey(const CBoard& board, bool levelStart) {
    CountPresentColours(board);
    if (levelStart) {
        for (int32_t& given : m_state.givenCounts) {
            given = 0;
        }
    }
    ChooseCandidates();
}

void CNextBallChooser::CountPresentColours(const CBoard& board) {
    int32_t counts[BallColour::ColourCount] = {};
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const int32_t colour = board.CellAt(column, row).colour;
            if (BallColour::IsOrdinary(colour)) {
                ++counts[colour];
            }
        }
    }
    m_state.presentCount = 0;
    for (int32_t colour = 0; colour < BallColour::ColourCount; ++colour) {
        if (counts[colour] > 0) {
            m_state.presentColours[m_state.presentCount++] = colour;
        }
    }
}

void CNextBallChooser::ChooseCandidates() {
    m_state.candidateCount = 0;
    if (m_state.presentCount < 3) {
        for (int32_t i = 0; i < m_state.presentCount; ++i) {
            m_state.candidates[m_state.candidateCount++] = m_state.presentColours[i];
        }
        return;
    }
    int32_t smallest = kGivenCountStart;
    for (int32_t i = 0; i < m_state.presentCount; ++i) {
        const int32_t given = m_state.givenCounts[m_state.presentColours[i]];
        smallest = given < smallest ? given : smallest;
    }
    for (int32_t i = 0; i < m_state.presentCount; ++i) {
        if (m_state.givenCounts[m_state.presentColours[i]] < smallest + kCandidateSpread) {
            m_state.candidates[m_state.candidateCount++] = m_state.presentColours[i];
        }
    }
}

bool CNextBallChooser::IsPresent(int32_t colour) const {
    for (int32_t i = 0; i < m_state.presentCount; ++i) {
        if (m_state.presentColours[i] == colour) {
            return true;
        }
    }
    return false;
}

void CNextBallChooser::ApplyRepeatRule(int32_t pickedIndex, BallCell& next) {
    if (m_state.presentCount <= 1) {
        return;
    }
    if (next.colour != m_state.lastColour) {
        m_state.runLength = 0;
        m_state.lastColour = next.colour;
        return;
    }
    m_state.runLength += 1;
    if (m_state.runLength < 2) {
        return;
    }
    if (pickedIndex < m_state.candidateCount - 1) {
        next.colour = m_state.candidates[pickedIndex + 1];
    } else if (pickedIndex > 0) {
        next.colour = m_state.candidates[pickedIndex - 1];
    } else if (pickedIndex + 1 < m_state.presentCount) {
        next.colour = m_state.presentColours[pickedIndex + 1];
    }
    m_state.runLength = 1;
    m_state.lastColour = next.colour;
}

void CNextBallChooser::Choose(BallCell& current, BallCell& next, CRandom& random) {
    if (m_state.presentCount == 0) {
        current = BallCell{BallColour::FirstColour, 0};
        next = BallCell{BallColour::FirstColour, 0};
        m_state.givenCounts[BallColour::FirstColour] += 1;
        return;
    }
    if (next.colour == BallColour::Empty) {
        next = BallCell{m_state.presentColours[PickIndex(m_state.presentCount, random)], 0};
        m_state.runLength = 1;
        m_state.lastColour = next.colour;
        m_state.givenCounts[next.colour] += 1;
    }

    if (next.colour == BallColour::Multicolor || IsPresent(next.colour)) {
        current = next;
    } else {
        current = BallCell{m_state.candidates[PickIndex(m_state.candidateCount, random)], 0};
        m_state.runLength = 1;
        m_state.lastColour = next.colour;
    }

    const int32_t picked = PickIndex(m_state.candidateCount, random);
    next = BallCell{m_state.candidates[picked], 0};
    ApplyRepeatRule(picked, next);
    if (BallColour::IsOrdinary(next.colour)) {
        m_state.givenCounts[next.colour] += 1;
    }
}
