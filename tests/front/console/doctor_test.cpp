// quillon-cli doctor run as a process: over systems laid out with a fault and without one, and with the
// simulated device for its live round trip. What the operator reads, and the exit code.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "line/json_text.h"
#include "tests/support/fake_system.h"

namespace quillon {
namespace {

struct DoctorRun {
  int exitCode = -1;
  std::vector<std::string> lines;  // standard output's
  bool Has(const std::string& line) const {
    for (const std::string& shown : lines) {
      if (shown == line) return true;
    }
    return false;
  }
  std::string Output() const {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }
};

DoctorRun Doctor(const std::string& arguments) {
  DoctorRun run;
  const std::string command = std::string(QUILLON_CLI_PATH) + " doctor " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::string output;
  std::array<char, 512> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
  return run;
}

TEST(DoctorTest, BrlttysRuleFailsTheRunWithItsFixAndACleanSystemWithoutAdapterPasses) {
  testing::FakeSystem brltty;
  brltty.Write("/usr/lib/udev/rules.d/85-brltty.rules",
               "ENV{PRODUCT}==\"1a86/7523/*\", GOTO=\"brltty_usb_run\"\n");
  const DoctorRun failed = Doctor("--lang en --system-root " + brltty.Root().string());
  EXPECT_EQ(failed.exitCode, 1) << failed.Output();
  EXPECT_TRUE(
      failed.Has("\u2717 brltty claims CH340 adapters (/usr/lib/udev/rules.d/85-brltty.rules): the port "
                 "vanishes after it "
                 "appears (1a86:7523 is in its rule; it is not running). Fix: sudo systemctl mask "
                 "brltty-udev.service, or "
                 "remove the package brltty."))
      << failed.Output();

  const testing::FakeSystem clean;
  const DoctorRun passed = Doctor("--lang en --system-root " + clean.Root().string());
  EXPECT_EQ(passed.exitCode, 0) << passed.Output();
  EXPECT_TRUE(passed.Has("\u2013 CH340 adapters on the USB bus: none is plugged in.")) << passed.Output();
  EXPECT_TRUE(
      passed.Has("\u2013 Link to the ID writer: nothing to link: no adapter with a port, no USB device "
                 "(--port names one)."))
      << passed.Output();
  ASSERT_FALSE(passed.lines.empty());
  EXPECT_TRUE(passed.lines[0].starts_with("\u2713 This station: quillon-cli ")) << passed.lines[0];
}

TEST(DoctorTest, TheSimulatedDeviceGivesTheLiveRoundTripAsJsonOneObjectALine) {
  const testing::FakeSystem clean;
  const DoctorRun run = Doctor("--json --simulator --lang en --system-root " + clean.Root().string());
  EXPECT_EQ(run.exitCode, 0) << run.Output();
  std::vector<std::string> checks;
  for (const std::string& line : run.lines) {
    const std::optional<JsonObject> object = ParseJsonObject(line);
    ASSERT_TRUE(object) << line;
    checks.push_back(object->Value("check"));
    EXPECT_NE(object->Value("result"), "fail") << line;
    if (object->Value("check") == "link") {
      EXPECT_EQ(object->Value("found"), "ttySIM0 at 460800 baud: it answered the handshake") << line;
    }
    if (object->Value("check") == "round-trip") {
      EXPECT_NE(object->Value("found").find("a writing job should reach"), std::string::npos) << line;
    }
  }
  EXPECT_EQ(checks.front(), "station");
  EXPECT_EQ(checks.back(), "round-trip");
}

TEST(DoctorTest, APortThatIsNoSerialPortFailsItsCheckAndIsNotLinked) {
  const testing::FakeSystem clean;
  const DoctorRun run = Doctor("--lang en --port /dev/null --system-root " + clean.Root().string());
  EXPECT_EQ(run.exitCode, 1) << run.Output();
  EXPECT_TRUE(
      run.Has("\u2717 Opening /dev/null: /dev/null is a device that is not a terminal, not a serial port. "
              "Fix: Name the adapter's serial port."))
      << run.Output();
}

}  // namespace
}  // namespace quillon
