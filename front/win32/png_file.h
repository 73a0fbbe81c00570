// A PNG file of 24-bit pixels, written without a compression library: the image data goes into stored
// (uncompressed) deflate blocks, which every PNG reader accepts. Meant for screenshots, not for size.
#pragma once

#include <cstdint>
#include <vector>

namespace quillon::win32 {

// rgb: height rows of width pixels, top row first, three bytes (red, green, blue) each.
std::vector<std::uint8_t> PngFile(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace quillon::win32
