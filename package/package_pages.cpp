#include "package/package_pages.h"

#include "link/files/input_file.h"
#include "package/colour_regions.h"
#include "package/hex_records.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

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

// An input file that could not be opened, in the job box's words.
Problem Refused(const Problem& opening, const char* missingText) {
  const ProblemKind kind =
      opening.kind == ProblemKind::kInputMissing ? ProblemKind::kInputMissing : ProblemKind::kInputRefused;
  return Problem{kind, InputFileRefusalText(opening, missingText)};
}

}  // namespace

std::string LeftOutBytesText(const std::string& fileName, std::size_t bytes) {
  return Tr("{1}: {2} bytes at or above {3} are left out: the font area ends there.",
            {fileName, std::to_string(bytes), "0x" + HexText(kFontAddressLimit, 6)});
}

Result<PackagePages> FontFilePages(std::uint8_t jobMode) {
  const char* fileName = FontFileName(jobMode);
  if (fileName == nullptr) return Problem{ProblemKind::kInputMissing, kWriteFileMissingText};
  Result<InputFile> opened = OpenInputFile(fileName);
  if (!opened) return Refused(opened.Failure(), kWriteFileMissingText);
  InputFileStream file(std::move(*opened));
  FontPackage package = ReadFontPackage(file);
  if (package.problem)
    return Problem{ProblemKind::kInputRefused, RefusedFontFileText(fileName, *package.problem)};
  return PackagePages{std::move(package.pages), package.bytesLeftOut, fileName};
}

PackagePages Screen240Pages(bool withGlyphs) {
  PackagePages result;
  AddScreen240Regions(result.pages);
  if (withGlyphs) AddRegion(kGlyphRegion, result.pages);
  return result;
}

PackagePages SmallScreenPages() {
  PackagePages result;
  AddRegion(kSmallScreenRegion, result.pages);
  return result;
}

Result<PackagePages> ImageFilePages(const ColourImageFile& image) {
  PackagePages result;
  Result<InputFile> opened = OpenInputFile(image.name);
  if (!opened) return Refused(opened.Failure(), kReadFileMissingText);
  InputFileStream file(std::move(*opened));
  file.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(file.tellg(), 0));
  if (size < image.RequiredSize())
    return Problem{ProblemKind::kInputRefused, ShortImageFileText(image, size)};
  AddScreen240Regions(result.pages);
  file.seekg(image.firstByte);
  for (std::uint32_t taken = 0; taken < kFileRegionBytes; taken += kPageSize) {
    FontPage page;
    page.address = kFileRegionStart + taken;
    if (!file.read(reinterpret_cast<char*>(page.bytes.data()), kPageSize)) {
      return Problem{ProblemKind::kInputRefused, UnreadableImageFileText(image)};
    }
    result.pages.push_back(page);
  }
  return result;
}

}  // namespace quillon
