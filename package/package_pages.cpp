#include "package/package_pages.h"

#include <fstream>

#include "link/utf8_path.h"
#include "package/colour_regions.h"
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

}  // namespace

PackagePages FontFilePages(std::uint8_t jobMode) {
  const char* fileName = FontFileName(jobMode);
  if (fileName == nullptr) return {{}, Tr(kWriteFileMissingText)};
  std::ifstream file(PathFromUtf8(fileName), std::ios::binary);
  if (!file.is_open()) return {{}, Tr(kWriteFileMissingText)};
  FontPackage package = ReadFontPackage(file);
  if (package.problem) return {{}, RefusedFontFileText(fileName, *package.problem)};
  return {std::move(package.pages), std::nullopt};
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

PackagePages ImageFilePages(const ColourImageFile& image) {
  PackagePages result;
  std::ifstream file(PathFromUtf8(image.name), std::ios::binary);
  if (!file.is_open()) return {{}, Tr(kReadFileMissingText)};
  file.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(file.tellg(), 0));
  if (size < image.RequiredSize()) return {{}, ShortImageFileText(image, size)};
  AddScreen240Regions(result.pages);
  file.seekg(image.firstByte);
  for (std::uint32_t taken = 0; taken < kFileRegionBytes; taken += kPageSize) {
    FontPage page;
    page.address = kFileRegionStart + taken;
    if (!file.read(reinterpret_cast<char*>(page.bytes.data()), kPageSize)) {
      return {{}, UnreadableImageFileText(image)};
    }
    result.pages.push_back(page);
  }
  return result;
}

}  // namespace quillon
