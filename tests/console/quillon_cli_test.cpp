// quillon-cli run as a process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

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

}  // namespace
