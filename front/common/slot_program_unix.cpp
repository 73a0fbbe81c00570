#include <unistd.h>

#include <filesystem>

#include "front/common/slot_program.h"

namespace quillon {

std::string SlotProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  for (const std::filesystem::path& candidate :
       {self.parent_path() / "quillon-cli", self.parent_path().parent_path() / "console" / "quillon-cli"}) {
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

}  // namespace quillon
