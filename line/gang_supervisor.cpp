#include "line/gang_supervisor.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "line/sha256.h"
#include "line/supervisor_control.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

using Clock = std::chrono::steady_clock;

// How often the supervisor looks at the stop request when no slot says anything.
constexpr std::chrono::milliseconds kLookPeriod{100};

// A line a slot wrote, or (closed) its output's end.
struct SlotOutput {
  std::size_t slot;
  std::string line;
  bool closed = false;
};

class LineQueue {
 public:
  void Push(SlotOutput line) {
    std::scoped_lock guard(m_lock);
    m_lines.push_back(std::move(line));
    m_added.notify_one();
  }
  // The next line, or nothing when none came before the deadline.
  std::optional<SlotOutput> Pop(Clock::time_point deadline) {
    std::unique_lock guard(m_lock);
    if (!m_added.wait_until(guard, deadline, [&] { return !m_lines.empty(); })) return std::nullopt;
    SlotOutput line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_added;
  std::deque<SlotOutput> m_lines;
};

// A unit a slot has started and not yet recorded.
struct UnitInHand {
  int unit = 0;
  int pages = 0;
  int done = 0;  // the pages it last reported verified
  std::string time = UtcTimeNow();
  Clock::time_point clock = Clock::now();
};

struct Slot {
  int number = 0;
  std::string port;
  std::unique_ptr<SlotProcess> process;
  std::thread reader;
  SlotTally tally;
  bool ended = false;
  bool killed = false;  // by the supervisor: it did not stop when told to stop now
  std::string link;     // the last it linked
  std::optional<UnitInHand> unitInHand;
};

std::string DigestOfFirstPages(const PackagePages& package, int pages) {
  Sha256 digest;
  for (int i = 0; i < pages && i < static_cast<int>(package.pages.size()); ++i)
    digest.Add(package.pages[i].bytes);
  return digest.HexDigest();
}

}  // namespace

class GangSupervisor::Slots {
 public:
  std::vector<Slot> all;
  LineQueue queue;
};

GangSupervisor::GangSupervisor(GangSettings settings, GangObserver& observer)
    : m_settings(std::move(settings)), m_observer(observer), m_slots(std::make_unique<Slots>()) {}

GangSupervisor::~GangSupervisor() {
  for (Slot& slot : m_slots->all) {
    if (slot.reader.joinable()) slot.reader.join();
  }
}

GangSummary GangSupervisor::Run(const StopRequest& stop) {
  std::vector<Slot>& slots = m_slots->all;
  GangSummary summary;
  slots.resize(m_settings.ports.size());
  for (std::size_t i = 0; i < slots.size(); ++i) {
    Slot& slot = slots[i];
    slot.number = static_cast<int>(i + 1);
    slot.port = m_settings.ports[i];
    Result<std::unique_ptr<SlotProcess>> started =
        SlotProcess::Start(m_settings.program, m_settings.slotArguments(slot.number, slot.port));
    if (!started) {
      m_observer.SlotNotStarted(slot.number, started.Failure());
      slot.ended = true;
      continue;
    }
    slot.process = std::move(*started);
    slot.tally.started = true;
    slot.reader = std::thread([this, i, process = slot.process.get()] {
      for (std::string line; process->ReadLine(line);) m_slots->queue.Push({i, std::move(line)});
      m_slots->queue.Push({i, {}, true});
    });
  }

  // The request passed on to the slots, and when those told to stop now are ended.
  StopLevel passedOn = StopLevel::kNone;
  std::optional<Clock::time_point> endStragglersAt;
  const auto allEnded = [&] {
    for (const Slot& slot : slots) {
      if (!slot.ended) return false;
    }
    return true;
  };

  // Keeps a record in the log, or gives it to the observer when it cannot.
  const auto keep = [&](const UnitRecord& record) {
    if (m_settings.log == nullptr) return;
    if (Result<void> kept = m_settings.log->Append(record); !kept) {
      summary.recordLost = true;
      m_observer.RecordNotKept(record, kept.Failure());
    }
  };

  // The end of a slot's output: its process has ended.
  const auto slotEnded = [&](Slot& slot) {
    slot.tally.ending = slot.process->Wait();
    slot.ended = true;
    if (slot.unitInHand) {
      // It died with a unit in hand and no record: the record is the supervisor's, with what it reported.
      const UnitInHand unit = *slot.unitInHand;
      UnitRecord record;
      record.slot = slot.number;
      record.time = unit.time;
      record.link = slot.link;
      record.package = m_settings.packageName;
      record.pages = unit.done;
      record.result = slot.killed ? N_("interrupted") : N_("failed");
      // The log's words are the same in every language.
      record.message = slot.tally.ending.fault.empty()
                           ? "slot ended with exit code " + std::to_string(slot.tally.ending.exitCode)
                       : slot.killed ? "slot did not stop when told to, and was ended"
                                     : "slot ended by " + slot.tally.ending.fault;
      record.seconds = std::chrono::duration<double>(Clock::now() - unit.clock).count();
      record.sha256 = DigestOfFirstPages(*m_settings.package, unit.done);
      record.station = m_settings.stationName;
      record.barcode = m_observer.Barcode(slot.number, unit.unit);
      slot.tally.failed += 1;
      slot.unitInHand.reset();
      keep(record);
      m_observer.SlotEvent(slot.number, EndedEvent(slot.number, unit.unit, record));
    }
    m_observer.SlotEvent(slot.number,
                         EventObject("exited", slot.number).Add("code", slot.tally.ending.exitCode));
  };

  const auto slotEvent = [&](Slot& slot, JsonObject event) {
    event.Add("slot", slot.number);
    const std::string name = event.Value("event");
    if (name == "linked") {
      slot.link = event.Value("link");
    } else if (name == "started") {
      slot.unitInHand = UnitInHand{.unit = static_cast<int>(event.Number("unit")),
                                   .pages = static_cast<int>(event.Number("pages"))};
    } else if (name == "progress" && slot.unitInHand) {
      slot.unitInHand->done = static_cast<int>(event.Number("done"));
    } else if (name == "ended") {
      const int unit = static_cast<int>(event.Number("unit"));
      UnitRecord record = UnitOfObject(event);
      record.slot = slot.number;
      record.station = m_settings.stationName;
      record.barcode = m_observer.Barcode(slot.number, unit);
      (record.result == "complete" ? slot.tally.passed : slot.tally.failed) += 1;
      slot.unitInHand.reset();
      keep(record);
      // Kept, or given to the observer: either way the slot need not keep it itself.
      slot.process->Send(kControlRecordKept);
      // The event tells what the log holds.
      event = EndedEvent(slot.number, unit, record);
    }
    m_observer.SlotEvent(slot.number, event);
  };

  while (!allEnded()) {
    StopLevel asked = stop.Level();
    // A record the log did not take: the next would be lost too, so the slots end after their units.
    if (summary.recordLost && asked < StopLevel::kAfterUnit) asked = StopLevel::kAfterUnit;
    if (asked > passedOn) {
      passedOn = asked;
      m_observer.Stopping(asked);
      for (Slot& slot : slots) {
        if (!slot.ended)
          slot.process->Send(asked == StopLevel::kNow ? kControlStopNow : kControlEndAfterUnit);
      }
      if (asked == StopLevel::kNow) endStragglersAt = Clock::now() + m_settings.stopNowGrace;
    }
    if (endStragglersAt && Clock::now() >= *endStragglersAt) {
      endStragglersAt.reset();
      for (Slot& slot : slots) {
        if (slot.ended) continue;
        slot.killed = true;
        slot.process->Kill();
      }
    }
    if (std::optional<SlotOutput> output = m_slots->queue.Pop(Clock::now() + kLookPeriod)) {
      Slot& slot = slots[output->slot];
      if (output->closed) {
        slotEnded(slot);
      } else if (std::optional<JsonObject> event = ParseJsonObject(output->line);
                 event && event->Has("event")) {
        slotEvent(slot, std::move(*event));
      } else {
        m_observer.SlotSaid(slot.number, output->line);
      }
    }
    m_observer.Idle();
  }
  for (Slot& slot : slots) {
    if (slot.reader.joinable()) slot.reader.join();
    summary.slots.push_back(slot.tally);
  }
  summary.stoppedNow = passedOn == StopLevel::kNow;
  return summary;
}

}  // namespace quillon
