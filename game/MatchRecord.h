#pragma once
// The record of a versus match, of every kind: against the computer, two players at one
// machine, or over the network. It keeps what the match needs to be played again (the
// rules, the seed, both sides' steps as they were played) and what the replays list shows
// (when, who, how it ended). The player's replays keep every match; a network match that
// went out of step keeps its record as a bug report; the simulator plays a record again
// and checks that it ends the same.
//
// The file ("PRNM") is ours, little-endian: the magic, a version, the head, each side's
// steps as a replay's record stream (game/ReplayFile.cpp), and a CRC-32 of everything
// before it. Version 1, the network's bug report before matches were kept, is still read.
#include "game/MatchSide.h"
#include "game/Replay.h"
#include "game/VersusMatch.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr uint32_t kMatchRecordVersion = 2;
// Names are kept in fields of this many bytes (Windows-1252, at most 15 letters).
constexpr size_t kMatchNameBytes = 16;
// A side's runs have room for about half an hour of a busy player from the start.
constexpr size_t kRecordRunsReserved = 16384;
// At most this many runs of a side are kept (about two hours): a side that sends steps
// without end cannot make the record grow without end.
constexpr size_t kRecordRunsKept = 4 * kRecordRunsReserved;
// The largest record a reader takes.
constexpr size_t kMatchRecordMaxBytes = 4u * 1024u * 1024u;
// Each side's checksum is kept every this many of its steps (one second).
constexpr uint32_t kMatchCheckSteps = 150;

// The settings of a match in whole numbers, so that every program and every record gets
// exactly the same rules.
struct MatchSettings {
    uint8_t difficulty = static_cast<uint8_t>(kNormalDifficulty);   // 1..5
    uint8_t roundsToWin = 2;                                        // 1..9
    uint8_t maxRounds = 5;                                          // roundsToWin..20
    uint16_t incomingMs = 1000;                                     // 0..10000
    uint16_t roundSeconds = 300;                                    // 10..3600
    bool attacks = true;

    bool operator==(const MatchSettings&) const = default;
};
MatchSettings MatchSettingsFromRules(const VersusRules& rules);
// The rules of the settings with attacks travelling that many steps (0 in one program).
VersusRules RulesFromMatchSettings(const MatchSettings& settings, int32_t attackTravelSteps);
// The settings' fields as they travel and as a record keeps them: difficulty, rounds to
// win, most rounds (a byte each), incoming ms, round seconds (two bytes each), attacks (a
// byte, 1 or 0). Fields is a CFieldWriter or a CFieldReader (resources/ByteRecord.h).
template <typename Fields, typename Settings>
void TransferMatchSettings(Fields& fields, Settings& settings) {
    fields.U8(settings.difficulty);
    fields.U8(settings.roundsToWin);
    fields.U8(settings.maxRounds);
    fields.U16(settings.incomingMs);
    fields.U16(settings.roundSeconds);
    fields.ExactFlag(settings.attacks);
}

// The checksum of one side: its field and what waits for it.
uint32_t VersusSideChecksum(const CVersusMatch& match, int32_t side);

enum class EMatchMode : uint8_t {
    Computer = 1,     // the player against the computer
    Network = 2,      // two programs
    TwoPlayers = 3,   // two players at one machine
};

enum class EMatchSideKind : uint8_t {
    Player = 1,       // a player at this machine
    Computer = 2,     // the computer, at a strength
    Remote = 3,       // the player of the other program
};

struct MatchRecordSide {
    EMatchSideKind kind = EMatchSideKind::Player;
    uint8_t strength = 0;          // the computer's EBotStrength
    std::string name;              // a player's name; empty for the computer
    std::vector<ReplayRun> runs;
};

// How the match stood after its last kept step.
struct MatchOutcome {
    bool finished = false;         // played to its end; otherwise left (or cut off)
    int32_t winner = -1;           // the side that won the match, -1 for none or a draw
    int32_t round = 0;             // the round it was in
    int32_t roundsWon[kVersusSides] = {};
    int32_t score[kVersusSides] = {};
    uint32_t steps[kVersusSides] = {};       // each side's steps over the whole match
    uint32_t checkedSteps[kVersusSides] = {};  // the side's last step that was a multiple of
    uint32_t checksum[kVersusSides] = {};      // kMatchCheckSteps, and its checksum then

    bool operator==(const MatchOutcome&) const = default;
};

struct MatchRecord {
    EMatchMode mode = EMatchMode::Network;
    MatchSettings settings;
    int32_t attackTravelSteps = 0;
    uint32_t seed = 1;
    int32_t ownSide = 0;           // the side of this program's player (drawn large)
    uint32_t date = 0;             // seconds since 1970 (UTC) when the match began; 0: unknown
    MatchRecordSide sides[kVersusSides];
    bool hasOutcome = false;       // version 1 records have none
    MatchOutcome outcome;

    VersusRules Rules() const { return RulesFromMatchSettings(settings, attackTravelSteps); }
    // Both sides' steps, and how long the longer side played (150 steps a second).
    uint32_t SideSteps(int32_t side) const;
    uint32_t LengthSteps() const;
};

void EncodeMatchRecord(const MatchRecord& record, std::vector<uint8_t>& out);
// False (with the reason) for a damaged, short, long, impossible or future record.
bool DecodeMatchRecord(const std::vector<uint8_t>& bytes, MatchRecord& record, std::string& why);
// Whether bytes begin as a match record does (and not as a game's replay).
bool LooksLikeMatchRecord(const std::vector<uint8_t>& bytes);

// Plays a side from its record: its steps one after another, as far as the match lets it.
// A ready step (Dismiss) waits until the round is decided. With a step limit it takes at
// most that many steps in each fixed step (watching); without (0), as many as it may.
class CRecordMatchSide final : public IMatchSide {
public:
    using Watcher = std::function<void(int32_t side, uint32_t steps)>;

    void Start(const std::vector<ReplayRun>* runs, uint32_t stepsPerFixedStep);
    // Told each side's steps so far after each of its steps.
    void SetWatcher(Watcher watcher) { m_watcher = std::move(watcher); }
    bool AtEnd() const;
    uint32_t StepsPlayed() const { return m_played; }

    void BeginStep(const CVersusMatch& match, int32_t side) override;
    bool HasStep(const CVersusMatch& match, int32_t side) override;
    ReplayStep TakeStep(const CVersusMatch& match, int32_t side) override;
    void StepPlayed(const CVersusMatch&, int32_t, const MatchSideStep&) override {}
    void StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;

private:
    const std::vector<ReplayRun>* m_runs = nullptr;
    size_t m_run = 0;
    uint32_t m_inRun = 0;
    uint32_t m_played = 0;
    uint32_t m_limit = 0;
    uint32_t m_takenNow = 0;
    Watcher m_watcher;
};

// Plays a record through a fresh match, each side as far as the other lets it, telling
// afterStep (when given) each side's steps so far. Returns the steps played; the match is
// left where the record ends.
using MatchStepWatcher = CRecordMatchSide::Watcher;
uint32_t PlayMatchRecord(const MatchRecord& record, CVersusMatch& match, const MatchStepWatcher& afterStep = {});

struct MatchRecordVerdict {
    bool agrees = false;
    uint32_t stepsPlayed = 0;
    MatchOutcome played;           // how the match stood after the record was played
    std::string why;               // the first difference
};
// Plays a record and compares where it ends with its outcome; a record without one (version
// 1) agrees when every step could be played.
MatchRecordVerdict VerifyMatchRecord(const MatchRecord& record);
// How a match stands now (finished when it is over).
MatchOutcome OutcomeOf(const CVersusMatch& match, const uint32_t steps[kVersusSides],
                       const uint32_t checkedSteps[kVersusSides], const uint32_t checksums[kVersusSides]);

// Keeps a match as it is played: set between the match's sides and their drivers, each
// side's steps pass through it to the match and are kept as a replay keeps them (a fired
// shot's aim exactly, glances between).
class CMatchRecorder {
public:
    CMatchRecorder() : m_sides{CKeptSide(*this, 0), CKeptSide(*this, 1)} {}
    CMatchRecorder(const CMatchRecorder&) = delete;
    CMatchRecorder& operator=(const CMatchRecorder&) = delete;

    // Begins a record of a match that has started: takes the drivers of sides and sets
    // itself between them and the match. The record's mode, sides and date are the
    // caller's to fill in Record().
    void Begin(CVersusMatch& match, CMatchSides& sides);
    bool IsRecording() const { return m_match != nullptr; }
    // Fills in how the match stands and stops; the record is then whole.
    const MatchRecord& Finish();
    MatchRecord& Record() { return m_record; }
    uint32_t Steps(int32_t side) const { return m_steps[side]; }

private:
    class CKeptSide final : public IMatchSide {
    public:
        CKeptSide(CMatchRecorder& recorder, int32_t index) : m_recorder(recorder), m_index(index) {}
        void BeginStep(const CVersusMatch& match, int32_t side) override { m_driver->BeginStep(match, side); }
        bool HasStep(const CVersusMatch& match, int32_t side) override { return m_driver->HasStep(match, side); }
        ReplayStep TakeStep(const CVersusMatch& match, int32_t side) override;
        void StepPlayed(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;
        void StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;

        CMatchRecorder& m_recorder;
        int32_t m_index;
        IMatchSide* m_driver = nullptr;
        CAimGlances m_glances;
        ReplayStep m_kept;
    };

    void Keep(int32_t side, const ReplayStep& step);

    CVersusMatch* m_match = nullptr;
    MatchRecord m_record;
    CKeptSide m_sides[kVersusSides];
    uint32_t m_steps[kVersusSides] = {};
    uint32_t m_checkedSteps[kVersusSides] = {};
    uint32_t m_checksums[kVersusSides] = {};
};
