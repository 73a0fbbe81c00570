#include "station/shared_state.h"

#include "station/atomic_wait.h"

#include <algorithm>

namespace quillon {

void NotifyLinkEvent() {
  // Sequentially consistent, not relaxed: the library's notify skips the wake-up when it sees no
  // waiter, and only a full barrier between this change and that look keeps a waiter that has just
  // checked the old value from sleeping through it.
  g_linkEvents.fetch_add(1, std::memory_order_seq_cst);
  WakeAllWaiters(g_linkEvents);
}

void ResetSharedState() {
  for (auto* variable : {&g_jobMode, &g_jobBusy, &g_waitTicks, &g_handshakeReply, &g_usbPaceUnits,
                         &g_writeSpeed, &g_rxHeaderSinceSend, &g_rxHeaderBytesSeen}) {
    variable->store(0, std::memory_order_relaxed);
  }
  for (auto* variable : {&g_watchdogTicks, &g_linkKind, &g_serialEventMask, &g_spinCounter, &g_rxIndex,
                         &g_rxCount, &g_rxCountAwaited, &g_usbTransferred, &g_pageAddress}) {
    variable->store(0, std::memory_order_relaxed);
  }
  std::ranges::fill(g_txPayload, 0);
  std::ranges::fill(g_rxPayload, 0);
  std::ranges::fill(g_txFrame, 0);
  std::ranges::fill(g_rxFrame, 0);
  std::ranges::fill(g_syncWindow, 0);
  std::ranges::fill(g_pageBuffer, 0);
  std::ranges::fill(g_verifyBuffer, 0);
  g_finishSoundPath.clear();
  g_errorSoundPath.clear();
}

}  // namespace quillon
