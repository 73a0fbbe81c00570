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
  if (result.fix.empty()) return Tr("{1} {2}: {3}.", {mark, result.what, result.found});
  return Tr("{1} {2}: {3}. Fix: {4}", {mark, result.what, result.found, result.fix});
}

std::string CheckLines(std::span<const CheckResult> results) {
  std::string lines;
  for (const CheckResult& result : results) lines += CheckLine(result) + "\n";
  return lines;
}

}  // namespace quillon
