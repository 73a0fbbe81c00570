// The job of the five font package buttons: an Intel-HEX file from the working directory, checked in
// full, then written page by page below the font area's limit (kFontAddressLimit).
#pragma once

#include <vector>

#include "package/font_package.h"
#include "package/package_files.h"

namespace quillon {

class CQuillonDlg;

// The worker the buttons start, with g_jobMode 1..5 and g_jobBusy set.
void FontFileJob(CQuillonDlg& dlg);

// A job that writes these pages, in order, between the job's opening and its closing: the font file
// job once it has read its file, and any package read once beforehand (a production run writes exactly
// the pages it records).
void WritePackageJob(CQuillonDlg& dlg, const std::vector<FontPage>& pages);

}  // namespace quillon
