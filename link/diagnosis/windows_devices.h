// The Windows station's view of CH340 adapters: the USB devices of a CH340's id that Windows knows, each
// with the COM port its driver gave it, and the presence test of a COM port. SetupAPI and the ports
// give the real ones; tests give their own.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "link/diagnosis/check_result.h"
#include "link/ports/port_probe.h"
#include "link/ports/serial_port_list.h"

namespace quillon {

struct WindowsUsbDevice {
  UsbId id;
  std::string name;  // as Device Manager shows it: "USB-SERIAL CH340 (COM5)", or "USB Serial" without driver
  std::string comPort;  // "COM5"; empty when no driver gave it one
};

class WindowsDeviceList {
 public:
  virtual ~WindowsDeviceList() = default;
  // The CH340 adapters plugged in.
  virtual std::vector<WindowsUsbDevice> Ch340Devices() = 0;
  virtual PortProbe ProbeComPort(const std::string& comPort) = 0;
};

// SetupAPI's devices and the COM ports opened as the station opens them (Windows only).
std::unique_ptr<WindowsDeviceList> SystemDeviceList();

std::vector<CheckResult> CheckCh340Drivers(std::span<const WindowsUsbDevice> devices);
std::vector<CheckResult> CheckCh340Ports(WindowsDeviceList& list, std::span<const WindowsUsbDevice> devices);

// Both, over the adapters plugged in when they run. The list must outlive the checks.
std::vector<SetupCheck> WindowsChecks(WindowsDeviceList& list);

}  // namespace quillon
