// The faults a campaign job may meet, which link each applies to, and how the job must end with it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace quillon::campaign {

enum class Link { kSerial, kUsb };

enum class FaultKind {
  kNone,
  kNoReply,          // the device does not answer exchange k
  kCorruptReadBack,  // one byte of one page comes back inverted
  kUnplugMidJob,     // the device leaves after n pages and is plugged in again
  kGarbageBetweenFrames,
  kLateHandshake,       // serial: a device plugged in answers the handshake too late
  kHandshakeless,       // serial: a device plugged in that speaks only 115200
  kPortVanishesIdle,    // serial: the adapter is pulled and put back while no job runs
  kPortHeld,            // serial: another program holds the port when the device comes back
  kUsbTransferFailure,  // USB: a transfer moves too few bytes, or reports a failure
  kShortImageFile,
  kMalformedFontFile,
};
inline constexpr std::size_t kFaultKinds = 12;

enum class Outcome { kCompleted, kFailed, kRefused };

const char* FaultName(FaultKind kind);
const char* OutcomeName(Outcome outcome);
bool AppliesTo(FaultKind kind, Link link);
// How the job must end: a device that stays, or comes back before the job, gets the job written; a
// fault during the job fails it; an unusable input is refused.
Outcome ExpectedOutcome(FaultKind kind);

// A fault with the numbers it was drawn with.
struct Fault {
  FaultKind kind = FaultKind::kNone;
  std::uint32_t exchange = 0;      // kNoReply, kUsbTransferFailure: 1-based within the job
  std::uint32_t pageIndex = 0;     // kCorruptReadBack, kUnplugMidJob: the page of the package it hits
  std::uint8_t pageOffset = 0;     // kCorruptReadBack
  std::uint32_t garbageBytes = 0;  // kGarbageBetweenFrames
  bool shortTransfer = false;      // kUsbTransferFailure: short, else a wrong status

  std::string Describe() const;
};

// A fault of a kind that applies to the link, none included.
FaultKind DrawFaultKind(std::mt19937& random, Link link);

}  // namespace quillon::campaign
