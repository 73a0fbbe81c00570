#include "front/console/cli_options.h"

#include <charconv>

#include "cmdline/command_line.h"
#include "front/common/exit_codes.h"
#include "link/ports/same_port.h"

namespace quillon::console {
namespace {

constexpr int kLongestWaitSeconds = 24 * 60 * 60;
constexpr std::string_view kCommands = "write verify read ports doctor";

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

using Kind = HelpItem::Kind;

Problem Usage(std::string words) {
  return {ProblemKind::kUsage, std::move(words)};
}

constexpr HelpItem kWrite{
    .kind = Kind::kCommand,
    .names = "write",
    .value = "PACKAGE",
    .text = "press the package's job button once a device is linked, run the job",
};
constexpr HelpItem kRepeat{
    .names = "--repeat",
    .text =
        "production: after each unit wait for the device to be taken away and\n"
        "the next to be linked, and write again, until Ctrl-C",
    .commands = "write",
    .manual = "Ctrl-C, SIGTERM or SIGHUP ends the run after the unit in hand; a second stops now.",
};
constexpr HelpItem kLog{
    .names = "--log",
    .value = "FILE",
    .text = "append one JSON line per unit to FILE",
    .commands = "write",
    .manual = "Only with\n.B \\-\\-repeat\nor a gang, whose lines carry their\n.BR slot .",
};
constexpr HelpItem kJson{
    .names = "--json",
    .text =
        "the station's events as JSON lines on standard output (schema 1):\n"
        "linked, started, progress, ended, idle, removed (and a gang's exited)",
    .commands = "write",
    .manual =
        "One JSON object a line, each with\n.B schema\n(1),\n.B event\nand\n.BR slot :\n"
        ".B linked\n.RB ( link ),\n.B started\n.RB ( unit \", \" pages ),\n"
        ".B progress\nat most every tenth of the job\n.RB ( unit \", \" done \", \" pages \", \" seconds ),\n"
        ".B ended\n.RB ( unit\nand the log's fields),\n.B idle\n"
        "(waiting for the device to be taken away),\n.B removed\n(it was), and in a gang\n.B exited\n"
        ".RB ( code ).",
};
constexpr HelpItem kGang{
    .kind = Kind::kNote,
    .names = "several --port",
    .text =
        "a gang: every device at once, each slot a station of its own, a line\n"
        "per slot; the log has every slot's units, each with its slot",
    .commands = "write",
    .manual =
        "Each slot runs in a process of its own, its line redrawn on a terminal.\n"
        "The exit status is 0 only when every unit of every slot completed; the tally on\n"
        "standard error names the failing slots.",
};
constexpr HelpItem kVerify{
    .kind = Kind::kCommand,
    .names = "verify",
    .value = "PACKAGE",
    .text =
        "read the package's pages back from the device and compare them, without\n"
        "writing anything",
    .manual =
        "The first page that differs is named with the byte, what the device holds and\n"
        "what the package has.",
};
constexpr HelpItem kRead{
    .kind = Kind::kCommand,
    .names = "read",
    .value = "ADDRESS LENGTH",
    .text = "copy the flash from ADDRESS (decimal or 0x hex), whole pages, into a file",
    .manual =
        "The file is the one given with\n.BR \\-\\-out ;\nthe range must lie inside the 24-bit flash and\n"
        ".I LENGTH\nbe at least 1.",
};
constexpr HelpItem kOut{.names = "--out", .value = "FILE", .text = "the file", .commands = "read"};
constexpr HelpItem kFormat{
    .names = "--format",
    .value = "F",
    .text = "raw (an image, the default) or hex (Intel-HEX that write accepts)",
    .commands = "read",
};
constexpr HelpItem kPorts{
    .kind = Kind::kCommand,
    .names = "ports",
    .text =
        "list the USB devices and serial ports the station would search, and\n"
        "whether each port can be opened",
};
constexpr HelpItem kDoctor{
    .kind = Kind::kCommand,
    .names = "doctor",
    .text =
        "check this station's set-up: the CH340 adapters and their driver,\n"
        "brltty, ModemManager, who may open the port, the USB library; with a\n"
        "device, a live round trip that writes nothing",
    .manual =
        "One line a check: a mark (a tick: passed, a cross: failed, a dash: nothing to\n"
        "check), what was checked, what was found and, when something is wrong, what to do. With a\n"
        "device named\n.RB ( \\-\\-port ,\n.BR \\-\\-simulator )\n"
        "or found, the station links it, reads one page back a few times (never the\n"
        "open-job command, never a write) and gives the time of an exchange and the page\n"
        "rate it predicts against what the line allows. The exit status is 0 when no\n"
        "check failed, 1 otherwise.",
};
constexpr HelpItem kDoctorJson{
    .names = "--json",
    .text = "one JSON object a line per check: check, result (pass, fail, none),\nwhat, found, fix",
    .commands = "doctor",
};
constexpr HelpItem kWait{
    .names = "--wait",
    .value = "SECONDS",
    .text = "how long to wait for a device (default 30, doctor 10; --repeat waits\nuntil Ctrl-C)",
    .commands = "write verify read doctor",
};
constexpr HelpItem kQuiet{
    .names = "--quiet", .text = "no finish and error sounds", .commands = "write verify"};
constexpr HelpItem kHelp{.names = "-h,--help", .text = "show this help and exit"};
constexpr HelpItem kVersion{.names = "--version", .text = "show the version and exit"};

// What the command line held, as text: the values are judged below, in the console's own words.
struct GivenArguments {
  bool help = false;
  bool version = false;
  bool quiet = false;
  bool repeat = false;
  bool json = false;
  std::string wait;
  std::string log;
  std::string out;
  std::string format;
  std::string systemRoot;
  int gangSlot = 0;
  std::vector<std::string> words;  // the command's own: a package, or an address and a length
  DeviceOptionValues device;
};

Result<void> TakePackage(const std::string& command, const std::vector<std::string>& words,
                         CliOptions& options) {
  if (words.size() != 1) {
    return Usage(command + " needs one package name");
  }
  options.jobButton = PackageButtonId(words[0]);
  if (options.jobButton == 0) {
    return Usage("unknown package " + words[0]);
  }
  options.package = words[0];
  return {};
}

Result<void> TakeFlashRange(const std::vector<std::string>& words, CliOptions& options) {
  if (words.size() != 2) {
    return Usage("read needs an ADDRESS and a LENGTH");
  }
  const std::optional<std::uint64_t> address = Number(words[0]);
  const std::optional<std::uint64_t> length = Number(words[1]);
  if (!address || !length) {
    return Usage("'" + (address ? words[1] : words[0]) +
                 "' is not a number (decimal, or hexadecimal after 0x)");
  }
  if (*address >= kFlashBytes) {
    return Usage("address " + words[0] + " lies outside the flash (0 to 0xFFFFFF)");
  }
  if (*length == 0) {
    return Usage("LENGTH must be at least 1");
  }
  if (*address + *length > kFlashBytes) {
    return Usage("the range from " + words[0] + " for " + words[1] +
                 " bytes runs past the end of the flash (0xFFFFFF)");
  }
  options.readAddress = static_cast<std::uint32_t>(*address);
  options.readLength = static_cast<std::uint32_t>(*length);
  return {};
}

// write with several --port: every one must be a serial port.
Result<void> TakeGangPorts(const DeviceOptionValues& device, CliOptions& options) {
  if (!device.simulators.empty()) {
    return Usage("a gang is written through --port only, not --simulator");
  }
  for (const std::string& port : device.ports) {
    DeviceChoice choice{DeviceChoice::Source::kPort, port};
    if (port.empty()) {
      return Usage("--port needs the path of a tty");
    }
    if (Result<void> checked = CheckGivenPort(choice); !checked) return checked;
    for (const std::string& taken : options.gangPorts) {
      if (taken == port) {
        return Usage("--port " + port + " is given twice");
      }
      if (SamePort(taken, port)) {
        return Usage("--port " + taken + " and --port " + port + " are the same port: one slot a port");
      }
    }
    options.gangPorts.push_back(port);
  }
  return {};
}

Result<void> TakeValues(const GivenArguments& given, CliOptions& options) {
  const bool gang = options.command == CliCommand::kWrite && given.device.ports.size() > 1;
  if (gang) {
    if (Result<void> taken = TakeGangPorts(given.device, options); !taken) return taken;
  } else {
    Result<DeviceChoice> chosen = ChooseDevice(given.device);
    if (!chosen) return chosen.Failure();
    options.device = *chosen;
    // What is no serial port ends every command that would talk to the device before it starts; ports
    // lists it with what it is, and doctor says so in its check of the port.
    const bool looksOnly = options.command == CliCommand::kPorts || options.command == CliCommand::kDoctor;
    if (!looksOnly) {
      if (Result<void> checked = CheckGivenPort(options.device); !checked) return checked;
    }
  }
  options.json = given.json;
  options.quiet = given.quiet;
  options.repeat = given.repeat;
  options.logPath = given.log;
  options.outPath = given.out;
  if (!given.wait.empty()) {
    const auto seconds = Seconds(given.wait);
    if (!seconds) {
      return Usage("'" + given.wait + "' is not a number of seconds");
    }
    options.waitSeconds = *seconds;
  } else if (options.command == CliCommand::kDoctor) {
    options.waitSeconds = kDoctorWaitSeconds;
  }
  options.systemRoot = given.systemRoot;
  if (!given.format.empty()) {
    if (given.format != "raw" && given.format != "hex") {
      return Usage("--format is raw or hex, not '" + given.format + "'");
    }
    options.format = given.format == "hex" ? ImageFormat::kIntelHex : ImageFormat::kRaw;
  }
  options.gangSlot = given.gangSlot;
  if (!options.logPath.empty() && !options.repeat && !gang && options.gangSlot == 0) {
    return Usage("--log goes with --repeat or with several --port");
  }
  if (options.command == CliCommand::kRead && options.outPath.empty()) {
    return Usage("read needs --out FILE");
  }
  return {};
}

}  // namespace

Result<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments) {
  GivenArguments given;
  CLI::App app("", "quillon-cli");
  PrepareApp(app);
  app.add_flag(std::string(kHelp.names), given.help);
  app.add_flag(std::string(kVersion.names), given.version);
  app.add_flag(std::string(kQuiet.names), given.quiet);
  app.add_option(std::string(kWait.names), given.wait);
  AddDeviceOptions(app, given.device);
  CLI::App* write = AddCommand(app, std::string(kWrite.names));
  write->add_option("package", given.words);
  write->add_flag(std::string(kRepeat.names), given.repeat);
  write->add_option(std::string(kLog.names), given.log);
  write->add_flag(std::string(kJson.names), given.json);
  // A gang's supervisor starts each slot with its number; not for the operator, so not in the help.
  write->add_option("--gang-slot", given.gangSlot);
  CLI::App* verify = AddCommand(app, std::string(kVerify.names));
  verify->add_option("package", given.words);
  CLI::App* read = AddCommand(app, std::string(kRead.names));
  read->add_option("range", given.words);
  read->add_option(std::string(kOut.names), given.out);
  read->add_option(std::string(kFormat.names), given.format);
  CLI::App* ports = AddCommand(app, std::string(kPorts.names));
  ports->add_option("nothing", given.words);
  CLI::App* doctor = AddCommand(app, std::string(kDoctor.names));
  doctor->add_option("nothing", given.words);
  doctor->add_flag(std::string(kDoctorJson.names), given.json);
  // Another system's files, laid out in a folder: for tests and examples, so not in the help.
  doctor->add_option("--system-root", given.systemRoot);
  app.require_subcommand(0, 1);

  const Result<void> parsed = Parse(app, arguments);
  if (given.help || given.version) {
    CliOptions options;
    options.command = given.help ? CliCommand::kHelp : CliCommand::kVersion;
    return options;
  }
  if (!parsed) {
    // A first word that is neither a command nor an option is what the operator got wrong.
    const std::string unknown = UnknownArgument(app);
    if (app.get_subcommands().empty() && !unknown.empty() && !unknown.starts_with("-")) {
      return Usage("unknown command " + unknown);
    }
    return parsed.Failure();
  }
  CliOptions options;
  Result<void> good = Usage("no command given");
  if (write->parsed()) {
    options.command = CliCommand::kWrite;
    good = TakePackage("write", given.words, options);
  } else if (verify->parsed()) {
    options.command = CliCommand::kVerify;
    good = TakePackage("verify", given.words, options);
  } else if (read->parsed()) {
    options.command = CliCommand::kRead;
    good = TakeFlashRange(given.words, options);
  } else if (ports->parsed()) {
    options.command = CliCommand::kPorts;
    good = given.words.empty() ? Result<void>() : Usage("ports takes no argument");
  } else if (doctor->parsed()) {
    options.command = CliCommand::kDoctor;
    good = given.words.empty() ? Result<void>() : Usage("doctor takes no argument");
  }
  if (!good) return good.Failure();
  if (Result<void> taken = TakeValues(given, options); !taken) return taken.Failure();
  return options;
}

ProgramHelp CliHelp() {
  ProgramHelp help{
      "quillon-cli",
      {"write PACKAGE [--repeat [--log FILE]] [--json] [--wait SECONDS] [DEVICE] [--quiet]",
       "write PACKAGE --port PATH --port PATH... [--repeat] [--log FILE] [--json]\n[--wait SECONDS] "
       "[--quiet]",
       "verify PACKAGE [--wait SECONDS] [DEVICE] [--quiet]",
       "read ADDRESS LENGTH --out FILE [--format raw|hex] [--wait SECONDS] [DEVICE]", "ports [DEVICE]",
       "doctor [--json] [--wait SECONDS] [DEVICE]", "--help", "--version"},
      {kWrite, kRepeat, kLog, kJson, kGang, kVerify, kRead, kOut, kFormat, kPorts, kDoctor, kDoctorJson,
       kWait, kQuiet, kLanguageItem, kHelp, kVersion},
  };
  for (const HelpItem& item : DeviceOptionItems(kCommands)) help.items.push_back(item);
  return help;
}

std::string UsageText() {
  const ProgramHelp help = CliHelp();
  std::string text =
      UsageLines(help.program, help.usage) +
      "DEVICE: --port PATH | --simulator[=usb]\n"
      "\n"
      "Writes a font package into the font writer device, page by page, reading every page back.\n"
      "\n" +
      HelpLines(help.items, kCliHelpColumn) + DeviceOptionsNote() +
      "\n"
      "Packages:\n";
  for (const PackageButton& package : Packages()) text += std::string("  ") + package.name + "\n";
  return text + "\n" + ExitCodesText();
}

}  // namespace quillon::console
