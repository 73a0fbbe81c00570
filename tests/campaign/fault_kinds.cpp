#include "tests/campaign/fault_kinds.h"

#include <vector>

namespace quillon::campaign {

const char* FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::kNone:
      return "none";
    case FaultKind::kNoReply:
      return "no reply to exchange k";
    case FaultKind::kCorruptReadBack:
      return "corrupted read-back byte";
    case FaultKind::kUnplugMidJob:
      return "unplug after n pages, replug";
    case FaultKind::kGarbageBetweenFrames:
      return "garbage between frames";
    case FaultKind::kLateHandshake:
      return "late handshake";
    case FaultKind::kHandshakeless:
      return "115200-only firmware";
    case FaultKind::kPortVanishesIdle:
      return "port vanishes while idle";
    case FaultKind::kPortHeld:
      return "port held by another program";
    case FaultKind::kUsbTransferFailure:
      return "USB transfer short / wrong status";
    case FaultKind::kShortImageFile:
      return "image file cut short";
    case FaultKind::kMalformedFontFile:
      return "malformed font file";
  }
  return "?";
}

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kCompleted:
      return "completed";
    case Outcome::kFailed:
      return "failed";
    case Outcome::kRefused:
      return "refused";
  }
  return "?";
}

bool AppliesTo(FaultKind kind, Link link) {
  switch (kind) {
    case FaultKind::kGarbageBetweenFrames:
    case FaultKind::kLateHandshake:
    case FaultKind::kHandshakeless:
    case FaultKind::kPortVanishesIdle:
    case FaultKind::kPortHeld:
      return link == Link::kSerial;
    case FaultKind::kUsbTransferFailure:
      return link == Link::kUsb;
    default:
      return true;
  }
}

Outcome ExpectedOutcome(FaultKind kind) {
  switch (kind) {
    case FaultKind::kNoReply:
    case FaultKind::kCorruptReadBack:
    case FaultKind::kUnplugMidJob:
    case FaultKind::kUsbTransferFailure:
      return Outcome::kFailed;
    case FaultKind::kShortImageFile:
    case FaultKind::kMalformedFontFile:
      return Outcome::kRefused;
    default:
      return Outcome::kCompleted;
  }
}

std::string Fault::Describe() const {
  std::string text = FaultName(kind);
  switch (kind) {
    case FaultKind::kNoReply:
      return text + " (k = " + std::to_string(exchange) + ")";
    case FaultKind::kUsbTransferFailure:
      return text + " (" + (shortTransfer ? "short" : "wrong status") + " at transfer " +
             std::to_string(exchange) + ")";
    case FaultKind::kCorruptReadBack:
      return text + " (page " + std::to_string(pageIndex) + ", byte " + std::to_string(pageOffset) + ")";
    case FaultKind::kUnplugMidJob:
      return text + " (n = " + std::to_string(pageIndex) + ")";
    case FaultKind::kGarbageBetweenFrames:
      return text + " (" + std::to_string(garbageBytes) + " bytes)";
    default:
      return text;
  }
}

FaultKind DrawFaultKind(std::mt19937& random, Link link) {
  std::vector<FaultKind> kinds;
  for (std::size_t i = 0; i < kFaultKinds; ++i) {
    const auto kind = static_cast<FaultKind>(i);
    if (AppliesTo(kind, link)) kinds.push_back(kind);
  }
  return kinds[std::uniform_int_distribution<std::size_t>(0, kinds.size() - 1)(random)];
}

}  // namespace quillon::campaign
