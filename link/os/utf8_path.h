// File names inside the station are UTF-8. A std::filesystem::path made from a plain std::string reads
// it in the system's code page on Windows (GBK on a Chinese PC), and the narrow fopen does the same, so
// names pass between the two only here: through the program's one UTF-8/UTF-16 conversion on Windows,
// which never throws (what cannot be converted becomes U+FFFD), as they are on Linux.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "link/os/wide_text.h"
#endif

namespace quillon {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
#ifdef _WIN32
  return std::filesystem::path(WideText(std::string(utf8)));
#else
  return std::filesystem::path(std::string(utf8));
#endif
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
  return Utf8Text(path.native());
#else
  return path.native();
#endif
}

// std::fopen of a path: _wfopen on Windows.
inline std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
  return ::_wfopen(path.c_str(), WideText(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

}  // namespace quillon
