#include "resources/Image.h"

#include "core/Log.h"
#include "resources/FileManager.h"

#include <csetjmp>
#include <cstdio>
// The library's header expects size_t and FILE to be declared before it.
#include <jpeglib.h>

namespace {

constexpr JDIMENSION kLargestSide = 8192;
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

// The standard error manager with a fatal-error exit that leaves the library through
// longjmp, carrying the formatted message back to the decoder.
struct CJpegErrorManager {
    jpeg_error_mgr standard;
    jmp_buf jumpBack;
    char message[JMSG_LENGTH_MAX];
};

void ExitOnError(j_common_ptr info) {
    CJpegErrorManager* errors = reinterpret_cast<CJpegErrorManager*>(info->err);
    errors->standard.format_message(info, errors->message);
    std::longjmp(errors->jumpBack, 1);
}

// Warnings (damaged or truncated data) are not printed; the decoder carries on.
void IgnoreMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// Past the end of the buffer the decoder is handed an end-of-image marker, as often as it asks.
boolean FillInputBuffer(j_decompress_ptr info) {
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = sizeof(kEndOfImage);
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* source = info->src;
    if (static_cast<size_t>(count) < source->bytes_in_buffer) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= static_cast<size_t>(count);
    } else {
        FillInputBuffer(info);
    }
}

void UseMemorySource(j_decompress_ptr info, const uint8_t* data, size_t size) {
    void* memory = info->mem->alloc_small(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT,
                                          sizeof(jpeg_source_mgr));
    jpeg_source_mgr* source = static_cast<jpeg_source_mgr*>(memory);
    source->init_source = InitSource;
    source->fill_input_buffer = FillInputBuffer;
    source->skip_input_data = SkipInputData;
    source->resync_to_restart = jpeg_resync_to_restart;
    source->term_source = TermSource;
    source->next_input_byte = data;
    source->bytes_in_buffer = size;
    info->src = source;
}

enum class EJpegResult { kDecoded, kGrey, kNotThreeComponents, kTooLarge, kLibraryError };

// The decompressor and its error manager live in the caller's frame, so that nothing the
// setjmp frame owns changes between setjmp and the jump back.
struct CJpegDecoder {
    jpeg_decompress_struct info;
    CJpegErrorManager errors;
};

// Runs the decoder up to the last scan line.
EJpegResult RunDecoder(jpeg_decompress_struct* info, const uint8_t* data, size_t size,
                       std::vector<uint8_t>* pixels) {
    UseMemorySource(info, data, size);
    jpeg_read_header(info, TRUE);
    if (info->image_width > kLargestSide || info->image_height > kLargestSide) {
        return EJpegResult::kTooLarge;
    }
    info->dct_method = JDCT_FLOAT;
    info->do_fancy_upsampling = FALSE;
    jpeg_start_decompress(info);
    if (info->out_color_space == JCS_GRAYSCALE) {
        return EJpegResult::kGrey;
    }
    if (info->output_components != 3) {
        return EJpegResult::kNotThreeComponents;
    }
    const size_t rowBytes = static_cast<size_t>(info->output_width) * 3;
    pixels->resize(rowBytes * info->output_height);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = pixels->data() + rowBytes * info->output_scanline;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return EJpegResult::kDecoded;
}

// A fatal library error jumps back here from inside the library and never returns into
// it. This frame holds only pointers that do not change after setjmp and no object with
// a destructor, so the jump skips nothing.
EJpegResult DecodeGuarded(CJpegDecoder* decoder, const uint8_t* data, size_t size, std::vector<uint8_t>* pixels) {
    decoder->info.err = jpeg_std_error(&decoder->errors.standard);
    decoder->errors.standard.error_exit = ExitOnError;
    decoder->errors.standard.output_message = IgnoreMessage;
    if (setjmp(decoder->errors.jumpBack) != 0) {
        jpeg_destroy_decompress(&decoder->info);
        return EJpegResult::kLibraryError;
    }
    jpeg_CreateDecompress(&decoder->info, 62, sizeof(decoder->info));
    const EJpegResult result = RunDecoder(&decoder->info, data, size, pixels);
    jpeg_destroy_decompress(&decoder->info);
    return result;
}

}  // namespace

bool CImageFormatJpg::SupportsExtension(const std::string& extension) const {
    return extension == "jpg" || extension == "JPG";
}

bool CImageFormatJpg::Load(const std::string& fileName, CImage& image) {
    std::vector<uint8_t> bytes;
    if (!CFileManager::Get().LoadWholeFile(fileName, bytes)) {
        CLog::Get().Write("CImageFormatJpg::Load FAILED couldn't open file: %s", fileName.c_str());
        return false;
    }
    return Decode(bytes.data(), bytes.size(), fileName, image);
}

bool CImageFormatJpg::Decode(const uint8_t* data, size_t size, const std::string& fileName, CImage& image) {
    CJpegDecoder decoder {};
    std::vector<uint8_t> pixels;
    const EJpegResult result = DecodeGuarded(&decoder, data, size, &pixels);
    switch (result) {
        case EJpegResult::kLibraryError:
            CLog::Get().Write("CImageFormatJpg::Load FAILED %s: %s", decoder.errors.message, fileName.c_str());
            return false;
        case EJpegResult::kGrey:
            CLog::Get().Write("CImageFormatJpg::Load FAILED Grayscale not supported: %s", fileName.c_str());
            return false;
        case EJpegResult::kNotThreeComponents:
            CLog::Get().Write("CImageFormatJpg::Load FAILED %d colour components not supported: %s",
                              decoder.info.output_components, fileName.c_str());
            return false;
        case EJpegResult::kTooLarge:
            CLog::Get().Write("CImageFormatJpg::Load FAILED picture larger than 8192 pixels: %s", fileName.c_str());
            return false;
        case EJpegResult::kDecoded:
            break;
    }
    image.pixels = std::move(pixels);
    image.bytesPerPixel = 3;
    image.width = static_cast<int32_t>(decoder.info.output_width);
    image.height = static_cast<int32_t>(decoder.info.output_height);
    return true;
}
