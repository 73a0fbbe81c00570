#include <dlfcn.h>

#include "link/shared_library.h"

namespace quillon {

std::string LibraryFileName(const std::string& baseName) {
  return "lib" + baseName + ".so";
}

SharedLibrary::SharedLibrary(const std::string& fileName) {
  m_handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle == nullptr) {
    const char* error = ::dlerror();
    m_loadError = error != nullptr ? error : fileName + ": cannot be loaded";
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
