// A stand-in for the vendor's USB bridge library, built as a shared library of the same API so that the
// station loads it at run time as it would the real one, its operations called as the vendor's are. Two
// devices: a stranger, then the writer.
#include <cstdint>
#include <cstring>

#include "link/usb/usb_library_calls.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kDeviceNotFound = 0xFF;
const char* const kDeviceStrings[] = {"other-gadget", "tarvik-writer"};
std::uint32_t g_readTimeout = 0;
std::uint32_t g_writeTimeout = 0;
std::uint32_t g_bytesWritten = 0;

}  // namespace

extern "C" {

int QUILLON_USB_LIBRARY_CALL SI_GetNumDevices(std::uint32_t* count) {
  *count = 2;
  return kSuccess;
}

int QUILLON_USB_LIBRARY_CALL SI_GetProductString(std::uint32_t index, void* buffer, std::uint32_t /*flags*/) {
  if (index >= 2) return kDeviceNotFound;
  std::strcpy(static_cast<char*>(buffer), kDeviceStrings[index]);
  return kSuccess;
}

int QUILLON_USB_LIBRARY_CALL SI_Open(std::uint32_t index, void** handle) {
  if (index >= 2) return kDeviceNotFound;
  *handle = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x100 + index));
  return kSuccess;
}

int QUILLON_USB_LIBRARY_CALL SI_Close(void*) {
  return kSuccess;
}

int QUILLON_USB_LIBRARY_CALL SI_Read(void*, void* buffer, std::uint32_t count, std::uint32_t* transferred,
                                     void*) {
  std::memset(buffer, 0x5A, count);
  *transferred = count;
  return kSuccess;
}

int QUILLON_USB_LIBRARY_CALL SI_Write(void*, void*, std::uint32_t count, std::uint32_t* transferred, void*) {
  g_bytesWritten += count;
  *transferred = count;
  return kSuccess;
}

int QUILLON_USB_LIBRARY_CALL SI_SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) {
  g_readTimeout = readTimeout;
  g_writeTimeout = writeTimeout;
  return kSuccess;
}

// For the tests: what the station told the library.
std::uint32_t FakeUsbReadTimeout() {
  return g_readTimeout;
}
std::uint32_t FakeUsbBytesWritten() {
  return g_bytesWritten;
}

}  // extern "C"
