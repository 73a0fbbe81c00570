#include <algorithm>
#include <vector>

#include "link/files/log_file.h"
#include "link/os/wide_text.h"
#include "link/os/win_error.h"
#include "link/os/win_handle.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

Problem CannotWrite(const std::string& path, DWORD error) {
  return {ProblemKind::kOutputFailed,
          Tr("the log {1} cannot be written: {2}", {path, SystemErrorText(error)})};
}

// Holds a lock on the whole file for as long as it lives.
class FileLock {
 public:
  explicit FileLock(HANDLE file) : m_file(file) {
    OVERLAPPED whole{};
    ::LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
  }
  ~FileLock() {
    OVERLAPPED whole{};
    ::UnlockFileEx(m_file, 0, MAXDWORD, MAXDWORD, &whole);
  }

 private:
  HANDLE m_file;
};

bool ReadAt(HANDLE file, char* bytes, DWORD count, std::uint64_t at) {
  while (count > 0) {
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(at);
    place.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!::ReadFile(file, bytes, count, &got, &place) || got == 0) return false;
    bytes += got;
    count -= got;
    at += got;
  }
  return true;
}

}  // namespace

class LogFile::Platform {
 public:
  std::string path;
  WinHandle file;
};

Result<LogFile> LogFile::Open(const std::string& utf8Path) {
  auto platform = std::make_unique<Platform>();
  platform->path = utf8Path;
  platform->file.reset(::CreateFileW(WideText(utf8Path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!platform->file) return CannotWrite(utf8Path, ::GetLastError());
  if (::GetFileType(platform->file.get()) != FILE_TYPE_DISK) {
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
  const HANDLE file = m_platform->file.get();
  const FileLock lock(file);
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size)) return CannotWrite(m_platform->path, ::GetLastError());
  const auto total = static_cast<std::uint64_t>(size.QuadPart);
  std::string text;
  if (total > 0) {
    const std::uint64_t tail = std::min<std::uint64_t>(total, unlessPresent ? kLogTailSearched : 1);
    std::vector<char> last(static_cast<std::size_t>(tail));
    if (!ReadAt(file, last.data(), static_cast<DWORD>(tail), total - tail)) {
      return CannotWrite(m_platform->path, ::GetLastError());
    }
    if (unlessPresent) {
      if (TailHoldsLine({last.data(), last.size()}, tail == total, line)) return {};
    }
    if (last.back() != '\n') text.push_back('\n');
  }
  text.append(line);
  text.push_back('\n');
  LARGE_INTEGER end{};
  if (!::SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END))
    return CannotWrite(m_platform->path, ::GetLastError());
  DWORD written = 0;
  if (!::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return CannotWrite(m_platform->path, ::GetLastError());
  }
  if (written != text.size()) return CannotWrite(m_platform->path, ERROR_DISK_FULL);
  if (!::FlushFileBuffers(file)) return CannotWrite(m_platform->path, ::GetLastError());
  return {};
}

}  // namespace quillon
