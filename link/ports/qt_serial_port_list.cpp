#include "link/ports/qt_serial_port_list.h"

#include <QSerialPortInfo>

namespace quillon {

std::vector<SerialPortEntry> QtSerialPortList::Ports() {
  std::vector<SerialPortEntry> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    std::optional<UsbId> usbId;
    if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
      usbId = UsbId{info.vendorIdentifier(), info.productIdentifier()};
    }
    const std::string name = info.portName().toStdString();
    ports.push_back({name, info.systemLocation().toStdString(),
                     FriendlyPortName(name, info.description().toStdString(), usbId)});
  }
  return ports;
}

std::unique_ptr<SerialPortList> SystemSerialPorts() {
  return std::make_unique<QtSerialPortList>();
}

}  // namespace quillon
