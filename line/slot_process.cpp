#include "line/slot_process.h"

namespace quillon {

bool LineSplitter::Take(std::string& line, bool atEnd) {
  const std::size_t end = m_pending.find('\n');
  if (end == std::string::npos) {
    if (!atEnd || m_pending.empty()) return false;
    line = std::move(m_pending);
    m_pending.clear();
    return true;
  }
  line = m_pending.substr(0, end > 0 && m_pending[end - 1] == '\r' ? end - 1 : end);
  m_pending.erase(0, end + 1);
  return true;
}

}  // namespace quillon
