// quillon-devsim in a process of its own behind a tty link, and where the benchmark's processes run.
#pragma once

#include <sched.h>
#include <sys/types.h>

#include <filesystem>
#include <string>

namespace quillon::bench {

// Where the station and the simulated device run. On their own processors, as a real device is
// hardware of its own; shared, wherever the scheduler puts them.
enum class Placement { kShared, kOwnProcessors };

// How the device's bytes reach the station: each as it crosses the wire, up to 16 together as from a
// UART's receive FIFO, or in a CH340's USB packets.
enum class ByteDelivery { kByByte, kUartFifo, kUsbPackets };

class DeviceProcess {
 public:
  // Emulates `baud` on the wire; the device's process goes to the last processor with kOwnProcessors.
  // `answerDelay` is quillon-devsim's --answer-delay (US or US:JITTER); empty: none.
  DeviceProcess(const std::filesystem::path& link, unsigned baud, Placement placement, ByteDelivery delivery,
                const std::string& answerDelay = {});
  ~DeviceProcess();
  DeviceProcess(const DeviceProcess&) = delete;
  DeviceProcess& operator=(const DeviceProcess&) = delete;

  // True once spawned and its tty link exists.
  bool Ready() const { return m_ready; }

 private:
  pid_t m_pid = -1;
  bool m_ready = false;
};

// With kOwnProcessors, keeps this thread and those it starts (the station) on the first processor while
// it lives; the former set comes back at the end.
class StationPlacement {
 public:
  explicit StationPlacement(Placement placement);
  ~StationPlacement();
  StationPlacement(const StationPlacement&) = delete;
  StationPlacement& operator=(const StationPlacement&) = delete;

 private:
  cpu_set_t m_before{};
};

// At least two processors: the only case where the placement means anything.
bool HasOwnProcessors();

}  // namespace quillon::bench
