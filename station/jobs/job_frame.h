// What every programming job does around its pages: the opening that readies the device, and the
// closings that tell the operator how it ended. Each closing leaves the job's outcome first and clears
// g_jobBusy as its last effect, once the operator has closed its box.
#pragma once

#include <string>
#include "texts/catalogue.h"

namespace quillon {

class CQuillonDlg;

inline constexpr const char* kWriteErrorText = N_("Write Error!!!");
inline constexpr const char* kWriteCompleteText = N_("写入完成!!!");

// Resets the progress bar, takes the speed from the slider and stores it, opens the job on the device
// and gives it its pause. False when the device did not take the job, which has then been closed.
bool BeginJob(CQuillonDlg& dlg);
// The page loop ended normally: the finish sound and the completion box.
void FinishJob(CQuillonDlg& dlg);
// A page failed: the error sound and the write-error box.
void FailJob(CQuillonDlg& dlg);
// The write-error box without a sound.
void ReportWriteError(CQuillonDlg& dlg);
// The job's input was not found or not usable: the box with the text, nothing else.
void ReportMissingFile(CQuillonDlg& dlg, const std::string& text);

}  // namespace quillon
