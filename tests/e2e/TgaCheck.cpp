// pellora_tga_check <file> <width> <height>: exit 0 when the file is an uncompressed 24-bit
// true-colour TGA of that size whose pixels are not all one colour; otherwise prints why.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: pellora_tga_check <file> <width> <height>\n");
        return 2;
    }
    const long width = std::strtol(argv[2], nullptr, 10);
    const long height = std::strtol(argv[3], nullptr, 10);
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t expectedSize = 18 + static_cast<size_t>(width * height * 3);
    if (file.size() != expectedSize) {
        std::fprintf(stderr, "%s: %zu bytes, expected %zu\n", argv[1], file.size(), expectedSize);
        return 1;
    }
    const long fileWidth = file[12] | (file[13] << 8);
    const long fileHeight = file[14] | (file[15] << 8);
    if (file[2] != 2 || file[16] != 24 || fileWidth != width || fileHeight != height) {
        std::fprintf(stderr, "%s: type %d, %d bits, %ldx%ld\n", argv[1], file[2], file[16], fileWidth, fileHeight);
        return 1;
    }
    const unsigned char* first = file.data() + 18;
    for (size_t at = 18; at < file.size(); at += 3) {
        if (std::memcmp(first, file.data() + at, 3) != 0) {
            return 0;
        }
    }
    std::fprintf(stderr, "%s: every pixel is %02X %02X %02X\n", argv[1], first[0], first[1], first[2]);
    return 1;
}
