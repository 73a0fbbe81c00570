#include "tools/linesample/line_sample.h"

#include <cstdio>
#include <cstring>

#include "line/job_events.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

class NoView : public LineView {
 public:
  void LineChanged() override {}
  void PlayResultSound(bool) override {}
};

JsonObject Event(const char* name, int slot) {
  return EventObject(name, slot);
}

void Started(LineModel& model, int slot, int unit) {
  model.SlotEvent(slot, Event("started", slot).Add("unit", unit).Add("pages", 1557));
}

void Ended(LineModel& model, int slot, int unit, const char* result, int pages, const char* fault = "",
           const char* at = "") {
  UnitRecord record{.time = "2026-12-10T07:41:00Z", .package = "chinese", .pages = pages, .result = result};
  record.fault = fault;
  record.at = at;
  model.SlotEvent(slot, EndedEvent(slot, unit, record));
}

}  // namespace

std::optional<std::string> SampleArguments(int argc, char** argv) {
  Language language = Language::kChinese;
  if (argc != 4 || std::strcmp(argv[2], "--lang") != 0) {
    std::fprintf(stderr, "Usage: quillon-line-sample FILE.png --lang en|zh\n");
    return std::nullopt;
  }
  LanguageNamed(argv[3], language);  // a language not known leaves Chinese
  SetLanguage(language);
  return argv[1];
}

std::unique_ptr<LineModel> SampleLine(const std::string& portPrefix) {
  static NoView view;  // as long as any model made here
  LineProfile profile;
  profile.package = "chinese";
  profile.station = "Line 3";
  for (int slot = 1; slot <= 8; ++slot) {
    // Labelled fixtures, and sockets that go by their ports.
    std::string label;
    if (slot <= 4) label.append("A").append(std::to_string(slot));
    profile.slots.push_back({portPrefix + std::to_string(slot + 4), label});
  }
  ShiftCounters counters{.passed = 212, .failed = 5, .since = "2026-12-10T06:00:00Z"};
  auto model =
      std::make_unique<LineModel>(profile, LinePackage{"chinese", 1557, "5de3a1c2f0b7"}, counters, nullptr,
                                  view, nullptr, [] { return *ParseUtcTime("2026-12-10T07:45:00Z"); });
  // 1: waiting, no device. 2: writing, the label scanned for it shown.
  model->SlotSaid(1, "");
  model->Scanned("SN-24-00871");
  Started(*model, 2, 41);
  model->SlotEvent(
      2,
      Event("progress", 2).Add("unit", 41).Add("done", 1105).Add("pages", 1557).AddTenths("seconds", 26.1));
  // 3: passed, waiting to be pulled. 4: failed, a page that did not verify.
  Started(*model, 3, 38);
  Ended(*model, 3, 38, "complete", 1557);
  model->SlotEvent(3, Event("idle", 3).Add("unit", 38));
  Started(*model, 4, 36);
  Ended(*model, 4, 36, "failed", 417, "verify", "0x01A300");
  // 5: writing, just begun. 6: three failures in a row, its socket flagged.
  Started(*model, 5, 40);
  model->SlotEvent(
      5, Event("progress", 5).Add("unit", 40).Add("done", 156).Add("pages", 1557).AddTenths("seconds", 3.7));
  for (int unit = 33; unit <= 35; ++unit) {
    Started(*model, 6, unit);
    Ended(*model, 6, unit, "failed", 12, "link", "0x000C00");
  }
  // 7: passed. 8: waiting, its station looking for the device.
  Started(*model, 7, 39);
  Ended(*model, 7, 39, "complete", 1557);
  model->SlotSaid(8, "");
  model->Scanned("SN-24-00874");
  return model;
}

}  // namespace quillon
