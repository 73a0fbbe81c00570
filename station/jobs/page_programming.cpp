// One page into the device's flash: the write address, eight chunks, the read-back address, eight
// replies, and a byte-for-byte comparison before the page counts as written. The read-back alone also
// serves the console's checks of a device, which never write.
#include <algorithm>

#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {
namespace {

// After the last chunk the device programs the page; on USB it gets a longer pause than between
// commands.
constexpr std::uint8_t kProgrammingPaceUnits = 100;

constexpr std::uint8_t kPageFailed = 1;
constexpr std::uint8_t kPageVerified = 0;

// Only bytes 0..4 change: the rest of the payload still holds what the last command left there.
void SetAddressCommand(std::uint8_t command, std::uint32_t address) {
  g_txPayload[0] = command;
  g_txPayload[1] = kSubcommandAddress;
  g_txPayload[2] = static_cast<std::uint8_t>(address >> 16);
  g_txPayload[3] = static_cast<std::uint8_t>(address >> 8);
  g_txPayload[4] = static_cast<std::uint8_t>(address);
}

void SetChunkCommand(std::size_t chunk) {
  g_txPayload[0] = kCommandWrite;
  g_txPayload[1] = static_cast<std::uint8_t>(kSubcommandFirstChunk + chunk);
  std::copy_n(g_pageBuffer + chunk * kChunkSize, kChunkSize, g_txPayload + 2);
}

}  // namespace

std::uint8_t CQuillonDlg::ProgramPage() {
  if (JobsHalted()) return kPageFailed;
  // Flash addresses have 24 bits; anything above them is dropped.
  const std::uint32_t address = g_pageAddress.load(std::memory_order_relaxed);
  const std::uint8_t pace = g_usbPaceUnits.load(std::memory_order_relaxed);

  SetAddressCommand(kCommandWrite, address);
  if (ExchangeCommand(kCommandWaitTicks) == 0) return kPageFailed;
  UsbPace(pace);
  for (std::size_t chunk = 0; chunk < kChunksPerPage; ++chunk) {
    SetChunkCommand(chunk);
    if (ExchangeCommand(kCommandWaitTicks) == 0) return kPageFailed;
    UsbPace(pace);
  }
  UsbPace(kProgrammingPaceUnits);

  if (ReadBackPage() != kPageVerified) return kPageFailed;
  if (!std::equal(g_verifyBuffer, g_verifyBuffer + kPageSize, g_pageBuffer)) return kPageFailed;
  StepProgress();
  return kPageVerified;
}

std::uint8_t CQuillonDlg::ReadBackPage() {
  if (JobsHalted()) return kPageFailed;
  const std::uint32_t address = g_pageAddress.load(std::memory_order_relaxed);
  const std::uint8_t pace = g_usbPaceUnits.load(std::memory_order_relaxed);
  SetAddressCommand(kCommandReadBack, address);
  if (ExchangeCommand(kCommandWaitTicks) == 0) return kPageFailed;
  UsbPace(pace);
  for (std::size_t chunk = 0; chunk < kChunksPerPage; ++chunk) {
    const auto n = static_cast<std::uint8_t>(chunk + 1);
    if (FetchReply(n) == 0) return kPageFailed;
    // Reply n carries its command and its number. Another reply is a link that lost its place, never a
    // page that differs: the link is taken down as a failed exchange takes it.
    if (g_rxPayload[0] != kCommandReadRequest || g_rxPayload[1] != n) {
      if (g_linkKind.load() == kUsbLinkKind) {
        UsbLinkFailure();
      } else {
        SerialLinkFailure();
      }
      return kPageFailed;
    }
    std::copy_n(g_rxPayload + 2, kChunkSize, g_verifyBuffer + chunk * kChunkSize);
    UsbPace(pace);
  }
  return kPageVerified;
}

}  // namespace quillon
