// A production line's pace as the window runs it: the line (front/common's LineController, with its
// slot processes, log and model) against simulated devices at 460800 baud, and a scripted operator who
// pulls each unit and plugs in the next S seconds after its result. Units an hour for 4 and 8 slots
// against the ceiling N × 3600 / (one unit's time alone + S); and how soon the tile shows what happens:
// from a plug-in to "writing", from the result (its last page verified) to the tile's colour. Not a
// test: it prints the figures.
//
//   line_bench [--slots N]... [--units U] [--operator-seconds S]
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "front/common/line_controller.h"
#include "link/os/temporary_directory.h"
#include "package/hex_writer.h"
#include "sim/pty_device.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kLineBaud = 460800;
constexpr int kPackagePages = 174;  // as the large ASCII package

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

void WritePackage() {
  std::vector<std::uint8_t> bytes(kPackagePages * 256);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  IntelHexWriter writer;
  writer.AddData(0, bytes);
  std::FILE* file = std::fopen("Bigfont.txt", "w");
  for (const std::string& line : writer.Lines()) std::fprintf(file, "%s\n", line.c_str());
  std::fprintf(file, "%s\n", kIntelHexEndRecord);
  std::fclose(file);
}

std::filesystem::path Port(int slot) {
  return std::filesystem::current_path() / ("tty" + std::to_string(slot));
}

// What each tile showed, and when.
struct SlotTimes {
  Clock::time_point plugged;
  Clock::time_point writing;
  Clock::time_point result;  // its last page verified
  Clock::time_point coloured;
  TileState state = TileState::kWaiting;
  bool lastPageSeen = false;
};

class Operator : public LineView {
 public:
  Operator(int slots, int units, std::chrono::milliseconds pause)
      : m_slots(slots), m_units(units), m_pause(pause) {
    m_times.resize(static_cast<std::size_t>(slots));
    m_devices.resize(static_cast<std::size_t>(slots));
  }

  void Attach(LineModel* model) { m_model = model; }

  // Plugs every slot's first unit; then each next unit S seconds after the last one's result, until
  // `units` results have come.
  void Run() {
    m_start = Clock::now();
    for (int slot = 1; slot <= m_slots; ++slot) Plug(slot);
    std::unique_lock guard(m_lock);
    while (m_results < m_units) {
      if (m_due.empty()) {
        m_changed.wait(guard);
        continue;
      }
      const auto next =
          std::min_element(m_due.begin(), m_due.end(), [](auto& a, auto& b) { return a.second < b.second; });
      if (m_changed.wait_until(guard, next->second) == std::cv_status::no_timeout) continue;
      const int slot = next->first;
      m_due.erase(next);
      guard.unlock();
      m_devices[static_cast<std::size_t>(slot - 1)].reset();  // pulled
      Plug(slot);
      guard.lock();
    }
    m_end = Clock::now();
  }

  void LineChanged() override {
    if (m_model == nullptr) return;
    const std::vector<Tile> tiles = m_model->Tiles();
    const auto now = Clock::now();
    std::scoped_lock guard(m_lock);
    for (const Tile& tile : tiles) {
      SlotTimes& times = m_times[static_cast<std::size_t>(tile.slot - 1)];
      if (tile.state == TileState::kWriting && times.state != TileState::kWriting) {
        times.writing = now;
        m_plugToWriting.push_back(Seconds(now - times.plugged));
      }
      if (tile.state == TileState::kWriting && tile.pages > 0 && tile.done == tile.pages &&
          !times.lastPageSeen) {
        times.lastPageSeen = true;
        times.result = now;
      }
      if ((tile.state == TileState::kPassed || tile.state == TileState::kFailed) &&
          times.state == TileState::kWriting) {
        times.coloured = now;
        if (times.lastPageSeen) m_resultToColour.push_back(Seconds(now - times.result));
        m_unitTimes.push_back(Seconds(now - times.plugged));
        ++m_results;
        if (tile.state == TileState::kFailed) ++m_failed;
        m_due.emplace_back(tile.slot, now + m_pause);
        m_changed.notify_all();
      }
      times.state = tile.state;
    }
  }
  void PlayResultSound(bool) override {}

  double ElapsedSeconds() const { return Seconds(m_end - m_start); }
  int Results() const { return m_results; }
  int Failed() const { return m_failed; }
  std::vector<double> PlugToWriting() const { return m_plugToWriting; }
  std::vector<double> ResultToColour() const { return m_resultToColour; }
  std::vector<double> UnitTimes() const { return m_unitTimes; }

 private:
  void Plug(int slot) {
    Result<std::unique_ptr<sim::PtyDevice>> made =
        sim::PtyDevice::Create({.emulatedBaud = kLineBaud, .linkPath = Port(slot)});
    if (!made) std::fprintf(stderr, "line_bench: %s\n", made.Failure().words.c_str());
    std::unique_ptr<sim::PtyDevice> device = made ? std::move(*made) : nullptr;
    std::scoped_lock guard(m_lock);
    SlotTimes& times = m_times[static_cast<std::size_t>(slot - 1)];
    times.plugged = Clock::now();
    times.lastPageSeen = false;
    m_devices[static_cast<std::size_t>(slot - 1)] = std::move(device);
  }

  const int m_slots;
  const int m_units;
  const std::chrono::milliseconds m_pause;
  LineModel* m_model = nullptr;
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<SlotTimes> m_times;
  std::vector<std::unique_ptr<sim::PtyDevice>> m_devices;
  std::vector<std::pair<int, Clock::time_point>> m_due;  // slot, when its next unit goes in
  std::vector<double> m_plugToWriting;
  std::vector<double> m_resultToColour;
  std::vector<double> m_unitTimes;
  int m_results = 0;
  int m_failed = 0;
  Clock::time_point m_start;
  Clock::time_point m_end;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::ranges::sort(values);
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Worst(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::ranges::max_element(values);
}

// Runs a line of `slots` for `units` results; its operator.
std::unique_ptr<Operator> RunLine(int slots, int units, std::chrono::milliseconds pause) {
  LineProfile profile;
  profile.package = "large-ascii";
  profile.log = "units-" + std::to_string(slots) + ".jsonl";
  for (int slot = 1; slot <= slots; ++slot) profile.slots.push_back({Port(slot).string(), ""});
  auto person = std::make_unique<Operator>(slots, units, pause);
  Result<std::unique_ptr<LineController>> line =
      LineController::Open(profile, {.slotProgram = QUILLON_CLI_PATH}, *person);
  if (!line) {
    std::fprintf(stderr, "line_bench: %s\n", line.Failure().words.c_str());
    std::exit(1);
  }
  person->Attach(&(*line)->Model());
  person->Run();
  (*line)->RequestEnd();
  (*line)->WaitForEnd();
  person->Attach(nullptr);
  return person;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> lines;
  int units = 40;
  double pauseSeconds = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--slots") == 0) lines.push_back(std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--units") == 0) units = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--operator-seconds") == 0) pauseSeconds = std::atof(argv[i + 1]);
  }
  if (lines.empty()) lines = {4, 8};
  const auto pause = std::chrono::milliseconds(static_cast<int>(pauseSeconds * 1000));
  TemporaryDirectory scratch("quillon-line-bench");
  std::filesystem::current_path(scratch.Path());
  WritePackage();

  // One unit alone: from its plug-in to its tile's colour.
  const std::unique_ptr<Operator> alone = RunLine(1, 3, pause);
  const double unitAlone = Median(alone->UnitTimes());
  std::printf("one unit alone (%d pages at %u baud): %.2f s, plug-in to result\n", kPackagePages, kLineBaud,
              unitAlone);
  for (const int slots : lines) {
    const std::unique_ptr<Operator> line = RunLine(slots, units, pause);
    const double perHour = line->Results() * 3600 / line->ElapsedSeconds();
    const double ceiling = slots * 3600 / (unitAlone + pauseSeconds);
    std::printf(
        "%d slots, operator %.0f s: %d units (%d failed) in %.1f s: %.0f units/h, ceiling %.0f: %.1f %%\n",
        slots, pauseSeconds, line->Results(), line->Failed(), line->ElapsedSeconds(), perHour, ceiling,
        100 * perHour / ceiling);
    std::printf("  plug-in to writing over %zu: median %.3f s, worst %.3f s\n", line->PlugToWriting().size(),
                Median(line->PlugToWriting()), Worst(line->PlugToWriting()));
    std::printf("  result to colour over %zu: median %.3f s, worst %.3f s\n", line->ResultToColour().size(),
                Median(line->ResultToColour()), Worst(line->ResultToColour()));
  }
  std::filesystem::current_path("/");
}
