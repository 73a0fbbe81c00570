// The station's end of a simulated device's tty, opened raw as the station's driver opens it. Every wait
// is a poll whose generous limit only keeps a broken test from hanging.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "link/os/file_descriptor.h"
#include "sim/tty_settings.h"

namespace quillon::sim::testing {

inline constexpr int kPatienceMs = 10'000;

class StationTty {
 public:
  StationTty(const std::string& path, std::uint32_t baud)
      : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) {
    termios settings{};
    if (!m_fd.valid() || ::tcgetattr(m_fd.get(), &settings) != 0) {
      m_fd.reset();
      return;
    }
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, SpeedOfBaud(baud).value_or(B0));
    if (::tcsetattr(m_fd.get(), TCSANOW, &settings) != 0) m_fd.reset();
  }

  bool Opened() const { return m_fd.valid(); }
  int Fd() const { return m_fd.get(); }

  // A frame fits the tty's buffer whole, so one write does.
  bool Write(const std::vector<std::uint8_t>& bytes) {
    return ::write(m_fd.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // `count` bytes, or fewer if they do not come or the line hangs up.
  std::vector<std::uint8_t> Read(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t done = 0;
    while (done < count && Wait() == POLLIN) {
      const ssize_t length = ::read(m_fd.get(), bytes.data() + done, count - done);
      if (length <= 0) break;
      done += static_cast<std::size_t>(length);
    }
    bytes.resize(done);
    return bytes;
  }

  // Drains whatever still arrives until the line hangs up; false if it does not.
  bool WaitForHangup() {
    std::uint8_t drain[64];
    for (short events = Wait(); events != 0; events = Wait()) {
      if (events & POLLHUP) return true;
      // A hangup between the poll and the read reads as the end of the file; the next poll tells.
      if (::read(m_fd.get(), drain, sizeof drain) < 0 && errno != EAGAIN && errno != EIO) return false;
    }
    return false;
  }

 private:
  short Wait() {
    pollfd watched{m_fd.get(), POLLIN, 0};
    return ::poll(&watched, 1, kPatienceMs) == 1 ? watched.revents : 0;
  }

  FileDescriptor m_fd;
};

}  // namespace quillon::sim::testing
