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
constexpr HelpItem kHelp{.names = "-h,--help", .text = "show this help and exit"};
constexpr HelpItem kVersion{.names = "--version", .text = "show the version and exit"};

}  // namespace

std::optional<WindowOptions> ParseWindowOptions(const std::vector<std::string>& arguments,
                                                std::string& error) {
  WindowOptions options;
  DeviceOptionValues device;
  std::string package;
  CLI::App app("", "quillon");
  PrepareApp(app);
  app.add_flag(std::string(kHelp.names), options.help);
  app.add_flag(std::string(kVersion.names), options.version);
  app.add_option(std::string(kWrite.names), package);
  app.add_option(std::string(kScreenshot.names), options.screenshotFile);
  AddDeviceOptions(app, device);
  error = Parse(app, arguments);
  if (options.help || options.version) {
    error.clear();
    return options;
  }
  if (!error.empty() || !ChooseDevice(device, options.device, error) ||
      !CheckGivenPort(options.device, error)) {
    return std::nullopt;
  }
  if (!package.empty()) {
    options.buttonToPress = PackageButtonId(package);
    if (options.buttonToPress == 0) {
      error = "unknown package " + package;
      return std::nullopt;
    }
  }
  return options;
}

ProgramHelp WindowHelp() {
  ProgramHelp help{"quillon",
                   {"[--port PATH | --simulator[=usb]] [--write PACKAGE] [--screenshot FILE]"},
                   {kWrite, kScreenshot, kLanguageItem, kHelp, kVersion}};
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
