// What one check of the station's set-up found: a verdict, what was looked at, what was seen there, and
// when something is wrong, what the operator can do about it. The words are the operator's; the check's
// name and verdict are what a machine reads.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace quillon {

enum class CheckVerdict {
  kPass,
  kFail,
  kNothingToCheck,  // what the check looks at is not there (no adapter plugged in, no library installed)
};

struct CheckResult {
  std::string check;  // the check's name, the same in every language: "brltty", "tty-access"
  CheckVerdict verdict = CheckVerdict::kNothingToCheck;
  std::string what;   // what was checked
  std::string found;  // what was found
  std::string fix;    // what to do; empty unless the check failed

  bool operator==(const CheckResult&) const = default;
};

// One check: it looks when it is run and may give a line for each thing it looked at.
using SetupCheck = std::function<std::vector<CheckResult>()>;

inline bool AnyFailed(std::span<const CheckResult> results) {
  for (const CheckResult& result : results) {
    if (result.verdict == CheckVerdict::kFail) return true;
  }
  return false;
}

}  // namespace quillon
