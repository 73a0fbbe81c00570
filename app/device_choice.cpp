#include "app/device_choice.h"

namespace quillon {
namespace {

// A second device option would leave it unclear which device is meant.
bool Choose(DeviceChoice& choice, DeviceChoice chosen, std::string& error) {
  if (choice.source != DeviceChoice::Source::kHardware) {
    error = "give either --port or --simulator, once";
    return false;
  }
  choice = std::move(chosen);
  return true;
}

}  // namespace

DeviceOptionMatch TakeDeviceOption(const std::vector<std::string>& arguments, std::size_t& i,
                                   DeviceChoice& choice, std::string& error) {
  const std::string& argument = arguments[i];
  DeviceChoice chosen;
  if (argument == "--simulator" || argument == "--simulator=serial") {
    chosen.source = DeviceChoice::Source::kSimulator;
  } else if (argument == "--simulator=usb") {
    chosen.source = DeviceChoice::Source::kSimulatorUsb;
  } else if (argument.starts_with("--simulator=")) {
    error = "--simulator takes 'serial' or 'usb', not '" + argument.substr(12) + "'";
    return DeviceOptionMatch::kMalformed;
  } else if (argument == "--port" || argument.starts_with("--port=")) {
    chosen.source = DeviceChoice::Source::kPort;
    if (argument == "--port") {
      if (i + 1 == arguments.size()) {
        error = "--port needs the path of a tty";
        return DeviceOptionMatch::kMalformed;
      }
      chosen.portPath = arguments[++i];
    } else {
      chosen.portPath = argument.substr(7);
    }
    if (chosen.portPath.empty()) {
      error = "--port needs the path of a tty";
      return DeviceOptionMatch::kMalformed;
    }
  } else {
    return DeviceOptionMatch::kNotDeviceOption;
  }
  return Choose(choice, std::move(chosen), error) ? DeviceOptionMatch::kTaken : DeviceOptionMatch::kMalformed;
}

const char* DeviceOptionsHelp() {
  return "  --port PATH        use the tty at PATH as the ID writer's serial port (an adapter\n"
         "                     of another make, or an external quillon-devsim --link PATH)\n"
         "  --simulator[=usb]  use the simulated ID writer built into the program, on a serial\n"
         "                     port (default) or as a USB device\n"
         "Without --port or --simulator only real hardware is used: a USB ID writer, else a\n"
         "CH340 serial adapter.\n";
}

}  // namespace quillon
