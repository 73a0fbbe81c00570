#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "link/usb/shared_library.h"

namespace quillon {

std::string LibraryFileName(const std::string& baseName) {
  return "lib" + baseName + ".so";
}

void RestrictLibrarySearch() {}

SharedLibrary::SharedLibrary(const std::string& fileName) {
  m_handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  std::error_code error;
  const bool givenByPath = fileName.find('/') != std::string::npos;
  if (m_handle != nullptr || (givenByPath && std::filesystem::exists(fileName, error)))
    m_foundFile = fileName;
  if (m_handle == nullptr) {
    const char* loaderWords = ::dlerror();
    m_loadError = loaderWords != nullptr ? loaderWords : fileName + ": cannot be loaded";
  }
}

void SharedLibrary::Unload() {
  if (m_handle != nullptr) ::dlclose(m_handle);
  m_handle = nullptr;
}

void* SharedLibrary::Export(const char* name, int /*ordinal*/) const {
  return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

}  // namespace quillon
