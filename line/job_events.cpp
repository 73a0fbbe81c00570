#include "line/job_events.h"

#include <algorithm>

namespace quillon {

JsonObject EventObject(const char* event, int slot) {
  JsonObject object;
  object.Add("schema", kJobEventSchema).Add("event", event).Add("slot", slot);
  return object;
}

JsonObject EndedEvent(int slot, int unit, UnitRecord record) {
  record.slot = 0;
  return EventObject("ended", slot).Add("unit", unit).Append(UnitObject(record));
}

void JobEvents::Linked(const std::string& link) {
  std::scoped_lock guard(m_lock);
  Write(EventObject("linked", m_slot).Add("link", link));
}

void JobEvents::Started(int unit, int pages) {
  std::scoped_lock guard(m_lock);
  m_unit = unit;
  m_pages = pages;
  m_lastTenth = 0;
  Write(EventObject("started", m_slot).Add("unit", unit).Add("pages", pages));
}

void JobEvents::Progress(int done, double seconds) {
  std::scoped_lock guard(m_lock);
  if (m_pages <= 0 || m_lastTenth < 0) return;
  const int tenth = std::min(done * 10 / m_pages, 10);
  if (tenth == m_lastTenth) return;
  m_lastTenth = tenth;
  Write(EventObject("progress", m_slot)
            .Add("unit", m_unit)
            .Add("done", done)
            .Add("pages", m_pages)
            .AddTenths("seconds", seconds));
}

void JobEvents::Ended(int unit, const UnitRecord& record) {
  std::scoped_lock guard(m_lock);
  m_lastTenth = -1;
  Write(EndedEvent(m_slot, unit, record));
}

void JobEvents::Idle(int unit) {
  std::scoped_lock guard(m_lock);
  Write(EventObject("idle", m_slot).Add("unit", unit));
}

void JobEvents::Removed(int unit) {
  std::scoped_lock guard(m_lock);
  Write(EventObject("removed", m_slot).Add("unit", unit));
}

void JobEvents::Write(const JsonObject& object) {
  const std::string line = object.Text() + "\n";
  std::fwrite(line.data(), 1, line.size(), m_out);
  std::fflush(m_out);
}

}  // namespace quillon
