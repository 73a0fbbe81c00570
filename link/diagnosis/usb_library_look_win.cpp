// On Windows the station loads the library from its own folder or the system's only (never the current
// folder or PATH, where any file of that name would be run): a copy elsewhere is named, with where it
// belongs.
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "link/diagnosis/usb_library_check.h"
#include "link/os/utf8_path.h"
#include "link/os/windows_api.h"
#include "link/usb/library_width.h"
#include "link/usb/usb_library_bridge.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) return fs::path(std::wstring(name.data(), length)).parent_path();
    name.resize(name.size() * 2);
  }
}

fs::path SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? fs::path(folder) : fs::path();
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

// The folders of PATH, and the current one, which the loader was told to pass over.
std::vector<fs::path> PassedOverFolders() {
  std::vector<fs::path> folders;
  std::error_code error;
  folders.push_back(fs::current_path(error));
  const wchar_t* path = ::_wgetenv(L"PATH");
  if (path == nullptr) return folders;
  std::wstring rest(path);
  for (std::size_t end; !rest.empty(); rest.erase(0, end == std::wstring::npos ? rest.size() : end + 1)) {
    end = rest.find(L';');
    const std::wstring folder = rest.substr(0, end);
    if (!folder.empty()) folders.emplace_back(folder);
  }
  return folders;
}

bool Same(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

}  // namespace

UsbLibraryLook LookAtUsbLibrary() {
  UsbLibraryLook look;
  look.fileName = LibraryFileName(kUsbLibraryName);
  const fs::path file = PathFromUtf8(look.fileName);
  const fs::path program = ProgramFolder();
  look.programFolder = Utf8FromPath(program);
  for (const fs::path& folder : {program, SystemFolder()}) {
    if (!folder.empty() && IsFile(folder / file)) {
      look.foundAt = Utf8FromPath(folder / file);
      look.widthBits = LibraryWidthBits(folder / file);
      break;
    }
  }
  UsbLibraryBridge bridge;
  look.usable = bridge.Available();
  look.problem = bridge.UnusableReason();
  if (look.usable && bridge.GetNumDevices(&look.devices) != kUsbSuccess) look.devices = 0;
  if (!look.foundAt.empty()) return look;
  for (const fs::path& folder : PassedOverFolders()) {
    const fs::path copy = folder / file;
    if (!IsFile(copy)) continue;
    bool known = false;
    for (const std::string& stray : look.strayCopies) known = known || Same(PathFromUtf8(stray), copy);
    if (!known) look.strayCopies.push_back(Utf8FromPath(copy));
  }
  return look;
}

}  // namespace quillon
