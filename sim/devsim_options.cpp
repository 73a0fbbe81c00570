#include "sim/devsim_options.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

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

constexpr HelpItem kLink{
    .names = "--link",
    .value = "PATH",
    .text = "keep a symbolic link to the tty at PATH while plugged in",
};
constexpr HelpItem kDump{
    .names = "--dump", .value = "FILE", .text = "write the 16 MiB flash image to FILE on exit"};
constexpr HelpItem kBaudDelay{
    .names = "--baud-delay",
    .value = "BAUD",
    .text = "pace every byte as a wire at BAUD would (10 bits per byte)",
};
constexpr HelpItem kUsbPackets{
    .names = "--usb-packets",
    .text =
        "hand over what has crossed the wire as a CH340 adapter does: up to\n"
        "32 bytes once per USB frame (without it: each byte as it crosses)",
};
constexpr HelpItem kFifo{
    .names = "--fifo",
    .text =
        "hand over bytes as a UART's receive FIFO does: up to 16 that follow\n"
        "each other together, the last of an answer as soon as it has crossed",
};
constexpr HelpItem kUsbFrame{
    .names = "--usb-frame",
    .value = "US",
    .text = "the USB frame of --usb-packets in microseconds (default 1000)",
};
constexpr HelpItem kNoReply{
    .names = "--no-reply",
    .value = "K",
    .text = "leave the K-th command (1-based, handshake included) unanswered",
};
constexpr HelpItem kCorruptOffset{
    .names = "--corrupt-offset",
    .value = "N",
    .text = "invert byte N (0..255) of every page read back",
};
constexpr HelpItem kCorruptPage{
    .names = "--corrupt-page",
    .value = "ADDR",
    .text = "invert it only in the page at ADDR (needs --corrupt-offset)",
};
constexpr HelpItem kUnplugAfter{
    .names = "--unplug-after",
    .value = "N",
    .text = "leave the bus as page N+1 begins (N pages written)",
};
constexpr HelpItem kGarbage{
    .names = "--garbage",
    .value = "N",
    .text = "send N non-header bytes before every reply frame",
};
constexpr HelpItem kNoHandshake{.names = "--no-handshake",
                                .text = "115200-only firmware: never answer the handshake"};
constexpr HelpItem kHelp{.names = "-h,--help", .text = "show this help and exit"};
constexpr HelpItem kVersion{.names = "--version", .text = "show the version and exit"};

constexpr HelpItem kDevices{
    .names = "--devices",
    .value = "N",
    .text =
        "serve N devices (1..64), each on a tty of its own with its own flash\n"
        "and faults; their paths are printed one a line, device 1 first.\n"
        "With N > 1, device k's link and dump put k after the name's stem\n"
        "(--link /tmp/ttyQ: /tmp/ttyQ1.. ; --dump flash.bin: flash1.bin..),\n"
        "and every device only sleeps between its bytes (no waking early)\n"
        "and, without --usb-packets, hands them over as with --fifo",
};
constexpr HelpItem kAnswerDelay{
    .names = "--answer-delay",
    .value = "US[:JITTER]",
    .text =
        "start each answer US microseconds, plus 0..JITTER at random, after\n"
        "the command's last byte has arrived (as a flash page program takes)",
};
constexpr HelpItem kSeed{
    .names = "--seed",
    .value = "N",
    .text = "seed of the answer delay's jitter (default 1; device k: N+k-1)",
};
}  // namespace

ProgramHelp DevsimHelp() {
  return {
      "quillon-devsim",
      {"[OPTION]..."},
      {kLink, kDump, kDevices, kBaudDelay, kAnswerDelay, kSeed, kFifo, kUsbPackets, kUsbFrame, kNoReply,
       kCorruptOffset, kCorruptPage, kUnplugAfter, kGarbage, kNoHandshake, kLanguageItem, kHelp, kVersion}};
}

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
  const ProgramHelp help = DevsimHelp();
  return UsageLines(help.program, help.usage) +
         "Simulates the font writer device on a pseudo-terminal and prints the tty's path on one line.\n"
         "Serves until SIGINT or SIGTERM; SIGUSR1 plugs an unplugged device in again.\n"
         "\n" +
         HelpLines(help.items, kDevsimHelpColumn) +
         "\n"
         "Numbers are decimal or hexadecimal with 0x.\n";
}

Result<DevsimOptions> ParseDevsimOptions(const std::vector<std::string>& arguments) {
  const auto usage = [](std::string words) { return Problem{ProblemKind::kUsage, std::move(words)}; };
  DevsimOptions options;
  DeviceFaults& faults = options.device.faults;
  constexpr std::uint32_t kAnyCount = std::numeric_limits<std::uint32_t>::max();
  // More would only flood the line; a few bytes already test the station's resynchronisation.
  constexpr std::uint32_t kMostGarbage = 4096;
  constexpr std::uint32_t kLongestUsbFrame = 1'000'000;
  constexpr std::uint32_t kLongestAnswerDelay = 10'000'000;

  // The numbers, as text: judged below, in the simulator's own words.
  struct NumberOption {
    std::string_view name;
    std::uint32_t lowest;
    std::uint32_t limit;
    std::string text;
  };
  std::array<NumberOption, 9> numbers = {{
      {kBaudDelay.names, 0, kAnyCount, {}},
      {kUsbFrame.names, 1, kLongestUsbFrame, {}},
      {kNoReply.names, 0, kAnyCount, {}},
      {kCorruptOffset.names, 0, kPageSize - 1, {}},
      {kCorruptPage.names, 0, kAddressMask, {}},
      {kUnplugAfter.names, 0, kAnyCount, {}},
      {kGarbage.names, 0, kMostGarbage, {}},
      {kDevices.names, 1, kMostDevices, {}},
      {kSeed.names, 0, kAnyCount, {}},
  }};
  std::string answerDelay;
  std::string link;
  std::string dump;
  bool usbPackets = false;
  bool fifo = false;
  CLI::App app("", "quillon-devsim");
  PrepareApp(app);
  app.add_flag(std::string(kHelp.names), options.help);
  app.add_flag(std::string(kVersion.names), options.version);
  app.add_flag(std::string(kNoHandshake.names), faults.handshakeless);
  app.add_flag(std::string(kUsbPackets.names), usbPackets);
  app.add_flag(std::string(kFifo.names), fifo);
  app.add_option(std::string(kLink.names), link);
  app.add_option(std::string(kDump.names), dump);
  app.add_option(std::string(kAnswerDelay.names), answerDelay);
  for (NumberOption& number : numbers) app.add_option(std::string(number.name), number.text);
  if (Result<void> parsed = Parse(app, arguments); !parsed) return parsed.Failure();
  if (options.help || options.version) return options;

  for (const auto& [name, path] : {std::pair{kLink.names, &link}, std::pair{kDump.names, &dump}}) {
    if (app.count(std::string(name)) != 0 && path->empty()) {
      return usage(std::string(name) + " needs a path");
    }
  }
  options.device.linkPath = link;
  options.dumpPath = dump;
  if (usbPackets) options.device.delivery.packetBytes = Delivery::kCh340PacketBytes;

  std::array<std::optional<std::uint32_t>, numbers.size()> values;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const NumberOption& number = numbers[i];
    if (app.count(std::string(number.name)) == 0) continue;
    values[i] = ParseNumber(number.text, number.limit);
    if (!values[i] || *values[i] < number.lowest) {
      return usage(std::string(number.name) + ": '" + number.text + "' is not a number from " +
                   std::to_string(number.lowest) + " to " + std::to_string(number.limit));
    }
  }
  const auto& [baud, usbFrame, noReply, corruptOffset, corruptPage, unplugAfter, garbage, devices, seed] =
      values;
  if (app.count(std::string(kAnswerDelay.names)) != 0) {
    const std::optional<AnswerDelay> delay = ParseAnswerDelay(answerDelay, kLongestAnswerDelay);
    if (!delay) {
      return usage("--answer-delay: '" + answerDelay + "' is not US or US:JITTER, microseconds from 0 to " +
                   std::to_string(kLongestAnswerDelay));
    }
    options.device.answerDelay = *delay;
  }
  if (seed) options.device.answerDelay.seed = *seed;
  if (devices) options.devices = *devices;
  // Threads that stay awake near their bytes would take a processor each, and a wake-up for every
  // byte of many devices costs more than the stations they serve.
  if (options.devices > 1) options.device.wakefulness = Wakefulness::kOnlySleeps;
  if (fifo || options.devices > 1) options.device.delivery.fifoBytes = Delivery::kUartFifoBytes;
  if (baud) options.device.emulatedBaud = *baud;
  if (usbFrame) options.device.delivery.usbFrame = std::chrono::microseconds(*usbFrame);
  if (noReply) faults.noReplyTo = *noReply;
  if (unplugAfter) faults.unplugAfterPages = *unplugAfter;
  if (garbage) faults.garbageBeforeReplies = *garbage;
  if (corruptPage && !corruptOffset) {
    return usage("--corrupt-page needs --corrupt-offset");
  }
  if (corruptOffset) {
    faults.corruptReadBack = ReadBackCorruption{static_cast<std::uint8_t>(*corruptOffset), corruptPage};
  }
  return options;
}

}  // namespace quillon::sim
