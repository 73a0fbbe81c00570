// The system's serial ports on Windows: the devices of the ports setup class, by their friendly names.
#include <memory>

#include "link/os/setup_api.h"
#include "link/os/wide_text.h"
#include "link/os/windows_api.h"
#include "link/ports/serial_port_list.h"
#include "link/serial/com_port_name.h"

namespace quillon {
namespace {

// {4D36E978-E325-11CE-BFC1-08002BE10318}: the setup class of COM and LPT ports.
constexpr GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr DWORD kFriendlyNameLength = 512;

class SetupApiSerialPortList final : public SerialPortList {
 public:
  std::vector<SerialPortEntry> Ports() override {
    std::vector<SerialPortEntry> ports;
    // Every device of the class the system knows, present or not: the presence test tells.
    HDEVINFO devices = ::SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, 0);
    if (devices == INVALID_HANDLE_VALUE) return ports;
    const DeviceInfoList list(devices);
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
