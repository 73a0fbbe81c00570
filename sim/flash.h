// The device's flash: 16 MiB behind 24-bit addresses, erased to 0xFF.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace quillon::sim {

inline constexpr std::uint32_t kFlashSize = 1u << 24;
inline constexpr std::uint32_t kAddressMask = kFlashSize - 1;
inline constexpr std::uint8_t kErasedByte = 0xFF;

class Flash {
 public:
  Flash();

  // Addresses wrap at 24 bits, as on the device's address lines.
  std::uint8_t At(std::uint32_t address) const { return m_bytes[address & kAddressMask]; }
  void Program(std::uint32_t address, std::span<const std::uint8_t> bytes);
  void Read(std::uint32_t address, std::span<std::uint8_t> out) const;

  std::span<const std::uint8_t> Image() const { return m_bytes; }
  // Writes the whole image; false when the file cannot be written completely.
  bool Dump(const std::filesystem::path& path) const;

 private:
  std::vector<std::uint8_t> m_bytes;
};

}  // namespace quillon::sim
