// A run of flash as an Intel-HEX file that the station's own reader takes: 32-byte data records from
// each page start, an extended linear address record wherever the upper 16 address bits change, and
// the end record. Line ends are CR LF, as the package files have them.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quillon {

std::string IntelHexText(std::uint32_t firstAddress, std::span<const std::uint8_t> bytes);

}  // namespace quillon
