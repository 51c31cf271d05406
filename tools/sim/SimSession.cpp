#include "tools/sim/SimSession.h"

#include "core/Random.h"
#include "game/LevelText.h"
#include "resources/FileManager.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
constexpr int32_t kResolveStepLimit = 150 * 20;

// What the game does with the playfield's events: the answers that change the field
// right away happen here; a replay is done by the session between two steps.
class CSimListener : public IPlayfieldListener {
public:
    explicit CSimListener(CPlayfield& playfield) : m_playfield(playfield) {}
    void OnLevelFinished() override { levelFinished = true; }
    void OnMulticolorArrived() override { m_playfield.GiveMulticolorBall(); }
    void OnReplayLevel() override { replay = true; }
    void OnLifeLost() override { ++livesLost; }
    void OnRowBonus(int32_t points, float x, float y) override { m_playfield.AddScore(points, x, y); }
    void OnGameOver() override { gameOver = true; }

    bool levelFinished = false;
    bool replay = false;
    bool gameOver = false;
    int32_t livesLost = 0;

private:
    CPlayfield& m_playfield;
};

// The state of the game-owned pieces that the invariants compare against.
struct InvariantState {
    BallCell loadedColumnNine[kBoardRows];
    int32_t resolvingSteps = 0;
    // Balls taken off before this attempt and never scored (an earlier game on the same
    // playfield may have ended with some still falling).
    int64_t uncountedBefore = 0;
};

void RememberLoad(const CPlayfield& playfield, InvariantState& state) {
    for (int32_t row = 0; row < kBoardRows; ++row) {
        state.loadedColumnNine[row] = playfield.Board().CellAt(kBoardColumns - 1, row);
    }
    state.resolvingSteps = 0;
    state.uncountedBefore = playfield.Board().FallingCreatedTotal() - playfield.ScoredRemovedTotal() -
                            playfield.Progress().removed;
}

std::string CheckInvariants(const CPlayfield& playfield, InvariantState& state) {
    char text[160];
    const CBoard& board = playfield.Board();
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            const BallCell& cell = board.CellAt(column, row);
            if (!BallColour::IsKnown(cell.colour)) {
                std::snprintf(text, sizeof(text), "cell (%d, %d) holds code %d", column, row, cell.colour);
                return text;
            }
        }
        const BallCell& nine = board.CellAt(kBoardColumns - 1, row);
        if (board.IsShortRow(row) && !nine.IsEmpty() && !(nine == state.loadedColumnNine[row])) {
            std::snprintf(text, sizeof(text), "column 9 of short row %d got a ball", row);
            return text;
        }
    }
    for (const FallingBall& ball : board.FallingBalls()) {
        if (ball.x < board.Origin().x || ball.x >= board.Origin().x + 320.0f) {
            std::snprintf(text, sizeof(text), "a falling ball at x %.1f is outside the field", ball.x);
            return text;
        }
    }
    state.resolvingSteps = board.IsResolving() ? state.resolvingSteps + 1 : 0;
    if (state.resolvingSteps > kResolveStepLimit) {
        return "power-ups kept resolving for more than 20 seconds";
    }
    const int64_t counted = playfield.ScoredRemovedTotal() + playfield.Progress().removed + state.uncountedBefore;
    if (counted != board.FallingCreatedTotal()) {
        std::snprintf(text, sizeof(text), "removed counted %lld but %lld balls were taken off",
                      static_cast<long long>(counted), static_cast<long long>(board.FallingCreatedTotal()));
        return text;
    }
    return std::string();
}

void StartAttempt(CPlayfield& playfield, const LevelBytes& level, uint32_t seed, InvariantState& state) {
    RandomSeed(seed);
    playfield.LoadLevelBytes(level.bytes.data(), level.bytes.size());
    playfield.Stats().ZeroLevel();
    playfield.StartLevel();
    RememberLoad(playfield, state);
}
}  // namespace

LevelResult PlayLevel(CPlayfield& playfield, const LevelBytes& level, const SimOptions& options, CBot& bot) {
    LevelResult result;
    CSimListener listener(playfield);
    playfield.SetListener(&listener);
    playfield.SetDifficulty(options.difficulty);
    // Each level is judged on its own: a new player's lives and score, on the playfield
    // that played the levels before it.
    playfield.Progress() = PlayerProgress();
    InvariantState state;
    uint32_t attempt = 0;
    StartAttempt(playfield, level, options.seed, state);

    bool fireNext = false;
    BotChoice choice;
    for (result.steps = 0; result.steps < options.stepLimit; ++result.steps) {
        PlayInput input;
        if (playfield.CanFire()) {
            if (!fireNext) {
                choice = options.randomAims ? CBot::RandomAim() : bot.Choose(playfield);
                fireNext = true;
                if (choice.swapFirst) {
                    input.swapHit = true;
                }
            }
            if (!input.swapHit) {
                input.mouseX = choice.mouseX;
                input.mouseY = choice.mouseY;
                input.mouseMoved = true;
                input.fireHit = true;
                fireNext = false;
            }
        }
        playfield.Update(CPlayfield::kStepLength, input);
        CheckExtraLife(playfield.Progress(), options.difficulty);
        if (options.checkInvariants) {
            result.fault = CheckInvariants(playfield, state);
            if (!result.fault.empty()) {
                break;
            }
        }
        if (listener.levelFinished) {
            result.cleared = true;
            break;
        }
        if (listener.gameOver) {
            break;
        }
        if (listener.replay) {
            listener.replay = false;
            fireNext = false;
            ++attempt;
            StartAttempt(playfield, level, options.seed + attempt * 7919u, state);
        }
    }
    result.shots = playfield.Progress().shotsFired;
    result.score = playfield.Progress().score;
    result.livesLost = listener.livesLost;
    playfield.SetListener(nullptr);
    return result;
}

bool LoadLevelSources(const std::string& folder, std::vector<LevelBytes>& out, std::string& error) {
    for (int32_t number = 1;; ++number) {
        char name[32];
        std::snprintf(name, sizeof(name), "%02d.txt", number);
        std::ifstream in(folder + "/" + name);
        if (!in) {
            break;
        }
        std::stringstream text;
        text << in.rdbuf();
        BoardGrid grid;
        if (!ParseLevelText(text.str(), grid, error)) {
            error = std::string(name) + ": " + error;
            return false;
        }
        LevelBytes level;
        level.name = name;
        level.bytes.resize(kLevelFileSize);
        LevelFileBytes(grid, level.bytes.data());
        out.push_back(std::move(level));
    }
    if (out.empty()) {
        error = "no level sources in " + folder;
        return false;
    }
    return true;
}

bool LoadLevelPack(const std::string& path, std::vector<LevelBytes>& out, std::string& error) {
    CFileManager& files = CFileManager::Get();
    files.UnmountAll();
    files.MountFileSystem(path);
    for (int32_t number = 1;; ++number) {
        const std::string name = std::to_string(number) + ".lvl";
        CBoard board;
        if (!files.Exists(name) || !board.LoadLevel(name)) {
            break;
        }
        LevelBytes level;
        level.name = name;
        level.bytes.resize(kLevelFileSize);
        board.StoreToBytes(level.bytes.data());
        out.push_back(std::move(level));
    }
    files.UnmountAll();
    if (out.empty()) {
        error = "no levels in " + path;
        return false;
    }
    return true;
}
