// Decodes the input as a TGA file.
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
    if (CImageFormatTga::Decode(data, size, "fuzz.tga", image)) {
        const size_t expected = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) *
                                static_cast<size_t>(image.bytesPerPixel);
        if (image.pixels.size() != expected || image.width <= 0 || image.height <= 0 ||
            (image.bytesPerPixel != 3 && image.bytesPerPixel != 4)) {
            __builtin_trap();
        }
    }
    return 0;
}
