// The station's end of a simulated device's tty, opened and set up the way the station's serial driver
// does it. Every wait is a poll with a generous limit that only guards against a hung test.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/tty_settings.h"
#include "sim/unique_fd.h"

namespace quillon::sim::testing {

inline constexpr std::chrono::milliseconds kPatience{10'000};

class StationTty {
 public:
  // Raw 8N1 at `baud`; an invalid descriptor when the tty cannot be opened or set up.
  StationTty(const std::string& path, std::uint32_t baud)
      : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) {
    termios settings{};
    const std::optional<speed_t> speed = SpeedOfBaud(baud);
    if (!fd_.Valid() || !speed || ::tcgetattr(fd_.Get(), &settings) != 0) {
      fd_.Reset();
      return;
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, *speed);
    ::cfsetospeed(&settings, *speed);
    if (::tcsetattr(fd_.Get(), TCSANOW, &settings) != 0) fd_.Reset();
  }

  bool Opened() const { return fd_.Valid(); }
  int Fd() const { return fd_.Get(); }

  bool Write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      if (!Wait(POLLOUT)) return false;
      const ssize_t written = ::write(fd_.Get(), bytes.data() + done, bytes.size() - done);
      if (written < 0 && errno != EAGAIN) return false;
      if (written > 0) done += static_cast<std::size_t>(written);
    }
    return true;
  }

  // Exactly `count` bytes, or fewer if the wait runs out or the line hangs up first.
  std::vector<std::uint8_t> Read(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t done = 0;
    while (done < count && Wait(POLLIN)) {
      const ssize_t length = ::read(fd_.Get(), bytes.data() + done, count - done);
      if (length == 0 || (length < 0 && errno != EAGAIN)) break;
      if (length > 0) done += static_cast<std::size_t>(length);
    }
    bytes.resize(done);
    return bytes;
  }

  // True once the device side has gone away.
  bool WaitForHangup() {
    pollfd watched{fd_.Get(), POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      if (::poll(&watched, 1, static_cast<int>(kPatience.count())) < 0) return false;
      if (watched.revents & POLLHUP) return true;
      // Bytes still in flight: drain them and keep waiting.
      std::uint8_t drain[256];
      if (::read(fd_.Get(), drain, sizeof drain) < 0 && errno != EAGAIN) return errno == EIO;
    }
    return false;
  }

 private:
  bool Wait(short events) {
    pollfd watched{fd_.Get(), events, 0};
    return ::poll(&watched, 1, static_cast<int>(kPatience.count())) == 1 && (watched.revents & events) != 0;
  }

  UniqueFd fd_;
};

}  // namespace quillon::sim::testing
