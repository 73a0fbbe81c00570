// A pseudo-terminal standing in for the device behind a serial adapter: the port under test opens the
// slave's path, the test plays the device on the master, and keeps a slave descriptor of its own to look
// at the tty's settings and input queue as the port sees them.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/os/file_descriptor.h"

namespace quillon::testing {

class PtyPair {
 public:
  PtyPair() {
    m_master.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!m_master || ::grantpt(m_master.get()) != 0 || ::unlockpt(m_master.get()) != 0) return;
    char name[128];
    if (::ptsname_r(m_master.get(), name, sizeof name) != 0) return;
    m_slavePath = name;
    m_slave.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    // Raw from the start, so nothing the test writes is echoed back before the port sets the tty up.
    termios tty{};
    if (!m_slave || ::tcgetattr(m_slave.get(), &tty) != 0) return;
    ::cfmakeraw(&tty);
    ::tcsetattr(m_slave.get(), TCSANOW, &tty);
  }

  bool ok() const { return m_master.valid() && m_slave.valid(); }
  const std::string& slavePath() const { return m_slavePath; }
  int slave() const { return m_slave.get(); }

  // The device is unplugged.
  void CloseMaster() { m_master.reset(); }

  // The device sends bytes to the port.
  bool DeviceSends(std::string_view bytes) {
    return ::write(m_master.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // What the device receives: `count` bytes, or fewer if they do not come within `timeout`.
  std::string DeviceReceives(std::size_t count,
                             std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string received;
    while (received.size() < count) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd readable{m_master.get(), POLLIN, 0};
      if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[256];
      ssize_t got = ::read(m_master.get(), buffer, std::min(sizeof buffer, count - received.size()));
      if (got <= 0) break;
      received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
  }

  // Received bytes waiting in the tty that the port has not read.
  int BytesWaitingAtPort() const {
    int count = -1;
    ::ioctl(m_slave.get(), FIONREAD, &count);
    return count;
  }

  termios PortSettings() const {
    termios tty{};
    ::tcgetattr(m_slave.get(), &tty);
    return tty;
  }
  void SetPortSettings(const termios& tty) { ::tcsetattr(m_slave.get(), TCSANOW, &tty); }

 private:
  FileDescriptor m_master;
  FileDescriptor m_slave;
  std::string m_slavePath;
};

}  // namespace quillon::testing
