// A serial driver that refuses the line settings on one tty: while a RefusedLineSettings lives, every
// tcsetattr() on that tty fails with EINVAL, the station's own included (the test program's definition
// of tcsetattr comes before the C library's).
#pragma once

#include <string>

namespace quillon::testing {

class RefusedLineSettings {
 public:
  explicit RefusedLineSettings(const std::string& ttyPath);
  ~RefusedLineSettings();
  RefusedLineSettings(const RefusedLineSettings&) = delete;
  RefusedLineSettings& operator=(const RefusedLineSettings&) = delete;
};

}  // namespace quillon::testing
