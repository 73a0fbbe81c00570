// The system's serial ports on Windows: the devices of the ports setup class, by their friendly names.
#include <memory>

#include "link/os/wide_text.h"
#include "link/os/windows_api.h"
#include "link/ports/serial_port_list.h"
#include "link/serial/com_port_name.h"

// setupapi.h brings in the common controls' header, whose declarations are made of windows.h's WM_USER:
// the macro that windows_api.h takes back is lent for them (as front/win32/common_controls.h does).
#ifndef WM_USER
#define WM_USER 0x0400
#define QUILLON_LENT_WM_USER
#endif
#include <setupapi.h>
#ifdef QUILLON_LENT_WM_USER
#undef WM_USER
#undef QUILLON_LENT_WM_USER
#endif

namespace quillon {
namespace {

// {4D36E978-E325-11CE-BFC1-08002BE10318}: the setup class of COM and LPT ports.
constexpr GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr DWORD kFriendlyNameLength = 512;

struct DeviceListDeleter {
  void operator()(HDEVINFO list) const { ::SetupDiDestroyDeviceInfoList(list); }
};
using DeviceList = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, DeviceListDeleter>;

class SetupApiSerialPortList final : public SerialPortList {
 public:
  std::vector<SerialPortEntry> Ports() override {
    std::vector<SerialPortEntry> ports;
    // Every device of the class the system knows, present or not: the presence test tells.
    HDEVINFO devices = ::SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, 0);
    if (devices == INVALID_HANDLE_VALUE) return ports;
    const DeviceList list(devices);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
      // Wide: the narrow call gives the name in the system's code page ("通信端口 (COM1)" in GBK on a
      // Chinese PC). A stored string need not end in a null: the last character is kept for one.
      wchar_t name[kFriendlyNameLength] = {};
      if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<PBYTE>(name), sizeof name - sizeof name[0],
                                               nullptr)) {
        continue;
      }
      const std::string friendlyName = Utf8Text(name);
      const std::string portName = PortNameInFriendlyName(friendlyName);
      ports.push_back({portName, portName.empty() ? std::string() : ComDevicePath(portName), friendlyName});
    }
    return ports;
  }
};

}  // namespace

std::unique_ptr<SerialPortList> SystemSerialPorts() {
  return std::make_unique<SetupApiSerialPortList>();
}

}  // namespace quillon
