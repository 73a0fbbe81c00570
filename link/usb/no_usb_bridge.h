// The USB bridge where no bridge library is present: every operation fails, so the serial way is tried.
#pragma once

#include "link/usb/usb_bridge.h"

namespace quillon {

class NoUsbBridge final : public UsbBridge {
 public:
  static constexpr int kNoLibrary = 0xFF;

  int GetNumDevices(std::uint32_t* count) override {
    if (count != nullptr) *count = 0;
    return kNoLibrary;
  }
  int GetProductString(std::uint32_t, char* buffer, std::uint32_t) override {
    if (buffer != nullptr) buffer[0] = '\0';
    return kNoLibrary;
  }
  int Open(std::uint32_t, UsbHandle* handle) override {
    if (handle != nullptr) *handle = kNoUsbDevice;
    return kNoLibrary;
  }
  int Close(UsbHandle) override { return kNoLibrary; }
  int Read(UsbHandle, std::uint8_t*, std::uint32_t, std::uint32_t* transferred) override {
    if (transferred != nullptr) *transferred = 0;
    return kNoLibrary;
  }
  int Write(UsbHandle, const std::uint8_t*, std::uint32_t, std::uint32_t* transferred) override {
    if (transferred != nullptr) *transferred = 0;
    return kNoLibrary;
  }
  int SetTimeouts(std::uint32_t, std::uint32_t) override { return kNoLibrary; }
};

}  // namespace quillon
