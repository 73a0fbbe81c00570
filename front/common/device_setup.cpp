#include "front/common/device_setup.h"

#include <filesystem>

#include "link/ports/given_port_list.h"
#include "link/usb/no_usb_bridge.h"
#include "link/usb/usb_library_bridge.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/connection/discovery.h"

namespace quillon {
namespace {

// The simulated device's tty, as discovery sees it.
constexpr char kSimulatorTtyName[] = "ttySIM0";

class NoSerialPorts final : public SerialPortList {
 public:
  std::vector<SerialPortEntry> Ports() override { return {}; }
};

}  // namespace

Result<std::unique_ptr<DeviceSetup>> DeviceSetup::Create(const DeviceChoice& choice) {
  std::unique_ptr<DeviceSetup> setup(new DeviceSetup);
  switch (choice.source) {
    case DeviceChoice::Source::kHardware:
      setup->m_usb = std::make_unique<UsbLibraryBridge>();
      setup->m_ports = SystemSerialPorts();
      setup->m_description = "a USB ID writer, or one on a CH340 serial adapter";
      setup->m_watch.systemDevices = true;
      break;
    case DeviceChoice::Source::kPort:
      setup->m_usb = std::make_unique<NoUsbBridge>();
      setup->m_ports = std::make_unique<GivenPortList>(choice.portPath);
      setup->m_description = "the ID writer on " + choice.portPath;
      setup->m_watch.portPath = choice.portPath;
      break;
    case DeviceChoice::Source::kSimulatorUsb: {
      auto usb = std::make_unique<sim::SimulatedUsbBridge>();
      setup->m_usbSimulator = usb.get();
      setup->m_usb = std::move(usb);
      setup->m_ports = std::make_unique<NoSerialPorts>();
      setup->m_description = "the simulated ID writer on USB";
      break;
    }
    case DeviceChoice::Source::kSimulator: {
      setup->m_simulatorDirectory = std::make_unique<TemporaryDirectory>("quillon-sim");
      if (!setup->m_simulatorDirectory->Made()) {
        return Problem{ProblemKind::kSystem, "cannot make a directory for the simulated device's tty"};
      }
      const std::filesystem::path link = *setup->m_simulatorDirectory / kSimulatorTtyName;
      Result<std::unique_ptr<sim::PtyDevice>> simulator = sim::PtyDevice::Create({.linkPath = link});
      if (!simulator) return simulator.Failure();
      setup->m_simulator = std::move(*simulator);
      setup->m_usb = std::make_unique<NoUsbBridge>();
      setup->m_ports = std::make_unique<GivenPortList>(link.string());
      setup->m_description = "the simulated ID writer on " + link.string();
      setup->m_watch.portPath = link.string();
      break;
    }
  }
  return setup;
}

DeviceSetup::~DeviceSetup() {
  m_watcher.reset();
  m_simulator.reset();
  m_simulatorDirectory.reset();
}

void DeviceSetup::WatchDevices(DeviceWatcher::Callback onChange) {
  m_watcher.reset();
  // The simulated USB device comes and goes inside the program: nothing for the system to tell.
  if (!m_watch.systemDevices && m_watch.portPath.empty()) return;
  m_watcher = DeviceWatcher::Start(m_watch, std::move(onChange));
}

Worker DeviceSetup::ConnectWorker(std::FILE* namesOut) {
  return quillon::ConnectWorker(*m_ports, namesOut);
}

}  // namespace quillon
