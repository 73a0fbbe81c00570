// The device side of a program, as chosen on its command line: the USB bridge and the serial ports that
// discovery searches, and the simulated device when one was asked for. Keep it alive as long as the
// station runs.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "front/common/device_choice.h"
#include "link/os/temporary_directory.h"
#include "link/ports/device_watcher.h"
#include "link/ports/serial_port_list.h"
#include "link/usb/usb_bridge.h"
#include "station/station_workers.h"
#include "texts/problem.h"

namespace quillon {

namespace sim {
class PtyDevice;
class SimulatedUsbBridge;
}  // namespace sim

class DeviceSetup {
 public:
  // A problem when the simulated device cannot be made.
  static Result<std::unique_ptr<DeviceSetup>> Create(const DeviceChoice& choice);
  ~DeviceSetup();  // the simulated device goes before the directory of its tty link
  DeviceSetup(const DeviceSetup&) = delete;
  DeviceSetup& operator=(const DeviceSetup&) = delete;

  UsbBridge& Usb() { return *m_usb; }
  SerialPortList& Ports() { return *m_ports; }
  // The connection worker that searches these, the ports' friendly names to namesOut.
  Worker ConnectWorker(std::FILE* namesOut = stdout);
  // For the program's first line: what it is about to look for.
  const std::string& Description() const { return m_description; }
  // The simulated device, when one was asked for; nullptr otherwise.
  sim::PtyDevice* SerialSimulator() { return m_simulator.get(); }
  sim::SimulatedUsbBridge* UsbSimulator() { return m_usbSimulator; }
  // From now on, a device of the chosen kind coming or going (a serial adapter or USB device on the
  // system, a tty appearing at the given path or the simulator's) calls onChange, on another thread:
  // the station's check for a device comes at once instead of at the watchdog's next. Ends with this
  // set-up, or at StopWatching.
  void WatchDevices(DeviceWatcher::Callback onChange);
  void StopWatching() { m_watcher.reset(); }

 private:
  DeviceSetup() = default;

  std::unique_ptr<UsbBridge> m_usb;
  std::unique_ptr<SerialPortList> m_ports;
  std::unique_ptr<TemporaryDirectory> m_simulatorDirectory;  // holds the simulated device's tty link
  std::unique_ptr<sim::PtyDevice> m_simulator;
  sim::SimulatedUsbBridge* m_usbSimulator = nullptr;  // m_usb, when it is the simulated bridge
  std::string m_description;
  DeviceWatch m_watch;  // what tells of this choice's devices coming and going
  std::unique_ptr<DeviceWatcher> m_watcher;
};

}  // namespace quillon
