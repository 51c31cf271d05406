#include "tools/bake/ImageWriters.h"

#include "resources/Crc32.h"
#include "tools/bake/Raster.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {
void AppendBe32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

// One chunk: length, type, data, and the CRC over type and data.
void AppendPngChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& data) {
    AppendBe32(out, static_cast<uint32_t>(data.size()));
    const size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    AppendBe32(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

// A zlib stream of stored deflate blocks (at most 65535 bytes each) and the Adler-32 sum.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    constexpr size_t kMaxBlock = 65535;
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t size = std::min(kMaxBlock, raw.size() - at);
        const bool last = at + size == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(size));
        out.push_back(static_cast<uint8_t>(size >> 8));
        out.push_back(static_cast<uint8_t>(~size));
        out.push_back(static_cast<uint8_t>(~size >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (const uint8_t byte : raw) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    AppendBe32(out, (b << 16) | a);
    return out;
}
}  // namespace

std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& pixels, int width, int height) {
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<size_t>(y));
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    std::vector<uint8_t> header;
    AppendBe32(header, static_cast<uint32_t>(width));
    AppendBe32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter set, no interlace
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendPngChunk(out, "IHDR", header);
    AppendPngChunk(out, "IDAT", StoredZlib(raw));
    AppendPngChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> EncodeTga(const std::vector<uint8_t>& pixels, int width, int height, int bytesPerPixel) {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;  // uncompressed true colour
    out[12] = static_cast<uint8_t>(width);
    out[13] = static_cast<uint8_t>(width >> 8);
    out[14] = static_cast<uint8_t>(height);
    out[15] = static_cast<uint8_t>(height >> 8);
    out[16] = static_cast<uint8_t>(bytesPerPixel * 8);
    // Top-left origin; the alpha bits count for 32-bit pictures.
    out[17] = static_cast<uint8_t>(0x20 | (bytesPerPixel == 4 ? 8 : 0));
    out.reserve(out.size() + pixels.size());
    for (size_t i = 0; i + static_cast<size_t>(bytesPerPixel) <= pixels.size(); i += static_cast<size_t>(bytesPerPixel)) {
        out.push_back(pixels[i + 2]);
        out.push_back(pixels[i + 1]);
        out.push_back(pixels[i]);
        if (bytesPerPixel == 4) {
            out.push_back(pixels[i + 3]);
        }
    }
    return out;
}

namespace {
// libjpeg reports fatal errors through error_exit; with fixed, valid input none are
// expected, so the baker stops loudly instead of writing a half picture.
void JpegFatal(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::fprintf(stderr, "pellora-bake: JPEG encoder failed: %s\n", message);
    std::exit(1);
}
}  // namespace

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, int width, int height, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    errors.error_exit = JpegFatal;
    jpeg_create_compress(&info);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.optimize_coding = TRUE;
    info.write_JFIF_header = TRUE;
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&pixels[static_cast<size_t>(info.next_scanline) * width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

std::vector<uint8_t> CanvasToTga(const CCanvas& canvas, bool withAlpha) {
    if (withAlpha) {
        return EncodeTga(canvas.ToRgba8(), canvas.Width(), canvas.Height(), 4);
    }
    return EncodeTga(canvas.ToRgb8(), canvas.Width(), canvas.Height(), 3);
}

std::vector<uint8_t> CanvasToJpeg(const CCanvas& canvas, int quality) {
    return EncodeJpeg(canvas.ToRgb8(), canvas.Width(), canvas.Height(), quality);
}
