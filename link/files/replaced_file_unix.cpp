#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "link/files/replaced_file.h"
#include "link/os/file_descriptor.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

Problem CannotWrite(const std::string& target, int error) {
  return {ProblemKind::kOutputFailed, Tr("cannot write {1}: {2}", {target, std::strerror(error)})};
}

// A name of its own beside the target, in the same directory so that the rename stays on one file
// system: hidden, and unique to this process and this file.
std::string TemporaryName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, nameStart) + "." + target.substr(nameStart) + ".new-" + std::to_string(::getpid()) +
         "-" + std::to_string(counter.fetch_add(1));
}

}  // namespace

class ReplacedFile::Platform {
 public:
  std::string target;
  std::string temporary;
  FileDescriptor file;
  bool committed = false;
};

Result<ReplacedFile> ReplacedFile::Create(const std::string& utf8Target) {
  auto platform = std::make_unique<Platform>();
  platform->target = utf8Target;
  platform->temporary = TemporaryName(utf8Target);
  // 0666 less the umask, as the target would be made.
  platform->file.reset(::open(platform->temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!platform->file) return CannotWrite(utf8Target, errno);
  return ReplacedFile(std::move(platform));
}

ReplacedFile::ReplacedFile(std::unique_ptr<Platform> platform) : m_platform(std::move(platform)) {}
ReplacedFile::ReplacedFile(ReplacedFile&&) noexcept = default;

ReplacedFile::~ReplacedFile() {
  if (m_platform && !m_platform->committed) ::unlink(m_platform->temporary.c_str());
}

Result<void> ReplacedFile::Write(const void* bytes, std::size_t count) {
  const auto* next = static_cast<const char*>(bytes);
  while (count > 0) {
    const ssize_t written = ::write(m_platform->file.get(), next, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return CannotWrite(m_platform->target, written < 0 ? errno : ENOSPC);
    next += written;
    count -= static_cast<std::size_t>(written);
  }
  return {};
}

Result<void> ReplacedFile::Commit() {
  Platform& platform = *m_platform;
  if (::fdatasync(platform.file.get()) != 0) return CannotWrite(platform.target, errno);
  // A close that fails may have lost what was written (on a network file system).
  if (::close(platform.file.release()) != 0) return CannotWrite(platform.target, errno);
  if (::rename(platform.temporary.c_str(), platform.target.c_str()) != 0)
    return CannotWrite(platform.target, errno);
  platform.committed = true;
  return {};
}

}  // namespace quillon
