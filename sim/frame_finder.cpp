#include "sim/frame_finder.h"

#include <algorithm>

namespace quillon::sim {

std::optional<Payload> FrameFinder::Push(std::uint8_t byte) {
  std::shift_left(m_window.begin(), m_window.end(), 1);
  m_window.back() = byte;
  // The window starts as zeros, which never match the header.
  if (m_window == kFrameHeader) {
    m_inFrame = true;
    m_payloadFill = 0;
    return std::nullopt;
  }
  if (!m_inFrame) return std::nullopt;

  m_payload[m_payloadFill++] = byte;
  if (m_payloadFill < m_payload.size()) return std::nullopt;
  m_inFrame = false;
  return m_payload;
}

}  // namespace quillon::sim
