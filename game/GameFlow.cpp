#include "game/GameFlow.h"

#include "game/GameSounds.h"

#include <algorithm>

void CGameFlow::BeginGame(int32_t levelNumber, int32_t lastLevel) {
    m_playfield.Stats().ZeroAll();
    m_playfield.SetSeenShot(false);
    m_levelNumber = levelNumber;
    m_lastLevel = lastLevel;
    m_allLevelsDone = false;
    m_gameOver = false;
}

void CGameFlow::ContinueGame(int32_t levelNumber, int32_t lastLevel, bool allLevelsDone) {
    m_levelNumber = levelNumber;
    m_lastLevel = lastLevel;
    m_allLevelsDone = allLevelsDone;
    m_gameOver = false;
}

bool CGameFlow::LoadLevel(bool advance) {
    if (advance) {
        if (m_levelNumber >= kMaxLevelNumber) {
            m_allLevelsDone = true;
            m_gameOver = true;
            return false;
        }
        ++m_levelNumber;
    }
    if (m_levelNumber >= 1 && m_levelNumber <= m_lastLevel && m_levelNumber <= kMaxLevelNumber &&
        m_source.LoadLevel(m_levelNumber, m_playfield)) {
        return true;
    }
    m_allLevelsDone = true;
    m_gameOver = true;
    return false;
}

LevelDoneSummary CGameFlow::FinishLevel() {
    LevelStatistics& stats = m_playfield.Stats();
    const LevelDoneSummary summary = BuildLevelDoneSummary(stats, m_playfield.MoveDowns());
    PlayGameSound(EGameSound::LevelDone);
    if (summary.perfect) {
        PlayGameSound(EGameSound::LevelDonePerfect);
    }
    AddToScore(m_playfield.Progress(), summary.bonus);
    RollLevelStatistics(stats, summary);
    LoadLevel(true);
    return summary;
}

bool CGameFlow::ReloadLevel() {
    m_playfield.Stats().ZeroLevel();
    return LoadLevel(false);
}

bool CGameFlow::CheckExtraLife() {
    return ::CheckExtraLife(m_playfield.Progress(), m_playfield.Difficulty());
}

EFlowNext CGameFlow::AfterLevelDone() const {
    if (IsGameOver() && m_allLevelsDone) {
        return EFlowNext::GameDone;
    }
    return Proceed();
}

uint32_t CGameFlow::FinalScore() const {
    return static_cast<uint32_t>(std::max(m_playfield.Progress().score, 0));
}
