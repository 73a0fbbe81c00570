#include "front/common/check_lines.h"

#include "texts/catalogue.h"

namespace quillon {

const char* CheckMark(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::kPass:
      return "\u2713";
    case CheckVerdict::kFail:
      return "\u2717";
    case CheckVerdict::kNothingToCheck:
      break;
  }
  return "\u2013";
}

const char* VerdictName(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::kPass:
      return "pass";
    case CheckVerdict::kFail:
      return "fail";
    case CheckVerdict::kNothingToCheck:
      break;
  }
  return "none";
}

std::string CheckLine(const CheckResult& result) {
  const char* mark = CheckMark(result.verdict);
  // What was found may quote the system's own words, which end in a full stop of their own.
  std::string found = result.found;
  if (found.ends_with('.')) found.pop_back();
  if (result.fix.empty()) return Tr("{1} {2}: {3}.", {mark, result.what, found});
  return Tr("{1} {2}: {3}. Fix: {4}", {mark, result.what, found, result.fix});
}

std::string CheckLines(std::span<const CheckResult> results) {
  std::string lines;
  for (const CheckResult& result : results) lines += CheckLine(result) + "\n";
  return lines;
}

}  // namespace quillon
