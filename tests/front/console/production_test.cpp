// The console's commands for a production line against the simulated device, over the serial link and
// over USB, in this process: the real console view, commands, dialog and drivers, with the device's
// open-job pause cut so that a unit takes a moment.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "front/common/device_setup.h"
#include "front/common/exit_codes.h"
#include "front/console/cli_options.h"
#include "front/console/console_view.h"
#include "front/console/device_check_commands.h"
#include "front/console/job_start.h"
#include "front/console/production_run.h"
#include "front/console/unit_recorder.h"
#include "front/console/write_command.h"
#include "line/sha256.h"
#include "link/files/replaced_file.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/jobs/expected_pages.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "station/shared_state.h"
#include "tests/package/hex_package.h"
#include "tests/support/captured_file.h"
#include "tests/support/eventually.h"
#include "tests/support/made.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

using console::CliOptions;
using testing::Eventually;

// A package of four pages from 0 and two from 0x20000, behind an extended linear address.
void WriteLargeAsciiPackage() {
  std::vector<std::string> lines = testing::PackageLines(0, testing::PatternBytes(0, 4 * 256), false);
  const std::vector<std::string> high =
      testing::PackageLines(0x20000, testing::PatternBytes(0x20000, 2 * 256));
  lines.insert(lines.end(), high.begin(), high.end());
  testing::WriteLines("Bigfont.txt", lines);
}

CliOptions PackageOptions(console::CliCommand command) {
  CliOptions options;
  options.command = command;
  options.package = "large-ascii";
  options.jobButton = PackageButtonId("large-ascii");
  return options;
}

// The station as quillon-cli runs it, on the simulated device built in.
class ConsoleStation {
 public:
  explicit ConsoleStation(DeviceChoice::Source source, StationWorkers workers = StationJobWorkers()) {
    ResetSharedState();
    m_device = testing::Made(DeviceSetup::Create(DeviceChoice{source, {}}));
    EXPECT_NE(m_device, nullptr);
    workers.connectThread = m_device->ConnectWorker();
    m_app = std::make_unique<CQuillonApp>(view, m_device->Usb(), std::move(workers),
                                          StationTiming{.openJobPause = std::chrono::milliseconds(0)});
    view.Silence();
    m_app->Start();
    // As quillon-cli does: a device coming or going brings the station's check at once.
    m_device->WatchDevices([this] { m_app->Dialog().CheckForDeviceNow(); });
  }
  ~ConsoleStation() {
    // The workers reach the dialog and the device: they must be done before either goes.
    Eventually(
        [this] { return !m_app->Dialog().JobWorkerAlive() && !m_app->Dialog().ConnectionAttemptRunning(); });
    m_device->StopWatching();
    m_app->Thread().QuitAndWait();
    m_app->Dialog().m_port.Stop();
    m_app.reset();
  }

  CQuillonApp& App() { return *m_app; }
  UsbBridge& Usb() { return m_device->Usb(); }
  template <typename F>
  decltype(auto) WithEngine(F&& f) {
    if (m_device->UsbSimulator() != nullptr) return m_device->UsbSimulator()->WithEngine(0, f);
    return m_device->SerialSimulator()->WithEngine(f);
  }
  sim::DeviceCounters Counters() {
    return WithEngine([](sim::DeviceEngine& engine) { return engine.Counters(); });
  }
  std::vector<std::uint8_t> Flash() {
    return WithEngine([](sim::DeviceEngine& engine) {
      const auto image = engine.Memory().Image();
      return std::vector<std::uint8_t>(image.begin(), image.end());
    });
  }
  void Unplug() {
    if (m_device->UsbSimulator() != nullptr) {
      m_device->UsbSimulator()->Unplug(0);
    } else {
      m_device->SerialSimulator()->Unplug();
    }
  }
  void Replug() {
    if (m_device->UsbSimulator() != nullptr) {
      m_device->UsbSimulator()->Replug(0);
    } else {
      EXPECT_TRUE(testing::Replugged(*m_device->SerialSimulator()));
    }
  }

  // Writes the large ASCII package once, as quillon-cli write does.
  int Write() {
    console::UnitRecorder recorder({.errorOut = errors.get()});
    const CliOptions options = PackageOptions(console::CliCommand::kWrite);
    return ExitCodeOf(console::RunWrite(options, *console::ReadRunPackage(options), App(), view, recorder,
                                        stop, errors.get()));
  }

  testing::CapturedFile errors;
  console::ConsoleView view{stdout, errors.get(), false, kProgressUpper};
  StopRequest stop;

 private:
  std::unique_ptr<DeviceSetup> m_device;
  std::unique_ptr<CQuillonApp> m_app;
};

class ProductionTest : public ::testing::TestWithParam<DeviceChoice::Source> {
 protected:
  testing::ScratchWorkingDirectory directory;
};

TEST_P(ProductionTest, VerifyReadsBackWithoutWritingAndNamesTheFirstByteThatDiffers) {
  WriteLargeAsciiPackage();
  ConsoleStation station(GetParam());
  ASSERT_EQ(station.Write(), kExitWriteComplete) << station.errors.Text();
  const sim::DeviceCounters written = station.Counters();
  const std::vector<FontPage> pages = ExpectedPackagePages(kIdWriteLargeAscii)->pages;
  ASSERT_EQ(pages.size(), 6u);

  const CliOptions verify = PackageOptions(console::CliCommand::kVerify);
  EXPECT_EQ(ExitCodeOf(console::RunVerify(verify, pages, station.App(), station.view, station.stop,
                                          station.errors.get())),
            kExitWriteComplete);
  EXPECT_TRUE(station.errors.Says("6 of 6 pages of large-ascii match the device.")) << station.errors.Text();
  const sim::DeviceCounters verified = station.Counters();
  EXPECT_EQ(verified.openJobs, written.openJobs);
  EXPECT_EQ(verified.writeAddresses, written.writeAddresses);
  EXPECT_EQ(verified.chunks, written.chunks);
  EXPECT_EQ(verified.readBackAddresses, written.readBackAddresses + 6);

  // The device's byte 0x21 of the page at 0x20100 now reads back changed.
  station.WithEngine([](sim::DeviceEngine& engine) {
    engine.Faults().corruptReadBack = sim::ReadBackCorruption{0x21, 0x20100};
  });
  EXPECT_EQ(ExitCodeOf(console::RunVerify(verify, pages, station.App(), station.view, station.stop,
                                          station.errors.get())),
            kExitJobFailed);
  const std::uint8_t expected = pages[5].bytes[0x21];
  char difference[128];
  std::snprintf(difference, sizeof difference,
                "The page at 0x020100 differs: its byte at 0x020121 is 0x%02X, the package has 0x%02X.",
                static_cast<std::uint8_t>(~expected), expected);
  EXPECT_TRUE(station.errors.Says(difference)) << station.errors.Text();
  EXPECT_TRUE(station.errors.Says("5 of 6 pages of large-ascii match the device.")) << station.errors.Text();
}

TEST_P(ProductionTest, AProductionRunRecordsEveryUnitAndEndsWhenAsked) {
  static constexpr char kLinkLost[] = "The link to the ID writer was lost";
  WriteLargeAsciiPackage();
  ConsoleStation station(GetParam());
  // The first unit's device leaves the bus after three pages; plugged in again it is whole.
  station.WithEngine([](sim::DeviceEngine& engine) { engine.Faults().unplugAfterPages = 3; });
  Result<std::unique_ptr<UnitLog>> log = UnitLog::Open("units.jsonl");
  ASSERT_TRUE(log.Ok()) << log.Failure().words;
  console::UnitRecorder recorder({.log = log->get(), .errorOut = station.errors.get()});
  CliOptions options = PackageOptions(console::CliCommand::kWrite);
  options.repeat = true;
  int exitCode = -1;
  std::thread run([&] {
    exitCode = ExitCodeOf(console::RunProduction(options, *console::ReadRunPackage(options), station.App(),
                                                 station.view, station.Usb(), recorder, nullptr, station.stop,
                                                 station.errors.get()));
  });
  const auto logLines = [] {
    std::ifstream file("units.jsonl");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  };
  const auto unitsLogged = [&](std::size_t count) {
    return Eventually([&] { return logLines().size() >= count; }, std::chrono::seconds(60));
  };

  EXPECT_TRUE(unitsLogged(1));
  // The next unit goes in once the station has seen the first gone: a unit still in its fixture after a
  // failed link is not taken for the next.
  EXPECT_TRUE(Eventually([&] { return station.view.Absences() > 0; }, std::chrono::seconds(30)));
  station.Replug();
  EXPECT_TRUE(unitsLogged(2));
  // Every status line is on standard error; the last may already say that the station looks again.
  const auto linksLost = [&] {
    const std::string said = station.errors.Text();
    std::size_t count = 0;
    for (std::size_t at = said.find(kLinkLost); at != std::string::npos; at = said.find(kLinkLost, at + 1))
      ++count;
    return count;
  };
  const std::size_t lostBefore = linksLost();
  station.Unplug();
  // Taken away for longer than the console takes to look whether a USB device is still there.
  EXPECT_TRUE(Eventually([&] { return linksLost() > lostBefore; }, std::chrono::seconds(30)));
  station.Replug();
  EXPECT_TRUE(unitsLogged(3)) << station.errors.Text();
  station.stop.Raise();
  run.join();

  const std::vector<std::string> lines = logLines();
  ASSERT_EQ(lines.size(), 3u);
  const std::string link = GetParam() == DeviceChoice::Source::kSimulatorUsb ? "USB" : "ttySIM0 460800";
  EXPECT_NE(lines[0].find("\"link\":\"" + link +
                          "\",\"package\":\"large-ascii\",\"pages\":3,\"result\":\"failed\""),
            std::string::npos)
      << lines[0];
  Sha256 allPages;
  const Result<PackagePages> package = ExpectedPackagePages(kIdWriteLargeAscii);
  for (const FontPage& page : package->pages) allPages.Add(page.bytes);
  const std::string digest = allPages.HexDigest();
  for (std::size_t unit : {1u, 2u}) {
    EXPECT_NE(lines[unit].find("\"pages\":6,\"result\":\"complete\",\"message\":\"写入完成!!!\""),
              std::string::npos)
        << lines[unit];
    EXPECT_NE(lines[unit].find("\"sha256\":\"" + digest + "\""), std::string::npos) << lines[unit];
  }
  EXPECT_EQ(exitCode, kExitJobFailed) << "one unit failed";
  EXPECT_TRUE(station.errors.Says("Production run ended: 3 units, 2 passed, 1 failed."))
      << station.errors.Text();
}

INSTANTIATE_TEST_SUITE_P(SerialAndUsb, ProductionTest,
                         ::testing::Values(DeviceChoice::Source::kSimulator,
                                           DeviceChoice::Source::kSimulatorUsb),
                         [](const auto& info) {
                           return info.param == DeviceChoice::Source::kSimulator ? std::string("Serial")
                                                                                 : std::string("Usb");
                         });

TEST(ReadCommandTest, TheFlashReadAsIntelHexWritesTheSameFlashIntoAFreshDevice) {
  testing::ScratchWorkingDirectory directory;
  WriteLargeAsciiPackage();
  std::vector<std::uint8_t> original;
  {
    ConsoleStation station(DeviceChoice::Source::kSimulator);
    ASSERT_EQ(station.Write(), kExitWriteComplete);
    CliOptions read;
    read.command = console::CliCommand::kRead;
    read.readAddress = 0x10;  // whole pages: from 0
    read.readLength = 0x20200 - 0x10;
    read.outPath = "copy/Bigfont.txt";
    read.format = console::ImageFormat::kIntelHex;
    std::filesystem::create_directory("copy");
    Result<ReplacedFile> out = ReplacedFile::Create(read.outPath);
    ASSERT_TRUE(out.Ok());
    ASSERT_EQ(ExitCodeOf(console::RunRead(read, std::move(*out), station.App(), station.view, station.stop,
                                          station.errors.get())),
              kExitWriteComplete)
        << station.errors.Text();
    EXPECT_TRUE(station.errors.Says("Read 0x000000..0x0201FF (514 pages) into copy/Bigfont.txt."))
        << station.errors.Text();
    original = station.Flash();
  }
  std::filesystem::current_path("copy");
  ConsoleStation fresh(DeviceChoice::Source::kSimulator);
  ASSERT_EQ(fresh.Write(), kExitWriteComplete) << fresh.errors.Text();
  EXPECT_TRUE(fresh.Flash() == original) << "the copy wrote other flash than the original package";
}

TEST(WriteOutcomeTest, TheExitCodeAndRecordAreHowTheJobEndedWhateverItsBoxSaid) {
  testing::ScratchWorkingDirectory directory;
  struct Ending {
    JobOutcome outcome;
    const char* said;
    int exitCode;
    const char* result;
  };
  for (const Ending ending :
       {Ending{JobOutcome::kComplete, "All pages are in.", kExitWriteComplete, "complete"},
        Ending{JobOutcome::kFailed, "写入完成!!!", kExitJobFailed, "failed"},
        Ending{JobOutcome::kInputRefused, "写入完成!!!", kExitInputRefused, "refused"},
        Ending{JobOutcome::kUnfinished, "写入完成!!!", kExitJobFailed, "failed"}}) {
    ConsoleStation station(DeviceChoice::Source::kSimulatorUsb);
    console::UnitRecorder recorder({.errorOut = station.errors.get()});
    console::UnitStart start{.package = std::make_shared<const PackagePages>()};
    const CliOptions options = PackageOptions(console::CliCommand::kWrite);
    const auto job = [ending](CQuillonDlg& dlg) {
      if (ending.outcome != JobOutcome::kUnfinished) dlg.SetJobOutcome(ending.outcome);
      dlg.MessageBox(ending.said, MessageIcon::kInformation);
      g_jobBusy.store(0);
    };
    ASSERT_TRUE(console::StartWhenLinked([&] { return station.App().RunJob(job); }, 20, station.view,
                                         station.stop, station.errors.get()));
    const console::UnitEnd end = console::FinishUnit(start, station.App(), station.view, recorder, options);
    EXPECT_EQ(ExitCodeOf(end.outcome), ending.exitCode) << ending.said;
    EXPECT_EQ(end.record.result, ending.result) << ending.said;
    EXPECT_EQ(end.record.message, ending.said);
  }
}

TEST(Sha256Test, KnownDigests) {
  Sha256 empty;
  EXPECT_EQ(empty.HexDigest(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  Sha256 abc;
  const std::uint8_t text[] = {'a', 'b', 'c'};
  abc.Add(text);
  EXPECT_EQ(abc.HexDigest(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  Sha256 twoBlocks;  // 56 bytes: the length no longer fits the first block
  const std::string message = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  twoBlocks.Add(std::span(reinterpret_cast<const std::uint8_t*>(message.data()), message.size()));
  EXPECT_EQ(twoBlocks.HexDigest(), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

}  // namespace
}  // namespace quillon
