// The serial ports the system knows, each with the friendly name an operator recognises. The listing
// itself comes from the system (SetupAPI on Windows, Qt's port enumeration on Linux); tests give their
// own lists.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillon {

struct SerialPortEntry {
  std::string portName;        // "ttyUSB0"
  std::string systemLocation;  // "/dev/ttyUSB0"
  std::string friendlyName;    // "USB-SERIAL CH340 (ttyUSB0)"
  // Named by the operator (--port): searched whatever its friendly name says, so that the presence test
  // can say what it is when it is no serial port.
  bool namedByOperator = false;
};

class SerialPortList {
 public:
  virtual ~SerialPortList() = default;
  virtual std::vector<SerialPortEntry> Ports() = 0;
  // The port as the operator named it when the list is that port alone, so that the status can say
  // where no device was found; none for the system's own listing.
  virtual std::optional<std::string> NamedPort() const { return std::nullopt; }
};

// The ports the system lists, present or not.
std::unique_ptr<SerialPortList> SystemSerialPorts();

// The port name in a friendly name: the text strictly between the first '(' and the first ')' ("COM5" in
// "USB-SERIAL CH340 (COM5)"). With no '(' it runs from the start; with no ')', or one before the '(',
// there is none.
std::string PortNameInFriendlyName(const std::string& friendlyName);

struct UsbId {
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
};

// "1a86:7523", as lsusb and the kernel write it.
std::string UsbIdText(UsbId id);

// The USB ids under which CH340 adapters are sold, as the station knows them (res/udev/60-quillon.rules
// has a rule for each).
std::span<const UsbId> Ch340UsbIds();

// A CH340 adapter (known by its USB id) is named "USB-SERIAL CH340 (name)", as its driver names it
// elsewhere; any other port "description (name)".
std::string FriendlyPortName(const std::string& portName, const std::string& description,
                             std::optional<UsbId> usbId);

}  // namespace quillon
