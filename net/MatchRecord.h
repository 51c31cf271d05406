#pragma once
// The record of a network match: both sides' steps as they were played, with the match
// they belong to. A match that went out of step keeps it as a bug report, and the
// simulator plays it again.
#include "game/Replay.h"
#include "game/VersusMatch.h"
#include "net/NetProtocol.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A side's runs have room for about half an hour of a busy player from the start.
constexpr size_t kRecordRunsReserved = 16384;
// At most this many runs of a side are kept (about two hours, a file under 1 MB): a
// program that sends steps without end cannot make the record grow without end.
constexpr size_t kRecordRunsKept = 4 * kRecordRunsReserved;

// Both sides' steps as they were played, with the match they belong to.
struct NetMatchRecord {
    NetMatchSettings settings;
    uint32_t seed = 1;
    int32_t ownSide = 0;
    std::vector<ReplayRun> sides[kVersusSides];
};

// The file of a record ("PRNM"): a bug report of a match that went out of step.
void EncodeMatchRecord(const NetMatchRecord& record, std::vector<uint8_t>& out);
bool DecodeMatchRecord(const std::vector<uint8_t>& bytes, NetMatchRecord& record, std::string& why);
// Plays a record through a fresh match, each side as far as the other lets it, telling
// afterStep (when given) each side's steps so far in the side's stream. Returns the steps
// played; the match is left where the record ends.
using MatchStepWatcher = std::function<void(int32_t side, uint32_t steps)>;
uint32_t PlayMatchRecord(const NetMatchRecord& record, CVersusMatch& match, const MatchStepWatcher& afterStep = {});
