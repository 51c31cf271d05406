#pragma once
// Encoders for the baked pictures: uncompressed TGA (24 or 32 bits, rows stored top
// first), baseline JPEG through libjpeg with fixed settings and PNG for the desktop icons,
// so that the same pixels always give the same bytes.
#include <cstdint>
#include <vector>

class CCanvas;

// pixels: width x height x bytesPerPixel (3: R, G, B; 4: R, G, B, A), rows top to bottom.
std::vector<uint8_t> EncodeTga(const std::vector<uint8_t>& pixels, int width, int height, int bytesPerPixel);
// pixels: R, G, B rows top to bottom; full-resolution colour (no chroma subsampling).
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, int width, int height, int quality);

// pixels: R, G, B, A rows top to bottom. A PNG with stored (uncompressed) deflate blocks:
// no compressor whose output could change between versions, so the bytes never change.
std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& pixels, int width, int height);

std::vector<uint8_t> CanvasToTga(const CCanvas& canvas, bool withAlpha);
std::vector<uint8_t> CanvasToJpeg(const CCanvas& canvas, int quality);
