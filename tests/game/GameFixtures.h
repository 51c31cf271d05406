#pragma once
// Small text-level fixtures for the rules tests: the first rows of a field as text
// (the rows not given are empty), and a recorder of the sound events played.
#include "game/Board.h"
#include "game/GameSounds.h"
#include "game/LevelText.h"
#include "game/Playfield.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline std::string LevelTextFromRows(const std::vector<const char*>& rows) {
    std::string text;
    int32_t row = 0;
    for (const char* line : rows) {
        text += line;
        text += '\n';
        ++row;
    }
    for (; row < kBoardRows; ++row) {
        text += (row % 2) == 1 ? " .........\n" : "..........\n";
    }
    return text;
}

inline void FillBoard(CBoard& board, const std::vector<const char*>& rows) {
    BoardGrid grid;
    std::string error;
    ASSERT_TRUE(ParseLevelText(LevelTextFromRows(rows), grid, error)) << error;
    uint8_t bytes[kLevelFileSize];
    LevelFileBytes(grid, bytes);
    ASSERT_TRUE(board.LoadFromBytes(bytes, sizeof(bytes)));
}

// The field as text again, to compare whole boards in one assertion.
inline std::string BoardText(const CBoard& board) {
    BoardGrid grid;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            grid[row][column] = board.CellAt(column, row);
        }
    }
    return FormatLevelText(grid);
}

class CSoundRecorder {
public:
    CSoundRecorder() { SetGameSoundHandler(&CSoundRecorder::Record, this); }
    ~CSoundRecorder() { SetGameSoundHandler(nullptr, nullptr); }
    CSoundRecorder(const CSoundRecorder&) = delete;
    CSoundRecorder& operator=(const CSoundRecorder&) = delete;

    int32_t Count(EGameSound sound) const {
        int32_t count = 0;
        for (EGameSound played : m_played) {
            count += played == sound ? 1 : 0;
        }
        return count;
    }
    const std::vector<EGameSound>& Played() const { return m_played; }
    void Clear() { m_played.clear(); }

private:
    static void Record(EGameSound sound, void* user) { static_cast<CSoundRecorder*>(user)->m_played.push_back(sound); }
    std::vector<EGameSound> m_played;
};

// Runs fixed steps without input until done() or the step limit; returns the steps taken.
template <typename Done>
int32_t StepUntil(CPlayfield& playfield, Done done, int32_t maxSteps = 3000) {
    const PlayInput idle;
    for (int32_t step = 0; step < maxSteps; ++step) {
        if (done()) {
            return step;
        }
        playfield.Update(CPlayfield::kStepLength, idle);
    }
    return maxSteps;
}
