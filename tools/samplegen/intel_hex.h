// Intel-HEX text as the station's font file job reads it: 256-byte pages, each as eight data records of
// 32 bytes in address order.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace quillon::tools {

using FlashPage = std::array<std::uint8_t, 256>;
// Pages by their flash address (a multiple of 256).
using FlashPages = std::map<std::uint32_t, FlashPage>;

inline constexpr std::uint8_t kDataRecord = 0x00;
inline constexpr std::uint8_t kEndRecord = 0x01;
inline constexpr std::uint8_t kExtendedLinearAddressRecord = 0x04;

// One record without its line end: ':', byte count, load offset, type, data and checksum in upper-case
// hexadecimal. The checksum makes all bytes of the record sum to 0 modulo 256.
std::string IntelHexRecord(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data);

// The whole file: the pages in address order, an extended linear address record before the first page
// and wherever the upper 16 address bits change, then the end record. One record per line.
std::string IntelHexText(const FlashPages& pages);

}  // namespace quillon::tools
