#include "link/serial/tty_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

namespace quillon {

TtyOpening OpenTtyExclusive(const std::string& path) {
  TtyOpening opening;
  opening.notSerialPort = LookAtPortPath(path);
  if (opening.notSerialPort) return opening;
  FileDescriptor tty(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!tty) {
    opening.error = errno;
    return opening;
  }
  opening.notSerialPort = LookAtOpenedTty(tty.get(), path);
  if (opening.notSerialPort) return opening;
  if (::flock(tty.get(), LOCK_EX | LOCK_NB) != 0) {
    opening.error = errno;
    return opening;
  }
  ::ioctl(tty.get(), TIOCEXCL);
  opening.tty = std::move(tty);
  return opening;
}

void CloseTty(FileDescriptor& tty) {
  if (!tty) return;
  ::ioctl(tty.get(), TIOCNXCL);
  tty.reset();
}

bool PurgeTty(int fd) {
  return ::tcflush(fd, TCIOFLUSH) == 0;
}

void RaiseRts(int fd) {
  const int rts = TIOCM_RTS;
  ::ioctl(fd, TIOCMBIS, &rts);
}

int BytesWaiting(int fd) {
  int count = 0;
  if (::ioctl(fd, FIONREAD, &count) != 0) return -1;
  return count;
}

bool WriteFully(int fd, const std::uint8_t* bytes, std::size_t length, std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  std::size_t written = 0;
  while (written < length) {
    ssize_t count = ::write(fd, bytes + written, length - written);
    if (count > 0) {
      written += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN) return false;
    // The tty's output is full: wait for room, but not beyond the write's time-out.
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      errno = ETIMEDOUT;
      return false;
    }
    pollfd room{fd, POLLOUT, 0};
    int ready = ::poll(&room, 1, static_cast<int>(std::min<std::int64_t>(left.count(), INT_MAX)));
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0 && (room.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(room.revents & POLLOUT)) {
      errno = EIO;
      return false;
    }
  }
  return true;
}

}  // namespace quillon
