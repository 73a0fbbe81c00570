#include "package/package_files.h"

#include <iterator>

namespace quillon {
namespace {

constexpr const char* kFontFileNames[] = {"flash.txt", "KoreaFlash.txt", "FTfont.txt", "Janpanesefont.txt",
                                          "Bigfont.txt"};

}  // namespace

const char* FontFileName(std::uint8_t jobMode) {
  if (jobMode < 1 || jobMode > std::size(kFontFileNames)) return nullptr;
  return kFontFileNames[jobMode - 1];
}

std::string ShortImageFileText(const ColourImageFile& image, std::uint64_t size) {
  return std::string(kBadReadFileText) + "\n" + image.name + " holds " + std::to_string(size) +
         " bytes; the " + image.packageName + " package needs at least " +
         std::to_string(image.RequiredSize()) + ".";
}

std::string UnreadableImageFileText(const ColourImageFile& image) {
  return std::string(kBadReadFileText) + "\n" + image.name + " cannot be read.";
}

}  // namespace quillon
