// The checks of a Linux station's set-up, each against a system laid out with its fault and one
// without: what the operator reads (the verdict, what was found, what to do).
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <cstdint>
#include <string>

#include "link/diagnosis/linux_checks.h"
#include "tests/support/fake_system.h"

namespace quillon {
namespace {

using testing::FakeSystem;
using testing::kDesk;
using testing::kDialout;

constexpr char kBrlttyRules[] = "/usr/lib/udev/rules.d/85-brltty.rules";

bool Says(const std::string& text, const std::string& words) {
  return text.find(words) != std::string::npos;
}

std::vector<CheckResult> RunAll(const LinuxSystem& system) {
  std::vector<CheckResult> results;
  for (const SetupCheck& check : LinuxChecks(system)) {
    for (CheckResult& result : check()) results.push_back(std::move(result));
  }
  return results;
}

TEST(LinuxChecksTest, AnAdapterWithoutATtyFailsAndNoAdapterIsNothingToCheck) {
  FakeSystem system;
  system.PlugAdapter("1-1.2");
  system.PlugAdapter("1-4", "");
  system.Write("/sys/bus/usb/devices/1-3/idVendor", "046d\n");  // a mouse
  system.Write("/sys/bus/usb/devices/1-3/idProduct", "c077\n");
  const std::vector<CheckResult> results = CheckCh340Adapters(FindCh340Adapters(system.System().root));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kPass);
  EXPECT_EQ(results[0].what, "CH340 adapter 1a86:7523 at USB port 1-1.2");
  EXPECT_EQ(results[0].found, "its port is /dev/ttyUSB0");
  EXPECT_EQ(results[1].verdict, CheckVerdict::kFail);
  EXPECT_TRUE(Says(results[1].found, "it has no port")) << results[1].found;
  EXPECT_TRUE(Says(results[1].fix, "brltty")) << results[1].fix;

  const FakeSystem empty;
  const std::vector<CheckResult> none = CheckCh340Adapters(FindCh340Adapters(empty.System().root));
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].verdict, CheckVerdict::kNothingToCheck);
  EXPECT_EQ(none[0].found, "none is plugged in");
}

TEST(LinuxChecksTest, BrlttysRuleForACh340FailsUnlessItsServiceIsMasked) {
  FakeSystem system;
  system.Write(kBrlttyRules,
               "# Device: 1A86:7523\n"
               "ENV{PRODUCT}==\"1a86/7523/*\", ENV{BRLTTY_BRAILLE_DRIVER}=\"bm\", GOTO=\"brltty_usb_run\"\n");
  system.Run(812, "brltty");
  const std::vector<CheckResult> claimed = CheckBrltty(system.System());
  ASSERT_EQ(claimed.size(), 1u);
  EXPECT_EQ(claimed[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(claimed[0].what, std::string("brltty claims CH340 adapters (") + kBrlttyRules + ")");
  EXPECT_TRUE(Says(claimed[0].found, "the port vanishes after it appears")) << claimed[0].found;
  EXPECT_TRUE(Says(claimed[0].found, "brltty (pid 812)")) << claimed[0].found;
  EXPECT_EQ(claimed[0].fix, "sudo systemctl mask brltty-udev.service, or remove the package brltty.");

  system.Link("/etc/systemd/system/brltty-udev.service", "/dev/null");
  EXPECT_EQ(CheckBrltty(system.System())[0].verdict, CheckVerdict::kPass);

  // A rule of the same name in /etc that is empty masks the package's.
  FakeSystem overridden;
  overridden.Write(kBrlttyRules, "ENV{PRODUCT}==\"1a86/7523/*\", GOTO=\"brltty_usb_run\"\n");
  overridden.Write("/etc/udev/rules.d/85-brltty.rules", "");
  EXPECT_EQ(CheckBrltty(overridden.System())[0].verdict, CheckVerdict::kPass);

  // Its rule for other braille displays, and a commented-out CH340 line, claim nothing.
  FakeSystem other;
  other.Write(kBrlttyRules,
              "# ENV{PRODUCT}==\"1a86/7523/*\"\nENV{PRODUCT}==\"1fe4/*\", GOTO=\"brltty_usb_run\"\n");
  const std::vector<CheckResult> clean = CheckBrltty(other.System());
  EXPECT_EQ(clean[0].verdict, CheckVerdict::kPass);
  EXPECT_TRUE(Says(clean[0].found, "no brltty rule names a CH340 adapter")) << clean[0].found;
}

TEST(LinuxChecksTest, ModemManagerWithoutTheStationsRuleFailsAndTheAppliedRulePasses) {
  FakeSystem system;
  system.PlugAdapter("1-1");
  system.Run(640, "ModemManager");
  const LinuxSystem linux = system.System();
  const std::vector<Ch340Adapter> adapters = FindCh340Adapters(linux.root);
  std::vector<CheckResult> results = CheckModemManager(linux, adapters);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(results[0].what, "ModemManager and /dev/ttyUSB0");
  EXPECT_TRUE(Says(results[0].found, "the station's udev rule is not installed")) << results[0].found;
  EXPECT_EQ(results[0].fix, InstallStationRuleText());

  // Installed after the adapter was plugged in: not applied to it yet.
  system.Write("/usr/lib/udev/rules.d/60-quillon.rules", "ATTRS{idVendor}==\"1a86\"\n");
  results = CheckModemManager(linux, adapters);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(results[0].fix, "Plug the adapter in again, or: sudo udevadm trigger.");

  system.Write("/run/udev/data/c188:0",
               "S:serial/by-id/usb-1a86_USB_Serial-if00-port0\nE:ID_MM_DEVICE_IGNORE=1\n");
  results = CheckModemManager(linux, adapters);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kPass);
  EXPECT_TRUE(Says(results[0].found, "ID_MM_DEVICE_IGNORE=1")) << results[0].found;

  FakeSystem quiet;
  quiet.PlugAdapter("1-1");
  EXPECT_EQ(CheckModemManager(quiet.System(), adapters)[0].found, "it is not running");
}

TEST(LinuxChecksTest, ATtyThisUserCannotOpenFailsWithTheWayToGetIt) {
  FakeSystem system;
  system.PlugAdapter("1-1");
  const std::vector<Ch340Adapter> adapters = FindCh340Adapters(system.System().root);
  std::vector<CheckResult> results = CheckTtyAccess(system.System(), adapters);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(results[0].what, "Opening /dev/ttyUSB0");
  EXPECT_EQ(
      results[0].found,
      "alice may not open it (rw-rw---- root:dialout): not in the group dialout, and no access as the user "
      "at the desk");
  EXPECT_TRUE(Says(results[0].fix, "sudo usermod -aG dialout $USER, then log in again")) << results[0].fix;
  EXPECT_TRUE(Says(results[0].fix, "Install the station's udev rule")) << results[0].fix;

  // Added to the group, but the session began before.
  system.Write("/etc/group", "root:x:0:\ndialout:x:20:alice\nalice:x:1000:\n");
  EXPECT_TRUE(Says(CheckTtyAccess(system.System(), adapters)[0].fix, "Log out and in again"));

  // In the group now, or given the port as the user at the desk (uaccess's access list).
  EXPECT_EQ(CheckTtyAccess(system.System({kDesk, {kDesk, kDialout}, 1}), adapters)[0].verdict,
            CheckVerdict::kPass);
  FakeSystem seat;
  seat.PlugAdapter("1-1");
  const std::uint8_t list[] = {2,    0,    0,    0,    1,    0, 6, 0, 0xff, 0xff, 0xff, 0xff, 2,    0, 6, 0,
                               0xe8, 3,    0,    0,    4,    0, 6, 0, 0xff, 0xff, 0xff, 0xff, 0x10, 0, 6, 0,
                               0xff, 0xff, 0xff, 0xff, 0x20, 0, 0, 0, 0xff, 0xff, 0xff, 0xff};
  ASSERT_EQ(::setxattr(seat.At("/dev/ttyUSB0").c_str(), "system.posix_acl_access", list, sizeof list, 0), 0)
      << "the test's folder takes no access lists";
  const std::vector<CheckResult> atDesk = CheckTtyAccess(seat.System(), adapters);
  EXPECT_EQ(atDesk[0].verdict, CheckVerdict::kPass);
  EXPECT_TRUE(Says(atDesk[0].found, "this user may open it")) << atDesk[0].found;
}

TEST(LinuxChecksTest, APortHeldByAnotherProcessIsNamedAndItsOwnHoldIsNot) {
  FakeSystem system;
  system.PlugAdapter("1-1");
  system.Run(4242, "minicom", {"/dev/pts/3", "/dev/ttyUSB0"});
  system.Run(77, "quillon", {"/dev/ttyUSB0"});
  const std::vector<Ch340Adapter> adapters = FindCh340Adapters(system.System().root);
  const std::vector<CheckResult> held = CheckPortHolders(system.System({kDesk, {kDesk}, 77}), adapters);
  ASSERT_EQ(held.size(), 1u);
  EXPECT_EQ(held[0].verdict, CheckVerdict::kFail);
  EXPECT_EQ(held[0].found, "held by minicom (pid 4242)");
  EXPECT_EQ(held[0].fix, "Close it there, or end it: kill 4242.");

  FakeSystem own;
  own.PlugAdapter("1-1");
  own.Run(77, "quillon", {"/dev/ttyUSB0"});
  EXPECT_EQ(CheckPortHolders(own.System({kDesk, {kDesk}, 77}), adapters)[0].verdict, CheckVerdict::kPass);
}

TEST(LinuxChecksTest, TheKernelsWordOnBrlttyFailsAndAnUnreadableLogIsNothingToCheck) {
  FakeSystem system;
  system.PlugAdapter("1-1");
  const std::vector<Ch340Adapter> adapters = FindCh340Adapters(system.System().root);
  system.Write("/dev/kmsg",
               "6,900,5120000,-;usb 1-1: ch341-uart converter now attached to ttyUSB0\n"
               " SUBSYSTEM=usb\n"
               "6,905,5630000,-;usb 1-1: usbfs: interface 0 claimed by ch341 while 'brltty' sets config #1\n"
               "6,906,5640000,-;ch341-uart ttyUSB0: ch341-uart converter now disconnected from ttyUSB0\n");
  std::vector<CheckResult> results = CheckKernelMessages(system.System(), adapters);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kFail);
  EXPECT_TRUE(Says(results[0].found, "[5.6 s] usb 1-1: usbfs: interface 0 claimed by ch341 while 'brltty'"))
      << results[0].found;

  system.Write("/dev/kmsg", "6,900,5120000,-;usb 1-1: ch341-uart converter now attached to ttyUSB0\n");
  results = CheckKernelMessages(system.System(), adapters);
  EXPECT_EQ(results[0].verdict, CheckVerdict::kPass);
  EXPECT_EQ(results[0].found, "the last: [5.1 s] usb 1-1: ch341-uart converter now attached to ttyUSB0");

  const FakeSystem unreadable;
  EXPECT_EQ(CheckKernelMessages(unreadable.System(), adapters)[0].verdict, CheckVerdict::kNothingToCheck);
}

TEST(LinuxChecksTest, AllChecksOnACleanSystemWithAnAdapterPassAndEachFaultFailsItsOwnCheck) {
  FakeSystem clean;
  clean.PlugAdapter("1-1");
  clean.Write("/dev/kmsg", "6,900,5120000,-;usb 1-1: ch341-uart converter now attached to ttyUSB0\n");
  const LinuxSystem system = clean.System({kDesk, {kDesk, kDialout}, 1});
  for (const CheckResult& result : RunAll(system)) {
    EXPECT_EQ(result.verdict, CheckVerdict::kPass) << result.check << ": " << result.found;
  }
}

}  // namespace
}  // namespace quillon
