// The pages a package writes, worked out without the device: from its Intel-HEX file, from the built-in
// font block and from its image file, in the order its job writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/font_package.h"
#include "package/package_files.h"

namespace quillon {

struct PackagePages {
  std::vector<FontPage> pages;
  // Set when the package's input cannot be used: the words the job's box would show.
  std::optional<std::string> refusal;
  std::size_t bytesLeftOut = 0;  // an Intel-HEX package's data at or above kFontAddressLimit
  std::string fileName;          // the Intel-HEX file it was read from; empty for the others
};

// The words for the data a package leaves out, said once before it is written: "Bigfont.txt: 512 bytes
// at or above 0x061500 are left out: the font area ends there."
std::string LeftOutBytesText(const std::string& fileName, std::size_t bytes);

// The Intel-HEX package of job mode 1..5.
PackagePages FontFilePages(std::uint8_t jobMode);
// The 240 × 240 symbols and Latin fonts, and with glyphs the 32 × 32 Chinese glyphs after them.
PackagePages Screen240Pages(bool withGlyphs);
// The 128 × 128 package's 16 × 16 glyphs.
PackagePages SmallScreenPages();
// The 240 × 240 symbols and Latin fonts, then the 32 × 32 glyphs from the image file.
PackagePages ImageFilePages(const ColourImageFile& image);

}  // namespace quillon
