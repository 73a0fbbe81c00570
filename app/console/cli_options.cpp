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

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments, std::string& error) {
  CliOptions options;
  std::vector<std::string> words;
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
    if (argument == "--wait" || argument.starts_with("--wait=")) {
      std::string value;
      if (argument == "--wait") {
        if (i + 1 == arguments.size()) {
          error = "--wait needs a number of seconds";
          return std::nullopt;
        }
        value = arguments[++i];
      } else {
        value = argument.substr(7);
      }
      auto seconds = Seconds(value);
      if (!seconds) {
        error = "'" + value + "' is not a number of seconds";
        return std::nullopt;
      }
      options.waitSeconds = *seconds;
    } else if (argument.starts_with("-")) {
      error = "unknown option " + argument;
      return std::nullopt;
    } else {
      words.push_back(argument);
    }
  }

  if (words.empty()) {
    error = "no command given";
    return std::nullopt;
  }
  if (words[0] == "ports") {
    if (words.size() != 1) {
      error = "ports takes no argument";
      return std::nullopt;
    }
    options.command = CliCommand::kPorts;
    return options;
  }
  if (words[0] != "write") {
    error = "unknown command " + words[0];
    return std::nullopt;
  }
  if (words.size() != 2) {
    error = "write needs one package name";
    return std::nullopt;
  }
  options.jobButton = PackageButtonId(words[1]);
  if (options.jobButton == 0) {
    error = "unknown package " + words[1];
    return std::nullopt;
  }
  options.command = CliCommand::kWrite;
  options.package = words[1];
  return options;
}

std::string UsageText() {
  std::string text =
      "Usage: quillon-cli write PACKAGE [--wait SECONDS] [--port PATH | --simulator[=usb]]\n"
      "       quillon-cli ports [--port PATH | --simulator[=usb]]\n"
      "       quillon-cli --help\n"
      "\n"
      "Writes a font package into the font writer device, page by page, reading every page back.\n"
      "\n"
      "  write PACKAGE      press the package's job button once a device is linked, run the job\n"
      "  ports              list the USB devices and serial ports the station would search, and\n"
      "                     whether each port can be opened\n"
      "  --wait SECONDS     how long to wait for a device (default 30)\n"
      "  --help             this text\n";
  text += DeviceOptionsHelp();
  text +=
      "\n"
      "Packages:\n";
  for (const PackageButton& package : Packages()) text += std::string("  ") + package.name + "\n";
  text +=
      "\n"
      "Exit codes: 0 write complete, 1 the job failed, 2 usage, 3 input file missing or refused,\n"
      "4 no device within the wait.\n";
  return text;
}

}  // namespace quillon::console
