// The colour-screen jobs end to end: the button's job on the dialog, the real serial driver on a
// pseudo-terminal, the simulated device behind it; the whole flash compared with the image worked out
// from the built-in block and the image files. The long packages run once each.
#include <gtest/gtest.h>

#include <memory>

#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/jobs/colour_font_jobs.h"
#include "tests/station/jobs/colour_flash.h"
#include "tests/station/jobs/font_job_station.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

using testing::FileHeldOpen;
using testing::PlaceFromBlock;
using testing::PlaceFromFile;
using testing::PlaceScreen240Regions;
using testing::SameFlash;
using testing::StaleFlash;
using testing::WriteImageFile;

constexpr int kPort = 9;

class ColourFontJobsPtyTest : public ::testing::Test {
 protected:
  void PlugIn(sim::DeviceFaults faults = {}) {
    device = testing::SimulatedDevice({.faults = faults});
    ASSERT_NE(device, nullptr);
    device->WithEngine([](sim::DeviceEngine& engine) { engine.Memory().Program(0, StaleFlash()); });
    ASSERT_TRUE(job.LinkOverPty(*device, kPort));
  }
  void TearDown() override { job.Unlink(kPort); }

  bool RunJob(int button) { return job.RunJob(button); }

  std::vector<std::uint32_t> PagesWritten() {
    return device->WithEngine([](sim::DeviceEngine& engine) { return engine.PageLog(); });
  }
  std::vector<std::uint8_t> Flash() {
    return device->WithEngine([](sim::DeviceEngine& engine) {
      const auto image = engine.Memory().Image();
      return std::vector<std::uint8_t>(image.begin(), image.end());
    });
  }
  void ExpectCompleted() { job.ExpectCompleted(); }

  testing::FontJobStation job;
  std::unique_ptr<sim::PtyDevice> device;
};

TEST_F(ColourFontJobsPtyTest, TheEnglishPackageTouchesNothingOutsideItsRegions) {
  PlugIn();
  ASSERT_TRUE(RunJob(kIdWriteColour240English));
  ExpectCompleted();
  const auto pages = PagesWritten();
  ASSERT_EQ(pages.size(), 130u);
  EXPECT_EQ(pages.front(), 0x0F0000u);
  EXPECT_EQ(pages.back(), 0x0F8E00u);
  auto expected = StaleFlash();
  PlaceScreen240Regions(expected);
  EXPECT_TRUE(SameFlash(expected, Flash()));
}

TEST_F(ColourFontJobsPtyTest, TheChinesePackageFillsTheGlyphRegionIntoTheSmallerGlyphs) {
  PlugIn();
  ASSERT_TRUE(RunJob(kIdWriteColour240Chinese));
  ExpectCompleted();
  const auto pages = PagesWritten();
  ASSERT_EQ(pages.size(), 4226u);
  EXPECT_EQ(pages.back(), 0x1FFF00u);
  auto expected = StaleFlash();
  PlaceScreen240Regions(expected);
  PlaceFromBlock(expected, 0x100000, kFontGb2312_32x32.offset, 4096);
  const auto flash = Flash();
  EXPECT_TRUE(SameFlash(expected, flash));
  const auto smallGlyphs = TableBytes(kFontGb2312_16x16).first(1792);
  EXPECT_TRUE(std::equal(smallGlyphs.begin(), smallGlyphs.end(), flash.begin() + 0x1FF900));
}

TEST_F(ColourFontJobsPtyTest, TheSmallScreenPackageFillsTheFlashFromZero) {
  PlugIn();
  ASSERT_TRUE(RunJob(kIdWriteColour128Chinese));
  ExpectCompleted();
  const auto pages = PagesWritten();
  ASSERT_EQ(pages.size(), 1023u);
  EXPECT_EQ(pages.back(), 0x03FE00u);
  auto expected = StaleFlash();
  PlaceFromBlock(expected, 0, kFontGb2312_16x16.offset, 1023);
  EXPECT_TRUE(SameFlash(expected, Flash()));
}

TEST_F(ColourFontJobsPtyTest, TheKoreanPackageTakesItsGlyphsFromTheSecondHalfMegabyteOfTheFile) {
  PlugIn();
  // Longer than needed: the bytes past the region are left alone.
  const auto file = WriteImageFile("Korea_color240_32X32.bin", 1446656 + 4096);
  ASSERT_TRUE(RunJob(kIdWriteColour240Korean));
  ExpectCompleted();
  const auto pages = PagesWritten();
  ASSERT_EQ(pages.size(), 3733u);
  EXPECT_EQ(pages.back(), 0x1E1200u);
  auto expected = StaleFlash();
  PlaceScreen240Regions(expected);
  PlaceFromFile(expected, file, 0x80000);
  EXPECT_TRUE(SameFlash(expected, Flash()));
  EXPECT_FALSE(FileHeldOpen("Korea_color240_32X32.bin"));
}

TEST_F(ColourFontJobsPtyTest, AMissingFileIsReportedAfterTheBuiltinPagesAndEveryButtonWorksAgain) {
  PlugIn();
  ASSERT_TRUE(RunJob(kIdWriteColour240TraditionalChinese));
  EXPECT_EQ(job.BoxTexts(), std::vector<std::string>{"没有找到Read文件!!!"});
  EXPECT_TRUE(job.station.view.Sounds().empty());
  EXPECT_EQ(PagesWritten().size(), 130u);
  EXPECT_EQ(job.station.dlg.ProgressPos(), 1 + 130);
  EXPECT_EQ(g_jobBusy, 0);
  for (int button : kJobButtonIds) EXPECT_TRUE(job.station.dlg.IsControlEnabled(button)) << button;

  ASSERT_TRUE(RunJob(kIdWriteColour240English));
  EXPECT_EQ(job.BoxTexts(), (std::vector<std::string>{"没有找到Read文件!!!", "写入完成!!!"}));
  EXPECT_EQ(PagesWritten().size(), 260u);
}

TEST_F(ColourFontJobsPtyTest, APageFailingInTheFileRegionClosesTheFileAfterTheErrorBox) {
  PlugIn({.corruptReadBack = sim::ReadBackCorruption{.pageOffset = 0, .pageAddress = 0x100000}});
  WriteImageFile("FT_color240_32X32.bin", 922368);
  job.station.view.HoldMessageBoxes();
  job.Press(kIdWriteColour240TraditionalChinese);
  ASSERT_TRUE(job.station.view.WaitForMessageBoxes(1));
  EXPECT_TRUE(FileHeldOpen("FT_color240_32X32.bin"));
  job.station.view.ReleaseMessageBoxes();
  ASSERT_TRUE(job.JobEnded());

  EXPECT_FALSE(FileHeldOpen("FT_color240_32X32.bin"));
  EXPECT_EQ(job.BoxTexts(), std::vector<std::string>{"Write Error!!!"});
  EXPECT_EQ(job.station.view.Sounds(), std::vector<std::string>{g_errorSoundPath});
  EXPECT_EQ(PagesWritten().size(), 131u);
  EXPECT_EQ(g_linkKind, static_cast<std::uint32_t>(kPort)) << "the link itself stays up";
}

// The traditional Chinese package, run once in full on the USB link; its file exactly as long as needed.
TEST(ColourFileFontJobUsbTest, TheTraditionalChinesePackageTakesItsGlyphsFromTheFileStart) {
  sim::SimulatedUsbBridge bridge;
  testing::FontJobStation job{&bridge};
  bridge.WithEngine(0, [](sim::DeviceEngine& engine) { engine.Memory().Program(0, StaleFlash()); });
  UsbHandle handle = kNoUsbDevice;
  ASSERT_EQ(bridge.Open(0, &handle), kUsbSuccess);
  job.station.dlg.m_usbHandle = handle;
  g_linkKind = kUsbLinkKind;
  job.station.dlg.EnableJobButtons(true);
  const auto file = WriteImageFile("FT_color240_32X32.bin", 922368);

  ASSERT_TRUE(job.RunJob(kIdWriteColour240TraditionalChinese));
  EXPECT_EQ(job.BoxTexts(), std::vector<std::string>{"写入完成!!!"});
  const auto pages = bridge.WithEngine(0, [](sim::DeviceEngine& engine) { return engine.PageLog(); });
  ASSERT_EQ(pages.size(), 3733u);
  EXPECT_EQ(pages.back(), 0x1E1200u);
  auto expected = StaleFlash();
  PlaceScreen240Regions(expected);
  PlaceFromFile(expected, file, 0);
  const auto flash = bridge.WithEngine(0, [](sim::DeviceEngine& engine) {
    const auto image = engine.Memory().Image();
    return std::vector<std::uint8_t>(image.begin(), image.end());
  });
  EXPECT_TRUE(SameFlash(expected, flash));
}

}  // namespace
}  // namespace quillon
