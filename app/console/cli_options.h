// What quillon-cli was asked to do, read from its command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/device_choice.h"
#include "app/package_buttons.h"

namespace quillon::console {

enum class CliCommand { kHelp, kWrite, kPorts };

struct CliOptions {
  CliCommand command = CliCommand::kHelp;
  std::string package;   // for write: one of the package names below
  int jobButton = 0;     // the button that writes it
  int waitSeconds = 30;  // how long to wait for a device
  DeviceChoice device;
};

// The options, or nothing with the reason in `error`.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments, std::string& error);

std::string UsageText();

}  // namespace quillon::console
