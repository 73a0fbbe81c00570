// quillon-faults: a seeded fault campaign. Jobs of random packages run one after another on stations
// linked to the built-in simulated device, over the serial link (a pty) and over USB (the bridge
// stand-in), in sessions of a fresh station each. Every other job meets a fault drawn at random; the job
// after it meets none and must complete. After every job the campaign checks what the operator was
// told against the device's flash, the link's return, and the process's threads and descriptors; after
// every session, that the station gave back all it held. With --long-session N it then runs one session
// of N jobs on each link, and checks that the heap in use does not grow inside it. It prints a table,
// and for any breach the command that runs its job again (with the faulty job before it):
// quillon-faults --seed S --from J --jobs K runs jobs J..K-1 of campaign S, each planned from its own
// seed alone.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sim/device_engine.h"
#include "tests/campaign/campaign_job.h"
#include "tests/campaign/campaign_session.h"
#include "tests/campaign/process_census.h"
#include "tests/support/scratch_directory.h"

namespace quillon::campaign {
namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  std::uint64_t seed = 1;
  std::size_t jobs = 100;
  std::size_t from = 0;  // the first job run; the ones before it are only planned
  std::chrono::milliseconds tick{100};
  std::chrono::seconds bound{60};
  std::size_t longSession = 0;  // jobs of each long session, numbered after the campaign's; none when 0
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const unsigned long long value = std::strtoull(argv[i + 1], nullptr, 10);
    if (name == "--seed") {
      options.seed = value;
    } else if (name == "--jobs") {
      options.jobs = value;
    } else if (name == "--from") {
      options.from = value;
    } else if (name == "--tick-ms") {
      options.tick = std::chrono::milliseconds(value);
    } else if (name == "--bound-s") {
      options.bound = std::chrono::seconds(value);
    } else if (name == "--long-session") {
      options.longSession = value;
    } else {
      return std::nullopt;
    }
  }
  if (argc % 2 == 0 || options.tick.count() == 0) return std::nullopt;
  return options;
}

// Each job's seed depends on the campaign's seed and its number alone.
std::uint64_t JobSeed(std::uint64_t seed, std::size_t job) {
  std::uint64_t z = seed * 0x9E3779B97F4A7C15ull + job + 1;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

struct SessionPlan {
  Link link;
  std::size_t firstJob;
  std::size_t jobs;  // even: a faulty job's clean successor runs on the same station
};

std::vector<SessionPlan> PlanSessions(const Options& options) {
  std::mt19937_64 random(options.seed);
  std::vector<SessionPlan> sessions;
  for (std::size_t job = 0; job < options.jobs;) {
    const std::size_t length = 2 * std::uniform_int_distribution<std::size_t>(3, 15)(random);
    const Link link = std::uniform_int_distribution<int>(0, 1)(random) == 0 ? Link::kSerial : Link::kUsb;
    sessions.push_back({link, job, std::min(length, options.jobs - job)});
    job += length;
  }
  return sessions;
}

// The heap in use inside one long session, each figure taken with the station idle and linked after a
// job. What the station keeps after a job depends on that job (its package, the status line's text),
// so single figures differ by tens of kilobytes from job to job; the lowest figure over a quarter of the
// session does not, and a leak raises it quarter after quarter.
struct SessionHeap {
  Link link = Link::kSerial;
  std::size_t jobs = 0;
  std::array<std::size_t, 4> lowest{};  // over each quarter of the session's jobs
  std::size_t most = 0;
};

struct Tally {
  std::size_t jobs = 0;
  std::map<Outcome, std::size_t> outcomes;
  std::size_t breached = 0;
};

class Campaign {
 public:
  // Jobs' files and the serial device's tty link go to the scratch directory, the working directory.
  Campaign(const Options& options, const testing::ScratchWorkingDirectory& scratch)
      : m_options(options), m_scratch(scratch), m_start(CensusWithRuntimeThreads()) {
    // Every entry of the tallies made now: what the campaign counts must not show as the heap's growth.
    for (std::size_t i = 0; i < kFaultKinds; ++i) {
      for (Outcome outcome : {Outcome::kCompleted, Outcome::kFailed, Outcome::kRefused}) {
        m_tallies[static_cast<FaultKind>(i)].outcomes[outcome] = 0;
      }
    }
    m_sessions[Link::kSerial] = m_sessions[Link::kUsb] = 0;
    m_sessionHeaps.reserve(2);
  }

  // What the process holds before the first session, once the thread sanitizer's runtime has started
  // the thread of its own that it starts with the process's first thread, and keeps from then on.
  static Census CensusWithRuntimeThreads() {
    std::thread([] {}).join();
    return TakeCensus();
  }

  // True when every invariant held.
  bool Run() {
    const auto start = Clock::now();
    for (const SessionPlan& session : PlanSessions(m_options)) {
      if (session.firstJob + session.jobs <= m_options.from) continue;
      if (!RunSession(session)) break;
    }
    if (m_options.longSession > 0 && !m_stopped) {
      std::size_t first = m_options.jobs;
      for (Link link : {Link::kSerial, Link::kUsb}) {
        if (!RunSession({link, first, m_options.longSession}, true)) break;
        first += m_options.longSession;
      }
    }
    m_seconds = std::chrono::duration<double>(Clock::now() - start).count();
    PrintTable();
    return m_breaches == 0 && !m_stopped;
  }

 private:
  // With countHeap, the heap in use is taken after every job, once the station is idle again.
  bool RunSession(const SessionPlan& plan, bool countHeap = false) {
    Result<std::unique_ptr<CampaignSession>> made =
        CampaignSession::Create(plan.link, m_scratch.Path() / "ttySIM0", m_options.tick);
    if (!made) {
      std::printf("no simulated device: %s\n", made.Failure().words.c_str());
      m_stopped = true;
      return false;
    }
    std::unique_ptr<CampaignSession> session = std::move(*made);
    ++m_sessions[plan.link];
    if (!WaitUntilReady(*session, m_options.bound)) {
      Breach(plan.firstJob, "the station did not link to a new device within " +
                                std::to_string(m_options.bound.count()) + " s");
      m_stopped = true;
      return false;
    }
    // What the session's station holds while idle: the dialog thread and, on the serial link, the port's
    // monitor and the simulated device's own thread; its descriptors once those threads are all there.
    const std::size_t threads = m_start.threads + (plan.link == Link::kSerial ? 3 : 1);
    Census steady{threads, 0, 0};
    if (SettlesTo(threads)) steady.descriptors = TakeCensus().descriptors;
    std::vector<std::size_t> heaps;  // reserved: its own growth would show as the session's
    if (countHeap) heaps.reserve(plan.jobs);
    for (std::size_t job = std::max(plan.firstJob, m_options.from); job < plan.firstJob + plan.jobs; ++job) {
      const JobPlan jobPlan = PlanJob(JobSeed(m_options.seed, job), plan.link, job % 2 == 0);
      // The simulated device logs every page it is written; the campaign does not read the log.
      session->WithEngine([](sim::DeviceEngine& engine) { engine.ClearPageLog(); });
      const JobReport report = RunJob(*session, jobPlan, m_options.bound);
      Tally& tally = m_tallies[jobPlan.fault.kind];
      ++tally.jobs;
      ++tally.outcomes[report.outcome];
      ++m_jobsRun;
      std::vector<std::string> breaches = report.breaches;
      if (!report.hung && !HandlesBackTo(steady)) {
        const Census now = TakeCensus();
        breaches.push_back("threads " + std::to_string(steady.threads) + " -> " +
                           std::to_string(now.threads) + ", descriptors " +
                           std::to_string(steady.descriptors) + " -> " + std::to_string(now.descriptors));
      } else if (countHeap && !report.hung) {
        heaps.push_back(TakeCensus().heapBytes);
      }
      if (!breaches.empty()) ++tally.breached;
      for (const std::string& breach : breaches) {
        Breach(job, (plan.link == Link::kUsb ? "USB, " : "serial, ") + jobPlan.package.description + ", " +
                        jobPlan.fault.Describe() + ": " + breach);
      }
      if (report.hung) {
        m_stopped = true;
        return false;
      }
    }
    if (countHeap && heaps.size() == plan.jobs && plan.jobs >= 4) CheckSessionHeap(plan, heaps);
    session.reset();
    // With the station gone, the process holds what it held after the first session: its one thread,
    // the same descriptors and, where every allocation is counted, the same heap bytes.
    SettlesTo(m_start.threads);
    const Census after = TakeCensus();
    if (!m_baseline) m_baseline = after;
    m_last = after;
    if (!after.SameHandles(*m_baseline) || (HeapCounted() && after.heapBytes != m_baseline->heapBytes)) {
      Breach(plan.firstJob + plan.jobs - 1,
             "after the session: threads " + std::to_string(m_baseline->threads) + " -> " +
                 std::to_string(after.threads) + ", descriptors " + std::to_string(m_baseline->descriptors) +
                 " -> " + std::to_string(after.descriptors) + ", heap bytes " +
                 std::to_string(m_baseline->heapBytes) + " -> " + std::to_string(after.heapBytes));
    }
    return true;
  }

  // A leak of a job's, or of a fault's, grows the heap with every job that has it. The first quarter
  // grows what is kept for the next job (buffers, texts) to its size; after it, the lowest heap in use
  // over the last quarter may not exceed the lowest over the second.
  void CheckSessionHeap(const SessionPlan& plan, const std::vector<std::size_t>& heaps) {
    SessionHeap heap{plan.link, plan.jobs};
    for (std::size_t quarter = 0; quarter < 4; ++quarter) {
      const auto first = heaps.begin() + static_cast<std::ptrdiff_t>(quarter * heaps.size() / 4);
      const auto last = heaps.begin() + static_cast<std::ptrdiff_t>((quarter + 1) * heaps.size() / 4);
      heap.lowest[quarter] = *std::min_element(first, last);
    }
    heap.most = *std::max_element(heaps.begin(), heaps.end());
    m_sessionHeaps.push_back(heap);
    if (HeapCounted() && heap.lowest[3] > heap.lowest[1]) {
      Breach(plan.firstJob + plan.jobs - 1,
             "inside the session the lowest heap in use grew from " + std::to_string(heap.lowest[1]) +
                 " bytes over its second quarter to " + std::to_string(heap.lowest[3]) + " over its last");
    }
  }

  // Detached workers end a moment after they are done: give them that moment, no more.
  static bool SettlesTo(std::size_t threads) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (TakeCensus().threads != threads) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  static bool HandlesBackTo(const Census& steady) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!TakeCensus().SameHandles(steady)) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  void Breach(std::size_t job, const std::string& what) {
    ++m_breaches;
    if (job >= m_options.jobs) {
      // A long session's job: its session is run again whole, without the campaign's before it.
      std::printf(
          "BREACH job %zu: %s\n  reproduce: quillon-faults --seed %llu --from %zu --jobs %zu "
          "--long-session %zu\n",
          job, what.c_str(), static_cast<unsigned long long>(m_options.seed), m_options.jobs, m_options.jobs,
          m_options.longSession);
    } else {
      std::printf("BREACH job %zu: %s\n  reproduce: quillon-faults --seed %llu --from %zu --jobs %zu\n", job,
                  what.c_str(), static_cast<unsigned long long>(m_options.seed), job & ~std::size_t{1},
                  job + 1);
    }
    std::fflush(stdout);
  }

  void PrintTable() const {
    std::printf("\nFault campaign, seed %llu: %zu jobs in %zu serial and %zu USB sessions, %.0f s\n\n",
                static_cast<unsigned long long>(m_options.seed), m_jobsRun, Sessions(Link::kSerial),
                Sessions(Link::kUsb), m_seconds);
    std::printf("| fault | jobs | completed | failed | refused | invariants broken |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    Tally total;
    for (std::size_t i = 0; i < kFaultKinds; ++i) {
      const auto kind = static_cast<FaultKind>(i);
      const auto found = m_tallies.find(kind);
      const Tally tally = found == m_tallies.end() ? Tally{} : found->second;
      std::printf("| %s | %zu | %zu | %zu | %zu | %zu |\n", FaultName(kind), tally.jobs,
                  Count(tally, Outcome::kCompleted), Count(tally, Outcome::kFailed),
                  Count(tally, Outcome::kRefused), tally.breached);
      total.jobs += tally.jobs;
      for (const auto& [outcome, count] : tally.outcomes) total.outcomes[outcome] += count;
      total.breached += tally.breached;
    }
    std::printf("| all | %zu | %zu | %zu | %zu | %zu |\n\n", total.jobs, Count(total, Outcome::kCompleted),
                Count(total, Outcome::kFailed), Count(total, Outcome::kRefused), total.breached);
    if (m_baseline && m_last) {
      const long long heapChange =
          static_cast<long long>(m_last->heapBytes) - static_cast<long long>(m_baseline->heapBytes);
      std::printf(
          "Between sessions (no station), after the first and after the last: threads %zu -> %zu, "
          "descriptors %zu -> %zu, heap in use %zu -> %zu bytes (%+lld, %s)\n",
          m_baseline->threads, m_last->threads, m_baseline->descriptors, m_last->descriptors,
          m_baseline->heapBytes, m_last->heapBytes, heapChange,
          HeapCounted() ? "every allocation counted" : "the C library's main arena only, not checked");
    }
    for (const SessionHeap& heap : m_sessionHeaps) {
      std::printf(
          "Inside one %s session of %zu jobs, the station idle after each: lowest heap in use per quarter "
          "%zu, %zu, %zu, %zu bytes (%+lld from the second quarter to the last; highest %zu, %s)\n",
          heap.link == Link::kUsb ? "USB" : "serial", heap.jobs, heap.lowest[0], heap.lowest[1],
          heap.lowest[2], heap.lowest[3],
          static_cast<long long>(heap.lowest[3]) - static_cast<long long>(heap.lowest[1]), heap.most,
          HeapCounted() ? "every allocation counted" : "the C library's main arena only, not checked");
    }
    std::printf("%s\n", m_breaches == 0 && !m_stopped ? "Every invariant held."
                                                      : (std::to_string(m_breaches) + " breaches.").c_str());
  }

  static std::size_t Count(const Tally& tally, Outcome outcome) {
    const auto found = tally.outcomes.find(outcome);
    return found == tally.outcomes.end() ? 0 : found->second;
  }
  std::size_t Sessions(Link link) const {
    const auto found = m_sessions.find(link);
    return found == m_sessions.end() ? 0 : found->second;
  }

  const Options m_options;
  const testing::ScratchWorkingDirectory& m_scratch;
  std::map<FaultKind, Tally> m_tallies;
  std::map<Link, std::size_t> m_sessions;
  std::size_t m_jobsRun = 0;
  std::size_t m_breaches = 0;
  bool m_stopped = false;
  double m_seconds = 0;
  const Census m_start;  // before the first session
  std::optional<Census> m_baseline;
  std::optional<Census> m_last;
  std::vector<SessionHeap> m_sessionHeaps;
};

}  // namespace
}  // namespace quillon::campaign

int main(int argc, char** argv) {
  const auto options = quillon::campaign::ParseOptions(argc, argv);
  if (!options) {
    std::fprintf(
        stderr,
        "usage: quillon-faults [--seed S] [--jobs N] [--from J] [--tick-ms T] [--bound-s B] [--long-session "
        "L]\n"
        "  runs jobs J..N-1 of the campaign of seed S (default: seed 1, jobs 0..99) on the built-in\n"
        "  simulated device, with a timer tick of T ms (100); a job past B s (60) is a hang. With L, then\n"
        "  one session of L jobs on each link, in which the heap in use must not grow\n");
    return 2;
  }
  // The jobs' files are written in a directory of the campaign's own.
  const quillon::testing::ScratchWorkingDirectory scratch;
  return quillon::campaign::Campaign(*options, scratch).Run() ? 0 : 1;
}
