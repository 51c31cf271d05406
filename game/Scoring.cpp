#include "game/Scoring.h"

#include "game/GameTexts.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

DifficultyRules RulesForDifficulty(int32_t difficulty) {
    switch (difficulty) {
        case 1: return {600.0f, 7, 100000};
        case 2: return {15.0f, 6, 250000};
        case 3: return {10.0f, 5, 500000};
        case 5: return {6.0f, 5, 1000000};
        case 4:
        default: return {5.0f, 5, 1000000};
    }
}

int32_t BallPoints(int32_t removedCount) {
    if (removedCount < 1) {
        return 0;
    }
    int64_t points = 0;
    int64_t ballValue = 500;
    if (removedCount >= 3) {
        points = 500;
        for (int32_t ball = 4; ball <= removedCount; ++ball) {
            points += ballValue;
            ballValue += 50;
        }
    } else {
        for (int32_t ball = 1; ball <= removedCount; ++ball) {
            points += ballValue;
            ballValue += 50;
        }
    }
    return points > INT_MAX ? INT_MAX : static_cast<int32_t>(points);
}

int32_t ComboPoints(int32_t combo) {
    if (combo < 2) {
        return 0;
    }
    int64_t latest = 0;
    int64_t before = 0;
    int64_t step = 200;
    for (int32_t i = 0; i < combo - 1 && latest <= INT_MAX; ++i) {
        const int64_t value = before + step;
        before = latest;
        latest = value;
        step += 200;
    }
    return latest > INT_MAX ? INT_MAX : static_cast<int32_t>(latest);
}

namespace {
int32_t Saturated(int64_t value) {
    return value > INT_MAX ? INT_MAX : (value < INT_MIN ? INT_MIN : static_cast<int32_t>(value));
}
}  // namespace

void AddToScore(PlayerProgress& progress, int32_t points) {
    progress.score = Saturated(static_cast<int64_t>(progress.score) + points);
}

int32_t ScoreRemoval(PlayerProgress& progress) {
    progress.ballPoints = BallPoints(progress.removed);
    progress.comboPoints = ComboPoints(progress.combo);
    const int32_t sum = Saturated(static_cast<int64_t>(progress.ballPoints) + progress.comboPoints);
    AddToScore(progress, sum);
    progress.removed = 0;
    return sum;
}

bool CheckExtraLife(PlayerProgress& progress, int32_t difficulty) {
    const int32_t step = RulesForDifficulty(difficulty).extraLifeStep;
    if (static_cast<int64_t>(progress.score) < static_cast<int64_t>(progress.extraLifeBase) + step) {
        return false;
    }
    progress.extraLifeBase += step;
    if (progress.lives >= kMaxLives) {
        return false;
    }
    progress.lives += 1;
    progress.extraLifeWon = 1;
    return true;
}

void BoundProgress(PlayerProgress& progress) {
    progress.lives = std::min(progress.lives, kMaxLives);
    progress.score = std::max(progress.score, 0);
    progress.extraLifeBase = std::max(progress.extraLifeBase, 0);
}

int32_t RowBonusForRow(int32_t row) {
    if (row < 0 || row > 20) {
        return 0;
    }
    return kFirstRowBonus << row;
}

int32_t RowBonusTotal(int32_t bottomRow) {
    int32_t total = 0;
    for (int32_t row = 0; row < bottomRow; ++row) {
        total += RowBonusForRow(row);
    }
    return total;
}

int32_t LevelAccuracy(const LevelStatistics& stats) {
    if (stats.shots <= 0) {
        return 100;
    }
    return static_cast<int32_t>(std::lround(static_cast<double>(stats.hits) / stats.shots * 100.0));
}

int32_t AccuracyBonus(int32_t accuracy) {
    if (accuracy >= 100) return 25000;
    if (accuracy >= 90) return 10000;
    if (accuracy >= 80) return 5000;
    if (accuracy >= 70) return 2500;
    if (accuracy >= 50) return 1000;
    return 0;
}

namespace {
void SetLine(PanelLine& line, float y, const char* format, const char* text, int32_t value, const char* suffix) {
    std::snprintf(line.text, sizeof(line.text), format, text, value, suffix);
    line.y = y;
}

void SetTextLine(PanelLine& line, float y, const char* text) {
    std::snprintf(line.text, sizeof(line.text), "%s", text);
    line.y = y;
}
}  // namespace

LevelDoneSummary BuildLevelDoneSummary(const LevelStatistics& stats, int32_t moveDowns) {
    LevelDoneSummary summary;
    summary.hadShots = stats.shots > 0;
    summary.perfect = stats.hits == stats.shots;
    summary.accuracy = LevelAccuracy(stats);

    const char* title = GameText(EGameText::WellDone);
    if (summary.perfect) {
        title = GameText(EGameText::Perfect);
    } else if (moveDowns == 0) {
        title = GameText(EGameText::PerfectBonus);
    } else if (moveDowns == 11) {
        title = GameText(EGameText::ThatWasClose);
    }
    SetTextLine(summary.lines[summary.lineCount++], 130.0f, title);
    SetLine(summary.lines[summary.lineCount++], 180.0f, "%s%d%s", GameText(EGameText::Accuracy), summary.accuracy, "%");

    float combosY = 215.0f;
    summary.bonus = summary.hadShots ? AccuracyBonus(summary.accuracy) : 0;
    if (summary.bonus > 0) {
        SetLine(summary.lines[summary.lineCount++], 215.0f, "%s%d%s", GameText(EGameText::Bonus), summary.bonus, "");
        combosY = 243.0f;
    }
    SetLine(summary.lines[summary.lineCount++], combosY, "%s%d%s", GameText(EGameText::Combos), stats.matches - 1, "");
    return summary;
}

void RollLevelStatistics(LevelStatistics& stats, const LevelDoneSummary& summary) {
    if (summary.hadShots) {
        stats.averageAccuracy = stats.averageAccuracy == 0 ? summary.accuracy
                                                           : (stats.averageAccuracy + summary.accuracy) / 2;
    }
    stats.totalMatches += stats.matches;
    stats.ZeroLevel();
}

GameDoneSummary BuildGameDoneSummary(const LevelStatistics& stats) {
    GameDoneSummary summary;
    SetTextLine(summary.lines[summary.lineCount++], 130.0f, GameText(EGameText::AllLevelsDone));
    SetLine(summary.lines[summary.lineCount++], 180.0f, "%s%d%s", GameText(EGameText::Accuracy), stats.averageAccuracy, "%");
    SetLine(summary.lines[summary.lineCount++], 215.0f, "%s%d%s", GameText(EGameText::Combos), stats.totalMatches, "");
    return summary;
}
