// Loads the input as "language.dat" through the file manager.
#include "core/Log.h"
#include "fuzz/FuzzDataFolder.h"
#include "profile/Language.h"
#include "resources/LittleEndian.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    if (!MountFuzzDataFolder()) {
        __builtin_trap();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteFuzzDataFile("language.dat", data, size)) {
        return 0;
    }
    CLanguage& language = CLanguage::Get();
    const bool loaded = language.Load();
    if (loaded != (size >= 4)) {
        __builtin_trap();
    }
    const uint32_t expected = loaded ? ReadLe32(data) : 0;
    if (language.GetLanguage() != expected) {
        __builtin_trap();
    }
    const bool swedish = expected == kLanguageSwedish;
    if ((std::strcmp(language.TxtPlay(), "Spela") == 0) != swedish) {
        __builtin_trap();
    }
    return 0;
}
