#include "front/common/package_buttons.h"

#include "station/dialog_controls.h"

namespace quillon {

const std::vector<PackageButton>& Packages() {
  static const std::vector<PackageButton> packages = {
      {"chinese", kIdWriteChinese},
      {"korean", kIdWriteKorean},
      {"traditional-chinese", kIdWriteTraditionalChinese},
      {"japanese", kIdWriteJapanese},
      {"large-ascii", kIdWriteLargeAscii},
      {"colour240-chinese", kIdWriteColour240Chinese},
      {"colour240-english", kIdWriteColour240English},
      {"colour128-chinese", kIdWriteColour128Chinese},
      {"colour240-korean", kIdWriteColour240Korean},
      {"colour240-traditional-chinese", kIdWriteColour240TraditionalChinese},
  };
  return packages;
}

int PackageButtonId(const std::string& name) {
  for (const PackageButton& package : Packages()) {
    if (name == package.name) return package.controlId;
  }
  return 0;
}

}  // namespace quillon
