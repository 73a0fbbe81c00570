#include "front/console/gang_run.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "front/console/exit_codes.h"
#include "front/console/gang_display.h"
#include "front/console/job_events.h"
#include "front/console/slot_process.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

using Clock = std::chrono::steady_clock;

// How often the supervisor looks whether the operator asked to stop, and redraws at the most.
constexpr std::chrono::milliseconds kLookPeriod{100};

struct Slot {
  SlotFigures figures;
  std::unique_ptr<SlotProcess> process;
  std::thread reader;
  int passed = 0;
  int failed = 0;
  int exitCode = kExitJobFailed;
  bool ended = false;
};

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

std::vector<std::string> SlotArguments(const CliOptions& options, const std::string& port) {
  std::vector<std::string> arguments{
      "write", options.package, "--port", port, "--json", "--wait", std::to_string(options.waitSeconds)};
  if (options.repeat) arguments.push_back("--repeat");
  if (options.quiet) arguments.push_back("--quiet");
  return arguments;
}

class Supervisor {
 public:
  Supervisor(const CliOptions& options, UnitLog* log, const GangOutput& output)
      : m_options(options), m_log(log), m_output(output), m_lines(output.out) {}

  int Run(const std::atomic<bool>& stopRequested) {
    StartSlots();
    bool stopPassedOn = false;
    auto nextDraw = Clock::now();
    while (!AllEnded()) {
      if (stopRequested.load() && !stopPassedOn) {
        stopPassedOn = true;
        for (Slot& slot : m_slots) {
          if (!slot.ended) slot.process->Interrupt();
        }
      }
      if (std::optional<SlotOutput> line = m_queue.Pop(Clock::now() + kLookPeriod)) Take(*line);
      if (m_output.terminal && !m_options.json && Clock::now() >= nextDraw) {
        Draw();
        nextDraw = Clock::now() + kLookPeriod;
      }
    }
    if (m_output.terminal && !m_options.json) Draw();
    for (Slot& slot : m_slots) {
      if (slot.reader.joinable()) slot.reader.join();
    }
    return Tally();
  }

 private:
  void StartSlots() {
    m_slots.resize(m_options.gangPorts.size());
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
      Slot& slot = m_slots[i];
      slot.figures.slot = static_cast<int>(i + 1);
      slot.figures.port = m_options.gangPorts[i];
      slot.figures.state = "waiting for the ID writer";
      std::string error;
      slot.process = SlotProcess::Start(SlotArguments(m_options, slot.figures.port), error);
      if (!slot.process) {
        std::fprintf(m_output.err, "slot %d: %s\n", slot.figures.slot, error.c_str());
        slot.ended = true;
        slot.figures.state = "not started";
        continue;
      }
      slot.reader = std::thread([this, i, process = slot.process.get()] {
        for (std::string line; process->ReadLine(line);) m_queue.Push({i, std::move(line)});
        m_queue.Push({i, {}, true});
      });
    }
  }

  bool AllEnded() const {
    for (const Slot& slot : m_slots) {
      if (!slot.ended) return false;
    }
    return true;
  }

  void Take(const SlotOutput& line) {
    Slot& slot = m_slots[line.slot];
    if (line.closed) {
      slot.exitCode = slot.process->Wait();
      slot.ended = true;
      slot.figures.state = "ended";
      if (m_options.json) {
        Emit(EventObject("exited", slot.figures.slot).Add("code", slot.exitCode));
      } else if (!m_output.terminal) {
        Say(slot, "ended, exit code " + std::to_string(slot.exitCode));
      }
      return;
    }
    std::optional<JsonObject> event = ParseJsonObject(line.line);
    if (!event || !event->Has("event")) {
      // What the slot's station said: its status line, its boxes.
      slot.figures.state = line.line.substr(0, 60);
      if (m_options.json || !m_output.terminal) {
        std::fprintf(m_output.err, "slot %d: %s\n", slot.figures.slot, line.line.c_str());
        std::fflush(m_output.err);
      }
      return;
    }
    event->SetRaw("slot", std::to_string(slot.figures.slot));
    TakeEvent(slot, *event);
    if (m_options.json) Emit(*event);
  }

  void TakeEvent(Slot& slot, const JsonObject& event) {
    const std::string name = event.Value("event");
    SlotFigures& figures = slot.figures;
    if (name == "linked") {
      figures.state = "linked " + event.Value("link");
      Report(slot, figures.state);
    } else if (name == "started") {
      figures.unit = static_cast<int>(event.Number("unit"));
      figures.pages = static_cast<int>(event.Number("pages"));
      figures.done = 0;
      figures.state = "writing";
      figures.elapsedSeconds = 0;
      Report(slot, "unit " + std::to_string(figures.unit) + " started, " + std::to_string(figures.pages) +
                       " pages");
    } else if (name == "progress") {
      figures.done = static_cast<int>(event.Number("done"));
      figures.elapsedSeconds = std::atof(event.Value("seconds").c_str());
      Report(slot, "unit " + std::to_string(figures.unit) + " " + std::to_string(figures.done) + "/" +
                       std::to_string(figures.pages) + " pages");
    } else if (name == "ended") {
      UnitRecord record = UnitOfObject(event);
      record.slot = figures.slot;
      figures.done = record.pages;
      figures.lastResult = record.result;
      figures.state = record.result;
      (record.result == "complete" ? slot.passed : slot.failed) += 1;
      if (m_log != nullptr && !m_log->Append(record)) {
        std::fprintf(m_output.err, "quillon-cli: %s\n", Tr("the log could not be written"));
      }
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.1f", record.seconds);
      Report(slot, "unit " + std::to_string(figures.unit) + " " + record.result + ", " +
                       std::to_string(record.pages) + " pages, " + seconds + " s" +
                       (record.message.empty() ? "" : ": " + record.message));
    } else if (name == "idle") {
      figures.state = "take it away, link the next";
      Report(slot, figures.state);
    }
  }

  // A line per event where the slots' lines are not redrawn.
  void Report(const Slot& slot, const std::string& what) {
    if (!m_options.json && !m_output.terminal) Say(slot, what);
  }

  void Say(const Slot& slot, const std::string& what) {
    std::fprintf(m_output.out, "slot %d %s: %s\n", slot.figures.slot, slot.figures.port.c_str(),
                 what.c_str());
    std::fflush(m_output.out);
  }

  void Emit(const JsonObject& event) {
    const std::string line = event.Text() + "\n";
    std::fwrite(line.data(), 1, line.size(), m_output.out);
    std::fflush(m_output.out);
  }

  void Draw() {
    std::vector<std::string> lines;
    int passed = 0;
    int failed = 0;
    for (const Slot& slot : m_slots) {
      SlotFigures figures = slot.figures;
      lines.push_back(SlotLine(figures));
      passed += slot.passed;
      failed += slot.failed;
    }
    lines.push_back(TotalLine(passed, failed, std::chrono::duration<double>(Clock::now() - m_start).count()));
    m_lines.Draw(lines);
  }

  int Tally() {
    int passed = 0;
    int failed = 0;
    std::string failing;
    bool sameCode = true;
    for (const Slot& slot : m_slots) {
      passed += slot.passed;
      failed += slot.failed;
      sameCode = sameCode && slot.exitCode == m_slots.front().exitCode;
      if (slot.exitCode != kExitWriteComplete || slot.failed > 0) {
        failing += (failing.empty() ? "" : ", ") + std::to_string(slot.figures.slot) + " (" +
                   slot.figures.port + ")";
      }
    }
    const std::string tally = Tr("Gang of {1} ended: {2} units, {3} passed, {4} failed.",
                                 {std::to_string(m_slots.size()), std::to_string(passed + failed),
                                  std::to_string(passed), std::to_string(failed)});
    if (failing.empty()) {
      std::fprintf(m_output.err, "%s\n", tally.c_str());
    } else {
      std::fprintf(m_output.err, "%s\n", Tr("{1} Failing slots: {2}.", {tally, failing}).c_str());
    }
    if (failing.empty()) return kExitWriteComplete;
    const int code = m_slots.front().exitCode;
    return sameCode && code != kExitWriteComplete ? code : kExitJobFailed;
  }

  const CliOptions& m_options;
  UnitLog* m_log;
  const GangOutput m_output;
  InPlaceLines m_lines;
  std::vector<Slot> m_slots;
  LineQueue m_queue;
  const Clock::time_point m_start = Clock::now();
};

}  // namespace

int RunGang(const CliOptions& options, UnitLog* log, const std::atomic<bool>& stopRequested,
            const GangOutput& output) {
  return Supervisor(options, log, output).Run(stopRequested);
}

}  // namespace quillon::console
