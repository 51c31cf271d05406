#pragma once
// Points, combos, bonuses, extra lives and the rules that the difficulty changes.
#include <cstdint>

// The in-game part of the current player's record: the running values of a game.
struct PlayerProgress {
    int32_t lives = 2;
    int32_t score = 0;
    int32_t shotsFired = 0;
    float playTime = 0.0f;
    int32_t extraLifeBase = 0;
    int32_t removed = 0;        // balls taken off by the last removal, matched and dropped
    int32_t combo = 0;          // successive shots that each removed a group
    int32_t ballPoints = 0;     // the two parts of the last scoring
    int32_t comboPoints = 0;
    uint8_t extraLifeWon = 0;

    // A new game: two spare lives, nothing scored.
    void ResetForNewGame() { *this = PlayerProgress(); }
};

// Statistics of the level being played and of the finished levels of this game.
struct LevelStatistics {
    int32_t shots = 0;
    int32_t hits = 0;
    int32_t matches = 0;
    int32_t averageAccuracy = 0;
    int32_t totalMatches = 0;

    void ZeroLevel() { shots = hits = matches = 0; }
    void ZeroAll() { *this = LevelStatistics(); }
};

struct DifficultyRules {
    float idleTime;             // seconds without a shot before the countdown
    int32_t shotsPerMoveDown;
    int32_t extraLifeStep;      // score between two extra lives
};

constexpr int32_t kDefaultDifficulty = 1;
constexpr int32_t kNormalDifficulty = 5;
DifficultyRules RulesForDifficulty(int32_t difficulty);

// Points for n balls taken off together: 500 for the first three, then 500, 550, 600...
int32_t BallPoints(int32_t removedCount);
// Points for the c-th successive removing shot: 0, 200, 400, 800, 1200, 1800, ...
int32_t ComboPoints(int32_t combo);
// Adds points to the score; a score at the top of its range stays there instead of wrapping.
void AddToScore(PlayerProgress& progress, int32_t points);
// Turns the removed counter into ball and combo points, adds both to the score, zeroes
// the counter and returns their sum.
int32_t ScoreRemoval(PlayerProgress& progress);
// The most spare lives a player can hold; a saved game with more is refused.
constexpr int32_t kMaxLives = 999;
// At most one life per call: true when the score passed the next extra-life mark. At
// kMaxLives the mark moves on without a life.
bool CheckExtraLife(PlayerProgress& progress, int32_t difficulty);
// Brings the running values into the ranges a saved game may hold: lives at most
// kMaxLives, score and extra-life base not negative.
void BoundProgress(PlayerProgress& progress);

constexpr int32_t kPowerUpPoints = 250;
constexpr int32_t kFirstRowBonus = 25;
// The row bonus of a finished level for rows 0 .. bottomRow - 1 (25, 50, 100, ...).
int32_t RowBonusForRow(int32_t row);
int32_t RowBonusTotal(int32_t bottomRow);

// Accuracy of a level in percent, rounded; a level without a shot counts as 100.
int32_t LevelAccuracy(const LevelStatistics& stats);
// The accuracy bonus for a percentage (0 below 50).
int32_t AccuracyBonus(int32_t accuracy);

constexpr int32_t kPanelLineLength = 64;

struct PanelLine {
    char text[kPanelLineLength] = {};
    float y = 0.0f;
};

// What the level-done panel shows and awards.
struct LevelDoneSummary {
    PanelLine lines[4];
    int32_t lineCount = 0;
    int32_t accuracy = 0;
    int32_t bonus = 0;          // the accuracy bonus, added to the score
    bool perfect = false;       // every shot a hit: "level_done_perfect" is played too
    bool hadShots = false;
};

// moveDowns: how often the field moved down in the level.
LevelDoneSummary BuildLevelDoneSummary(const LevelStatistics& stats, int32_t moveDowns);
// After the level-done panel: folds the level's accuracy and matches into the game's
// figures and zeroes the level's statistics. A level without a shot leaves the average alone.
void RollLevelStatistics(LevelStatistics& stats, const LevelDoneSummary& summary);

struct GameDoneSummary {
    PanelLine lines[3];
    int32_t lineCount = 0;
};
GameDoneSummary BuildGameDoneSummary(const LevelStatistics& stats);
