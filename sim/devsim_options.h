// quillon-devsim's command line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/pty_device.h"

namespace quillon::sim {

struct DevsimOptions {
  PtyDeviceOptions device;
  std::filesystem::path dumpPath;  // empty: no dump
  bool help = false;
};

struct DevsimParse {
  DevsimOptions options;
  std::string error;  // empty when the command line is good
};

DevsimParse ParseDevsimOptions(const std::vector<std::string>& arguments);
std::string DevsimUsage();

}  // namespace quillon::sim
