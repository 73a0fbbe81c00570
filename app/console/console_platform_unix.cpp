#include <unistd.h>

#include "app/console/console_platform.h"

namespace quillon::console {

bool StandardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) != 0;
}

void PrepareConsoleOutput() {
  // A Linux terminal takes UTF-8 as it is.
}

void PlayConsoleSound(const std::string& /*path*/) {
  // The console stays silent on Linux: the window plays the sounds there.
}

}  // namespace quillon::console
