// What recording a game costs: the time of one step's recording (the field checksum once a
// second included) and the bytes a minute of play takes in the replay file, for a player
// who keeps the mouse moving while aiming.
#include "core/Random.h"
#include "game/Replay.h"
#include "tools/sim/SimSession.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {
constexpr int32_t kStepsPerMinute = 150 * 60;

// A minute of a person's input: the aim sweeps towards a new target for about a second,
// rests, and a shot goes every two seconds; a swap now and then and one short pause.
std::vector<ReplayStep> AMinuteOfPlay() {
    std::vector<ReplayStep> steps(kStepsPerMinute);
    CRandom random(3);
    float x = 320.0f, y = 200.0f, targetX = 320.0f, targetY = 200.0f;
    for (int32_t step = 0; step < kStepsPerMinute; ++step) {
        ReplayStep& input = steps[static_cast<size_t>(step)];
        if (step % 300 == 0) {
            targetX = 40.0f + static_cast<float>(random.Next() % 560);
            targetY = 40.0f + static_cast<float>(random.Next() % 300);
        }
        if (step % 300 < 150 && step % 2 == 0) {
            x += (targetX - x) * 0.05f;
            y += (targetY - y) * 0.05f;
            input.input |= ReplayInput::Moved;
        }
        input.aimX = std::round(x * 4.0f) / 4.0f;
        input.aimY = std::round(y * 4.0f) / 4.0f;
        if (step % 300 == 200) {
            input.input |= ReplayInput::Fire;
        }
        if (step % 1500 == 1000) {
            input.input |= ReplayInput::Swap;
        }
        if (step >= 4000 && step < 4300) {
            input.input |= ReplayInput::Held;
        }
    }
    return steps;
}

CPlayfield& BusyPlayfield() {
    static CPlayfield playfield;
    static bool loaded = false;
    if (!loaded) {
        std::vector<LevelBytes> levels;
        std::string error;
        LoadLevelSources(std::string(PELLORA_SOURCE_DIR) + "/data/levels", levels, error);
        playfield.LoadLevelBytes(levels.at(81).bytes.data(), levels.at(81).bytes.size());
        playfield.Random().Seed(5);
        playfield.StartLevel();
        loaded = true;
    }
    return playfield;
}

void BM_RecordOneStep(benchmark::State& state) {
    const std::vector<ReplayStep> minute = AMinuteOfPlay();
    const CPlayfield& playfield = BusyPlayfield();
    CReplayRecorder recorder;
    recorder.Begin(ReplayHeader());
    size_t step = 0;
    for (auto _ : state) {
        recorder.Step(minute[step], playfield);
        if (++step == minute.size()) {
            state.PauseTiming();
            step = 0;
            recorder.Begin(ReplayHeader());
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordOneStep)->Unit(benchmark::kNanosecond);

// The counter is the size of the replay file of one minute of that play.
void BM_AMinuteOfPlayOnDisk(benchmark::State& state) {
    const std::vector<ReplayStep> minute = AMinuteOfPlay();
    const CPlayfield& playfield = BusyPlayfield();
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        CReplayRecorder recorder;
        recorder.Begin(ReplayHeader());
        for (const ReplayStep& input : minute) {
            recorder.Step(input, playfield);
        }
        EncodeReplay(recorder.Data(), bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["bytes_per_minute"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_AMinuteOfPlayOnDisk)->Unit(benchmark::kMillisecond);
}  // namespace
