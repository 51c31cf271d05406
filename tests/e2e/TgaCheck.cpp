// Checks of the program's screenshots for the end-to-end tests.
//   pellora_tga_check <file> <width> <height>
//       exit 0 when the file is an uncompressed 24-bit true-colour TGA of that size whose
//       pixels are not all one colour; otherwise prints why and exits 1.
//   pellora_tga_check --differ <first> <second> <left> <top> <right> <bottom> <min>
//       compares two such screenshots of the same size inside the rectangle
//       [left, right) x [top, bottom) in screen coordinates (top row 0). Prints the number of
//       differing pixels; exit 0 when at least min pixels differ, 1 when fewer, 2 when a file
//       is no proper screenshot or the rectangle does not fit.
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

struct Screenshot {
    std::vector<unsigned char> bytes;
    long width = 0;
    long height = 0;
    bool topDown = false;

    // The pixel at screen row y (0 = top), column x: three bytes blue, green, red.
    const unsigned char* At(long x, long y) const {
        const long row = topDown ? y : height - 1 - y;
        return bytes.data() + kHeaderSize + static_cast<size_t>((row * width + x) * 3);
    }
};

// Reads an uncompressed 24-bit TGA; false (and the reason on stderr) otherwise.
bool ReadScreenshot(const char* path, Screenshot& shot) {
    std::ifstream in(path, std::ios::binary);
    shot.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (shot.bytes.size() < kHeaderSize) {
        std::fprintf(stderr, "%s: %zu bytes, too short for a TGA header\n", path, shot.bytes.size());
        return false;
    }
    const std::vector<unsigned char>& file = shot.bytes;
    shot.width = file[12] | (file[13] << 8);
    shot.height = file[14] | (file[15] << 8);
    shot.topDown = (file[17] & 0x20) != 0;
    if (file[0] != 0 || file[2] != 2 || file[16] != 24) {
        std::fprintf(stderr, "%s: type %d, %d bits, id length %d\n", path, file[2], file[16], file[0]);
        return false;
    }
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
    const unsigned char* first = shot.bytes.data() + kHeaderSize;
    for (size_t at = kHeaderSize; at < shot.bytes.size(); at += 3) {
        if (std::memcmp(first, shot.bytes.data() + at, 3) != 0) {
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
