#include "front/win32/png_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace quillon::win32 {
namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::vector<std::uint8_t>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks, at most 65535 bytes each.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out{0x78, 0x01};
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min<std::size_t>(data.size() - offset, 65535);
    const bool last = offset + length == data.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(~length));
    out.push_back(static_cast<std::uint8_t>(~length >> 8));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(offset),
               data.begin() + static_cast<std::ptrdiff_t>(offset + length));
    offset += length;
  } while (offset < data.size());
  PutBigEndian(out, Adler32(data));
  return out;
}

}  // namespace

std::vector<std::uint8_t> PngFile(int width, int height, const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits a channel, RGB, deflate, no filter, no interlace
  PutChunk(out, "IHDR", header);
  // Each row starts with its filter type, 0: none.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> rows;
  rows.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);
    const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y));
    rows.insert(rows.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
  }
  PutChunk(out, "IDAT", StoredZlib(rows));
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace quillon::win32
