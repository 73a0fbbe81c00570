// The USB bridge library's operations, as the station uses them. Backends: the device simulator's
// stand-in, the vendor library loaded at run time, or none.
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

using UsbHandle = std::intptr_t;
inline constexpr UsbHandle kNoUsbDevice = -1;

inline constexpr int kUsbSuccess = 0;
inline constexpr std::uint32_t kUsbStringBufferSize = 260;
// In the library's convention flags 0 asks for a device's serial-number string.
inline constexpr std::uint32_t kUsbSerialNumberString = 0;

class UsbBridge {
 public:
  virtual ~UsbBridge() = default;

  // Every operation returns a status, kUsbSuccess (0) on success.
  virtual int GetNumDevices(std::uint32_t* count) = 0;
  // Writes a zero-terminated string of at most kUsbStringBufferSize bytes, terminator included.
  virtual int GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) = 0;
  virtual int Open(std::uint32_t index, UsbHandle* handle) = 0;
  virtual int Close(UsbHandle handle) = 0;
  virtual int Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t* transferred) = 0;
  virtual int Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                    std::uint32_t* transferred) = 0;
  // Read and write time-outs in milliseconds for later transfers.
  virtual int SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) = 0;

  // Why a bridge library that is there cannot be used, in words an operator can act on; empty when it
  // can be, or when there is none (then the serial way is the station's way, and nothing is amiss).
  virtual std::string UnusableReason() const { return {}; }
};

}  // namespace quillon
