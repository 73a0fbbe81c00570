#include "link/shared_library.h"

#include <dlfcn.h>

#include <utility>

namespace quillon {

SharedLibrary::SharedLibrary(const std::string& fileName) {
  m_handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle == nullptr) {
    const char* error = ::dlerror();
    m_loadError = error != nullptr ? error : fileName + ": cannot be loaded";
  }
}

SharedLibrary::~SharedLibrary() {
  if (m_handle != nullptr) ::dlclose(m_handle);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_loadError(std::move(other.m_loadError)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    if (m_handle != nullptr) ::dlclose(m_handle);
    m_handle = std::exchange(other.m_handle, nullptr);
    m_loadError = std::move(other.m_loadError);
  }
  return *this;
}

void* SharedLibrary::Symbol(const char* name) const {
  return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

}  // namespace quillon
