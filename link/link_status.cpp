#include "link/link_status.h"

#include "texts/catalogue.h"

namespace quillon {

std::string DeviceLink::Name() const {
  return usb ? "USB" : port + " " + std::to_string(baud);
}

std::string LinkedText(const DeviceLink& link) {
  return link.usb ? LinkedOverUsbText() : LinkedOnPortText(link.port, link.baud);
}

std::string LookingForDeviceText() {
  return Tr("Looking for the ID writer...");
}

std::string LinkedOverUsbText() {
  return Tr("ID writer linked: USB");
}

std::string LinkedOnPortText(const std::string& portName, int baud) {
  return Tr("ID writer linked: {1} {2}", {portName, std::to_string(baud)});
}

std::string NoDeviceFoundText() {
  // Plugged in and still not found is the set-up around the station: its check of itself says what.
  return Tr(
      "No ID writer found: plug it in (USB, or its CH340 serial adapter). Plugged in? \"Check this "
      "station…\" "
      "in the window's menu (quillon-cli doctor) says what stops it.");
}

std::string NoDeviceOnPortText(const std::string& port) {
  return Tr("No ID writer on {1}: plug it in.", {port});
}

std::string NoLinkText(const std::string& usbUnusableReason, const std::string& serialText) {
  if (usbUnusableReason.empty()) return serialText;
  // Plugging in USB will not help while the library cannot be used.
  const std::string serial =
      serialText == NoDeviceFoundText() ? Tr("No ID writer found on a serial port.") : serialText;
  return Tr("{1}. {2}", {usbUnusableReason, serial});
}

std::string LinkLostText() {
  return Tr("The link to the ID writer was lost: looking for it again...");
}

std::string LinkLostText(const std::optional<SerialFailure>& failure) {
  if (!failure) return LinkLostText();
  return Tr("The link to the ID writer was lost: {1}. Looking for it again...", {FailureWords(*failure)});
}

std::string PortNotUsableText(const std::string& portName, const PortProbe& probe) {
  if (probe.notSerialPort) return Tr("{1}.", {NotSerialPortText(*probe.notSerialPort)});
  switch (probe.availability) {
    case PortAvailability::kBusy:
      if (probe.holder.empty())
        return Tr("ID writer port {1} is busy in another program: close it there.", {portName});
      return Tr("ID writer port {1} is busy in another program ({2}): close it there.",
                {portName, probe.holder});
    case PortAvailability::kUnusable:
      return Tr("ID writer port {1} is not usable: {2}.", {portName, probe.reason});
    default:
      return Tr("ID writer port {1} is {2}.", {portName, AvailabilityWords(probe)});
  }
}

std::string PortNotOpenedText(const std::string& portName) {
  return Tr("ID writer port {1} was found but could not be opened.", {portName});
}

std::string PortNotSetUpText(const std::string& portName) {
  return Tr("ID writer port {1} was opened, but its line settings could not be applied.", {portName});
}

std::string PortNotSetUpText(const std::string& portName, const SerialFailure& failure) {
  // The call and the system's words, not the whole report: the status line has room for two lines.
  return Tr("ID writer port {1} could not be set up: {2}.", {portName, FailureWords(failure)});
}

std::string FailureWords(const SerialFailure& failure) {
  // Windows ends its words with a full stop, which the number after them would leave inside.
  std::string text = failure.text;
  if (!text.empty() && text.back() == '.') text.pop_back();
  return Tr("{1}: {2} ({3})", {failure.call, text, std::to_string(failure.systemError)});
}

namespace {

// What a path that is no serial port is, as the sentence about it names it.
const char* KindWords(NotSerialPortKind kind) {
  switch (kind) {
    case NotSerialPortKind::kRegularFile:
      return Tr("a regular file");
    case NotSerialPortKind::kDirectory:
      return Tr("a directory");
    case NotSerialPortKind::kFifo:
      return Tr("a named pipe (FIFO)");
    case NotSerialPortKind::kSocket:
      return Tr("a socket");
    case NotSerialPortKind::kBlockDevice:
      return Tr("a block device (a disk)");
    case NotSerialPortKind::kOtherDevice:
    case NotSerialPortKind::kNotComPortName:
      return Tr("a device that is not a terminal");
    case NotSerialPortKind::kConsole:
      return Tr("a console");
    case NotSerialPortKind::kOwnTerminal:
      return Tr("this program's own terminal");
  }
  return Tr("something else");
}

}  // namespace

std::string NotSerialPortText(const NotSerialPort& what) {
  if (what.kind == NotSerialPortKind::kNotComPortName) {
    return Tr("{1} is not a serial port: a port is COM1 to COM255 (or \\\\.\\COMn)", {what.path});
  }
  if (what.throughSymlink) {
    return Tr("{1} is a symbolic link to {2}, not a serial port", {what.path, KindWords(what.kind)});
  }
  return Tr("{1} is {2}, not a serial port", {what.path, KindWords(what.kind)});
}

std::string AvailabilityWords(const PortProbe& probe) {
  switch (probe.availability) {
    case PortAvailability::kFree:
      return Tr("free");
    case PortAvailability::kMissing:
      return Tr("gone");
    case PortAvailability::kNoPermission:
      // The package's udev rule gives a known CH340 adapter to the user at the desk; an adapter of
      // another make, or a session from elsewhere, still needs the group.
      return Tr(
          "not open to this user: plug it in again once the quillon package (its udev rule 60-quillon.rules) "
          "is installed, or add the user to the dialout group (sudo usermod -aG dialout $USER), then log in "
          "again");
    case PortAvailability::kBusy:
      return probe.holder.empty() ? std::string(Tr("busy in another program"))
                                  : Tr("busy in another program ({1})", {probe.holder});
    case PortAvailability::kNotSerialPort:
      return probe.notSerialPort ? NotSerialPortText(*probe.notSerialPort) : Tr("not a serial port");
    case PortAvailability::kUnusable:
      return Tr("not usable: {1}", {probe.reason});
  }
  return {};
}

}  // namespace quillon
