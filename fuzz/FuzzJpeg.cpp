// Decodes the input as a JPEG file.
#include "core/Log.h"
#include "resources/Image.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CImage image;
    if (CImageFormatJpg::Decode(data, size, "fuzz.jpg", image)) {
        const size_t expected = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
        if (image.pixels.size() != expected || image.bytesPerPixel != 3 || image.width <= 0 ||
            image.height <= 0) {
            __builtin_trap();
        }
    }
    return 0;
}
