// The owner's part that is the same everywhere; loading, unloading and finding exports are the
// platform's (shared_library_unix.cpp, shared_library_win.cpp).
#include "link/shared_library.h"

#include <utility>

namespace quillon {

SharedLibrary::~SharedLibrary() {
  Unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_loadError(std::move(other.m_loadError)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    Unload();
    m_handle = std::exchange(other.m_handle, nullptr);
    m_loadError = std::move(other.m_loadError);
  }
  return *this;
}

}  // namespace quillon
