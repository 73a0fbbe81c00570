// quillon-devsim's command line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cmdline/help_items.h"
#include "sim/pty_device.h"
#include "texts/problem.h"

namespace quillon::sim {

struct DevsimOptions {
  PtyDeviceOptions device;         // every device's; each has its own flash, faults and seed
  std::filesystem::path dumpPath;  // empty: no dump
  std::uint32_t devices = 1;
  bool help = false;
  bool version = false;
};

inline constexpr std::uint32_t kMostDevices = 64;

// Device k's (1-based) file among `devices`: the path itself for one device, else k follows the file's
// stem: /tmp/ttyQ -> /tmp/ttyQ1, flash.bin -> flash1.bin.
std::filesystem::path DevicePath(const std::filesystem::path& path, std::uint32_t device,
                                 std::uint32_t devices);
// Device k's own options: its link, and a seed of its own, so that no two draw the same delays.
PtyDeviceOptions DeviceOptions(const DevsimOptions& options, std::uint32_t device);

// The options, or the usage problem that stops them.
Result<DevsimOptions> ParseDevsimOptions(const std::vector<std::string>& arguments);
// The simulator's options, which its help and its manual page are made from (help_items.h).
ProgramHelp DevsimHelp();
inline constexpr std::size_t kDevsimHelpColumn = 25;
std::string DevsimUsage();

}  // namespace quillon::sim
