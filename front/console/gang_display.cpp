#include "front/console/gang_display.h"

namespace quillon::console {

std::string SlotLine(const SlotFigures& slot) {
  char text[512];
  int length =
      std::snprintf(text, sizeof text, "slot %d  %-18s unit %-3d", slot.slot, slot.port.c_str(), slot.unit);
  const double rate = slot.elapsedSeconds > 0 && slot.done > 1 ? (slot.done - 1) / slot.elapsedSeconds : 0;
  if (slot.pages > 0) {
    length += std::snprintf(text + length, sizeof text - length, " %5d/%-5d pages", slot.done, slot.pages);
  } else {
    length += std::snprintf(text + length, sizeof text - length, " %5d pages      ", slot.done);
  }
  if (rate > 0) {
    length += std::snprintf(text + length, sizeof text - length, " %6.1f pages/s", rate);
    if (slot.pages > slot.done) {
      length += std::snprintf(text + length, sizeof text - length, " %5.0f s left",
                              (slot.pages - slot.done) / rate);
    }
  }
  length += std::snprintf(text + length, sizeof text - length, "  %s", slot.state.c_str());
  if (!slot.lastResult.empty())
    std::snprintf(text + length, sizeof text - length, "  last: %s", slot.lastResult.c_str());
  return text;
}

std::string TotalLine(int passed, int failed, double elapsedSeconds) {
  char text[128];
  const double perHour = elapsedSeconds > 0 ? (passed + failed) * 3600.0 / elapsedSeconds : 0;
  std::snprintf(text, sizeof text, "units: %d passed, %d failed  %.0f units/h", passed, failed, perHour);
  return text;
}

void InPlaceLines::Draw(const std::vector<std::string>& lines) {
  // Up to the first line drawn last time; each line cleared as it is written anew.
  if (m_drawn > 0) std::fprintf(m_out, "\x1b[%zuA", m_drawn);
  for (const std::string& line : lines) std::fprintf(m_out, "\r\x1b[2K%s\n", line.c_str());
  m_drawn = lines.size();
  std::fflush(m_out);
}

}  // namespace quillon::console
