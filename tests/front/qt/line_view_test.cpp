// The production view in the Qt window, run as an operator's line runs it: `quillon --line` with four
// slots, simulated devices plugged in one after another, later pulled and replaced, one of the
// replacements going silent after a few pages. Nobody clicks. What the window's --json events and its
// log say is compared with what each device's flash holds.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "line/json_text.h"
#include "line/shift_counters.h"
#include "package/font_package.h"
#include "sim/pty_device.h"
#include "station/dialog_controls.h"
#include "station/jobs/expected_pages.h"
#include "tests/package/hex_package.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/simulated_device.h"
#include "tests/support/slot_events.h"

namespace quillon {
namespace {

constexpr int kSlots = 4;
// A unit opens with the device's ten-second pause, in which nothing is said.
constexpr std::chrono::seconds kPatience{60};
// The exchange that opens the package's third page: the handshake, the open-job command, then
// eighteen exchanges a page.
constexpr std::uint32_t kThirdPageExchange = 2 + 2 * 18 + 1;

std::filesystem::path Port(const std::filesystem::path& scratch, int slot) {
  return scratch / ("tty" + std::to_string(slot));
}

std::unique_ptr<sim::PtyDevice> PlugIn(const std::filesystem::path& link, std::uint32_t silentFrom = 0) {
  auto device = testing::SimulatedDevice({.faults = {.noReplyTo = silentFrom}, .linkPath = link});
  EXPECT_NE(device, nullptr);
  return device;
}

TEST(LineViewTest, FourSlotsPluggedPulledAndReplacedWriteEveryUnitWithoutAClick) {
  testing::ScratchWorkingDirectory scratch;
  testing::WriteLines("Bigfont.txt", testing::PackageLines(0, testing::PatternBytes(0, 6 * 256)));
  const std::vector<FontPage> pages = ExpectedPackagePages(kIdWriteLargeAscii)->pages;
  std::vector<std::string> arguments{QUILLON_WINDOW_PATH, "--line", "large-ascii", "--log",
                                     "units.jsonl",       "--json", "--lang",      "en"};
  for (int slot = 1; slot <= kSlots; ++slot)
    arguments.insert(arguments.end(), {"--port", Port(scratch.Path(), slot)});
  testing::ChildProcess window(arguments);

  // Plugged in one after another: each starts the moment it is there.
  std::vector<std::unique_ptr<sim::PtyDevice>> devices;
  for (int slot = 1; slot <= kSlots; ++slot) {
    devices.push_back(PlugIn(Port(scratch.Path(), slot)));
    EXPECT_EQ(testing::AwaitSlotEvents(window, "started", 1, kPatience).count(slot), 1u) << "slot " << slot;
  }
  std::map<int, JsonObject> ended = testing::AwaitSlotEvents(window, "ended", kSlots, kPatience);
  for (int slot = 1; slot <= kSlots; ++slot) {
    EXPECT_EQ(ended[slot].Value("result"), "complete") << slot;
    EXPECT_TRUE(testing::FlashHolds(*devices[slot - 1], pages)) << slot;
  }
  // Pulled, each unit acknowledged by its removal; replaced by fresh ones, slot 3's going silent.
  devices.clear();
  EXPECT_EQ(testing::AwaitSlotEvents(window, "removed", kSlots, kPatience).size(),
            static_cast<std::size_t>(kSlots));
  for (int slot = 1; slot <= kSlots; ++slot) {
    devices.push_back(PlugIn(Port(scratch.Path(), slot), slot == 3 ? kThirdPageExchange : 0));
  }
  ended = testing::AwaitSlotEvents(window, "ended", kSlots, kPatience);
  for (int slot = 1; slot <= kSlots; ++slot) {
    if (slot == 3) continue;
    EXPECT_EQ(ended[slot].Value("result"), "complete") << slot;
    EXPECT_TRUE(testing::FlashHolds(*devices[slot - 1], pages)) << slot;
  }
  EXPECT_EQ(ended[3].Value("result"), "failed");
  EXPECT_EQ(ended[3].Value("fault"), "link");
  EXPECT_EQ(ended[3].Value("at"), "0x000200") << "the silent device's page";

  // SIGTERM: the view ends after its units in hand (none now).
  EXPECT_TRUE(window.Signal(SIGTERM));
  std::string said;
  EXPECT_EQ(window.Finish(&said, kPatience), 0) << said;
  const ShiftCounters counters = CountShift("units.jsonl");
  EXPECT_EQ(counters.passed, 7);
  EXPECT_EQ(counters.failed, 1);
  std::ifstream log("units.jsonl");
  int lines = 0;
  for (std::string line; std::getline(log, line);) ++lines;
  EXPECT_EQ(lines, 2 * kSlots) << "one line a unit";
}

}  // namespace
}  // namespace quillon
