// The job buttons, one job at a time, and the one-second timer: the wait allowances and the connection
// watchdog.
#include <thread>

#include "link/link_status.h"
#include "station/atomic_wait.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "station/wait_allowance.h"

namespace quillon {
namespace {

struct JobButton {
  int controlId;
  std::uint8_t mode;
  Worker StationWorkers::*worker;
};

// Button 1009 (the 240 × 240 Japanese package) has no job.
constexpr JobButton kJobButtons[] = {
    {kIdWriteChinese, 1, &StationWorkers::fontFileJob},
    {kIdWriteKorean, 2, &StationWorkers::fontFileJob},
    {kIdWriteTraditionalChinese, 3, &StationWorkers::fontFileJob},
    {kIdWriteJapanese, 4, &StationWorkers::fontFileJob},
    {kIdWriteLargeAscii, 5, &StationWorkers::fontFileJob},
    {kIdWriteColour240Chinese, 6, &StationWorkers::colourFontJob},
    {kIdWriteColour240English, 7, &StationWorkers::colourFontJob},
    {kIdWriteColour128Chinese, 6, &StationWorkers::colourFont128Job},
    {kIdWriteColour240Korean, 8, &StationWorkers::colourFileFontJobKorean},
    {kIdWriteColour240TraditionalChinese, 8, &StationWorkers::colourFileFontJobTraditional},
};

// The job mode of a job that no button starts.
constexpr std::uint8_t kNoJobMode = 0;

// The watchdog checks at every fifth tick.
constexpr std::uint32_t kWatchdogPeriodTicks = 5;

}  // namespace

void CQuillonDlg::OnCommand(int controlId) {
  if (!IsControlEnabled(controlId)) return;
  if (controlId == kIdExit) {
    OnCancel();
    return;
  }
  for (const JobButton& button : kJobButtons) {
    if (button.controlId == controlId) StartJob(button.mode, m_workers.*button.worker);
  }
}

bool CQuillonDlg::StartOwnJob(const Worker& worker) {
  // The job buttons are enabled exactly while the station takes a job.
  if (!IsControlEnabled(kIdWriteChinese)) return false;
  const std::uint32_t jobsBefore = JobsStarted();
  StartJob(kNoJobMode, worker);
  return JobsStarted() != jobsBefore;
}

void CQuillonDlg::StartJob(std::uint8_t mode, const Worker& worker) {
  // A press while a job or a connection attempt runs is ignored, and not remembered.
  if (g_jobBusy.load() == 1 || !worker) return;
  g_jobBusy.store(1);
  g_jobMode.store(mode);
  m_jobWorkersAlive.fetch_add(1);
  m_jobsStarted.fetch_add(1);
  m_jobOutcome.store(JobOutcome::kUnfinished);
  std::thread([this, worker] {
    worker(*this);
    // Counted out on the dialog thread, where jobs start and links are handed to them; once the dialog
    // has ended there is nothing left to hand over.
    if (!m_dialogThread.Send([this] { JobWorkerEnded(); })) {
      m_jobWorkersAlive.fetch_sub(1);
      WakeAllWaiters(m_jobWorkersAlive);
    }
  }).detach();
}

void CQuillonDlg::JobWorkerEnded() {
  if (m_acceptJobsWhenWorkerEnds && m_jobWorkersAlive.load() == 1) {
    m_acceptJobsWhenWorkerEnds = false;
    // The connection attempt that linked the device while this job closed left the station to it.
    g_jobBusy.store(0);
    EnableJobButtons(true);
  }
  // Last, so that whoever waits for the job's end finds the station as the job leaves it.
  m_jobWorkersAlive.fetch_sub(1);
  WakeAllWaiters(m_jobWorkersAlive);
}

void CQuillonDlg::LinkUp(const DeviceLink& link) {
  {
    const std::lock_guard lock(m_linkLock);
    m_lastLink = link;
  }
  m_dialogThread.Send([this, &link] {
    ShowLinkStatus(LinkedText(link));
    m_view.ShowLinked(link);
    AcceptJobs();
  });
}

DeviceLink CQuillonDlg::LastLink() const {
  const std::lock_guard lock(m_linkLock);
  return m_lastLink;
}

void CQuillonDlg::AcceptJobs() {
  // Decided on the dialog thread, so that neither a press nor a job's end can come in between.
  m_dialogThread.Send([this] {
    if (JobWorkerAlive()) {
      m_acceptJobsWhenWorkerEnds = true;
      return;
    }
    g_jobBusy.store(0);
    EnableJobButtons(true);
  });
}

void CQuillonDlg::WaitForJobWorkers() const {
  for (int alive = m_jobWorkersAlive.load(); alive > 0; alive = m_jobWorkersAlive.load()) {
    WaitWhileEquals(m_jobWorkersAlive, alive);
  }
}

void CQuillonDlg::OnTimer(unsigned /*timerId*/) {
  CountDownWaitTicks();
  LetGoOfUsbDeviceIfGone();
  RunWatchdog();
}

void CQuillonDlg::LetGoOfUsbDeviceIfGone() {
  // A USB device taken away leaves its handle dead, and only an exchange would notice: a device put
  // back in before then (as the failure box asks) would fail the next job. So every tick asks the bus.
  if (!UsbLinkIdle()) return;
  std::uint32_t count = 0;
  if (m_usb.GetNumDevices(&count) == kUsbSuccess && count > 0) return;
  TakeDownUsbLink();
}

void CQuillonDlg::CountDownWaitTicks() {
  // Two off per one-second tick: wait allowances count half-seconds.
  for (int i = 0; i < 2; ++i) TakeOneOff(g_waitTicks);
  NotifyLinkEvent();
}

void CQuillonDlg::RunWatchdog() {
  if (g_watchdogTicks.fetch_add(1) + 1 < kWatchdogPeriodTicks) return;
  RunWatchdogCheck();
}

void CQuillonDlg::CheckForDeviceNow() {
  m_dialogThread.Post([this] {
    // A device that went may hold its tty up a moment longer than the system takes to say so (the
    // simulator's link goes before its tty hangs up): the link looks healthy to this check, and the
    // hang-up brings another. Armed before the port is looked at, so that no hang-up falls between.
    m_checkOnHangUp.store(true);
    // Not beside a running attempt: it may have looked before the device came, so it checks again as
    // it ends. Either it takes the request or it has ended, never neither.
    AttemptState running = AttemptState::kRunning;
    if (m_attemptState.compare_exchange_strong(running, AttemptState::kRunningCheckAsked) ||
        running == AttemptState::kRunningCheckAsked) {
      return;
    }
    if (WatchdogWantsAttempt(/*letGoOfEmptyUsbBus=*/true)) StartConnectionAttempt();
  });
}

void CQuillonDlg::PortHungUp() {
  if (m_checkOnHangUp.exchange(false)) CheckForDeviceNow();
}

void CQuillonDlg::RunWatchdogCheck() {
  if (WatchdogWantsAttempt(/*letGoOfEmptyUsbBus=*/false)) StartConnectionAttempt();
}

bool CQuillonDlg::WatchdogWantsAttempt(bool letGoOfEmptyUsbBus) {
  // The next check comes a whole period after this one, whatever brought this one.
  g_watchdogTicks.store(0);
  // A USB link looks healthy to the watchdog whatever the bus holds, and only an exchange would find
  // its device gone: when the system has told of a device, one gone from the bus is let go of, as the
  // production run does, and the check looks for the next device at once.
  if (letGoOfEmptyUsbBus) LetGoOfUsbDeviceIfGone();
  // A healthy link keeps the watchdog quiet: the port open, or the USB device up.
  if (m_port.portState.load() == CSerialPort::kStateOpen || g_linkKind.load() == kUsbLinkKind) return false;
  // A running job still owns a link it has not taken down yet: its next exchange fails and takes the
  // port down itself. An attempt now would stop the port under the job, or link anew beneath it.
  if (JobWorkerAlive() && g_linkKind.load() != kNoLink) return false;
  // A serial port that failed while idle (its adapter pulled out) has taken the link with it.
  if (g_linkKind.load() != kNoLink) ShowLinkStatus(LinkLostText(m_port.LastFailure()));
  return true;
}

void CQuillonDlg::StartConnectionAttempt() {
  // One attempt at a time: an attempt that outlasts the watchdog's period is not overlapped.
  AttemptState idle = AttemptState::kIdle;
  if (!m_workers.connectThread || !m_attemptState.compare_exchange_strong(idle, AttemptState::kRunning))
    return;
  g_jobBusy.store(1);
  std::thread([this] {
    for (bool attempt = true;;) {
      if (attempt) m_workers.connectThread(*this);
      // Over, unless a check was asked for meanwhile; nothing of the dialog is touched once it is.
      AttemptState running = AttemptState::kRunning;
      if (m_attemptState.compare_exchange_strong(running, AttemptState::kIdle)) return;
      // The check, decided on the dialog thread as the timer decides it; an attempt it wants is this
      // one again, so that none starts beside it.
      m_attemptState.store(AttemptState::kRunning);
      bool again = false;
      if (!m_dialogThread.Send([this, &again] {
            again = WatchdogWantsAttempt(/*letGoOfEmptyUsbBus=*/true);
            if (again) g_jobBusy.store(1);
          })) {
        m_attemptState.store(AttemptState::kIdle);  // the dialog has ended: nothing to check for
        return;
      }
      attempt = again;
    }
  }).detach();
}

}  // namespace quillon
