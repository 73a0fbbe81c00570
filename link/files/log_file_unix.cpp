#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "link/files/log_file.h"
#include "link/os/file_descriptor.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

Problem CannotWrite(const std::string& path, int error) {
  return {ProblemKind::kOutputFailed, Tr("the log {1} cannot be written: {2}", {path, std::strerror(error)})};
}

// Holds the lock on the file for as long as it lives.
class FileLock {
 public:
  explicit FileLock(int fd) : m_fd(fd) {
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FileLock() { ::flock(m_fd, LOCK_UN); }

 private:
  int m_fd;
};

bool ReadAt(int fd, char* bytes, std::size_t count, off_t at) {
  while (count > 0) {
    const ssize_t got = ::pread(fd, bytes, count, at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    count -= static_cast<std::size_t>(got);
    at += got;
  }
  return true;
}

}  // namespace

class LogFile::Platform {
 public:
  std::string path;
  FileDescriptor file;
};

Result<LogFile> LogFile::Open(const std::string& utf8Path) {
  auto platform = std::make_unique<Platform>();
  platform->path = utf8Path;
  // O_NONBLOCK: a named pipe given as the log must not hold the open; it is refused below.
  platform->file.reset(
      ::open(utf8Path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
  if (!platform->file) return CannotWrite(utf8Path, errno);
  struct stat status {};
  if (::fstat(platform->file.get(), &status) != 0) return CannotWrite(utf8Path, errno);
  if (!S_ISREG(status.st_mode)) {
    return Problem{
        ProblemKind::kOutputFailed,
        Tr("the log {1} is not a regular file: records need a file (--json gives a stream)", {utf8Path})};
  }
  return LogFile(std::move(platform));
}

LogFile::LogFile(std::unique_ptr<Platform> platform) : m_platform(std::move(platform)) {}
LogFile::LogFile(LogFile&&) noexcept = default;
LogFile::~LogFile() = default;

const std::string& LogFile::Path() const {
  return m_platform->path;
}

Result<void> LogFile::Append(const std::string& line, bool unlessPresent) {
  const int fd = m_platform->file.get();
  const FileLock lock(fd);
  struct stat status {};
  if (::fstat(fd, &status) != 0) return CannotWrite(m_platform->path, errno);
  const auto size = static_cast<std::size_t>(status.st_size);
  std::string text;
  if (size > 0) {
    const std::size_t tail = std::min(size, unlessPresent ? kLogTailSearched : std::size_t{1});
    std::vector<char> last(tail);
    if (!ReadAt(fd, last.data(), tail, static_cast<off_t>(size - tail)))
      return CannotWrite(m_platform->path, errno);
    if (unlessPresent) {
      if (TailHoldsLine({last.data(), last.size()}, tail == size, line)) return {};
    }
    if (last.back() != '\n') text.push_back('\n');
  }
  text.append(line);
  text.push_back('\n');
  const ssize_t written = ::write(fd, text.data(), text.size());
  if (written < 0) return CannotWrite(m_platform->path, errno);
  if (static_cast<std::size_t>(written) != text.size()) return CannotWrite(m_platform->path, ENOSPC);
  if (::fdatasync(fd) != 0) return CannotWrite(m_platform->path, errno);
  return {};
}

}  // namespace quillon
