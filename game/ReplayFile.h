#pragma once
// The replay file's bytes beside its encoder and decoder (declared in Replay.h): what one
// run and one event take in the file, so that the recorder knows how large its file is
// before it is written.
#include "game/Replay.h"

#include <cstddef>
#include <string>
#include <vector>

class CByteWriter;

// The fixed header and the closing CRC.
constexpr size_t kReplayFrameBytes = kReplayHeaderBytes + 4;

// The bytes of run written after previous, on its own. In the file a glance takes the quiet
// steps after it into its own record when they fit, so the file is never larger than the
// sum of its runs and events.
size_t ReplayRunBytes(const ReplayRun& run, const ReplayStep& previous);
size_t ReplayEventBytes(const ReplayEvent& event);

// A stream of runs alone, without events (a side of a match record): the same records as
// a replay's steps. The decoder refuses an event and gives the steps the runs hold.
void EncodeReplayRuns(CByteWriter& writer, const std::vector<ReplayRun>& runs);
bool DecodeReplayRuns(const uint8_t* data, size_t size, std::vector<ReplayRun>& runs, uint32_t& steps,
                      std::string& why);
