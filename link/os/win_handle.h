// Sole owner of one Win32 handle: closes it when the owner goes, moves but never copies.
#pragma once

#include <utility>

#include "link/os/windows_api.h"

namespace quillon {

class WinHandle {
 public:
  WinHandle() = default;
  explicit WinHandle(HANDLE handle) : m_handle(handle) {}
  ~WinHandle() { reset(); }

  WinHandle(WinHandle&& other) noexcept : m_handle(other.release()) {}
  WinHandle& operator=(WinHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  WinHandle(const WinHandle&) = delete;
  WinHandle& operator=(const WinHandle&) = delete;

  HANDLE get() const { return m_handle; }
  // Win32 calls answer failure with either value, depending on the call.
  bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return valid(); }

  // Closes what is held (if anything) and takes handle instead.
  void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
    if (valid()) ::CloseHandle(m_handle);
    m_handle = handle;
  }
  [[nodiscard]] HANDLE release() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }

 private:
  HANDLE m_handle = INVALID_HANDLE_VALUE;
};

}  // namespace quillon
