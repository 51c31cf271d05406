// Checks of the program's screenshots for the end-to-end tests.
//   pellora_tga_check <file> <width> <height>
//       exit 0 when the file is an uncompressed 24-bit true-colour TGA of that size whose
//       pixels are not all one colour; otherwise prints why and exits 1.
//   pellora_tga_check --differ <first> <second> <left> <top> <right> <bottom> <min>
//       compares two such screenshots of the same size inside the rectangle
//       [left, right) x [top, bottom) in screen coordinates (top row 0). Prints the number of
//       differing pixels; exit 0 when at least min pixels differ, 1 when fewer, 2 when a file
//       is no proper screenshot or the rectangle does not fit.
#include "resources/Image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {
constexpr int kExitDiffer = 0;
constexpr int kExitSame = 1;
constexpr int kExitBadInput = 2;
constexpr size_t kHeaderSize = 18;

// A screenshot decoded by the game's own TGA reader: R, G, B, top row first.
struct Screenshot {
    CImage image;
    long width = 0;
    long height = 0;

    const uint8_t* At(long x, long y) const { return image.pixels.data() + static_cast<size_t>((y * width + x) * 3); }
};

// Reads a screenshot as the program writes it (uncompressed 24-bit true colour, no ID
// field, nothing after the pixels); false (and the reason on stderr) otherwise.
bool ReadScreenshot(const char* path, Screenshot& shot) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (file.size() < kHeaderSize) {
        std::fprintf(stderr, "%s: %zu bytes, too short for a TGA header\n", path, file.size());
        return false;
    }
    if (file[0] != 0 || file[2] != 2 || file[16] != 24) {
        std::fprintf(stderr, "%s: type %d, %d bits, id length %d\n", path, file[2], file[16], file[0]);
        return false;
    }
    if (!CImageFormatTga::Decode(file.data(), file.size(), path, shot.image)) {
        std::fprintf(stderr, "%s: the TGA reader refuses it\n", path);
        return false;
    }
    shot.width = shot.image.width;
    shot.height = shot.image.height;
    const size_t expectedSize = kHeaderSize + static_cast<size_t>(shot.width * shot.height * 3);
    if (file.size() != expectedSize) {
        std::fprintf(stderr, "%s: %zu bytes, expected %zu for %ldx%ld\n", path, file.size(), expectedSize, shot.width,
                     shot.height);
        return false;
    }
    return true;
}

int CheckOne(const char* path, long width, long height) {
    Screenshot shot;
    if (!ReadScreenshot(path, shot)) {
        return 1;
    }
    if (shot.width != width || shot.height != height) {
        std::fprintf(stderr, "%s: %ldx%ld, expected %ldx%ld\n", path, shot.width, shot.height, width, height);
        return 1;
    }
    const std::vector<uint8_t>& pixels = shot.image.pixels;
    const uint8_t* first = pixels.data();
    for (size_t at = 0; at < pixels.size(); at += 3) {
        if (std::memcmp(first, pixels.data() + at, 3) != 0) {
            return 0;
        }
    }
    std::fprintf(stderr, "%s: every pixel is %02X %02X %02X\n", path, first[0], first[1], first[2]);
    return 1;
}

int CompareArea(char** argv) {
    Screenshot first, second;
    if (!ReadScreenshot(argv[0], first) || !ReadScreenshot(argv[1], second)) {
        return kExitBadInput;
    }
    const long left = std::strtol(argv[2], nullptr, 10);
    const long top = std::strtol(argv[3], nullptr, 10);
    const long right = std::strtol(argv[4], nullptr, 10);
    const long bottom = std::strtol(argv[5], nullptr, 10);
    const long minimum = std::strtol(argv[6], nullptr, 10);
    if (first.width != second.width || first.height != second.height) {
        std::fprintf(stderr, "the screenshots differ in size: %ldx%ld and %ldx%ld\n", first.width, first.height,
                     second.width, second.height);
        return kExitBadInput;
    }
    if (left < 0 || top < 0 || right > first.width || bottom > first.height || left >= right || top >= bottom) {
        std::fprintf(stderr, "the area (%ld, %ld)-(%ld, %ld) does not fit %ldx%ld\n", left, top, right, bottom,
                     first.width, first.height);
        return kExitBadInput;
    }
    long differing = 0;
    for (long y = top; y < bottom; ++y) {
        for (long x = left; x < right; ++x) {
            differing += std::memcmp(first.At(x, y), second.At(x, y), 3) != 0 ? 1 : 0;
        }
    }
    std::printf("%ld\n", differing);
    return differing >= minimum ? kExitDiffer : kExitSame;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 9 && std::strcmp(argv[1], "--differ") == 0) {
        return CompareArea(argv + 2);
    }
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: pellora_tga_check <file> <width> <height>\n"
                     "       pellora_tga_check --differ <first> <second> <left> <top> <right> <bottom> <min>\n");
        return kExitBadInput;
    }
    return CheckOne(argv[1], std::strtol(argv[2], nullptr, 10), std::strtol(argv[3], nullptr, 10));
}
