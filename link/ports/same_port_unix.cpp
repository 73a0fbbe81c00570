#include <sys/stat.h>

#include <filesystem>

#include "link/ports/same_port.h"

namespace quillon {

bool SamePort(const std::string& first, const std::string& second) {
  struct stat one {};
  struct stat other {};
  if (::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0) {
    return S_ISCHR(one.st_mode) && S_ISCHR(other.st_mode) && one.st_rdev == other.st_rdev;
  }
  // A port not plugged in yet has no device to compare: its names are compared as paths.
  std::error_code error;
  return std::filesystem::weakly_canonical(first, error) == std::filesystem::weakly_canonical(second, error);
}

}  // namespace quillon
