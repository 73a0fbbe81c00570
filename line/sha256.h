// SHA-256 (FIPS 180-4), for the production log's record of what a unit was given.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace quillon {

class Sha256 {
 public:
  Sha256();
  void Add(std::span<const std::uint8_t> bytes);
  // The digest as 64 lower-case hexadecimal digits. The object is used up.
  std::string HexDigest();

 private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> m_state;
  std::array<std::uint8_t, 64> m_block{};
  std::size_t m_blockUsed = 0;
  std::uint64_t m_totalBytes = 0;
};

}  // namespace quillon
