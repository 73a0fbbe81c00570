#include "link/ports/serial_port_list.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace quillon {
namespace {

// The USB ids under which CH340 adapters are sold.
constexpr std::array<UsbId, 6> kCh340Ids = {{
    {0x1a86, 0x7523},
    {0x1a86, 0x7522},
    {0x1a86, 0x5523},
    {0x4348, 0x5523},
    {0x9986, 0x7523},
    {0x2184, 0x0057},
}};

}  // namespace

std::string UsbIdText(UsbId id) {
  char text[16];
  std::snprintf(text, sizeof text, "%04x:%04x", static_cast<unsigned>(id.vendor),
                static_cast<unsigned>(id.product));
  return text;
}

std::span<const UsbId> Ch340UsbIds() {
  return kCh340Ids;
}

std::string PortNameInFriendlyName(const std::string& friendlyName) {
  const std::size_t open = friendlyName.find('(');
  const std::size_t start = open == std::string::npos ? 0 : open + 1;
  const std::size_t close = friendlyName.find(')');
  if (close == std::string::npos || close < start) return {};
  return friendlyName.substr(start, close - start);
}

std::string FriendlyPortName(const std::string& portName, const std::string& description,
                             std::optional<UsbId> usbId) {
  const bool ch340 = usbId && std::ranges::any_of(kCh340Ids, [&](const UsbId& id) {
                       return id.vendor == usbId->vendor && id.product == usbId->product;
                     });
  if (ch340) return "USB-SERIAL CH340 (" + portName + ")";
  return (description.empty() ? std::string("Serial port") : description) + " (" + portName + ")";
}

}  // namespace quillon
