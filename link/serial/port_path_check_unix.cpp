// What a path given as a serial port is, on Linux: stat says what kind of file it is, the device number
// which device. A terminal device is a serial port unless it is a console or this program's own terminal.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "link/serial/port_path_check.h"
#include "link/serial/tty_io.h"

namespace quillon {
namespace {

// Device numbers of Linux's own terminals: /dev/tty (the caller's controlling terminal), /dev/console,
// and major 4 below minor 64, the virtual consoles (ttyS0 and up follow from minor 64).
constexpr unsigned kTtyMajor = 4;
constexpr unsigned kFirstSerialMinorOfTtyMajor = 64;
constexpr unsigned kAuxTtyMajor = 5;
constexpr unsigned kControllingTtyMinor = 0;
constexpr unsigned kConsoleMinor = 1;

// The controlling terminal's device number, from the seventh field of /proc/self/stat (the kernel's
// encoding: minor in bits 0-7 and 20-31, major in bits 8-19); nothing when there is none.
std::optional<dev_t> ControllingTerminal() {
  std::ifstream statFile("/proc/self/stat");
  std::string line;
  if (!std::getline(statFile, line)) return std::nullopt;
  // The program's name, in parentheses, may hold blanks and parentheses itself: the fields that matter
  // come after the last ')'.
  const std::size_t nameEnd = line.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(nameEnd + 1));
  std::string state;
  long parent = 0, group = 0, session = 0, terminal = 0;
  if (!(fields >> state >> parent >> group >> session >> terminal) || terminal == 0) return std::nullopt;
  const auto encoded = static_cast<unsigned long>(terminal);
  return makedev((encoded >> 8) & 0xfff, (encoded & 0xff) | ((encoded >> 12) & 0xfff00));
}

bool IsOwnTerminal(dev_t device) {
  if (major(device) == kAuxTtyMajor && minor(device) == kControllingTtyMinor) return true;
  if (ControllingTerminal() == device) return true;
  for (int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    struct stat status {};
    if (::isatty(standard) && ::fstat(standard, &status) == 0 && status.st_rdev == device) return true;
  }
  return false;
}

bool IsConsole(dev_t device) {
  return (major(device) == kAuxTtyMajor && minor(device) == kConsoleMinor) ||
         (major(device) == kTtyMajor && minor(device) < kFirstSerialMinorOfTtyMajor);
}

// Whether sysfs knows the device as one of another class than terminals, so that it need not be opened
// to be refused (opening /dev/watchdog starts the machine's watchdog). Pseudo-terminals are not in sysfs;
// a device it does not know is decided on its opened descriptor.
bool KnownToBeNoTerminal(dev_t device) {
  const std::filesystem::path entry =
      "/sys/dev/char/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  std::error_code error;
  const std::filesystem::path subsystem = std::filesystem::read_symlink(entry / "subsystem", error);
  return !error && subsystem.filename() != "tty";
}

std::optional<NotSerialPortKind> KindOf(const struct stat& status) {
  switch (status.st_mode & S_IFMT) {
    case S_IFREG:
      return NotSerialPortKind::kRegularFile;
    case S_IFDIR:
      return NotSerialPortKind::kDirectory;
    case S_IFIFO:
      return NotSerialPortKind::kFifo;
    case S_IFSOCK:
      return NotSerialPortKind::kSocket;
    case S_IFBLK:
      return NotSerialPortKind::kBlockDevice;
    case S_IFCHR:
      break;
    default:
      return NotSerialPortKind::kOtherDevice;
  }
  if (IsOwnTerminal(status.st_rdev)) return NotSerialPortKind::kOwnTerminal;
  if (IsConsole(status.st_rdev)) return NotSerialPortKind::kConsole;
  if (KnownToBeNoTerminal(status.st_rdev)) return NotSerialPortKind::kOtherDevice;
  return std::nullopt;
}

bool IsSymlink(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

}  // namespace

std::optional<NotSerialPort> LookAtPortPath(const std::string& path) {
  struct stat status {};
  // Nothing there, or a link to nothing: no port yet, as an adapter that is not plugged in.
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  const std::optional<NotSerialPortKind> kind = KindOf(status);
  if (!kind) return std::nullopt;
  return NotSerialPort{path, *kind, IsSymlink(path)};
}

std::optional<NotSerialPort> LookAtOpenedTty(int fd, const std::string& path) {
  // The path may have been replaced since it was looked at: what counts is what was opened.
  struct stat status {};
  if (::fstat(fd, &status) != 0) return NotSerialPort{path, NotSerialPortKind::kOtherDevice, IsSymlink(path)};
  std::optional<NotSerialPortKind> kind = KindOf(status);
  if (!kind && !::isatty(fd)) kind = NotSerialPortKind::kOtherDevice;
  if (!kind) return std::nullopt;
  return NotSerialPort{path, *kind, IsSymlink(path)};
}

}  // namespace quillon
