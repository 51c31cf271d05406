// The program's state factory and its table of sound events.
#include "engine/SoundEvents.h"
#include "engine/StateFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {
TEST(StateFactoryTest, ReservedAndUnknownNumbersCreateNothing) {
    const int32_t numbers[] = {kStateNone, kStateEmpty, 0, -1, 10002, 10008, 4242, 20002, 99999};
    for (const int32_t id : numbers) {
        std::unique_ptr<CEngineState> state(CreateState(id));
        EXPECT_EQ(state, nullptr) << id;
    }
}

TEST(StateFactoryTest, TheFirstStateExists) {
    std::unique_ptr<CEngineState> state(CreateState(kStateIntro));
    ASSERT_NE(state, nullptr);
    EXPECT_GT(std::string(state->GetName()).size(), 1u);
    EXPECT_EQ(state->GetName()[0], 'C');
}

TEST(SoundEventTest, TwentyFiveDistinctEventsAndOnlyTheSmallExplosionPlaysTwice) {
    const SoundEvent* events = GetSoundEvents();
    std::set<std::string> names;
    std::set<const CSound*> sounds;
    for (int i = 0; i < kSoundEventCount; ++i) {
        names.insert(events[i].name);
        sounds.insert(events[i].sound);
        const bool twice = std::string(events[i].name) == "powerup_explosion_small";
        EXPECT_EQ(events[i].playbacks, twice ? 2 : 1) << events[i].name;
        EXPECT_EQ(FindSoundEvent(events[i].name), events[i].sound);
    }
    EXPECT_EQ(names.size(), 25u);
    EXPECT_EQ(sounds.size(), 25u);
    // Loading order: the power-ups first, the two menu sounds last.
    EXPECT_EQ(std::string(events[0].name), "powerup_explosion");
    EXPECT_EQ(std::string(events[kSoundEventCount - 1].name), "menu_execute_item");
    EXPECT_EQ(FindSoundEvent("combo"), &g_soundCombo);
    EXPECT_EQ(FindSoundEvent("ball_remove"), &g_soundBallRemove);
    EXPECT_EQ(FindSoundEvent("no_such_sound"), nullptr);
    EXPECT_EQ(FindSoundEvent("combo.wav"), nullptr);
}
}  // namespace
