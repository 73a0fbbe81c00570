// Windows has no pseudo-terminals, so the simulated device cannot stand behind a serial port there: a
// Windows station reaches quillon-devsim on Linux through a Wine COM port instead, or the simulated USB
// device built into the program.
#include "sim/pty_device.h"

namespace quillon::sim {

Result<std::unique_ptr<PtyDevice>> PtyDevice::Create(const PtyDeviceOptions& /*options*/) {
  return Problem{
      ProblemKind::kUsage,
      "the simulated serial device needs a pseudo-terminal, which Windows lacks: use --simulator=usb, "
      "or --port COMn with quillon-devsim serving that port"};
}

PtyDevice::~PtyDevice() = default;

}  // namespace quillon::sim
