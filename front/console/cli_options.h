// What quillon-cli was asked to do, read from its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "front/common/device_choice.h"
#include "front/common/package_buttons.h"
#include "texts/problem.h"

namespace quillon::console {

enum class CliCommand { kHelp, kVersion, kWrite, kVerify, kRead, kPorts, kDoctor };
enum class ImageFormat { kRaw, kIntelHex };

// The device's flash: 24-bit addresses.
inline constexpr std::uint32_t kFlashBytes = 0x1000000;

struct CliOptions {
  CliCommand command = CliCommand::kHelp;
  std::string package;   // write and verify: one of the package names below
  int jobButton = 0;     // the button that writes it
  int waitSeconds = 30;  // how long to wait for a device (doctor: kDoctorWaitSeconds)
  DeviceChoice device;
  bool quiet = false;  // no finish and error sounds

  // write: unit after unit until Ctrl-C, each recorded in the log when one is named.
  bool repeat = false;
  std::string logPath;
  // write: the station's events as JSON lines on standard output (job_events.h).
  bool json = false;
  // write with more than one --port: a gang, a slot per port (gang_run.h); `device` is then unused.
  std::vector<std::string> gangPorts;
  // write in a gang's slot: its number (from 1). Its standard input is the supervisor's control pipe,
  // and it keeps its records in the log itself only when the supervisor has gone.
  int gangSlot = 0;

  // read: the flash from readAddress, readLength bytes in whole pages, into outPath.
  std::uint32_t readAddress = 0;
  std::uint32_t readLength = 0;
  std::string outPath;
  ImageFormat format = ImageFormat::kRaw;

  // doctor: the folder the Linux system's files are read from instead of / (for tests and examples).
  std::string systemRoot;
};

// doctor waits less: a device that is plugged in links within a few seconds.
inline constexpr int kDoctorWaitSeconds = 10;

// The options, or the usage problem that stops them.
Result<CliOptions> ParseCliOptions(const std::vector<std::string>& arguments);

// quillon-cli's commands and options, which its help, manual page and completion are made from
// (help_items.h).
ProgramHelp CliHelp();
inline constexpr std::size_t kCliHelpColumn = 21;
std::string UsageText();

}  // namespace quillon::console
