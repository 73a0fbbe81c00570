#include "sim/tty_link.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace quillon::sim {

Result<void> PointLink(const std::filesystem::path& link, const std::string& target) {
  std::error_code status;
  const std::filesystem::file_status existing = std::filesystem::symlink_status(link, status);
  if (std::filesystem::exists(existing) && !std::filesystem::is_symlink(existing)) {
    return Problem{ProblemKind::kOutputFailed, link.string() + " exists and is not a symbolic link"};
  }
  // Made beside the link and renamed over it, so a reader never finds the name missing or half made.
  std::filesystem::path staging = link;
  staging += ".new." + std::to_string(::getpid());
  ::unlink(staging.c_str());
  if (::symlink(target.c_str(), staging.c_str()) != 0 || ::rename(staging.c_str(), link.c_str()) != 0) {
    Problem problem{ProblemKind::kOutputFailed,
                    "cannot link " + link.string() + " to " + target + ": " + std::strerror(errno)};
    ::unlink(staging.c_str());
    return problem;
  }
  return {};
}

void RemoveLink(const std::filesystem::path& link) {
  std::error_code status;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, status))) ::unlink(link.c_str());
}

}  // namespace quillon::sim
