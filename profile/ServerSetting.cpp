#include "profile/ServerSetting.h"

#include "core/Log.h"
#include "profile/StoredFile.h"

#include <algorithm>
#include <vector>

namespace {
const char* const kServerFileName = "server.cfg";

bool IsStorable(const std::string& address) {
    return address.size() <= kMaxServerAddressLength &&
           std::all_of(address.begin(), address.end(), [](char c) { return c > 0x20 && c < 0x7F; });
}
}  // namespace

std::string LoadServerSetting() {
    std::vector<uint8_t> bytes;
    // One line: room for the longest address and its line end, and one byte to notice more.
    if (ReadStoredFile(kServerFileName, kMaxServerAddressLength + 2, bytes) != EStoredRead::Read) {
        return std::string();
    }
    std::string address(bytes.begin(), bytes.end());
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r')) {
        address.pop_back();
    }
    if (!IsStorable(address)) {
        CLog::Get().Write("LoadServerSetting FAILED, %s is damaged; no server", kServerFileName);
        MarkStoredFileDamaged(kServerFileName);
        return std::string();
    }
    return address;
}

bool SaveServerSetting(const std::string& address) {
    if (!IsStorable(address)) {
        CLog::Get().Write("SaveServerSetting FAILED, not an address that can be kept");
        return false;
    }
    std::vector<uint8_t> bytes(address.begin(), address.end());
    bytes.push_back('\n');
    if (!WriteStoredFile(kServerFileName, bytes)) {
        CLog::Get().Write("SaveServerSetting FAILED, %s could not be written", kServerFileName);
        return false;
    }
    return true;
}
