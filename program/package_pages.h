// The pages a package's job writes, worked out without the device: from its Intel-HEX file, from the
// built-in font block and from its image file, in the order the job writes them. What the console
// checks a device against, and what a unit's record is a digest of.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "program/font_package.h"

namespace quillon {

struct PackagePages {
  std::vector<FontPage> pages;
  // Set when the package's input cannot be used: the words the job's box would show.
  std::optional<std::string> refusal;
};

PackagePages ExpectedPackagePages(int jobButtonId);

}  // namespace quillon
