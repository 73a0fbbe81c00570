// quillon-cli run as a process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "sim/pty_device.h"
#include "tests/support/scratch_directory.h"

namespace quillon {
namespace {

struct CliRun {
  int exitCode = -1;
  std::string output;  // standard output and error together
};

CliRun RunCli(const std::string& arguments) {
  CliRun run;
  const std::string command = std::string(QUILLON_CLI_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.output += buffer.data();
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(QuillonCliTest, HelpListsTheCommandsAndSucceeds) {
  CliRun run = RunCli("--help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("Usage: quillon-cli write PACKAGE"), std::string::npos);
}

TEST(QuillonCliTest, PortsListsWhatTheSystemHasAndSucceeds) {
  CliRun run = RunCli("ports");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.output.empty());
}

TEST(QuillonCliTest, AMistakeIsAUsageError) {
  CliRun run = RunCli("write no-such-package");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("unknown package no-such-package"), std::string::npos);
}

TEST(QuillonCliTest, WithoutADeviceTheWaitEndsWithItsOwnExitCode) {
  CliRun run = RunCli("write chinese --wait 0");
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.output.find("No ID writer device was linked within 0 s"), std::string::npos);
}

TEST(QuillonCliTest, PortsListsATtyGivenWithPortAsTheCh340Port) {
  testing::ScratchWorkingDirectory scratch;
  const std::string tty = (scratch.Path() / "ttyBENCH").string();
  std::string error;
  auto device = sim::PtyDevice::Create({.linkPath = tty}, error);
  ASSERT_NE(device, nullptr) << error;
  CliRun run = RunCli("ports --port " + tty);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("USB-SERIAL CH340 (ttyBENCH)\t" + tty + "\tfree\n"), std::string::npos)
      << run.output;

  device.reset();  // the tty is gone: nothing to list
  run = RunCli("ports --port " + tty);
  EXPECT_NE(run.output.find("No serial ports found."), std::string::npos) << run.output;
}

TEST(QuillonCliTest, WriteReachesTheBuiltInSimulatorAndSaysWhichLinkIsUp) {
  testing::ScratchWorkingDirectory scratch;
  CliRun run = RunCli("write chinese --simulator --wait 20");
  EXPECT_NE(run.exitCode, 4) << run.output;
  EXPECT_NE(run.output.find("Looking for the ID writer..."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("ID writer linked: ttySIM0 460800"), std::string::npos) << run.output;
}

TEST(QuillonCliTest, DeviceOptionsAreCheckedLikeEveryOther) {
  EXPECT_EQ(RunCli("write chinese --simulator=bluetooth").exitCode, 2);
  EXPECT_EQ(RunCli("write chinese --port").exitCode, 2);
  CliRun both = RunCli("ports --port /dev/ttyUSB0 --simulator");
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_NE(both.output.find("give either --port or --simulator, once"), std::string::npos);
}

}  // namespace
}  // namespace quillon
