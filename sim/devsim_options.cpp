#include "sim/devsim_options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>

#include "sim/flash.h"

namespace quillon::sim {
namespace {

// Decimal, or hexadecimal with 0x, the whole text and nothing but a number in [0, limit].
std::optional<std::uint32_t> ParseNumber(const std::string& text, std::uint32_t limit) {
  if (text.empty() || text.front() == '-' || text.front() == '+' || text.front() == ' ') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || value > limit) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::string DevsimUsage() {
  return "usage: quillon-devsim [OPTION]...\n"
         "Simulates the font writer device on a pseudo-terminal and prints the tty's path on one line.\n"
         "Serves until SIGINT or SIGTERM; SIGUSR1 plugs an unplugged device in again.\n"
         "\n"
         "  --link PATH            keep a symbolic link to the tty at PATH while plugged in\n"
         "  --dump FILE            write the 16 MiB flash image to FILE on exit\n"
         "  --baud-delay BAUD      pace every byte as a wire at BAUD would (10 bits per byte)\n"
         "  --usb-packets          hand over what has crossed the wire as a CH340 adapter does: up to\n"
         "                         32 bytes once per USB frame (without it: each byte as it crosses)\n"
         "  --usb-frame US         the USB frame of --usb-packets in microseconds (default 1000)\n"
         "  --no-reply K           leave the K-th command (1-based, handshake included) unanswered\n"
         "  --corrupt-offset N     invert byte N (0..255) of every page read back\n"
         "  --corrupt-page ADDR    invert it only in the page at ADDR (needs --corrupt-offset)\n"
         "  --unplug-after N       leave the bus as page N+1 begins (N pages written)\n"
         "  --garbage N            send N non-header bytes before every reply frame\n"
         "  --no-handshake         115200-only firmware: never answer the handshake\n"
         "  --help                 show this help and exit\n"
         "\n"
         "Numbers are decimal or hexadecimal with 0x.\n";
}

DevsimParse ParseDevsimOptions(const std::vector<std::string>& arguments) {
  DevsimParse parse;
  DevsimOptions& options = parse.options;
  DeviceFaults& faults = options.device.faults;
  std::optional<std::uint32_t> corruptOffset;
  std::optional<std::uint32_t> corruptPage;
  constexpr std::uint32_t kAnyCount = std::numeric_limits<std::uint32_t>::max();
  // More would only flood the line; a few bytes already test the station's resynchronisation.
  constexpr std::uint32_t kMostGarbage = 4096;
  constexpr std::uint32_t kLongestUsbFrame = 1'000'000;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help") {
      options.help = true;
      continue;
    }
    if (name == "--no-handshake") {
      faults.handshakeless = true;
      continue;
    }
    if (name == "--usb-packets") {
      options.device.delivery.packetBytes = Delivery::kCh340PacketBytes;
      continue;
    }
    const bool takesValue = name == "--link" || name == "--dump" || name == "--baud-delay" ||
                            name == "--no-reply" || name == "--corrupt-offset" || name == "--corrupt-page" ||
                            name == "--unplug-after" || name == "--garbage" || name == "--usb-frame";
    if (!takesValue) {
      parse.error = "unknown option '" + name + "'";
      return parse;
    }
    if (i + 1 == arguments.size()) {
      parse.error = "option '" + name + "' needs a value";
      return parse;
    }
    const std::string& value = arguments[++i];
    if (name == "--link" || name == "--dump") {
      if (value.empty()) {
        parse.error = "option '" + name + "' needs a path";
        return parse;
      }
      (name == "--link" ? options.device.linkPath : options.dumpPath) = value;
      continue;
    }

    const std::uint32_t limit = name == "--usb-frame"        ? kLongestUsbFrame
                                : name == "--corrupt-offset" ? kPageSize - 1
                                : name == "--corrupt-page"   ? kAddressMask
                                : name == "--garbage"        ? kMostGarbage
                                                             : kAnyCount;
    const std::optional<std::uint32_t> number = ParseNumber(value, limit);
    // A USB frame takes at least a microsecond.
    if (!number || (name == "--usb-frame" && *number == 0)) {
      const char* lowest = name == "--usb-frame" ? "1" : "0";
      parse.error = "option '" + name + "': '" + value + "' is not a number from " + lowest + " to " +
                    std::to_string(limit);
      return parse;
    }
    if (name == "--baud-delay") options.device.emulatedBaud = *number;
    if (name == "--usb-frame") options.device.delivery.usbFrame = std::chrono::microseconds(*number);
    if (name == "--no-reply") faults.noReplyTo = *number;
    if (name == "--corrupt-offset") corruptOffset = *number;
    if (name == "--corrupt-page") corruptPage = *number;
    if (name == "--unplug-after") faults.unplugAfterPages = *number;
    if (name == "--garbage") faults.garbageBeforeReplies = *number;
  }

  if (corruptPage && !corruptOffset) {
    parse.error = "option '--corrupt-page' needs '--corrupt-offset'";
    return parse;
  }
  if (corruptOffset) {
    faults.corruptReadBack = ReadBackCorruption{static_cast<std::uint8_t>(*corruptOffset), corruptPage};
  }
  return parse;
}

}  // namespace quillon::sim
