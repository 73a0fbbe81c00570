// The colour-screen jobs on the USB link, against the simulator's bridge: the pages of the shorter
// packages byte for byte, and how the image file jobs end when their file is missing, short, or a page
// fails before or inside the file's region.
#include "station/jobs/colour_font_jobs.h"

#include <gtest/gtest.h>

#include <memory>

#include "sim/usb_device.h"
#include "tests/station/jobs/colour_flash.h"
#include "tests/station/jobs/font_job_station.h"

namespace quillon {
namespace {

using testing::FileHeldOpen;
using testing::PlaceFromBlock;
using testing::PlaceScreen240Regions;
using testing::SameFlash;
using testing::StaleFlash;
using testing::WriteImageFile;

std::vector<std::uint32_t> Pages(std::uint32_t first, std::size_t count) {
  std::vector<std::uint32_t> pages;
  for (std::size_t i = 0; i < count; ++i) pages.push_back(first + static_cast<std::uint32_t>(i * kPageSize));
  return pages;
}

std::vector<std::uint32_t> Screen240Pages() {
  std::vector<std::uint32_t> pages = Pages(0x0F0000, 58);
  for (std::uint32_t page : Pages(0x0F4000, 41)) pages.push_back(page);
  for (std::uint32_t page : Pages(0x0F7000, 31)) pages.push_back(page);
  return pages;
}

class ColourFontJobsTest : public ::testing::Test {
 protected:
  void SetUp() override { PlugIn({}); }

  // A fresh device with the given faults, its flash stale throughout, linked and ready.
  void PlugIn(sim::DeviceFaults faults) {
    job.reset();
    bridge = std::make_unique<sim::SimulatedUsbBridge>(
        std::vector<sim::SimulatedUsbDeviceConfig>{{.faults = faults}});
    job = std::make_unique<testing::FontJobStation>(bridge.get());
    bridge->WithEngine(0, [](sim::DeviceEngine& engine) { engine.Memory().Program(0, StaleFlash()); });
    UsbHandle handle = kNoUsbDevice;
    ASSERT_EQ(bridge->Open(0, &handle), kUsbSuccess);
    job->station.dlg.m_usbHandle = handle;
    g_linkKind = kUsbLinkKind;
    job->station.dlg.EnableJobButtons(true);
  }

  std::vector<std::uint32_t> PagesWritten() {
    return bridge->WithEngine(0, [](sim::DeviceEngine& engine) { return engine.PageLog(); });
  }
  std::vector<std::uint8_t> Flash() {
    return bridge->WithEngine(0, [](sim::DeviceEngine& engine) {
      const auto image = engine.Memory().Image();
      return std::vector<std::uint8_t>(image.begin(), image.end());
    });
  }
  void ExpectCompleted() { job->ExpectCompleted(); }
  // A page failed: the error sound and box, the bar back at 0.
  void ExpectPageFailed() { job->ExpectEnded({"Write Error!!!"}, {g_errorSoundPath}); }

  // Declared first: the station uses the bridge until it is gone.
  std::unique_ptr<sim::SimulatedUsbBridge> bridge;
  std::unique_ptr<testing::FontJobStation> job;
};

TEST_F(ColourFontJobsTest, TheEnglishPackageWritesTheThreeBuiltinRegionsWithFillerPastTheBlock) {
  ASSERT_TRUE(job->RunJob(kIdWriteColour240English));
  ExpectCompleted();
  EXPECT_EQ(PagesWritten(), Screen240Pages());
  auto expected = StaleFlash();
  PlaceScreen240Regions(expected);
  EXPECT_TRUE(SameFlash(expected, Flash()));
  // The Latin 12 region's last page: the table's last 48 bytes, then 208 bytes of filler.
  const auto flash = Flash();
  const auto tableTail = kBuiltinFontBlock.last(48);
  EXPECT_TRUE(std::equal(tableTail.begin(), tableTail.end(), flash.begin() + 0x0F8E00));
  EXPECT_TRUE(
      std::all_of(flash.begin() + 0x0F8E30, flash.begin() + 0x0F8F00, [](auto b) { return b == 0xFF; }));
  EXPECT_EQ(flash[0x0F8F00], testing::kStaleByte) << "nothing past the region's last page";
}

TEST_F(ColourFontJobsTest, TheSmallScreenPackageEndsWithTheStartOfTheLatinTable) {
  ASSERT_TRUE(job->RunJob(kIdWriteColour128Chinese));
  ExpectCompleted();
  EXPECT_EQ(PagesWritten(), Pages(0, 1023));
  auto expected = StaleFlash();
  PlaceFromBlock(expected, 0, kFontGb2312_16x16.offset, 1023);
  EXPECT_TRUE(SameFlash(expected, Flash()));
  const auto flash = Flash();
  const auto latinHead = TableBytes(kFontLatin16x32).first(192);
  EXPECT_TRUE(std::equal(latinHead.begin(), latinHead.end(), flash.begin() + 0x03FF00 - 192));
}

TEST_F(ColourFontJobsTest, AMissingImageFileIsReportedAfterTheBuiltinPagesAndTheButtonsWorkAgain) {
  ASSERT_TRUE(job->RunJob(kIdWriteColour240Korean));
  EXPECT_EQ(job->BoxTexts(), std::vector<std::string>{"没有找到Read文件!!!"});
  EXPECT_EQ(job->station.view.MessageBoxes()[0].icon, MessageIcon::kError);
  EXPECT_TRUE(job->station.view.Sounds().empty());
  EXPECT_EQ(job->station.dlg.ProgressPos(), 1 + 130) << "the bar stays where the built-in pages took it";
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_EQ(PagesWritten(), Screen240Pages());
  for (int button : kJobButtonIds) EXPECT_TRUE(job->station.dlg.IsControlEnabled(button)) << button;

  ASSERT_TRUE(job->RunJob(kIdWriteColour240English));
  ASSERT_TRUE(job->RunJob(kIdWriteColour240TraditionalChinese));
  EXPECT_EQ(job->BoxTexts(),
            (std::vector<std::string>{"没有找到Read文件!!!", "写入完成!!!", "没有找到Read文件!!!"}));
  EXPECT_EQ(PagesWritten().size(), 3 * 130u);
}

TEST_F(ColourFontJobsTest, AnImageFileOneByteShortIsRefusedBeforeItsRegion) {
  WriteImageFile("Korea_color240_32X32.bin", 1446655);
  ASSERT_TRUE(job->RunJob(kIdWriteColour240Korean));
  EXPECT_EQ(job->BoxTexts(), std::vector<std::string>{"Read文件错误!!!\nKorea_color240_32X32.bin 有 1446655 "
                                                      "个字节；韩文字库至少需要 1446656 个。"});
  EXPECT_TRUE(job->station.view.Sounds().empty());
  EXPECT_EQ(g_jobBusy, 0);
  EXPECT_EQ(PagesWritten(), Screen240Pages());
  auto expected = StaleFlash();
  PlaceScreen240Regions(expected);
  EXPECT_TRUE(SameFlash(expected, Flash())) << "not one page of the file region";
  EXPECT_FALSE(FileHeldOpen("Korea_color240_32X32.bin"));
}

TEST_F(ColourFontJobsTest, APageFailingInABuiltinRegionEndsTheJobBeforeTheFileIsOpened) {
  PlugIn({.corruptReadBack = sim::ReadBackCorruption{.pageOffset = 17, .pageAddress = 0x0F7100}});
  // Without the file: no job that reached for it could end without saying it is missing.
  ASSERT_TRUE(job->RunJob(kIdWriteColour240TraditionalChinese));
  ExpectPageFailed();

  // With it: not open while the error box is.
  WriteImageFile("FT_color240_32X32.bin", 922368);
  job->station.view.HoldMessageBoxes();
  job->Press(kIdWriteColour240TraditionalChinese);
  ASSERT_TRUE(job->station.view.WaitForMessageBoxes(2));
  EXPECT_FALSE(FileHeldOpen("FT_color240_32X32.bin"));
  job->station.view.ReleaseMessageBoxes();
  ASSERT_TRUE(job->JobEnded());

  EXPECT_EQ(job->BoxTexts(), (std::vector<std::string>{"Write Error!!!", "Write Error!!!"}));
  EXPECT_EQ(PagesWritten().size(), 2 * (58 + 41 + 2u));
  EXPECT_EQ(PagesWritten().back(), 0x0F7100u);
}

TEST_F(ColourFontJobsTest, APageFailingInTheFileRegionClosesTheFileAfterTheErrorBox) {
  PlugIn({.corruptReadBack = sim::ReadBackCorruption{.pageOffset = 255, .pageAddress = 0x100200}});
  const auto file = WriteImageFile("Korea_color240_32X32.bin", 1446656);
  job->station.view.HoldMessageBoxes();
  job->Press(kIdWriteColour240Korean);
  ASSERT_TRUE(job->station.view.WaitForMessageBoxes(1));
  EXPECT_TRUE(FileHeldOpen("Korea_color240_32X32.bin")) << "open while the box is";
  job->station.view.ReleaseMessageBoxes();
  ASSERT_TRUE(job->JobEnded());
  EXPECT_FALSE(FileHeldOpen("Korea_color240_32X32.bin"));

  ExpectPageFailed();
  auto pages = Screen240Pages();
  for (std::uint32_t page : Pages(0x100000, 3)) pages.push_back(page);
  EXPECT_EQ(PagesWritten(), pages);
  // Three pages of the file's bytes from 0x80000 on: the third was written, then failed its read-back.
  auto expected = StaleFlash();
  PlaceScreen240Regions(expected);
  std::copy_n(file.begin() + 0x80000, 3 * kPageSize, expected.begin() + 0x100000);
  EXPECT_TRUE(SameFlash(expected, Flash()));
}

}  // namespace
}  // namespace quillon
