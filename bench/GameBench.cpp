// How fast the rules run: fixed update steps of a busy level with shots flying, power-ups
// acting and balls falling; and one whole level played by the simulator's bot.
#include "core/Log.h"
#include "core/Random.h"
#include "tools/sim/Report.h"
#include "tools/sim/SimSession.h"

#include <benchmark/benchmark.h>

namespace {
const std::vector<LevelBytes>& Pack() {
    static std::vector<LevelBytes> levels;
    if (levels.empty()) {
        std::string error;
        CLog::Get().SetEnabled(false);
        LoadLevelSources(std::string(PELLORA_SOURCE_DIR) + "/data/levels", levels, error);
    }
    return levels;
}

// "Grand finale" (level 82) holds every kind of special ball and eight colours.
const LevelBytes& BusyLevel() {
    return Pack().at(81);
}

void BM_UpdateStepsOfABusyLevel(benchmark::State& state) {
    CPlayfield playfield;
    playfield.Random().Seed(5);
    CRandom aims(5);
    int64_t steps = 0;
    const LevelBytes& level = BusyLevel();
    for (auto _ : state) {
        if (playfield.IsLevelFinished() || playfield.IsClearing() || playfield.IsGameOver() || steps % 20000 == 0) {
            playfield.LoadLevelBytes(level.bytes.data(), level.bytes.size());
            playfield.Progress() = PlayerProgress();
            playfield.StartLevel();
        }
        PlayInput input;
        if (playfield.CanFire()) {
            const BotChoice aim = CBot::RandomAim(aims);
            input.mouseX = aim.mouseX;
            input.mouseY = aim.mouseY;
            input.mouseMoved = true;
            input.fireHit = true;
        }
        playfield.Update(CPlayfield::kStepLength, input);
        ++steps;
        benchmark::DoNotOptimize(playfield.Board().BallCount());
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK(BM_UpdateStepsOfABusyLevel);

void BM_WholeBotGameOfOneLevel(benchmark::State& state) {
    CBot bot;
    SimOptions options;
    options.seed = 3;
    int64_t steps = 0;
    for (auto _ : state) {
        CPlayfield playfield;
        const LevelResult result = PlayLevel(playfield, BusyLevel(), options, bot);
        steps += result.steps;
        benchmark::DoNotOptimize(result.score);
    }
    state.counters["steps"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WholeBotGameOfOneLevel)->Unit(benchmark::kMillisecond);

void BM_BotChoosesOneShot(benchmark::State& state) {
    CPlayfield playfield;
    playfield.Random().Seed(9);
    playfield.LoadLevelBytes(BusyLevel().bytes.data(), BusyLevel().bytes.size());
    playfield.StartLevel();
    CBot bot;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bot.Choose(playfield).value);
    }
}
BENCHMARK(BM_BotChoosesOneShot)->Unit(benchmark::kMicrosecond);

// The whole-pack difficulty report with one seed per level (the test run measures four).
void BM_WholePackReport(benchmark::State& state) {
    ReportOptions options;
    options.seeds = 1;
    for (auto _ : state) {
        const std::vector<LevelMeasure> measures = MeasurePack(Pack(), options);
        benchmark::DoNotOptimize(measures.data());
    }
}
BENCHMARK(BM_WholePackReport)->Unit(benchmark::kMillisecond)->Iterations(1);
}  // namespace

BENCHMARK_MAIN();
