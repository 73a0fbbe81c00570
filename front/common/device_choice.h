// Which device a program talks to: real hardware (the default), a tty named by the operator, or the
// simulated device built into the program. A station never writes to a simulated device unless told to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cmdline/help_items.h"
#include "texts/problem.h"

namespace CLI {
class App;
}

namespace quillon {

struct DeviceChoice {
  enum class Source { kHardware, kPort, kSimulator, kSimulatorUsb };
  Source source = Source::kHardware;
  std::string portPath;  // for kPort
};

// The device options every program with a station has: --port PATH and --simulator[=serial|usb].
struct DeviceOptionValues {
  std::vector<std::string> ports;
  std::vector<std::string> simulators;
};
void AddDeviceOptions(CLI::App& app, DeviceOptionValues& values);
// Their items for a program's help (help_items.h), going with the commands named.
std::vector<HelpItem> DeviceOptionItems(std::string_view commands = {});
// What the help says after them: which device is used without them.
const char* DeviceOptionsNote();
// The device chosen by what was given; a usage problem for a contradiction.
Result<DeviceChoice> ChooseDevice(const DeviceOptionValues& values);

// The station writes only to serial ports: a --port that is certainly none (a file, a directory, a
// device other than a terminal; on Windows a name other than COMn) is refused before the station
// starts, a usage problem in words that say what it is.
Result<void> CheckGivenPort(const DeviceChoice& choice);

}  // namespace quillon
