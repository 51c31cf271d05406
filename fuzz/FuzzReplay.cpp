// Reads the input as a replay file. A replay that is taken must write back to the same
// bytes, and a short one is played through the rules on two levels of the target's own,
// whatever its events claim.
#include "core/Log.h"
#include "fuzz/FuzzLevels.h"
#include "game/ReplayPlayback.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    ReplayData replay;
    std::string why;
    if (!DecodeReplay(bytes, replay, why)) {
        if (why.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    std::vector<uint8_t> again;
    EncodeReplay(replay, again);
    ReplayData reread;
    if (!DecodeReplay(again, reread, why) || reread.runs.size() != replay.runs.size() ||
        reread.events.size() != replay.events.size()) {
        __builtin_trap();
    }
    if (replay.header.steps <= 3000) {
        CFuzzLevels levels;
        VerifyReplay(replay, levels);
    }
    return 0;
}
