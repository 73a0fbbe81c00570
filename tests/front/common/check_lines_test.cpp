// The checks' results as the operator reads them, in either language.
#include <gtest/gtest.h>

#include "front/common/check_lines.h"
#include "front/common/station_check.h"

namespace quillon {
namespace {

const CheckResult kBrltty{"brltty", CheckVerdict::kFail,
                          "brltty claims CH340 adapters (/usr/lib/udev/rules.d/85-brltty.rules)",
                          "the port vanishes after it appears",
                          "sudo systemctl mask brltty-udev.service, or remove the package brltty."};

TEST(CheckLinesTest, EachLineHasItsMarkWhatWasFoundAndTheFixWhenOneFailed) {
  EXPECT_EQ(
      CheckLine(kBrltty),
      "\u2717 brltty claims CH340 adapters (/usr/lib/udev/rules.d/85-brltty.rules): the port vanishes after "
      "it appears. Fix: sudo systemctl mask brltty-udev.service, or remove the package brltty.");
  EXPECT_EQ(CheckLine({"modem-manager", CheckVerdict::kPass, "ModemManager", "it is not running", {}}),
            "\u2713 ModemManager: it is not running.");
  EXPECT_EQ(CheckLine(NoDeviceToTry()),
            "\u2013 Link to the ID writer: nothing to link: no adapter with a port, no USB device (--port "
            "names one).");

  SetLanguage(Language::kChinese);
  const std::string chinese = CheckLine(NoDeviceToTry());
  SetLanguage(Language::kEnglish);
  EXPECT_TRUE(chinese.starts_with("\u2013 ")) << chinese;
  EXPECT_EQ(chinese.find("Link to the ID writer"), std::string::npos) << chinese;
}

TEST(CheckLinesTest, ADeviceIsExpectedOnlyWhenAnAdapterHasAPortOrTheLibraryCountsOne) {
  const CheckResult adapterWithPort{
      "ch340-adapter", CheckVerdict::kPass, "CH340", "its port is /dev/ttyUSB0", {}};
  const CheckResult adapterWithout{"ch340-adapter", CheckVerdict::kFail, "CH340", "it has no port", "plug"};
  EXPECT_TRUE(DeviceExpected(std::vector{kBrltty, adapterWithPort}));
  EXPECT_FALSE(DeviceExpected(std::vector{kBrltty, adapterWithout}));
  EXPECT_TRUE(
      DeviceExpected(std::vector{CheckResult{"usb-device", CheckVerdict::kPass, "USB", "1 attached", {}}}));
}

}  // namespace
}  // namespace quillon
