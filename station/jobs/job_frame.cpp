#include "station/jobs/job_frame.h"

#include <algorithm>

#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {

bool BeginJob(CQuillonDlg& dlg) {
  dlg.SetProgressPos(0);
  // The slider offers only storable speeds; it is read once per job.
  g_writeSpeed.store(static_cast<std::uint8_t>(dlg.SliderPos()));
  dlg.SaveSpeed();
  // From here on the bar shows one step more than the pages verified.
  dlg.StepProgress();

  std::ranges::fill(g_txPayload, 0);
  g_txPayload[0] = kCommandOpenJob;
  if (dlg.ExchangeCommand(kOpenJobWaitTicks) == 0) {
    ReportWriteError(dlg);
    return false;
  }
  dlg.Timing().Pause(dlg.Timing().openJobPause);
  // On USB the device's answer to the open-job command waits to be read; on the serial link it has
  // been awaited already.
  if (g_linkKind.load() == kUsbLinkKind && dlg.FetchReply(0) == 0) {
    ReportWriteError(dlg);
    return false;
  }
  return true;
}

void FinishJob(CQuillonDlg& dlg) {
  dlg.SetJobOutcome(JobOutcome::kComplete);
  dlg.PlaySoundFile(g_finishSoundPath);
  dlg.MessageBox(kWriteCompleteText, MessageIcon::kInformation);
  dlg.SetProgressPos(0);
  g_jobBusy.store(0);
}

void FailJob(CQuillonDlg& dlg) {
  // The sound plays while the box is shown.
  dlg.PlaySoundFile(g_errorSoundPath);
  ReportWriteError(dlg);
}

void ReportWriteError(CQuillonDlg& dlg) {
  dlg.SetJobOutcome(JobOutcome::kFailed);
  dlg.MessageBox(kWriteErrorText, MessageIcon::kError);
  dlg.SetProgressPos(0);
  g_jobBusy.store(0);
}

void ReportMissingFile(CQuillonDlg& dlg, const std::string& text) {
  dlg.SetJobOutcome(JobOutcome::kInputRefused);
  dlg.MessageBox(text, MessageIcon::kError);
  g_jobBusy.store(0);
}

}  // namespace quillon
