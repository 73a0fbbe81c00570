#include "program/package_pages.h"

#include <fstream>

#include "app/dialog_controls.h"
#include "link/utf8_path.h"
#include "program/colour_font_jobs.h"
#include "program/colour_regions.h"
#include "program/font_file_job.h"

namespace quillon {
namespace {

// The font file job's mode of each Intel-HEX package button.
std::uint8_t FontFileMode(int jobButtonId) {
  switch (jobButtonId) {
    case kIdWriteChinese:
      return 1;
    case kIdWriteKorean:
      return 2;
    case kIdWriteTraditionalChinese:
      return 3;
    case kIdWriteJapanese:
      return 4;
    case kIdWriteLargeAscii:
      return 5;
    default:
      return 0;
  }
}

void AddRegion(const BuiltinRegion& region, std::vector<FontPage>& pages) {
  std::uint32_t taken = 0;
  do {
    FontPage page;
    page.address = region.flashStart + taken;
    CopyBlockPage(region.blockOffset + taken, page.bytes.data());
    pages.push_back(page);
    taken += kPageSize;
  } while (taken < region.length);
}

void AddScreen240Regions(std::vector<FontPage>& pages) {
  for (const BuiltinRegion& region : kScreen240Regions) AddRegion(region, pages);
}

PackagePages FontFilePages(std::uint8_t mode) {
  const char* fileName = FontFileName(mode);
  if (fileName == nullptr) return {{}, kWriteFileMissingText};
  std::ifstream file(PathFromUtf8(fileName), std::ios::binary);
  if (!file.is_open()) return {{}, kWriteFileMissingText};
  FontPackage package = ReadFontPackage(file);
  if (package.problem) return {{}, RefusedFontFileText(fileName, *package.problem)};
  return {std::move(package.pages), std::nullopt};
}

PackagePages ImageFilePages(const ColourImageFile& image) {
  PackagePages result;
  std::ifstream file(PathFromUtf8(image.name), std::ios::binary);
  if (!file.is_open()) return {{}, kReadFileMissingText};
  file.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(file.tellg(), 0));
  if (size < image.RequiredSize()) return {{}, ShortImageFileText(image, size)};
  AddScreen240Regions(result.pages);
  file.seekg(image.firstByte);
  for (std::uint32_t taken = 0; taken < kFileRegionBytes; taken += kPageSize) {
    FontPage page;
    page.address = kFileRegionStart + taken;
    if (!file.read(reinterpret_cast<char*>(page.bytes.data()), kPageSize)) {
      return {{}, std::string(kBadReadFileText) + "\n" + image.name + " cannot be read."};
    }
    result.pages.push_back(page);
  }
  return result;
}

}  // namespace

PackagePages ExpectedPackagePages(int jobButtonId) {
  if (const std::uint8_t mode = FontFileMode(jobButtonId); mode != 0) return FontFilePages(mode);
  PackagePages result;
  switch (jobButtonId) {
    case kIdWriteColour240Chinese:
      AddScreen240Regions(result.pages);
      AddRegion(kGlyphRegion, result.pages);
      break;
    case kIdWriteColour240English:
      AddScreen240Regions(result.pages);
      break;
    case kIdWriteColour128Chinese:
      AddRegion(kSmallScreenRegion, result.pages);
      break;
    case kIdWriteColour240Korean:
      return ImageFilePages(kKoreanImageFile);
    case kIdWriteColour240TraditionalChinese:
      return ImageFilePages(kTraditionalImageFile);
    default:
      result.refusal = "No package is written by this button.";
  }
  return result;
}

}  // namespace quillon
