#include "tests/campaign/campaign_session.h"

#include "link/link_status.h"
#include "link/ports/given_port_list.h"
#include "link/usb/no_usb_bridge.h"
#include "sim/pty_device.h"
#include "sim/usb_device.h"
#include "station/connection/discovery.h"
#include "station/jobs/station_jobs.h"
#include "station/shared_state.h"

namespace quillon::campaign {
namespace {

constexpr char kLinkedStatusStart[] = "ID writer linked";
constexpr std::size_t kAttemptsReserved = 4096;

class NoSerialPorts final : public SerialPortList {
 public:
  std::vector<SerialPortEntry> Ports() override { return {}; }
};

// The station's bridge on the USB link: the simulator's stand-in, which the session keeps for itself to
// plug and unplug the device.
class ForwardingUsbBridge final : public UsbBridge {
 public:
  explicit ForwardingUsbBridge(UsbBridge& bridge) : m_bridge(bridge) {}
  int GetNumDevices(std::uint32_t* count) override { return m_bridge.GetNumDevices(count); }
  int GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) override {
    return m_bridge.GetProductString(index, buffer, flags);
  }
  int Open(std::uint32_t index, UsbHandle* handle) override { return m_bridge.Open(index, handle); }
  int Close(UsbHandle handle) override { return m_bridge.Close(handle); }
  int Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t* transferred) override {
    return m_bridge.Read(handle, buffer, count, transferred);
  }
  int Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
            std::uint32_t* transferred) override {
    return m_bridge.Write(handle, buffer, count, transferred);
  }
  int SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) override {
    return m_bridge.SetTimeouts(readTimeout, writeTimeout);
  }

 private:
  UsbBridge& m_bridge;
};

}  // namespace

Result<std::unique_ptr<CampaignSession>> CampaignSession::Create(Link link,
                                                                 const std::filesystem::path& ttyLink,
                                                                 std::chrono::milliseconds tickPeriod) {
  std::unique_ptr<CampaignSession> session(new CampaignSession(link, tickPeriod));
  // The record of connection attempts grows with every one: reserved, it does not show as the heap's
  // growth inside a long session.
  session->m_attemptStartTicks.reserve(kAttemptsReserved);
  session->m_attemptLinked.reserve(kAttemptsReserved);
  if (link == Link::kUsb) {
    session->m_usbDevice = std::make_unique<sim::SimulatedUsbBridge>();
    session->m_usb = std::make_unique<ForwardingUsbBridge>(*session->m_usbDevice);
    session->m_ports = std::make_unique<NoSerialPorts>();
  } else {
    Result<std::unique_ptr<sim::PtyDevice>> device = sim::PtyDevice::Create({.linkPath = ttyLink});
    if (!device) return device.Failure();
    session->m_serialDevice = std::move(*device);
    session->m_usb = std::make_unique<NoUsbBridge>();
    session->m_ports = std::make_unique<GivenPortList>(ttyLink.string());
  }

  ResetSharedState();
  StationWorkers workers = StationJobWorkers();
  CampaignSession* self = session.get();
  workers.connectThread = [self](CQuillonDlg& dlg) {
    ConnectThread(dlg, *self->m_ports);
    const bool linked = dlg.LinkStatus().starts_with(kLinkedStatusStart);
    std::scoped_lock guard(self->m_attemptLock);
    self->m_attemptLinked.push_back(linked);
    self->m_attemptsEnded.fetch_add(1);
  };
  // The timer is the session's own (OnTick); the device's pauses are not waited out.
  const StationTiming timing{.timerPeriod = std::chrono::milliseconds(0),
                             .openJobPause = std::chrono::milliseconds(0),
                             .handshakeWait = std::chrono::milliseconds(30)};
  session->m_dlg = std::make_unique<CQuillonDlg>(session->m_view, session->m_dialogThread, *session->m_usb,
                                                 timing, std::move(workers));
  CQuillonDlg& dlg = *session->m_dlg;
  session->m_dialogThread.Start(
      [&dlg](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { dlg.OnMessage(m, w, l); });
  session->m_dialogThread.Send([&dlg] {
    dlg.OnInitDialog();
    dlg.OnSliderMoved(0);  // full speed: no busy waits between commands
  });
  session->m_dialogThread.SetTimer(tickPeriod, [self] { self->OnTick(); });
  return session;
}

CampaignSession::~CampaignSession() {
  if (!m_dlg) return;
  m_timerHeld.store(true);
  // Workers reach the dialog: they end before it goes. Every wait of theirs ends with the timer held:
  // a job's exchanges fail at once once the device is gone.
  Unplug();
  while (m_dlg->JobWorkerAlive() || m_dlg->ConnectionAttemptRunning()) {
    m_timerHeld.store(false);
    std::this_thread::sleep_for(m_tickPeriod);
  }
  m_dialogThread.QuitAndWait();
  m_dlg.reset();
}

void CampaignSession::OnTick() {
  // The tick, the attempt it starts and its counting go together: whoever takes the moment sees all of
  // them or none. An attempt that ends waits for the lock at its very end, which nothing here waits for.
  std::scoped_lock guard(m_attemptLock);
  if (m_timerHeld.load()) return;
  const std::uint32_t tick = m_ticks.fetch_add(1) + 1;
  // An attempt this tick starts is running or, if it was quick, has ended by the time OnTimer returns.
  const auto started = [this] {
    return m_attemptsEnded.load() + (m_dlg->ConnectionAttemptRunning() ? 1u : 0u);
  };
  const std::uint32_t before = started();
  m_dlg->OnTimer(1);
  if (started() > before) m_attemptStartTicks.push_back(tick);
}

std::pair<std::uint32_t, std::size_t> CampaignSession::TicksAndAttemptsStarted() {
  std::scoped_lock guard(m_attemptLock);
  return {m_ticks.load(), m_attemptStartTicks.size()};
}

std::size_t CampaignSession::AttemptsStarted() {
  std::scoped_lock guard(m_attemptLock);
  return m_attemptStartTicks.size();
}

std::vector<ConnectionAttempt> CampaignSession::AttemptsFrom(std::size_t first) {
  std::scoped_lock guard(m_attemptLock);
  std::vector<ConnectionAttempt> attempts;
  for (std::size_t i = first; i < m_attemptLinked.size() && i < m_attemptStartTicks.size(); ++i) {
    attempts.push_back({m_attemptStartTicks[i], m_attemptLinked[i]});
  }
  return attempts;
}

void CampaignSession::Unplug() {
  if (m_link == Link::kUsb) {
    m_usbDevice->Unplug(0);
  } else {
    m_serialDevice->Unplug();
  }
}

Result<void> CampaignSession::Replug() {
  if (m_link == Link::kUsb) {
    m_usbDevice->Replug(0);
    return {};
  }
  return m_serialDevice->Replug();
}

std::string CampaignSession::SerialPath() {
  return m_link == Link::kSerial ? m_serialDevice->SlavePath() : std::string();
}

bool CampaignSession::ReadyForJobs() {
  return m_view.LinkStatus().starts_with(kLinkedStatusStart) && m_dlg->IsControlEnabled(kIdWriteChinese) &&
         !m_dlg->ConnectionAttemptRunning() && !m_dlg->JobWorkerAlive() && g_jobBusy.load() == 0;
}

void CampaignSession::Press(int button) {
  m_dialogThread.Send([this, button] { m_dlg->OnCommand(button); });
}

}  // namespace quillon::campaign
