#include "link/diagnosis/ch340_adapters.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace quillon {
namespace {

constexpr char kUsbDevices[] = "/sys/bus/usb/devices/";

std::optional<std::uint16_t> HexWord(const std::optional<std::string>& text) {
  if (!text || text->empty()) return std::nullopt;
  unsigned value = 0;
  const auto [end, problem] = std::from_chars(text->data(), text->data() + text->size(), value, 16);
  if (problem != std::errc() || end != text->data() + text->size() || value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

bool IsCh340(UsbId id) {
  return std::ranges::any_of(Ch340UsbIds(), [&](const UsbId& known) {
    return known.vendor == id.vendor && known.product == id.product;
  });
}

// The tty a serial driver made under one of the device's interfaces: usb-serial drivers (ch341) put
// ttyUSB0 right there, cdc-acm puts it in a tty folder.
void FindTty(const SystemRoot& root, const std::string& device, Ch340Adapter& adapter) {
  for (const std::string& interface : root.Names(device)) {
    if (!interface.starts_with(adapter.busPort + ":")) continue;
    const std::string folder = device + "/" + interface;
    for (const std::string& name : root.Names(folder)) {
      std::string ttyFolder;
      if (name == "tty") {
        const std::vector<std::string> ttys = root.Names(folder + "/tty");
        if (ttys.empty()) continue;
        adapter.tty = ttys.front();
        ttyFolder = folder + "/tty/" + adapter.tty;
      } else if (name.starts_with("tty")) {
        adapter.tty = name;
        ttyFolder = folder + "/" + name + "/tty/" + name;
      } else {
        continue;
      }
      adapter.deviceNumber = root.ReadLine(ttyFolder + "/dev").value_or("");
      return;
    }
  }
}

}  // namespace

std::vector<Ch340Adapter> FindCh340Adapters(const SystemRoot& root) {
  std::vector<Ch340Adapter> adapters;
  for (const std::string& name : root.Names(kUsbDevices)) {
    // Interfaces ("1-1.2:1.0") and root hubs have no adapter's id.
    if (name.find(':') != std::string::npos) continue;
    const std::string device = kUsbDevices + name;
    const std::optional<std::uint16_t> vendor = HexWord(root.ReadLine(device + "/idVendor"));
    const std::optional<std::uint16_t> product = HexWord(root.ReadLine(device + "/idProduct"));
    if (!vendor || !product || !IsCh340({*vendor, *product})) continue;
    Ch340Adapter adapter{.busPort = name, .id = {*vendor, *product}};
    FindTty(root, device, adapter);
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

}  // namespace quillon
