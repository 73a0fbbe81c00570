// Which device a program talks to: real hardware (the default), a tty named by the operator, or the
// simulated device built into the program. A station never writes to a simulated device unless told to.
#pragma once

#include <string>
#include <vector>

namespace quillon {

struct DeviceChoice {
  enum class Source { kHardware, kPort, kSimulator, kSimulatorUsb };
  Source source = Source::kHardware;
  std::string portPath;  // for kPort
};

enum class DeviceOptionMatch { kNotDeviceOption, kTaken, kMalformed };

// Takes --simulator, --simulator=serial, --simulator=usb, --port PATH or --port=PATH at arguments[i]
// into choice, moving i past a separate value. On kMalformed, error says why.
DeviceOptionMatch TakeDeviceOption(const std::vector<std::string>& arguments, std::size_t& i,
                                   DeviceChoice& choice, std::string& error);

// The options' lines for a program's --help.
const char* DeviceOptionsHelp();

}  // namespace quillon
