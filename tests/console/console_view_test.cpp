#include "app/console/console_view.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/console/ports_command.h"
#include "app/console/progress_meter.h"
#include "app/console/write_command.h"

namespace quillon::console {
namespace {

// A FILE that keeps what is written to it in memory.
class CapturedFile {
 public:
  CapturedFile() : m_file(open_memstream(&m_buffer, &m_size)) {}
  ~CapturedFile() {
    std::fclose(m_file);
    std::free(m_buffer);
  }
  std::FILE* get() const { return m_file; }
  std::string Text() {
    std::fflush(m_file);
    return std::string(m_buffer, m_size);
  }

 private:
  char* m_buffer = nullptr;
  std::size_t m_size = 0;
  std::FILE* m_file;
};

TEST(ProgressMeterTest, ALineShowsPagesPercentRateAndTimeLeft) {
  EXPECT_EQ(FormatProgressLine(0, 100, 0), "[                    ]     0/100 pages    0 %");
  EXPECT_EQ(FormatProgressLine(50, 100, 2.0),
            "[##########          ]    50/100 pages   50 %    25.0 pages/s  0:02 left");
  EXPECT_EQ(FormatProgressLine(100, 100, 4.0),
            "[####################]   100/100 pages  100 %    25.0 pages/s  0:00 left");
  EXPECT_TRUE(FormatProgressLine(10, 1000, 1.0).ends_with("  1 %    10.0 pages/s  1:39 left"));
}

TEST(ProgressMeterTest, FivePercentMarksCountUpToTwenty) {
  EXPECT_EQ(FivePercentMark(0, 1046), 0);
  EXPECT_EQ(FivePercentMark(52, 1046), 0);
  EXPECT_EQ(FivePercentMark(53, 1046), 1);
  EXPECT_EQ(FivePercentMark(1046, 1046), 20);
  EXPECT_EQ(FivePercentMark(5000, 1046), 20);
}

TEST(ConsoleViewTest, WithoutATerminalALineIsWrittenAtTheFirstStepAndEveryFivePercent) {
  CapturedFile out;
  CapturedFile err;
  ConsoleView view(out.get(), err.get(), /*terminal=*/false, 100);
  view.ShowProgress(0);
  for (int step = 1; step <= 100; ++step) view.ShowProgress(step);
  const std::string text = out.Text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);
  EXPECT_EQ(text.find('\r'), std::string::npos);
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
  EXPECT_FALSE(view.WaitUntilEnabled(1001, std::chrono::seconds(0)));
  view.ShowControlEnabled(1001, true);
  EXPECT_TRUE(view.WaitUntilEnabled(1001, std::chrono::seconds(0)));
  view.ShowControlEnabled(1001, false);
  EXPECT_FALSE(view.WaitUntilEnabled(1001, std::chrono::seconds(0)));
}

TEST(WriteOutcomeTest, TheMessagesOfAJobGiveItsExitCode) {
  EXPECT_EQ(ExitCodeOfJob({"写入完成!!!"}), kExitWriteComplete);
  EXPECT_EQ(
      ExitCodeOfJob({"Hardware device error,Please reinsert the ID writer decive !!!", "Write Error!!!"}),
      kExitJobFailed);
  EXPECT_EQ(ExitCodeOfJob({"没有找到写入文件!!!"}), kExitInputRefused);
  EXPECT_EQ(ExitCodeOfJob({"没有找到Read文件!!!"}), kExitInputRefused);
  EXPECT_EQ(
      ExitCodeOfJob({"写入文件格式错误!!!\nflash.txt, line 3: the record is too short to hold its fields."}),
      kExitInputRefused);
  EXPECT_EQ(ExitCodeOfJob({}), kExitJobFailed) << "a job that said nothing did not complete";
}

class ListedPorts : public SerialPortList {
 public:
  explicit ListedPorts(std::vector<SerialPortEntry> entries) : m_entries(std::move(entries)) {}
  std::vector<SerialPortEntry> Ports() override { return m_entries; }

 private:
  std::vector<SerialPortEntry> m_entries;
};

TEST(PortsCommandTest, EveryPortIsListedWithItsFriendlyNameAndPath) {
  CapturedFile out;
  ListedPorts ports({{"ttyUSB0", "/dev/ttyUSB0", "USB-SERIAL CH340 (ttyUSB0)"},
                     {"ttyS0", "/dev/ttyS0", "Serial port (ttyS0)"}});
  EXPECT_EQ(ListPorts(ports, out.get()), 0);
  EXPECT_EQ(out.Text(), "USB-SERIAL CH340 (ttyUSB0)\t/dev/ttyUSB0\nSerial port (ttyS0)\t/dev/ttyS0\n");
}

TEST(PortsCommandTest, NoPortsIsSaidInWords) {
  CapturedFile out;
  ListedPorts none({});
  EXPECT_EQ(ListPorts(none, out.get()), 0);
  EXPECT_EQ(out.Text(), "No serial ports found.\n");
}

TEST(FriendlyPortNameTest, ACh340IsKnownByItsUsbIdAndOthersByTheirDescription) {
  EXPECT_EQ(FriendlyPortName("ttyUSB0", "USB Serial", UsbId{0x1a86, 0x7523}), "USB-SERIAL CH340 (ttyUSB0)");
  EXPECT_EQ(FriendlyPortName("ttyUSB3", "", UsbId{0x2184, 0x0057}), "USB-SERIAL CH340 (ttyUSB3)");
  EXPECT_EQ(FriendlyPortName("ttyUSB1", "FT232R USB UART", UsbId{0x0403, 0x6001}),
            "FT232R USB UART (ttyUSB1)");
  EXPECT_EQ(FriendlyPortName("ttyS0", "", std::nullopt), "Serial port (ttyS0)");
}

}  // namespace
}  // namespace quillon::console
