// A production record never lies and is never lost: quillon-cli run as a process against simulated
// devices on ptys, given what a shift gives it: packages cut short, named pipes, a full log, signals to
// the whole process group, a supervisor killed, a slot that crashes. Every unit that starts has exactly
// one log line, and no process is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "line/json_text.h"
#include "sim/pty_device.h"
#include "station/dialog_controls.h"
#include "station/jobs/expected_pages.h"
#include "tests/package/hex_package.h"
#include "tests/support/child_process.h"
#include "tests/support/eventually.h"
#include "tests/support/processes.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

using testing::ChildProcess;
using testing::Eventually;

constexpr int kPackagePages = 6;
// A unit opens with the device's ten-second pause, in which nothing is said: reads wait longer.
constexpr std::chrono::seconds kPatience{60};

void WriteLargeAsciiPackage() {
  testing::WriteLines("Bigfont.txt", testing::PackageLines(0, testing::PatternBytes(0, kPackagePages * 256)));
}

std::unique_ptr<sim::PtyDevice> Device(const std::filesystem::path& link) {
  auto device = testing::SimulatedDevice({.linkPath = link});
  EXPECT_NE(device, nullptr);
  return device;
}

std::vector<std::uint32_t> PagesWritten(sim::PtyDevice& device) {
  return device.WithEngine([](sim::DeviceEngine& engine) { return engine.PageLog(); });
}

std::uint32_t Exchanges(sim::PtyDevice& device) {
  return device.WithEngine([](sim::DeviceEngine& engine) { return engine.Counters().exchanges; });
}

// The log's records, by slot (0 for a station on its own).
std::multimap<int, JsonObject> LogRecords(const std::string& path = "units.jsonl") {
  std::multimap<int, JsonObject> records;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    const std::optional<JsonObject> record = ParseJsonObject(line);
    EXPECT_TRUE(record) << "not a whole record: " << line;
    if (record) records.emplace(static_cast<int>(record->Number("slot")), *record);
  }
  return records;
}

// The quillon-cli processes still running whose command line names `word` (a tty of this test's).
int ProcessesNaming(const std::string& word) {
  return static_cast<int>(testing::ProcessesWith({"quillon-cli", word}).size());
}

pid_t SlotPid(const std::string& port) {
  const std::vector<pid_t> slots = testing::ProcessesWith({"--gang-slot", port});
  return slots.empty() ? 0 : slots.front();
}

// Reads the process's lines until `until` holds for an event; the events seen, by slot.
std::map<int, std::vector<JsonObject>> ReadEventsUntil(ChildProcess& process,
                                                       const std::function<bool(const JsonObject&)>& until) {
  std::map<int, std::vector<JsonObject>> events;
  for (std::string line = process.Read(false, kPatience); !line.empty();
       line = process.Read(false, kPatience)) {
    const std::optional<JsonObject> event = ParseJsonObject(line);
    if (!event) continue;
    events[static_cast<int>(event->Number("slot"))].push_back(*event);
    if (until(*event)) break;
  }
  return events;
}

// Waits until every slot of `slots` has started a unit.
void WaitUntilStarted(ChildProcess& process, std::vector<int> slots, const char* event = "started") {
  ReadEventsUntil(process, [&](const JsonObject& seen) {
    if (seen.Value("event") == event) std::erase(slots, static_cast<int>(seen.Number("slot")));
    return slots.empty();
  });
  EXPECT_TRUE(slots.empty()) << "not every slot got to " << event;
}

std::vector<std::string> GangArguments(const std::filesystem::path& scratch, std::vector<std::string> more) {
  std::vector<std::string> arguments{QUILLON_CLI_PATH,
                                     "write",
                                     "large-ascii",
                                     "--quiet",
                                     "--json",
                                     "--lang",
                                     "en",
                                     "--log",
                                     "units.jsonl",
                                     "--port",
                                     (scratch / "tty1").string(),
                                     "--port",
                                     (scratch / "tty2").string()};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST(RecordsTest, WhatCannotBeUsedEndsTheCommandBeforeTheDeviceHearsAnything) {
  testing::ScratchWorkingDirectory scratch;
  auto device = Device(scratch.Path() / "tty");
  const std::string port = (scratch.Path() / "tty").string();
  const auto run = [&](const std::vector<std::string>& arguments) {
    std::vector<std::string> command{QUILLON_CLI_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess cli(command);
    std::string said;
    const std::optional<int> code = cli.Finish(&said);
    return std::make_pair(code.value_or(-1), said);
  };

  // A package cut short, one of its end record alone, one wholly above the font area, an empty one.
  std::vector<std::string> whole = testing::PackageLines(0, testing::PatternBytes(0, 3 * 256));
  const std::vector<std::vector<std::string>> refused = {
      {whole.begin(), whole.begin() + 10},
      {testing::kEndRecord},
      testing::PackageLines(0x61500, testing::PatternBytes(0x61500, 256)),
      {}};
  for (const auto& lines : refused) {
    testing::WriteLines("Bigfont.txt", lines);
    for (const char* command : {"write", "verify"}) {
      const auto [code, said] = run({command, "large-ascii", "--port", port, "--lang", "en"});
      EXPECT_EQ(code, 3) << said;
    }
  }
  const auto [cutCode, cutSaid] = [&] {
    testing::WriteLines("Bigfont.txt", {whole.begin(), whole.begin() + 10});
    return run({"write", "large-ascii", "--port", port, "--lang", "en"});
  }();
  EXPECT_NE(cutSaid.find("Bigfont.txt, line 10: the file ends here without an end record: it is cut short."),
            std::string::npos)
      << cutSaid;

  // A named pipe as the package, a log that is no file, one port under two names.
  std::filesystem::remove("Bigfont.txt");
  ASSERT_EQ(::mkfifo("Bigfont.txt", 0600), 0);
  auto [code, said] = run({"write", "large-ascii", "--port", port, "--lang", "en"});
  EXPECT_EQ(code, 3);
  EXPECT_NE(said.find("Bigfont.txt is a named pipe, not a file."), std::string::npos) << said;
  std::filesystem::remove("Bigfont.txt");
  WriteLargeAsciiPackage();
  std::tie(code, said) =
      run({"write", "large-ascii", "--port", port, "--port", port + "2", "--log", "/dev/full"});
  EXPECT_EQ(code, 3) << said;
  std::filesystem::create_symlink(port, "other-name");
  std::tie(code, said) = run({"write", "large-ascii", "--port", port, "--port", "other-name"});
  EXPECT_EQ(code, 2);
  EXPECT_NE(said.find("are the same port"), std::string::npos) << said;

  // A read that finds no device leaves the file it would have replaced as it was.
  const std::string before = [] {
    std::ifstream file("Bigfont.txt", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }();
  std::tie(code, said) = run({"read", "0", "0x2800", "--out", "Bigfont.txt", "--format", "hex", "--wait", "0",
                              "--port", (scratch.Path() / "no-such-tty").string()});
  EXPECT_EQ(code, 4) << said;
  std::ifstream after("Bigfont.txt", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), before);
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".Bigfont.txt"))
        << "left behind: " << entry.path();
  }

  // "Speed.txt" as a named pipe is no speed, and holds nothing up.
  ASSERT_EQ(::mkfifo("Speed.txt", 0600), 0);
  std::tie(code, said) = run({"write", "large-ascii", "--wait", "0", "--lang", "en", "--port",
                              (scratch.Path() / "no-such-tty").string()});
  EXPECT_EQ(code, 4) << said;
  EXPECT_NE(said.find("Speed.txt is a named pipe, not a file: the write speed stays as it is."),
            std::string::npos)
      << said;

  EXPECT_EQ(Exchanges(*device), 0u) << "not even the handshake";
}

TEST(RecordsTest, JsonIsJsonAloneInEveryLanguageAndSighupEndsARunAfterItsUnit) {
  testing::ScratchWorkingDirectory scratch;
  WriteLargeAsciiPackage();
  auto device = Device(scratch.Path() / "tty");
  // Standard output alone, under the C locale (Chinese).
  ChildProcess cli({"sh", "-c",
                    std::string("LC_ALL=C exec ") + QUILLON_CLI_PATH +
                        " write large-ascii --repeat --json --quiet " + "--log units.jsonl --port " +
                        (scratch.Path() / "tty").string() + " 2>errors.txt"});
  std::vector<JsonObject> events;
  for (std::string line = cli.Read(false, kPatience); !line.empty(); line = cli.Read(false, kPatience)) {
    const std::optional<JsonObject> event = ParseJsonObject(line);
    ASSERT_TRUE(event) << "not JSON: " << line;
    events.push_back(*event);
    if (event->Value("event") == "started") {
      EXPECT_TRUE(cli.Signal(SIGHUP));
    }
  }
  EXPECT_EQ(cli.Finish(nullptr, kPatience), 0);
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front().Value("event"), "linked");
  EXPECT_EQ(events.front().Value("link"), "tty 460800");
  const auto ended =
      std::find_if(events.begin(), events.end(), [](auto& e) { return e.Value("event") == "ended"; });
  ASSERT_NE(ended, events.end());
  EXPECT_EQ(ended->Value("link"), "tty 460800");
  EXPECT_EQ(ended->Value("result"), "complete");
  const auto records = LogRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records.begin()->second.Value("result"), "complete");
  EXPECT_EQ(PagesWritten(*device).size(), static_cast<std::size_t>(kPackagePages));
}

TEST(RecordsTest, CtrlCToTheGangsProcessGroupEndsEverySlotAfterItsUnitInHand) {
  testing::ScratchWorkingDirectory scratch;
  WriteLargeAsciiPackage();
  auto first = Device(scratch.Path() / "tty1");
  auto second = Device(scratch.Path() / "tty2");
  ChildProcess gang(GangArguments(scratch.Path(), {}), /*ownGroup=*/true);
  WaitUntilStarted(gang, {1, 2});
  EXPECT_TRUE(gang.SignalGroup(SIGINT));
  std::string said;
  EXPECT_EQ(gang.Finish(&said, std::chrono::seconds(60)), 0) << said;
  const auto records = LogRecords();
  ASSERT_EQ(records.size(), 2u);
  for (const auto& [slot, record] : records) EXPECT_EQ(record.Value("result"), "complete") << slot;
  EXPECT_EQ(PagesWritten(*first).size(), static_cast<std::size_t>(kPackagePages));
  EXPECT_EQ(PagesWritten(*second).size(), static_cast<std::size_t>(kPackagePages));
  EXPECT_TRUE(Eventually([&] { return ProcessesNaming(scratch.Path().string()) == 0; }));
}

TEST(RecordsTest, SlotsWhoseSupervisorWasKilledFinishTheirUnitRecordItThemselvesAndEnd) {
  testing::ScratchWorkingDirectory scratch;
  WriteLargeAsciiPackage();
  auto first = Device(scratch.Path() / "tty1");
  auto second = Device(scratch.Path() / "tty2");
  ChildProcess gang(GangArguments(scratch.Path(), {"--repeat"}));
  WaitUntilStarted(gang, {1, 2});
  EXPECT_TRUE(gang.Signal(SIGKILL));
  EXPECT_TRUE(
      Eventually([&] { return ProcessesNaming(scratch.Path().string()) == 0; }, std::chrono::seconds(60)));
  const auto records = LogRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records.count(1), 1u);
  EXPECT_EQ(records.count(2), 1u);
  for (const auto& [slot, record] : records) EXPECT_EQ(record.Value("result"), "complete") << slot;
  EXPECT_EQ(PagesWritten(*first).size(), static_cast<std::size_t>(kPackagePages));
  EXPECT_EQ(PagesWritten(*second).size(), static_cast<std::size_t>(kPackagePages));
}

TEST(RecordsTest, ACrashedSlotIsRecordedFailedAndASecondCtrlCRecordsTheOtherInterrupted) {
  testing::ScratchWorkingDirectory scratch;
  // Long enough that the unit is still in hand when the second Ctrl-C comes.
  constexpr int kLongPackagePages = 1000;
  testing::WriteLines("Bigfont.txt",
                      testing::PackageLines(0, testing::PatternBytes(0, kLongPackagePages * 256)));
  // A sanitizer would take the crash for its own and end the slot with an exit code.
  for (const char* sanitizer : {"ASAN_OPTIONS", "TSAN_OPTIONS", "UBSAN_OPTIONS"}) {
    const char* options = std::getenv(sanitizer);
    ::setenv(sanitizer, (std::string(options != nullptr ? options : "") + ":handle_segv=0").c_str(), 1);
  }
  auto first = Device(scratch.Path() / "tty1");
  auto second = Device(scratch.Path() / "tty2");
  ChildProcess gang(GangArguments(scratch.Path(), {"--repeat"}), /*ownGroup=*/true);
  WaitUntilStarted(gang, {1, 2}, "progress");
  ASSERT_EQ(::kill(SlotPid((scratch.Path() / "tty2").string()), SIGSEGV), 0);
  // The second Ctrl-C once the first has been taken: a signal sent twice before it is taken counts once.
  EXPECT_TRUE(gang.SignalGroup(SIGINT));
  for (std::string line = gang.Read(false, kPatience); !line.empty(); line = gang.Read(false, kPatience)) {
    if (line.find("Ending after the units in hand") != std::string::npos) break;
  }
  EXPECT_TRUE(gang.SignalGroup(SIGINT));
  std::string said;
  EXPECT_EQ(gang.Finish(&said, std::chrono::seconds(30)), 5) << said;
  EXPECT_TRUE(Eventually([&] { return ProcessesNaming(scratch.Path().string()) == 0; }));

  const auto records = LogRecords();
  ASSERT_EQ(records.size(), 2u) << said;
  const JsonObject& crashed = records.find(2)->second;
  EXPECT_EQ(crashed.Value("result"), "failed");
  EXPECT_EQ(crashed.Value("message"), "slot ended by signal 11");
  const JsonObject& interrupted = records.find(1)->second;
  EXPECT_EQ(interrupted.Value("result"), "interrupted");
  // The record never claims more than the device holds, and the device holds no page it does not tell of.
  const std::size_t written = PagesWritten(*first).size();
  EXPECT_GE(interrupted.Number("pages"), 1);
  EXPECT_LE(static_cast<std::size_t>(interrupted.Number("pages")), written);
  EXPECT_LE(written, static_cast<std::size_t>(interrupted.Number("pages")) + 1)
      << "one page in flight at most";
  EXPECT_LE(static_cast<std::size_t>(crashed.Number("pages")), PagesWritten(*second).size());
}

TEST(RecordsTest, ARecordTheLogCannotTakeEndsTheRunWithTheRecordOnStandardError) {
  testing::ScratchWorkingDirectory scratch;
  WriteLargeAsciiPackage();
  auto device = Device(scratch.Path() / "tty");
  // A log already at the file size limit the run is given: the disk is as good as full.
  std::ofstream("units.jsonl") << std::string(2047, '#') << "\n";
  ChildProcess cli({"sh", "-c",
                    std::string("ulimit -f 2 && exec ") + QUILLON_CLI_PATH +
                        " write large-ascii --repeat --quiet --lang en --log units.jsonl --port " +
                        (scratch.Path() / "tty").string()});
  std::string said;
  EXPECT_EQ(cli.Finish(&said, std::chrono::seconds(60)), 3) << said;
  EXPECT_NE(said.find("the log units.jsonl cannot be written"), std::string::npos) << said;
  EXPECT_NE(said.find("\"pages\":6,\"result\":\"complete\""), std::string::npos) << said;
  EXPECT_EQ(std::filesystem::file_size("units.jsonl"), 2048u);
}

}  // namespace
}  // namespace quillon
