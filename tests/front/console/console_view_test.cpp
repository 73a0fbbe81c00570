#include "front/console/console_view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>

#include "front/console/ports_command.h"
#include "front/console/progress_meter.h"
#include "front/console/write_command.h"
#include "link/ports/serial_port_list.h"
#include "link/serial/tty_io.h"
#include "link/usb/no_usb_bridge.h"
#include "sim/usb_device.h"
#include "tests/support/captured_file.h"
#include "tests/support/listed_ports.h"
#include "tests/support/pty_pair.h"

namespace quillon::console {
namespace {

using testing::CapturedFile;

TEST(ProgressMeterTest, ALineShowsThePagesAgainstTheJobsTotalTheRateAndTheTimeLeft) {
  EXPECT_EQ(FormatProgressLine({.pages = 812, .total = 1557, .timedPages = 768, .elapsedSeconds = 20.0}),
            "[##########          ] 812/1557 pages  52 %  38.4 pages/s  20 s left");
  EXPECT_EQ(FormatProgressLine({.pages = 0, .total = 1557}), "[                    ] 0/1557 pages  0 %");
  EXPECT_EQ(FormatProgressLine({.pages = 1557, .total = 1557, .timedPages = 1556, .elapsedSeconds = 4.0}),
            "[####################] 1557/1557 pages  100 %  389.0 pages/s");
  // Without a total, the window's bar.
  EXPECT_EQ(FormatProgressLine(
                {.pages = 50, .barPosition = 51, .barTotal = 100, .timedPages = 49, .elapsedSeconds = 2}),
            "[##########          ]    50 pages  24.5 pages/s");
}

TEST(ProgressMeterTest, TheCountGoesOnWhereTheBarStartsOver) {
  ProgressCount count(1046);
  EXPECT_FALSE(count.Show(0));  // the job opens
  for (int position = 1; position <= 1046; ++position) EXPECT_TRUE(count.Show(position));
  EXPECT_TRUE(count.Show(0));  // the 1047th step: the bar starts over
  EXPECT_TRUE(count.Show(1));
  EXPECT_EQ(count.Steps(), 1048);
  EXPECT_FALSE(count.Show(0));  // the job closes
  EXPECT_EQ(count.Steps(), 0);
}

TEST(ConsoleViewTest, WithoutATerminalALineIsWrittenEveryTenthOfTheJob) {
  CapturedFile out;
  CapturedFile err;
  ConsoleView view(out.get(), err.get(), /*terminal=*/false, 100);
  view.ExpectPages(110);
  view.ShowProgress(0);
  for (int step = 1; step <= 100; ++step) view.ShowProgress(step);
  view.ShowProgress(0);  // past the end of the window's bar: starts over, and the count goes on
  for (int step = 1; step <= 10; ++step) view.ShowProgress(step);
  const std::string text = out.Text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_NE(text.find("] 110/110 pages  100 %"), std::string::npos)
      << text;  // 111 steps: the opening, 110 pages
  EXPECT_EQ(view.PagesCounted(), 110);
}

TEST(ConsoleViewTest, OnATerminalTheBarIsRedrawnAndEndedBeforeAMessage) {
  CapturedFile out;
  CapturedFile err;
  ConsoleView view(out.get(), err.get(), /*terminal=*/true, 100);
  view.ShowProgress(1);
  view.ShowProgress(2);
  view.ShowMessageBox("Write Error!!!", "Title", MessageIcon::kError);
  const std::string text = out.Text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 2);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(err.Text(), "[Title] error: Write Error!!!\n");
  EXPECT_EQ(view.MessageTexts(), std::vector<std::string>{"Write Error!!!"});
}

TEST(ConsoleViewTest, ItKnowsWhenAButtonIsEnabled) {
  CapturedFile out;
  ConsoleView view(out.get(), out.get(), false, 100);
  const auto now = std::chrono::steady_clock::now();
  EXPECT_FALSE(view.WaitUntilEnabled(1001, now));
  view.ShowControlEnabled(1001, true);
  EXPECT_TRUE(view.WaitUntilEnabled(1001, now));
  view.ShowControlEnabled(1001, false);
  EXPECT_FALSE(view.WaitUntilEnabled(1001, now));
}

using testing::ListedPorts;

TEST(PortsCommandTest, EveryPortIsListedWithItsFriendlyNamePathAndWhetherItCanBeOpened) {
  testing::PtyPair free;
  testing::PtyPair held;
  ASSERT_TRUE(free.ok() && held.ok());
  FileDescriptor holder = OpenTtyExclusive(held.slavePath()).tty;
  ASSERT_TRUE(holder);
  ListedPorts ports({{"ttyUSB0", free.slavePath(), "USB-SERIAL CH340 (ttyUSB0)"},
                     {"ttyUSB1", held.slavePath(), "USB-SERIAL CH340 (ttyUSB1)"},
                     {"ttyS0", "/dev/quillon-no-such-tty", "Serial port (ttyS0)"}});
  NoUsbBridge noLibrary;
  CapturedFile out;
  EXPECT_EQ(ListPorts(ports, noLibrary, out.get()), 0);
  // The holder is this very test program, found by its open descriptor.
  const std::string holderName = "console_tests, pid " + std::to_string(::getpid());
  EXPECT_EQ(out.Text(), "USB-SERIAL CH340 (ttyUSB0)\t" + free.slavePath() + "\tfree\n" +
                            "USB-SERIAL CH340 (ttyUSB1)\t" + held.slavePath() +
                            "\tbusy in another program (" + holderName + ")\n" +
                            "Serial port (ttyS0)\t/dev/quillon-no-such-tty\tgone\n");
}

TEST(PortsCommandTest, UsbDevicesComeFirstAndNoPortsIsSaidInWords) {
  sim::SimulatedUsbBridge usb({{.productString = "tarvik-writer"}, {.productStringReadable = false}});
  ListedPorts none;
  CapturedFile out;
  EXPECT_EQ(ListPorts(none, usb, out.get()), 0);
  EXPECT_EQ(
      out.Text(),
      "USB device 0\ttarvik-writer\nUSB device 1\t(device string unreadable)\nNo serial ports found.\n");
}

TEST(FriendlyPortNameTest, ACh340IsKnownByItsUsbIdAndOthersByTheirDescription) {
  EXPECT_EQ(FriendlyPortName("ttyUSB0", "USB Serial", UsbId{0x1a86, 0x7523}), "USB-SERIAL CH340 (ttyUSB0)");
  EXPECT_EQ(FriendlyPortName("ttyUSB3", "", UsbId{0x2184, 0x0057}), "USB-SERIAL CH340 (ttyUSB3)");
  EXPECT_EQ(FriendlyPortName("ttyUSB1", "FT232R USB UART", UsbId{0x0403, 0x6001}),
            "FT232R USB UART (ttyUSB1)");
  EXPECT_EQ(FriendlyPortName("ttyS0", "", std::nullopt), "Serial port (ttyS0)");
}

TEST(FriendlyPortNameTest, TheUdevRuleCoversExactlyTheCh340IdsTheStationKnows) {
  std::ifstream rules(QUILLON_SOURCE_DIR "/res/udev/60-quillon.rules");
  ASSERT_TRUE(rules);
  const std::regex rule(R"re(ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})", )re"
                        R"re(ENV\{ID_MM_DEVICE_IGNORE\}="1", TAG\+="uaccess")re");
  std::set<std::pair<int, int>> inRules;
  std::smatch match;
  for (std::string line; std::getline(rules, line);) {
    if (std::regex_match(line, match, rule)) {
      inRules.emplace(std::stoi(match[1], nullptr, 16), std::stoi(match[2], nullptr, 16));
    }
  }
  std::set<std::pair<int, int>> known;
  for (const UsbId& id : Ch340UsbIds()) known.emplace(id.vendor, id.product);
  EXPECT_EQ(inRules, known);
}

}  // namespace
}  // namespace quillon::console
