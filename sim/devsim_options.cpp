#include "sim/devsim_options.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>

#include "cmdline/command_line.h"
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

// US or US:JITTER, each a number up to `limit`.
std::optional<AnswerDelay> ParseAnswerDelay(const std::string& text, std::uint32_t limit) {
  const std::size_t colon = text.find(':');
  const std::optional<std::uint32_t> delay = ParseNumber(text.substr(0, colon), limit);
  std::optional<std::uint32_t> jitter = 0;
  if (colon != std::string::npos) jitter = ParseNumber(text.substr(colon + 1), limit);
  if (!delay || !jitter) return std::nullopt;
  return AnswerDelay{.delay = std::chrono::microseconds(*delay),
                     .jitter = std::chrono::microseconds(*jitter)};
}

}  // namespace

std::filesystem::path DevicePath(const std::filesystem::path& path, std::uint32_t device,
                                 std::uint32_t devices) {
  if (devices <= 1 || path.empty()) return path;
  std::filesystem::path numbered = path;
  numbered.replace_filename(path.stem().string() + std::to_string(device) + path.extension().string());
  return numbered;
}

PtyDeviceOptions DeviceOptions(const DevsimOptions& options, std::uint32_t device) {
  PtyDeviceOptions own = options.device;
  own.linkPath = DevicePath(options.device.linkPath, device, options.devices);
  own.answerDelay.seed += device - 1;
  return own;
}

std::string DevsimUsage() {
  return "usage: quillon-devsim [OPTION]...\n"
         "Simulates the font writer device on a pseudo-terminal and prints the tty's path on one line.\n"
         "Serves until SIGINT or SIGTERM; SIGUSR1 plugs an unplugged device in again.\n"
         "\n"
         "  --link PATH            keep a symbolic link to the tty at PATH while plugged in\n"
         "  --dump FILE            write the 16 MiB flash image to FILE on exit\n"
         "  --devices N            serve N devices (1..64), each on a tty of its own with its own flash\n"
         "                         and faults; their paths are printed one a line, device 1 first.\n"
         "                         With N > 1, device k's link and dump put k after the name's stem\n"
         "                         (--link /tmp/ttyQ: /tmp/ttyQ1.. ; --dump flash.bin: flash1.bin..),\n"
         "                         and every device only sleeps between its bytes (no waking early)\n"
         "  --baud-delay BAUD      pace every byte as a wire at BAUD would (10 bits per byte)\n"
         "  --answer-delay US[:JITTER]\n"
         "                         start each answer US microseconds, plus 0..JITTER at random, after\n"
         "                         the command's last byte has arrived (as a flash page program takes)\n"
         "  --seed N               seed of the answer delay's jitter (default 1; device k: N+k-1)\n"
         "  --usb-packets          hand over what has crossed the wire as a CH340 adapter does: up to\n"
         "                         32 bytes once per USB frame (without it: each byte as it crosses)\n"
         "  --usb-frame US         the USB frame of --usb-packets in microseconds (default 1000)\n"
         "  --no-reply K           leave the K-th command (1-based, handshake included) unanswered\n"
         "  --corrupt-offset N     invert byte N (0..255) of every page read back\n"
         "  --corrupt-page ADDR    invert it only in the page at ADDR (needs --corrupt-offset)\n"
         "  --unplug-after N       leave the bus as page N+1 begins (N pages written)\n"
         "  --garbage N            send N non-header bytes before every reply frame\n"
         "  --no-handshake         115200-only firmware: never answer the handshake\n"
         "  --lang zh|en           accepted as every program of the station takes it\n"
         "  --help                 show this help and exit\n"
         "\n"
         "Numbers are decimal or hexadecimal with 0x.\n";
}

DevsimParse ParseDevsimOptions(const std::vector<std::string>& arguments) {
  DevsimParse parse;
  DevsimOptions& options = parse.options;
  DeviceFaults& faults = options.device.faults;
  constexpr std::uint32_t kAnyCount = std::numeric_limits<std::uint32_t>::max();
  // More would only flood the line; a few bytes already test the station's resynchronisation.
  constexpr std::uint32_t kMostGarbage = 4096;
  constexpr std::uint32_t kLongestUsbFrame = 1'000'000;
  constexpr std::uint32_t kLongestAnswerDelay = 10'000'000;

  // The numbers, as text: judged below, in the simulator's own words.
  struct NumberOption {
    const char* name;
    std::uint32_t lowest;
    std::uint32_t limit;
    std::string text;
  };
  std::array<NumberOption, 9> numbers = {{
      {"--baud-delay", 0, kAnyCount, {}},
      {"--usb-frame", 1, kLongestUsbFrame, {}},
      {"--no-reply", 0, kAnyCount, {}},
      {"--corrupt-offset", 0, kPageSize - 1, {}},
      {"--corrupt-page", 0, kAddressMask, {}},
      {"--unplug-after", 0, kAnyCount, {}},
      {"--garbage", 0, kMostGarbage, {}},
      {"--devices", 1, kMostDevices, {}},
      {"--seed", 0, kAnyCount, {}},
  }};
  std::string answerDelay;
  std::string link;
  std::string dump;
  bool usbPackets = false;
  CLI::App app("", "quillon-devsim");
  PrepareApp(app);
  app.add_flag("-h,--help", options.help);
  app.add_flag("--no-handshake", faults.handshakeless);
  app.add_flag("--usb-packets", usbPackets);
  app.add_option("--link", link);
  app.add_option("--dump", dump);
  app.add_option("--answer-delay", answerDelay);
  for (NumberOption& number : numbers) app.add_option(number.name, number.text);
  parse.error = Parse(app, arguments);
  if (!parse.error.empty() || options.help) return parse;

  for (const char* name : {"--link", "--dump"}) {
    if (app.count(name) != 0 && (name == std::string("--link") ? link : dump).empty()) {
      parse.error = std::string(name) + " needs a path";
      return parse;
    }
  }
  options.device.linkPath = link;
  options.dumpPath = dump;
  if (usbPackets) options.device.delivery.packetBytes = Delivery::kCh340PacketBytes;

  std::array<std::optional<std::uint32_t>, numbers.size()> values;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const NumberOption& number = numbers[i];
    if (app.count(number.name) == 0) continue;
    values[i] = ParseNumber(number.text, number.limit);
    if (!values[i] || *values[i] < number.lowest) {
      parse.error = std::string(number.name) + ": '" + number.text + "' is not a number from " +
                    std::to_string(number.lowest) + " to " + std::to_string(number.limit);
      return parse;
    }
  }
  const auto& [baud, usbFrame, noReply, corruptOffset, corruptPage, unplugAfter, garbage, devices, seed] =
      values;
  if (app.count("--answer-delay") != 0) {
    const std::optional<AnswerDelay> delay = ParseAnswerDelay(answerDelay, kLongestAnswerDelay);
    if (!delay) {
      parse.error = "--answer-delay: '" + answerDelay + "' is not US or US:JITTER, microseconds from 0 to " +
                    std::to_string(kLongestAnswerDelay);
      return parse;
    }
    options.device.answerDelay = *delay;
  }
  if (seed) options.device.answerDelay.seed = *seed;
  if (devices) options.devices = *devices;
  // Threads that stay awake near their bytes would take a processor each.
  if (options.devices > 1) options.device.wakefulness = Wakefulness::kOnlySleeps;
  if (baud) options.device.emulatedBaud = *baud;
  if (usbFrame) options.device.delivery.usbFrame = std::chrono::microseconds(*usbFrame);
  if (noReply) faults.noReplyTo = *noReply;
  if (unplugAfter) faults.unplugAfterPages = *unplugAfter;
  if (garbage) faults.garbageBeforeReplies = *garbage;
  if (corruptPage && !corruptOffset) {
    parse.error = "--corrupt-page needs --corrupt-offset";
    return parse;
  }
  if (corruptOffset) {
    faults.corruptReadBack = ReadBackCorruption{static_cast<std::uint8_t>(*corruptOffset), corruptPage};
  }
  return parse;
}

}  // namespace quillon::sim
