#include "package/package_files.h"
#include "texts/catalogue.h"

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
  return Tr("{1}\n{2} holds {3} bytes; the {4} package needs at least {5}.",
            {Tr(kBadReadFileText), image.name, std::to_string(size), Tr(image.packageName),
             std::to_string(image.RequiredSize())});
}

std::string InputFileRefusalText(const Problem& problem, const char* missingText) {
  // The box translates the station's own texts as it shows them; the log keeps them as they are.
  if (problem.kind == ProblemKind::kInputMissing) return missingText;
  return Tr("{1}.", {problem.words});
}

std::string UnreadableImageFileText(const ColourImageFile& image) {
  return Tr("{1}\n{2} cannot be read.", {Tr(kBadReadFileText), image.name});
}

}  // namespace quillon
