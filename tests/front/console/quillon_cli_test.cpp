// quillon-cli run as a process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "link/os/file_descriptor.h"
#include "sim/pty_device.h"
#include "tests/package/hex_package.h"
#include "tests/support/child_process.h"
#include "tests/support/eventually.h"
#include "tests/support/pty_pair.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

struct CliRun {
  int exitCode = -1;
  std::string output;  // standard output and error together
};

// `environment`: a command that sets the environment and runs what follows ("env LANG=C").
CliRun RunCli(const std::string& arguments, const std::string& environment = {}) {
  CliRun run;
  const std::string command = environment + " " + QUILLON_CLI_PATH + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) run.output += buffer.data();
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The station's own texts: Chinese under the C locale, English where the system speaks it, and --lang
// over both. What the station says is shown whole in either language: a refused package, and the
// status line of a device that links (for a read, which reads no package).
TEST(QuillonCliTest, TheStationSpeaksChineseUnlessTheSystemOrLangAsksForEnglish) {
  testing::ScratchWorkingDirectory scratch;
  std::ofstream("flash.txt") << ":1000000000\n";
  struct Case {
    const char* system;
    const char* lang;
    bool english;
  };
  for (const Case& run : {Case{"C", "", false}, Case{"C", "--lang zh", false}, Case{"C", "--lang en", true},
                          Case{"en_US.UTF-8", "", true}, Case{"en_US.UTF-8", "--lang zh", false}}) {
    SCOPED_TRACE(std::string(run.system) + " " + run.lang);
    const std::string environment =
        std::string("env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=") + run.system;
    const CliRun cli = RunCli("write chinese --simulator --quiet " + std::string(run.lang), environment);
    const CliRun read = RunCli("read 0 1 --out flash.bin --simulator " + std::string(run.lang), environment);
    EXPECT_EQ(cli.exitCode, 3);
    EXPECT_EQ(read.exitCode, 0) << read.output;
    if (run.english) {
      EXPECT_NE(read.output.find("ID writer linked: ttySIM0 460800"), std::string::npos) << read.output;
      EXPECT_NE(cli.output.find("Write file format error!!!\nflash.txt, line 1: the byte count says 16 data "
                                "bytes, the line holds 0."),
                std::string::npos)
          << cli.output;
    } else {
      EXPECT_NE(read.output.find("写入器已连接：ttySIM0 460800"), std::string::npos) << read.output;
      EXPECT_NE(cli.output.find(
                    "写入文件格式错误!!!\nflash.txt，第 1 行：字节数写的是 16 个数据字节，这一行有 0 个。"),
                std::string::npos)
          << cli.output;
    }
  }
}

TEST(QuillonCliTest, HelpListsTheCommandsAndSucceeds) {
  CliRun run = RunCli("--help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("Usage: quillon-cli write PACKAGE"), std::string::npos);
}

TEST(QuillonCliTest, PortsListsWhatTheSystemHasAndSucceeds) {
  CliRun run = RunCli("ports");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.output.empty());
}

TEST(QuillonCliTest, AMistakeIsAUsageError) {
  CliRun run = RunCli("write no-such-package");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("unknown package no-such-package"), std::string::npos);
}

TEST(QuillonCliTest, WithoutADeviceTheWaitEndsWithItsOwnExitCode) {
  testing::ScratchWorkingDirectory scratch;
  testing::WriteLines("flash.txt", testing::PackageLines(0, testing::PatternBytes(0, 256)));
  CliRun run = RunCli("write chinese --wait 0");
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.output.find("No ID writer device was linked within 0 s"), std::string::npos);
}

TEST(QuillonCliTest, PortsListsATtyGivenWithPortAsTheCh340Port) {
  testing::ScratchWorkingDirectory scratch;
  const std::string tty = (scratch.Path() / "ttyBENCH").string();
  auto device = testing::SimulatedDevice({.linkPath = tty});
  ASSERT_NE(device, nullptr);
  CliRun run = RunCli("ports --port " + tty);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("USB-SERIAL CH340 (ttyBENCH)\t" + tty + "\tfree\n"), std::string::npos)
      << run.output;

  device.reset();  // the tty is gone: nothing to list
  run = RunCli("ports --port " + tty);
  EXPECT_NE(run.output.find("No serial ports found."), std::string::npos) << run.output;
}

TEST(QuillonCliTest, WriteReachesTheBuiltInSimulatorAndSaysWhichLinkIsUp) {
  testing::ScratchWorkingDirectory scratch;
  testing::WriteLines("flash.txt", testing::PackageLines(0, testing::PatternBytes(0, 256)));
  CliRun run = RunCli("write chinese --simulator --wait 20 --quiet");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Looking for the ID writer..."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("ID writer linked: ttySIM0 460800"), std::string::npos) << run.output;
}

// Run by itself, with its output in a file, so that its peak resident size can be read. The kernel
// counts into it what this process had resident when it spawned the child (the two share memory until
// the child's exec): an upper bound, a little above the child's own.
struct MeasuredCliRun {
  int exitCode = -1;
  std::string output;
  long peakResidentKiB = 0;
};

MeasuredCliRun RunCliMeasured(const std::vector<std::string>& arguments) {
  MeasuredCliRun run;
  std::vector<std::string> words{QUILLON_CLI_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "cli.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakResidentKiB = usage.ru_maxrss;
  std::ifstream output("cli.out");
  run.output.assign(std::istreambuf_iterator<char>(output), std::istreambuf_iterator<char>());
  return run;
}

TEST(QuillonCliTest, HugeFilesWithoutLineEndsCostLittleMemoryAndThePackageIsRefusedAtItsFirstLine) {
  testing::ScratchWorkingDirectory scratch;
  for (const char* name : {"flash.txt", "Speed.txt"}) {
    std::ofstream(name).close();
    std::filesystem::resize_file(name, 2ull << 30);  // sparse: no block of it is written
  }
  const std::string tty = (scratch.Path() / "ttyQ").string();
  auto device = testing::SimulatedDevice({.linkPath = tty});
  ASSERT_NE(device, nullptr);

  const MeasuredCliRun run = RunCliMeasured({"write", "chinese", "--port", tty, "--wait", "20"});
  EXPECT_EQ(run.exitCode, 3) << run.output;
  EXPECT_NE(run.output.find("flash.txt, line 1: the line is longer than"), std::string::npos) << run.output;
  const sim::DeviceCounters heard =
      device->WithEngine([](sim::DeviceEngine& engine) { return engine.Counters(); });
  EXPECT_EQ(heard.exchanges, heard.handshakes) << "nothing but the handshake";
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  EXPECT_LT(run.peakResidentKiB, 50 * 1024);
  RecordProperty("peak_resident_KiB", std::to_string(run.peakResidentKiB));
#endif
}

TEST(QuillonCliTest, ABadRangeOrAnUnwritableFileEndsTheCommandBeforeTheDeviceHearsAnything) {
  testing::ScratchWorkingDirectory scratch;
  const std::string tty = (scratch.Path() / "ttyQ").string();
  auto device = testing::SimulatedDevice({.linkPath = tty});
  ASSERT_NE(device, nullptr);
  const std::string port = " --port " + tty;

  CliRun run = RunCli("read 0x1000000 16 --out flash.bin" + port);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("address 0x1000000 lies outside the flash"), std::string::npos) << run.output;
  run = RunCli("read 0 0 --out flash.bin" + port);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("LENGTH must be at least 1"), std::string::npos) << run.output;
  run = RunCli("read 0xFFFF00 0x101 --out flash.bin" + port);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("runs past the end of the flash"), std::string::npos) << run.output;
  run = RunCli("read 0 256 --out no-such-directory/flash.bin" + port);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.output.find("cannot write no-such-directory/flash.bin"), std::string::npos) << run.output;
  run = RunCli("write chinese --repeat --log no-such-directory/units.jsonl" + port);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.output.find("the log no-such-directory/units.jsonl cannot be written"), std::string::npos)
      << run.output;
  run = RunCli("verify chinese" + port);  // no flash.txt here
  EXPECT_EQ(run.exitCode, 3);

  const sim::DeviceCounters heard =
      device->WithEngine([](sim::DeviceEngine& engine) { return engine.Counters(); });
  EXPECT_EQ(heard.exchanges, 0u) << "not even the handshake";
}

TEST(QuillonCliTest, CtrlCEndsAProductionRunAfterTheUnitInHandWithItsTally) {
  testing::ScratchWorkingDirectory scratch;
  testing::ChildProcess run({QUILLON_CLI_PATH, "write", "colour240-english", "--repeat", "--log",
                             "units.jsonl", "--simulator", "--quiet"});
  const auto unitsLogged = [] {
    std::ifstream log("units.jsonl");
    return std::count(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>(), '\n');
  };
  EXPECT_TRUE(testing::Eventually([&] { return unitsLogged() == 1; }, std::chrono::seconds(60)));
  EXPECT_TRUE(run.Signal(SIGINT));
  std::string said;
  EXPECT_EQ(run.Finish(&said, std::chrono::seconds(30)), 0) << said;
  EXPECT_NE(said.find("Unit 1: complete, 130 pages"), std::string::npos) << said;
  EXPECT_NE(said.find("Production run ended: 1 units, 1 passed, 0 failed."), std::string::npos) << said;
  EXPECT_EQ(unitsLogged(), 1);
}

// What the console says of a unit stopped now is what its record says, whichever thread gets there first.
TEST(QuillonCliTest, ASecondCtrlCStopsTheUnitInHandAndTheConsoleAndLogBothCallItInterrupted) {
  testing::ScratchWorkingDirectory scratch;
  testing::WriteLines("Bigfont.txt", testing::PackageLines(0, testing::PatternBytes(0, 200 * 256)));
  // At a real line's pace, as an operator meets it.
  const auto device = testing::SimulatedDevice({.emulatedBaud = 460800});
  ASSERT_NE(device, nullptr);
  testing::ChildProcess run({QUILLON_CLI_PATH, "write", "large-ascii", "--repeat", "--log", "units.jsonl",
                             "--port", device->SlavePath(), "--lang", "en"});
  std::string said;
  const auto readUntil = [&](const char* words) {
    for (std::string line = run.Read(false, std::chrono::seconds(60)); !line.empty();
         line = run.Read(false, std::chrono::seconds(60))) {
      said += line + "\n";
      if (line.find(words) != std::string::npos) return true;
    }
    return false;
  };
  ASSERT_TRUE(readUntil("/200 pages  10 %")) << said;  // the first tenth is verified
  EXPECT_TRUE(run.Signal(SIGINT));
  ASSERT_TRUE(readUntil("Ctrl-C again to stop now")) << said;
  EXPECT_TRUE(run.Signal(SIGINT));
  std::string rest;
  EXPECT_EQ(run.Finish(&rest, std::chrono::seconds(30)), 5) << said << rest;
  said += rest;
  EXPECT_NE(said.find("Stopped now: the unit in hand is recorded as interrupted."), std::string::npos)
      << said;
  EXPECT_EQ(said.find("Unit 1: failed"), std::string::npos) << said;
  std::ifstream log("units.jsonl");
  std::string record;
  ASSERT_TRUE(std::getline(log, record));
  EXPECT_NE(record.find("\"result\":\"interrupted\""), std::string::npos) << record;
  EXPECT_FALSE(std::getline(log, record)) << "one unit, one record";
}

// --- Only serial ports are written to ------------------------------------------------------------------

std::string FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(QuillonCliTest, WhatIsNoSerialPortIsRefusedInWordsThatSayWhatItIsAndNeverWrittenTo) {
  testing::ScratchWorkingDirectory scratch;
  const std::string package = ":020000040000FA\r\n:0400000001020304F2\r\n:00000001FF\r\n";
  std::ofstream("flash.txt", std::ios::binary) << package;
  std::filesystem::create_symlink("flash.txt", "flash-link");
  std::filesystem::create_directory("somedir");
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  // A reader on the pipe would see whatever the station wrote into it.
  const FileDescriptor pipeReader(::open("pipe", O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  ASSERT_TRUE(pipeReader.valid());

  const std::pair<std::string, std::string> refusals[] = {
      {"flash.txt", "flash.txt is a regular file, not a serial port"},
      {"flash-link", "flash-link is a symbolic link to a regular file, not a serial port"},
      {"somedir", "somedir is a directory, not a serial port"},
      {"/dev/null", "/dev/null is a device that is not a terminal, not a serial port"},
      {"pipe", "pipe is a named pipe (FIFO), not a serial port"},
      {"/dev/tty", "/dev/tty is this program's own terminal, not a serial port"},
  };
  for (const auto& [port, words] : refusals) {
    for (const std::string command : {"write large-ascii", "verify large-ascii", "read 0 256 --out x.bin"}) {
      const CliRun run = RunCli(command + " --port " + port + " --wait 3");
      EXPECT_EQ(run.exitCode, 2) << command << " --port " << port << ": " << run.output;
      EXPECT_NE(run.output.find("quillon-cli: " + words + "\n"), std::string::npos) << run.output;
    }
  }
  const CliRun ports = RunCli("ports --port flash.txt");
  EXPECT_EQ(ports.exitCode, 0);
  EXPECT_NE(ports.output.find("Not a serial port (flash.txt)\tflash.txt\t" + refusals[0].second + "\n"),
            std::string::npos)
      << ports.output;
  EXPECT_EQ(ports.output.find("CH340"), std::string::npos) << ports.output;

  EXPECT_EQ(FileBytes("flash.txt"), package);
  char piped = 0;
  EXPECT_LE(::read(pipeReader.get(), &piped, 1), 0) << "a byte went into the pipe";
  EXPECT_FALSE(std::filesystem::exists("x.bin"));
}

TEST(QuillonCliTest, TheTerminalTheStationRunsOnIsNoSerialPort) {
  testing::PtyPair terminal;
  ASSERT_TRUE(terminal.ok());
  std::vector<std::string> words{QUILLON_CLI_PATH, "write", "large-ascii", "--port", terminal.slavePath(),
                                 "--wait",         "3"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_addopen(&actions, standard, terminal.slavePath().c_str(), O_RDWR | O_NOCTTY, 0);
  }
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 2);
  const std::string shown = terminal.DeviceReceives(4096, std::chrono::milliseconds(500));
  EXPECT_NE(shown.find(terminal.slavePath() + " is this program's own terminal, not a serial port"),
            std::string::npos)
      << shown;
  EXPECT_EQ(shown.find("\x81\x18\x11\xAA\xDD"), std::string::npos) << "a frame went to the terminal";
}

TEST(QuillonCliTest, DeviceOptionsAreCheckedLikeEveryOther) {
  EXPECT_EQ(RunCli("write chinese --simulator=bluetooth").exitCode, 2);
  EXPECT_EQ(RunCli("write chinese --port").exitCode, 2);
  CliRun both = RunCli("ports --port /dev/ttyUSB0 --simulator");
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_NE(both.output.find("give either --port or --simulator, once"), std::string::npos);
}

}  // namespace
}  // namespace quillon
