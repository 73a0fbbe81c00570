// The production view's model driven by scripted slot events, as the supervisor would tell them: the
// tiles, the header's counters, the records' labels, the lock, and the counters rebuilt from the log.
#include "line/line_model.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/in_english.h"
#include "tests/support/scratch_directory.h"

namespace quillon {
namespace {

class RecordingView : public LineView {
 public:
  void LineChanged() override { ++changes; }
  void PlayResultSound(bool passed) override { sounds.push_back(passed); }
  int changes = 0;
  std::vector<bool> sounds;
};

LineProfile TwoSlots(const std::string& pin = {}) {
  LineProfile profile;
  profile.package = "large-ascii";
  profile.slots = {{"/dev/serial/by-path/pci-usb-0:1:1.0-port0", "A1"}, {"COM5", ""}};
  profile.station = "Line 3";
  if (!pin.empty()) profile.SetPin(pin);
  return profile;
}

JsonObject Event(const char* name, int slot) {
  return JsonObject().Add("schema", 1).Add("event", name).Add("slot", slot);
}

// A unit's record as a slot's "ended" event carries it.
JsonObject Ended(int slot, int unit, const std::string& result, int pages, const std::string& fault = {},
                 const std::string& at = {}) {
  UnitRecord record{
      .time = "2026-12-10T08:00:00Z", .package = "large-ascii", .pages = pages, .result = result};
  record.fault = fault;
  record.at = at;
  return EndedEvent(slot, unit, record);
}

class LineModelTest : public ::testing::Test {
 protected:
  std::chrono::system_clock::time_point now = *ParseUtcTime("2026-12-10T08:30:00Z");
  RecordingView view;
  LineModel model{
      TwoSlots(), {"large-ascii", 174, "f8b0ce1e66f2"}, {}, nullptr, view, nullptr, [this] { return now; }};
  testing::InEnglish english;
};

TEST_F(LineModelTest, AUnitGoesFromWaitingToWritingToItsResultAndBackWhenPulled) {
  const std::vector<Tile> first = model.Tiles();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].name, "A1") << "the label";
  EXPECT_EQ(first[1].name, "COM5") << "the port, where there is no label";
  EXPECT_EQ(first[0].state, TileState::kWaiting);

  model.SlotEvent(1, Event("started", 1).Add("unit", 1).Add("pages", 174));
  model.SlotEvent(
      1, Event("progress", 1).Add("unit", 1).Add("done", 88).Add("pages", 174).AddTenths("seconds", 0.87));
  Tile tile = model.Tiles()[0];
  EXPECT_EQ(tile.state, TileState::kWriting);
  EXPECT_EQ(tile.done, 88);
  EXPECT_EQ(tile.secondsLeft, 1);

  model.SlotEvent(1, Ended(1, 1, "complete", 174));
  tile = model.Tiles()[0];
  EXPECT_EQ(tile.state, TileState::kPassed);
  EXPECT_TRUE(tile.removeUnit);
  EXPECT_EQ(view.sounds, std::vector<bool>{true});
  model.SlotEvent(1, Event("idle", 1).Add("unit", 1));
  EXPECT_EQ(model.Tiles()[0].state, TileState::kPassed) << "green until the unit is pulled";
  model.SlotEvent(1, Event("removed", 1).Add("unit", 1));
  EXPECT_EQ(model.Tiles()[0].state, TileState::kWaiting);
  EXPECT_FALSE(model.Tiles()[0].removeUnit);
  EXPECT_EQ(model.Tiles()[1].state, TileState::kWaiting) << "the other slot is untouched";
}

TEST_F(LineModelTest, AFailureStaysOnItsTileWithItsReasonAndThreeInARowFlagTheSocket) {
  model.SlotEvent(2, Event("started", 2).Add("unit", 1).Add("pages", 174));
  model.SlotEvent(2, Ended(2, 1, "failed", 20, "verify", "0x001400"));
  Tile tile = model.Tiles()[1];
  EXPECT_EQ(tile.state, TileState::kFailed);
  EXPECT_EQ(tile.reason, "page 0x001400 did not verify");
  EXPECT_FALSE(tile.checkSocket);
  model.SlotEvent(2, Ended(2, 2, "failed", 3, "link", "0x000300"));
  EXPECT_EQ(model.Tiles()[1].reason, "the device did not answer at page 0x000300");
  model.SlotEvent(2, Ended(2, 3, "refused", 0));
  EXPECT_EQ(model.Tiles()[1].reason, "the package was refused");
  EXPECT_TRUE(model.Tiles()[1].checkSocket);
  EXPECT_EQ(view.sounds, (std::vector<bool>{false, false, false}));

  model.SlotEvent(2, Ended(2, 4, "complete", 174));
  EXPECT_FALSE(model.Tiles()[1].checkSocket) << "a good unit clears the flag";

  // A slot whose station died says so, and its tile shows it stopped.
  model.SlotEvent(1, Ended(1, 1, "failed", 0));
  model.SlotEvent(1, Event("exited", 1).Add("code", 1));
  EXPECT_EQ(model.Tiles()[0].state, TileState::kStopped);

  const LineHeader header = model.Header();
  EXPECT_EQ(header.counters.passed, 1);
  EXPECT_EQ(header.counters.failed, 4);
  EXPECT_DOUBLE_EQ(header.counters.YieldPercent(), 20.0);
  EXPECT_DOUBLE_EQ(header.unitsPerHour, 10.0) << "5 units in the half hour since the first";
  EXPECT_EQ(header.digest, "f8b0ce1e");
  EXPECT_EQ(header.station, "Line 3");
}

TEST_F(LineModelTest, AScannedLabelGoesToTheNextUnitThatStartsAndASecondScanReplacesIt) {
  model.Scanned("SN-0001");
  model.Scanned("SN-0002");
  EXPECT_EQ(model.Header().pendingBarcode, "SN-0002");
  model.SlotEvent(2, Event("started", 2).Add("unit", 1).Add("pages", 174));
  EXPECT_EQ(model.Tiles()[1].barcode, "SN-0002");
  EXPECT_EQ(model.Barcode(2, 1), "SN-0002") << "what the supervisor puts into the record";
  EXPECT_EQ(model.Header().pendingBarcode, "");
  model.SlotEvent(1, Event("started", 1).Add("unit", 1).Add("pages", 174));
  EXPECT_EQ(model.Barcode(1, 1), "") << "no scan, no label";
}

TEST(LineModelLockTest, ALockedViewRefusesEveryChangeUntilThePinUnlocksIt) {
  testing::ScratchWorkingDirectory scratch;
  RecordingView view;
  Result<std::unique_ptr<UnitLog>> log = UnitLog::Open("units.jsonl");
  ASSERT_TRUE(log.Ok());
  LineModel locked(TwoSlots("4711"), {}, {}, log->get(), view);
  EXPECT_TRUE(locked.Locked());
  EXPECT_FALSE(locked.NewShift().Ok());
  EXPECT_FALSE(locked.Unlock("1234"));
  EXPECT_TRUE(locked.Locked());
  EXPECT_TRUE(locked.Unlock("4711"));
  EXPECT_TRUE(locked.NewShift().Ok());
  locked.Lock();
  EXPECT_FALSE(locked.NewShift().Ok());

  LineModel open(TwoSlots(), {}, {}, log->get(), view);
  EXPECT_FALSE(open.Locked()) << "no PIN set yet: no prompt stands before writing";
  EXPECT_FALSE(open.Header().pinSet);
}

TEST(ShiftCountersTest, TheCountersAreRebuiltFromTheLogFromItsLastNewShift) {
  testing::ScratchWorkingDirectory scratch;
  std::ofstream("units.jsonl") << R"({"slot":1,"time":"2026-12-09T20:00:00Z","result":"complete"})"
                                  "\n"
                               << R"({"shift":"new","time":"2026-12-10T06:00:00Z","station":"Line 3"})"
                                  "\n"
                               << R"({"slot":1,"time":"2026-12-10T06:10:00Z","result":"complete"})"
                                  "\n"
                               << R"({"slot":2,"time":"2026-12-10T06:11:00Z","result":"failed"})"
                                  "\n"
                               << R"({"slot":2,"time":"2026-12-10T06:12:00Z","res)"
                                  "\n"  // cut short by a full disk
                               << R"({"slot":1,"time":"2026-12-10T06:13:00Z","result":"interrupted"})"
                                  "\n";
  const ShiftCounters counters = CountShift("units.jsonl");
  EXPECT_EQ(counters.passed, 1);
  EXPECT_EQ(counters.failed, 2);
  EXPECT_EQ(counters.since, "2026-12-10T06:00:00Z");
  EXPECT_DOUBLE_EQ(counters.UnitsPerHour(*ParseUtcTime("2026-12-10T07:00:00Z")), 3.0);
  EXPECT_EQ(CountShift("no-such-log.jsonl").Total(), 0);
}

TEST(LineProfileTest, AProfileReadsBackAsSavedAndItsPinOnlyAsAHash) {
  testing::ScratchWorkingDirectory scratch;
  LineProfile profile = TwoSlots("4711");
  ASSERT_TRUE(SaveLineProfile(kLineProfileFile, profile).Ok());
  std::ifstream file(kLineProfileFile);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("4711"), std::string::npos) << text;
  Result<LineProfile> read = ReadLineProfile(kLineProfileFile);
  ASSERT_TRUE(read.Ok());
  EXPECT_EQ(read->slots, profile.slots);
  EXPECT_EQ(read->station, "Line 3");
  EXPECT_TRUE(read->PinMatches("4711"));
  EXPECT_FALSE(read->PinMatches("4712"));
  EXPECT_EQ(ReadLineProfile("no-such-profile.json").Failure().kind, ProblemKind::kInputMissing);
  std::ofstream("broken.json") << "{\"package\": ";
  EXPECT_EQ(ReadLineProfile("broken.json").Failure().kind, ProblemKind::kInputRefused);
}

}  // namespace
}  // namespace quillon
