#include "link/ports/port_probe.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "link/serial/tty_io.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

// The command name of a process, as the kernel keeps it.
std::string ProcessName(const fs::path& processDirectory) {
  std::ifstream comm(processDirectory / "comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

bool HasOpen(const fs::path& processDirectory, const fs::path& device) {
  std::error_code error;
  for (fs::directory_iterator fd(processDirectory / "fd", error), end; !error && fd != end;
       fd.increment(error)) {
    std::error_code unreadable;
    if (fs::read_symlink(fd->path(), unreadable) == device) return true;
  }
  return false;
}

}  // namespace

PortAvailability AvailabilityAfterOpenError(int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
      return PortAvailability::kMissing;
    case EACCES:
    case EPERM:
      return PortAvailability::kNoPermission;
    case EBUSY:
    case EWOULDBLOCK:
      return PortAvailability::kBusy;
    default:
      return PortAvailability::kUnusable;
  }
}

PortProbe ProbePort(const std::string& path) {
  PortProbe probe;
  if (path.empty()) return probe;
  TtyOpening opening = OpenTtyExclusive(path);
  if (opening) {
    probe.availability = PortAvailability::kFree;
    CloseTty(opening.tty);
    return probe;
  }
  if (opening.notSerialPort) {
    probe.availability = PortAvailability::kNotSerialPort;
    probe.notSerialPort = std::move(opening.notSerialPort);
    return probe;
  }
  const int error = opening.error;
  probe.availability = AvailabilityAfterOpenError(error);
  if (probe.availability == PortAvailability::kBusy) probe.holder = FindPortHolder(path);
  if (probe.availability == PortAvailability::kUnusable) probe.reason = std::strerror(error);
  return probe;
}

std::string FindPortHolder(const std::string& path) {
  std::error_code error;
  const fs::path device = fs::canonical(path, error);
  if (error) return {};
  for (fs::directory_iterator process("/proc", error), end; !error && process != end;
       process.increment(error)) {
    const std::string pid = process->path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    if (HasOpen(process->path(), device)) return ProcessName(process->path()) + ", pid " + pid;
  }
  return {};
}

}  // namespace quillon
