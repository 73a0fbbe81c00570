#include "station/jobs/expected_pages.h"

#include "station/dialog_controls.h"
#include "texts/catalogue.h"

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

}  // namespace

Result<PackagePages> ExpectedPackagePages(int jobButtonId) {
  if (const std::uint8_t mode = FontFileMode(jobButtonId); mode != 0) return FontFilePages(mode);
  switch (jobButtonId) {
    case kIdWriteColour240Chinese:
      return Screen240Pages(true);
    case kIdWriteColour240English:
      return Screen240Pages(false);
    case kIdWriteColour128Chinese:
      return SmallScreenPages();
    case kIdWriteColour240Korean:
      return ImageFilePages(kKoreanImageFile);
    case kIdWriteColour240TraditionalChinese:
      return ImageFilePages(kTraditionalImageFile);
    default:
      return Problem{ProblemKind::kUsage, N_("No package is written by this button.")};
  }
}

}  // namespace quillon
