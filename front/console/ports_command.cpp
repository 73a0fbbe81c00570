#include "front/console/ports_command.h"

#include "link/link_status.h"
#include "link/ports/port_probe.h"
#include "link/ports/port_socket_name.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

void ListUsbDevices(UsbBridge& usb, std::FILE* out) {
  const std::string unusable = usb.UnusableReason();
  if (!unusable.empty())
    std::fprintf(out, "%s\n", Tr("USB library\tcannot be used: {1}", {unusable}).c_str());
  std::uint32_t count = 0;
  if (usb.GetNumDevices(&count) != kUsbSuccess) return;  // no bridge library: nothing to list
  for (std::uint32_t index = 0; index < count; ++index) {
    char deviceString[kUsbStringBufferSize] = {};
    const bool readable = usb.GetProductString(index, deviceString, kUsbSerialNumberString) == kUsbSuccess;
    deviceString[kUsbStringBufferSize - 1] = '\0';
    std::fprintf(out, "%s\n",
                 Tr("USB device {1}\t{2}",
                    {std::to_string(index), readable ? deviceString : Tr("(device string unreadable)")})
                     .c_str());
  }
}

}  // namespace

int ListPorts(SerialPortList& ports, UsbBridge& usb, std::FILE* out) {
  ListUsbDevices(usb, out);
  const std::vector<SerialPortEntry> entries = ports.Ports();
  if (entries.empty()) std::fprintf(out, "%s\n", Tr("No serial ports found."));
  for (const SerialPortEntry& entry : entries) {
    std::fprintf(out, "%s\t%s\t%s", entry.friendlyName.c_str(), entry.systemLocation.c_str(),
                 AvailabilityWords(ProbePort(entry.systemLocation)).c_str());
    // A gang's slot stays with its socket under this name, whatever tty number the adapter gets.
    const std::string socketName = PortSocketName(entry.systemLocation);
    if (!socketName.empty()) std::fprintf(out, "\t%s", Tr("socket {1}", {socketName}).c_str());
    std::fputc('\n', out);
  }
  return 0;
}

}  // namespace quillon::console
