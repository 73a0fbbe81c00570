#include "cmdline/program_version.h"

#include "build_commit.h"

namespace quillon {

std::string_view ProgramVersion() {
  return QUILLON_VERSION;
}

std::string_view BuildCommit() {
  return QUILLON_BUILD_COMMIT;
}

std::string VersionLine(std::string_view program) {
  const std::string_view commit = BuildCommit();
  return std::string(program) + " " + std::string(ProgramVersion()) + " (commit " +
         std::string(commit.empty() ? "unknown" : commit) + ")";
}

}  // namespace quillon
