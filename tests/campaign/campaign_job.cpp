#include "tests/campaign/campaign_job.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <random>
#include <thread>

#include "link/link_status.h"
#include "link/os/file_descriptor.h"
#include "link/serial/tty_io.h"
#include "package/font_package.h"
#include "sim/flash.h"
#include "station/jobs/colour_font_jobs.h"
#include "station/jobs/job_frame.h"
#include "texts/catalogue.h"

namespace quillon::campaign {
namespace {

using Clock = std::chrono::steady_clock;

// Exchanges of a job before its first page (the open-job command; on USB also the reading of its
// answer), and of each page (address, eight chunks, read-back address, eight read-backs).
std::uint32_t OpeningExchanges(Link link) {
  return link == Link::kUsb ? 2 : 1;
}
constexpr std::uint32_t kExchangesPerPage = 18;

// The page a fault at exchange k of the job hits; none when it hits the opening.
std::optional<std::uint32_t> PageOfExchange(Link link, std::uint32_t k) {
  if (k <= OpeningExchanges(link)) return std::nullopt;
  return (k - OpeningExchanges(link) - 1) / kExchangesPerPage;
}

// The package page where the job must stop, if its fault stops it at one.
std::optional<std::uint32_t> FailingPage(const JobPlan& plan) {
  switch (plan.fault.kind) {
    case FaultKind::kNoReply:
    case FaultKind::kUsbTransferFailure:
      return PageOfExchange(plan.link, plan.fault.exchange);
    case FaultKind::kCorruptReadBack:
    case FaultKind::kUnplugMidJob:
      return plan.fault.pageIndex;
    default:
      return std::nullopt;
  }
}

// How many pages the job must have verified before it ended.
std::size_t PagesToVerify(const JobPlan& plan) {
  if (plan.fault.kind == FaultKind::kMalformedFontFile) return 0;
  if (ExpectedOutcome(plan.fault.kind) != Outcome::kFailed) return plan.package.pages.size();
  return FailingPage(plan).value_or(0);
}

Outcome OutcomeOf(const std::vector<std::string>& boxes) {
  const auto shown = [&](auto test) { return std::ranges::any_of(boxes, test); };
  if (shown([](const std::string& box) { return box == Tr(kWriteCompleteText); })) return Outcome::kCompleted;
  if (shown([](const std::string& box) {
        return box.starts_with(Tr(kBadWriteFileText)) || box.starts_with(Tr(kBadReadFileText));
      })) {
    return Outcome::kRefused;
  }
  return Outcome::kFailed;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", value);
  return text;
}

std::vector<std::uint8_t> FlashImage(CampaignSession& session) {
  return session.WithEngine([](sim::DeviceEngine& engine) {
    const auto image = engine.Memory().Image();
    return std::vector<std::uint8_t>(image.begin(), image.end());
  });
}

// The flash after the job against the flash before it: the first `verified` pages of the package
// written, and nothing else changed but the page the job failed at, which the device may have taken
// in part. The first byte otherwise is a breach.
void CheckFlash(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after,
                const CampaignPackage& package, std::size_t verified,
                std::optional<std::uint32_t> failingPage, JobReport& report) {
  std::vector<std::uint8_t> expected = before;
  for (std::size_t i = 0; i < verified && i < package.pages.size(); ++i) {
    std::ranges::copy(package.pages[i].bytes, expected.begin() + package.pages[i].address);
  }
  std::optional<std::uint32_t> spared;
  if (failingPage && *failingPage < package.pages.size()) spared = package.pages[*failingPage].address;
  for (std::uint32_t address = 0; address < expected.size(); ++address) {
    if (expected[address] == after[address]) continue;
    if (spared && address >= *spared && address < *spared + 256) continue;
    const bool inPackage = std::ranges::any_of(package.pages, [&](const ExpectedPage& page) {
      return address >= page.address && address < page.address + 256;
    });
    report.breaches.push_back("flash at " + Hex(address) + " holds " + Hex(after[address]) + ", expected " +
                              Hex(expected[address]) +
                              (inPackage ? " (a page of the package)" : " (no page of the package)"));
    return;
  }
}

void WriteInputFile(const CampaignPackage& package) {
  if (package.fileName.empty()) return;
  std::ofstream file(package.fileName, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(package.content.data()),
             static_cast<std::streamsize>(package.content.size()));
}

// Pages the package will write are set to a stale pattern first, so a page the station does not write
// cannot pass for written.
void StalePackagePages(CampaignSession& session, const CampaignPackage& package) {
  session.WithEngine([&](sim::DeviceEngine& engine) {
    for (const ExpectedPage& page : package.pages) {
      std::array<std::uint8_t, 256> stale;
      for (std::size_t i = 0; i < stale.size(); ++i) stale[i] = static_cast<std::uint8_t>(~page.bytes[i]);
      engine.Memory().Program(page.address, stale);
    }
  });
}

// The moment the device came back: the tick counted last, and the attempts started before it.
struct DeviceReturn {
  std::uint32_t tick;
  std::size_t attemptsBefore;
};
DeviceReturn Now(CampaignSession& session) {
  const auto [tick, attempts] = session.TicksAndAttemptsStarted();
  return {tick, attempts};
}

// Plugs the device in again with the timer held, so that no attempt starts while the device is half
// there (its tty link made, the pty not yet served): the device has returned once Replug has.
Result<DeviceReturn> ReplugHeld(CampaignSession& session) {
  session.HoldTimer(true);
  const Result<void> plugged = session.Replug();
  const DeviceReturn back = Now(session);
  session.HoldTimer(false);
  if (!plugged) return plugged.Failure();
  return back;
}

// After the device came back: the link is up again, and the first connection attempt that started
// since came within one watchdog period and linked.
void CheckLinkReturns(CampaignSession& session, DeviceReturn back, std::chrono::seconds bound,
                      JobReport& report, const char* after) {
  if (!WaitUntilReady(session, bound)) {
    report.hung = true;
    report.breaches.push_back(std::string("the link was not back ") + after + " within " +
                              std::to_string(bound.count()) + " s");
    return;
  }
  const std::vector<ConnectionAttempt> attempts = session.AttemptsFrom(back.attemptsBefore);
  if (attempts.empty()) return;  // an attempt already under way when the device returned linked it
  if (attempts[0].startTick - back.tick > kWatchdogPeriodTicks) {
    report.breaches.push_back(std::string("the first connection attempt ") + after + " started " +
                              std::to_string(attempts[0].startTick - back.tick) +
                              " ticks after the device returned");
  }
  if (!attempts[0].linked) {
    report.breaches.push_back(std::string("the first connection attempt ") + after + " did not link");
  }
}

template <typename Condition>
bool PollUntil(Clock::time_point deadline, Condition holds) {
  while (!holds()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Faults that take the device away, or bring another, before the job: each ends with the device back
// and the link checked. False when the campaign cannot go on with this session.
bool BeforeJob(CampaignSession& session, const JobPlan& plan, std::chrono::seconds bound, JobReport& report) {
  const FaultKind kind = plan.fault.kind;
  if (kind == FaultKind::kLateHandshake || kind == FaultKind::kHandshakeless ||
      kind == FaultKind::kPortVanishesIdle) {
    // The adapter is pulled while no job runs, and the station says so; then it comes back, or another
    // device comes whose firmware answers the handshake late, or never.
    session.Unplug();
    const std::string gone = NoDeviceOnPortText(session.Ports().NamedPort().value_or(""));
    if (!session.View().WaitUntil(Clock::now() + bound,
                                  [&](const auto&, const std::string& status) { return status == gone; })) {
      report.breaches.push_back("the station never said the device was gone after its port vanished");
    }
    session.WithEngine([&](sim::DeviceEngine& engine) {
      engine.Faults().lateHandshake = kind == FaultKind::kLateHandshake;
      engine.Faults().handshakeless = kind == FaultKind::kHandshakeless;
    });
  } else if (kind == FaultKind::kPortHeld) {
    // The device comes back, and another program takes its port before the station looks.
    session.HoldTimer(true);
    session.Unplug();
    if (const Result<void> plugged = session.Replug(); !plugged) {
      report.breaches.push_back("the device could not be plugged in again: " + plugged.Failure().words);
      return false;
    }
    FileDescriptor holder = OpenTtyExclusive(session.SerialPath()).tty;
    const std::size_t attemptsBeforeHold = session.AttemptsStarted();
    session.HoldTimer(false);
    const bool refused = PollUntil(Clock::now() + bound, [&] {
      return !session.AttemptsFrom(attemptsBeforeHold).empty() && !session.AttemptRunning();
    });
    if (!refused || session.View().LinkStatus().find("busy") == std::string::npos) {
      report.breaches.push_back(
          "the station did not say the port was busy while another program held it: \"" +
          session.View().LinkStatus() + "\"");
    }
    const DeviceReturn back = Now(session);
    holder.reset();
    CheckLinkReturns(session, back, bound, report, "after the other program let the port go");
    return !report.hung;
  } else {
    return true;
  }
  const Result<DeviceReturn> back = ReplugHeld(session);
  if (!back) return false;
  CheckLinkReturns(session, *back, bound, report, "after the device was plugged in");
  // A device that does not answer the handshake in time is taken at 115200 baud.
  const bool fallback = kind == FaultKind::kLateHandshake || kind == FaultKind::kHandshakeless;
  if (!report.hung && fallback && !session.View().LinkStatus().ends_with(" 115200")) {
    report.breaches.push_back("the station did not take the device at 115200 baud: \"" +
                              session.View().LinkStatus() + "\"");
  }
  return !report.hung;
}

// Faults the device shows during the job, counted from the job's first exchange or page.
void ArmDeviceFaults(CampaignSession& session, const JobPlan& plan) {
  session.WithEngine([&](sim::DeviceEngine& engine) {
    sim::DeviceFaults& faults = engine.Faults();
    const std::uint32_t exchangesSoFar = engine.Counters().exchanges;
    const Fault& fault = plan.fault;
    switch (fault.kind) {
      case FaultKind::kNoReply:
        faults.noReplyTo = exchangesSoFar + fault.exchange;
        break;
      case FaultKind::kUsbTransferFailure:
        faults.usbTransferFault = sim::UsbTransferFault{
            exchangesSoFar + fault.exchange,
            fault.shortTransfer ? sim::UsbTransferFailure::kShort : sim::UsbTransferFailure::kWrongStatus};
        break;
      case FaultKind::kCorruptReadBack:
        faults.corruptReadBack =
            sim::ReadBackCorruption{fault.pageOffset, plan.package.pages[fault.pageIndex].address};
        break;
      case FaultKind::kUnplugMidJob:
        faults.unplugAfterPages = engine.Counters().pagesWritten + fault.pageIndex;
        break;
      case FaultKind::kGarbageBetweenFrames:
        faults.garbageBeforeReplies = fault.garbageBytes;
        break;
      default:
        break;
    }
  });
}

}  // namespace

JobPlan PlanJob(std::uint64_t seed, Link link, bool faultAllowed) {
  std::mt19937 random(static_cast<std::uint32_t>(seed ^ (seed >> 32)));
  JobPlan plan;
  plan.seed = seed;
  plan.link = link;
  plan.fault.kind = faultAllowed ? DrawFaultKind(random, link) : FaultKind::kNone;
  switch (plan.fault.kind) {
    case FaultKind::kMalformedFontFile:
      plan.package = MalformedFontFile(random);
      break;
    case FaultKind::kShortImageFile:
      plan.package = ShortImageFile(random);
      break;
    default:
      plan.package =
          std::uniform_int_distribution<int>(0, 9)(random) == 0 ? Colour240English() : RandomFontFile(random);
      break;
  }
  const auto pages = static_cast<std::uint32_t>(plan.package.pages.size());
  const auto uniform = [&](std::uint32_t low, std::uint32_t high) {
    return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
  };
  plan.fault.exchange = uniform(1, OpeningExchanges(link) + kExchangesPerPage * pages);
  plan.fault.pageIndex = pages > 0 ? uniform(0, pages - 1) : 0;
  plan.fault.pageOffset = static_cast<std::uint8_t>(uniform(0, 255));
  plan.fault.garbageBytes = uniform(1, 40);
  plan.fault.shortTransfer = uniform(0, 1) == 0;
  return plan;
}

bool WaitUntilReady(CampaignSession& session, std::chrono::seconds bound) {
  return PollUntil(Clock::now() + bound, [&] { return session.ReadyForJobs(); });
}

JobReport RunJob(CampaignSession& session, const JobPlan& plan, std::chrono::seconds bound) {
  JobReport report;
  if (!BeforeJob(session, plan, bound, report)) {
    report.hung = true;
    return report;
  }
  session.View().NewJob();
  WriteInputFile(plan.package);
  StalePackagePages(session, plan.package);
  const std::vector<std::uint8_t> before = FlashImage(session);
  const std::uint32_t openJobsBefore =
      session.WithEngine([](sim::DeviceEngine& e) { return e.Counters().openJobs; });
  const std::size_t attemptsBeforeJob = session.AttemptsStarted();
  ArmDeviceFaults(session, plan);

  const std::uint32_t jobsBefore = session.Dialog().JobsStarted();
  session.Press(plan.package.button);
  if (session.Dialog().JobsStarted() != jobsBefore + 1) {
    report.breaches.push_back("the press on a ready station started no job");
    return report;
  }
  const auto deadline = Clock::now() + bound;
  if (!session.View().WaitUntil(deadline, [](const auto& boxes, const auto&) { return !boxes.empty(); }) ||
      !PollUntil(deadline, [&] { return !session.Dialog().JobWorkerAlive(); })) {
    report.hung = true;
    report.breaches.push_back("the job ran past " + std::to_string(bound.count()) + " s");
    return report;
  }
  report.outcome = OutcomeOf(session.View().Boxes());
  // From the job's opening on, the bar shows one step more than the pages verified.
  const std::size_t verified = static_cast<std::size_t>(std::max(session.View().HighestProgress() - 1, 0));

  // What the operator was told against what the device holds.
  const Outcome expected = ExpectedOutcome(plan.fault.kind);
  if (report.outcome != expected) {
    std::string boxes;
    for (const std::string& box : session.View().Boxes()) boxes += " [" + box + "]";
    report.breaches.push_back(std::string("the job ended ") + OutcomeName(report.outcome) + ", expected " +
                              OutcomeName(expected) + ":" + boxes);
  }
  if (verified != PagesToVerify(plan)) {
    report.breaches.push_back("the progress bar counted " + std::to_string(verified) +
                              " verified pages, expected " + std::to_string(PagesToVerify(plan)));
  }
  if (report.outcome == Outcome::kCompleted && verified != plan.package.pages.size()) {
    report.breaches.push_back("write complete after " + std::to_string(verified) + " of " +
                              std::to_string(plan.package.pages.size()) + " pages");
  }
  const std::vector<std::uint8_t> after = FlashImage(session);
  // A job that failed as planned may have left the page it failed at in part; one that failed
  // unplanned, the page after the last it verified.
  std::optional<std::uint32_t> failingPage;
  if (report.outcome == Outcome::kFailed) {
    failingPage = expected == Outcome::kFailed ? FailingPage(plan) : static_cast<std::uint32_t>(verified);
  }
  CheckFlash(before, after, plan.package, verified, failingPage, report);
  if (plan.fault.kind == FaultKind::kMalformedFontFile &&
      session.WithEngine([](sim::DeviceEngine& e) { return e.Counters().openJobs; }) != openJobsBefore) {
    report.breaches.push_back("a refused font file still opened a job on the device");
  }

  // The device comes back, and with it the link; the faults go.
  Result<DeviceReturn> back = Now(session);
  if (plan.fault.kind == FaultKind::kUnplugMidJob) back = ReplugHeld(session);
  if (!back) {
    report.breaches.push_back("the device could not be plugged in again: " + back.Failure().words);
    report.hung = true;
    return report;
  }
  session.WithEngine([](sim::DeviceEngine& engine) { engine.Faults() = {}; });
  if (report.outcome == Outcome::kFailed) {
    CheckLinkReturns(session, *back, bound, report, "after the failed job");
  } else if (session.AttemptsStarted() != attemptsBeforeJob || !WaitUntilReady(session, bound)) {
    report.breaches.push_back("the link went down during a job that did not fail");
  }
  return report;
}

}  // namespace quillon::campaign
