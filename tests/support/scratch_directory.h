// Runs a test in a fresh, empty working directory, and goes back when it ends.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace quillon::testing {

class ScratchWorkingDirectory {
 public:
  ScratchWorkingDirectory() : m_previous(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
    std::filesystem::current_path(m_path);
  }
  ~ScratchWorkingDirectory() {
    std::filesystem::current_path(m_previous);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchWorkingDirectory(const ScratchWorkingDirectory&) = delete;
  ScratchWorkingDirectory& operator=(const ScratchWorkingDirectory&) = delete;

  const std::filesystem::path& Path() const { return m_path; }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_path;
};

}  // namespace quillon::testing
