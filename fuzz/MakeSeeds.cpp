// Writes the small valid seed files of the fuzz corpus:
//   fuzz_make_seeds <folder>   (makes <folder>/fuzz_zip, fuzz_tga, fuzz_jpeg)
#include "resources/Crc32.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

struct CSeedEntry {
    std::string name;
    std::string data;
    Bytes extra;
    uint8_t secondSignatureByte;  // 0x4B for "PK", 0x4C with a first byte of 0x51 for "QL"
};

Bytes MakeZip(const std::vector<CSeedEntry>& entries) {
    Bytes archive;
    Bytes central;
    for (const CSeedEntry& entry : entries) {
        const uint32_t offset = static_cast<uint32_t>(archive.size());
        const uint32_t crc = Crc32(reinterpret_cast<const uint8_t*>(entry.data.data()), entry.data.size());
        const uint32_t size = static_cast<uint32_t>(entry.data.size());
        archive.push_back(entry.secondSignatureByte == 0x4C ? 0x51 : 0x50);
        archive.push_back(entry.secondSignatureByte);
        archive.push_back(0x03);
        archive.push_back(0x04);
        Put16(archive, 20);
        Put16(archive, 0);
        Put16(archive, 0);
        Put16(archive, 0);
        Put16(archive, 0x21);
        Put32(archive, crc);
        Put32(archive, size);
        Put32(archive, size);
        Put16(archive, static_cast<uint32_t>(entry.name.size()));
        Put16(archive, static_cast<uint32_t>(entry.extra.size()));
        archive.insert(archive.end(), entry.name.begin(), entry.name.end());
        archive.insert(archive.end(), entry.extra.begin(), entry.extra.end());
        archive.insert(archive.end(), entry.data.begin(), entry.data.end());

        Put32(central, 0x02014B50);
        Put16(central, 20);
        Put16(central, 20);
        for (int i = 0; i < 4; ++i) {
            Put16(central, i == 3 ? 0x21 : 0);
        }
        Put32(central, crc);
        Put32(central, size);
        Put32(central, size);
        Put16(central, static_cast<uint32_t>(entry.name.size()));
        for (int i = 0; i < 4; ++i) {
            Put16(central, 0);
        }
        Put32(central, 0);
        Put32(central, offset);
        central.insert(central.end(), entry.name.begin(), entry.name.end());
    }
    const uint32_t centralOffset = static_cast<uint32_t>(archive.size());
    archive.insert(archive.end(), central.begin(), central.end());
    Put32(archive, 0x06054B50);
    Put32(archive, 0);
    Put16(archive, static_cast<uint32_t>(entries.size()));
    Put16(archive, static_cast<uint32_t>(entries.size()));
    Put32(archive, static_cast<uint32_t>(central.size()));
    Put32(archive, centralOffset);
    Put16(archive, 0);
    return archive;
}

Bytes MakeTga(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
              const Bytes& payload) {
    Bytes file(18, 0);
    file[0] = 2;  // an ID field of two bytes
    file[2] = imageType;
    file[12] = static_cast<uint8_t>(width);
    file[13] = static_cast<uint8_t>(width >> 8);
    file[14] = static_cast<uint8_t>(height);
    file[15] = static_cast<uint8_t>(height >> 8);
    file[16] = depth;
    file[17] = descriptor;
    file.push_back('i');
    file.push_back('d');
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

Bytes Pattern(size_t count, uint8_t step) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(i * step + 17);
    }
    return bytes;
}

Bytes MakeJpeg(int width, int height, int components, bool progressive, bool fullChroma, int restartRows) {
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 75, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    if (fullChroma && components == 3) {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
    info.restart_in_rows = restartRows;
    jpeg_start_compress(&info, TRUE);
    const Bytes pixels = Pattern(static_cast<size_t>(width * height * components), 5);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + info.next_scanline * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

bool WriteSeed(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(folder);
    FILE* out = std::fopen((folder / name).c_str(), "wb");
    if (!out) {
        return false;
    }
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::filesystem::path zip = root / "fuzz_zip";
    const std::filesystem::path tga = root / "fuzz_tga";
    const std::filesystem::path jpeg = root / "fuzz_jpeg";
    bool ok = true;

    ok &= WriteSeed(zip, "stored.zip", MakeZip({{"1.lvl", "level one", {}, 0x4B}, {"a/b.txt", "abc\r\n", {}, 0x4B}}));
    ok &= WriteSeed(zip, "extra.zip", MakeZip({{"x.tga", "xx", {0x55, 0x54, 0x01, 0x00, 0x07}, 0x4B}}));
    ok &= WriteSeed(zip, "ql.nuf", MakeZip({{"one", "1", {}, 0x4C}, {"two", "22", {}, 0x4C}}));
    ok &= WriteSeed(zip, "longname.zip", MakeZip({{std::string(255, 'n'), "skip", {}, 0x4B}, {"k", "kept", {}, 0x4B}}));

    ok &= WriteSeed(tga, "raw24-bottom.tga", MakeTga(2, 24, 3, 2, 0x00, Pattern(18, 7)));
    ok &= WriteSeed(tga, "raw32-top.tga", MakeTga(2, 32, 2, 2, 0x28, Pattern(16, 9)));
    ok &= WriteSeed(tga, "high16.tga", MakeTga(2, 16, 2, 2, 0x00, Pattern(8, 31)));
    ok &= WriteSeed(tga, "rle24.tga", MakeTga(10, 24, 5, 2, 0x00, {0x82, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9, 0x84, 9, 9, 9}));
    ok &= WriteSeed(tga, "rle32.tga", MakeTga(10, 32, 4, 1, 0x28, {0x80, 1, 2, 3, 4, 0x02, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));

    ok &= WriteSeed(jpeg, "baseline.jpg", MakeJpeg(8, 8, 3, false, false, 0));
    ok &= WriteSeed(jpeg, "progressive.jpg", MakeJpeg(16, 8, 3, true, false, 0));
    ok &= WriteSeed(jpeg, "full-chroma-restart.jpg", MakeJpeg(16, 16, 3, false, true, 1));
    ok &= WriteSeed(jpeg, "grey.jpg", MakeJpeg(8, 8, 1, false, false, 0));
    ok &= WriteSeed(jpeg, "cmyk.jpg", MakeJpeg(8, 8, 4, false, false, 0));
    return ok ? 0 : 1;
}
