// The font file job on the USB link, against the simulator's bridge: which pages a package gives, and
// how the job ends.
#include "station/jobs/font_file_job.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "sim/usb_device.h"
#include "station/exchange_texts.h"
#include "tests/package/hex_package.h"
#include "tests/package/malformed_files.h"
#include "tests/station/jobs/font_job_station.h"
#include "tests/support/in_english.h"

namespace quillon {
namespace {

using testing::DataRecord;
using testing::PackageLines;
using testing::PatternBytes;
using testing::WriteLines;

class FontFileJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UsbHandle handle = kNoUsbDevice;
    ASSERT_EQ(bridge.Open(0, &handle), kUsbSuccess);
    job.station.dlg.m_usbHandle = handle;
    g_linkKind = kUsbLinkKind;
    job.station.dlg.EnableJobButtons(true);
  }

  std::vector<std::uint32_t> PagesWritten() {
    return bridge.WithEngine(0, [](sim::DeviceEngine& engine) { return engine.PageLog(); });
  }
  std::uint32_t Exchanges() {
    return bridge.WithEngine(0, [](sim::DeviceEngine& engine) { return engine.Counters().exchanges; });
  }
  std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    bridge.WithEngine(0, [&](sim::DeviceEngine& engine) { engine.Memory().Read(address, bytes); });
    return bytes;
  }
  void ExpectCompleted() {
    ASSERT_EQ(job.station.view.MessageBoxes().size(), 1u);
    EXPECT_EQ(job.station.view.MessageBoxes()[0].text, "写入完成!!!");
    EXPECT_EQ(job.station.view.MessageBoxes()[0].icon, MessageIcon::kInformation);
    EXPECT_EQ(job.station.view.Sounds(), std::vector<std::string>{g_finishSoundPath});
    EXPECT_EQ(g_jobBusy, 0);
  }
  void ExpectRefusedUntouched(const std::string& text) {
    ASSERT_EQ(job.station.view.MessageBoxes().size(), 1u);
    EXPECT_EQ(job.station.view.MessageBoxes()[0].text, text);
    EXPECT_EQ(job.station.view.MessageBoxes()[0].icon, MessageIcon::kError);
    EXPECT_EQ(Exchanges(), 0u) << "not one byte may reach the device";
    EXPECT_TRUE(job.station.view.Sounds().empty());
    EXPECT_EQ(g_jobBusy, 0);
  }

  sim::SimulatedUsbBridge bridge;
  testing::FontJobStation job{&bridge};
};

TEST_F(FontFileJobTest, APackageEndingMidPageHasItsLastPageWrittenWithTheRestErased) {
  // One full page, then three records of the next, Windows line ends.
  const auto bytes = PatternBytes(0x20000, 256 + 3 * 32);
  WriteLines("flash.txt", PackageLines(0x20000, bytes), "\r\n");
  // Bytes left over from the first page must not fill the second: the flash starts out programmed to 0.
  bridge.WithEngine(0, [](sim::DeviceEngine& engine) {
    engine.Memory().Program(0x20000, std::vector<std::uint8_t>(512, 0x00));
  });

  ASSERT_TRUE(job.RunJob());
  ExpectCompleted();
  EXPECT_EQ(PagesWritten(), (std::vector<std::uint32_t>{0x20000, 0x20100}));
  EXPECT_EQ(Flash(0x20000, bytes.size()), bytes);
  EXPECT_EQ(Flash(0x20000 + bytes.size(), 512 - bytes.size()), std::vector<std::uint8_t>(160, 0xFF));
  // Reset, one step at the opening, one per page, reset after the box (after the window's own 0).
  EXPECT_EQ(job.station.view.ProgressHistory(), (std::vector<int>{0, 0, 1, 2, 3, 0}));
}

TEST_F(FontFileJobTest, PagesFromTheLimitOnAreNotWritten) {
  WriteLines("flash.txt", PackageLines(0x61300, PatternBytes(0x61300, 0x500)));
  ASSERT_TRUE(job.RunJob());
  ExpectCompleted();
  EXPECT_EQ(PagesWritten(), (std::vector<std::uint32_t>{0x61300, 0x61400}));
  EXPECT_EQ(Flash(kFontAddressLimit, 0x300), std::vector<std::uint8_t>(0x300, 0xFF));
}

TEST_F(FontFileJobTest, EachPackageButtonWritesItsOwnFile) {
  const std::map<int, std::pair<std::string, std::uint32_t>> packages = {
      {kIdWriteChinese, {"flash.txt", 0x00000}},
      {kIdWriteKorean, {"KoreaFlash.txt", 0x10000}},
      {kIdWriteTraditionalChinese, {"FTfont.txt", 0x20000}},
      {kIdWriteJapanese, {"Janpanesefont.txt", 0x30000}},
      {kIdWriteLargeAscii, {"Bigfont.txt", 0x40000}},
  };
  for (const auto& [button, package] : packages) {
    WriteLines(package.first, PackageLines(package.second, PatternBytes(package.second, 32)));
  }
  for (const auto& [button, package] : packages) {
    ASSERT_TRUE(job.RunJob(button)) << package.first;
    EXPECT_EQ(PagesWritten().back(), package.second) << package.first;
  }
  EXPECT_EQ(PagesWritten().size(), packages.size());
}

TEST_F(FontFileJobTest, AMissingFileIsReportedAndTheDeviceNotTouched) {
  ASSERT_TRUE(job.RunJob(kIdWriteKorean));
  ExpectRefusedUntouched("没有找到写入文件!!!");
  EXPECT_EQ(job.station.view.ProgressHistory(), std::vector<int>{0}) << "only the window's own reset";
}

TEST_F(FontFileJobTest, EachKindOfMalformedFileIsRefusedWithItsLineBeforeAnythingIsSent) {
  const testing::InEnglish english;  // the kinds' words are English
  for (const testing::MalformedFile& file : testing::MalformedFiles()) {
    SCOPED_TRACE(file.kind);
    WriteLines("Bigfont.txt", file.lines);
    ASSERT_TRUE(job.RunJob(kIdWriteLargeAscii));
    const std::string where = "Bigfont.txt, line " + std::to_string(file.badLine) + ": ";
    const std::string text = job.BoxTexts().at(0);
    EXPECT_TRUE(text.starts_with("Write file format error!!!\n" + where)) << text;
    EXPECT_NE(text.find(file.words), std::string::npos) << text;
    ExpectRefusedUntouched(text);
    job.station.view.ClearMessageBoxes();
  }
}

TEST_F(FontFileJobTest, TheSpeedOnTheSliderIsStoredEvenWhenTheDeviceRefusesTheJob) {
  WriteLines("flash.txt", PackageLines(0, PatternBytes(0, 256)));
  bridge.WithEngine(0, [](sim::DeviceEngine& engine) { engine.Faults().noReplyTo = 1; });
  job.MoveSlider(37);
  ASSERT_TRUE(job.RunJob());
  EXPECT_EQ(job.BoxTexts(), (std::vector<std::string>{kUsbFailureText, "Write Error!!!"}));
  EXPECT_TRUE(job.station.view.Sounds().empty()) << "a job that never opened plays no sound";
  EXPECT_EQ(g_writeSpeed, 37);
  std::ifstream speed("Speed.txt");
  std::stringstream stored;
  stored << speed.rdbuf();
  EXPECT_EQ(stored.str(), "37\n");
  EXPECT_EQ(job.station.view.Progress(), 0);
}

}  // namespace
}  // namespace quillon
