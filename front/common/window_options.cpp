#include "front/common/window_options.h"

#include "cmdline/command_line.h"
#include "front/common/package_buttons.h"

namespace quillon {

std::optional<WindowOptions> ParseWindowOptions(const std::vector<std::string>& arguments,
                                                std::string& error) {
  WindowOptions options;
  DeviceOptionValues device;
  std::string package;
  CLI::App app("", "quillon");
  PrepareApp(app);
  app.add_flag("-h,--help", options.help);
  app.add_option("--write", package);
  app.add_option("--screenshot", options.screenshotFile);
  AddDeviceOptions(app, device);
  error = Parse(app, arguments);
  if (options.help) {
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

std::string WindowUsage() {
  return std::string(
             "Usage: quillon [--port PATH | --simulator[=usb]] [--write PACKAGE] [--screenshot FILE]\n"
             "The font writer station's window: writes font packages into the device's flash.\n"
             "\n"
             "  --write PACKAGE    press the package's button once a device is linked (as quillon-cli\n"
             "                     names it: chinese, korean, ...), for demonstrations\n"
             "  --screenshot FILE  save the window as a PNG image once it is shown, then exit\n"
             "  --lang zh|en       the language of the window (default: the system's, Chinese unless\n"
             "                     it is English)\n"
             "  --help             show this help and exit\n") +
         DeviceOptionsHelp();
}

}  // namespace quillon
