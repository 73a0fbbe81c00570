#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/files/input_file.h"
#include "link/os/file_descriptor.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

Problem CannotOpen(const std::string& path, int error) {
  if (error == ENOENT || error == ENOTDIR)
    return {ProblemKind::kInputMissing, Tr("{1} is not there", {path})};
  return {ProblemKind::kInputRefused, Tr("{1} cannot be opened: {2}", {path, std::strerror(error)})};
}

// What a file of this mode is, in the operator's words; nothing for a regular file.
const char* KindOtherThanFile(mode_t mode) {
  if (S_ISREG(mode)) return nullptr;
  if (S_ISDIR(mode)) return N_("{1} is a directory, not a file");
  if (S_ISFIFO(mode)) return N_("{1} is a named pipe, not a file");
  if (S_ISSOCK(mode)) return N_("{1} is a socket, not a file");
  return N_("{1} is a device, not a file");
}

}  // namespace

Result<InputFile> OpenInputFile(const std::string& utf8Path) {
  // Looked at before the open, so that a device is never opened (a tty's open raises its lines), then
  // again on what was opened; O_NONBLOCK, so that a pipe swapped in between does not hold the open.
  struct stat status {};
  if (::stat(utf8Path.c_str(), &status) != 0) return CannotOpen(utf8Path, errno);
  if (const char* kind = KindOtherThanFile(status.st_mode)) {
    return Problem{ProblemKind::kInputRefused, Tr(kind, {utf8Path})};
  }
  FileDescriptor descriptor(::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!descriptor || ::fstat(descriptor.get(), &status) != 0) return CannotOpen(utf8Path, errno);
  if (const char* kind = KindOtherThanFile(status.st_mode)) {
    return Problem{ProblemKind::kInputRefused, Tr(kind, {utf8Path})};
  }
  // A regular file reads the same with or without O_NONBLOCK.
  std::FILE* file = ::fdopen(descriptor.get(), "rb");
  if (file == nullptr) return CannotOpen(utf8Path, errno);
  (void)descriptor.release();  // the FILE owns it now
  return InputFile(file);
}

}  // namespace quillon
