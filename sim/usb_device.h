// The simulated device behind the USB bridge interface, in place of the vendor library: one or more
// devices, each with its own engine, listed in order while plugged in. Answers are the handle's that
// asked for them: those still unread when it closes are gone.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/usb/usb_bridge.h"
#include "sim/device_engine.h"

namespace quillon::sim {

// Nonzero statuses, in the vendor library's manner.
inline constexpr int kUsbInvalidHandle = 0x01;
inline constexpr int kUsbReadError = 0x02;
inline constexpr int kUsbWriteError = 0x04;
inline constexpr int kUsbInvalidParameter = 0x06;
inline constexpr int kUsbInvalidRequestLength = 0x07;
inline constexpr int kUsbDeviceIoFailed = 0x08;
inline constexpr int kUsbReadTimedOut = 0x0D;
inline constexpr int kUsbDeviceNotFound = 0xFF;

inline constexpr char kDefaultProductString[] = "tarvik-writer";

struct SimulatedUsbDeviceConfig {
  std::string productString = kDefaultProductString;
  bool productStringReadable = true;  // false: asking for the string fails, as with a broken descriptor
  DeviceFaults faults;
};

struct UsbTimeouts {
  std::uint32_t read = 0;
  std::uint32_t write = 0;
};

class SimulatedUsbBridge final : public UsbBridge {
 public:
  // One device with the default product string.
  SimulatedUsbBridge();
  explicit SimulatedUsbBridge(std::vector<SimulatedUsbDeviceConfig> devices);

  int GetNumDevices(std::uint32_t* count) override;
  int GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) override;
  int Open(std::uint32_t index, UsbHandle* handle) override;
  int Close(UsbHandle handle) override;
  int Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t* transferred) override;
  int Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
            std::uint32_t* transferred) override;
  int SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) override;

  // Devices are named here by their place in the configuration, which unplugging does not change;
  // the bridge's own indices count only the devices plugged in.
  std::size_t ConfiguredDevices() const { return m_devices.size(); }
  // Unplugging makes every open handle to the device fail for good, as a surprise removal does.
  void Unplug(std::size_t device);
  void Replug(std::size_t device);
  bool IsOpen(std::size_t device) const;
  UsbTimeouts Timeouts() const;

  template <typename F>
  decltype(auto) WithEngine(std::size_t device, F&& f) {
    std::lock_guard lock(m_mutex);
    return f(m_devices.at(device).engine);
  }

 private:
  struct Device {
    SimulatedUsbDeviceConfig config;
    DeviceEngine engine;
    std::uint32_t pluggings = 0;  // handles from an earlier plugging are stale
    bool open = false;
  };
  struct Session {
    std::size_t device;
    std::uint32_t plugging;
  };

  // The configured device at a bridge index, counting only plugged devices; nullptr past the end.
  Device* Listed(std::uint32_t index);
  // The device behind a handle while that handle is still good; nullptr otherwise.
  Device* Served(UsbHandle handle);
  // One block moved by `move` on the device behind the handle, and the library's status for it.
  int Transfer(UsbHandle handle, const void* buffer, std::uint32_t count, std::uint32_t* transferred,
               int lostStatus, const std::function<BlockTransfer(DeviceEngine&)>& move);

  mutable std::mutex m_mutex;  // the station calls from its connection, job and dialog threads
  std::vector<Device> m_devices;
  std::map<UsbHandle, Session> m_sessions;
  UsbHandle m_nextHandle = 1;
  UsbTimeouts m_timeouts;
};

}  // namespace quillon::sim
