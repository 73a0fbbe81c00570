// Sole owner of a fresh, empty directory under the system's temporary directory: removed with all it
// holds when the owner goes. Neither copied nor moved: whatever points into it lives no longer than it.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace quillon {

class TemporaryDirectory {
 public:
  // Named `prefix` and six random characters; Made() says whether the system gave one. A name that is
  // taken already is passed over, so the directory is always a new one (as mkdtemp makes it, which
  // Windows lacks).
  explicit TemporaryDirectory(std::string_view prefix) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) return;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device randomness;
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = std::string(prefix) + "-";
      for (int i = 0; i < 6; ++i) name += kLetters[letter(randomness)];
      const std::filesystem::path candidate = base / name;
      if (std::filesystem::create_directory(candidate, error)) {
        m_path = candidate;
        return;
      }
      if (error) return;  // not a name clash: the next name would fail the same way
    }
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
