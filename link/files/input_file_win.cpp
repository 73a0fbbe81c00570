#include <fcntl.h>
#include <io.h>

#include "link/files/input_file.h"
#include "link/os/wide_text.h"
#include "link/os/win_error.h"
#include "link/os/win_handle.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

Problem CannotOpen(const std::string& path, DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return {ProblemKind::kInputMissing, Tr("{1} is not there", {path})};
  }
  return {ProblemKind::kInputRefused, Tr("{1} cannot be opened: {2}", {path, SystemErrorText(error)})};
}

}  // namespace

Result<InputFile> OpenInputFile(const std::string& utf8Path) {
  const std::wstring path = WideText(utf8Path);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return CannotOpen(utf8Path, ::GetLastError());
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return Problem{ProblemKind::kInputRefused, Tr("{1} is a directory, not a file", {utf8Path})};
  }
  WinHandle handle(::CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return CannotOpen(utf8Path, ::GetLastError());
  // A name the system keeps for a device (NUL, CON, COM1) opens the device, which is no file.
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    return Problem{ProblemKind::kInputRefused, Tr("{1} is a device, not a file", {utf8Path})};
  }
  const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_RDONLY | _O_BINARY);
  if (descriptor < 0) return CannotOpen(utf8Path, ERROR_TOO_MANY_OPEN_FILES);
  (void)handle.release();  // the descriptor owns it now
  std::FILE* file = ::_fdopen(descriptor, "rb");
  if (file == nullptr) {
    ::_close(descriptor);
    return CannotOpen(utf8Path, ERROR_TOO_MANY_OPEN_FILES);
  }
  return InputFile(file);
}

}  // namespace quillon
