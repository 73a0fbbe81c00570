#include "line/line_model.h"

#include <cmath>
#include <cstdlib>

#include "line/unit_log.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

// A slot that failed this many units in a row is flagged: its fixture or cable, not its units.
constexpr int kFailuresThatFlagASocket = 3;

}  // namespace

LineModel::LineModel(const LineProfile& profile, const LinePackage& package, ShiftCounters counters,
                     UnitLog* log, LineView& view, std::FILE* events, Clock now)
    : m_profile(profile),
      m_package(package),
      m_counters(std::move(counters)),
      m_log(log),
      m_view(view),
      m_events(events),
      m_now(std::move(now)),
      m_locked(profile.PinSet()) {
  for (std::size_t i = 0; i < profile.slots.size(); ++i) {
    Tile tile;
    tile.slot = static_cast<int>(i + 1);
    tile.name = profile.slots[i].label.empty() ? profile.slots[i].port : profile.slots[i].label;
    m_tiles.push_back(tile);
  }
}

Tile& LineModel::TileOf(int slot) {
  return m_tiles.at(static_cast<std::size_t>(slot - 1));
}

void LineModel::SlotEvent(int slot, const JsonObject& event) {
  if (m_events != nullptr) {
    const std::string line = event.Text() + "\n";
    std::fwrite(line.data(), 1, line.size(), m_events);
    std::fflush(m_events);
  }
  std::optional<bool> result;  // a unit's, for its sound
  {
    std::scoped_lock guard(m_lock);
    Tile& tile = TileOf(slot);
    const std::string name = event.Value("event");
    if (name == "linked") {
      tile.status.clear();
    } else if (name == "started") {
      tile.state = TileState::kWriting;
      tile.pages = static_cast<int>(event.Number("pages"));
      tile.done = 0;
      tile.secondsLeft = -1;
      tile.reason.clear();
      tile.removeUnit = false;
      // The label scanned last goes to this unit.
      tile.barcode = std::exchange(m_pendingBarcode, {});
    } else if (name == "progress") {
      tile.done = static_cast<int>(event.Number("done"));
      const double seconds = std::atof(event.Value("seconds").c_str());
      if (tile.done > 1 && seconds > 0) {
        tile.secondsLeft = static_cast<int>(std::ceil((tile.pages - tile.done) * seconds / (tile.done - 1)));
      }
    } else if (name == "ended") {
      const UnitRecord record = UnitOfObject(event);
      Ended(tile, record);
      result = record.result == "complete";
    } else if (name == "idle") {
      tile.removeUnit = tile.state == TileState::kPassed || tile.state == TileState::kFailed;
    } else if (name == "removed") {
      // Pulling the unit is the acknowledgement.
      tile.state = TileState::kWaiting;
      tile.removeUnit = false;
      tile.reason.clear();
      tile.done = 0;
    } else if (name == "exited") {
      tile.state = TileState::kStopped;
      tile.removeUnit = false;
    }
  }
  if (result) m_view.PlayResultSound(*result);
  m_view.LineChanged();
}

void LineModel::Ended(Tile& tile, const UnitRecord& record) {
  const bool passed = record.result == "complete";
  tile.state = passed ? TileState::kPassed : TileState::kFailed;
  tile.done = record.pages;
  tile.secondsLeft = -1;
  tile.reason = passed ? std::string() : ReasonOf(record);
  tile.removeUnit = true;
  tile.failuresInARow = passed ? 0 : tile.failuresInARow + 1;
  tile.checkSocket = tile.failuresInARow >= kFailuresThatFlagASocket;
  m_counters.Count(record);
}

std::string LineModel::ReasonOf(const UnitRecord& record) const {
  if (record.result == "refused") return Tr("the package was refused");
  if (record.result == "interrupted") return Tr("stopped before the unit was done");
  if (record.fault == "link") {
    return record.at.empty() ? Tr("the device did not answer")
                             : Tr("the device did not answer at page {1}", {record.at});
  }
  if (record.fault == "verify") return Tr("page {1} did not verify", {record.at});
  if (!record.message.empty()) return Tr("the slot's station ended: {1}", {record.message});
  return Tr("the unit failed");
}

void LineModel::SlotSaid(int slot, const std::string& line) {
  {
    std::scoped_lock guard(m_lock);
    TileOf(slot).status = line;
  }
  m_view.LineChanged();
}

void LineModel::SlotNotStarted(int slot, const Problem& problem) {
  {
    std::scoped_lock guard(m_lock);
    Tile& tile = TileOf(slot);
    tile.state = TileState::kStopped;
    tile.status = problem.words;
  }
  m_view.LineChanged();
}

void LineModel::Stopping(StopLevel /*level*/) {}

void LineModel::RecordNotKept(const UnitRecord& record, const Problem& problem) {
  {
    std::scoped_lock guard(m_lock);
    m_notice = problem.words;
  }
  // Not lost: on standard error, where whoever started the window can keep it.
  std::fprintf(stderr, "quillon: %s\n%s", problem.words.c_str(), JsonLine(record).c_str());
  m_view.LineChanged();
}

std::string LineModel::Barcode(int slot, int /*unit*/) {
  std::scoped_lock guard(m_lock);
  return TileOf(slot).barcode;
}

std::vector<Tile> LineModel::Tiles() const {
  std::scoped_lock guard(m_lock);
  return m_tiles;
}

LineHeader LineModel::Header() const {
  std::scoped_lock guard(m_lock);
  LineHeader header;
  header.package = m_package.name;
  header.pages = m_package.pages;
  header.digest = m_package.digest.substr(0, 8);
  header.station = m_profile.station;
  header.counters = m_counters;
  header.unitsPerHour = m_counters.UnitsPerHour(m_now());
  header.pinSet = m_profile.PinSet();
  header.locked = m_locked;
  header.pendingBarcode = m_pendingBarcode;
  header.notice = m_notice;
  return header;
}

void LineModel::Scanned(const std::string& code) {
  if (code.empty()) return;
  {
    std::scoped_lock guard(m_lock);
    m_pendingBarcode = code;
  }
  m_view.LineChanged();
}

bool LineModel::Locked() const {
  std::scoped_lock guard(m_lock);
  return m_locked;
}

bool LineModel::Unlock(const std::string& pin) {
  {
    std::scoped_lock guard(m_lock);
    if (m_profile.PinSet() && !m_profile.PinMatches(pin)) return false;
    m_locked = false;
  }
  m_view.LineChanged();
  return true;
}

void LineModel::Lock() {
  {
    std::scoped_lock guard(m_lock);
    m_locked = m_profile.PinSet();
  }
  m_view.LineChanged();
}

Problem LineModel::LockedProblem() const {
  return {ProblemKind::kUsage, Tr("The line is locked: the supervisor's PIN unlocks it.")};
}

Result<void> LineModel::NewShift() {
  {
    std::scoped_lock guard(m_lock);
    if (m_locked) return LockedProblem();
    const std::string now = UtcTimeText(m_now());
    if (m_log != nullptr) {
      if (Result<void> written = m_log->AppendObject(NewShiftObject(now, m_profile.station)); !written) {
        return written;
      }
    }
    m_counters = ShiftCounters{.since = now};
  }
  m_view.LineChanged();
  return {};
}

LineProfile LineModel::Profile() const {
  std::scoped_lock guard(m_lock);
  return m_profile;
}

}  // namespace quillon
