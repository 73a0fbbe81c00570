// The Windows station, quillon-cli.exe and the window, run under Wine end to end: the Linux simulator
// behind a Wine COM port for the serial way, the simulated device as the vendor's DLL for the USB way.
// What the device's flash holds afterwards is compared with what the package says.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "package/font_package.h"
#include "tests/station/jobs/colour_flash.h"
#include "tests/support/child_process.h"
#include "tests/support/eventually.h"
#include "tests/support/processes.h"
#include "tests/support/scratch_directory.h"
#include "tests/wine/wine_com_port.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::ChildProcess;

using testing::WineComPort;
using testing::WinePrefix;

constexpr std::uint8_t kErased = 0xFF;
// The longest silence of a run: the open-job pause is 10 s.
constexpr std::chrono::seconds kPatience{60};

struct CliRun {
  std::optional<int> exitCode;
  std::string output;
  bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class WineStationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("WINEDEBUG", "-all", 1);
    ASSERT_TRUE(fs::is_directory(WinePrefix() / "dosdevices")) << "no Wine prefix at " << WinePrefix();
  }

  void SetUp() override {
    const std::string samples = std::string(QUILLON_SAMPLEGEN_PATH) + " . >/dev/null 2>&1";
    ASSERT_EQ(std::system(samples.c_str()), 0);
  }

  static CliRun RunCli(std::vector<std::string> arguments, const fs::path& program = QUILLON_WINDOWS_CLI) {
    arguments.insert(arguments.begin(), {"wine", program.string()});
    // Its words are compared in English, whatever language Wine's locale gives the station.
    arguments.insert(arguments.end(), {"--lang", "en"});
    ChildProcess cli(std::move(arguments));
    CliRun run;
    run.exitCode = cli.Finish(&run.output, kPatience);
    return run;
  }

  // The simulator on a pty behind a Wine COM port, dumping its flash when it ends.
  struct SerialDevice {
    explicit SerialDevice(std::vector<std::string> faults = {})
        : devsim(Arguments(std::move(faults))), ttyPath(devsim.Read()), com(fs::current_path() / "ttyW") {}
    // Ends the simulator and returns its flash.
    std::vector<std::uint8_t> Flash() {
      devsim.Signal(SIGTERM);
      if (devsim.Finish() != 0) return {};
      return ReadAll("flash.bin");
    }
    static std::vector<std::string> Arguments(std::vector<std::string> faults) {
      std::vector<std::string> arguments{QUILLON_DEVSIM_PATH, "--link", "ttyW", "--dump", "flash.bin"};
      arguments.insert(arguments.end(), faults.begin(), faults.end());
      return arguments;
    }
    ChildProcess devsim;
    std::string ttyPath;
    WineComPort com;
  };

  // Erased flash with the package's pages in it.
  static std::vector<std::uint8_t> FlashWithPackage(const std::string& fileName) {
    std::vector<std::uint8_t> image(testing::kFlashBytes, kErased);
    std::ifstream file(fileName, std::ios::binary);
    const FontPackage package = ReadFontPackage(file);
    EXPECT_FALSE(package.problem.has_value());
    EXPECT_FALSE(package.pages.empty());
    for (const FontPage& page : package.pages) std::ranges::copy(page.bytes, image.begin() + page.address);
    return image;
  }

  testing::ScratchWorkingDirectory scratch;
};

TEST_F(WineStationTest, TheChineseSamplePackageGoesIntoTheFlashExactlyThroughACOMPortAt460800) {
  SerialDevice device;
  ASSERT_FALSE(device.ttyPath.empty());
  ASSERT_FALSE(device.com.Name().empty());
  const CliRun run = RunCli({"write", "chinese", "--port", device.com.Name()});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(run.Says("ID writer linked: " + device.com.Name() + " 460800")) << run.output;
  EXPECT_TRUE(run.Says("Write complete!!!")) << run.output;
  EXPECT_TRUE(testing::SameFlash(FlashWithPackage("flash.txt"), device.Flash()));
}

TEST_F(WineStationTest, AColourScreenPackageGoesIntoTheFlashExactly) {
  SerialDevice device;
  const CliRun run = RunCli({"write", "colour240-english", "--port", device.com.Name()});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  std::vector<std::uint8_t> expected(testing::kFlashBytes, kErased);
  testing::PlaceScreen240Regions(expected);
  EXPECT_TRUE(testing::SameFlash(expected, device.Flash()));
}

TEST_F(WineStationTest, FirmwareWithoutTheHandshakeIsLinkedAt115200AndWritten) {
  SerialDevice device({"--no-handshake"});
  const CliRun run = RunCli({"write", "large-ascii", "--port", device.com.Name()});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(run.Says("ID writer linked: " + device.com.Name() + " 115200")) << run.output;
  EXPECT_TRUE(testing::SameFlash(FlashWithPackage("Bigfont.txt"), device.Flash()));
}

TEST_F(WineStationTest, ADeviceThatStopsAnsweringTakesTheLinkDownAndTheJobFails) {
  // The handshake, the open-job command, then the answer to a page's read-back never comes.
  SerialDevice device({"--no-reply", "40"});
  const CliRun run = RunCli({"write", "large-ascii", "--port", device.com.Name()});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_TRUE(run.Says("Write Error!!!")) << run.output;
  EXPECT_TRUE(run.Says("The link to the ID writer was lost")) << run.output;
  EXPECT_FALSE(run.Says("Write complete!!!")) << run.output;
}

// quillon-cli.exe installed in a folder of its own with `library` beside it as the vendor's SiUSBXp.dll,
// as an operator's station is; run from the working folder, which holds the packages.
fs::path StationWithUsbLibrary(const std::string& library) {
  fs::create_directory("station");
  fs::copy_file(QUILLON_WINDOWS_CLI, "station/quillon-cli.exe");
  fs::copy_file(library, "station/SiUSBXp.dll");
  return fs::current_path() / "station" / "quillon-cli.exe";
}

TEST_F(WineStationTest, OverUsbTheVendorsLibraryBesideTheStationIsFoundByOrdinalAndThePackageWritten) {
  const fs::path station = StationWithUsbLibrary(QUILLON_WINDOWS_SIM_USB_LIBRARY);
  ::setenv("QUILLON_SIM_FLASH", "usb-flash.bin", 1);
  const CliRun run = RunCli({"write", "large-ascii"}, station);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(run.Says("ID writer linked: USB")) << run.output;
  EXPECT_TRUE(testing::SameFlash(FlashWithPackage("Bigfont.txt"), ReadAll("usb-flash.bin")));
}

TEST_F(WineStationTest, ALibraryOfThatNameInTheWorkingFolderIsNeverLoaded) {
  fs::copy_file(QUILLON_WINDOWS_SIM_USB_LIBRARY, "SiUSBXp.dll");
  ::setenv("QUILLON_SIM_FLASH", "usb-flash.bin", 1);
  const CliRun run = RunCli({"write", "large-ascii", "--wait", "2"});
  EXPECT_EQ(run.exitCode, 4) << run.output;
  EXPECT_FALSE(run.Says("ID writer linked: USB")) << run.output;
  EXPECT_TRUE(run.Says("No ID writer found")) << run.output;
  EXPECT_FALSE(fs::exists("usb-flash.bin"));
}

TEST_F(WineStationTest, AUsbLibraryOfTheOtherWidthIsNamedAndTheSerialWayStillTried) {
  const fs::path station = StationWithUsbLibrary(QUILLON_OTHER_WIDTH_SIM_USB_LIBRARY);
  const std::string other = std::to_string(QUILLON_OTHER_WIDTH) + "-bit";
  const std::string mismatch = "SiUSBXp.dll is a " + other + " library, and this station is " +
                               std::to_string(QUILLON_WINDOWS_WIDTH) + "-bit: run the " + other +
                               " station instead";
  const CliRun run = RunCli({"write", "large-ascii", "--wait", "2"}, station);
  EXPECT_EQ(run.exitCode, 4) << run.output;
  EXPECT_TRUE(run.Says(mismatch + ". No ID writer found on a serial port.")) << run.output;

  const CliRun ports = RunCli({"ports"}, station);
  EXPECT_EQ(ports.exitCode, 0);
  EXPECT_TRUE(ports.Says("USB library\tcannot be used: ")) << ports.output;
  EXPECT_TRUE(ports.Says(mismatch)) << ports.output;
}

TEST_F(WineStationTest, AClickInTheWindowWritesThePackageThroughACOMPort) {
  SerialDevice device;
  ::setenv("QUILLON_WINDOW_TEST_PORT", device.com.Name().c_str(), 1);
  ChildProcess window({"wine", QUILLON_WINDOWS_WINDOW_TESTS, "--gtest_filter=WindowOverSerial.*"});
  std::string output;
  EXPECT_EQ(window.Finish(&output, std::chrono::seconds(180)), 0) << output;
  EXPECT_TRUE(testing::SameFlash(FlashWithPackage("Bigfont.txt"), device.Flash()));
}

TEST_F(WineStationTest, HelpPortsAndMistakesEndWithTheConsolesExitCodes) {
  const CliRun help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.Says("Usage: quillon-cli write PACKAGE")) << help.output;
  EXPECT_EQ(RunCli({"write", "no-such-package"}).exitCode, 2);

  SerialDevice device;
  const CliRun ports = RunCli({"ports", "--port", device.com.Name()});
  EXPECT_EQ(ports.exitCode, 0);
  EXPECT_TRUE(ports.Says("USB-SERIAL CH340 (" + device.com.Name() + ")\t\\\\.\\" + device.com.Name() + "\t"))
      << ports.output;
}

TEST_F(WineStationTest, OnlyACOMPortIsWrittenToNeitherAFileNamedAsOneNorOneBehindACOMPortsName) {
  const std::vector<std::uint8_t> package = ReadAll("flash.txt");
  for (const std::string& port : {std::string("C:\\x\\flash.txt"), std::string("COM0")}) {
    const CliRun run = RunCli({"write", "large-ascii", "--port", port});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_TRUE(run.Says(port + " is not a serial port: a port is COM1 to COM255")) << run.output;
  }
  // A COM port's name that leads to a file is refused on what opened, before any byte goes out.
  const WineComPort fileBehindAComPort(fs::current_path() / "flash.txt");
  const CliRun run = RunCli({"write", "large-ascii", "--port", fileBehindAComPort.Name(), "--wait", "2"});
  EXPECT_EQ(run.exitCode, 4) << run.output;
  EXPECT_TRUE(run.Says(fileBehindAComPort.Name() + " is a device that is not a terminal, not a serial port."))
      << run.output;
  EXPECT_EQ(ReadAll("flash.txt"), package);
}

// A gang of two COM ports under Wine: Ctrl-C (Wine hands the process's SIGINT to the console's handler)
// ends both after their units in hand; a --repeat gang whose supervisor is killed leaves slots that
// finish, record their units themselves and end. One log line per unit either way.
TEST_F(WineStationTest, AGangsRecordsOutliveCtrlCAndAKilledSupervisor) {
  ChildProcess devsim({QUILLON_DEVSIM_PATH, "--devices", "2", "--link", "ttyW"});
  ASSERT_FALSE(devsim.Read().empty());
  ASSERT_FALSE(devsim.Read().empty());
  WineComPort first(fs::current_path() / "ttyW1");
  WineComPort second(fs::current_path() / "ttyW2");
  const auto gang = [&](const char* log, bool repeat) {
    std::vector<std::string> arguments{"wine",    QUILLON_WINDOWS_CLI,
                                       "write",   "large-ascii",
                                       "--quiet", "--json",
                                       "--lang",  "en",
                                       "--log",   log,
                                       "--port",  first.Name(),
                                       "--port",  second.Name()};
    if (repeat) arguments.push_back("--repeat");
    return std::make_unique<ChildProcess>(arguments);
  };
  const auto waitUntilBothStarted = [](ChildProcess& process) {
    int started = 0;
    for (std::string line = process.Read(false, kPatience); !line.empty() && started < 2;
         line = process.Read(false, kPatience)) {
      if (line.find("\"event\":\"started\"") != std::string::npos) ++started;
    }
    return started == 2;
  };
  const auto records = [](const char* log) {
    std::ifstream file(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  };

  auto interrupted = gang("interrupted.jsonl", /*repeat=*/true);
  ASSERT_TRUE(waitUntilBothStarted(*interrupted));
  EXPECT_TRUE(interrupted->Signal(SIGINT));
  std::string said;
  EXPECT_EQ(interrupted->Finish(&said, kPatience), 0) << said;
  std::vector<std::string> lines = records("interrupted.jsonl");
  ASSERT_EQ(lines.size(), 2u) << said;
  for (const std::string& line : lines)
    EXPECT_NE(line.find("\"result\":\"complete\""), std::string::npos) << line;

  auto orphaned = gang("orphaned.jsonl", /*repeat=*/true);
  ASSERT_TRUE(waitUntilBothStarted(*orphaned));
  EXPECT_TRUE(orphaned->Signal(SIGKILL));
  // The slots end by themselves once they have recorded their units.
  EXPECT_TRUE(testing::Eventually(
      [] {
        return testing::ProcessesWith({"--gang-slot", "orphaned.jsonl"}).empty();
      },
      kPatience));
  lines = records("orphaned.jsonl");
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines)
    EXPECT_NE(line.find("\"result\":\"complete\""), std::string::npos) << line;
}

}  // namespace
}  // namespace quillon
