// The program's state factory and its table of sound events.
#include "app/SoundEvents.h"
#include "app/StateFactory.h"
#include "gui/StateNumbers.h"

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
    std::set<std::string> names;
    std::set<const CSound*> sounds;
    for (int32_t i = 0; i < kGameSoundCount; ++i) {
        const EGameSound event = static_cast<EGameSound>(i);
        const std::string name = GameSoundName(event);
        names.insert(name);
        sounds.insert(&GetSoundEvent(event));
        EXPECT_EQ(GameSoundPlaybacks(event), name == "powerup_explosion_small" ? 2 : 1) << name;
        EXPECT_EQ(FindSoundEvent(name.c_str()), &GetSoundEvent(event));
    }
    EXPECT_EQ(names.size(), 25u);
    EXPECT_EQ(sounds.size(), 25u);
    // Loading order: the power-ups first, the two menu sounds last.
    EXPECT_EQ(std::string(GameSoundName(static_cast<EGameSound>(0))), "powerup_explosion");
    EXPECT_EQ(std::string(GameSoundName(static_cast<EGameSound>(kGameSoundCount - 1))), "menu_execute_item");
    EXPECT_EQ(FindSoundEvent("combo"), &GetSoundEvent(EGameSound::Combo));
    EXPECT_EQ(FindSoundEvent("ball_remove"), &GetSoundEvent(EGameSound::BallRemove));
    EXPECT_EQ(FindSoundEvent("no_such_sound"), nullptr);
    EXPECT_EQ(FindSoundEvent("combo.wav"), nullptr);
}
}  // namespace
