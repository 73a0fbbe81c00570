// The station keeps its texts in UTF-8; Windows shows UTF-16. One conversion each way.
#pragma once

#include <string>

namespace quillon::win32 {

std::wstring WideText(const std::string& utf8);
std::string Utf8Text(const std::wstring& wide);

}  // namespace quillon::win32
