#include "app/console/cli_options.h"

#include <charconv>

namespace quillon::console {
namespace {

constexpr int kLongestWaitSeconds = 24 * 60 * 60;

std::optional<int> Seconds(const std::string& text) {
  int value = 0;
  auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (problem != std::errc() || end != text.data() + text.size() || value < 0 ||
      value > kLongestWaitSeconds) {
    return std::nullopt;
  }
  return value;
}

// Decimal, or hexadecimal after 0x; nothing else, and nothing beyond 32 bits.
std::optional<std::uint64_t> Number(const std::string& text) {
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  std::uint64_t value = 0;
  auto [end, problem] = std::from_chars(first, last, value, hex ? 16 : 10);
  if (first == last || problem != std::errc() || end != last || value > 0xFFFFFFFFu) return std::nullopt;
  return value;
}

// An option's value, given as "--name VALUE" or "--name=VALUE"; arguments[i] is the option.
enum class ValueMatch { kNotThisOption, kTaken, kMissing };
ValueMatch TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
                     std::string& value) {
  const std::string& argument = arguments[i];
  if (argument.starts_with(name + "=")) {
    value = argument.substr(name.size() + 1);
    return ValueMatch::kTaken;
  }
  if (argument != name) return ValueMatch::kNotThisOption;
  if (i + 1 == arguments.size()) return ValueMatch::kMissing;
  value = arguments[++i];
  return ValueMatch::kTaken;
}

bool TakePackage(const std::vector<std::string>& words, CliOptions& options, std::string& error) {
  if (words.size() != 2) {
    error = words[0] + " needs one package name";
    return false;
  }
  options.jobButton = PackageButtonId(words[1]);
  if (options.jobButton == 0) {
    error = "unknown package " + words[1];
    return false;
  }
  options.package = words[1];
  return true;
}

bool TakeFlashRange(const std::vector<std::string>& words, CliOptions& options, std::string& error) {
  if (words.size() != 3) {
    error = "read needs an ADDRESS and a LENGTH";
    return false;
  }
  const std::optional<std::uint64_t> address = Number(words[1]);
  const std::optional<std::uint64_t> length = Number(words[2]);
  if (!address || !length) {
    error = "'" + (address ? words[2] : words[1]) + "' is not a number (decimal, or hexadecimal after 0x)";
    return false;
  }
  if (*address >= kFlashBytes) {
    error = "address " + words[1] + " lies outside the flash (0 to 0xFFFFFF)";
    return false;
  }
  if (*length == 0) {
    error = "LENGTH must be at least 1";
    return false;
  }
  if (*address + *length > kFlashBytes) {
    error = "the range from " + words[1] + " for " + words[2] +
            " bytes runs past the end of the flash (0xFFFFFF)";
    return false;
  }
  options.readAddress = static_cast<std::uint32_t>(*address);
  options.readLength = static_cast<std::uint32_t>(*length);
  return true;
}

// The options that belong to one command only.
bool CheckOptionsFitCommand(const CliOptions& options, std::string& error) {
  if (options.command != CliCommand::kWrite && (options.repeat || !options.logPath.empty())) {
    error = "--repeat and --log go with write";
    return false;
  }
  if (!options.logPath.empty() && !options.repeat) {
    error = "--log goes with --repeat";
    return false;
  }
  if (options.command != CliCommand::kRead && !options.outPath.empty()) {
    error = "--out and --format go with read";
    return false;
  }
  if (options.command == CliCommand::kRead && options.outPath.empty()) {
    error = "read needs --out FILE";
    return false;
  }
  return true;
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments, std::string& error) {
  CliOptions options;
  std::vector<std::string> words;
  bool formatGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") return CliOptions{};
    switch (TakeDeviceOption(arguments, i, options.device, error)) {
      case DeviceOptionMatch::kTaken:
        continue;
      case DeviceOptionMatch::kMalformed:
        return std::nullopt;
      case DeviceOptionMatch::kNotDeviceOption:
        break;
    }
    if (argument == "--repeat") {
      options.repeat = true;
      continue;
    }
    if (argument == "--quiet") {
      options.quiet = true;
      continue;
    }
    std::string value;
    bool taken = false;
    struct ValueOption {
      const char* name;
      const char* missing;  // what to say when the value is not there
    };
    for (const auto [name, missing] :
         {ValueOption{"--wait", "a number of seconds"}, ValueOption{"--log", "a file"},
          ValueOption{"--out", "a file"}, ValueOption{"--format", "raw or hex"}}) {
      const ValueMatch match = TakeValue(arguments, i, name, value);
      if (match == ValueMatch::kMissing) {
        error = std::string(name) + " needs " + missing;
        return std::nullopt;
      }
      if (match == ValueMatch::kNotThisOption) continue;
      taken = true;
      const std::string option = name;
      if (option == "--wait") {
        const auto seconds = Seconds(value);
        if (!seconds) {
          error = "'" + value + "' is not a number of seconds";
          return std::nullopt;
        }
        options.waitSeconds = *seconds;
      } else if (option == "--log") {
        options.logPath = value;
      } else if (option == "--out") {
        options.outPath = value;
      } else if (value == "raw" || value == "hex") {
        options.format = value == "hex" ? ImageFormat::kIntelHex : ImageFormat::kRaw;
        formatGiven = true;
      } else {
        error = "--format is raw or hex, not '" + value + "'";
        return std::nullopt;
      }
      break;
    }
    if (taken) continue;
    if (argument.starts_with("-")) {
      error = "unknown option " + argument;
      return std::nullopt;
    }
    words.push_back(argument);
  }

  if (words.empty()) {
    error = "no command given";
    return std::nullopt;
  }
  const std::string& command = words[0];
  bool good = false;
  if (command == "ports") {
    options.command = CliCommand::kPorts;
    good = words.size() == 1;
    if (!good) error = "ports takes no argument";
  } else if (command == "write" || command == "verify") {
    options.command = command == "write" ? CliCommand::kWrite : CliCommand::kVerify;
    good = TakePackage(words, options, error);
  } else if (command == "read") {
    options.command = CliCommand::kRead;
    good = TakeFlashRange(words, options, error);
  } else {
    error = "unknown command " + command;
  }
  if (good && formatGiven && options.command != CliCommand::kRead) {
    error = "--out and --format go with read";
    good = false;
  }
  if (!good || !CheckOptionsFitCommand(options, error)) return std::nullopt;
  return options;
}

std::string UsageText() {
  std::string text =
      "Usage: quillon-cli write PACKAGE [--repeat [--log FILE]] [--wait SECONDS] [DEVICE] [--quiet]\n"
      "       quillon-cli verify PACKAGE [--wait SECONDS] [DEVICE] [--quiet]\n"
      "       quillon-cli read ADDRESS LENGTH --out FILE [--format raw|hex] [--wait SECONDS] [DEVICE]\n"
      "       quillon-cli ports [DEVICE]\n"
      "       quillon-cli --help\n"
      "DEVICE: --port PATH | --simulator[=usb]\n"
      "\n"
      "Writes a font package into the font writer device, page by page, reading every page back.\n"
      "\n"
      "  write PACKAGE      press the package's job button once a device is linked, run the job\n"
      "    --repeat         production: after each unit wait for the device to be taken away and\n"
      "                     the next to be linked, and write again, until Ctrl-C\n"
      "    --log FILE       append one JSON line per unit to FILE\n"
      "  verify PACKAGE     read the package's pages back from the device and compare them, without\n"
      "                     writing anything\n"
      "  read ADDRESS LENGTH  copy the flash from ADDRESS (decimal or 0x hex), whole pages, into a file\n"
      "    --out FILE       the file\n"
      "    --format F       raw (an image, the default) or hex (Intel-HEX that write accepts)\n"
      "  ports              list the USB devices and serial ports the station would search, and\n"
      "                     whether each port can be opened\n"
      "  --wait SECONDS     how long to wait for a device (default 30; --repeat waits until Ctrl-C)\n"
      "  --quiet            no finish and error sounds\n"
      "  --help             this text\n";
  text += DeviceOptionsHelp();
  text +=
      "\n"
      "Packages:\n";
  for (const PackageButton& package : Packages()) text += std::string("  ") + package.name + "\n";
  text +=
      "\n"
      "Exit codes: 0 done (written, all pages match, read), 1 the job failed, a page differs or the\n"
      "link failed (with --repeat: a unit failed), 2 usage, 3 input file missing or refused, or an\n"
      "output file that cannot be written, 4 no device within the wait.\n";
  return text;
}

}  // namespace quillon::console
