#include "front/common/exit_codes.h"

#include <sstream>

namespace quillon {

ExitCode ExitCodeOf(ProblemKind kind) {
  switch (kind) {
    case ProblemKind::kUsage:
      return kExitUsage;
    case ProblemKind::kInputMissing:
    case ProblemKind::kInputRefused:
    case ProblemKind::kOutputFailed:
      return kExitInputRefused;
    case ProblemKind::kNoDevice:
      return kExitNoDevice;
    case ProblemKind::kInterrupted:
      return kExitInterrupted;
    case ProblemKind::kLinkFailed:
    case ProblemKind::kJobFailed:
    case ProblemKind::kSystem:
      return kExitJobFailed;
  }
  return kExitJobFailed;
}

ExitCode ExitCodeOf(const Result<void>& outcome) {
  return outcome ? kExitWriteComplete : ExitCodeOf(outcome.Failure().kind);
}

ProblemKind KindOfExitCode(int code) {
  switch (code) {
    case kExitUsage:
      return ProblemKind::kUsage;
    case kExitInputRefused:
      return ProblemKind::kInputRefused;
    case kExitNoDevice:
      return ProblemKind::kNoDevice;
    case kExitInterrupted:
      return ProblemKind::kInterrupted;
    default:
      return ProblemKind::kJobFailed;
  }
}

std::string ExitCodesText() {
  // Each meaning wrapped at the console's 80 columns, its later lines under its first.
  constexpr std::size_t kWidth = 79;
  const std::string indent = "     ";
  std::string text = "Exit codes:\n";
  for (const ExitCodeMeaning& exit : kExitCodes) {
    std::string line = "  " + std::to_string(exit.code) + "  ";
    std::istringstream words(exit.meaning);
    bool first = true;
    for (std::string word; words >> word; first = false) {
      if (!first && line.size() + 1 + word.size() > kWidth) {
        text += line + "\n";
        line = indent + word;
      } else {
        line += (first ? "" : " ") + word;
      }
    }
    text += line + "\n";
  }
  return text;
}

}  // namespace quillon
