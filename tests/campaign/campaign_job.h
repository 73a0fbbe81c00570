// One campaign job: its plan, drawn from its own seed alone, and its run on a session with every check
// made after it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/campaign/campaign_package.h"
#include "tests/campaign/campaign_session.h"
#include "tests/campaign/fault_kinds.h"

namespace quillon::campaign {

struct JobPlan {
  std::uint64_t seed = 0;
  Link link = Link::kSerial;
  Fault fault;
  CampaignPackage package;
};

// With faultAllowed false the job meets no fault (it is the job that must complete after a faulty one).
JobPlan PlanJob(std::uint64_t seed, Link link, bool faultAllowed);

struct JobReport {
  Outcome outcome = Outcome::kFailed;
  bool hung = false;                  // the job, or the link's return, ran past its bound
  std::vector<std::string> breaches;  // every invariant the job broke, in words
};

// Runs the job on a session whose station is ready for jobs, and leaves it ready again (or reports why
// not). A job that runs past `bound` is a hang.
JobReport RunJob(CampaignSession& session, const JobPlan& plan, std::chrono::seconds bound);

// Waits until the session's station is ready for jobs: true when it is.
bool WaitUntilReady(CampaignSession& session, std::chrono::seconds bound);

}  // namespace quillon::campaign
