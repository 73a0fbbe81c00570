// A gang of three quillon-cli slots, run as a process against three simulated devices on ptys.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "front/common/package_buttons.h"
#include "line/json_text.h"
#include "package/font_package.h"
#include "sim/pty_device.h"
#include "station/jobs/expected_pages.h"
#include "tests/package/hex_package.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/simulated_device.h"

namespace quillon {
namespace {

// The exchange that opens page 5 of the package: after the handshake and the job's opening, eighteen
// exchanges a page (the write address, eight chunks, the read-back address, eight replies).
constexpr std::uint32_t kFifthPageExchange = 2 + 4 * 18 + 1;

std::unique_ptr<sim::PtyDevice> Device(const std::filesystem::path& link, std::uint32_t noReplyTo = 0) {
  auto device = testing::SimulatedDevice({.faults = {.noReplyTo = noReplyTo}, .linkPath = link});
  EXPECT_NE(device, nullptr);
  return device;
}

std::string Last(const std::vector<JsonObject>& events) {
  return events.empty() ? std::string() : events.back().Value("event");
}

TEST(GangTest, ASlotsFailureOrUnplugReachesNoOtherSlotAndTheLogAndEventsSaySo) {
  testing::ScratchWorkingDirectory scratch;
  testing::WriteLines("Bigfont.txt", testing::PackageLines(0, testing::PatternBytes(0, 6 * 256)));
  const std::vector<FontPage> pages = ExpectedPackagePages(PackageButtonId("large-ascii"))->pages;
  ASSERT_EQ(pages.size(), 6u);
  auto first = Device(scratch.Path() / "tty1");
  auto silent = Device(scratch.Path() / "tty2", kFifthPageExchange);
  auto late = Device(scratch.Path() / "tty3");
  late->Unplug();  // slot 3's device is plugged in only once the others are writing

  testing::ChildProcess gang({QUILLON_CLI_PATH, "write", "large-ascii", "--quiet", "--json", "--wait", "60",
                              "--log", "units.jsonl", "--port", "tty1", "--port", "tty2", "--port", "tty3"});
  std::map<int, std::vector<JsonObject>> events;  // by slot
  std::string said;
  // A unit opens with the device's ten-second pause, in which nothing is said: reads wait longer.
  for (std::string line = gang.Read(false, std::chrono::seconds(60)); !line.empty();
       line = gang.Read(false, std::chrono::seconds(60))) {
    const std::optional<JsonObject> event = ParseJsonObject(line);
    if (!event) {
      said += line + "\n";
      continue;
    }
    EXPECT_EQ(event->Value("schema"), "1") << line;
    events[static_cast<int>(event->Number("slot"))].push_back(*event);
    if (event->Value("event") == "started" && event->Number("slot") == 2) {
      ASSERT_TRUE(testing::Replugged(*late));
    }
    if (Last(events[1]) == "exited" && Last(events[2]) == "exited" && Last(events[3]) == "exited") break;
  }
  std::string rest;
  EXPECT_EQ(gang.Finish(&rest), 1);
  said += rest;

  auto ended = [&](int slot) {
    for (const JsonObject& event : events[slot]) {
      if (event.Value("event") == "ended") return event;
    }
    return JsonObject();
  };
  EXPECT_EQ(ended(1).Value("result"), "complete");
  EXPECT_EQ(ended(3).Value("result"), "complete");
  EXPECT_EQ(ended(2).Value("result"), "failed");
  EXPECT_EQ(ended(2).Number("pages"), 4);
  EXPECT_TRUE(testing::FlashHolds(*first, pages));
  EXPECT_TRUE(testing::FlashHolds(*late, pages));
  EXPECT_NE(said.find("Failing slots: 2 ("), std::string::npos) << said;

  std::ifstream log("units.jsonl");
  std::map<int, std::string> results;
  int lines = 0;
  for (std::string line; std::getline(log, line); ++lines) {
    const std::optional<JsonObject> unit = ParseJsonObject(line);
    ASSERT_TRUE(unit) << line;
    results[static_cast<int>(unit->Number("slot"))] = unit->Value("result");
  }
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(results, (std::map<int, std::string>{{1, "complete"}, {2, "failed"}, {3, "complete"}}));
}

}  // namespace
}  // namespace quillon
