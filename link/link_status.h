// The words of the status line under the job buttons: which link is up, or why none is, put so that an
// operator knows what to do. `quillon-cli` prints the same words.
#pragma once

#include <optional>
#include <string>

#include "link/ports/port_probe.h"
#include "link/serial/serial_failure.h"

namespace quillon {

// The link that is up, as a value for whoever records it: the same in every language.
struct DeviceLink {
  bool usb = false;
  std::string port;  // the serial port's name ("ttyUSB0", "COM5"); empty over USB
  int baud = 0;
  // "USB", or the port and its speed: "ttyUSB0 460800", as the unit log and --json keep it.
  std::string Name() const;
  bool operator==(const DeviceLink&) const = default;
};

std::string LookingForDeviceText();
// The status line's words for the link: "ID writer linked: ttyUSB0 460800".
std::string LinkedText(const DeviceLink& link);
std::string LinkedOverUsbText();
std::string LinkedOnPortText(const std::string& portName, int baud);
std::string NoDeviceFoundText();
// The same when the operator named the port (--port): "No ID writer on /dev/ttyUSB3: plug it in."
std::string NoDeviceOnPortText(const std::string& port);
std::string LinkLostText();
// The same, with the driver's failure that took the link down when there was one.
std::string LinkLostText(const std::optional<SerialFailure>& failure);
// The status when no link came up, led by why the USB library that is there cannot be used, if it is.
std::string NoLinkText(const std::string& usbUnusableReason, const std::string& serialText);
// A port the search found but could not take.
std::string PortNotUsableText(const std::string& portName, const PortProbe& probe);
std::string PortNotOpenedText(const std::string& portName);
std::string PortNotSetUpText(const std::string& portName);
// A port that opened but failed a setup step: "ID writer port ttyUSB0 could not be set up: tcsetattr():
// Invalid argument (22)."
std::string PortNotSetUpText(const std::string& portName, const SerialFailure& failure);
// "tcsetattr(): Invalid argument (22)"
std::string FailureWords(const SerialFailure& failure);
// "flash.txt is a regular file, not a serial port"
std::string NotSerialPortText(const NotSerialPort& what);
// The state of a port in a listing: "free", "busy in another program (minicom, pid 4242)", ...
std::string AvailabilityWords(const PortProbe& probe);

}  // namespace quillon
