// The CH340 adapters Windows knows, from SetupAPI: every USB device present whose hardware id carries a
// CH340's vendor and product, with the COM port its driver recorded for it. A device without a driver
// is there too, without a port: Device Manager shows it under Other devices.
#include <cwchar>
#include <memory>
#include <optional>

#include "link/diagnosis/windows_devices.h"
#include "link/os/setup_api.h"
#include "link/os/wide_text.h"
#include "link/os/windows_api.h"
#include "link/serial/com_port_name.h"

namespace quillon {
namespace {

constexpr DWORD kTextLength = 1024;

struct KeyCloser {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// A property's text; a multi-string's first string. The last character is kept for a null.
std::wstring TextProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t text[kTextLength] = {};
  if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr, reinterpret_cast<PBYTE>(text),
                                           sizeof text - sizeof text[0], nullptr)) {
    return {};
  }
  return text;
}

// "USB\VID_1A86&PID_7523&REV_0254": the id, when it is a CH340's.
std::optional<UsbId> Ch340Id(const std::wstring& hardwareId) {
  unsigned vendor = 0;
  unsigned product = 0;
  if (std::swscanf(hardwareId.c_str(), L"USB\\VID_%4x&PID_%4x", &vendor, &product) != 2) return std::nullopt;
  for (const UsbId& id : Ch340UsbIds()) {
    if (id.vendor == vendor && id.product == product) return id;
  }
  return std::nullopt;
}

// The port its driver recorded in the device's own key; none without a driver.
std::string PortName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  const HKEY opened = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (opened == INVALID_HANDLE_VALUE) return {};
  const RegistryKey key(opened);
  wchar_t name[64] = {};
  DWORD size = sizeof name - sizeof name[0];
  DWORD type = 0;
  if (::RegQueryValueExW(key.get(), L"PortName", nullptr, &type, reinterpret_cast<LPBYTE>(name), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  return ComPortName(Utf8Text(name)).value_or("");
}

class SetupApiDeviceList final : public WindowsDeviceList {
 public:
  std::vector<WindowsUsbDevice> Ch340Devices() override {
    std::vector<WindowsUsbDevice> found;
    HDEVINFO devices = ::SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return found;
    const DeviceInfoList list(devices);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
      const std::optional<UsbId> id = Ch340Id(TextProperty(devices, device, SPDRP_HARDWAREID));
      if (!id) continue;
      std::wstring name = TextProperty(devices, device, SPDRP_FRIENDLYNAME);
      if (name.empty()) name = TextProperty(devices, device, SPDRP_DEVICEDESC);
      found.push_back({*id, Utf8Text(name), PortName(devices, device)});
    }
    return found;
  }

  PortProbe ProbeComPort(const std::string& comPort) override { return ProbePort(ComDevicePath(comPort)); }
};

}  // namespace

std::unique_ptr<WindowsDeviceList> SystemDeviceList() {
  return std::make_unique<SetupApiDeviceList>();
}

}  // namespace quillon
