#include "tools/sim/SimSession.h"

#include "core/Random.h"
#include "game/GameSession.h"
#include "game/LevelText.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
constexpr int32_t kResolveStepLimit = 150 * 20;

// The playfield's events that a session takes between two steps: the level's end, a
// replay, game over, and the lives lost on the way.
class CSessionEvents : public IPlayfieldListener {
public:
    void OnLevelFinished() override { levelFinished = true; }
    void OnReplayLevel() override { replay = true; }
    void OnLifeLost() override { ++livesLost; }
    void OnGameOver() override { gameOver = true; }

    bool levelFinished = false;
    bool replay = false;
    bool gameOver = false;
    int32_t livesLost = 0;
};

// One level on its own: the answers that change the field right away go to the playfield.
class CSimListener : public CSessionEvents {
public:
    explicit CSimListener(CPlayfield& playfield) : m_playfield(playfield) {}
    void OnMulticolorArrived() override { m_playfield.GiveMulticolorBall(); }
    void OnRowBonus(int32_t points, float x, float y) override { m_playfield.AddScore(points, x, y); }

private:
    CPlayfield& m_playfield;
};
}  // namespace

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

namespace {
// The player at the controls: when a ball may be fired, the bot (or a random aim)
// chooses; a swap asked for comes in one step, the shot in the next.
class CSimPlayer {
public:
    CSimPlayer(const SimOptions& options, CBot& bot) : m_options(options), m_bot(bot), m_aims(options.seed) {}

    PlayInput Next(const CPlayfield& playfield) {
        PlayInput input;
        if (!playfield.CanFire()) {
            return input;
        }
        if (!m_fireNext) {
            m_choice = m_options.randomAims ? CBot::RandomAim(m_aims) : m_bot.Choose(playfield);
            m_fireNext = true;
            if (m_choice.swapFirst) {
                input.swapHit = true;
            }
        }
        if (!input.swapHit) {
            input.mouseX = m_choice.mouseX;
            input.mouseY = m_choice.mouseY;
            input.mouseMoved = true;
            input.fireHit = true;
            m_fireNext = false;
        }
        return input;
    }
    // A new level or attempt: a choice not yet fired is dropped.
    void Forget() { m_fireNext = false; }

private:
    const SimOptions& m_options;
    CBot& m_bot;
    CRandom m_aims;   // the random aims of the soak run
    BotChoice m_choice;
    bool m_fireNext = false;
};

void StartAttempt(CPlayfield& playfield, const LevelBytes& level, uint32_t seed, InvariantState& state) {
    playfield.Random().Seed(seed);
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

    CSimPlayer player(options, bot);
    for (result.steps = 0; result.steps < options.stepLimit; ++result.steps) {
        playfield.Update(CPlayfield::kStepLength, player.Next(playfield));
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
            player.Forget();
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

namespace {
// The pack in memory as the game's level files: level n is the n-th of the pack. Every
// load seeds the random generator anew from the game's seed, so one seed plays one game.
class CPackSource final : public ISessionLevels {
public:
    CPackSource(const std::vector<LevelBytes>& levels, uint32_t seed) : m_levels(levels), m_seed(seed) {}

    bool ReadLevel(int32_t number, CPlayfield& playfield) override {
        if (number < 1 || static_cast<size_t>(number) > m_levels.size()) {
            return false;
        }
        const LevelBytes& level = m_levels[static_cast<size_t>(number) - 1];
        return playfield.LoadLevelBytes(level.bytes.data(), level.bytes.size());
    }
    uint32_t NewSeed() override { return m_seed + m_loads++ * 7919u; }

private:
    const std::vector<LevelBytes>& m_levels;
    uint32_t m_seed;
    uint32_t m_loads = 0;
};

// One game in progress, played through the game session as the game's screen plays it:
// the bot aims and fires, and clicks every panel away at once.
class CGameRun final : private IGameSessionListener {
public:
    CGameRun(const std::vector<LevelBytes>& levels, const GameOptions& game, const SimOptions& options, CBot& bot)
        : m_game(game), m_options(options), m_source(levels, options.seed), m_session(m_source, *this),
          m_player(options, bot) {
        const size_t last = std::min(game.last, levels.size() - 1);
        m_start.difficulty = options.difficulty;
        m_start.levelNumber = static_cast<int32_t>(game.first) + 1;
        m_start.firstLevel = m_start.levelNumber;
        m_start.lastLevel = static_cast<int32_t>(last) + 1;
        m_start.record = false;
    }
    CGameRun(const CGameRun&) = delete;
    CGameRun& operator=(const CGameRun&) = delete;

    GameResult Play() {
        m_session.StartNew(m_start);
        const CGameFlow& flow = m_session.Flow();
        while (!flow.IsAllLevelsDone() && m_result.fault.empty() && !m_ended) {
            Step();
        }
        const CPlayfield& playfield = m_session.Playfield();
        m_result.score = playfield.Progress().score;
        m_result.lives = playfield.Progress().lives;
        m_result.packDone = flow.IsAllLevelsDone();
        return m_result;
    }

private:
    // IGameSessionListener: the session's moves that the run counts.
    void OnLevelStarted(int32_t) override {
        m_player.Forget();
        RememberLoad(m_session.Playfield(), m_invariants);
    }
    void OnGameEvent(EGameEvent event, int32_t) override {
        if (event == EGameEvent::LifeLost) {
            ++m_livesLost;
        } else if (event == EGameEvent::ExtraLife) {
            ++m_result.extraLives;
        }
    }
    void OnPanelShown(EPanelSlot slot, const SessionPanel& panel) override {
        if (slot != EPanelSlot::Main) {
            return;
        }
        if (panel.mode == EPanelMode::LevelDone) {
            m_result.accuracyBonus += panel.levelDone->bonus;
            CloseLevel(true);
        } else if (panel.mode == EPanelMode::GameOver) {
            m_lost = true;
        }
    }
    void OnGameEnded(uint32_t, int32_t) override { m_ended = true; }

    // A new level: its figures start from the running values as they are now.
    void OpenLevel() {
        const PlayerProgress& progress = m_session.Playfield().Progress();
        m_current = GameLevelResult();
        m_shotsBefore = progress.shotsFired;
        m_scoreBefore = progress.score;
        m_livesLostBefore = m_livesLost;
    }

    void CloseLevel(bool cleared) {
        const PlayerProgress& progress = m_session.Playfield().Progress();
        LevelResult& level = m_current.level;
        level.cleared = cleared;
        level.shots = progress.shotsFired - m_shotsBefore;
        level.score = progress.score - m_scoreBefore;
        level.livesLost = m_livesLost - m_livesLostBefore;
        m_current.livesAfter = progress.lives;
        m_result.levels.push_back(m_current);
    }

    // The bot's input; a panel in front of the field is clicked away.
    ReplayStep NextStep() {
        ReplayStep step = ReplayStep::FromPlayInput(m_player.Next(m_session.Playfield()));
        if (m_session.AnyPanelShown()) {
            step.input |= ReplayInput::Dismiss;
        }
        return step;
    }

    void Step() {
        if (m_result.levels.size() == m_levelsOpened) {
            OpenLevel();
            ++m_levelsOpened;
        }
        m_session.Step(NextStep());
        ++m_result.steps;
        ++m_current.level.steps;
        if (m_options.checkInvariants) {
            m_result.fault = CheckInvariants(m_session.Playfield(), m_invariants);
            if (!m_result.fault.empty()) {
                CloseLevel(false);
                return;
            }
        }
        if (m_lost) {
            m_lost = false;
            LoseGame();
        } else if (m_current.level.steps >= m_options.stepLimit && m_result.levels.size() < m_levelsOpened) {
            // A level the bot cannot finish in the time counts as lost.
            LoseGame();
        }
    }

    // The last life is gone. A plain game ends here; the pack check gives the level a
    // fresh set of lives once, and after a second loss goes on at the next level.
    void LoseGame() {
        if (!m_game.packCheck) {
            m_result.gameOver = true;
            CloseLevel(false);
            m_ended = true;
            return;
        }
        CPlayfield& playfield = m_session.Playfield();
        playfield.Progress().lives = PlayerProgress().lives;
        if (m_current.rescues == 0) {
            ++m_current.rescues;
            m_ended = !m_session.RestartLevel(false) && !m_session.Flow().IsAllLevelsDone();
            return;
        }
        CloseLevel(false);
        playfield.Stats().ZeroLevel();
        m_ended = !m_session.RestartLevel(true) && !m_session.Flow().IsAllLevelsDone();
    }

    const GameOptions& m_game;
    const SimOptions& m_options;
    CPackSource m_source;
    CGameSession m_session;
    CSimPlayer m_player;
    SessionStart m_start;
    InvariantState m_invariants;
    GameResult m_result;
    GameLevelResult m_current;
    size_t m_levelsOpened = 0;
    int32_t m_shotsBefore = 0;
    int32_t m_scoreBefore = 0;
    int32_t m_livesLostBefore = 0;
    int32_t m_livesLost = 0;
    bool m_lost = false;
    bool m_ended = false;
};
}  // namespace

int32_t GameResult::LevelsCleared() const {
    int32_t cleared = 0;
    for (const GameLevelResult& level : levels) {
        cleared += level.level.cleared ? 1 : 0;
    }
    return cleared;
}

GameResult PlayGame(const std::vector<LevelBytes>& levels, const GameOptions& game, const SimOptions& options,
                    CBot& bot) {
    if (levels.empty() || game.first >= levels.size() || game.first > game.last) {
        return GameResult();
    }
    CGameRun run(levels, game, options, bot);
    return run.Play();
}
