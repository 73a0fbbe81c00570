#include "link/usb/library_width.h"

#include <array>
#include <cstdint>
#include <fstream>

namespace quillon {
namespace {

// The DOS header's pointer to the PE header, and the machine word right after the "PE\0\0" signature.
constexpr std::streamoff kPeHeaderOffsetAt = 0x3C;
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;

std::uint32_t LittleEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

int LibraryWidthBits(const std::filesystem::path& file) {
  std::ifstream image(file, std::ios::binary);
  std::array<unsigned char, 4> offset{};
  image.seekg(kPeHeaderOffsetAt);
  if (!image.read(reinterpret_cast<char*>(offset.data()), offset.size())) return 0;
  std::array<unsigned char, 6> header{};
  image.seekg(LittleEndian(offset.data(), 4));
  if (!image.read(reinterpret_cast<char*>(header.data()), header.size())) return 0;
  if (header[0] != 'P' || header[1] != 'E' || header[2] != 0 || header[3] != 0) return 0;
  switch (LittleEndian(header.data() + 4, 2)) {
    case kMachineI386:
      return 32;
    case kMachineAmd64:
    case kMachineArm64:
      return 64;
    default:
      return 0;
  }
}

}  // namespace quillon
