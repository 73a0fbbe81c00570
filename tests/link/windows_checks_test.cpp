// The Windows station's checks of its CH340 adapters, against device lists given here: a driver that is
// missing, a port another program holds. They run on Linux and, built for Windows, under Wine.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "link/diagnosis/windows_devices.h"

namespace quillon {
namespace {

class FakeDeviceList final : public WindowsDeviceList {
 public:
  std::vector<WindowsUsbDevice> devices;
  std::map<std::string, PortProbe> probes;  // by port; a port not named here is free

  std::vector<WindowsUsbDevice> Ch340Devices() override { return devices; }
  PortProbe ProbeComPort(const std::string& comPort) override {
    const auto probe = probes.find(comPort);
    return probe != probes.end() ? probe->second : PortProbe{PortAvailability::kFree, {}, {}, {}};
  }
};

std::vector<CheckResult> RunAll(WindowsDeviceList& list) {
  std::vector<CheckResult> results;
  for (const SetupCheck& check : WindowsChecks(list)) {
    for (CheckResult& result : check()) results.push_back(std::move(result));
  }
  return results;
}

TEST(WindowsChecksTest, AnAdapterWithoutItsDriverFailsWithWhereToGetIt) {
  FakeDeviceList list;
  list.devices = {{{0x1a86, 0x7523}, "USB-SERIAL CH340 (COM5)", "COM5"},
                  {{0x1a86, 0x7523}, "USB Serial", ""}};
  const std::vector<CheckResult> results = RunAll(list);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kPass);
  EXPECT_EQ(results[0].what, "CH340 adapter 1a86:7523 (USB-SERIAL CH340 (COM5))");
  EXPECT_EQ(results[1].verdict, CheckVerdict::kFail);
  EXPECT_NE(results[1].found.find("it has no COM port"), std::string::npos) << results[1].found;
  EXPECT_NE(results[1].fix.find("Windows Update"), std::string::npos) << results[1].fix;
  EXPECT_NE(results[1].fix.find("CH341SER"), std::string::npos) << results[1].fix;
  EXPECT_EQ(results[2].what, "Opening COM5");
  EXPECT_EQ(results[2].verdict, CheckVerdict::kPass);

  FakeDeviceList none;
  const std::vector<CheckResult> nothing = RunAll(none);
  ASSERT_EQ(nothing.size(), 1u);
  EXPECT_EQ(nothing[0].verdict, CheckVerdict::kNothingToCheck);
}

TEST(WindowsChecksTest, APortAnotherProgramHoldsFails) {
  FakeDeviceList list;
  list.devices = {{{0x1a86, 0x7523}, "USB-SERIAL CH340 (COM7)", "COM7"}};
  list.probes["COM7"] = {PortAvailability::kBusy, {}, {}, {}};
  const std::vector<CheckResult> results = RunAll(list);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[1].verdict, CheckVerdict::kFail);
  EXPECT_EQ(results[1].found, "another program holds it");
  EXPECT_NE(results[1].fix.find("Close the program that holds it"), std::string::npos) << results[1].fix;
}

}  // namespace
}  // namespace quillon
