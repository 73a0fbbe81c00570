// The pages a job button's package writes, worked out without the device: what the console checks a
// device against, and what a unit's record is a digest of.
#pragma once

#include "package/package_pages.h"

namespace quillon {

// A problem, in the job box's words, when the package's input file is missing or refused.
Result<PackagePages> ExpectedPackagePages(int jobButtonId);

}  // namespace quillon
