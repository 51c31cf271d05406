#pragma once
// The 640 x 480 window that the drawing tests draw into: SDL's software renderer (on the
// dummy video driver unless another one is set), read back as pixels and kept as TGA
// pictures on request.
#include "tests/support/TestFiles.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// The window and the renderer; false when either cannot be made.
[[nodiscard]] bool OpenSoftwareScreen();
void CloseSoftwareScreen();

enum class EDrawnLayers { UpperOnly, Both };
// The layers as the engine draws them (the whole picture, kScreenHeight rows), with the drawn mouse pointer when asked; rows from
// the bottom, three bytes a pixel. Empty when the pixels cannot be read.
Bytes DrawScreen(EDrawnLayers layers, bool withPointer);
// The width of a drawn picture: 640, or wider for a screen drawn on a wider picture.
size_t PictureWidthOf(const Bytes& pixels);
// How many pixels differ between two pictures inside (left, top)-(right, bottom).
int32_t DifferingPixels(const Bytes& a, const Bytes& b, int left, int top, int right, int bottom);
// With PELLORA_E2E_SHOTS set to a folder the picture is kept there as a TGA file; true when
// it is not asked for or was written.
[[nodiscard]] bool KeepPicture(const Bytes& pixels, const std::string& name);
