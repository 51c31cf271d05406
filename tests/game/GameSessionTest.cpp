// The game session without a screen: a game recorded as the computer's bot plays it
// through the session, and the same recording checked again.
#include "core/Random.h"
#include "game/Bot.h"
#include "game/GameSession.h"
#include "game/LevelText.h"
#include "game/ReplayPlayback.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
// One level of the sources in data/levels, as the game's level 1.
std::vector<uint8_t> SourceLevel(const char* name) {
    std::ifstream in(std::string(PELLORA_SOURCE_DIR "/data/levels/") + name);
    std::stringstream text;
    text << in.rdbuf();
    BoardGrid grid;
    std::string error;
    EXPECT_TRUE(ParseLevelText(text.str(), grid, error)) << name << ": " << error;
    std::vector<uint8_t> bytes(kLevelFileSize);
    LevelFileBytes(grid, bytes.data());
    return bytes;
}

class COneLevel final : public ISessionLevels, public IReplayLevels {
public:
    COneLevel(std::vector<uint8_t> bytes, uint32_t seed) : m_bytes(std::move(bytes)), m_seed(seed) {}
    bool ReadLevel(int32_t number, CPlayfield& playfield) override {
        return number == 1 && playfield.LoadLevelBytes(m_bytes.data(), m_bytes.size());
    }
    uint32_t NewSeed() override { return m_seed; }
    bool LevelBytes(int32_t number, std::vector<uint8_t>& bytes) override {
        bytes = m_bytes;
        return number == 1;
    }

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_seed;
};

// The bot plays the level through the session for at most `steps` steps, clicking each
// panel away; the recording of what it did.
ReplayData BotGame(COneLevel& level, EBotStrength strength, uint32_t steps) {
    IGameSessionListener nobody;
    CGameSession session(level, nobody);
    SessionStart start;
    start.lastLevel = 1;
    start.playerName = "Bot";
    session.StartNew(start);
    CBot bot(strength, 7);
    BotChoice choice;
    bool fireNext = false;
    for (uint32_t i = 0; i < steps && !session.Recorder().Data().header.finished; ++i) {
        PlayInput play;
        if (session.Playfield().CanFire()) {
            if (!fireNext) {
                choice = bot.Choose(session.Playfield());
                fireNext = true;
                play.swapHit = choice.swapFirst;
            }
            if (!play.swapHit) {
                play.mouseX = choice.mouseX;
                play.mouseY = choice.mouseY;
                play.mouseMoved = true;
                play.fireHit = true;
                fireNext = false;
            }
        }
        ReplayStep step = ReplayStep::FromPlayInput(play);
        if (session.AnyPanelShown()) {
            step.input |= ReplayInput::Dismiss;
        }
        session.Step(step);
    }
    return session.Recorder().Data();
}

// The effects (sparkles, particles) draw from a generator of their own that the game seeds
// from the clock: a replay must play the same whatever it is seeded with.
TEST(GameSession, AReplayPlaysTheSameWhateverTheEffectsGeneratorSays) {
    COneLevel level(SourceLevel("19.txt"), 3);   // multicolour balls, whose sparkles last at random
    RandomSeed(1);
    const ReplayData recorded = BotGame(level, EBotStrength::Hard, 150 * 40);
    ASSERT_GT(recorded.header.steps, 600u);
    for (const uint32_t effectsSeed : {1u, 2u, 12345u, 0xDEADBEEFu}) {
        RandomSeed(effectsSeed);
        const ReplayVerdict verdict = VerifyReplay(recorded, level);
        EXPECT_TRUE(verdict.agrees) << "effects seed " << effectsSeed << ": " << verdict.why << " at step "
                                    << verdict.divergedAt;
        EXPECT_EQ(verdict.stepsPlayed, recorded.header.steps);
    }
}

// Recorded while the checksum still covered the second particles' flag: it plays the same
// whatever the effects generator says, the flag set either way.
TEST(GameSession, ARecordingFromBeforeTheChecksumLeftTheEffectsOutStillPlays) {
    COneLevel level(SourceLevel("19.txt"), 3);
    ReplayData recorded;
    std::string why;
    ASSERT_TRUE(DecodeReplay(ReadFileBytes(PELLORA_SOURCE_DIR "/tests/fixtures/replays/multicolour-effects-in-checksum.rpl"),
                             recorded, why))
        << why;
    for (const uint32_t effectsSeed : {1u, 5u, 0xDEADBEEFu}) {
        RandomSeed(effectsSeed);
        const ReplayVerdict verdict = VerifyReplay(recorded, level);
        EXPECT_TRUE(verdict.agrees) << "effects seed " << effectsSeed << ": " << verdict.why << " at step "
                                    << verdict.divergedAt;
    }
}


// Every event the recording keeps must happen in the playback at its step: one the game
// did not make is found at the step it was kept for.
TEST(GameSession, AnEventThePlaybackDoesNotMakeIsFoundAtItsStep) {
    COneLevel level(SourceLevel("19.txt"), 3);
    RandomSeed(1);
    const ReplayData recorded = BotGame(level, EBotStrength::Hard, 150 * 10);
    ASSERT_TRUE(VerifyReplay(recorded, level).agrees);
    for (const EReplayEvent kind : {EReplayEvent::Panel, EReplayEvent::FinishLevel, EReplayEvent::Seed}) {
        ReplayData altered = recorded;
        ReplayEvent extra;
        extra.kind = kind;
        extra.step = 700;
        extra.number = 1;
        const auto at = std::find_if(altered.events.begin(), altered.events.end(),
                                     [](const ReplayEvent& event) { return event.step > 700; });
        altered.events.insert(at, extra);
        const ReplayVerdict verdict = VerifyReplay(altered, level);
        EXPECT_FALSE(verdict.agrees) << static_cast<int>(kind);
        EXPECT_EQ(verdict.divergedAt, 701u) << static_cast<int>(kind);
    }
}
}  // namespace
