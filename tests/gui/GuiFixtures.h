#pragma once
// Fixtures of the screen tests: the baked archives mounted, the program's fonts made, the
// mouse and keys injected step by step, and the menu sounds counted.
#include "game/GameSounds.h"
#include "platform/Input.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

class CGuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Moves the pointer; it is read at the next step.
    static void PointAt(int32_t x, int32_t y);
    static void HoldButton(bool held);
    static void HoldKey(uint8_t key, bool held);
    // One fixed step of input: the snapshot, the cursor, then fn (the states' update).
    template <typename Fn>
    static void Step(Fn&& fn) {
        CInput::Get().Update();
        CMouseCursor::Get().Update(kStep);
        fn();
    }
    static int32_t HoverSounds();
    static int32_t ExecuteSounds();
    // Plays of any sound event since the test began.
    static int32_t SoundCount(EGameSound sound);

    static constexpr float kStep = 1.0f / 150.0f;
};

// A screen test with a scratch write folder of its own, mounted before the baked pictures
// and fonts, and no players.
class CScreenTest : public CGuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    CTempFolder m_folder;
};

class CEngineState;
// A level file whose top row holds ten balls of colour 0 and nothing else.
Bytes TopRowLevel();
// The state factory of the game tests: it makes the game screen alone.
CEngineState* CreateGameOnly(int32_t stateId);
