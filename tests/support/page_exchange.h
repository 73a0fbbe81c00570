// One page written and read back through the dialog's exchange, command by command, as a job sends it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/quillon_dlg.h"
#include "app/shared_state.h"

namespace quillon::testing {

// 0 when every command and read succeeded; readBack then holds the 256 bytes the device returned.
inline int ExchangePage(CQuillonDlg& dlg, std::uint32_t address, const std::vector<std::uint8_t>& page,
                        std::vector<std::uint8_t>& readBack) {
  auto addressCommand = [&](std::uint8_t command) {
    g_txPayload[0] = command;
    g_txPayload[1] = kSubcommandAddress;
    g_txPayload[2] = static_cast<std::uint8_t>(address >> 16);
    g_txPayload[3] = static_cast<std::uint8_t>(address >> 8);
    g_txPayload[4] = static_cast<std::uint8_t>(address);
    return dlg.ExchangeCommand(kCommandWaitTicks);
  };
  if (!addressCommand(kCommandWrite)) return 1;
  for (std::size_t chunk = 0; chunk < kChunksPerPage; ++chunk) {
    g_txPayload[0] = kCommandWrite;
    g_txPayload[1] = static_cast<std::uint8_t>(kSubcommandFirstChunk + chunk);
    std::copy_n(page.begin() + static_cast<std::ptrdiff_t>(chunk * kChunkSize), kChunkSize, g_txPayload + 2);
    if (!dlg.ExchangeCommand(kCommandWaitTicks)) return 1;
  }
  if (!addressCommand(kCommandReadBack)) return 1;
  readBack.clear();
  for (std::uint8_t n = 1; n <= kChunksPerPage; ++n) {
    if (!dlg.FetchReply(n)) return 1;
    readBack.insert(readBack.end(), g_rxPayload + 2, g_rxPayload + kPayloadSize);
  }
  return 0;
}

}  // namespace quillon::testing
