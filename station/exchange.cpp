// The command layer between a worker and the device: 34-byte payloads as whole blocks on USB, inside
// 39-byte frames on the serial link, where the answer comes back byte by byte through OnSerialByte.
#include <algorithm>
#include <cstring>

#include "link/link_status.h"
#include "station/atomic_wait.h"
#include "station/exchange_texts.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {
namespace {

// Bytes of a port numbered outside COM1..COM99 are dropped.
constexpr std::intptr_t kHighestPortNumber = 99;

bool IsUsbLink() {
  return g_linkKind.load(std::memory_order_relaxed) == kUsbLinkKind;
}
bool IsNoLink() {
  return g_linkKind.load(std::memory_order_relaxed) == kNoLink;
}

// Arms the receive side for the answer to a command about to be queued. The count starts again before
// the new awaited count is published, so a byte still counting for the last answer never completes
// this one.
void ArmReceiver(std::uint32_t awaitedCount) {
  g_rxHeaderSinceSend.store(0, std::memory_order_relaxed);
  g_rxCount.store(0, std::memory_order_relaxed);
  g_rxCountAwaited.store(awaitedCount, std::memory_order_release);
}

// Counts a byte of the answer. When it completes what the worker awaits, the payload is copied here, on
// the dialog thread that owns the frame buffer, before the count that lets the worker go is published;
// only then is the worker woken (other bytes change nothing for it, and a wake-up per byte would cost
// more than the byte). Counting goes up one by one from the header's 5, so it always passes through
// the awaited count (9 or 39).
void CountAnswerByte() {
  std::uint32_t count = g_rxCount.load(std::memory_order_relaxed);
  const std::uint32_t next = count + 1;
  const bool completes = next == g_rxCountAwaited.load(std::memory_order_acquire);
  if (completes) std::copy_n(g_rxFrame + kFrameHeaderSize, kPayloadSize, g_rxPayload);
  // The worker may have armed for its next command meanwhile: then this byte belongs to no answer of it.
  if (!g_rxCount.compare_exchange_strong(count, next, std::memory_order_release, std::memory_order_relaxed)) {
    return;
  }
  if (completes) NotifyLinkEvent();
}

// The longest start of a header that the window ends with, short of a whole header.
std::uint8_t HeaderBytesEndingWindow() {
  for (std::size_t length = kFrameHeaderSize - 1; length > 0; --length) {
    if (std::equal(kFrameHeader.begin(), kFrameHeader.begin() + length,
                   g_syncWindow + kFrameHeaderSize - length)) {
      return static_cast<std::uint8_t>(length);
    }
  }
  return 0;
}

}  // namespace

int CQuillonDlg::OnSerialByte(std::uintptr_t wParam, std::intptr_t lParam) {
  if (lParam <= 0 || lParam > kHighestPortNumber) return -1;
  const auto byte = static_cast<std::uint8_t>(wParam & 0xFF);

  std::memmove(g_syncWindow, g_syncWindow + 1, kFrameHeaderSize - 1);
  g_syncWindow[kFrameHeaderSize - 1] = byte;
  if (std::ranges::equal(g_syncWindow, kFrameHeader)) {
    // A header restarts the frame wherever the index stood; its last byte is not stored again.
    std::ranges::fill(g_syncWindow, 0);
    std::ranges::copy(kFrameHeader, g_rxFrame);
    g_rxIndex.store(kFrameHeaderSize, std::memory_order_relaxed);
    g_rxHeaderSinceSend.store(1, std::memory_order_relaxed);
    g_rxHeaderBytesSeen.store(0, std::memory_order_relaxed);
    g_rxCount.store(kFrameHeaderSize, std::memory_order_relaxed);
    return 0;
  }
  g_rxHeaderBytesSeen.store(HeaderBytesEndingWindow(), std::memory_order_relaxed);

  std::uint32_t index = g_rxIndex.load(std::memory_order_relaxed);
  if (index >= kFrameSize) index = 0;
  g_rxFrame[index++] = byte;
  // Bytes before the first header since the last send belong to an earlier answer.
  if (g_rxHeaderSinceSend.load(std::memory_order_relaxed) != 0) CountAnswerByte();
  if (index == kFrameSize) {
    index = 0;
    if (std::equal(kHandshakeReply.begin(), kHandshakeReply.end(), g_rxFrame + kFrameHeaderSize)) {
      g_handshakeReply.store(kHandshakeSeen, std::memory_order_relaxed);
    }
  }
  g_rxIndex.store(index, std::memory_order_relaxed);
  return 0;
}

std::size_t CQuillonDlg::BytesAwaited() const {
  // The fewest bytes that can still complete the worker's count. The count starts at the header's 5
  // when the answer's header has come; before that, the header's bytes already received need not come
  // again. A header that turns up later only starts the count anew, needing more bytes, never fewer.
  const std::uint32_t awaited = g_rxCountAwaited.load(std::memory_order_acquire);
  std::uint32_t count = g_rxCount.load(std::memory_order_relaxed);
  if (g_rxHeaderSinceSend.load(std::memory_order_relaxed) == 0) {
    count = g_rxHeaderBytesSeen.load(std::memory_order_relaxed);
  }
  return count < awaited ? awaited - count : 0;
}

int CQuillonDlg::ExchangeCommand(std::uint8_t ticks) {
  if (IsUsbLink()) return TransferUsbBlock(UsbDirection::kWrite);
  if (IsNoLink()) {
    SerialLinkFailure();
    return 0;
  }
  std::ranges::copy(kFrameHeader, g_txFrame);
  std::copy_n(g_txPayload, kPayloadSize, g_txFrame + kFrameHeaderSize);
  // The acknowledgement is taken after its header and 4 payload bytes; the rest keeps arriving.
  return ExchangeSerialFrame(ticks, kAcknowledgementBytes);
}

int CQuillonDlg::FetchReply(std::uint8_t n) {
  // On USB the device has queued its replies after the read-back command: n is not needed.
  if (IsUsbLink()) return TransferUsbBlock(UsbDirection::kRead);
  if (IsNoLink()) {
    SerialLinkFailure();
    return 0;
  }
  // Only the header and the two command bytes are written: the rest of the frame is what the last
  // command left, and the device gives it no meaning.
  std::ranges::copy(kFrameHeader, g_txFrame);
  g_txFrame[kFrameHeaderSize] = kCommandReadRequest;
  g_txFrame[kFrameHeaderSize + 1] = n;
  return ExchangeSerialFrame(kCommandWaitTicks, kReplyBytes);
}

int CQuillonDlg::TransferUsbBlock(UsbDirection direction) {
  g_usbTransferred.store(0, std::memory_order_relaxed);
  std::uint32_t transferred = 0;
  const UsbHandle device = m_usbHandle.load();
  m_usbStatus = direction == UsbDirection::kWrite
                    ? m_usb.Write(device, g_txPayload, kPayloadSize, &transferred)
                    : m_usb.Read(device, g_rxPayload, kPayloadSize, &transferred);
  g_usbTransferred.store(transferred, std::memory_order_relaxed);
  if (transferred == kPayloadSize && m_usbStatus == kUsbSuccess) return 1;
  UsbLinkFailure();
  return 0;
}

int CQuillonDlg::ExchangeSerialFrame(std::uint8_t ticks, std::uint32_t awaitedCount) {
  ArmReceiver(awaitedCount);
  m_port.QueueWrite(g_txFrame, kFrameSize);
  g_waitTicks.store(ticks, std::memory_order_relaxed);
  if (!WaitForReceivedBytes(awaitedCount)) {
    SerialLinkFailure();
    // The port is stopped: nothing writes the payload any more, and a failed exchange delivers none.
    std::ranges::fill(g_rxPayload, 0);
    return 0;
  }
  return 1;
}

bool CQuillonDlg::WaitForReceivedBytes(std::uint32_t needed) {
  for (;;) {
    // Read the event count first: any byte or tick after this point wakes the wait below.
    const std::uint32_t seen = g_linkEvents.load(std::memory_order_acquire);
    // The allowance is tested first: when it has run out, the wait fails even if the bytes are there.
    if (g_waitTicks.load(std::memory_order_relaxed) == 0) return false;
    // Acquire: the payload copied before the count was published is there to read.
    if (g_rxCount.load(std::memory_order_acquire) >= needed) return true;
    WaitWhileEquals(g_linkEvents, seen, std::memory_order_acquire);
  }
}

void CQuillonDlg::UsbLinkFailure() {
  TakeDownUsbLink();
  MessageBox(kUsbFailureText, MessageIcon::kError);
}

void CQuillonDlg::LetGoOfUsbDevice() {
  if (UsbLinkIdle()) TakeDownUsbLink();
}

bool CQuillonDlg::UsbLinkIdle() const {
  return g_linkKind.load() == kUsbLinkKind && (!JobWorkerAlive() || m_acceptJobsWhenWorkerEnds);
}

void CQuillonDlg::TakeDownUsbLink() {
  m_usb.Close(m_usbHandle.load());
  m_usbHandle.store(kNoUsbDevice);
  // The buttons go before the link kind: a watchdog check that sees no link may start an attempt at
  // once, and a device it links anew must not have its buttons disabled by this failure.
  EnableJobButtons(false);
  g_linkKind.store(kNoLink, std::memory_order_relaxed);
  ShowLinkStatus(LinkLostText());
}

void CQuillonDlg::SerialLinkFailure() {
  EnableJobButtons(false);
  m_port.Stop();
  g_linkKind.store(kNoLink, std::memory_order_relaxed);
  // An exchange that went unanswered on a port that reported nothing leaves no failure to name.
  ShowLinkStatus(LinkLostText(m_port.LastFailure()));
  MessageBox(kSerialFailureText, MessageIcon::kError);
}

void SpinDelay(int n) {
  // 32-bit arithmetic, as the speed setting has always been scaled.
  g_spinCounter.store(static_cast<std::uint32_t>(n) * g_writeSpeed.load(std::memory_order_relaxed) * 200u,
                      std::memory_order_relaxed);
  while (g_spinCounter.load(std::memory_order_relaxed) != 0) {
    asm volatile(".rept 40\n\tnop\n\t.endr");
    g_spinCounter.store(g_spinCounter.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
  }
}

void UsbPace(std::uint8_t units) {
  if (IsUsbLink()) SpinDelay(units / 100);
}

}  // namespace quillon
