#include "front/common/window_options.h"

#include "cmdline/command_line.h"
#include "front/common/package_buttons.h"

namespace quillon {
namespace {

constexpr HelpItem kWrite{
    .names = "--write",
    .value = "PACKAGE",
    .text =
        "press the package's button once a device is linked (as quillon-cli\n"
        "names it: chinese, korean, ...), for demonstrations",
};
constexpr HelpItem kScreenshot{
    .names = "--screenshot",
    .value = "FILE",
    .text = "save the window as a PNG image once it is shown, then exit",
};
constexpr HelpItem kLine{
    .names = "--line",
    .value = "[PACKAGE]",
    .text =
        "the production view: a tile per slot (each --port), every unit\n"
        "started as it is plugged in; alone, the line of line.json",
    .manual =
        "Settings made in the view (the package, the slots and their labels, the log, the\n"
        "station's name, the supervisor's PIN) are kept in\n.I line.json\nin the working folder.",
};
constexpr HelpItem kLineLog{
    .names = "--log", .value = "FILE", .text = "with --line: the unit log (default units.jsonl)"};
constexpr HelpItem kJson{.names = "--json",
                         .text = "with --line: the slots' events as JSON lines on standard output"};
constexpr HelpItem kHelp{.names = "-h,--help", .text = "show this help and exit"};
constexpr HelpItem kVersion{.names = "--version", .text = "show the version and exit"};

}  // namespace

Result<WindowOptions> ParseWindowOptions(const std::vector<std::string>& arguments) {
  const auto usage = [](std::string words) { return Problem{ProblemKind::kUsage, std::move(words)}; };
  WindowOptions options;
  DeviceOptionValues device;
  std::string package;
  CLI::App app("", "quillon");
  PrepareApp(app);
  app.add_flag(std::string(kHelp.names), options.help);
  app.add_flag(std::string(kVersion.names), options.version);
  app.add_option(std::string(kWrite.names), package);
  app.add_option(std::string(kScreenshot.names), options.screenshotFile);
  CLI::Option* line = app.add_option(std::string(kLine.names), options.linePackage)->expected(0, 1);
  app.add_option(std::string(kLineLog.names), options.lineLog);
  app.add_flag(std::string(kJson.names), options.json);
  AddDeviceOptions(app, device);
  const Result<void> parsed = Parse(app, arguments);
  if (options.help || options.version) return options;
  if (!parsed) return parsed.Failure();
  options.line = line->count() > 0;
  if (options.line) {
    // The slots' ports: as many as the line has, never the simulator.
    if (!device.simulators.empty()) return usage("a line's slots are given with --port, not --simulator");
    options.linePorts = device.ports;
    if (!options.linePackage.empty() && PackageButtonId(options.linePackage) == 0) {
      return usage("unknown package " + options.linePackage);
    }
    return options;
  }
  if (!options.lineLog.empty() || options.json) return usage("--log and --json go with --line");
  Result<DeviceChoice> chosen = ChooseDevice(device);
  if (!chosen) return chosen.Failure();
  options.device = *chosen;
  if (Result<void> checked = CheckGivenPort(options.device); !checked) return checked.Failure();
  if (!package.empty()) {
    options.buttonToPress = PackageButtonId(package);
    if (options.buttonToPress == 0) return usage("unknown package " + package);
  }
  return options;
}

ProgramHelp WindowHelp() {
  ProgramHelp help{"quillon",
                   {"[--port PATH | --simulator[=usb]] [--write PACKAGE] [--screenshot FILE]",
                    "--line [PACKAGE] [--port PATH]... [--log FILE] [--json]"},
                   {kWrite, kScreenshot, kLine, kLineLog, kJson, kLanguageItem, kHelp, kVersion}};
  for (const HelpItem& item : DeviceOptionItems()) help.items.push_back(item);
  return help;
}

std::string WindowUsage() {
  const ProgramHelp help = WindowHelp();
  return UsageLines(help.program, help.usage) +
         "The font writer station's window: writes font packages into the device's flash.\n"
         "\n" +
         HelpLines(help.items, kWindowHelpColumn) + DeviceOptionsNote();
}

}  // namespace quillon
