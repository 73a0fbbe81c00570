// The station keeps its texts in UTF-8; Windows' wide calls take and give UTF-16. One conversion each
// way, for every place the station meets the system. Text that is not valid UTF-8 (or UTF-16) comes
// through with U+FFFD in place of what cannot be converted.
#pragma once

#include <string>

namespace quillon {

std::wstring WideText(const std::string& utf8);
std::string Utf8Text(const std::wstring& wide);

}  // namespace quillon
