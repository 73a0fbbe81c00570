// The production view in the Windows window under Wine, as an operator's line runs it: four COM ports,
// a simulator started for each in turn (a unit plugged in), ended (pulled, its flash dumped), and
// started again (the next unit), one of those going silent after a few pages. Nobody clicks; the window
// is closed as the system closes it.
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
#include "tests/package/hex_package.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/slot_events.h"
#include "tests/wine/wine_com_port.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

constexpr int kSlots = 4;
constexpr std::chrono::seconds kPatience{90};
// The exchange that opens the package's third page: the handshake, the open-job command, then eighteen
// exchanges a page.
constexpr int kThirdPageExchange = 2 + 2 * 18 + 1;

// One unit: a simulator on the slot's tty until it is pulled, its flash then dumped.
class Unit {
 public:
  Unit(int slot, int round, int silentFrom = 0)
      : m_dump("flash-" + std::to_string(slot) + "-" + std::to_string(round) + ".bin") {
    std::vector<std::string> arguments{QUILLON_DEVSIM_PATH, "--link", "tty" + std::to_string(slot), "--dump",
                                       m_dump};
    if (silentFrom != 0) arguments.insert(arguments.end(), {"--no-reply", std::to_string(silentFrom)});
    m_devsim = std::make_unique<testing::ChildProcess>(arguments);
    EXPECT_FALSE(m_devsim->Read().empty());  // its tty
  }
  // Pulled: the simulator ends and leaves its flash.
  std::vector<std::uint8_t> Pull() {
    m_devsim->Signal(SIGTERM);
    m_devsim->Finish();
    std::ifstream file(m_dump, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

 private:
  std::string m_dump;
  std::unique_ptr<testing::ChildProcess> m_devsim;
};

bool FlashHolds(const std::vector<std::uint8_t>& flash, const std::vector<FontPage>& pages) {
  for (const FontPage& page : pages) {
    if (flash.size() < page.address + kPageSize ||
        !std::equal(page.bytes.begin(), page.bytes.end(), flash.begin() + page.address)) {
      return false;
    }
  }
  return true;
}

TEST(WineLineViewTest, FourSlotsPluggedPulledAndReplacedWriteEveryUnitWithoutAClick) {
  ::setenv("WINEDEBUG", "-all", 1);
  testing::ScratchWorkingDirectory scratch;
  testing::WriteLines("Bigfont.txt", testing::PackageLines(0, testing::PatternBytes(0, 6 * 256)));
  std::ifstream packageFile("Bigfont.txt", std::ios::binary);
  const std::vector<FontPage> pages = ReadFontPackage(packageFile).pages;
  std::vector<std::unique_ptr<testing::WineComPort>> ports;
  std::vector<std::string> arguments{"wine",  QUILLON_WINDOWS_WINDOW, "--line", "large-ascii",
                                     "--log", "units.jsonl",          "--json", "--lang",
                                     "en"};
  for (int slot = 1; slot <= kSlots; ++slot) {
    ports.push_back(std::make_unique<testing::WineComPort>(scratch.Path() / ("tty" + std::to_string(slot))));
    arguments.insert(arguments.end(), {"--port", ports.back()->Name()});
  }
  testing::ChildProcess window(arguments);

  std::vector<std::unique_ptr<Unit>> units;
  for (int slot = 1; slot <= kSlots; ++slot) {
    units.push_back(std::make_unique<Unit>(slot, 1));
    EXPECT_EQ(testing::AwaitSlotEvents(window, "started", 1, kPatience).count(slot), 1u) << "slot " << slot;
  }
  std::map<int, JsonObject> ended = testing::AwaitSlotEvents(window, "ended", kSlots, kPatience);
  for (int slot = 1; slot <= kSlots; ++slot) {
    EXPECT_EQ(ended[slot].Value("result"), "complete") << slot;
    EXPECT_TRUE(FlashHolds(units[slot - 1]->Pull(), pages)) << slot;
  }
  EXPECT_EQ(testing::AwaitSlotEvents(window, "removed", kSlots, kPatience).size(),
            static_cast<std::size_t>(kSlots));
  units.clear();
  for (int slot = 1; slot <= kSlots; ++slot) {
    units.push_back(std::make_unique<Unit>(slot, 2, slot == 3 ? kThirdPageExchange : 0));
  }
  ended = testing::AwaitSlotEvents(window, "ended", kSlots, kPatience);
  for (int slot = 1; slot <= kSlots; ++slot) {
    if (slot == 3) continue;
    EXPECT_TRUE(FlashHolds(units[slot - 1]->Pull(), pages)) << slot;
  }
  EXPECT_EQ(ended[3].Value("result"), "failed");
  EXPECT_EQ(ended[3].Value("fault"), "link");

  // Closed as the system closes a window: the line ends after its units in hand (none now).
  testing::ChildProcess close({"wine", "taskkill", "/IM", "quillon.exe"});
  close.Finish(nullptr, kPatience);
  std::string said;
  EXPECT_EQ(window.Finish(&said, kPatience), 0) << said;
  const ShiftCounters counters = CountShift("units.jsonl");
  EXPECT_EQ(counters.passed, 7);
  EXPECT_EQ(counters.failed, 1);
}

}  // namespace
}  // namespace quillon
