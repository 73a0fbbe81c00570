// The font file job end to end: the button's job on the dialog, the real serial driver on a
// pseudo-terminal, the simulated device behind it, and package files in the working directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "program/font_file_job.h"
#include "sim/pty_device.h"
#include "tests/program/font_job_station.h"
#include "tests/program/hex_package.h"

namespace quillon {
namespace {

using testing::PackageLines;
using testing::PatternBytes;
using testing::WriteLines;

constexpr int kPort = 7;
constexpr char kSerialFailureText[] = "Hardware device error,Please reinsert the ID writer decive !!!";

// The device's exchanges per page: ten commands and eight read requests.
constexpr std::uint32_t kExchangesPerPage = 18;

class FontFileJobPtyTest : public ::testing::Test {
 protected:
  void PlugIn(sim::DeviceFaults faults = {}) {
    std::string error;
    device = sim::PtyDevice::Create({.faults = faults}, error);
    ASSERT_NE(device, nullptr) << error;
    ASSERT_TRUE(job.LinkOverPty(*device, kPort));
  }
  void TearDown() override { job.Unlink(kPort); }

  // Ticks the timer until the job has shown `count` boxes: a wait allowance has to run out.
  void TickUntilBoxes(std::size_t count) {
    ASSERT_TRUE(testing::Eventually([&] {
      job.station.Tick();
      return job.station.view.MessageBoxes().size() >= count;
    }));
  }

  sim::DeviceCounters Counters() {
    return device->WithEngine([](sim::DeviceEngine& engine) { return engine.Counters(); });
  }
  std::vector<std::uint32_t> PagesWritten() {
    return device->WithEngine([](sim::DeviceEngine& engine) { return engine.PageLog(); });
  }
  std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    device->WithEngine([&](sim::DeviceEngine& engine) { engine.Memory().Read(address, bytes); });
    return bytes;
  }
  static std::vector<std::uint8_t> Erased(std::size_t count) {
    return std::vector<std::uint8_t>(count, 0xFF);
  }

  void ExpectCompleted() { job.ExpectCompleted(); }
  void ExpectPageFailed(const std::vector<std::string>& boxes) { job.ExpectEnded(boxes, {g_errorSoundPath}); }

  testing::FontJobStation job;
  std::unique_ptr<sim::PtyDevice> device;
};

TEST_F(FontFileJobPtyTest, AWholePackageIsWrittenPageForPageUpToTheLimit) {
  PlugIn();
  const std::uint32_t end = kFontAddressLimit + 0x800;
  const auto bytes = PatternBytes(0, end);
  WriteLines("flash.txt", PackageLines(0, bytes));

  ASSERT_TRUE(job.RunJob());
  ExpectCompleted();
  const auto pages = PagesWritten();
  ASSERT_EQ(pages.size(), 1557u);
  EXPECT_EQ(pages.back(), 0x61400u);
  const auto flash = Flash(0, end);
  for (std::uint32_t page = 0; page < kFontAddressLimit; page += kPageSize) {
    ASSERT_TRUE(std::equal(bytes.begin() + page, bytes.begin() + page + kPageSize, flash.begin() + page))
        << "page " << std::hex << page;
  }
  EXPECT_EQ(Flash(kFontAddressLimit, 0x800), Erased(0x800)) << "nothing past the limit";
}

TEST_F(FontFileJobPtyTest, AFileEndingMidPageHasItsLastPageWritten) {
  PlugIn();
  const auto bytes = PatternBytes(0x30000, 2 * kPageSize + 5 * 32);
  WriteLines("KoreaFlash.txt", PackageLines(0x30000, bytes));
  job.station.view.HoldMessageBoxes();
  job.Press(kIdWriteKorean);
  ASSERT_TRUE(job.station.view.WaitForMessageBoxes(1));
  EXPECT_EQ(job.station.dlg.ProgressPos(), 1 + 3) << "one step at the opening, one per verified page";
  const std::uint32_t jobsStarted = job.station.dlg.JobsStarted();
  job.Press(kIdWriteKorean);
  EXPECT_EQ(job.station.dlg.JobsStarted(), jobsStarted) << "the job lasts until its box is closed";
  job.station.view.ReleaseMessageBoxes();
  ASSERT_TRUE(job.JobEnded());

  ExpectCompleted();
  EXPECT_EQ(PagesWritten(), (std::vector<std::uint32_t>{0x30000, 0x30100, 0x30200}));
  EXPECT_EQ(Flash(0x30000, bytes.size()), bytes);
  EXPECT_EQ(Flash(0x30000 + bytes.size(), 3 * 32), Erased(3 * 32));
}

TEST_F(FontFileJobPtyTest, APackageMadeBySrecCatIsWrittenExactly) {
  if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat is not installed";
  PlugIn();
  // From below a 64 KiB boundary to past it, ending mid-page.
  const std::uint32_t first = 0xFF00;
  const auto bytes = PatternBytes(first, 0x4A0);
  {
    std::ofstream binary("font.bin", std::ios::binary);
    binary.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ASSERT_EQ(
      std::system("srec_cat font.bin -binary -offset 0xFF00 -o FTfont.txt -intel -output_block_size=32"), 0);

  ASSERT_TRUE(job.RunJob(kIdWriteTraditionalChinese));
  ExpectCompleted();
  EXPECT_EQ(PagesWritten(), (std::vector<std::uint32_t>{0xFF00, 0x10000, 0x10100, 0x10200, 0x10300}));
  EXPECT_EQ(Flash(first, bytes.size()), bytes);
  EXPECT_EQ(Flash(first + bytes.size(), 0x60), Erased(0x60));
}

TEST_F(FontFileJobPtyTest, ADeviceSilentAtAPageLeavesThePagesBeforeItVerifiedAndNothingAfter) {
  // The write address of the third page goes unanswered.
  PlugIn({.noReplyTo = 1 + 2 * kExchangesPerPage + 1});
  const auto bytes = PatternBytes(0x50000, 5 * kPageSize);
  WriteLines("Janpanesefont.txt", PackageLines(0x50000, bytes));
  job.Press(kIdWriteJapanese);
  ASSERT_TRUE(testing::Eventually([&] { return Counters().unansweredExchanges == 1; }));
  TickUntilBoxes(2);
  ASSERT_TRUE(job.JobEnded());

  ExpectPageFailed({kSerialFailureText, "Write Error!!!"});
  EXPECT_EQ(PagesWritten(), (std::vector<std::uint32_t>{0x50000, 0x50100}));
  EXPECT_EQ(Flash(0x50000, 2 * kPageSize), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 512));
  EXPECT_EQ(Flash(0x50200, 3 * kPageSize), Erased(3 * kPageSize));
  EXPECT_EQ(g_linkKind, kNoLink);
  EXPECT_EQ(job.station.dlg.m_port.portState, CSerialPort::kStateClosed);
}

TEST_F(FontFileJobPtyTest, AReadBackDifferingInItsLastByteFailsThePageAndEndsTheJob) {
  PlugIn({.corruptReadBack = sim::ReadBackCorruption{.pageOffset = 255, .pageAddress = 0x40100}});
  WriteLines("Bigfont.txt", PackageLines(0x40000, PatternBytes(0x40000, 4 * kPageSize)));
  ASSERT_TRUE(job.RunJob(kIdWriteLargeAscii));

  ExpectPageFailed({"Write Error!!!"});
  EXPECT_EQ(PagesWritten(), (std::vector<std::uint32_t>{0x40000, 0x40100}));
  EXPECT_EQ(g_linkKind, static_cast<std::uint32_t>(kPort)) << "the link itself stays up";
}

TEST_F(FontFileJobPtyTest, AMissingOrMalformedFileSendsNotOneByte) {
  PlugIn();
  ASSERT_TRUE(job.RunJob());
  auto lines = PackageLines(0, PatternBytes(0, 3 * kPageSize));
  lines[10].back() = lines[10].back() == 'A' ? 'B' : 'A';
  WriteLines("flash.txt", lines);
  ASSERT_TRUE(job.RunJob());

  const auto boxes = job.BoxTexts();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "没有找到写入文件!!!");
  EXPECT_TRUE(boxes[1].starts_with("写入文件格式错误!!!\nflash.txt, line 11: the checksum is ")) << boxes[1];
  EXPECT_EQ(Counters().exchanges, 0u);
  EXPECT_TRUE(job.station.view.Sounds().empty());
}

TEST_F(FontFileJobPtyTest, AnUnansweredOpeningEndsTheJobWithoutASound) {
  PlugIn({.noReplyTo = 1});
  WriteLines("flash.txt", PackageLines(0, PatternBytes(0, kPageSize)));
  job.Press();
  TickUntilBoxes(2);
  ASSERT_TRUE(job.JobEnded());

  EXPECT_EQ(job.BoxTexts(), (std::vector<std::string>{kSerialFailureText, "Write Error!!!"}));
  EXPECT_TRUE(job.station.view.Sounds().empty());
  EXPECT_TRUE(PagesWritten().empty());
  EXPECT_EQ(g_jobBusy, 0);
}

}  // namespace
}  // namespace quillon
