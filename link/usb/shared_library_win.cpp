#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "link/os/utf8_path.h"
#include "link/os/win_error.h"
#include "link/os/windows_api.h"
#include "link/usb/library_width.h"
#include "link/usb/shared_library.h"

namespace quillon {
namespace {

constexpr DWORD kSafeSearch = LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;

std::filesystem::path ProgramFolder() {
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) return std::filesystem::path(std::wstring(name.data(), length)).parent_path();
    name.resize(name.size() * 2);
  }
}

std::filesystem::path SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::filesystem::path(folder) : std::filesystem::path();
}

// The file the loader takes for `file`: the program's folder first, then the system's, for a bare name.
std::filesystem::path FileTheLoaderFinds(const std::filesystem::path& file) {
  std::error_code error;
  if (file.has_parent_path()) return std::filesystem::exists(file, error) ? file : std::filesystem::path();
  for (const std::filesystem::path& folder : {ProgramFolder(), SystemFolder()}) {
    if (!folder.empty() && std::filesystem::exists(folder / file, error)) return folder / file;
  }
  return {};
}

}  // namespace

std::string LibraryFileName(const std::string& baseName) {
  return baseName + ".dll";
}

void RestrictLibrarySearch() {
  ::SetDefaultDllDirectories(kSafeSearch);
}

SharedLibrary::SharedLibrary(const std::string& fileName) {
  const std::filesystem::path file = PathFromUtf8(fileName);
  m_handle = reinterpret_cast<void*>(::LoadLibraryExW(file.c_str(), nullptr, kSafeSearch));
  if (m_handle != nullptr) {
    m_foundFile = fileName;
    return;
  }
  const DWORD error = ::GetLastError();
  m_loadError = fileName + ": " + SystemErrorText(error);
  const std::filesystem::path found = FileTheLoaderFinds(file);
  if (found.empty()) return;
  m_foundFile = Utf8FromPath(found);
  const int widthBits = LibraryWidthBits(found);
  if (error == ERROR_BAD_EXE_FORMAT && widthBits != 0 && widthBits != kProgramWidthBits) {
    m_foreignWidthBits = widthBits;
  }
}

void SharedLibrary::Unload() {
  if (m_handle != nullptr) ::FreeLibrary(static_cast<HMODULE>(m_handle));
  m_handle = nullptr;
}

void* SharedLibrary::Export(const char* name, int ordinal) const {
  if (m_handle == nullptr) return nullptr;
  const auto library = static_cast<HMODULE>(m_handle);
  // A DLL's exports are known by number where one is given (the vendor's USB library), else by name.
  const FARPROC found =
      ordinal > 0 ? ::GetProcAddress(library, MAKEINTRESOURCEA(ordinal)) : ::GetProcAddress(library, name);
  return reinterpret_cast<void*>(found);
}

}  // namespace quillon
