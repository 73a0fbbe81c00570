#include "front/console/gang_run.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "front/common/exit_codes.h"
#include "front/console/gang_display.h"
#include "line/gang_supervisor.h"
#include "line/job_events.h"
#include "texts/catalogue.h"

namespace quillon::console {
namespace {

using Clock = std::chrono::steady_clock;

// How often the slots' lines are redrawn at the most.
constexpr std::chrono::milliseconds kDrawPeriod{100};

std::vector<std::string> SlotArguments(const CliOptions& options, int slot, const std::string& port) {
  // Every slot speaks the supervisor's language and keeps its records itself only once the supervisor
  // has gone.
  std::vector<std::string> arguments{"write",
                                     options.package,
                                     "--port",
                                     port,
                                     "--json",
                                     "--wait",
                                     std::to_string(options.waitSeconds),
                                     "--lang",
                                     CurrentLanguage() == Language::kEnglish ? "en" : "zh",
                                     "--gang-slot",
                                     std::to_string(slot)};
  if (!options.logPath.empty()) arguments.insert(arguments.end(), {"--log", options.logPath});
  if (options.repeat) arguments.push_back("--repeat");
  if (options.quiet) arguments.push_back("--quiet");
  return arguments;
}

// The console's picture of the gang.
class GangConsole : public GangObserver {
 public:
  GangConsole(const CliOptions& options, const GangOutput& output)
      : m_options(options), m_output(output), m_lines(output.out) {
    m_slots.resize(options.gangPorts.size());
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
      m_slots[i].slot = static_cast<int>(i + 1);
      m_slots[i].port = options.gangPorts[i];
      m_slots[i].state = "waiting for the ID writer";
    }
  }

  void SlotEvent(int slot, const JsonObject& event) override {
    if (m_options.json) {
      const std::string line = event.Text() + "\n";
      std::fwrite(line.data(), 1, line.size(), m_output.out);
      std::fflush(m_output.out);
    }
    SlotFigures& figures = m_slots[slot - 1];
    const std::string name = event.Value("event");
    if (name == "linked") {
      figures.state = "linked " + event.Value("link");
      Report(figures, figures.state);
    } else if (name == "started") {
      figures.unit = static_cast<int>(event.Number("unit"));
      figures.pages = static_cast<int>(event.Number("pages"));
      figures.done = 0;
      figures.state = "writing";
      figures.elapsedSeconds = 0;
      Report(figures, "unit " + std::to_string(figures.unit) + " started, " + std::to_string(figures.pages) +
                          " pages");
    } else if (name == "progress") {
      figures.done = static_cast<int>(event.Number("done"));
      figures.elapsedSeconds = std::atof(event.Value("seconds").c_str());
      Report(figures, "unit " + std::to_string(figures.unit) + " " + std::to_string(figures.done) + "/" +
                          std::to_string(figures.pages) + " pages");
    } else if (name == "ended") {
      const UnitRecord record = UnitOfObject(event);
      figures.done = record.pages;
      figures.lastResult = figures.state = record.result;
      (record.result == "complete" ? m_passed : m_failed) += 1;
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.1f", record.seconds);
      Report(figures, "unit " + std::to_string(figures.unit) + " " + record.result + ", " +
                          std::to_string(record.pages) + " pages, " + seconds + " s" +
                          (record.message.empty() ? "" : ": " + record.message));
    } else if (name == "idle") {
      figures.state = "take it away, link the next";
      Report(figures, figures.state);
    } else if (name == "exited") {
      figures.state = "ended";
      Report(figures, "ended, exit code " + event.Value("code"));
    }
  }

  void SlotSaid(int slot, const std::string& line) override {
    m_slots[slot - 1].state = line.substr(0, 60);
    if (m_options.json || !m_output.terminal) {
      std::fprintf(m_output.err, "slot %d: %s\n", slot, line.c_str());
      std::fflush(m_output.err);
    }
  }

  void SlotNotStarted(int slot, const Problem& problem) override {
    m_slots[slot - 1].state = "not started";
    std::fprintf(m_output.err, "slot %d: %s\n", slot, problem.words.c_str());
  }

  void Stopping(StopLevel level) override {
    std::fprintf(m_output.err, "%s\n",
                 level == StopLevel::kNow ? Tr("Stopping now: the units in hand are recorded as interrupted.")
                                          : Tr("Ending after the units in hand; Ctrl-C again to stop now."));
    std::fflush(m_output.err);
  }

  void RecordNotKept(const UnitRecord& record, const Problem& problem) override {
    std::fprintf(m_output.err, "quillon-cli: %s\n%s", problem.words.c_str(), JsonLine(record).c_str());
    std::fflush(m_output.err);
  }

  void Idle() override {
    if (!m_output.terminal || m_options.json || Clock::now() < m_nextDraw) return;
    Draw();
  }

  void Draw() {
    std::vector<std::string> lines;
    for (const SlotFigures& figures : m_slots) lines.push_back(SlotLine(figures));
    lines.push_back(
        TotalLine(m_passed, m_failed, std::chrono::duration<double>(Clock::now() - m_start).count()));
    m_lines.Draw(lines);
    m_nextDraw = Clock::now() + kDrawPeriod;
  }

 private:
  // A line per event where the slots' lines are not redrawn.
  void Report(const SlotFigures& figures, const std::string& what) {
    if (m_options.json || m_output.terminal) return;
    std::fprintf(m_output.out, "slot %d %s: %s\n", figures.slot, figures.port.c_str(), what.c_str());
    std::fflush(m_output.out);
  }

  const CliOptions& m_options;
  const GangOutput m_output;
  InPlaceLines m_lines;
  std::vector<SlotFigures> m_slots;
  int m_passed = 0;
  int m_failed = 0;
  const Clock::time_point m_start = Clock::now();
  Clock::time_point m_nextDraw = Clock::now();
};

Result<void> Tally(const CliOptions& options, const GangSummary& summary, std::FILE* errorOut) {
  int passed = 0;
  int failed = 0;
  std::string failing;
  bool sameCode = true;
  for (std::size_t i = 0; i < summary.slots.size(); ++i) {
    const SlotTally& slot = summary.slots[i];
    passed += slot.passed;
    failed += slot.failed;
    sameCode = sameCode && slot.ending.exitCode == summary.slots.front().ending.exitCode;
    if (slot.ending.exitCode != kExitWriteComplete || slot.failed > 0 || !slot.started) {
      failing += (failing.empty() ? "" : ", ") + std::to_string(i + 1) + " (" + options.gangPorts[i] + ")";
    }
  }
  const std::string tally = Tr("Gang of {1} ended: {2} units, {3} passed, {4} failed.",
                               {std::to_string(summary.slots.size()), std::to_string(passed + failed),
                                std::to_string(passed), std::to_string(failed)});
  std::fprintf(errorOut, "%s\n",
               failing.empty() ? tally.c_str() : Tr("{1} Failing slots: {2}.", {tally, failing}).c_str());
  if (summary.recordLost) return Problem{ProblemKind::kOutputFailed, {}};
  if (summary.stoppedNow) return Problem{ProblemKind::kInterrupted, {}};
  if (failing.empty()) return {};
  const int code = summary.slots.front().ending.exitCode;
  // Slots that all ended alike (none linked, say) end the gang alike.
  return Problem{sameCode && code != kExitWriteComplete ? KindOfExitCode(code) : ProblemKind::kJobFailed, {}};
}

}  // namespace

Result<void> RunGang(const CliOptions& options, const RunPackage& package, UnitLog* log,
                     const StopRequest& stop, const GangOutput& output) {
  GangConsole console(options, output);
  GangSettings settings{
      .packageName = options.package,
      .ports = options.gangPorts,
      .slotArguments = [&options](int slot,
                                  const std::string& port) { return SlotArguments(options, slot, port); },
      .package = package,
      .log = log,
  };
  GangSummary summary = GangSupervisor(std::move(settings), console).Run(stop);
  if (output.terminal && !options.json) console.Draw();
  return Tally(options, summary, output.err);
}

}  // namespace quillon::console
