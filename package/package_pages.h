// The pages a package writes, worked out without the device: from its Intel-HEX file, from the built-in
// font block and from its image file, in the order its job writes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/font_package.h"
#include "package/package_files.h"
#include "texts/problem.h"

namespace quillon {

struct PackagePages {
  std::vector<FontPage> pages;
  std::size_t bytesLeftOut = 0;  // an Intel-HEX package's data at or above kFontAddressLimit
  std::string fileName;          // the Intel-HEX file it was read from; empty for the others
};

// The words for the data a package leaves out, said once before it is written: "Bigfont.txt: 512 bytes
// at or above 0x061500 are left out: the font area ends there."
std::string LeftOutBytesText(const std::string& fileName, std::size_t bytes);

// The package readers below refuse an input file with the words the job's box shows for it: a missing
// file's as the device's own program wrote them (the box and Tr() put them in the operator's language),
// the others already in it. kInputMissing when the file is not there, kInputRefused otherwise.

// The Intel-HEX package of job mode 1..5.
Result<PackagePages> FontFilePages(std::uint8_t jobMode);
// The 240 × 240 symbols and Latin fonts, and with glyphs the 32 × 32 Chinese glyphs after them.
PackagePages Screen240Pages(bool withGlyphs);
// The 128 × 128 package's 16 × 16 glyphs.
PackagePages SmallScreenPages();
// The 240 × 240 symbols and Latin fonts, then the 32 × 32 glyphs from the image file.
Result<PackagePages> ImageFilePages(const ColourImageFile& image);

}  // namespace quillon
