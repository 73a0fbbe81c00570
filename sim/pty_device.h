// The simulated device behind a pseudo-terminal, standing in for a CH340 adapter: the station opens
// the slave tty like any serial port, and a thread of the device's own serves the master end.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "link/os/file_descriptor.h"
#include "sim/device_engine.h"
#include "sim/wire_pacer.h"
#include "texts/problem.h"

namespace quillon::sim {

struct PtyDeviceOptions {
  DeviceFaults faults;
  // Emulated line speed: every byte takes 10 bit times on the wire each way. 0: no pacing.
  std::uint32_t emulatedBaud = 0;
  // How the bytes that crossed the wire reach the station: one by one, or in a CH340's USB packets.
  Delivery delivery;
  // A symbolic link to the slave tty, kept while the device is plugged. Empty: none.
  std::filesystem::path linkPath;
  // How long the device thinks before each answer.
  AnswerDelay answerDelay;
  // Whether the serving thread may stay awake to meet the wire's moments closely.
  Wakefulness wakefulness = Wakefulness::kStaysAwakeNearDue;
};

class PtyDevice {
 public:
  // nullptr with a reason in `error` when the pty or its link cannot be made.
  static Result<std::unique_ptr<PtyDevice>> Create(const PtyDeviceOptions& options);
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  // The slave tty's path; empty while unplugged. A re-plug may give a new path.
  std::string SlavePath() const;
  const std::filesystem::path& LinkPath() const { return m_linkPath; }
  bool Plugged() const;

  // Pulls the cable: the station's tty hangs up and the link disappears.
  void Unplug();
  // Plugs in again on a new pty, behind the same link. True when already plugged.
  Result<void> Replug();

  // Runs f(DeviceEngine&) while the serving thread keeps its hands off the engine.
  template <typename F>
  decltype(auto) WithEngine(F&& f) {
    std::lock_guard lock(m_engineMutex);
    return f(m_engine);
  }

 private:
  explicit PtyDevice(const PtyDeviceOptions& options);

  Result<void> PlugIn();
  void StopServing();
  void HangUp();
  void Serve();
  // Hands received bytes to the engine and queues its answers on the wire; false once the device has
  // left the bus.
  bool Receive(std::span<const std::uint8_t> bytes, WirePacer& pacer);
  // Writes what the wire has delivered; false when the master fails.
  bool Send(std::vector<std::uint8_t>& ready);

  const std::filesystem::path m_linkPath;
  const std::uint32_t m_emulatedBaud;
  const Delivery m_delivery;
  const AnswerDelay m_answerDelay;
  const Wakefulness m_wakefulness;

  std::mutex m_engineMutex;
  DeviceEngine m_engine;

  std::mutex m_controlMutex;  // one Unplug, Replug or destruction at a time
  mutable std::mutex m_stateMutex;
  std::string m_slavePath;  // guarded by m_stateMutex; empty while unplugged

  // Touched by the serving thread while it runs, and by the controlling thread only after joining it.
  FileDescriptor m_master;
  FileDescriptor
      m_ownSlave;  // keeps the slave open, so reading the master never fails while no station has it
  FileDescriptor m_wake;
  std::atomic<bool> m_stopRequested{false};
  std::thread m_server;
};

}  // namespace quillon::sim
