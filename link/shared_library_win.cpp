#include "link/shared_library.h"
#include "link/win_error.h"
#include "link/windows_api.h"

namespace quillon {

std::string LibraryFileName(const std::string& baseName) {
  return baseName + ".dll";
}

SharedLibrary::SharedLibrary(const std::string& fileName) {
  m_handle = reinterpret_cast<void*>(::LoadLibraryA(fileName.c_str()));
  if (m_handle == nullptr) m_loadError = fileName + ": " + SystemErrorText(::GetLastError());
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
