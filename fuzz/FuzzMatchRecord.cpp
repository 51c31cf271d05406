// Reads the input as a match record (a kept match in the replays folder, or a network
// match's bug report), as it is and once more with its CRC put right, so that the head and
// the steps behind the CRC are reached too. A record that is taken must read back the same
// after writing, and a short one is played through the rules and checked.
#include "core/Log.h"
#include "game/MatchRecord.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    return 0;
}

namespace {
void ReadRecord(const std::vector<uint8_t>& bytes) {
    MatchRecord record;
    std::string why;
    if (!DecodeMatchRecord(bytes, record, why)) {
        if (why.empty()) {
            __builtin_trap();
        }
        return;
    }
    std::vector<uint8_t> again;
    EncodeMatchRecord(record, again);
    MatchRecord reread;
    if (!DecodeMatchRecord(again, reread, why) || reread.SideSteps(0) != record.SideSteps(0) ||
        reread.SideSteps(1) != record.SideSteps(1) || !(reread.outcome == record.outcome)) {
        __builtin_trap();
    }
    if (record.LengthSteps() <= 3000) {
        VerifyMatchRecord(record);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    ReadRecord(bytes);
    if (bytes.size() >= 12) {
        WriteLe32(&bytes[bytes.size() - 4], Crc32(bytes.data(), bytes.size() - 4));
        ReadRecord(bytes);
    }
    return 0;
}
