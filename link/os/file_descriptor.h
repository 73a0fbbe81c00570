// Sole owner of one POSIX file descriptor: closes it when the owner goes, moves but never copies.
#pragma once

#include <unistd.h>

#include <utility>

namespace quillon {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() { reset(); }

  FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return m_fd; }
  bool valid() const { return m_fd >= 0; }
  explicit operator bool() const { return valid(); }

  // Closes what is held (if anything) and takes fd instead.
  void reset(int fd = -1) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }

  // Gives the descriptor up without closing it; the caller owns it from now on.
  [[nodiscard]] int release() { return std::exchange(m_fd, -1); }

 private:
  int m_fd = -1;
};

}  // namespace quillon
