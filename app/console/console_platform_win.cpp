#include <io.h>

#include <cstdio>

#include "app/console/console_platform.h"
#include "link/windows_api.h"

#include <mmsystem.h>

namespace quillon::console {

bool StandardOutputIsTerminal() {
  return ::_isatty(::_fileno(stdout)) != 0;
}

std::tm UtcTime(std::time_t time) {
  std::tm utc{};
  gmtime_s(&utc, &time);
  return utc;
}

void PrepareConsoleOutput() {
  ::SetConsoleOutputCP(CP_UTF8);
}

void PlayConsoleSound(const std::string& path) {
  // Without SND_NODEFAULT the system's default sound plays when the file cannot be found, as the window
  // does.
  ::PlaySoundA(path.c_str(), nullptr, SND_ASYNC | SND_FILENAME);
}

}  // namespace quillon::console
