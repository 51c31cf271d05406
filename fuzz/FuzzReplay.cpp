// Reads the input as a replay file, as it is and once more with its length and CRC put
// right (so that the records behind the CRC are reached too). A replay that is taken must
// read back the same after writing, and a short one is played through the rules on two
// levels of the target's own, whatever its events claim.
#include "core/Log.h"
#include "fuzz/FuzzLevels.h"
#include "game/ReplayPlayback.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    return 0;
}

namespace {
void ReadReplay(const std::vector<uint8_t>& bytes) {
    ReplayData replay;
    std::string why;
    if (!DecodeReplay(bytes, replay, why)) {
        if (why.empty()) {
            __builtin_trap();
        }
        return;
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
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    ReadReplay(bytes);
    if (bytes.size() >= kReplayHeaderBytes + 4) {
        WriteLe32(&bytes[kReplayStreamLengthOffset], static_cast<uint32_t>(bytes.size() - 4 - kReplayHeaderBytes));
        WriteLe32(&bytes[bytes.size() - 4], Crc32(bytes.data(), bytes.size() - 4));
        ReadReplay(bytes);
    }
    return 0;
}
