#pragma once
// Replays: a game is its seeds and its inputs. The recorder keeps, per fixed step, only
// what changed in what the game took from its player (the aim, the buttons, the pause),
// and beside the steps the game's events: every level load with its seed and its
// level's CRC, the moves of the game's flow, the panel in front of the field, a saved
// game continued, and a checksum of the field every second, so that a replay that no
// longer plays the same is caught at its step.
//
// The file ("replays/*.rpl") is our own: "PRPL", a version, a fixed header, the record
// stream, and a CRC-32 of everything before it; little-endian throughout.
#include "game/GameFlow.h"
#include "game/Playfield.h"
#include "game/Scoring.h"

struct SavedGame;

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kReplayVersion = 1;
constexpr size_t kReplayHeaderBytes = 80;
// Where the header keeps the length of the record stream that follows it.
constexpr size_t kReplayStreamLengthOffset = 72;
// The most a replay file holds: the recorder stops extending a recording before it grows
// past this (with a log line), the store reads this much and the decoder refuses more.
// At 190-220 KB an hour of play, the step limit's 37 hours take about 8 MB.
constexpr size_t kReplayMaxBytes = 16u * 1024u * 1024u;
// Room a recording keeps under the limit for its closing events: a checksum, a save's
// mark, the end.
constexpr size_t kReplayClosingBytes = 64;
// At most this many steps (about 37 hours of play); more is refused as hostile.
constexpr uint32_t kReplayMaxSteps = 20000000u;
// A field checksum every 150 steps (one second).
constexpr uint32_t kReplayCheckSteps = 150;
// Between shots the aim is kept for the picture only, at most every this many steps; the
// aim of a fired shot is kept exactly.
constexpr uint32_t kReplayAimGlanceSteps = 16;
constexpr size_t kReplayNameBytes = 16;
// The cells' CRC a Seed event carries when the level could not be read at all.
constexpr uint32_t kRefusedLevelCrc = 0;

// What the game took from its player in one step.
namespace ReplayInput {
constexpr uint16_t Moved = 1 << 0;      // the aim moved (mouse, keys or pad)
constexpr uint16_t Fire = 1 << 1;
constexpr uint16_t Swap = 1 << 2;
constexpr uint16_t Skip = 1 << 3;       // hurry the row bonus
constexpr uint16_t Dismiss = 1 << 4;    // a click or Return that ends a panel
constexpr uint16_t PauseKey = 1 << 5;   // P, Pause or the pad's Start: pauses and resumes
constexpr uint16_t PauseAsk = 1 << 6;   // the middle button or a pad pulled out: pauses only
constexpr uint16_t HudPause = 1 << 7;   // the HUD's pause button
constexpr uint16_t Held = 1 << 8;       // the field did not step (a pause began)
constexpr uint16_t All = 0x1FF;         // what a side of a match may send
constexpr uint16_t LeaveAsk = 1 << 9;   // Escape, the menu or the exit button: save and leave
constexpr uint16_t FocusPause = 1 << 10;   // the program lost the focus: pauses
constexpr uint16_t AllGame = 0x7FF;     // what a recorded game may hold
}  // namespace ReplayInput

struct ReplayStep {
    float aimX = 320.0f;
    float aimY = 200.0f;
    uint16_t input = 0;

    bool Has(uint16_t bit) const { return (input & bit) != 0; }
    // What the field takes from this step.
    PlayInput ToPlayInput() const;
    // The step of a field's input: its aim and its buttons.
    static ReplayStep FromPlayInput(const PlayInput& play);
    bool operator==(const ReplayStep& other) const;
};

// The game's events, in the order they happened between the steps.
enum class EReplayEvent : uint8_t {
    LoadLevel = 1,   // the flow loads its level (value 1: the one after it)
    ReloadLevel,     // a life was lost: the level again
    FinishLevel,     // the level is done: its results, the next level loaded
    StartLevel,      // the loaded level starts
    Seed,            // a level file was read: number, seed, CRC of its cells
    Panel,           // value 1: a panel now covers the field; 0: it has gone
    Continue,        // a saved game was continued: its bytes and the generator's state
    Saved,           // the game was saved here: the CRC of the saved bytes
    Check,           // the field's checksum after the step
    End,             // the game ended: final score and levels finished
};

struct ReplayEvent {
    EReplayEvent kind = EReplayEvent::Check;
    uint32_t step = 0;       // the steps played before it
    int32_t number = 0;      // level number, flag or levels finished
    uint32_t value = 0;      // seed, CRC, checksum or final score
    uint32_t extra = 0;      // the level's CRC (Seed), the generator's state (Continue)
    std::vector<uint8_t> save;   // Continue: the saved game's two files, packed
};

struct ReplayHeader {
    int32_t difficulty = kNormalDifficulty;
    int32_t firstLevel = 1;
    int32_t lastLevel = 1;
    int32_t levelNumber = 1;     // the level the recording begins on
    int32_t lives = 0;
    int32_t score = 0;
    uint32_t seed = 0;           // the first level's seed
    uint32_t levelCrc = 0;       // the first level's cells
    uint32_t steps = 0;
    uint32_t finalScore = 0;
    int32_t levelsFinished = 0;
    bool finished = false;       // the game reached its end (not only a save)
    bool fromSave = false;       // the recording begins with a continued saved game
    std::string playerName;      // Windows-1252, at most 15 letters
};

// One recorded input, held for `count` steps in a row.
struct ReplayRun {
    ReplayStep step;
    uint32_t count = 0;
};

struct ReplayData {
    ReplayHeader header;
    std::vector<ReplayRun> runs;
    std::vector<ReplayEvent> events;   // by step, in the order they happened
};

// The file's bytes; false (with the reason) for a damaged, short, long, future or
// otherwise impossible file, which is then not used.
void EncodeReplay(const ReplayData& replay, std::vector<uint8_t>& out);
bool DecodeReplay(const std::vector<uint8_t>& bytes, ReplayData& out, std::string& why);

// The CRC of a saved game's two files as encoded into save and field; the replay marks a
// save with it.
uint32_t SavedGameCrc(const SavedGame& game, std::vector<uint8_t>& save, std::vector<uint8_t>& field);
// The checksum of everything in the field that play depends on (nothing that is only for
// the eye).
uint32_t PlayfieldChecksum(const CPlayfield& playfield);
// Whether a recorded checksum is the field's (checksum, as PlayfieldChecksum gave it).
// Recordings made while the checksum still covered the second particles' flag agree with
// that flag either way.
bool ChecksumAgrees(uint32_t recorded, uint32_t checksum, const CPlayfield& playfield);
// The CRC of a level's cells as loaded.
uint32_t LevelCellsCrc(const CBoard& board);
// A saved game's two files in one packed buffer (runs of zero bytes shortened), and back.
void PackSaveBytes(const std::vector<uint8_t>& save, const std::vector<uint8_t>& field, std::vector<uint8_t>& out);
bool UnpackSaveBytes(const std::vector<uint8_t>& packed, std::vector<uint8_t>& save, std::vector<uint8_t>& field);

// What is kept of the aim of each step: a fired shot's aim exactly; between shots a
// glance in whole pixels at most every kReplayAimGlanceSteps steps, which turns the
// launcher on the screen and nothing else. The replay and the network both keep this.
class CAimGlances {
public:
    // Starts from a step's aim, with a glance allowed at once.
    void Reset(float aimX, float aimY);
    // The step as kept: Moved only on a glance, the aim the last glance or the shot's.
    ReplayStep Keep(const ReplayStep& step);

private:
    float m_aimX = 320.0f, m_aimY = 200.0f;   // the aim kept last
    uint32_t m_sinceGlance = kReplayAimGlanceSteps;
    bool m_glancePending = false;
    float m_pendingX = 0.0f, m_pendingY = 0.0f;
};

// Keeps a game as it is played. The game calls Step once per fixed step with what it took
// from its player, and the event calls as they happen.
class CReplayRecorder {
public:
    void Begin(const ReplayHeader& header);
    // The lives and score the recorded game starts with, once they are set.
    void SetStartProgress(int32_t lives, int32_t score) {
        m_data.header.lives = lives;
        m_data.header.score = score;
    }
    void Stop() { m_recording = false; }
    bool IsRecording() const { return m_recording; }
    // Goes on from a replay kept at a save (its last event the matching Saved).
    void Resume(ReplayData&& replay);

    void Step(const ReplayStep& step, const CPlayfield& playfield);
    void Event(EReplayEvent kind, int32_t number = 0, uint32_t value = 0, uint32_t extra = 0);
    void Continued(const std::vector<uint8_t>& packedSave, uint32_t randomState);
    // The game's end; the step it happened in is the last one kept.
    void Ended(uint32_t finalScore, int32_t levelsFinished);

    const ReplayData& Data() const { return m_data; }
    uint32_t Steps() const { return m_steps; }

private:
    // False when the step would take the file past its limit: the recording stops there.
    bool Append(const ReplayStep& step);
    void Add(ReplayEvent&& event);
    void StopAtLimit();

    ReplayData m_data;
    bool m_recording = false;
    bool m_stopAfterStep = false;   // the game has ended: its last step is the last kept
    uint32_t m_steps = 0;
    // The file's size as encoded: the frame, the events and every run but the last, which
    // grows as its steps repeat.
    size_t m_settledBytes = 0;
    size_t m_lastRunBytes = 0;
    CAimGlances m_glances;
};

// Reads a replay back step by step, for the game's screen and for the headless check.
class CReplayReader {
public:
    void Start(const ReplayData* replay);
    bool IsActive() const { return m_replay != nullptr; }
    bool AtEnd() const;
    uint32_t StepNumber() const { return m_step; }

    // The input of the next step. Between glances at the aim it glides towards the next
    // one, so that the launcher turns smoothly on the screen.
    ReplayStep NextStep();
    // The next event at the current step when it is of this kind; null otherwise (the
    // game did something the recording did not, or not then).
    const ReplayEvent* TakeEvent(EReplayEvent kind);
    // The next event at the current step whatever its kind, or null. The marks of saves
    // that a watched game did not take at their step are passed over.
    const ReplayEvent* PeekEvent();
    void SkipEvent() { ++m_event; }
    // The mark of a save made at the current step, when it is the next event; null
    // otherwise. A watched game takes it where the game it watches saved.
    const ReplayEvent* TakeSaved();
    bool SavedIsNext() const;
    // Whether the next events are a save and the same game continued from it: the
    // recording of a game left and continued later.
    bool ContinueFollowsSaved() const;
    // After a step: false when a checksum kept for this step differs from the field's, or
    // when an event of the step did not happen (expected and actual are 0 then).
    bool CheckField(const CPlayfield& playfield, uint32_t& expected, uint32_t& actual);

private:
    const ReplayData* m_replay = nullptr;
    size_t m_run = 0;
    uint32_t m_inRun = 0;
    size_t m_event = 0;
    uint32_t m_step = 0;
    float m_aimX = 320.0f, m_aimY = 200.0f;   // the aim given last

    void GlideTowardsGlance(ReplayStep& step) const;
};
