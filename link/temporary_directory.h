// Sole owner of a fresh, empty directory under the system's temporary directory: removed with all it
// holds when the owner goes. Neither copied nor moved: whatever points into it lives no longer than it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace quillon {

class TemporaryDirectory {
 public:
  // Named `prefix` and six random characters; Made() says whether the system gave one.
  explicit TemporaryDirectory(std::string_view prefix) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    if (Made()) std::filesystem::remove_all(m_path, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  bool Made() const { return !m_path.empty(); }
  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

}  // namespace quillon
