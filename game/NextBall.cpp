#include "game/NextBall.h"

#include "core/Random.h"
#include "game/Board.h"

#include <cmath>

namespace {
constexpr int32_t kGivenCountStart = 1000;
constexpr int32_t kCandidateSpread = 3;

// A random index below count, from one draw (one draw even when there is one choice).
int32_t PickIndex(int32_t count) {
    if (count <= 1) {
        RandomNext();
        return 0;
    }
    const double value = static_cast<double>(RandomNext());
    const int32_t index = static_cast<int32_t>(std::floor(value / (32767.0 / (count - 0.01))));
    return index >= count ? count - 1 : index;
}
}  // namespace

void CNextBallChooser::Survey(const CBoard& board, bool levelStart) {
    CountPresentColours(board);
    if (levelStart) {
        for (int32_t& given : m_givenCounts) {
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
    m_presentCount = 0;
    for (int32_t colour = 0; colour < BallColour::ColourCount; ++colour) {
        if (counts[colour] > 0) {
            m_presentColours[m_presentCount++] = colour;
        }
    }
}

void CNextBallChooser::ChooseCandidates() {
    m_candidateCount = 0;
    if (m_presentCount < 3) {
        for (int32_t i = 0; i < m_presentCount; ++i) {
            m_candidates[m_candidateCount++] = m_presentColours[i];
        }
        return;
    }
    int32_t smallest = kGivenCountStart;
    for (int32_t i = 0; i < m_presentCount; ++i) {
        const int32_t given = m_givenCounts[m_presentColours[i]];
        smallest = given < smallest ? given : smallest;
    }
    for (int32_t i = 0; i < m_presentCount; ++i) {
        if (m_givenCounts[m_presentColours[i]] < smallest + kCandidateSpread) {
            m_candidates[m_candidateCount++] = m_presentColours[i];
        }
    }
}

bool CNextBallChooser::IsPresent(int32_t colour) const {
    for (int32_t i = 0; i < m_presentCount; ++i) {
        if (m_presentColours[i] == colour) {
            return true;
        }
    }
    return false;
}

void CNextBallChooser::ApplyRepeatRule(int32_t pickedIndex, BallCell& next) {
    if (m_presentCount <= 1) {
        return;
    }
    if (next.colour != m_lastColour) {
        m_runLength = 0;
        m_lastColour = next.colour;
        return;
    }
    m_runLength += 1;
    if (m_runLength < 2) {
        return;
    }
    if (pickedIndex < m_candidateCount - 1) {
        next.colour = m_candidates[pickedIndex + 1];
    } else if (pickedIndex > 0) {
        next.colour = m_candidates[pickedIndex - 1];
    } else if (pickedIndex + 1 < m_presentCount) {
        next.colour = m_presentColours[pickedIndex + 1];
    }
    m_runLength = 1;
    m_lastColour = next.colour;
}

void CNextBallChooser::Choose(BallCell& current, BallCell& next) {
    if (m_presentCount == 0) {
        current = BallCell{BallColour::FirstColour, 0};
        next = BallCell{BallColour::FirstColour, 0};
        m_givenCounts[BallColour::FirstColour] += 1;
        return;
    }
    if (next.colour == BallColour::Empty) {
        next = BallCell{m_presentColours[PickIndex(m_presentCount)], 0};
        m_runLength = 1;
        m_lastColour = next.colour;
        m_givenCounts[next.colour] += 1;
    }

    if (next.colour == BallColour::Multicolor || IsPresent(next.colour)) {
        current = next;
    } else {
        current = BallCell{m_candidates[PickIndex(m_candidateCount)], 0};
        m_runLength = 1;
        m_lastColour = next.colour;
    }

    const int32_t picked = PickIndex(m_candidateCount);
    next = BallCell{m_candidates[picked], 0};
    ApplyRepeatRule(picked, next);
    if (BallColour::IsOrdinary(next.colour)) {
        m_givenCounts[next.colour] += 1;
    }
}
