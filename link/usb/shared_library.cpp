// The owner's part that is the same everywhere; loading, unloading and finding exports are the
// platform's (shared_library_unix.cpp, shared_library_win.cpp).
#include "link/usb/shared_library.h"

#include <utility>

namespace quillon {

SharedLibrary::~SharedLibrary() {
  Unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)),
      m_loadError(std::move(other.m_loadError)),
      m_foundFile(std::move(other.m_foundFile)),
      m_foreignWidthBits(other.m_foreignWidthBits) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    Unload();
    m_handle = std::exchange(other.m_handle, nullptr);
    m_loadError = std::move(other.m_loadError);
    m_foundFile = std::move(other.m_foundFile);
    m_foreignWidthBits = other.m_foreignWidthBits;
  }
  return *this;
}

}  // namespace quillon
