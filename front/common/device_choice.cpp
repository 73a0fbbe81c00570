#include "front/common/device_choice.h"

#include <CLI/CLI.hpp>

#include "link/link_status.h"
#include "link/port_path_check.h"

namespace quillon {

void AddDeviceOptions(CLI::App& app, DeviceOptionValues& values) {
  app.add_option("--port", values.ports)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  // A flag with a value: "--simulator" alone means the serial device, and never takes the next argument.
  app.add_flag("--simulator{serial}", values.simulators)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

bool ChooseDevice(const DeviceOptionValues& values, DeviceChoice& choice, std::string& error) {
  // A second device option would leave it unclear which device is meant.
  if (values.ports.size() + values.simulators.size() > 1) {
    error = "give either --port or --simulator, once";
    return false;
  }
  choice = DeviceChoice{};
  if (!values.ports.empty()) {
    if (values.ports.front().empty()) {
      error = "--port needs the path of a tty";
      return false;
    }
    choice.source = DeviceChoice::Source::kPort;
    choice.portPath = values.ports.front();
  } else if (!values.simulators.empty()) {
    const std::string& kind = values.simulators.front();
    if (kind != "serial" && kind != "usb") {
      error = "--simulator takes 'serial' or 'usb', not '" + kind + "'";
      return false;
    }
    choice.source = kind == "usb" ? DeviceChoice::Source::kSimulatorUsb : DeviceChoice::Source::kSimulator;
  }
  return true;
}

bool CheckGivenPort(const DeviceChoice& choice, std::string& error) {
  if (choice.source != DeviceChoice::Source::kPort) return true;
  const std::optional<NotSerialPort> notSerialPort = LookAtPortPath(choice.portPath);
  if (notSerialPort) error = NotSerialPortText(*notSerialPort);
  return !notSerialPort;
}

const char* DeviceOptionsHelp() {
  return "  --port PATH        use the tty at PATH as the ID writer's serial port (an adapter\n"
         "                     of another make, or an external quillon-devsim --link PATH;\n"
         "                     COMn on Windows); what is no serial port is refused\n"
         "  --simulator[=usb]  use the simulated ID writer built into the program, on a serial\n"
         "                     port (default) or as a USB device\n"
         "Without --port or --simulator only real hardware is used: a USB ID writer, else a\n"
         "CH340 serial adapter.\n";
}

}  // namespace quillon
