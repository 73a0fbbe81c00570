#include "front/common/device_choice.h"

#include <CLI/CLI.hpp>

#include "link/link_status.h"
#include "link/serial/port_path_check.h"

namespace quillon {
namespace {

constexpr HelpItem kPort{
    .names = "--port",
    .value = "PATH",
    .text =
        "use the tty at PATH as the ID writer's serial port (an adapter\n"
        "of another make, or an external quillon-devsim --link PATH;\n"
        "COMn on Windows); what is no serial port is refused",
    .manual =
        "Nothing but a serial port is ever written to: a regular file, a directory, a named pipe,\n"
        "a disk, a device other than a terminal, a console or the program's own terminal is\n"
        "refused in words that say what it is (usage error), and so is a name other than COM1\n"
        "to COM255 on Windows. A port whose line settings cannot be applied is no link.",
};
constexpr HelpItem kSimulator{
    .names = "--simulator",
    .value = "[=usb]",
    .text =
        "use the simulated ID writer built into the program, on a serial\n"
        "port (default) or as a USB device",
};
constexpr HelpItem kDeviceItems[] = {kPort, kSimulator};

}  // namespace

void AddDeviceOptions(CLI::App& app, DeviceOptionValues& values) {
  app.add_option(std::string(kPort.names), values.ports)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  // A flag with a value: "--simulator" alone means the serial device, and never takes the next argument.
  app.add_flag(std::string(kSimulator.names) + "{serial}", values.simulators)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

std::vector<HelpItem> DeviceOptionItems(std::string_view commands) {
  std::vector<HelpItem> items(std::begin(kDeviceItems), std::end(kDeviceItems));
  for (HelpItem& item : items) item.commands = commands;
  return items;
}

Result<DeviceChoice> ChooseDevice(const DeviceOptionValues& values) {
  // A second device option would leave it unclear which device is meant.
  if (values.ports.size() + values.simulators.size() > 1) {
    return Problem{ProblemKind::kUsage, "give either --port or --simulator, once"};
  }
  DeviceChoice choice;
  if (!values.ports.empty()) {
    if (values.ports.front().empty()) return Problem{ProblemKind::kUsage, "--port needs the path of a tty"};
    choice.source = DeviceChoice::Source::kPort;
    choice.portPath = values.ports.front();
  } else if (!values.simulators.empty()) {
    const std::string& kind = values.simulators.front();
    if (kind != "serial" && kind != "usb") {
      return Problem{ProblemKind::kUsage, "--simulator takes 'serial' or 'usb', not '" + kind + "'"};
    }
    choice.source = kind == "usb" ? DeviceChoice::Source::kSimulatorUsb : DeviceChoice::Source::kSimulator;
  }
  return choice;
}

Result<void> CheckGivenPort(const DeviceChoice& choice) {
  if (choice.source != DeviceChoice::Source::kPort) return {};
  // What is no serial port is a mistake in the command line: nothing is opened.
  if (const std::optional<NotSerialPort> notSerialPort = LookAtPortPath(choice.portPath)) {
    return Problem{ProblemKind::kUsage, NotSerialPortText(*notSerialPort)};
  }
  return {};
}

const char* DeviceOptionsNote() {
  return "Without --port or --simulator only real hardware is used: a USB ID writer, else a\n"
         "CH340 serial adapter.\n";
}

}  // namespace quillon
