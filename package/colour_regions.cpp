#include "package/colour_regions.h"

#include <algorithm>

#include "link/frame.h"

namespace quillon {

void CopyBlockPage(std::size_t offset, std::uint8_t* page) {
  const auto rest = kBuiltinFontBlock.subspan(std::min(offset, kBuiltinFontBlock.size()));
  const std::size_t count = std::min(rest.size(), kPageSize);
  std::copy_n(rest.begin(), count, page);
  std::fill(page + count, page + kPageSize, kColourPageFiller);
}

}  // namespace quillon
