// The process-wide state that the dialog thread, the worker of a job or of a connection attempt, and the
// serial monitor thread share. Every variable read by one thread and written by another is an atomic
// with relaxed order; the byte buffers are plain arrays, handed over by the one-worker-at-a-time rule:
// only the running worker writes the transmit and page buffers, only the dialog thread writes the
// receive buffers.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "link/frame.h"

namespace quillon {

// Job and connection control.
inline std::atomic<std::uint8_t> g_jobMode{0};    // 1..8: the package of the running (or last) job
inline std::atomic<std::uint8_t> g_jobBusy{0};    // 1 while a worker runs, or no device was found
inline std::atomic<std::uint8_t> g_waitTicks{0};  // serial wait allowance, two off per timer tick
inline std::atomic<std::uint32_t> g_watchdogTicks{0};
inline std::atomic<std::uint32_t> g_linkKind{0};       // 0 no link, kUsbLinkKind USB, else the COM number
inline std::atomic<std::uint8_t> g_handshakeReply{0};  // 'Y' once a "WTRD" frame has arrived
inline std::atomic<std::uint32_t> g_serialEventMask{0};
inline std::atomic<std::uint8_t> g_usbPaceUnits{0};

inline constexpr std::uint32_t kNoLink = 0;
inline constexpr std::uint32_t kUsbLinkKind = 85;  // the character 'U'
inline constexpr std::uint8_t kHandshakeSeen = 'Y';

// Write speed: the multiplier of SpinDelay, from the slider and "Speed.txt".
inline std::atomic<std::uint8_t> g_writeSpeed{0};
inline std::atomic<std::uint32_t> g_spinCounter{0};

// Link buffers and counters.
inline std::uint8_t g_txPayload[kPayloadSize];
inline std::uint8_t g_rxPayload[kPayloadSize];
inline std::uint8_t g_txFrame[kFrameSize];
inline std::uint8_t g_rxFrame[kFrameSize];
inline std::uint8_t g_syncWindow[kFrameHeaderSize];  // the last five received bytes, oldest first
inline std::atomic<std::uint32_t> g_rxIndex{0};
inline std::atomic<std::uint32_t> g_rxCount{0};
// 1 once a header has arrived since the last command was queued: only such a frame's bytes are
// counted, so the tail of an earlier acknowledgement never ends the next command's wait.
inline std::atomic<std::uint8_t> g_rxHeaderSinceSend{0};
// How many bytes of a frame header the last received bytes already make (0 to 4): the rest of that
// header is all that is still to come before the frame's count starts.
inline std::atomic<std::uint8_t> g_rxHeaderBytesSeen{0};
// The count the waiting worker needs: reaching it wakes the worker, the bytes before do not.
inline std::atomic<std::uint32_t> g_rxCountAwaited{0};
inline std::atomic<std::uint32_t> g_usbTransferred{0};

// Bumped (and waiters woken) whenever a waiting worker's condition may have changed: a timer tick, or
// a received byte that completes what the worker awaits. Workers block on it instead of spinning.
inline std::atomic<std::uint32_t> g_linkEvents{0};

// Page programming.
inline std::atomic<std::uint32_t> g_pageAddress{0};
inline std::uint8_t g_pageBuffer[kPageSize];
inline std::uint8_t g_verifyBuffer[kPageSize];

// Texts.
inline const std::string g_windowTitle = "Morvane字库写入程序  (USB Ver 2.11 )";
inline std::string g_finishSoundPath;
inline std::string g_errorSoundPath;

// Wakes every worker blocked in a link wait so it re-reads the counters.
void NotifyLinkEvent();

// Puts every variable back to its start value; for tests, which run many stations in one process.
void ResetSharedState();

}  // namespace quillon
