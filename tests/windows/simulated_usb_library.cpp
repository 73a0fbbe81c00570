// The vendor's USB bridge library as the simulated device: a SiUSBXp.dll with the seven operations by
// ordinal, served by the simulator's USB stand-in inside the station's own process. For the Windows
// station's end-to-end tests under Wine: the station loads it as it would the vendor's, and the device's
// flash is written to the file that QUILLON_SIM_FLASH names when the library is unloaded.
#include <cstdint>
#include <cstdlib>

#include "link/usb/usb_library_calls.h"
#include "sim/usb_device.h"

namespace {

quillon::sim::SimulatedUsbBridge g_bridge;

// Made after the bridge, so gone before it: the flash is still there to write.
struct FlashWrittenAtUnload {
  ~FlashWrittenAtUnload() {
    const char* path = std::getenv("QUILLON_SIM_FLASH");
    if (path != nullptr)
      g_bridge.WithEngine(0, [&](quillon::sim::DeviceEngine& engine) { engine.Memory().Dump(path); });
  }
} g_flashWrittenAtUnload;

quillon::UsbHandle AsHandle(void* handle) {
  return reinterpret_cast<quillon::UsbHandle>(handle);
}

}  // namespace

extern "C" {

int QUILLON_USB_LIBRARY_CALL SI_GetNumDevices(std::uint32_t* count) {
  return g_bridge.GetNumDevices(count);
}

int QUILLON_USB_LIBRARY_CALL SI_GetProductString(std::uint32_t index, void* buffer, std::uint32_t flags) {
  return g_bridge.GetProductString(index, static_cast<char*>(buffer), flags);
}

int QUILLON_USB_LIBRARY_CALL SI_Open(std::uint32_t index, void** handle) {
  quillon::UsbHandle opened = quillon::kNoUsbDevice;
  const int status = g_bridge.Open(index, &opened);
  *handle = reinterpret_cast<void*>(opened);
  return status;
}

int QUILLON_USB_LIBRARY_CALL SI_Close(void* handle) {
  return g_bridge.Close(AsHandle(handle));
}

int QUILLON_USB_LIBRARY_CALL SI_Read(void* handle, void* buffer, std::uint32_t count,
                                     std::uint32_t* transferred, void* /*overlapped*/) {
  return g_bridge.Read(AsHandle(handle), static_cast<std::uint8_t*>(buffer), count, transferred);
}

int QUILLON_USB_LIBRARY_CALL SI_Write(void* handle, void* buffer, std::uint32_t count,
                                      std::uint32_t* transferred, void* /*overlapped*/) {
  return g_bridge.Write(AsHandle(handle), static_cast<const std::uint8_t*>(buffer), count, transferred);
}

int QUILLON_USB_LIBRARY_CALL SI_SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) {
  return g_bridge.SetTimeouts(readTimeout, writeTimeout);
}

}  // extern "C"
