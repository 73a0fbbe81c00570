#include "link/link_status.h"

namespace quillon {

std::string LookingForDeviceText() {
  return "Looking for the ID writer...";
}

std::string LinkedOverUsbText() {
  return "ID writer linked: USB";
}

std::string LinkedOnPortText(const std::string& portName, int baud) {
  return "ID writer linked: " + portName + " " + std::to_string(baud);
}

std::string NoDeviceFoundText() {
  return "No ID writer found: plug it in (USB, or its CH340 serial adapter).";
}

std::string LinkLostText() {
  return "The link to the ID writer was lost: looking for it again...";
}

std::string PortNotUsableText(const std::string& portName, const PortProbe& probe) {
  if (probe.notSerialPort) return NotSerialPortText(*probe.notSerialPort) + ".";
  std::string text = "ID writer port " + portName + " is " + AvailabilityWords(probe);
  if (probe.availability == PortAvailability::kBusy) text += ": close it there";
  return text + ".";
}

std::string PortNotOpenedText(const std::string& portName) {
  return "ID writer port " + portName + " was found but could not be opened.";
}

std::string PortNotSetUpText(const std::string& portName) {
  return "ID writer port " + portName + " was opened, but its line settings could not be applied.";
}

std::string NotSerialPortText(const NotSerialPort& what) {
  std::string text = what.path + (what.throughSymlink ? " is a symbolic link to " : " is ");
  switch (what.kind) {
    case NotSerialPortKind::kRegularFile:
      return text + "a regular file, not a serial port";
    case NotSerialPortKind::kDirectory:
      return text + "a directory, not a serial port";
    case NotSerialPortKind::kFifo:
      return text + "a named pipe (FIFO), not a serial port";
    case NotSerialPortKind::kSocket:
      return text + "a socket, not a serial port";
    case NotSerialPortKind::kBlockDevice:
      return text + "a block device (a disk), not a serial port";
    case NotSerialPortKind::kOtherDevice:
      return text + "a device that is not a terminal, not a serial port";
    case NotSerialPortKind::kConsole:
      return text + "a console, not a serial port";
    case NotSerialPortKind::kOwnTerminal:
      return text + "this program's own terminal, not a serial port";
    case NotSerialPortKind::kNotComPortName:
      return what.path + " is not a serial port: a port is COM1 to COM255 (or \\\\.\\COMn)";
  }
  return text + "not a serial port";
}

std::string AvailabilityWords(const PortProbe& probe) {
  switch (probe.availability) {
    case PortAvailability::kFree:
      return "free";
    case PortAvailability::kMissing:
      return "gone";
    case PortAvailability::kNoPermission:
      return "not open to this user: add the user to the dialout group "
             "(sudo usermod -aG dialout $USER), then log in again";
    case PortAvailability::kBusy:
      return probe.holder.empty() ? "busy in another program"
                                  : "busy in another program (" + probe.holder + ")";
    case PortAvailability::kNotSerialPort:
      return probe.notSerialPort ? NotSerialPortText(*probe.notSerialPort) : "not a serial port";
    case PortAvailability::kUnusable:
      return "not usable: " + probe.reason;
  }
  return {};
}

}  // namespace quillon
