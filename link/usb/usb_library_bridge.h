// The vendor's USB bridge library, loaded at run time where it is installed. Without it every operation
// fails, so the device count fails and the serial way is tried.
#pragma once

#include <string>

#include "link/usb/shared_library.h"
#include "link/usb/usb_bridge.h"
#include "link/usb/usb_library_calls.h"

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
  // The problem, when a library is there but cannot be used; empty when there is none at all.
  std::string UnusableReason() const override;

  int GetNumDevices(std::uint32_t* count) override;
  int GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) override;
  int Open(std::uint32_t index, UsbHandle* handle) override;
  int Close(UsbHandle handle) override;
  int Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t* transferred) override;
  int Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
            std::uint32_t* transferred) override;
  int SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) override;

 private:
  // The library's signatures: 32-bit counts and indices, pointer-sized handles, an optional overlapped
  // structure (always null here) on reads and writes; called as the Windows API is.
  using GetNumDevicesCall = int(QUILLON_USB_LIBRARY_CALL*)(std::uint32_t*);
  using GetProductStringCall = int(QUILLON_USB_LIBRARY_CALL*)(std::uint32_t, void*, std::uint32_t);
  using OpenCall = int(QUILLON_USB_LIBRARY_CALL*)(std::uint32_t, void**);
  using CloseCall = int(QUILLON_USB_LIBRARY_CALL*)(void*);
  using TransferCall = int(QUILLON_USB_LIBRARY_CALL*)(void*, void*, std::uint32_t, std::uint32_t*, void*);
  using SetTimeoutsCall = int(QUILLON_USB_LIBRARY_CALL*)(std::uint32_t, std::uint32_t);

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
