// The files in the working directory that packages are read from: the five Intel-HEX font files and the
// two raw image files that complete the Korean and the traditional Chinese colour packages, with the
// words that refuse them.
#pragma once

#include <cstdint>
#include <string>
#include "texts/catalogue.h"
#include "texts/problem.h"

namespace quillon {

inline constexpr const char* kWriteFileMissingText = N_("没有找到写入文件!!!");
inline constexpr const char* kReadFileMissingText = N_("没有找到Read文件!!!");
// The first line of the box that refuses an image file that is there but cannot be used.
inline constexpr const char* kBadReadFileText = N_("Read文件错误!!!");

// The font file of job modes 1..5; nullptr for any other mode.
const char* FontFileName(std::uint8_t jobMode);

// The bytes the file region takes from an image file: 3603 pages to flash 0x100000..0x1E12FF.
inline constexpr std::uint32_t kFileRegionBytes = 0xE1300;

struct ColourImageFile {
  const char* name;         // opened by its bare name, in the working directory
  std::uint32_t firstByte;  // where the region's bytes start in the file
  const char* packageName;  // for the operator, in the refusal box

  constexpr std::uint32_t RequiredSize() const { return firstByte + kFileRegionBytes; }
};

inline constexpr ColourImageFile kKoreanImageFile{"Korea_color240_32X32.bin", 0x80000, N_("Korean")};
inline constexpr ColourImageFile kTraditionalImageFile{"FT_color240_32X32.bin", 0, N_("traditional Chinese")};

// The refusal box's text for a file of `size` bytes, too short for its region.
std::string ShortImageFileText(const ColourImageFile& image, std::uint64_t size);
// The box's text for an input file that cannot be opened: the missing file's text when it is not there,
// else what is wrong with it ("flash.txt is a named pipe, not a file.").
std::string InputFileRefusalText(const Problem& problem, const char* missingText);
// The box's text for an image file whose size or bytes cannot be read.
std::string UnreadableImageFileText(const ColourImageFile& image);

}  // namespace quillon
