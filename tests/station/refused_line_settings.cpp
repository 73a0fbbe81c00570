#include "tests/station/refused_line_settings.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <termios.h>

#include <atomic>
#include <cerrno>

namespace {

// The device number of the tty that refuses; 0 while none does.
std::atomic<dev_t> g_refusingTty{0};

bool Refuses(int fd) {
  const dev_t refusing = g_refusingTty.load();
  struct stat status {};
  return refusing != 0 && ::fstat(fd, &status) == 0 && S_ISCHR(status.st_mode) && status.st_rdev == refusing;
}

}  // namespace

extern "C" int tcsetattr(int fd, int action, const termios* settings) noexcept {
  using Call = int (*)(int, int, const termios*);
  static const Call systemCall = reinterpret_cast<Call>(::dlsym(RTLD_NEXT, "tcsetattr"));
  if (Refuses(fd)) {
    errno = EINVAL;
    return -1;
  }
  return systemCall(fd, action, settings);
}

namespace quillon::testing {

RefusedLineSettings::RefusedLineSettings(const std::string& ttyPath) {
  struct stat status {};
  if (::stat(ttyPath.c_str(), &status) == 0) g_refusingTty.store(status.st_rdev);
}

RefusedLineSettings::~RefusedLineSettings() {
  g_refusingTty.store(0);
}

}  // namespace quillon::testing
