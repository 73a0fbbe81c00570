// quillon-devsim's command line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cmdline/help_items.h"
#include "sim/pty_device.h"

namespace quillon::sim {

struct DevsimOptions {
  PtyDeviceOptions device;
  std::filesystem::path dumpPath;  // empty: no dump
  bool help = false;
  bool version = false;
};

struct DevsimParse {
  DevsimOptions options;
  std::string error;  // empty when the command line is good
};

DevsimParse ParseDevsimOptions(const std::vector<std::string>& arguments);
// The simulator's options, which its help and its manual page are made from (help_items.h).
ProgramHelp DevsimHelp();
inline constexpr std::size_t kDevsimHelpColumn = 25;
std::string DevsimUsage();

}  // namespace quillon::sim
