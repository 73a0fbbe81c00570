// Windows: the configuration manager's device-interface notifications for COM ports and USB devices
// (Windows 8 and later). The two calls are looked up at run time: MinGW's 32-bit import library lacks
// them, and a system without them leaves the finding to the watchdog.
#include <array>
#include <utility>

#include "link/os/windows_api.h"
#include "link/ports/device_watcher.h"
#include "link/usb/shared_library.h"

// After windows.h.
#include <cfgmgr32.h>

namespace quillon {
namespace {

using RegisterNotification = CONFIGRET(WINAPI*)(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK,
                                                PHCMNOTIFICATION);
using UnregisterNotification = CONFIGRET(WINAPI*)(HCMNOTIFICATION);

// GUID_DEVINTERFACE_COMPORT and GUID_DEVINTERFACE_USB_DEVICE, spelt out: their headers define them only
// where INITGUID is, and the station needs nothing else of those headers.
constexpr GUID kComPortInterface = {
    0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};
constexpr GUID kUsbDeviceInterface = {
    0xa5dcbf10, 0x6530, 0x11d2, {0x90, 0x1f, 0x00, 0xc0, 0x4f, 0xb9, 0x51, 0xed}};

class WinDeviceWatcher final : public DeviceWatcher {
 public:
  WinDeviceWatcher(const DeviceWatch& watch, Callback onChange)
      : m_onChange(std::move(onChange)), m_library("cfgmgr32.dll") {
    // A port named COMn is a COM port interface like any other: the system's notifications cover it.
    if (!watch.systemDevices && watch.portPath.empty()) return;
    const auto registerNotification =
        reinterpret_cast<RegisterNotification>(m_library.Export("CM_Register_Notification", 0));
    m_unregister =
        reinterpret_cast<UnregisterNotification>(m_library.Export("CM_Unregister_Notification", 0));
    if (registerNotification == nullptr || m_unregister == nullptr) return;
    const std::array<GUID, 2> interfaces = {kComPortInterface, kUsbDeviceInterface};
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
      CM_NOTIFY_FILTER filter{};
      filter.cbSize = sizeof(filter);
      filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
      filter.u.DeviceInterface.ClassGuid = interfaces[i];
      if (registerNotification(&filter, this, &WinDeviceWatcher::OnNotification, &m_notifications[i]) !=
          CR_SUCCESS) {
        m_notifications[i] = nullptr;
      }
    }
  }

  ~WinDeviceWatcher() override {
    // Waits for a callback that runs now; none comes after.
    for (HCMNOTIFICATION notification : m_notifications) {
      if (notification != nullptr) m_unregister(notification);
    }
  }

  int SourcesWatched() const override {
    int count = 0;
    for (HCMNOTIFICATION notification : m_notifications) count += notification != nullptr ? 1 : 0;
    return count;
  }

 private:
  static DWORD CALLBACK OnNotification(HCMNOTIFICATION /*notification*/, PVOID context,
                                       CM_NOTIFY_ACTION action, PCM_NOTIFY_EVENT_DATA /*data*/,
                                       DWORD /*size*/) {
    if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL ||
        action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL) {
      static_cast<WinDeviceWatcher*>(context)->m_onChange();
    }
    return ERROR_SUCCESS;
  }

  Callback m_onChange;
  SharedLibrary m_library;
  UnregisterNotification m_unregister = nullptr;
  std::array<HCMNOTIFICATION, 2> m_notifications{};
};

}  // namespace

std::unique_ptr<DeviceWatcher> DeviceWatcher::Start(const DeviceWatch& watch, Callback onChange) {
  return std::make_unique<WinDeviceWatcher>(watch, std::move(onChange));
}

}  // namespace quillon
