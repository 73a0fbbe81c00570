#include <atomic>

#include "link/files/replaced_file.h"
#include "link/os/wide_text.h"
#include "link/os/win_error.h"
#include "link/os/win_handle.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

Problem CannotWrite(const std::string& target, DWORD error) {
  return {ProblemKind::kOutputFailed, Tr("cannot write {1}: {2}", {target, SystemErrorText(error)})};
}

// A name of its own beside the target, on the same volume so that the move is a rename: unique to this
// process and this file.
std::wstring TemporaryName(const std::wstring& target) {
  static std::atomic<unsigned> counter{0};
  return target + L".new-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(counter.fetch_add(1));
}

}  // namespace

class ReplacedFile::Platform {
 public:
  std::string target;
  std::wstring wideTarget;
  std::wstring temporary;
  WinHandle file;
  bool committed = false;
};

Result<ReplacedFile> ReplacedFile::Create(const std::string& utf8Target) {
  auto platform = std::make_unique<Platform>();
  platform->target = utf8Target;
  platform->wideTarget = WideText(utf8Target);
  platform->temporary = TemporaryName(platform->wideTarget);
  platform->file.reset(::CreateFileW(platform->temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!platform->file) return CannotWrite(utf8Target, ::GetLastError());
  return ReplacedFile(std::move(platform));
}

ReplacedFile::ReplacedFile(std::unique_ptr<Platform> platform) : m_platform(std::move(platform)) {}
ReplacedFile::ReplacedFile(ReplacedFile&&) noexcept = default;

ReplacedFile::~ReplacedFile() {
  if (!m_platform || m_platform->committed) return;
  m_platform->file.reset();
  ::DeleteFileW(m_platform->temporary.c_str());
}

Result<void> ReplacedFile::Write(const void* bytes, std::size_t count) {
  const auto* next = static_cast<const char*>(bytes);
  while (count > 0) {
    const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!::WriteFile(m_platform->file.get(), next, chunk, &written, nullptr)) {
      return CannotWrite(m_platform->target, ::GetLastError());
    }
    if (written == 0) return CannotWrite(m_platform->target, ERROR_DISK_FULL);
    next += written;
    count -= written;
  }
  return {};
}

Result<void> ReplacedFile::Commit() {
  Platform& platform = *m_platform;
  if (!::FlushFileBuffers(platform.file.get())) return CannotWrite(platform.target, ::GetLastError());
  if (!::CloseHandle(platform.file.release())) return CannotWrite(platform.target, ::GetLastError());
  if (!::MoveFileExW(platform.temporary.c_str(), platform.wideTarget.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return CannotWrite(platform.target, ::GetLastError());
  }
  platform.committed = true;
  return {};
}

}  // namespace quillon
