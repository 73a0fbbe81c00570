// quillon-devsim: the font writer device on a pseudo-terminal, for tests, demos and benchmarks.
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <memory>
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

  const quillon::Result<DevsimOptions> parsed =
      ParseDevsimOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed) {
    std::fprintf(stderr, "quillon-devsim: %s\n%s", parsed.Failure().words.c_str(), DevsimUsage().c_str());
    return kExitUsage;
  }
  const DevsimOptions& options = *parsed;
  if (options.help) {
    std::printf("%s", DevsimUsage().c_str());
    return 0;
  }
  if (options.version) {
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

  std::vector<std::unique_ptr<PtyDevice>> devices;
  for (std::uint32_t k = 1; k <= options.devices; ++k) {
    quillon::Result<std::unique_ptr<PtyDevice>> device = PtyDevice::Create(DeviceOptions(options, k));
    if (!device) {
      std::fprintf(stderr, "quillon-devsim: %s\n", device.Failure().words.c_str());
      return kExitFailure;
    }
    devices.push_back(std::move(*device));
  }
  for (const std::unique_ptr<PtyDevice>& device : devices) PrintPath(device->SlavePath());

  for (;;) {
    int signal = 0;
    if (sigwait(&handled, &signal) != 0 || signal != SIGUSR1) break;
    for (const std::unique_ptr<PtyDevice>& device : devices) {
      if (device->Plugged()) continue;
      if (quillon::Result<void> plugged = device->Replug(); plugged) {
        PrintPath(device->SlavePath());
      } else {
        std::fprintf(stderr, "quillon-devsim: %s\n", plugged.Failure().words.c_str());
      }
    }
  }

  int status = 0;
  if (options.dumpPath.empty()) return status;
  for (std::uint32_t k = 1; k <= devices.size(); ++k) {
    const std::filesystem::path dump = DevicePath(options.dumpPath, k, options.devices);
    const bool dumped =
        devices[k - 1]->WithEngine([&](DeviceEngine& engine) { return engine.Memory().Dump(dump); });
    if (!dumped) {
      std::fprintf(stderr, "quillon-devsim: cannot write %s\n", dump.c_str());
      status = kExitFailure;
    }
  }
  return status;
}
