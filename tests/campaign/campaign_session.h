// One station and its simulated device for a run of campaign jobs: the dialog on its dialog thread with
// a real timer, the real connection worker, and the simulator built into the programs, behind a pty
// (serial) or the USB bridge stand-in. The pty's link keeps one path for the whole campaign, as an
// adapter keeps its name: the station keeps a port number per tty path for as long as it runs. The session
// counts the timer's ticks and notes at which tick each connection attempt started and whether it linked, so
// that the campaign can tell how soon the link came back.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <filesystem>

#include "link/ports/serial_port_list.h"
#include "sim/device_engine.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/dialog_thread.h"
#include "station/quillon_dlg.h"
#include "tests/campaign/campaign_view.h"
#include "tests/campaign/fault_kinds.h"

namespace quillon::campaign {

// The watchdog checks at every fifth tick.
inline constexpr std::uint32_t kWatchdogPeriodTicks = 5;

struct ConnectionAttempt {
  std::uint32_t startTick = 0;
  bool linked = false;
};

class CampaignSession {
 public:
  // A problem when the simulated device cannot be made.
  static Result<std::unique_ptr<CampaignSession>> Create(Link link, const std::filesystem::path& ttyLink,
                                                         std::chrono::milliseconds tickPeriod);
  ~CampaignSession();
  CampaignSession(const CampaignSession&) = delete;
  CampaignSession& operator=(const CampaignSession&) = delete;

  Link LinkKind() const { return m_link; }
  CQuillonDlg& Dialog() { return *m_dlg; }
  CampaignView& View() { return m_view; }
  std::chrono::milliseconds TickPeriod() const { return m_tickPeriod; }

  // The device. WithEngine runs f(sim::DeviceEngine&) while the device's transport keeps off it.
  template <typename F>
  decltype(auto) WithEngine(F&& f);
  void Unplug();
  Result<void> Replug();
  // The serial device's tty; empty on USB or while unplugged.
  std::string SerialPath();
  // The ports the station searches: on the serial link the tty link, named as --port names it.
  const SerialPortList& Ports() const { return *m_ports; }

  std::uint32_t Ticks() const { return m_ticks.load(); }
  // While held, the timer does nothing, the watchdog included.
  void HoldTimer(bool held) { m_timerHeld.store(held); }
  // Connection attempts started so far (they start only on ticks, where they are counted), and those
  // from the one numbered `first` (counted from 0) on that have ended, in order.
  std::size_t AttemptsStarted();
  // The tick counted last and the attempts started by then, taken together: never between a tick's
  // start of an attempt and its counting.
  std::pair<std::uint32_t, std::size_t> TicksAndAttemptsStarted();
  std::vector<ConnectionAttempt> AttemptsFrom(std::size_t first);
  bool AttemptRunning() const { return m_dlg->ConnectionAttemptRunning(); }

  // A link is up and the station takes jobs: the status line says so, the buttons are enabled, and no
  // attempt or job is under way.
  bool ReadyForJobs();
  void Press(int button);

 private:
  CampaignSession(Link link, std::chrono::milliseconds tickPeriod) : m_link(link), m_tickPeriod(tickPeriod) {}
  void OnTick();

  const Link m_link;
  const std::chrono::milliseconds m_tickPeriod;
  CampaignView m_view;
  DialogThread m_dialogThread;
  std::unique_ptr<sim::PtyDevice> m_serialDevice;  // one of these two
  std::unique_ptr<sim::SimulatedUsbBridge> m_usbDevice;
  std::unique_ptr<UsbBridge> m_usb;  // the station's bridge: the stand-in, or none on the serial link
  std::unique_ptr<SerialPortList> m_ports;
  std::unique_ptr<CQuillonDlg> m_dlg;

  std::atomic<std::uint32_t> m_ticks{0};
  std::atomic<bool> m_timerHeld{false};
  std::atomic<std::uint32_t> m_attemptsEnded{0};
  std::mutex m_attemptLock;
  std::vector<std::uint32_t> m_attemptStartTicks;  // in the order the attempts started
  std::vector<bool> m_attemptLinked;               // in the order they ended, which is the same
};

template <typename F>
decltype(auto) CampaignSession::WithEngine(F&& f) {
  if (m_link == Link::kUsb) return m_usbDevice->WithEngine(0, std::forward<F>(f));
  return m_serialDevice->WithEngine(std::forward<F>(f));
}

}  // namespace quillon::campaign
