#include "front/console/cli_options.h"

#include <charconv>

#include "cmdline/command_line.h"

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

// What the command line held, as text: the values are judged below, in the console's own words.
struct GivenArguments {
  bool help = false;
  bool quiet = false;
  bool repeat = false;
  bool json = false;
  std::string wait;
  std::string log;
  std::string out;
  std::string format;
  std::vector<std::string> words;  // the command's own: a package, or an address and a length
  DeviceOptionValues device;
};

bool TakePackage(const std::string& command, const std::vector<std::string>& words, CliOptions& options,
                 std::string& error) {
  if (words.size() != 1) {
    error = command + " needs one package name";
    return false;
  }
  options.jobButton = PackageButtonId(words[0]);
  if (options.jobButton == 0) {
    error = "unknown package " + words[0];
    return false;
  }
  options.package = words[0];
  return true;
}

bool TakeFlashRange(const std::vector<std::string>& words, CliOptions& options, std::string& error) {
  if (words.size() != 2) {
    error = "read needs an ADDRESS and a LENGTH";
    return false;
  }
  const std::optional<std::uint64_t> address = Number(words[0]);
  const std::optional<std::uint64_t> length = Number(words[1]);
  if (!address || !length) {
    error = "'" + (address ? words[1] : words[0]) + "' is not a number (decimal, or hexadecimal after 0x)";
    return false;
  }
  if (*address >= kFlashBytes) {
    error = "address " + words[0] + " lies outside the flash (0 to 0xFFFFFF)";
    return false;
  }
  if (*length == 0) {
    error = "LENGTH must be at least 1";
    return false;
  }
  if (*address + *length > kFlashBytes) {
    error = "the range from " + words[0] + " for " + words[1] +
            " bytes runs past the end of the flash (0xFFFFFF)";
    return false;
  }
  options.readAddress = static_cast<std::uint32_t>(*address);
  options.readLength = static_cast<std::uint32_t>(*length);
  return true;
}

// write with several --port: every one must be a serial port.
bool TakeGangPorts(const DeviceOptionValues& device, CliOptions& options, std::string& error) {
  if (!device.simulators.empty()) {
    error = "a gang is written through --port only, not --simulator";
    return false;
  }
  for (const std::string& port : device.ports) {
    DeviceChoice choice{DeviceChoice::Source::kPort, port};
    if (port.empty()) {
      error = "--port needs the path of a tty";
      return false;
    }
    if (!CheckGivenPort(choice, error)) return false;
    for (const std::string& taken : options.gangPorts) {
      if (taken == port) {
        error = "--port " + port + " is given twice";
        return false;
      }
    }
    options.gangPorts.push_back(port);
  }
  return true;
}

bool TakeValues(const GivenArguments& given, CliOptions& options, std::string& error) {
  const bool gang = options.command == CliCommand::kWrite && given.device.ports.size() > 1;
  if (gang) {
    if (!TakeGangPorts(given.device, options, error)) return false;
  } else {
    if (!ChooseDevice(given.device, options.device, error)) return false;
    // What is no serial port ends every command that would talk to the device before it starts; ports
    // lists it with what it is.
    if (options.command != CliCommand::kPorts && !CheckGivenPort(options.device, error)) return false;
  }
  options.json = given.json;
  options.quiet = given.quiet;
  options.repeat = given.repeat;
  options.logPath = given.log;
  options.outPath = given.out;
  if (!given.wait.empty()) {
    const auto seconds = Seconds(given.wait);
    if (!seconds) {
      error = "'" + given.wait + "' is not a number of seconds";
      return false;
    }
    options.waitSeconds = *seconds;
  }
  if (!given.format.empty()) {
    if (given.format != "raw" && given.format != "hex") {
      error = "--format is raw or hex, not '" + given.format + "'";
      return false;
    }
    options.format = given.format == "hex" ? ImageFormat::kIntelHex : ImageFormat::kRaw;
  }
  if (!options.logPath.empty() && !options.repeat && !gang) {
    error = "--log goes with --repeat or with several --port";
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
  GivenArguments given;
  CLI::App app("", "quillon-cli");
  PrepareApp(app);
  app.add_flag("-h,--help", given.help);
  app.add_flag("--quiet", given.quiet);
  app.add_option("--wait", given.wait);
  AddDeviceOptions(app, given.device);
  CLI::App* write = AddCommand(app, "write");
  write->add_option("package", given.words);
  write->add_flag("--repeat", given.repeat);
  write->add_option("--log", given.log);
  write->add_flag("--json", given.json);
  CLI::App* verify = AddCommand(app, "verify");
  verify->add_option("package", given.words);
  CLI::App* read = AddCommand(app, "read");
  read->add_option("range", given.words);
  read->add_option("--out", given.out);
  read->add_option("--format", given.format);
  CLI::App* ports = AddCommand(app, "ports");
  ports->add_option("nothing", given.words);
  app.require_subcommand(0, 1);

  error = Parse(app, arguments);
  if (given.help) {
    error.clear();
    return CliOptions{};
  }
  if (!error.empty()) {
    // A first word that is no command is what the operator got wrong.
    if (app.get_subcommands().empty() && error.starts_with(kUnexpectedArgument)) {
      error = "unknown command " + error.substr(kUnexpectedArgument.size());
    }
    return std::nullopt;
  }
  CliOptions options;
  bool good = false;
  if (write->parsed()) {
    options.command = CliCommand::kWrite;
    good = TakePackage("write", given.words, options, error);
  } else if (verify->parsed()) {
    options.command = CliCommand::kVerify;
    good = TakePackage("verify", given.words, options, error);
  } else if (read->parsed()) {
    options.command = CliCommand::kRead;
    good = TakeFlashRange(given.words, options, error);
  } else if (ports->parsed()) {
    options.command = CliCommand::kPorts;
    good = given.words.empty();
    if (!good) error = "ports takes no argument";
  } else {
    error = "no command given";
  }
  if (!good || !TakeValues(given, options, error)) return std::nullopt;
  return options;
}

std::string UsageText() {
  std::string text =
      "Usage: quillon-cli write PACKAGE [--repeat [--log FILE]] [--json] [--wait SECONDS] [DEVICE] "
      "[--quiet]\n"
      "       quillon-cli write PACKAGE --port PATH --port PATH... [--repeat] [--log FILE] [--json]\n"
      "                  [--wait SECONDS] [--quiet]\n"
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
      "    --json           the station's events as JSON lines on standard output (schema 1):\n"
      "                     linked, started, progress, ended, idle (and a gang's exited)\n"
      "    several --port   a gang: every device at once, each slot a station of its own, a line\n"
      "                     per slot; the log has every slot's units, each with its slot\n"
      "  verify PACKAGE     read the package's pages back from the device and compare them, without\n"
      "                     writing anything\n"
      "  read ADDRESS LENGTH  copy the flash from ADDRESS (decimal or 0x hex), whole pages, into a file\n"
      "    --out FILE       the file\n"
      "    --format F       raw (an image, the default) or hex (Intel-HEX that write accepts)\n"
      "  ports              list the USB devices and serial ports the station would search, and\n"
      "                     whether each port can be opened\n"
      "  --wait SECONDS     how long to wait for a device (default 30; --repeat waits until Ctrl-C)\n"
      "  --quiet            no finish and error sounds\n"
      "  --lang zh|en       the language of the station's texts (default: the system's, Chinese\n"
      "                     unless it is English)\n"
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
