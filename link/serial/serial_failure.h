// A failed call of the serial driver, as a value: what its report on standard error says, for the
// status line and the console.
#pragma once

#include <string>

namespace quillon {

struct SerialFailure {
  std::string call;     // the platform's own: "tcsetattr()" on Linux, "SetCommState()" on Windows
  int systemError = 0;  // errno on Linux, GetLastError() on Windows
  std::string text;     // the system's text for systemError

  bool operator==(const SerialFailure&) const = default;
};

}  // namespace quillon
