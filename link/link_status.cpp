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

std::string NoDeviceOnPortText(const std::string& port) {
  return "No ID writer on " + port + ": plug it in.";
}

std::string NoLinkText(const std::string& usbUnusableReason, const std::string& serialText) {
  if (usbUnusableReason.empty()) return serialText;
  // Plugging in USB will not help while the library cannot be used.
  const std::string serial =
      serialText == NoDeviceFoundText() ? "No ID writer found on a serial port." : serialText;
  return usbUnusableReason + ". " + serial;
}

std::string LinkLostText() {
  return "The link to the ID writer was lost: looking for it again...";
}

std::string LinkLostText(const std::optional<SerialFailure>& failure) {
  if (!failure) return LinkLostText();
  return "The link to the ID writer was lost: " + FailureWords(*failure) + ". Looking for it again...";
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

std::string PortNotSetUpText(const std::string& portName, const SerialFailure& failure) {
  // The call and the system's words, not the whole report: the status line has room for two lines.
  return "ID writer port " + portName + " could not be set up: " + FailureWords(failure) + ".";
}

std::string FailureWords(const SerialFailure& failure) {
  // Windows ends its words with a full stop, which the number after them would leave inside.
  std::string text = failure.text;
  if (!text.empty() && text.back() == '.') text.pop_back();
  return failure.call + ": " + text + " (" + std::to_string(failure.systemError) + ")";
}

namespace {

// What a path that is no serial port is, as the sentence about it names it.
const char* KindWords(NotSerialPortKind kind) {
  switch (kind) {
    case NotSerialPortKind::kRegularFile:
      return "a regular file";
    case NotSerialPortKind::kDirectory:
      return "a directory";
    case NotSerialPortKind::kFifo:
      return "a named pipe (FIFO)";
    case NotSerialPortKind::kSocket:
      return "a socket";
    case NotSerialPortKind::kBlockDevice:
      return "a block device (a disk)";
    case NotSerialPortKind::kOtherDevice:
    case NotSerialPortKind::kNotComPortName:
      return "a device that is not a terminal";
    case NotSerialPortKind::kConsole:
      return "a console";
    case NotSerialPortKind::kOwnTerminal:
      return "this program's own terminal";
  }
  return "something else";
}

}  // namespace

std::string NotSerialPortText(const NotSerialPort& what) {
  if (what.kind == NotSerialPortKind::kNotComPortName) {
    return what.path + " is not a serial port: a port is COM1 to COM255 (or \\\\.\\COMn)";
  }
  return what.path + (what.throughSymlink ? " is a symbolic link to " : " is ") + KindWords(what.kind) +
         ", not a serial port";
}

std::string AvailabilityWords(const PortProbe& probe) {
  switch (probe.availability) {
    case PortAvailability::kFree:
      return "free";
    case PortAvailability::kMissing:
      return "gone";
    case PortAvailability::kNoPermission:
      // The package's udev rule gives a known CH340 adapter to the user at the desk; an adapter of
      // another make, or a session from elsewhere, still needs the group.
      return "not open to this user: plug it in again once the quillon package (its udev rule "
             "60-quillon.rules) is installed, or add the user to the dialout group "
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
