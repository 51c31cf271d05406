#include "tests/support/FormatMakers.h"

#include "resources/Crc32.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {

void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

}  // namespace

void Put16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

Bytes MakeZip(const std::vector<CZipEntrySpec>& entries) {
    Bytes archive;
    Bytes central;
    for (const CZipEntrySpec& entry : entries) {
        const uint32_t localOffset = static_cast<uint32_t>(archive.size());
        const uint32_t crc = Crc32(entry.data.data(), entry.data.size());
        const uint32_t size = static_cast<uint32_t>(entry.data.size());
        archive.push_back(entry.signatureFirst);
        archive.push_back(entry.signatureSecond);
        archive.push_back(0x03);
        archive.push_back(0x04);
        Put16(archive, 20);            // version needed
        Put16(archive, 0);             // flags
        Put16(archive, entry.method);
        Put16(archive, entry.time);
        Put16(archive, entry.date);
        Put32(archive, crc);
        Put32(archive, size);          // compressed size
        Put32(archive, size);          // uncompressed size (stand-in for deflated data)
        Put16(archive, static_cast<uint32_t>(entry.name.size()));
        Put16(archive, static_cast<uint32_t>(entry.extra.size()));
        Append(archive, BytesOf(entry.name));
        Append(archive, entry.extra);
        Append(archive, entry.data);

        Put32(central, 0x02014B50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, 0);
        Put16(central, entry.method);
        Put16(central, entry.time);
        Put16(central, entry.date);
        Put32(central, crc);
        Put32(central, size);
        Put32(central, size);
        Put16(central, static_cast<uint32_t>(entry.name.size()));
        Put16(central, 0);             // extra
        Put16(central, 0);             // comment
        Put16(central, 0);             // disk
        Put16(central, 0);             // internal attributes
        Put32(central, 0);             // external attributes
        Put32(central, localOffset);
        Append(central, BytesOf(entry.name));
    }
    const uint32_t centralOffset = static_cast<uint32_t>(archive.size());
    Append(archive, central);
    Put32(archive, 0x06054B50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, static_cast<uint32_t>(entries.size()));
    Put16(archive, static_cast<uint32_t>(entries.size()));
    Put32(archive, static_cast<uint32_t>(central.size()));
    Put32(archive, centralOffset);
    Put16(archive, 0);
    return archive;
}

Bytes MakeTgaWithId(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
                    const Bytes& idField, const Bytes& payload) {
    Bytes file;
    file.push_back(static_cast<uint8_t>(idField.size()));
    file.push_back(0);             // no colour map
    file.push_back(imageType);
    Put32(file, 0);                // colour map fields
    file.push_back(0);
    Put32(file, 0);                // x and y origin
    Put16(file, width);
    Put16(file, height);
    file.push_back(depth);
    file.push_back(descriptor);
    Append(file, idField);
    Append(file, payload);
    return file;
}

Bytes MakeTga(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
              const Bytes& payload, uint8_t idLength) {
    Bytes idField;
    for (uint8_t i = 0; i < idLength; ++i) {
        idField.push_back(static_cast<uint8_t>(0xA0 + i));
    }
    return MakeTgaWithId(imageType, depth, width, height, descriptor, idField, payload);
}

Bytes MakeJpeg(int width, int height, int components, const Bytes& pixels, int quality, const CJpegOptions& options) {
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
    jpeg_set_quality(&info, quality, TRUE);
    if (options.progressive) {
        jpeg_simple_progression(&info);
    }
    if (options.fullChroma && components == 3) {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
    info.restart_in_rows = options.restartRows;
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + rowBytes * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}
