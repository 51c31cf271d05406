// The replay file and the recorder without a screen: every record form comes back as it
// went in, the recorder keeps what the rules need and little else, and damaged or hostile
// files are refused with a reason.
#include "game/Replay.h"
#include "game/SavedGame.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

ReplayStep Input(uint16_t input, float x = 320.0f, float y = 200.0f) {
    ReplayStep step;
    step.input = input;
    step.aimX = x;
    step.aimY = y;
    return step;
}

ReplayEvent Event(EReplayEvent kind, uint32_t step, int32_t number = 0, uint32_t value = 0, uint32_t extra = 0) {
    ReplayEvent event;
    event.kind = kind;
    event.step = step;
    event.number = number;
    event.value = value;
    event.extra = extra;
    return event;
}

// A replay with every kind of record: quiet runs short and long, glances near and far,
// inputs with and without a new aim, and every event.
ReplayData EveryRecord() {
    ReplayData replay;
    replay.header.difficulty = 3;
    replay.header.levelNumber = 4;
    replay.header.lastLevel = 0x7FFFFFFF;
    replay.header.lives = 2;
    replay.header.playerName = "\xC5sa";
    replay.header.finished = true;
    replay.header.finalScore = 123456;
    replay.header.levelsFinished = 3;
    const ReplayStep quiet = Input(0);
    replay.runs = {{quiet, 5},
                   {Input(ReplayInput::Moved, 330.0f, 190.0f), 1},       // glance near
                   {Input(0, 330.0f, 190.0f), 144},                       // long quiet runs
                   {Input(0, 330.0f, 190.0f), 156},
                   {Input(ReplayInput::Moved, 12.0f, 460.0f), 1},         // glance far
                   {Input(ReplayInput::Fire | ReplayInput::Moved, 101.37f, 64.5f), 1},
                   {Input(ReplayInput::Held | ReplayInput::PauseKey, 101.37f, 64.5f), 40},
                   {Input(ReplayInput::Dismiss | ReplayInput::HudPause, 101.37f, 64.5f), 1}};
    Bytes save, field, packed;
    EncodeSavedGame(SavedGame(), save, field);
    PackSaveBytes(save, field, packed);
    replay.events = {Event(EReplayEvent::LoadLevel, 0, 0), Event(EReplayEvent::Seed, 0, 4, 77, 0xABCDEF01u),
                     Event(EReplayEvent::StartLevel, 0),   Event(EReplayEvent::Panel, 0, 1),
                     Event(EReplayEvent::Check, 150, 0, 0x12345678u), Event(EReplayEvent::FinishLevel, 306),
                     Event(EReplayEvent::Seed, 306, 5, 78, 0x1111u), Event(EReplayEvent::ReloadLevel, 307),
                     Event(EReplayEvent::Seed, 307, 5, 79, 0x1111u), Event(EReplayEvent::Saved, 308, 0, 99),
                     Event(EReplayEvent::Continue, 308, 0, 0, 4242), Event(EReplayEvent::End, 349, 3, 123456)};
    replay.events[10].save = packed;
    replay.header.steps = 5 + 1 + 300 + 1 + 1 + 40 + 1;
    return replay;
}

// Puts the stream length and the CRC right again after a change to the bytes.
void Reseal(Bytes& bytes) {
    WriteLe32(&bytes[kReplayStreamLengthOffset], static_cast<uint32_t>(bytes.size() - 4 - kReplayHeaderBytes));
    WriteLe32(&bytes[bytes.size() - 4], Crc32(bytes.data(), bytes.size() - 4));
}

Bytes Encoded(const ReplayData& replay) {
    Bytes bytes;
    EncodeReplay(replay, bytes);
    return bytes;
}

TEST(ReplayFileTest, EveryRecordComesBackAsItWentIn) {
    const ReplayData replay = EveryRecord();
    const Bytes bytes = Encoded(replay);
    ReplayData back;
    std::string why;
    ASSERT_TRUE(DecodeReplay(bytes, back, why)) << why;
    EXPECT_EQ(back.header.playerName, "\xC5sa");
    EXPECT_EQ(back.header.steps, replay.header.steps);
    EXPECT_TRUE(back.header.finished);
    ASSERT_EQ(back.runs.size(), replay.runs.size());
    for (size_t i = 0; i < replay.runs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(back.runs[i].step == replay.runs[i].step);
        EXPECT_EQ(back.runs[i].count, replay.runs[i].count);
    }
    ASSERT_EQ(back.events.size(), replay.events.size());
    for (size_t i = 0; i < replay.events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.events[i].kind, replay.events[i].kind);
        EXPECT_EQ(back.events[i].step, replay.events[i].step);
        EXPECT_EQ(back.events[i].number, replay.events[i].number);
        EXPECT_EQ(back.events[i].value, replay.events[i].value);
        EXPECT_EQ(back.events[i].extra, replay.events[i].extra);
        EXPECT_EQ(back.events[i].save, replay.events[i].save);
    }
    EXPECT_EQ(Encoded(back), bytes);
}

// Every record form keeps the bytes it had when replays were first kept: a change of the
// layout shows here before any player's kept replay stops reading.
TEST(ReplayFileTest, EveryRecordFormKeepsItsBytes) {
    const Bytes bytes = Encoded(EveryRecord());
    EXPECT_EQ(bytes.size(), 1784u);
    EXPECT_EQ(Crc32(bytes.data(), bytes.size()), 0x2144DF1Cu);
}

TEST(ReplayFileTest, DamagedAndHostileFilesAreRefusedWithAReason) {
    const Bytes good = Encoded(EveryRecord());
    struct Case {
        const char* name;
        void (*damage)(Bytes& bytes);
        bool reseal;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }, false, "not a replay"},
        {"another file", [](Bytes& b) { b[0] = 'X'; }, false, "not a replay"},
        {"a newer version", [](Bytes& b) { WriteLe32(&b[4], kReplayVersion + 1); }, true, "newer"},
        {"one byte flipped", [](Bytes& b) { b[b.size() / 2] ^= 0x40; }, false, "CRC"},
        {"cut short", [](Bytes& b) { b.resize(b.size() - 9); }, false, "CRC"},
        {"cut inside a record", [](Bytes& b) { b.resize(b.size() - 7); }, true, ""},
        {"unknown flags", [](Bytes& b) { b[8] |= 0x80; }, true, "flags"},
        {"difficulty 9", [](Bytes& b) { WriteLe32(&b[12], 9); }, true, "difficulty"},
        {"more lives than a game holds", [](Bytes& b) { WriteLe32(&b[28], 5000); }, true, "lives"},
        {"name without its end", [](Bytes& b) { std::memset(&b[56], 'A', 16); }, true, "name"},
        {"steps that do not add up", [](Bytes& b) { WriteLe32(&b[44], 7); }, true, "step count"},
        {"a run of four billion steps",
         [](Bytes& b) {
             const uint8_t run[] = {0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F};
             b.insert(b.begin() + kReplayHeaderBytes, std::begin(run), std::end(run));
         },
         true, "too many steps"},
        {"an unknown record",
         [](Bytes& b) { b.insert(b.begin() + kReplayHeaderBytes, uint8_t{0xB0}); }, true, "unknown record"},
        {"an input of unknown buttons",
         [](Bytes& b) {
             const uint8_t input[] = {0x83, 0x00, 0x80, 0x01};
             b.insert(b.begin() + kReplayHeaderBytes, std::begin(input), std::end(input));
         },
         true, "unknown input"},
        {"a level numbered 0",
         [](Bytes& b) {
             const uint8_t seed[] = {0xC0 + 5, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
             b.insert(b.begin() + kReplayHeaderBytes, std::begin(seed), std::end(seed));
         },
         true, "level number"},
        {"a saved game of a megabyte",
         [](Bytes& b) {
             const uint8_t big[] = {0xC0 + 7, 0, 0, 0, 0, 0x80, 0x80, 0x40};
             b.insert(b.begin() + kReplayHeaderBytes, std::begin(big), std::end(big));
         },
         true, "too large"},
        {"larger than any replay", [](Bytes& b) { b.resize(kReplayMaxBytes + 1, 0); }, false, "too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = good;
        c.damage(bytes);
        if (c.reseal) {
            Reseal(bytes);
        }
        ReplayData out;
        out.header.playerName = "untouched";
        std::string why;
        EXPECT_FALSE(DecodeReplay(bytes, out, why));
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_EQ(out.header.playerName, "untouched") << "a refused file changes nothing";
    }
}

// Between shots only a glance at the aim now and then, in whole pixels; a fired shot's aim
// exactly; quiet steps in runs; a checksum every second.
TEST(ReplayFileTest, TheRecorderKeepsTheShotsExactlyAndTheAimNowAndThen) {
    CPlayfield playfield;
    CReplayRecorder recorder;
    recorder.Begin(ReplayHeader());
    for (int32_t step = 0; step < 300; ++step) {
        ReplayStep input = Input(ReplayInput::Moved, 100.0f + 0.7f * static_cast<float>(step), 150.25f);
        if (step == 100) {
            input.input |= ReplayInput::Fire;
        }
        recorder.Step(input, playfield);
    }
    const ReplayData& data = recorder.Data();
    EXPECT_EQ(data.header.steps, 300u);
    int32_t glances = 0;
    bool fireExact = false;
    uint32_t at = 0;
    for (const ReplayRun& run : data.runs) {
        if (run.step.Has(ReplayInput::Fire)) {
            EXPECT_EQ(at, 100u);
            fireExact = run.step.aimX == 100.0f + 0.7f * 100.0f && run.step.aimY == 150.25f;
        } else if (run.step.Has(ReplayInput::Moved)) {
            ++glances;
            EXPECT_EQ(run.step.aimX, static_cast<float>(static_cast<int32_t>(run.step.aimX)));
        }
        at += run.count;
    }
    EXPECT_TRUE(fireExact);
    EXPECT_GE(glances, 300 / static_cast<int32_t>(kReplayAimGlanceSteps) - 2);
    EXPECT_LE(glances, 300 / static_cast<int32_t>(kReplayAimGlanceSteps) + 1);
    int32_t checks = 0;
    for (const ReplayEvent& event : data.events) {
        checks += event.kind == EReplayEvent::Check;
    }
    EXPECT_EQ(checks, 2);

    // Idle steps cost one run, however many.
    CReplayRecorder idle;
    idle.Begin(ReplayHeader());
    for (int32_t step = 0; step < 149; ++step) {
        idle.Step(Input(0), playfield);
    }
    EXPECT_EQ(idle.Data().runs.size(), 1u);
    EXPECT_LT(Encoded(idle.Data()).size(), kReplayHeaderBytes + 12);
}

// A recording never grows past what the store reads and the decoder takes: at the limit
// the recorder stops (and says so in the log), and what it kept is a whole replay.
TEST(ReplayFileTest, TheRecorderStopsAtTheFileLimitWithAWholeReplay) {
    CPlayfield playfield;
    CReplayRecorder recorder;
    recorder.Begin(ReplayHeader());
    // A shot with a new exact aim every third step: nearly the costliest steps there are.
    uint32_t step = 0;
    for (; recorder.IsRecording() && step < kReplayMaxSteps; ++step) {
        const float aim = 100.0f + static_cast<float>(step / 3 % 4000) * 0.1f + 0.03f;
        recorder.Step(Input(ReplayInput::Fire | ReplayInput::Moved, aim, 150.5f), playfield);
    }
    ASSERT_FALSE(recorder.IsRecording()) << "the limit comes long before the step limit";
    const Bytes bytes = Encoded(recorder.Data());
    EXPECT_LE(bytes.size(), kReplayMaxBytes);
    EXPECT_GT(bytes.size(), kReplayMaxBytes - 100) << "the limit is counted exactly, not guessed";
    ReplayData back;
    std::string why;
    ASSERT_TRUE(DecodeReplay(bytes, back, why)) << why;
    EXPECT_EQ(back.header.steps, recorder.Steps());
    EXPECT_EQ(step - 1, recorder.Steps()) << "the step at the limit is the first not kept";

    // A recording continued from it stops at once, and stays whole.
    CReplayRecorder resumed;
    resumed.Resume(std::move(back));
    resumed.Step(Input(ReplayInput::Fire | ReplayInput::Moved, 1.25f, 2.5f), playfield);
    resumed.Event(EReplayEvent::Saved, 0, 5);
    EXPECT_FALSE(resumed.IsRecording());
    EXPECT_LE(Encoded(resumed.Data()).size(), kReplayMaxBytes);
}

TEST(ReplayFileTest, APackedSaveUnpacksOnlyWhenWhole) {
    Bytes save, field, packed;
    EncodeSavedGame(SavedGame(), save, field);
    PackSaveBytes(save, field, packed);
    EXPECT_LT(packed.size(), (save.size() + field.size()) / 2);
    Bytes saveBack, fieldBack;
    ASSERT_TRUE(UnpackSaveBytes(packed, saveBack, fieldBack));
    EXPECT_EQ(saveBack, save);
    EXPECT_EQ(fieldBack, field);
    const Bytes broken[] = {Bytes(packed.begin(), packed.end() - 1), Bytes{0, 0}, Bytes(5000, 1), Bytes()};
    for (const Bytes& bytes : broken) {
        EXPECT_FALSE(UnpackSaveBytes(bytes, saveBack, fieldBack));
    }
}
}  // namespace
