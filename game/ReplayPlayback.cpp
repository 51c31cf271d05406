#include "game/ReplayPlayback.h"

#include "game/GameSession.h"

namespace {
// The replay's levels for the session; a watched game takes its seeds from the recording.
class CReplayLevelSource final : public ISessionLevels {
public:
    explicit CReplayLevelSource(IReplayLevels& levels) : m_levels(levels) {}
    bool ReadLevel(int32_t number, CPlayfield& playfield) override {
        return m_levels.LevelBytes(number, m_bytes) && playfield.LoadLevelBytes(m_bytes.data(), m_bytes.size());
    }
    uint32_t NewSeed() override { return 0; }

private:
    IReplayLevels& m_levels;
    std::vector<uint8_t> m_bytes;
};
}  // namespace

ReplayVerdict VerifyReplay(const ReplayData& replay, IReplayLevels& levels) {
    CReplayLevelSource source(levels);
    IGameSessionListener nobody;
    CGameSession session(source, nobody);
    session.StartWatching(replay);
    while (session.StepWatched()) {
    }
    const WatchProgress& watch = session.Watch();
    ReplayVerdict verdict;
    verdict.agrees = !watch.diverged;
    verdict.stepsPlayed = session.Reader().StepNumber();
    verdict.checksAgreed = watch.checksAgreed;
    verdict.divergedAt = watch.divergedAt;
    verdict.why = watch.why;
    verdict.finalScore = watch.finalScore;
    verdict.levelsFinished = watch.levelsFinished;
    return verdict;
}
