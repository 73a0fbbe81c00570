// Runs a test in a fresh, empty working directory, and goes back when it ends.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "link/os/temporary_directory.h"

namespace quillon::testing {

class ScratchWorkingDirectory {
 public:
  ScratchWorkingDirectory() : m_previous(std::filesystem::current_path()) {
    if (!m_directory.Made()) {
      // Running on in the build tree would scatter the test's files there and mix them with others'.
      std::fputs("no scratch directory could be made under the temporary directory\n", stderr);
      std::abort();
    }
    std::filesystem::current_path(m_directory.Path());
  }
  ~ScratchWorkingDirectory() { std::filesystem::current_path(m_previous); }
  ScratchWorkingDirectory(const ScratchWorkingDirectory&) = delete;
  ScratchWorkingDirectory& operator=(const ScratchWorkingDirectory&) = delete;

  const std::filesystem::path& Path() const { return m_directory.Path(); }

 private:
  std::filesystem::path m_previous;
  // Made after the previous directory is noted, removed after it is current again.
  TemporaryDirectory m_directory{"quillon-test"};
};

}  // namespace quillon::testing
