#include "game/ReplayPlayback.h"

#include "game/SavedGame.h"

#include <cstdio>

namespace {

class CHeadlessReplay final : private IPlayfieldListener, private ILevelSource {
public:
    CHeadlessReplay(const ReplayData& replay, IReplayLevels& levels)
        : m_replay(replay), m_levels(levels), m_flow(m_playfield, *this) {}

    ReplayVerdict Run();

private:
    // IPlayfieldListener: what the game does at once when the field tells it.
    void OnLevelFinished() override { ApplyIfNext(EReplayEvent::FinishLevel); }
    void OnMulticolorArrived() override { m_flow.GiveMulticolorBall(); }
    void OnReplayLevel() override {
        // The level starts again unless it could not be read (the game is then over).
        if (ApplyIfNext(EReplayEvent::ReloadLevel)) {
            const ReplayEvent* start = m_reader.PeekEvent();
            if (start != nullptr && start->kind == EReplayEvent::StartLevel) {
                ApplyIfNext(EReplayEvent::StartLevel);
            }
        }
    }
    void OnRowBonus(int32_t points, float x, float y) override { m_flow.PayRowBonus(points, x, y); }
    // ILevelSource: the recorded seed, the level's cells checked against the recording.
    bool LoadLevel(int32_t number, CPlayfield& playfield) override;

    bool ApplyIfNext(EReplayEvent kind);
    void Apply(const ReplayEvent& event);
    void ApplyContinue(const ReplayEvent& event);
    void Diverge(const char* why);

    const ReplayData& m_replay;
    IReplayLevels& m_levels;
    CPlayfield m_playfield;
    CGameFlow m_flow;
    CReplayReader m_reader;
    ReplayVerdict m_verdict;
    bool m_diverged = false;
    bool m_started = false;
};

void CHeadlessReplay::Diverge(const char* why) {
    if (m_diverged) {
        return;
    }
    m_diverged = true;
    m_verdict.divergedAt = m_reader.StepNumber();
    m_verdict.why = why;
}

bool CHeadlessReplay::LoadLevel(int32_t number, CPlayfield& playfield) {
    const ReplayEvent* seed = m_reader.TakeEvent(EReplayEvent::Seed);
    if (seed == nullptr || seed->number != number) {
        Diverge("a level was loaded that the recording did not load");
        return false;
    }
    if (seed->extra == kRefusedLevelCrc) {
        return false;   // it could not be read when the game was played either
    }
    std::vector<uint8_t> bytes;
    if (!m_levels.LevelBytes(number, bytes) || !playfield.LoadLevelBytes(bytes.data(), bytes.size())) {
        Diverge("a level of the recording is missing");
        return false;
    }
    if (LevelCellsCrc(playfield.Board()) != seed->extra) {
        Diverge("a level differs from the one recorded");
        return false;
    }
    playfield.Random().Seed(seed->value);
    return true;
}

bool CHeadlessReplay::ApplyIfNext(EReplayEvent kind) {
    const ReplayEvent* event = m_reader.PeekEvent();
    if (event == nullptr || event->kind != kind) {
        Diverge("the game's flow went another way than recorded");
        return false;
    }
    m_reader.SkipEvent();
    Apply(*event);
    return true;
}

void CHeadlessReplay::Apply(const ReplayEvent& event) {
    switch (event.kind) {
        case EReplayEvent::LoadLevel:
            if (!m_started) {
                // The game's first load: the level the recording begins on.
                const ReplayEvent* seed = m_reader.PeekEvent();
                m_flow.SetLevels(seed != nullptr && seed->kind == EReplayEvent::Seed ? seed->number
                                                                                     : m_replay.header.levelNumber,
                                 m_replay.header.lastLevel);
            }
            m_flow.LoadLevel(event.number == 1);
            if (!m_started && !m_replay.header.fromSave) {
                m_flow.ResetProgress();
            }
            m_started = true;
            break;
        case EReplayEvent::ReloadLevel:
            m_flow.ReloadLevel();
            break;
        case EReplayEvent::FinishLevel:
            m_flow.FinishLevel();
            break;
        case EReplayEvent::StartLevel:
            m_flow.StartLevel();
            break;
        case EReplayEvent::Panel:
            m_playfield.SetPanelShown(event.number == 1);
            break;
        case EReplayEvent::Continue:
            ApplyContinue(event);
            break;
        case EReplayEvent::End:
            m_verdict.finalScore = m_flow.FinalScore();
            m_verdict.levelsFinished = m_flow.LevelsFinished();
            if (m_verdict.finalScore != event.value || m_verdict.levelsFinished != event.number) {
                Diverge("the final score differs");
            }
            break;
        case EReplayEvent::Seed:
            Diverge("a level the recording loaded was not loaded");
            break;
        default:
            break;
    }
}

void CHeadlessReplay::ApplyContinue(const ReplayEvent& event) {
    std::vector<uint8_t> saveBytes, fieldBytes;
    SavedGame game;
    std::string why;
    if (!UnpackSaveBytes(event.save, saveBytes, fieldBytes) || !DecodeSavedGame(saveBytes, fieldBytes, game, why)) {
        Diverge("the continued saved game is damaged");
        return;
    }
    // As a game state that has just been made continues it.
    m_playfield.SetPanelShown(false);
    m_playfield.Progress() = PlayerProgress();
    m_flow.BeginGame(game.values.levelNumber, game.values.lastLevel);
    m_flow.ContinueGame(game.values.levelNumber, game.values.lastLevel, game.values.allLevelsDone);
    m_playfield.SetDifficulty(game.values.difficulty);
    ApplySavedGame(game, m_playfield);
    m_playfield.SetSeenShot(false);
    m_playfield.Random().Seed(event.extra);
    m_started = true;
}

ReplayVerdict CHeadlessReplay::Run() {
    m_reader.Start(&m_replay);
    m_playfield.SetListener(this);
    m_playfield.SetDifficulty(m_replay.header.difficulty);
    m_flow.BeginGame(m_replay.header.levelNumber, m_replay.header.lastLevel);
    while (!m_diverged) {
        // What happened before the step: the start of the game, a continued save, the
        // panel coming or going.
        const bool beforeFirstStep = m_reader.StepNumber() == 0;
        while (const ReplayEvent* event = m_reader.PeekEvent()) {
            const bool before = beforeFirstStep || event->kind == EReplayEvent::Panel ||
                                event->kind == EReplayEvent::Continue || event->kind == EReplayEvent::LoadLevel;
            if (event->kind == EReplayEvent::Check || event->kind == EReplayEvent::Seed || !before) {
                break;
            }
            m_reader.SkipEvent();
            Apply(*event);
        }
        if (m_reader.AtEnd()) {
            break;
        }
        const ReplayStep step = m_reader.NextStep();
        if (!step.Has(ReplayInput::Held)) {
            m_playfield.Update(CPlayfield::kStepLength, step.ToPlayInput());
        }
        // What the game did after the field's step: a level started once its panel went.
        while (const ReplayEvent* event = m_reader.PeekEvent()) {
            if (event->kind == EReplayEvent::Check || event->kind == EReplayEvent::Panel ||
                event->kind == EReplayEvent::Continue || event->kind == EReplayEvent::LoadLevel) {
                break;
            }
            m_reader.SkipEvent();
            Apply(*event);
        }
        m_flow.CheckExtraLife();
        uint32_t expected = 0, actual = 0;
        if (!m_reader.CheckField(m_playfield, expected, actual)) {
            char line[96];
            std::snprintf(line, sizeof line, "the field differs (checksum %08x, recorded %08x)", actual, expected);
            m_verdict.why = line;
            m_diverged = true;
            m_verdict.divergedAt = m_reader.StepNumber();
        } else if (expected != 0 || actual != 0) {
            ++m_verdict.checksAgreed;
        }
    }
    // The events after the last step (the game's end).
    while (!m_diverged) {
        const ReplayEvent* event = m_reader.PeekEvent();
        if (event == nullptr) {
            break;
        }
        m_reader.SkipEvent();
        Apply(*event);
    }
    m_verdict.stepsPlayed = m_reader.StepNumber();
    m_verdict.agrees = !m_diverged;
    m_playfield.SetListener(nullptr);
    return m_verdict;
}
}  // namespace

ReplayVerdict VerifyReplay(const ReplayData& replay, IReplayLevels& levels) {
    CHeadlessReplay player(replay, levels);
    return player.Run();
}
