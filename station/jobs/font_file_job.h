// The job of the five font package buttons: an Intel-HEX file from the working directory, checked in
// full, then written page by page below the font area's limit (kFontAddressLimit).
#pragma once

#include "package/font_package.h"
#include "package/package_files.h"

namespace quillon {

class CQuillonDlg;

// The worker the buttons start, with g_jobMode 1..5 and g_jobBusy set.
void FontFileJob(CQuillonDlg& dlg);

}  // namespace quillon
