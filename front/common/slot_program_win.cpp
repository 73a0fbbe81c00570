#include <filesystem>

#include "front/common/slot_program.h"
#include "link/os/utf8_path.h"
#include "link/os/windows_api.h"

namespace quillon {

std::string SlotProgram() {
  wchar_t self[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  if (length == 0 || length == std::size(self)) return {};
  const std::filesystem::path folder = std::filesystem::path(self).parent_path();
  for (const std::filesystem::path& candidate :
       {folder / L"quillon-cli.exe", folder.parent_path() / L"console" / L"quillon-cli.exe"}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return Utf8FromPath(candidate);
  }
  return {};
}

}  // namespace quillon
