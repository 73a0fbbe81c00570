// quillon-devsim: the font writer device on a pseudo-terminal, for tests, demos and benchmarks.
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cmdline/program_version.h"
#include "sim/devsim_options.h"
#include "sim/pty_device.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintPath(const std::string& path) {
  std::printf("%s\n", path.c_str());
  // Whoever started us waits for this line on a pipe.
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon::sim;

  const DevsimParse parse = ParseDevsimOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parse.error.empty()) {
    std::fprintf(stderr, "quillon-devsim: %s\n%s", parse.error.c_str(), DevsimUsage().c_str());
    return kExitUsage;
  }
  if (parse.options.help) {
    std::printf("%s", DevsimUsage().c_str());
    return 0;
  }
  if (parse.options.version) {
    std::printf("%s\n", quillon::VersionLine("quillon-devsim").c_str());
    return 0;
  }

  // Blocked before the serving thread starts, so it inherits the mask and only sigwait sees them.
  sigset_t handled;
  sigemptyset(&handled);
  sigaddset(&handled, SIGINT);
  sigaddset(&handled, SIGTERM);
  sigaddset(&handled, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &handled, nullptr);

  std::string error;
  std::unique_ptr<PtyDevice> device = PtyDevice::Create(parse.options.device, error);
  if (!device) {
    std::fprintf(stderr, "quillon-devsim: %s\n", error.c_str());
    return kExitFailure;
  }
  PrintPath(device->SlavePath());

  for (;;) {
    int signal = 0;
    if (sigwait(&handled, &signal) != 0 || signal != SIGUSR1) break;
    if (device->Plugged()) continue;
    if (device->Replug(error)) {
      PrintPath(device->SlavePath());
    } else {
      std::fprintf(stderr, "quillon-devsim: %s\n", error.c_str());
    }
  }

  int status = 0;
  if (!parse.options.dumpPath.empty()) {
    const bool dumped = device->WithEngine(
        [&](DeviceEngine& engine) { return engine.Memory().Dump(parse.options.dumpPath); });
    if (!dumped) {
      std::fprintf(stderr, "quillon-devsim: cannot write %s\n", parse.options.dumpPath.c_str());
      status = kExitFailure;
    }
  }
  return status;
}
