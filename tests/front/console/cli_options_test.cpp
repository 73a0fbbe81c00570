#include "front/console/cli_options.h"

#include <gtest/gtest.h>

#include "front/common/exit_codes.h"
#include "station/dialog_controls.h"

namespace quillon::console {
namespace {

Result<CliOptions> Parse(const std::vector<std::string>& arguments) {
  return ParseCliOptions(arguments);
}

// Why the command line is refused, as the operator reads it; empty when it is not.
std::string Refusal(const std::vector<std::string>& arguments) {
  const Result<CliOptions> options = Parse(arguments);
  if (options) return {};
  EXPECT_EQ(options.Failure().kind, ProblemKind::kUsage);
  return options.Failure().words;
}

TEST(CliOptionsTest, EveryPackageNamePressesItsOwnButton) {
  const std::pair<const char*, int> expected[] = {
      {"chinese", 1001},
      {"korean", 3},
      {"traditional-chinese", 1003},
      {"japanese", 1005},
      {"large-ascii", 1004},
      {"colour240-chinese", 1006},
      {"colour240-english", 1010},
      {"colour128-chinese", 1007},
      {"colour240-korean", 4},
      {"colour240-traditional-chinese", 1008},
  };
  for (const auto& [name, button] : expected) {
    auto options = Parse({"write", name});
    ASSERT_TRUE(options) << name;
    EXPECT_EQ(options->command, CliCommand::kWrite);
    EXPECT_EQ(options->jobButton, button) << name;
    EXPECT_EQ(options->waitSeconds, 30);
  }
  EXPECT_EQ(Packages().size(), 10u);
}

TEST(CliOptionsTest, TheWaitIsTakenInEitherSpelling) {
  EXPECT_EQ(Parse({"write", "korean", "--wait", "5"})->waitSeconds, 5);
  EXPECT_EQ(Parse({"--wait=0", "write", "korean"})->waitSeconds, 0);
}

TEST(CliOptionsTest, PortsTakesNoArgument) {
  EXPECT_EQ(Parse({"ports"})->command, CliCommand::kPorts);
  EXPECT_EQ(Refusal({"ports", "all"}), "ports takes no argument");
}

TEST(CliOptionsTest, HelpWinsOverEverythingElse) {
  EXPECT_EQ(Parse({"write", "nonsense", "--help"})->command, CliCommand::kHelp);
  EXPECT_EQ(Parse({"-h"})->command, CliCommand::kHelp);
  EXPECT_EQ(Parse({"--version", "--help"})->command, CliCommand::kHelp);
  EXPECT_EQ(Parse({"ports", "--version"})->command, CliCommand::kVersion);
}

TEST(CliOptionsTest, MistakesAreRefusedWithTheirReason) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "no command given"},
      {{"write"}, "write needs one package name"},
      {{"write", "chinese", "korean"}, "write needs one package name"},
      {{"write", "Chinese"}, "unknown package Chinese"},
      {{"erase", "chinese"}, "unknown command erase"},
      {{"write", "chinese", "--wait"}, "--wait needs a value"},
      {{"write", "chinese", "--wait", "-3"}, "'-3' is not a number of seconds"},
      {{"write", "chinese", "--wait=soon"}, "'soon' is not a number of seconds"},
      {{"write", "chinese", "--fast"}, "unknown option --fast"},
      {{"write", "chinese", "--simulator=bluetooth"}, "--simulator takes 'serial' or 'usb', not 'bluetooth'"},
      {{"ports", "--port"}, "--port needs a value"},
      {{"ports", "--port="}, "--port needs a value"},
      {{"ports", "--port", ""}, "--port needs the path of a tty"},
      {{"ports", "--simulator", "--simulator=usb"}, "give either --port or --simulator, once"},
      {{"read", "0", "16"}, "read needs --out FILE"},
      {{"read", "0x", "16", "--out", "f"}, "'0x' is not a number (decimal, or hexadecimal after 0x)"},
      {{"read", "0", "16", "--out", "f", "--format", "srec"}, "--format is raw or hex, not 'srec'"},
      {{"verify", "chinese", "--repeat"}, "unknown option --repeat"},
      {{"write", "chinese", "--log", "units.jsonl"}, "--log goes with --repeat or with several --port"},
  };
  for (const auto& [arguments, reason] : cases) EXPECT_EQ(Refusal(arguments), reason);
}

// A serial port's name as the platform writes it; nothing need be there.
#ifdef _WIN32
constexpr char kSomePort[] = "COM5";
#else
constexpr char kSomePort[] = "/dev/ttyACM0";
#endif

TEST(CliOptionsTest, TheDeviceIsRealHardwareUnlessAPortOrTheSimulatorIsNamed) {
  EXPECT_EQ(Parse({"write", "chinese"})->device.source, DeviceChoice::Source::kHardware);
  EXPECT_EQ(Parse({"write", "chinese", "--simulator"})->device.source, DeviceChoice::Source::kSimulator);
  EXPECT_EQ(Parse({"--simulator=serial", "ports"})->device.source, DeviceChoice::Source::kSimulator);
  EXPECT_EQ(Parse({"write", "korean", "--simulator=usb"})->device.source,
            DeviceChoice::Source::kSimulatorUsb);
  const auto port = Parse({"write", "chinese", "--port", kSomePort, "--wait", "5"});
  ASSERT_TRUE(port);
  EXPECT_EQ(port->device.source, DeviceChoice::Source::kPort);
  EXPECT_EQ(port->device.portPath, kSomePort);
  EXPECT_EQ(port->waitSeconds, 5);
  EXPECT_EQ(Parse({"ports", "--port=/tmp/devsim"})->device.portPath, "/tmp/devsim");
}

TEST(CliOptionsTest, TheUsageNamesEveryPackageAndExitCode) {
  const std::string usage = UsageText();
  for (const PackageButton& package : Packages()) EXPECT_NE(usage.find(package.name), std::string::npos);
  EXPECT_NE(usage.find("\nExit codes:\n"), std::string::npos);
  for (const ExitCodeMeaning& exit : kExitCodes) {
    EXPECT_NE(usage.find("\n  " + std::to_string(exit.code) + "  "), std::string::npos) << exit.meaning;
  }
}

}  // namespace
}  // namespace quillon::console
