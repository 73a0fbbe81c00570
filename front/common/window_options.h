// What the station's window was asked for on its command line, the same on Linux and on Windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "front/common/device_choice.h"

namespace quillon {

struct WindowOptions {
  DeviceChoice device;
  // --line: the production view instead of the main window, from the working folder's line.json and
  // what the command line gives (a package, the slots' ports, the log).
  bool line = false;
  std::string linePackage;
  std::vector<std::string> linePorts;
  std::string lineLog;
  bool json = false;           // the line's events on standard output
  int buttonToPress = 0;       // pressed once a device is linked; 0: none
  std::string screenshotFile;  // a PNG of the window as it first shows, then exit; empty: none
  bool help = false;
  bool version = false;
};

// The options (arguments without the program's name), or the usage problem that stops them.
Result<WindowOptions> ParseWindowOptions(const std::vector<std::string>& arguments);

// The window's options, which its help and its manual page are made from (help_items.h).
ProgramHelp WindowHelp();
inline constexpr std::size_t kWindowHelpColumn = 21;
std::string WindowUsage();

}  // namespace quillon
