// The vendor's USB bridge library, loaded at run time where it is installed. Without it every operation
// fails, so the device count fails and the serial way is tried.
#pragma once

#include <string>

#include "link/shared_library.h"
#include "link/usb_bridge.h"

namespace quillon {

// The library's name without the platform's decoration ("libSiUSBXp.so", "SiUSBXp.dll").
inline constexpr char kUsbLibraryName[] = "SiUSBXp";

class UsbLibraryBridge final : public UsbBridge {
 public:
  static constexpr int kNoLibrary = 0xFF;  // the status of every operation while no library is loaded

  explicit UsbLibraryBridge(const std::string& fileName = LibraryFileName(kUsbLibraryName));

  // True when the library is loaded and has every operation the station uses.
  bool Available() const { return m_available; }
  // Why the library cannot be used; empty when it can.
  const std::string& Problem() const { return m_problem; }

  int GetNumDevices(std::uint32_t* count) override;
  int GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) override;
  int Open(std::uint32_t index, UsbHandle* handle) override;
  int Close(UsbHandle handle) override;
  int Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t* transferred) override;
  int Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
            std::uint32_t* transferred) override;
  int SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) override;

 private:
  // The library's calling convention: 32-bit counts and indices, pointer-sized handles, an optional
  // overlapped structure (always null here) on reads and writes.
  using GetNumDevicesCall = int (*)(std::uint32_t*);
  using GetProductStringCall = int (*)(std::uint32_t, void*, std::uint32_t);
  using OpenCall = int (*)(std::uint32_t, void**);
  using CloseCall = int (*)(void*);
  using TransferCall = int (*)(void*, void*, std::uint32_t, std::uint32_t*, void*);
  using SetTimeoutsCall = int (*)(std::uint32_t, std::uint32_t);

  SharedLibrary m_library;
  bool m_available = false;
  std::string m_problem;
  GetNumDevicesCall m_getNumDevices = nullptr;
  GetProductStringCall m_getProductString = nullptr;
  OpenCall m_open = nullptr;
  CloseCall m_close = nullptr;
  TransferCall m_read = nullptr;
  TransferCall m_write = nullptr;
  SetTimeoutsCall m_setTimeouts = nullptr;
};

}  // namespace quillon
