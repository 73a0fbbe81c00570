// The font file job end to end: the button's job on the dialog, the real serial driver on a
// pseudo-terminal, the simulated device behind it, and package files in the working directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "sim/pty_device.h"
#include "station/exchange_texts.h"
#include "station/jobs/font_file_job.h"
#include "tests/package/hex_package.h"
#include "tests/station/jobs/font_job_station.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

using testing::PackageLines;
using testing::PatternBytes;
using testing::WriteLines;

constexpr int kPort = 7;

// The device's exchanges per page: ten commands and eight read requests.
constexpr std::uint32_t kExchangesPerPage = 18;

class FontFileJobPtyTest : public ::testing::Test {
 protected:
  void PlugIn(sim::DeviceFaults faults = {}) {
    device = testing::SimulatedDevice({.faults = faults});
    ASSERT_NE(device, nullptr);
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

// Packages as standard tools write them from binary data: srec_cat with its own record length and with
// 16- and 32-byte records, objcopy (binutils) with 16-byte records and segment address records. Each
// starts mid-page and ends mid-record, in pages that an earlier package filled: what no record covers
// must come out 0xFF. The tools align their records to the data's start, so data that starts off a
// record's length (0x1008, 0x10F3, 5 bytes before 0x1100) has records running across page boundaries.
TEST_F(FontFileJobPtyTest, PackagesMadeByStandardToolsAreWrittenAsTheirAddressesSay) {
  if (std::system("command -v srec_cat >/dev/null 2>&1 && command -v objcopy >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "srec_cat (srecord) or objcopy (binutils) is not installed";
  }
  PlugIn();
  struct Made {
    int button;
    const char* file;
    std::uint32_t first;
    std::size_t count;
    std::string tool;  // $IN, $AT and $OUT stand for the binary, its address and the package
  };
  const Made packages[] = {
      {kIdWriteChinese, "flash.txt", 0xFF20, 0x4A5, "srec_cat $IN -binary -offset $AT -o $OUT -intel"},
      {kIdWriteKorean, "KoreaFlash.txt", 0x20010, 0x305,
       "srec_cat $IN -binary -offset $AT -o $OUT -intel -Output_Block_Size 16"},
      {kIdWriteTraditionalChinese, "FTfont.txt", 0x30040, 0x2C5,
       "srec_cat $IN -binary -offset $AT -o $OUT -intel -Output_Block_Size 32"},
      {kIdWriteJapanese, "Janpanesefont.txt", 0x4FF30, 0x1F1,
       "objcopy -I binary -O ihex --change-addresses $AT $IN $OUT"},
  };
  std::vector<Made> acrossPages;
  for (const std::uint32_t first : {0x1008u, 0x10F3u, 0x1100u - 5}) {
    acrossPages.push_back({kIdWriteChinese, "flash.txt", first, 0x2F3,
                           "srec_cat $IN -binary -offset $AT -o $OUT -intel -Output_Block_Size 16"});
    acrossPages.push_back({kIdWriteKorean, "KoreaFlash.txt", first, 0x311,
                           "srec_cat $IN -binary -offset $AT -o $OUT -intel -Output_Block_Size 32"});
    acrossPages.push_back({kIdWriteJapanese, "Janpanesefont.txt", first, 0x20D,
                           "objcopy -I binary -O ihex --change-addresses $AT $IN $OUT"});
  }
  acrossPages.insert(acrossPages.begin(), std::begin(packages), std::end(packages));
  for (const Made& made : acrossPages) {
    SCOPED_TRACE(made.tool + " from " + std::to_string(made.first));
    const std::uint32_t firstPage = made.first & ~0xFFu;
    const std::uint32_t pagesEnd = (made.first + static_cast<std::uint32_t>(made.count) + 0xFF) & ~0xFFu;
    // Stale bytes all over the pages the package touches.
    WriteLines("Bigfont.txt", PackageLines(firstPage, std::vector<std::uint8_t>(pagesEnd - firstPage, 0x5A)));
    ASSERT_TRUE(job.RunJob(kIdWriteLargeAscii));

    const auto bytes = PatternBytes(made.first, made.count);
    std::ofstream("font.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::string command = made.tool;
    command.replace(command.find("$IN"), 3, "font.bin");
    command.replace(command.find("$AT"), 3, std::to_string(made.first));
    command.replace(command.find("$OUT"), 4, made.file);
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(job.RunJob(made.button));
    EXPECT_EQ(job.BoxTexts().back(), "写入完成!!!");

    std::vector<std::uint8_t> expected(pagesEnd - firstPage, 0xFF);
    std::ranges::copy(bytes, expected.begin() + (made.first - firstPage));
    EXPECT_EQ(Flash(firstPage, expected.size()), expected);
  }
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
  EXPECT_TRUE(boxes[1].starts_with("写入文件格式错误!!!\nflash.txt，第 11 行：校验和是 ")) << boxes[1];
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
