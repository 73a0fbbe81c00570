#include "front/console/unit_recorder.h"

#include "texts/catalogue.h"

namespace quillon::console {

void UnitRecorder::Started(int unit, int pages, std::function<UnitRecord()> soFar) {
  std::scoped_lock guard(m_lock);
  m_unitInHand = unit;
  m_soFar = std::move(soFar);
  if (m_outputs.events != nullptr) m_outputs.events->Started(unit, pages);
}

Result<void> UnitRecorder::Ended(const UnitRecord& record) {
  std::scoped_lock guard(m_lock);
  if (m_stoppedNow) return Problem{ProblemKind::kInterrupted, {}};
  if (!m_unitInHand) return {};
  m_soFar = nullptr;
  return Keep(*std::exchange(m_unitInHand, std::nullopt), record);
}

bool UnitRecorder::Interrupt(const std::function<void()>& haltJob) {
  // Held while the job is halted: the run, finding its job ended, has nothing left to record.
  std::scoped_lock guard(m_lock);
  if (!m_unitInHand) return false;
  const int unit = *std::exchange(m_unitInHand, std::nullopt);
  m_stoppedNow = true;
  if (haltJob) haltJob();
  UnitRecord record = m_soFar();
  record.result = N_("interrupted");
  (void)Keep(unit, std::move(record));
  return true;
}

Result<void> UnitRecorder::Keep(int unit, UnitRecord record) {
  if (m_outputs.events != nullptr) m_outputs.events->Ended(unit, record);
  Result<void> kept;
  if (m_outputs.supervisor != nullptr) {
    // The supervisor keeps it, and says so; if it has gone before, the slot keeps it itself, unless the
    // supervisor wrote it just before it went.
    if (m_outputs.supervisor->WaitUntilKept(++m_recordsSent)) return {};
    record.slot = m_outputs.slot;
    if (m_outputs.log != nullptr) kept = m_outputs.log->Append(record, /*unlessPresent=*/true);
  } else if (m_outputs.log != nullptr) {
    kept = m_outputs.log->Append(record);
  }
  if (!kept) {
    std::fprintf(m_outputs.errorOut, "quillon-cli: %s\n%s", kept.Failure().words.c_str(),
                 JsonLine(record).c_str());
    std::fflush(m_outputs.errorOut);
  }
  return kept;
}

}  // namespace quillon::console
