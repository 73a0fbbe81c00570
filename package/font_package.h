// A font package file read for the font file job: line by line, every record checked up to the end
// record, the data records gathered into the 256-byte pages they fill. The whole file is judged before
// the job sends anything, yet reading holds one line and the pages below the font address limit, so
// any file, however large or whatever it holds, costs bounded memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "link/frame.h"
#include "texts/catalogue.h"

namespace quillon {

// Font packages end below this flash address; a page starting at or above it is not written.
inline constexpr std::uint32_t kFontAddressLimit = 0x61500;

struct FontFileProblem {
  std::size_t line = 0;  // counted from 1
  std::string what;

  bool operator==(const FontFileProblem&) const = default;
};

struct FontPage {
  std::uint32_t address = 0;  // its low byte is 0
  std::array<std::uint8_t, kPageSize> bytes{};
};

struct FontPackage {
  std::optional<FontFileProblem> problem;  // set: the file is refused, and nothing of it is written
  std::vector<FontPage> pages;             // ascending, below kFontAddressLimit
  std::size_t bytesLeftOut = 0;            // data bytes at or above kFontAddressLimit, not written
};

// Data records of 1 to 32 bytes land at their own addresses, a record across a page boundary split
// there; a page begins when a record's bytes lie in another page than the one before, and bytes of a
// page that no record fills are 0xFF. Refused: records out of order or overlapping, a page below the
// one before it, any line that is not a well-formed record, a file that ends without its end record (it
// was cut short) and a package that writes no page. A UTF-8 byte order mark before the first record is
// passed over.
FontPackage ReadFontPackage(std::istream& file);

// The first line of the box that refuses a file.
inline constexpr const char* kBadWriteFileText = N_("写入文件格式错误!!!");

// The box's text: the first line above, then where the file is wrong and how.
std::string RefusedFontFileText(const std::string& fileName, const FontFileProblem& problem);

}  // namespace quillon
