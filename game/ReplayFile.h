#pragma once
// The replay file's bytes beside its encoder and decoder (declared in Replay.h): what one
// run and one event take in the file, so that the recorder knows how large its file is
// before it is written.
#include "game/Replay.h"

#include <cstddef>

// The fixed header and the closing CRC.
constexpr size_t kReplayFrameBytes = kReplayHeaderBytes + 4;

// The bytes of run written after previous, on its own. In the file a glance takes the quiet
// steps after it into its own record when they fit, so the file is never larger than the
// sum of its runs and events.
size_t ReplayRunBytes(const ReplayRun& run, const ReplayStep& previous);
size_t ReplayEventBytes(const ReplayEvent& event);
