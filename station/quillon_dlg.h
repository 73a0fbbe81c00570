// The main dialog: the model of the station's one window and the owner of the device link. It holds no
// toolkit type; a DialogView shows it, and its handlers run on the dialog thread. Every member is
// defined in station/: the window's model and job control here, the exchange with the device in
// exchange.cpp, the connection in connection/, the writing of pages in jobs/.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <vector>

#include "link/link_status.h"
#include "link/serial/serial_messages.h"
#include "link/serial/serial_port.h"
#include "link/usb/usb_bridge.h"
#include "station/controls_model.h"
#include "station/dialog_controls.h"
#include "station/dialog_thread.h"
#include "station/dialog_view.h"
#include "station/station_timing.h"
#include "station/station_workers.h"

namespace quillon {

// How a job ended. A worker that ends without saying is unfinished: not complete.
enum class JobOutcome : std::uint8_t { kUnfinished, kComplete, kFailed, kInputRefused };

inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr unsigned kIdAboutCommand = 0x0010;  // the About entry of the window's menu
inline constexpr int kProgressUpper = 1046;
inline constexpr int kSliderUpper = 255;  // every position is a storable speed; 0, at the top, is fastest
inline constexpr std::uint8_t kDefaultWriteSpeed = 50;
inline constexpr std::uint32_t kWatchdogStartTicks = 8;  // the first check comes at the first tick

class CQuillonDlg : public SerialOwner {
 public:
  CQuillonDlg(DialogView& view, DialogThread& dialogThread, UsbBridge& usb, StationTiming timing = {},
              StationWorkers workers = {});
  ~CQuillonDlg() override;
  CQuillonDlg(const CQuillonDlg&) = delete;
  CQuillonDlg& operator=(const CQuillonDlg&) = delete;

  // Handlers, run on the dialog thread.
  bool OnInitDialog();
  void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  void OnTimer(unsigned timerId);
  void OnSysCommand(unsigned commandId);
  // A click on a control; nothing happens for a control the model holds disabled.
  void OnCommand(int controlId);
  void OnSliderMoved(int position);
  void OnCancel();
  int OnSerialByte(std::uintptr_t wParam, std::intptr_t lParam);

  // Callable from any thread.
  void EnableJobButtons(bool enable);
  // A link is up: the station takes jobs again. It lets go of g_jobBusy before it enables the buttons,
  // so a press the moment they come up starts its job; a job worker still closing after the last link
  // failure keeps both until it has ended.
  void AcceptJobs();
  // A link is up: the status line names it and the station takes jobs, in one step of the dialog
  // thread, so that whoever sees the buttons come up finds the link named, and the other way round.
  void LinkUp(const DeviceLink& link);
  // The link that came up last: the one a job started since uses. Any thread.
  DeviceLink LastLink() const;
  bool IsControlEnabled(int controlId) const;
  // Shows a box titled with the window title and waits until the operator has closed it.
  void MessageBox(const std::string& text, MessageIcon icon);
  // How many boxes the station has shown, and the last one's text as the station says it in every
  // language (the box itself shows it translated): for records that must not change with the language.
  std::uint32_t BoxesShown() const;
  std::string LastBoxMessage() const;
  int LoadSpeed();
  int SaveSpeed();
  void SetProgressPos(int position);
  void StepProgress();
  int ProgressPos();
  int SliderPos();
  // The status line: which link is up, or why none is.
  void ShowLinkStatus(const std::string& text);
  std::string LinkStatus();
  // A connection attempt found no device at all (DialogView::ShowDeviceAbsent). Any thread.
  void DeviceAbsent();
  // Something the operator should know that needs no answer, said once where it arises.
  void ShowNotice(const std::string& text);
  // Starts the sound and returns at once.
  void PlaySoundFile(const std::string& path);

  // The exchange with the device, on a worker thread. 1 on success; 0 when the link failed, which has
  // then been taken down and the operator told.
  int ExchangeCommand(std::uint8_t ticks);
  int FetchReply(std::uint8_t n);

  // Writes g_pageBuffer at g_pageAddress and reads it back, on a worker thread. 0 when the device holds
  // the page, which steps the progress bar; 1 on any failure.
  std::uint8_t ProgramPage();
  // Reads the page at g_pageAddress back into g_verifyBuffer with the read-back commands alone, on a
  // worker thread. 0 when it arrived; 1 when the link failed.
  std::uint8_t ReadBackPage();

  // Opens the first attached USB device whose device string is `wanted`: 1 when it opened, else 0.
  int OpenUsbDevice(const std::string& wanted);
  void CloseUsbDevice();

  // Starts a worker as a job of its own, as a button starts its job, if the station takes jobs now (a
  // link is up and nothing else runs): the console's checks of a device. On the dialog thread; false
  // when it did not start.
  bool StartOwnJob(const Worker& worker);
  // The USB device of the link has gone while the station was idle (only an exchange would notice):
  // the link is taken down as a failed exchange takes it, without a box, so the watchdog links the
  // next device. On the dialog thread; nothing while a job uses the link, or over the serial link.
  void LetGoOfUsbDevice();

  // Stop now: no job sends another page from here on (the page in flight goes on to its end), and the
  // jobs fail. For a front end about to end the process with the unit in hand recorded. Any thread.
  void HaltJobs() { m_jobsHalted.store(true); }
  bool JobsHalted() const { return m_jobsHalted.load(); }
  // True while a job worker started by a button has not returned.
  bool JobWorkerAlive() const { return m_jobWorkersAlive.load() > 0; }
  // Returns once no job worker is alive.
  void WaitForJobWorkers() const;
  std::uint32_t JobsStarted() const { return m_jobsStarted.load(); }
  // How the last job started ended, as the job left it: front ends decide by this, never by the words
  // of its boxes.
  JobOutcome LastJobOutcome() const { return m_jobOutcome.load(); }
  void SetJobOutcome(JobOutcome outcome) { m_jobOutcome.store(outcome); }
  bool ConnectionAttemptRunning() const { return m_attemptState.load() != AttemptState::kIdle; }
  // The system says a device came or went: the watchdog's next check comes now instead of at its time,
  // with the timer's rules (no attempt beside another, none under a job). Callable from any thread;
  // returns at once. A check asked for while an attempt runs comes when the attempt ends.
  void CheckForDeviceNow();

  // SerialOwner: the serial driver's messages reach the dialog thread synchronously.
  void SendSerialMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void SendSerialBytes(std::span<const std::uint8_t> bytes, std::intptr_t port) override;
  std::size_t BytesAwaited() const override;
  void DispatchPendingMessages() override;
  // After the system has told of a device coming or going, a hang-up brings the watchdog's check too.
  void PortHungUp() override;

  const StationTiming& Timing() const { return m_timing; }
  // Why the USB library that is there cannot be used; empty when it can, or when there is none.
  std::string UsbUnusableReason() const { return m_usb.UnusableReason(); }

 private:
  enum class UsbDirection { kWrite, kRead };
  enum class AttemptState : std::uint8_t { kIdle, kRunning, kRunningCheckAsked };

  void StartJob(std::uint8_t mode, const Worker& worker);
  void JobWorkerEnded();
  void StartConnectionAttempt();
  void CountDownWaitTicks();
  void LetGoOfUsbDeviceIfGone();
  void RunWatchdog();
  // A USB link that no job uses: none runs, or the one closing lost its own link before this came up.
  bool UsbLinkIdle() const;
  void RunWatchdogCheck();
  bool WatchdogWantsAttempt(bool letGoOfEmptyUsbBus);
  int TransferUsbBlock(UsbDirection direction);
  int ExchangeSerialFrame(std::uint8_t ticks, std::uint32_t awaitedCount);
  bool WaitForReceivedBytes(std::uint32_t needed);
  void UsbLinkFailure();
  void TakeDownUsbLink();
  void SerialLinkFailure();

  DialogView& m_view;
  DialogThread& m_dialogThread;
  UsbBridge& m_usb;
  StationTiming m_timing;
  StationWorkers m_workers;
  std::array<std::atomic<bool>, kJobButtonIds.size()> m_jobButtonEnabled;
  std::atomic<int> m_jobWorkersAlive{0};
  std::atomic<std::uint32_t> m_jobsStarted{0};
  std::atomic<JobOutcome> m_jobOutcome{JobOutcome::kUnfinished};
  std::atomic<bool> m_jobsHalted{false};
  // A connection attempt's thread, from its start to its last touch of the dialog; a check asked for
  // while it runs is its to make as it ends.
  std::atomic<AttemptState> m_attemptState{AttemptState::kIdle};
  std::atomic<bool> m_checkOnHangUp{false};  // the system told of a device: the next hang-up checks
  bool m_acceptJobsWhenWorkerEnds = false;   // the dialog thread's only

 public:
  // Declared first of the owned members so that it is destroyed last, after everything that may still
  // reach the device through it.
  CSerialPort m_port;
  std::uint32_t m_usbIndex = 0;
  std::int32_t m_usbStatus = 0;
  std::list<std::string> m_productList;
  std::vector<std::uint32_t> m_productIndices;       // the device index of each entry of m_productList
  std::atomic<UsbHandle> m_usbHandle{kNoUsbDevice};  // also closed from the dialog thread
  // Touched on the dialog thread only; other threads go through the operations above.
  SliderModel m_slider;
  ProgressModel m_progress;
  std::string m_linkStatus;
  mutable std::mutex m_linkLock;
  DeviceLink m_lastLink;  // under m_linkLock
  mutable std::mutex m_boxLock;
  std::uint32_t m_boxesShown = 0;
  std::string m_lastBoxMessage;
};

// Busy waits of the write speed: n × speed × 200 passes of a 40-instruction loop; no time base.
void SpinDelay(int n);
// The pause between USB commands: SpinDelay(units / 100), on the USB link only.
void UsbPace(std::uint8_t units);

}  // namespace quillon
